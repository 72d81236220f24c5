#include "qrx_application.h"

#include <functional>

#include "Window.h"
#include "qrx_services.h"

TApplication Application;

namespace {
const char kHandOverClass[] = "QuorvexHandOver";
const char kApplicationClass[] = "TApplication";

void RegisterApplicationClass(HINSTANCE instance, const char* name, WNDPROC procedure) {
  WNDCLASSA wc{};
  wc.lpfnWndProc = procedure;
  wc.hInstance = instance;
  wc.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(1));
  wc.lpszClassName = name;
  RegisterClassOnce(wc);
}
}

void TApplication::Initialize(HINSTANCE instance) {
  Instance_ = instance;
  RegisterApplicationClass(instance, kHandOverClass, &TApplication::HandOverProc);
  RegisterApplicationClass(instance, kApplicationClass, &TApplication::WindowProc);
  if (Window_ == nullptr) {
    Window_ = CreateWindowA(kApplicationClass, Title_.c_str(), WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX,
                            GetSystemMetrics(SM_CXSCREEN) / 2, GetSystemMetrics(SM_CYSCREEN) / 2, 0, 0, nullptr,
                            nullptr, instance, nullptr);
  }
  if (HandOverWindow_.load() == nullptr)
    HandOverWindow_ = CreateWindowA(kHandOverClass, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, instance, nullptr);
  // Errors escaping a window's handlers end up in the error report.
  SetUncaughtErrorHandler([](const std::exception& error) { Application.ShowException(error); });
}

void TApplication::SetTitle(const std::string& title) {
  Title_ = title;
  SetWindowTextA(Window_, title.c_str());
}

void TApplication::ShowMainWindow(HWND mainWindow) {
  MainWindow_ = mainWindow;
  ShowWindow(Window_, SW_SHOWNOACTIVATE);
  ShowWindow(mainWindow, SW_SHOWNORMAL);
}

// The application window only stands for the program on the task bar: activating it activates
// the main window (or the dialog over it), and closing it closes the main window.
LRESULT CALLBACK TApplication::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_ACTIVATE:
      if (LOWORD(wParam) != WA_INACTIVE) {
        HWND popup = GetLastActivePopup(window);
        if (popup != window && IsWindowEnabled(popup)) SetActiveWindow(popup);
      }
      return 0;
    case WM_CLOSE:
      if (IsWindow(Application.MainWindow_)) PostMessageA(Application.MainWindow_, WM_CLOSE, 0, 0);
      return 0;
    default:
      return DefWindowProcA(window, message, wParam, lParam);
  }
}

void TApplication::Run(HWND mainWindow) {
  MSG msg;
  while (!Terminated_ && IsWindow(mainWindow)) {
    if (GetMessageA(&msg, nullptr, 0, 0) <= 0) break;
    if (!IsDialogMessageA(GetAncestor(msg.hwnd, GA_ROOT), &msg)) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
  }
}

void TApplication::ProcessMessages() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      Terminate();
      break;
    }
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
}

std::string TApplication::ErrorReportText(const std::string& message) {
  std::string text = message;
  if (!text.empty() && static_cast<unsigned char>(text.back()) > '.') text += '.';
  return text;
}

void TApplication::ShowException(const std::exception& error) {
  // Owned by the active window, which stays disabled under the box: no handler runs again
  // while the report is open.
  Services().ShowMessage(GetActiveWindow(), ErrorReportText(error.what()), Title_, MB_OK | MB_ICONERROR);
}

void TApplication::CloseHandOvers() {
  HWND window = HandOverWindow_.exchange(nullptr);
  if (window != nullptr) DestroyWindow(window);
}

LRESULT CALLBACK TApplication::HandOverProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message != WM_APP) return DefWindowProcA(window, message, wParam, lParam);
  if (Application.HandOversClosed()) return 0;
  try {
    (*reinterpret_cast<const std::function<void()>*>(lParam))();
  } catch (const std::exception& error) {
    Application.ShowException(error);
  } catch (...) {
    Application.ShowException(UnknownError());
  }
  return 1;
}
