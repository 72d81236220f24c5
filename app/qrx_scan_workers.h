#pragma once
// What the main window gives each scan worker, and where the workers come from.
#include <functional>
#include <memory>
#include <string>

#include "qrx_worker.h"

// The main window's targets of one worker: its status line and progress bar. They run on the
// UI thread only, through the worker's hand-over.
struct TScanTargets {
  std::function<void(const std::string&)> ShowStatusText;
  std::function<void(int)> SetProgressPosition;
};

struct TScanRequest {
  std::string Mode;
  bool AutomaticRemoval = false;
  TScanTargets Targets;
};

// Makes the two workers of a scan (created, not started). Tests put in workers of their own.
class TScanWorkerFactory {
 public:
  virtual ~TScanWorkerFactory() = default;
  virtual std::unique_ptr<TWorkerThread> CreateScanVirus(TScanRequest request);
  virtual std::unique_ptr<TWorkerThread> CreateScanSpyware(TScanRequest request);
};
