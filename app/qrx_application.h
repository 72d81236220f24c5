#pragma once
// The application object: its title, the termination request, the event loop, the hand-over
// window through which workers run code on the UI thread, and the error report.
//
// Errors at the program's boundary: whatever a handler or a handed-over item throws is caught
// there and shown in one error box titled with the program's name; a failed start-up load is
// shown in its own box and ends the program.
#include <windows.h>

#include <atomic>
#include <exception>
#include <string>

class TApplication {
 public:
  void Initialize(HINSTANCE instance);
  HINSTANCE Instance() const { return Instance_; }

  // The title is the name of the program's task bar button. The button belongs to the
  // application window, a window of no size that owns the main window.
  const std::string& Title() const { return Title_; }
  void SetTitle(const std::string& title);
  HWND Window() const { return Window_; }
  // Shows the main window, and with it the task bar button.
  void ShowMainWindow(HWND mainWindow);

  // Asks the program to end. The request takes effect at the next turn of the event loop,
  // so whatever start-up step is running (a message box included) runs to its end first.
  void Terminate() { Terminated_ = true; }
  bool Terminated() const { return Terminated_; }

  // Runs the event loop until the main window is gone or termination was requested.
  void Run(HWND mainWindow);
  // Handles every pending window message of this thread once.
  void ProcessMessages();

  // The application's error report: a box captioned with the title, with the error icon.
  void ShowException(const std::exception& error);
  static std::string ErrorReportText(const std::string& message);

  // The hand-over target: a message-only window of the UI thread (see qrx_worker.h).
  HWND HandOverWindow() const { return HandOverWindow_.load(); }
  // After this call hand-overs are no longer applied; waiting workers are let go.
  void CloseHandOvers();
  bool HandOversClosed() const { return HandOverWindow_.load() == nullptr; }

 private:
  static LRESULT CALLBACK HandOverProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

  HINSTANCE Instance_ = nullptr;
  std::string Title_;
  HWND Window_ = nullptr;
  HWND MainWindow_ = nullptr;
  bool Terminated_ = false;
  // Read by the workers, written by the UI thread.
  std::atomic<HWND> HandOverWindow_{nullptr};
};

extern TApplication Application;
