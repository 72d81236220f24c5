#include "app_test_support.h"

int TRecordingServices::ShowMessage(HWND owner, const std::string& text, const std::string& caption, UINT flags) {
  Boxes.push_back({text, caption, flags, owner});
  if (OnBox) OnBox(Boxes.back());
  return IDOK;
}

void TSteeredWorker::Execute() {
  for (int n = 0; Limit_ == TSteeredFactory::kUntilStopped || n < Limit_; ++n) {
    if (StopRequested()) break;
    Synchronize([this, n] {
      Request.Targets.ShowStatusText("pas " + std::to_string(n));
      ++Applied;
    });
    Sleep(1);
  }
}

std::unique_ptr<TWorkerThread> TSteeredFactory::CreateScanVirus(TScanRequest request) {
  VirusModes.push_back(request.Mode);
  VirusRemoval.push_back(request.AutomaticRemoval);
  auto worker = std::make_unique<TSteeredWorker>(std::move(request), VirusHandOvers);
  LastVirus = worker.get();
  return worker;
}

std::unique_ptr<TWorkerThread> TSteeredFactory::CreateScanSpyware(TScanRequest request) {
  SpywareModes.push_back(request.Mode);
  SpywareRemoval.push_back(request.AutomaticRemoval);
  auto worker = std::make_unique<TSteeredWorker>(std::move(request), SpywareHandOvers);
  LastSpyware = worker.get();
  return worker;
}

bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs) {
  const DWORD start = GetTickCount();
  while (!done()) {
    if (GetTickCount() - start > timeoutMs) return false;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
  }
  return true;
}

std::wstring WindowTextOf(HWND window) {
  std::wstring text(GetWindowTextLengthW(window) + 1, L'\0');
  text.resize(GetWindowTextW(window, text.data(), static_cast<int>(text.size())));
  return text;
}

void PumpFor(DWORD ms) {
  const DWORD start = GetTickCount();
  PumpUntil([&] { return GetTickCount() - start >= ms; }, ms + 1000);
}
