#include "qrx_thread_scan_spyware.h"

#include <windows.h>

#include "FolderListing.h"
#include "qrx_class_keys.h"
#include "qrx_spyware_compare.h"

namespace {

const char kRegistryStatus[] = "1/2 - Analyse base de registre : ";
const char kFileStatus[] = "2/2 - Analyse fichiers systèmes : ";
const char kFilesStarted[] = "0 fichier analysé";
const char kAllModes[] = "REGISTRYANDFILES";
constexpr DWORD FilePace = 25;  // ms per file shown

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

ScanSpyware::ScanSpyware(TScanRequest request, TRemoval removeEntry, TFolderSource windowsFolder)
    : TScanWorker(std::move(request)), RemoveEntry_(std::move(removeEntry)), WindowsFolder_(std::move(windowsFolder)) {}

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
  const std::string name = BhoDisplayName(entry);
  const std::string type = IsToolbar(entry) ? "Barre d'outils" : "Spyware";
  if (!AutomaticRemoval()) {
    AddThreatRow(threat, name, type, "supprimer");
    return;
  }
  switch (RemoveEntry_(threat.BhoEntry)) {
    case TSpywareRemoval::Removed: MarkThreatRemoved(AddThreatRow(threat, name, type, "supprimer")); break;
    case TSpywareRemoval::RegistrationRemoved:
      MarkThreatRemoved(AddThreatRow(threat, name, type, "supprimer"), kRegistrationRemovedAction);
      break;
    case TSpywareRemoval::Failed: AddThreatRow(threat, name, type, "suppression échouée"); break;
  }
}

void ScanSpyware::FilePhase() {
  if (Mode() != kAllModes || StopRequested()) return;
  ShowStatus(kFilesStarted);
  const std::string windows = WindowsFolder_();
  // Without a Windows folder there is no system folder to list: the current folder is none.
  if (windows.empty()) return;
  ListFolder(windows);
  if (!StopRequested()) ListFolder(windows + "system\\");
  if (!StopRequested()) ListFolder(windows + "system32\\");
}

void ScanSpyware::ListFolder(const std::string& folder) {
  QrxPlatform::TFolderListing listing(folder);
  QrxPlatform::TFolderEntry entry;
  while (!StopRequested() && listing.Next(entry)) {
    if (entry.Kind != QrxPlatform::TEntryKind::File) continue;
    ShowStatus(kFileStatus + folder + entry.Name);
    Sleep(FilePace);
  }
}

void ScanSpyware::ShowStatus(std::string text) {
  StatusText = std::move(text);
  TScanWorker::ShowStatus();
}
