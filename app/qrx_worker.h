#pragma once
// Worker threads and their hand-over to the UI thread.
//
// Errors: nothing thrown leaves a thread. A body that throws has simply ended (its completion
// notice still runs); a handed-over item that throws is reported on the UI thread.
//
// How it works: a worker never touches a widget. It hands each item (a status text, a progress
// step, a found threat) to the UI thread with Synchronize, which sends a message to the
// application's hand-over window and waits until the UI thread has run the item; the item's
// result (a row number) comes back the same way. Sent messages are delivered whenever the UI
// thread looks at its queue: in the event loop, in modal loops, and in WaitFor below, so a
// UI thread waiting for a worker never deadlocks with a worker waiting on a hand-over.
//
// When the worker's body returns, its completion notice runs on the UI thread, after its last
// hand-over, exactly once. Once the application has closed its hand-overs (the main window is
// gone), items are dropped: no worker reaches the window after that.
#include <windows.h>

#include <atomic>
#include <functional>
#include <memory>

class TWorkerThread {
 public:
  TWorkerThread() = default;
  TWorkerThread(const TWorkerThread&) = delete;
  TWorkerThread& operator=(const TWorkerThread&) = delete;
  // A worker is released with ReleaseWorker, which waits for it to end before the object goes.
  virtual ~TWorkerThread();

  // Registers the completion notice; call before Start.
  void SetOnDone(std::function<void()> onDone) { OnDone_ = std::move(onDone); }
  void Start();
  // The stop request: the body tests it between items and ends early.
  void Stop() { StopRequested_ = true; }
  bool Finished() const;

  // UI thread: waits until the worker has ended, applying hand-overs meanwhile. With a
  // timeout, returns false when the worker is still running when it runs out.
  bool WaitFor(DWORD timeoutMs = INFINITE);
  // Leaves a worker that would not end to the end of the process, which must then end
  // without running its static destructors (see AbandonedWorkers).
  void Abandon();
  static int AbandonedWorkers();

 protected:
  virtual void Execute() = 0;
  bool StopRequested() const { return StopRequested_; }
  // Runs `item` on the UI thread and waits for it. Returns false when it was dropped.
  bool Synchronize(const std::function<void()>& item);

 private:
  static DWORD WINAPI ThreadMain(void* self);

  HANDLE Thread_ = nullptr;
  std::function<void()> OnDone_;
  std::atomic<bool> StopRequested_{false};
};

// The release operation: waits for the worker to end, applying its hand-overs meanwhile, then
// destroys it. (Waiting in the destructor would be too late: the body would run on an object
// already half destroyed.)
void ReleaseWorker(std::unique_ptr<TWorkerThread>& worker);

// Waits for `handle` to be signalled, running only the hand-overs sent to this thread
// (not user input), so that no handler is re-entered while the UI waits.
bool WaitApplyingHandOvers(HANDLE handle, DWORD timeoutMs);
