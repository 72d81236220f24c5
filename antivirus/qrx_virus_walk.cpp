#include "qrx_virus_walk.h"

#include <chrono>

#include "BriskUnzip.h"
#include "qrx_walk_platform.h"

using QrxWalkPlatform::kSeparator;
using QrxWalkPlatform::TEntryKind;
using QrxWalkPlatform::TFolderEntry;
using QrxWalkPlatform::TFolderListing;

namespace {

constexpr char kScanningFile[] = "Analyse du fichier ";
// Names taken by folders left over, or by another scan at the same moment, before we give up.
constexpr int kFolderAttempts = 8;
constexpr unsigned kFolderNumbers = 65000;

// The extractor's report handlers are plain functions, so what they learn is process-wide;
// the extraction engine serves one archive at a time for the whole process anyway.
bool ArchiveDone = false;  // the end report of the extraction arrived
struct TListedMembers {
  std::int64_t Count = 0;
  std::int64_t DeclaredBytes = 0;
} Listed;

void ExtractionReport(std::int32_t, TUnzipReport* report) {
  if (report->Status == UZ_REPORT_ARCHIVE_END) ArchiveDone = true;
}

void ListingReport(std::int32_t, TUnzipReport* report) {
  if (report->Status != UZ_REPORT_PROGRESS) return;
  ++Listed.Count;
  if (report->UnpackedSize > 0) Listed.DeclaredBytes += report->UnpackedSize;
}

std::string WithSeparator(const std::string& folder) {
  return !folder.empty() && folder.back() == kSeparator ? folder : folder + kSeparator;
}

// Deletes everything inside `folder`, subfolders included, so that no temporary folder stays
// behind. Failures are left as they are: there is nothing better to do with them.
void ClearFolderFiles(const std::string& folder) {
  const std::string dir = WithSeparator(folder);
  TFolderListing listing(dir);
  TFolderEntry entry;
  while (listing.Next(entry)) {
    if (entry.Name == "." || entry.Name == "..") continue;
    const std::string path = dir + entry.Name;
    if (entry.Kind == TEntryKind::Folder) {
      ClearFolderFiles(path);
      QrxWalkPlatform::RemoveFolder(path);
    } else if (entry.Kind == TEntryKind::FolderLink) {
      QrxWalkPlatform::RemoveFolder(path);
    } else {
      QrxWalkPlatform::RemoveScratchFile(path);
    }
  }
}

// Seeded once per walk: archives nested in one another are unpacked within the same
// millisecond, and a clock reseeded each time would draw the same folder name for them.
unsigned ClockSeed() {
  const auto now = std::chrono::system_clock::now().time_since_epoch();
  const auto milliseconds = std::chrono::duration_cast<std::chrono::milliseconds>(now).count();
  return static_cast<unsigned>(milliseconds % 86400000) ^ std::random_device{}();
}

}  // namespace

TVirusWalk::TVirusWalk(TVirusScanHooks hooks, TVirusScanOptions options)
    : Hooks_(std::move(hooks)), Options_(std::move(options)), Random_(ClockSeed()) {}

void TVirusWalk::WalkFolder(const std::string& folder) { WalkTree(folder, {}); }

void TVirusWalk::WalkTree(const std::string& folder, const std::string& outer) {
  const std::string dir = WithSeparator(folder);
  TFolderListing listing(dir);
  TFolderEntry entry;
  while (!Hooks_.StopRequested() && listing.Next(entry)) {
    if (entry.Kind == TEntryKind::Folder) {
      // Skips "." and "..", and folders such as .cache with all they hold.
      if (entry.Name[0] != '.') WalkTree(dir + entry.Name, outer);
    } else if (entry.Kind == TEntryKind::File) {
      ScanEntry(folder, entry.Name, outer);
    }
  }
}

void TVirusWalk::ScanEntry(const std::string& folder, const std::string& name, const std::string& outer) {
  Hooks_.ShowStatus(outer.empty() ? kScanningFile + DisplayFolder(folder) + name
                                  : kScanningFile + outer + " : " + name);
  const std::string path = WithSeparator(folder) + name;
  if (Options_.ScanArchives && IsArchiveName(name) && ScanArchive(path)) return;
  TVirusInfo verdict;
  if (!Hooks_.ScanFile(path, verdict) || !verdict.Infected) return;
  if (outer.empty()) {
    ReportInfection(path, {}, verdict.VirusName);
  } else {
    ReportInfection(outer, name, verdict.VirusName);
  }
}

