#include "../TempFolder.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>

#include "../FileSystem.h"

namespace QrxPlatform {
namespace {

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

std::string TempFolder() {
  const char* fromEnvironment = std::getenv("TMPDIR");
  std::string folder = fromEnvironment && *fromEnvironment ? fromEnvironment : "/tmp";
  if (folder.back() != kSeparator) folder += kSeparator;
  return folder;
}

std::string MakeTempFolder() {
  std::string pattern = TempFolder() + "qrx-XXXXXX";
  return ::mkdtemp(pattern.data()) != nullptr ? pattern : std::string();
}

TScratchFolder::~TScratchFolder() {
  if (Marker_ == -1) return;
  ::close(static_cast<int>(Marker_));
  RemoveTree(Path_);
}

bool TScratchFolder::Create(const std::string& path) {
  // Private to the scan: what it unpacks is nobody else's to read.
  if (::mkdir(path.c_str(), 0700) != 0) return false;
  const int marker = MakeLockedMarker(path);
  if (marker < 0) {
    RemoveTree(path);
    return false;
  }
  Marker_ = marker;
  Path_ = path;
  return true;
}

bool RemoveIfAbandoned(const std::string& folder) {
  // Held while the folder goes, so that a second clean-up passes it over.
  const TDescriptor marker(TakeAbandonedMarker(folder));
  return marker.Get() >= 0 && RemoveTree(folder);
}

}  // namespace QrxPlatform
