#pragma once
// The antivirus worker: the walk of the Windows folder (quick scan) or of drive C: (complete
// scan), ZIP archives included, with its status texts, its rows and automatic removal handed
// to the main window.
#include <string>

#include "qrx_scan_worker.h"

struct TVirusFind;

class ScanVirus : public TScanWorker {
 public:
  using TScanWorker::TScanWorker;

  // The Windows folder as the system reports it, or "?" when it cannot say.
  static std::string GetWindowsFolder();
  // The sentence the closing text gains when files could not be scanned entirely.
  static std::string NotFullyScannedSentence(int count);

 protected:
  void Execute() override;
  int ProgressPosition(int step) const override { return (step % 20) * 5; }
  // The walk below `root` with every file, status text and find handed over; Execute's body
  // between the choice of the root and the closing text.
  void ScanFrom(const std::string& root);

  int NotFullyScanned = 0;  // files, folders and archives the walk could not scan entirely

 private:
  // One infected file (or archive) to the results grid; removed at once with automatic removal.
  void ReportInfection(const TVirusFind& find);
};
