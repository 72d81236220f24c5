// POSIX implementation of the walk's file-system services, for the native build.
#include "../../qrx_walk_platform.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>

namespace QrxWalkPlatform {
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

TFolderListing::TFolderListing(const std::string& folder) : Folder_(folder), Handle_(::opendir(folder.c_str())) {}

TFolderListing::~TFolderListing() {
  if (Handle_) ::closedir(static_cast<DIR*>(Handle_));
}

bool TFolderListing::Next(TFolderEntry& entry) {
  if (!Handle_) return false;
  const dirent* found = ::readdir(static_cast<DIR*>(Handle_));
  if (!found) return false;
  entry.Name = found->d_name;
  entry.Kind = KindOf(Folder_ + entry.Name);
  return true;
}

bool EraseFile(const std::string& path) { return ::unlink(path.c_str()) == 0; }

bool RemoveScratchFile(const std::string& path) { return ::unlink(path.c_str()) == 0; }

bool MakeFolder(const std::string& path) { return ::mkdir(path.c_str(), 0700) == 0; }

bool RemoveFolder(const std::string& path) {
  struct stat status;
  if (::lstat(path.c_str(), &status) == 0 && S_ISLNK(status.st_mode)) return ::unlink(path.c_str()) == 0;
  return ::rmdir(path.c_str()) == 0;
}

std::string TempFolder() {
  const char* fromEnvironment = std::getenv("TMPDIR");
  std::string folder = fromEnvironment && *fromEnvironment ? fromEnvironment : "/tmp";
  if (folder.back() != kSeparator) folder += kSeparator;
  return folder;
}

}  // namespace QrxWalkPlatform
