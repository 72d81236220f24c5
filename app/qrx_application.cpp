#include "qrx_application.h"

#include <functional>

#include "Window.h"
#include "WideText.h"
#include "qrx_services.h"

TApplication Application;

namespace {
const wchar_t kHandOverClass[] = L"QuorvexHandOver";
const wchar_t kApplicationClass[] = L"TApplication";

void RegisterApplicationClass(HINSTANCE instance, const wchar_t* name, WNDPROC procedure) {
  WNDCLASSW wc{};
  wc.lpfnWndProc = procedure;
  wc.hInstance = instance;
  wc.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(1));
  wc.lpszClassName = name;
  RegisterClassOnce(wc);
}
}  // namespace

void TApplication::Initialize(HINSTANCE instance) {
  Instance_ = instance;
  RegisterApplicationClass(instance, kHandOverClass, &TApplication::HandOverProc);
  RegisterApplicationClass(instance, kApplicationClass, &TApplication::WindowProc);
  if (Window_ == nullptr) {
    Window_ = CreateWindowExW(0, kApplicationClass, QrxPlatform::Wide(Title_).c_str(),
                              WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX, GetSystemMetrics(SM_CXSCREEN) / 2,
                              GetSystemMetrics(SM_CYSCREEN) / 2, 0, 0, nullptr, nullptr, instance, nullptr);
  }
  if (HandOverWindow_.load() == nullptr)
    HandOverWindow_ = CreateWindowExW(0, kHandOverClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, instance, nullptr);
  // Errors escaping a window's handlers end up in the error report.
  SetUncaughtErrorHandler([](const std::exception& error) { Application.ShowException(error); });
}

void TApplication::SetTitle(const std::string& title) {
  Title_ = title;
  SetWindowTextW(Window_, QrxPlatform::Wide(title).c_str());
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
      if (IsWindow(Application.MainWindow_)) PostMessageW(Application.MainWindow_, WM_CLOSE, 0, 0);
      return 0;
    default:
      return DefWindowProcW(window, message, wParam, lParam);
  }
}

void TApplication::Run(HWND mainWindow) {
  MSG msg;
  while (!Terminated_ && IsWindow(mainWindow)) {
    if (GetMessageW(&msg, nullptr, 0, 0) <= 0) break;
    if (!IsDialogMessageW(GetAncestor(msg.hwnd, GA_ROOT), &msg)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
  }
}

void TApplication::ProcessMessages() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      Terminate();
      break;
    }
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
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
  if (message != WM_APP) return DefWindowProcW(window, message, wParam, lParam);
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
