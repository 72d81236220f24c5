#pragma once
// The antispyware worker.
#include "qrx_scan_worker.h"

class ScanSpyware : public TScanWorker {
 public:
  using TScanWorker::TScanWorker;

 protected:
  void Execute() override;
  int ProgressPosition(int step) const override { return (step % 5) * 20; }
};
