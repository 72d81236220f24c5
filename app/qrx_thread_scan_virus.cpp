#include "qrx_thread_scan_virus.h"

ScanVirus::ScanVirus(TScanRequest request)
    : Mode_(std::move(request.Mode)), AutomaticRemoval_(request.AutomaticRemoval), Targets_(std::move(request.Targets)) {}

void ScanVirus::Execute() { ShowClosingText(); }

void ScanVirus::ShowClosingText() {
  StatusText = ThreatsFound > 0
                   ? "L'analyse antivirus est terminée. Des fichiers infectés ont été détectés."
                   : "L'analyse antivirus est terminée. Aucun fichier infecté n'a été détecté.";
  ProgressStep = 18;
  ShowStatus();
}

void ScanVirus::ShowStatus() {
  Synchronize([this] {
    Targets_.ShowStatusText(StatusText);
    ++ProgressStep;
    // The bar cycles by 5 with each text: a sign of activity, not a measure of the scan done.
    Targets_.SetProgressPosition((ProgressStep % 20) * 5);
  });
}
