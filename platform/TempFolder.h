#pragma once
// The system's folder for temporary files and the folders of our own made in it.
#include <cstddef>
#include <cstdint>
#include <string>

namespace QrxPlatform {

// The system's folder for temporary files, ending with a separator; empty when the system
// cannot say.
std::string TempFolder();

// Creates a fresh, empty folder of a new name in the system's folder for temporary files and
// answers its path (no final separator); empty when none could be made.
std::string MakeTempFolder();

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

// Removes the scratch folder `folder`, with everything in it, when it carries our marker and no
// running scan holds that marker; false otherwise.
bool RemoveIfAbandoned(const std::string& folder);

// Removes, with everything in them, the folders "TN" + number directly inside `tempFolder`
// (which ends with a separator) that carry our marker and whose marker no running scan holds.
// Folders of other programs, without our marker, are never touched. Answers how many went.
int RemoveAbandonedScratchFolders(const std::string& tempFolder);

}  // namespace QrxPlatform
