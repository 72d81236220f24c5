#pragma once
// The antispyware worker. The registry phase compares the class registrations under
// HKEY_CLASSES_ROOT\CLSID with the database and reports each match as a threat (removing it
// first with automatic removal); in the mode "REGISTRYANDFILES" the file phase then shows the
// files of the Windows folder and of its "system" and "system32" subfolders one by one, 25 ms
// each. It opens no file and detects nothing there: the pace is the point.
#include <functional>

#include "KnownFolders.h"
#include "qrx_scan_worker.h"
#include "qrx_spyware_removal.h"

class ScanSpyware : public TScanWorker {
 public:
  // Removes one spyware registration.
  using TRemoval = std::function<TSpywareRemoval(const TBhoEntry&)>;
  // The Windows folder with its closing separator; empty when the system cannot say.
  using TFolderSource = std::function<std::string()>;

  ScanSpyware(TScanRequest request, TRemoval removeEntry, TFolderSource windowsFolder = QrxPlatform::WindowsFolder);

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
  TFolderSource WindowsFolder_;
};
