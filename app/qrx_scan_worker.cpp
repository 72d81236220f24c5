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