void TVirusWalk::ReportInfection(const std::string& objectPath, const std::string& memberName,
                                 const std::string& virusName) {
  ++ThreatsFound_;
  TVirusFind find{objectPath, memberName, virusName, false};
  if (Options_.AutoDelete) find.Removed = QrxWalkPlatform::EraseFile(objectPath);
  Hooks_.ReportInfection(find);
}

bool TVirusWalk::ScanArchive(const std::string& archivePath) {
  const bool outermost = OuterArchive_.empty();
  if (Depth_ >= Options_.Limits.MaxDepth) return false;
  if (outermost) Budget_ = {Options_.Limits.MaxUnpackedBytes, Options_.Limits.MaxMembers};
  if (!TakeFromBudget(archivePath)) return false;
  const std::string folder = MakeArchiveFolder();
  if (folder.empty()) return false;

  ArchiveDone = false;
  {
    TBriskUnzip unzip(nullptr);
    if (unzip.SetZipFileName(archivePath.c_str()) && unzip.SetTargetDirectory(folder.c_str())) {
      unzip.SetExtractHiddenMembers(true);
      unzip.SetReportHandler(ExtractionReport);
      unzip.ExtractFiles();
    }
  }
  // After a fatal error the members unpacked before it are still worth a look.
  const bool complete = ArchiveDone;
  const int threatsBefore = ThreatsFound_;
  if (outermost) OuterArchive_ = archivePath;
  ++Depth_;
  WalkTree(folder, OuterArchive_);
  --Depth_;
  if (outermost) OuterArchive_.clear();
  ClearFolderFiles(folder);
  QrxWalkPlatform::RemoveFolder(folder);
  return complete || ThreatsFound_ > threatsBefore;
}

// Lists the archive and takes its members and declared sizes from what the outermost archive
// may still unpack. False when it is no archive the extractor can read, or when it does not fit.
// The members hidden outside the directory count too: they are unpacked as well, since a
// payload put in front of a clean archive must not escape the scan.
bool TVirusWalk::TakeFromBudget(const std::string& archivePath) {
  TBriskUnzip lister(nullptr);
  if (!lister.SetZipFileName(archivePath.c_str())) return false;
  lister.SetExtractHiddenMembers(true);
  lister.SetReportHandler(ListingReport);
  Listed = {};
  if (lister.ListFiles() < 0) return false;
  if (Listed.Count > Budget_.Members || Listed.DeclaredBytes > Budget_.Bytes) return false;
  Budget_.Members -= Listed.Count;
  Budget_.Bytes -= Listed.DeclaredBytes;
  return true;
}

// A fresh folder "TN" + a number below 65000 in the folder for temporary files; empty when
// none could be made.
std::string TVirusWalk::MakeArchiveFolder() {
  const std::string temp = WithSeparator(Options_.TempFolder.empty() ? QrxWalkPlatform::TempFolder()
                                                                     : Options_.TempFolder);
  for (int attempt = 0; attempt < kFolderAttempts; ++attempt) {
    const std::string folder = temp + "TN" + std::to_string(Random_() % kFolderNumbers);
    if (QrxWalkPlatform::MakeFolder(folder)) return folder;
  }
  return {};
}

std::string TVirusWalk::DisplayFolder(const std::string& folder) {
  const std::string shown = WithSeparator(folder);
  if (shown.size() <= 58) return shown;
  // The tail is cut by count: it may begin inside a folder name.
  return shown.substr(0, 40) + kSeparator + "..." + kSeparator + shown.substr(shown.size() - 19, 18) + kSeparator;
}

bool TVirusWalk::IsArchiveName(const std::string& name) {
  const std::size_t dot = name.rfind('.');
  if (dot == std::string::npos || name.size() - dot != 4) return false;
  std::string extension = name.substr(dot);
  for (char& c : extension) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return extension == ".ZIP";
}
