#pragma once
// The few file-system services the antivirus walk needs. The portable walk sees only this
// header; platform/win32 implements it for the product, platform/posix for the native build.
// Paths are single-byte.
#include <string>

namespace QrxWalkPlatform {

#ifdef _WIN32
inline constexpr char kSeparator = '\\';
#else
inline constexpr char kSeparator = '/';
#endif

enum class TEntryKind {
  File,
  Folder,
  FolderLink,  // a link or junction to a folder: never followed, so no loop and no file seen twice
  Other,       // a volume label, a device, a pipe: nothing to scan
};

struct TFolderEntry {
  std::string Name;
  TEntryKind Kind = TEntryKind::Other;
};

// The entries of one folder (hidden and system ones included, "." and ".." too), in the order
// the system lists them. A folder that cannot be listed has no entries. Closes itself.
class TFolderListing {
 public:
  explicit TFolderListing(const std::string& folder);  // folder ends with kSeparator
  ~TFolderListing();
  TFolderListing(const TFolderListing&) = delete;
  TFolderListing& operator=(const TFolderListing&) = delete;
  bool Next(TFolderEntry& entry);

 private:
  std::string Folder_;
  void* Handle_ = nullptr;
#ifdef _WIN32
  bool HavePending_ = false;  // the first entry comes with the opening
  TFolderEntry Pending_;
#endif
};

// One plain deletion: no retry, no change of attributes (a read-only file stays).
bool EraseFile(const std::string& path);
// Deletes a file of our own making, read-only or not.
bool RemoveScratchFile(const std::string& path);
// Creates one folder level; false when it exists already or cannot be made.
bool MakeFolder(const std::string& path);
// Removes an empty folder, or a link to a folder (not what it points to).
bool RemoveFolder(const std::string& path);
// The system's folder for temporary files, ending with kSeparator; "?" when the system cannot say.
std::string TempFolder();

}  // namespace QrxWalkPlatform
