#pragma once
// What the two scan workers share: their settings from the main window, the status hand-over
// with its progress step, and the closing text.
#include "qrx_scan_workers.h"

class TScanWorker : public TWorkerThread {
 public:
  explicit TScanWorker(TScanRequest request);

  const std::string& Mode() const { return Mode_; }
  bool AutomaticRemoval() const { return AutomaticRemoval_; }

 protected:
  // Hands StatusText over to the status line, steps the bar, and waits until both are shown.
  void ShowStatus();
  // The last status: the closing text, with the step that leaves the bar at its final place.
  void ShowClosingText(const std::string& text);
  // The results grid through the hand-over. AddThreatRow returns the new row's number, or 0
  // when the hand-over was dropped (the main window is gone).
  int AddThreatRow(const TMenace& threat, const std::string& objectText, const std::string& typeText,
                   const std::string& actionText);
  void MarkThreatRemoved(int row, const std::string& action = kRemovedAction);
  // Where the bar stands after `step` status texts: a sign of activity, not of the share done.
  virtual int ProgressPosition(int step) const = 0;

  std::string StatusText;
  int ProgressStep = 0;
  int ThreatsFound = 0;

 private:
  std::string Mode_;
  bool AutomaticRemoval_;
  TScanTargets Targets_;
};
