#pragma once
// The antivirus worker.
#include "qrx_scan_worker.h"

class ScanVirus : public TScanWorker {
 public:
  using TScanWorker::TScanWorker;

 protected:
  void Execute() override;
  int ProgressPosition(int step) const override { return (step % 20) * 5; }
};
