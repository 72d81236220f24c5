#pragma once
// What the window tests stand on: recorded system services, workers the tests steer, and a
// message pump that waits for a condition.
#include <windows.h>

#include <atomic>
#include <functional>
#include <string>
#include <vector>

#include "qrx_scan_workers.h"
#include "qrx_services.h"

struct TRecordedBox {
  std::string Text;
  std::string Caption;
  UINT Flags;
  HWND Owner;
};

class TRecordingServices : public TSystemServices {
 public:
  TRecordingServices() { Previous_ = ReplaceServices(this); }
  ~TRecordingServices() override { ReplaceServices(Previous_); }

  int ShowMessage(HWND owner, const std::string& text, const std::string& caption, UINT flags) override;
  unsigned LogicalProcessorCount() override { return Processors; }
  unsigned OsMajorVersion() override { return OsMajor; }
  TCalendarDate LocalDate() override { return Today; }
  void ShellOpen(HWND, const std::string& address, int showCommand) override {
    OpenedPages.push_back(address);
    ShowCommands.push_back(showCommand);
  }

  unsigned Processors = 2;
  unsigned OsMajor = 6;
  TCalendarDate Today{2026, 12, 10};
  std::vector<TRecordedBox> Boxes;
  std::vector<std::string> OpenedPages;
  std::vector<int> ShowCommands;
  // Runs as each box is shown, as if the user looked at the screen then.
  std::function<void(const TRecordedBox&)> OnBox;

 private:
  TSystemServices* Previous_;
};

// A worker that hands status texts over until it is stopped (or, with a limit, until it has
// handed over that many), then ends.
class TSteeredWorker : public TWorkerThread {
 public:
  TSteeredWorker(TScanRequest request, int handOvers) : Request(std::move(request)), Limit_(handOvers) {}
  TScanRequest Request;
  std::atomic<int> Applied{0};

 protected:
  void Execute() override;

 private:
  int Limit_;
};

// Records the requests of each scan and makes steered workers from them.
class TSteeredFactory : public TScanWorkerFactory {
 public:
  std::unique_ptr<TWorkerThread> CreateScanVirus(TScanRequest request) override;
  std::unique_ptr<TWorkerThread> CreateScanSpyware(TScanRequest request) override;

  static constexpr int kUntilStopped = -1;
  int VirusHandOvers = kUntilStopped;
  int SpywareHandOvers = kUntilStopped;
  std::vector<std::string> VirusModes, SpywareModes;
  std::vector<bool> VirusRemoval, SpywareRemoval;
  TSteeredWorker* LastVirus = nullptr;
  TSteeredWorker* LastSpyware = nullptr;
};

// Handles window messages until `done` holds or `timeoutMs` passes; returns `done()`.
bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs = 10000);
// Handles the messages that are waiting, for about `ms` milliseconds.
void PumpFor(DWORD ms);
