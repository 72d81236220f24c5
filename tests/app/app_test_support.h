#pragma once
// What the window tests stand on: recorded system services, workers the tests steer, and a
// message pump that waits for a condition.
#include <windows.h>

#include <atomic>
#include <functional>
#include <string>
#include <vector>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <memory>

#include "qrx_MiseAjourDlg.h"
#include "qrx_application.h"
#include "qrx_main.h"
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
// What a window shows, as the system hands it to any program (GetWindowTextW).
std::wstring WindowTextOf(HWND window);

// The main window opened in this process, with recorded services and steered workers.
class MainWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_PROGRESS_CLASS | ICC_BAR_CLASSES | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
    Application.Initialize(GetModuleHandleW(nullptr));
    Application.SetTitle("Quorvex");
  }

  void TearDown() override {
    Form.reset();
    Notice.reset();
    PumpFor(20);
  }

  // Opens the window with the services as set up by the test, and the given worker factory.
  void Open(TScanWorkerFactory& workers) {
    Form = std::make_unique<TFormQuorvex>(workers, LoadDataFiles);
    Notice = std::make_unique<TMiseAJourDlg>();
    Application.ShowMainWindow(Form->Handle());
  }
  void Open() { Open(Steered); }

  // A click: a press and a release on the control.
  void ClickLink(const TWindow& link) {
    SendMessageW(link.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(1, 1));
    SendMessageW(link.Handle(), WM_LBUTTONUP, 0, MAKELPARAM(1, 1));
  }

  bool WaitForBoxes(size_t count) { return PumpUntil([&] { return Services.Boxes.size() >= count; }); }

  TRecordingServices Services;
  TSteeredFactory Steered;
  TFormQuorvex::TDataLoader LoadDataFiles;
  std::unique_ptr<TFormQuorvex> Form;
  std::unique_ptr<TMiseAJourDlg> Notice;
};
