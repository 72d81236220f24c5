#pragma once
// The antivirus walk: every file below a folder goes to the scanning engine; a ZIP archive is
// opened and its members go to the engine one by one, archives among them opened in turn, and
// whatever is found inside is reported against the archive met on disk.
// No window logic here: the host is told of status texts, finds and what could not be scanned
// through its hooks, and is asked before each entry whether to stop.
#include <cstdint>
#include <functional>
#include <random>
#include <string>

#include "qrx_virus_info.h"

namespace QrxPlatform {
class TScratchFolder;
}

// Bounds against archive bombs, for one archive met on disk with everything nested in it.
// They are near those of established scanners: deeper nesting or more members are not seen
// in genuine archives, and at a few hundred MB unpacked the disk cannot fill and a stop
// request is still noticed within seconds. A member is weighed by the size it declares before
// anything of it is written, and never writes more. What lies past a bound is not unpacked,
// and the archive counts as not fully scanned.
struct TArchiveLimits {
  unsigned MaxDepth = 16;                           // archives in the chain, the one on disk first
  std::uint64_t MaxUnpackedBytes = 256ull << 20;    // every member unpacked, nested ones included
  std::uint64_t MaxMembers = 10000;                 // members of every archive of the chain
};

struct TVirusFind {
  std::string ObjectPath;  // the file on disk: for a find inside an archive, the outermost archive
  std::string MemberName;  // the infected member's stored name inside its archive; empty for a plain file
  std::string VirusName;
  bool Removed = false;    // automatic removal deleted ObjectPath
};

struct TVirusScanHooks {
  // Tested before each entry of a folder and each member of an archive; a stop lets the entry
  // in progress finish.
  std::function<bool()> StopRequested;
  // The status text of the next file or member, before it is scanned.
  std::function<void(const std::string&)> ShowStatus;
  // The engine's verdict on one file; false when it did not scan the file.
  std::function<bool(const std::string&, TVirusInfo&)> ScanFile;
  std::function<void(const TVirusFind&)> ReportInfection;
  // A file, folder or archive on disk that could not be scanned entirely, and why. Optional.
  std::function<void(const std::string& path, const std::string& reason)> NotFullyScanned;
};

struct TVirusScanOptions {
  bool AutoDelete = false;     // an infected file is deleted as soon as it is found
  bool ScanArchives = true;
  bool SkipDotFolders = true;  // folders on disk named ".something" are passed over with all they hold
  std::string TempFolder;      // where archive members are unpacked; empty: the system's folder for temporary files
  TArchiveLimits Limits;
};

class TVirusWalk {
 public:
  TVirusWalk(TVirusScanHooks hooks, TVirusScanOptions options);

  // Scans the folder tree below `folder` (with or without its final separator).
  void WalkFolder(const std::string& folder);
  // Scans one file as the walk scans each file it meets: an archive by its members, anything
  // else (an archive that cannot be opened as one included) by the engine.
  void ScanOneFile(const std::string& path);

  int ThreatsFound() const { return ThreatsFound_; }
  // Files, folders and archives on disk that could not be scanned entirely.
  int NotFullyScanned() const { return NotFullyScanned_; }

  // The folder part of a status text: whole up to 58 characters, else its first 40 and last 18.
  static std::string DisplayFolder(const std::string& folder);
  static bool IsArchiveName(const std::string& name);

 private:
  class TArchiveScan;
  friend class TArchiveScan;

  void WalkTree(const std::string& folder);
  void ScanEntry(const std::string& folder, const std::string& name);
  void ScanArchiveOnDisk(const std::string& path);
  // The engine's verdict on one file; false when it could not scan it.
  bool ScanWithEngine(const std::string& path, TVirusInfo& verdict);
  void ReportInfection(const std::string& objectPath, const std::string& memberName, const std::string& virusName);
  void ReportNotFullyScanned(const std::string& path, const std::string& reason);
  bool MakeScratchFolder(QrxPlatform::TScratchFolder& folder);
  std::string TempFolder() const;

  TVirusScanHooks Hooks_;
  TVirusScanOptions Options_;
  int ThreatsFound_ = 0;
  int NotFullyScanned_ = 0;
  std::string Erased_;            // the last file automatic removal deleted
  bool TempFolderSwept_ = false;  // folders left by a killed scan are removed before the first archive
  std::minstd_rand Random_;
};
