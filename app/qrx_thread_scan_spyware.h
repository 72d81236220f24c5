#pragma once
// The antispyware worker. The registry phase compares the class registrations under
// HKEY_CLASSES_ROOT\CLSID with the database and reports each match as a threat (removing it
// first with automatic removal); in the mode "REGISTRYANDFILES" the file phase then shows the
// files of the Windows folder and of its "system" and "system32" subfolders one by one, 25 ms
// each. It opens no file and detects nothing there: the pace is the point.
#include <functional>

#include "qrx_scan_worker.h"

class ScanSpyware : public TScanWorker {
 public:
  // Removes one spyware registration: true when its server file and its class key are gone.
  using TRemoval = std::function<bool(const TBhoEntry&)>;

  ScanSpyware(TScanRequest request, TRemoval removeEntry);

 protected:
  void Execute() override;
  int ProgressPosition(int step) const override { return (step % 5) * 20; }

 private:
  class TRegistryReport;

  void RegistryPhase();
  void FilePhase();
  void ListFolder(const std::string& folder);
  void ShowStatus(std::string text);
  // One matching database entry, its Clsid upper-cased: a threat for the grid.
  void ReportThreat(const TBhoEntry& entry);

  TRemoval RemoveEntry_;
};
