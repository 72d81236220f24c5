#pragma once
// The few file-system services the antivirus walk needs. The portable walk sees only this
// header; platform/win32 implements it for the product, platform/posix for the native build.
// Paths are single-byte.
#include <cstddef>
#include <cstdint>
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
  // True when the folder could not be listed (missing, no access, not a folder), or when its
  // listing broke off with an error before its end. A folder that disappears while it is
  // listed ends there: the walk goes on with what follows it.
  bool Failed() const { return Failed_; }

 private:
  bool Failed_ = false;
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
// Removes a folder with everything in it, read-only files included; links and junctions
// inside are removed, never followed. False when something stayed.
bool RemoveTree(const std::string& path);

// A folder of the scan's own for unpacking one archive: `path` ("TN" + a number below 65000,
// directly inside the folder for temporary files) with a marker file inside that the object
// holds open, locked, for as long as it lives. A folder whose marker no live scan holds was
// left by a scan that was killed: RemoveAbandonedScratchFolders takes it away later.
class TScratchFolder {
 public:
  TScratchFolder() = default;
  ~TScratchFolder();  // releases the marker and removes the folder with everything in it
  TScratchFolder(const TScratchFolder&) = delete;
  TScratchFolder& operator=(const TScratchFolder&) = delete;

  // Creates the folder (one level) and its marker. False when the name is taken or the folder
  // cannot be made; nothing is left behind then.
  bool Create(const std::string& path);
  const std::string& Path() const { return Path_; }  // without a final separator

 private:
  std::string Path_;
  std::intptr_t Marker_ = -1;
};

// The marker's name inside a scratch folder.
inline constexpr char kScratchMarkerName[] = "QRXSCAN.LCK";

// True for the names scratch folders get: "TN" + a number below 65000, in decimal without
// leading zeros.
inline bool IsScratchFolderName(const std::string& name) {
  if (name.size() < 3 || name.size() > 7 || name.compare(0, 2, "TN") != 0) return false;
  if (name[2] == '0') return name.size() == 3;
  long number = 0;
  for (std::size_t i = 2; i < name.size(); ++i) {
    if (name[i] < '0' || name[i] > '9') return false;
    number = number * 10 + (name[i] - '0');
  }
  return number < 65000;
}

// Removes, with everything in them, the folders "TN" + number directly inside `tempFolder`
// (which ends with kSeparator) that carry our marker and whose marker no running scan holds.
// Folders of other programs, without our marker, are never touched. Answers how many went.
int RemoveAbandonedScratchFolders(const std::string& tempFolder);

// The system's folder for temporary files, ending with kSeparator; "?" when the system cannot say.
std::string TempFolder();

}  // namespace QrxWalkPlatform
