#pragma once
// The antivirus walk: every file below a folder goes to the scanning engine; a ZIP archive is
// unpacked into a temporary folder of its own and walked the same way, archives inside it
// included, and whatever is found inside is reported against the archive met on disk.
// No window logic here: the host is told of status texts and finds through its hooks, and
// is asked before each entry whether to stop.
#include <cstdint>
#include <functional>
#include <random>
#include <string>

#include "qrx_virus_info.h"

// Bounds against archive bombs, for one archive met on disk with everything nested in it.
// They are near those of established scanners: deeper nesting or more members are not seen
// in genuine archives, and at a few hundred MB unpacked the disk cannot fill and a stop
// request is still noticed within seconds. Past a bound, the rest of that archive is not
// unpacked: what is left goes to the engine as plain files.
struct TArchiveLimits {
  int MaxDepth = 16;                                  // archives inside archives
  std::int64_t MaxUnpackedBytes = 256LL << 20;        // declared sizes; output never passes them
  std::int64_t MaxMembers = 10000;
};

struct TVirusFind {
  std::string ObjectPath;  // the file on disk: for a find inside an archive, the outermost archive
  std::string MemberName;  // the infected member's file name inside it; empty for a plain file
  std::string VirusName;
  bool Removed = false;    // automatic removal deleted ObjectPath
};

struct TVirusScanHooks {
  // Tested before each entry of a folder; a stop lets the entry in progress finish.
  std::function<bool()> StopRequested;
  // The status text of the next file, before it is scanned.
  std::function<void(const std::string&)> ShowStatus;
  // The engine's verdict on one file; false when it did not scan the file.
  std::function<bool(const std::string&, TVirusInfo&)> ScanFile;
  std::function<void(const TVirusFind&)> ReportInfection;
};

struct TVirusScanOptions {
  bool AutoDelete = false;  // an infected file is deleted as soon as it is found
  bool ScanArchives = true;
  std::string TempFolder;   // where archives are unpacked; empty: the system's folder for temporary files
  TArchiveLimits Limits;
};

class TVirusWalk {
 public:
  TVirusWalk(TVirusScanHooks hooks, TVirusScanOptions options);

  // Scans the folder tree below `folder` (with or without its final separator).
  void WalkFolder(const std::string& folder);
  // Unpacks the archive and scans what it holds. False when it could not be unpacked (not an
  // archive, a damaged directory, a bound reached), or only partly with nothing found in what
  // was: the caller then hands the file to the engine, so that a renamed file hides nothing.
  bool ScanArchive(const std::string& archivePath);

  int ThreatsFound() const { return ThreatsFound_; }

  // The folder part of a status text: whole up to 58 characters, else its first 40 and last 18.
  static std::string DisplayFolder(const std::string& folder);
  static bool IsArchiveName(const std::string& name);

 private:
  struct TBudget {
    std::int64_t Bytes = 0;
    std::int64_t Members = 0;
  };

  // The walk below a folder on disk, or below an archive's temporary folder when `outer`, the
  // archive met on disk, is set: finds there are reported against it.
  void WalkTree(const std::string& folder, const std::string& outer);
  void ScanEntry(const std::string& folder, const std::string& name, const std::string& outer);
  void ReportInfection(const std::string& objectPath, const std::string& memberName, const std::string& virusName);
  bool TakeFromBudget(const std::string& archivePath);
  std::string MakeArchiveFolder();

  TVirusScanHooks Hooks_;
  TVirusScanOptions Options_;
  int ThreatsFound_ = 0;
  std::string OuterArchive_;  // the archive met on disk while its content is walked
  int Depth_ = 0;             // archives being unpacked or walked, one inside the other
  TBudget Budget_;            // what the current outermost archive may still unpack
  std::minstd_rand Random_;
};
