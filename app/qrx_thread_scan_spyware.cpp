#include "qrx_thread_scan_spyware.h"

#include <windows.h>

#include "qrx_class_keys.h"
#include "qrx_spyware_compare.h"

namespace {

const char kRegistryStatus[] = "1/2 - Analyse base de registre : ";
const char kFileStatus[] = "2/2 - Analyse fichiers systèmes : ";
const char kFilesStarted[] = "0 fichier analysé";
const char kAllModes[] = "REGISTRYANDFILES";
constexpr DWORD FilePace = 25;  // ms per file shown
// The DOS volume-label attribute: the Windows headers have no name for it.
constexpr DWORD VolumeLabelAttribute = 0x08;

// A folder listing, closed when it goes.
class TFolderListing {
 public:
  explicit TFolderListing(const std::string& pattern) : Search_(FindFirstFileA(pattern.c_str(), &Found_)) {}
  ~TFolderListing() {
    if (IsOpen()) FindClose(Search_);
  }
  TFolderListing(const TFolderListing&) = delete;
  TFolderListing& operator=(const TFolderListing&) = delete;

  bool IsOpen() const { return Search_ != INVALID_HANDLE_VALUE; }
  const WIN32_FIND_DATAA& Entry() const { return Found_; }
  bool Next() { return FindNextFileA(Search_, &Found_) != FALSE; }

 private:
  WIN32_FIND_DATAA Found_{};
  HANDLE Search_;
};

// The Windows folder with a closing backslash, or "?" (which lists nothing) when the system
// reports none.
std::string WindowsFolder() {
  char buffer[512];
  const UINT length = GetWindowsDirectoryA(buffer, sizeof buffer);
  if (length == 0 || length >= sizeof buffer) return "?";
  std::string folder(buffer, length);
  if (folder.back() != '\\') folder += '\\';
  return folder;
}

bool IsListedFile(const WIN32_FIND_DATAA& entry) {
  return (entry.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | VolumeLabelAttribute)) == 0;
}

}  // namespace

// The comparison's reports, turned into the worker's hand-overs.
class ScanSpyware::TRegistryReport : public TRegistryPhaseEvents {
 public:
  explicit TRegistryReport(ScanSpyware& worker) : Worker_(worker) {}
  bool StopRequested() const override { return Worker_.StopRequested(); }
  void KeyReached(const std::string& keyName) override { Worker_.ShowStatus(kRegistryStatus + keyName); }
  void EntryMatched(const TBhoEntry& entry) override { Worker_.ReportThreat(entry); }

 private:
  ScanSpyware& Worker_;
};

ScanSpyware::ScanSpyware(TScanRequest request, TRemoval removeEntry)
    : TScanWorker(std::move(request)), RemoveEntry_(std::move(removeEntry)) {}

void ScanSpyware::Execute() {
  RegistryPhase();
  FilePhase();
  ShowClosingText(ThreatsFound > 0 ? "L'analyse antispyware est terminée. Des éléments infectés ont été détectés."
                                   : "L'analyse antispyware est terminée. Aucun spyware détecté.");
}

void ScanSpyware::RegistryPhase() {
  ThreatsFound = 0;
  const TBhoIndex index(BhoTable(), BhoCount());
  TRegistryReport report(*this);
  CompareClassKeys(ListClassKeys(), index, report);
}

void ScanSpyware::ReportThreat(const TBhoEntry& entry) {
  ++ThreatsFound;
  TMenace threat;
  threat.ThreatKind = SpywareThreat;
  threat.BhoEntry = entry;
  const std::string name = entry.DisplayName.Str();
  const std::string type = IsToolbar(entry) ? "Barre d'outils" : "Spyware";
  if (!AutomaticRemoval()) {
    AddThreatRow(threat, name, type, "supprimer");
  } else if (RemoveEntry_(threat.BhoEntry)) {
    MarkThreatRemoved(AddThreatRow(threat, name, type, "supprimer"));
  } else {
    AddThreatRow(threat, name, type, "suppression échouée");
  }
}

void ScanSpyware::FilePhase() {
  if (Mode() != kAllModes) return;
  const std::string windows = WindowsFolder();
  if (!StopRequested()) {
    ShowStatus(kFilesStarted);
    ListFolder(windows);
  }
  if (!StopRequested()) ListFolder(windows + "system\\");
  if (!StopRequested()) ListFolder(windows + "system32\\");
}

void ScanSpyware::ListFolder(const std::string& folder) {
  TFolderListing listing(folder + "*.*");
  for (bool more = listing.IsOpen(); more && !StopRequested(); more = listing.Next()) {
    if (!IsListedFile(listing.Entry())) continue;
    ShowStatus(kFileStatus + folder + listing.Entry().cFileName);
    Sleep(FilePace);
  }
}

void ScanSpyware::ShowStatus(std::string text) {
  StatusText = std::move(text);
  TScanWorker::ShowStatus();
}
