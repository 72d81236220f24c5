#pragma once
// The antispyware worker.
#include "qrx_scan_workers.h"

class ScanSpyware : public TWorkerThread {
 public:
  explicit ScanSpyware(TScanRequest request);

  const std::string& Mode() const { return Mode_; }
  bool AutomaticRemoval() const { return AutomaticRemoval_; }

 protected:
  void Execute() override;

 private:
  // Hands StatusText over to the status line and steps the bar; waits until it is shown.
  void ShowStatus();
  void ShowSummary();

  std::string Mode_;
  bool AutomaticRemoval_;
  TScanTargets Targets_;
  std::string StatusText;
  int ProgressStep = 0;
  int ThreatsFound = 0;
};
