#pragma once
// What the main window gives each scan worker, and where the workers come from.
#include <functional>
#include <memory>
#include <string>

#include "qrx_menaces_liste.h"
#include "qrx_worker.h"

// The main window's targets of one worker: its status line, its progress bar and the results
// grid. They run on the UI thread only, through the worker's hand-over.
struct TScanTargets {
  std::function<void(const std::string&)> ShowStatusText;
  std::function<void(int)> SetProgressPosition;
  // Stores the threat, appends its row (object, type, action texts) and returns the row number.
  std::function<int(const TMenace&, const std::string&, const std::string&, const std::string&)> AddThreatRow;
  // Shows a row as removed, with the action text given.
  std::function<void(int, const std::string&)> MarkThreatRemoved;
};

// The action texts of a removed row: the threat gone, or only the registration of a spyware
// whose server file Windows or other programs need.
inline constexpr char kRemovedAction[] = "SUPPRIME";
inline constexpr char kRegistrationRemovedAction[] = "enregistrement supprimé";

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
