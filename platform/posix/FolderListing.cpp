#include "../FolderListing.h"

#include <dirent.h>
#include <sys/stat.h>

#include <cerrno>

#include "NativePath.h"

namespace QrxPlatform {
namespace {

TEntryKind KindOf(const std::string& path) {
  struct stat status;
  if (::lstat(path.c_str(), &status) != 0) return TEntryKind::Other;
  if (S_ISDIR(status.st_mode)) return TEntryKind::Folder;
  if (S_ISREG(status.st_mode)) return TEntryKind::File;
  if (!S_ISLNK(status.st_mode) || ::stat(path.c_str(), &status) != 0) return TEntryKind::Other;
  // A link to a file is scanned as that file; a link to a folder is not followed.
  if (S_ISDIR(status.st_mode)) return TEntryKind::FolderLink;
  return S_ISREG(status.st_mode) ? TEntryKind::File : TEntryKind::Other;
}

}  // namespace

TFolderListing::TFolderListing(const std::string& folder)
    : Folder_(NativePath(folder)), Handle_(::opendir(Folder_.c_str())) {
  Failed_ = !Handle_;
}

TFolderListing::~TFolderListing() {
  if (Handle_) ::closedir(static_cast<DIR*>(Handle_));
}

bool TFolderListing::Next(TFolderEntry& entry) {
  if (!Handle_) return false;
  errno = 0;
  const dirent* found = ::readdir(static_cast<DIR*>(Handle_));
  if (!found) {
    // ENOENT: the folder was removed while it was listed, which just ends its listing.
    if (errno != 0 && errno != ENOENT) Failed_ = true;
    return false;
  }
  entry.Name = found->d_name;
  entry.Kind = KindOf(Folder_ + entry.Name);
  return true;
}

}  // namespace QrxPlatform
