#include "qrx_application.h"

#include <functional>

#include "Window.h"
#include "qrx_services.h"

TApplication Application;

namespace {
const char kHandOverClass[] = "QuorvexHandOver";
}

void TApplication::Initialize(HINSTANCE instance) {
  Instance_ = instance;
  WNDCLASSA wc{};
  wc.lpfnWndProc = &TApplication::HandOverProc;
  wc.hInstance = instance;
  wc.lpszClassName = kHandOverClass;
  RegisterClassA(&wc);
  if (HandOverWindow_.load() == nullptr)
    HandOverWindow_ = CreateWindowA(kHandOverClass, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, instance, nullptr);
  // Errors escaping a window's handlers end up in the error report.
  SetUncaughtErrorHandler([](const std::exception& error) { Application.ShowException(error); });
}

void TApplication::SetTitle(const std::string& title) { Title_ = title; }

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
  Services().ShowMessage(nullptr, ErrorReportText(error.what()), Title_, MB_OK | MB_ICONERROR);
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
  }
  return 1;
}
