#include "qrx_thread_scan_spyware.h"

ScanSpyware::ScanSpyware(TScanRequest request)
    : Mode_(std::move(request.Mode)), AutomaticRemoval_(request.AutomaticRemoval), Targets_(std::move(request.Targets)) {}

void ScanSpyware::Execute() { ShowSummary(); }

void ScanSpyware::ShowSummary() {
  StatusText = ThreatsFound > 0 ? "L'analyse antispyware est terminée. Des éléments infectés ont été détectés."
                                : "L'analyse antispyware est terminée. Aucun spyware détecté.";
  ProgressStep = 18;
  ShowStatus();
}

void ScanSpyware::ShowStatus() {
  Synchronize([this] {
    Targets_.ShowStatusText(StatusText);
    ++ProgressStep;
    Targets_.SetProgressPosition((ProgressStep % 5) * 20);
  });
}
