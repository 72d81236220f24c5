#include "qrx_worker.h"

#include "qrx_application.h"

TWorkerThread::~TWorkerThread() {
  if (Thread_ != nullptr) {
    WaitFor();
    CloseHandle(Thread_);
  }
}

void TWorkerThread::Start() {
  Thread_ = CreateThread(nullptr, 0, &TWorkerThread::ThreadMain, this, 0, nullptr);
}

bool TWorkerThread::Finished() const {
  return Thread_ == nullptr || WaitForSingleObject(Thread_, 0) == WAIT_OBJECT_0;
}

bool TWorkerThread::WaitFor(DWORD timeoutMs) {
  return Thread_ == nullptr || WaitApplyingHandOvers(Thread_, timeoutMs);
}

namespace {
std::atomic<int> Abandoned{0};
}

void TWorkerThread::Abandon() {
  if (Thread_ == nullptr) return;
  CloseHandle(Thread_);
  Thread_ = nullptr;
  ++Abandoned;
}

int TWorkerThread::AbandonedWorkers() { return Abandoned; }

bool TWorkerThread::Synchronize(const std::function<void()>& item) {
  HWND target = Application.HandOverWindow();
  if (target == nullptr) return false;
  return SendMessageW(target, WM_APP, 0, reinterpret_cast<LPARAM>(&item)) != 0;
}

DWORD WINAPI TWorkerThread::ThreadMain(void* self) {
  auto* worker = static_cast<TWorkerThread*>(self);
  // No exception may leave a thread; a body that throws has simply ended.
  try {
    worker->Execute();
  } catch (...) {
  }
  if (worker->OnDone_) worker->Synchronize(worker->OnDone_);
  return 0;
}

void ReleaseWorker(std::unique_ptr<TWorkerThread>& worker) {
  if (!worker) return;
  worker->WaitFor();
  worker.reset();
}

bool WaitApplyingHandOvers(HANDLE handle, DWORD timeoutMs) {
  const DWORD start = GetTickCount();
  for (;;) {
    DWORD waited = GetTickCount() - start;
    DWORD left = timeoutMs == INFINITE ? INFINITE : (waited >= timeoutMs ? 0 : timeoutMs - waited);
    DWORD r = MsgWaitForMultipleObjects(1, &handle, FALSE, left, QS_SENDMESSAGE);
    if (r == WAIT_OBJECT_0) return true;
    if (r != WAIT_OBJECT_0 + 1) return false;
    MSG msg;
    // Peeking delivers the messages sent to this thread; nothing posted is removed.
    PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
  }
}
