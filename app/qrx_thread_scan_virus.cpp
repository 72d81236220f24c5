#include "qrx_thread_scan_virus.h"

#include "KnownFolders.h"
#include "qrx_virus_walk.h"
#include "tns_scan.h"

namespace {

std::string ScanRoot(const std::string& mode) {
  if (mode != "RAPIDE") return "C:\\";
  std::string root = ScanVirus::GetWindowsFolder();
  if (root.back() != '\\') root += '\\';
  return root;
}

}  // namespace

std::string ScanVirus::GetWindowsFolder() {
  std::string folder = QrxPlatform::WindowsFolder();
  if (folder.empty()) return "?";
  folder.pop_back();  // without its closing separator
  return folder;
}

void ScanVirus::Execute() {
  ScanFrom(ScanRoot(Mode()));
  std::string text = ThreatsFound > 0 ? "L'analyse antivirus est terminée. Des fichiers infectés ont été détectés."
                                      : "L'analyse antivirus est terminée. Aucun fichier infecté n'a été détecté.";
  if (NotFullyScanned > 0) {
    text += ' ';
    text += NotFullyScannedSentence(NotFullyScanned);
  }
  ShowClosingText(text);
}

std::string ScanVirus::NotFullyScannedSentence(int count) {
  if (count == 1) return "1 fichier n'a pas pu être analysé entièrement.";
  std::string sentence = std::to_string(count);
  sentence += " fichiers n'ont pas pu être analysés entièrement.";
  return sentence;
}

void ScanVirus::ScanFrom(const std::string& root) {
  TVirusScanHooks hooks;
  hooks.StopRequested = [this] { return StopRequested(); };
  hooks.ShowStatus = [this](const std::string& text) {
    StatusText = text;
    ShowStatus();
  };
  hooks.ScanFile = ScanFileWithEngine;
  hooks.ReportInfection = [this](const TVirusFind& find) { ReportInfection(find); };
  TVirusScanOptions options;
  options.AutoDelete = AutomaticRemoval();
  TVirusWalk walk(std::move(hooks), options);
  walk.WalkFolder(root);
  NotFullyScanned = walk.NotFullyScanned();
}

void ScanVirus::ReportInfection(const TVirusFind& find) {
  ++ThreatsFound;
  const char* action = !AutomaticRemoval() ? "supprimer" : find.Removed ? "" : "suppression échouée";
  TMenace threat;
  threat.ThreatKind = InfectedFileThreat;
  threat.Path = find.ObjectPath;
  const int row = AddThreatRow(threat, find.ObjectPath, "Virus " + find.VirusName, action);
  // A removal that failed keeps its row ticked for a later removal by hand.
  if (find.Removed) MarkThreatRemoved(row);
}
