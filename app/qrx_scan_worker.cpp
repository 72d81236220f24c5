#include "qrx_scan_worker.h"

TScanWorker::TScanWorker(TScanRequest request)
    : Mode_(std::move(request.Mode)), AutomaticRemoval_(request.AutomaticRemoval), Targets_(std::move(request.Targets)) {}

void TScanWorker::ShowStatus() {
  Synchronize([this] {
    Targets_.ShowStatusText(StatusText);
    ++ProgressStep;
    Targets_.SetProgressPosition(ProgressPosition(ProgressStep));
  });
}

void TScanWorker::ShowClosingText(const std::string& text) {
  StatusText = text;
  ProgressStep = 18;
  ShowStatus();
}

int TScanWorker::AddThreatRow(const TMenace& threat, const std::string& objectText, const std::string& typeText,
                              const std::string& actionText) {
  int row = 0;
  Synchronize([&] { row = Targets_.AddThreatRow(threat, objectText, typeText, actionText); });
  return row;
}

void TScanWorker::MarkThreatRemoved(int row, const std::string& action) {
  Synchronize([&] { Targets_.MarkThreatRemoved(row, action); });
}
