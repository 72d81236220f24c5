// POSIX implementation of the walk's file-system services, for the native build.
#include "../../qrx_walk_platform.h"

#include <dirent.h>
#include <fcntl.h>
#include <ftw.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
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

// An open file descriptor that closes itself.
class TDescriptor {
 public:
  explicit TDescriptor(int descriptor) : Descriptor_(descriptor) {}
  ~TDescriptor() {
    if (Descriptor_ >= 0) ::close(Descriptor_);
  }
  TDescriptor(const TDescriptor&) = delete;
  TDescriptor& operator=(const TDescriptor&) = delete;
  int Get() const { return Descriptor_; }
  int Release() {
    const int descriptor = Descriptor_;
    Descriptor_ = -1;
    return descriptor;
  }

 private:
  int Descriptor_;
};

// Makes the marker of a new scratch folder and locks it before it takes its name, so that the
// clean-up never meets it unlocked. -1 when it cannot be made.
int MakeLockedMarker(const std::string& folder) {
  const std::string marker = folder + kSeparator + kScratchMarkerName;
  const std::string unnamed = marker + ".new";
  TDescriptor descriptor(::open(unnamed.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600));
  if (descriptor.Get() < 0 || ::flock(descriptor.Get(), LOCK_EX) != 0) return -1;
  if (::rename(unnamed.c_str(), marker.c_str()) != 0) return -1;
  return descriptor.Release();
}

// Opens and locks the marker of a scratch folder that no live scan holds; -1 while one does,
// and when the folder has no marker.
int TakeAbandonedMarker(const std::string& folder) {
  const std::string marker = folder + kSeparator + kScratchMarkerName;
  // Not blocking: a pipe under that name would wait for a writer.
  TDescriptor descriptor(::open(marker.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
  struct stat status;
  if (descriptor.Get() < 0 || ::fstat(descriptor.Get(), &status) != 0 || !S_ISREG(status.st_mode)) return -1;
  if (::flock(descriptor.Get(), LOCK_EX | LOCK_NB) != 0) return -1;
  return descriptor.Release();
}

}  // namespace

TFolderListing::TFolderListing(const std::string& folder) : Folder_(folder), Handle_(::opendir(folder.c_str())) {
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

bool EraseFile(const std::string& path) { return ::unlink(path.c_str()) == 0; }

bool RemoveScratchFile(const std::string& path) { return ::unlink(path.c_str()) == 0; }

bool MakeFolder(const std::string& path) { return ::mkdir(path.c_str(), 0700) == 0; }

bool RemoveFolder(const std::string& path) {
  struct stat status;
  if (::lstat(path.c_str(), &status) == 0 && S_ISLNK(status.st_mode)) return ::unlink(path.c_str()) == 0;
  return ::rmdir(path.c_str()) == 0;
}

bool RemoveTree(const std::string& path) {
  // Depth first, links taken as entries of their own. An entry that will not go is passed
  // over, so that all the rest goes; it shows as the folder that stays.
  auto removeEntry = [](const char* entry, const struct stat*, int, FTW*) {
    ::remove(entry);
    return 0;
  };
  struct stat status;
  return ::nftw(path.c_str(), removeEntry, 16, FTW_DEPTH | FTW_PHYS) == 0 && ::lstat(path.c_str(), &status) != 0;
}

TScratchFolder::~TScratchFolder() {
  if (Marker_ == -1) return;
  ::close(static_cast<int>(Marker_));
  RemoveTree(Path_);
}

bool TScratchFolder::Create(const std::string& path) {
  if (!MakeFolder(path)) return false;
  const int marker = MakeLockedMarker(path);
  if (marker < 0) {
    RemoveTree(path);
    return false;
  }
  Marker_ = marker;
  Path_ = path;
  return true;
}

int RemoveAbandonedScratchFolders(const std::string& tempFolder) {
  int removed = 0;
  TFolderListing listing(tempFolder);
  TFolderEntry entry;
  while (listing.Next(entry)) {
    if (entry.Kind != TEntryKind::Folder || !IsScratchFolderName(entry.Name)) continue;
    const std::string folder = tempFolder + entry.Name;
    // Held while the folder goes, so that a second clean-up passes it over.
    const TDescriptor marker(TakeAbandonedMarker(folder));
    if (marker.Get() >= 0 && RemoveTree(folder)) ++removed;
  }
  return removed;
}

std::string TempFolder() {
  const char* fromEnvironment = std::getenv("TMPDIR");
  std::string folder = fromEnvironment && *fromEnvironment ? fromEnvironment : "/tmp";
  if (folder.back() != kSeparator) folder += kSeparator;
  return folder;
}

}  // namespace QrxWalkPlatform
