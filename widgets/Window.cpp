#include "Window.h"

#include <windowsx.h>

#include "Gdi.h"
#include "WideText.h"

namespace {

std::function<void(const std::exception&)> UncaughtErrorHandler;

void ReportUncaught(const std::exception& error) {
  if (UncaughtErrorHandler) UncaughtErrorHandler(error);
}

HWND ChildOf(UINT message, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
      return reinterpret_cast<HWND>(lParam);
    case WM_NOTIFY:
      return reinterpret_cast<const NMHDR*>(lParam)->hwndFrom;
    case WM_DRAWITEM:
      return reinterpret_cast<const DRAWITEMSTRUCT*>(lParam)->hwndItem;
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
      return reinterpret_cast<HWND>(lParam);
    default:
      return nullptr;
  }
}

}  // namespace

std::runtime_error UnknownError() { return std::runtime_error("Erreur inattendue"); }

void SetUncaughtErrorHandler(std::function<void(const std::exception&)> handler) {
  UncaughtErrorHandler = std::move(handler);
}

TWindow::~TWindow() {
  if (Handle_ != nullptr) {
    // Detach first, so that no message of the destruction reaches a half-destroyed object.
    SetWindowLongPtrW(Handle_, GWLP_USERDATA, 0);
    if (SystemProc_ != nullptr) SetWindowLongPtrW(Handle_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(SystemProc_));
    DestroyWindow(Handle_);
  }
}

TWindow* TWindow::FromHandle(HWND window) {
  return window != nullptr ? reinterpret_cast<TWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA)) : nullptr;
}

HCURSOR SystemCursor(LPCSTR id) {
  // The IDC_ numbers are resource numbers, the same for the W function.
  return LoadCursorW(nullptr, MAKEINTRESOURCEW(reinterpret_cast<ULONG_PTR>(id)));
}

void RegisterClassOnce(const WNDCLASSW& windowClass) {
  WNDCLASSW registered{};
  if (GetClassInfoW(windowClass.hInstance, windowClass.lpszClassName, &registered)) return;
  RegisterClassW(&windowClass);
}

void TWindow::RegisterWindowClass(const char* className, HCURSOR cursor, UINT style) {
  const std::wstring name = QrxPlatform::Wide(className);
  WNDCLASSW wc{};
  wc.style = style;
  wc.lpfnWndProc = &TWindow::WindowProc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.hCursor = cursor != nullptr ? cursor : SystemCursor(IDC_ARROW);
  wc.lpszClassName = name.c_str();
  RegisterClassOnce(wc);
}

void TWindow::CreateHandle(const char* className, const std::string& text, DWORD style, DWORD exStyle, int x, int y,
                           int width, int height, HWND parent) {
  Handle_ = CreateWindowExW(exStyle, QrxPlatform::Wide(className).c_str(), QrxPlatform::Wide(text).c_str(), style, x,
                            y, width, height, parent, nullptr, GetModuleHandleW(nullptr), this);
  if (Handle_ == nullptr) return;
  if (FromHandle(Handle_) != this) {
    // A system class: take over its procedure so that the object sees its messages.
    SetWindowLongPtrW(Handle_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    SystemProc_ = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(Handle_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&TWindow::SubclassProc)));
  }
}

LRESULT CALLBACK TWindow::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* self = static_cast<TWindow*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
    self->Handle_ = window;
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  }
  TWindow* self = FromHandle(window);
  if (self == nullptr) return DefWindowProcW(window, message, wParam, lParam);
  return self->Dispatch(message, wParam, lParam);
}

LRESULT CALLBACK TWindow::SubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  TWindow* self = FromHandle(window);
  if (self == nullptr) return DefWindowProcW(window, message, wParam, lParam);
  return self->Dispatch(message, wParam, lParam);
}

LRESULT TWindow::Dispatch(UINT message, WPARAM wParam, LPARAM lParam) {
  try {
    LRESULT result = 0;
    if (Reflect(message, wParam, lParam, result)) return result;
    result = HandleMessage(message, wParam, lParam);
    if (message == WM_NCDESTROY) {
      // The window is gone: the object no longer owns it.
      SetWindowLongPtrW(Handle_, GWLP_USERDATA, 0);
      Handle_ = nullptr;
      SystemProc_ = nullptr;
    }
    return result;
  } catch (const std::exception& error) {
    ReportUncaught(error);
    return 0;
  } catch (...) {
    // Nothing may unwind through the system's code that called the window procedure.
    ReportUncaught(UnknownError());
    return 0;
  }
}

bool TWindow::Reflect(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  HWND child = ChildOf(message, lParam);
  TWindow* target = FromHandle(child);
  return target != nullptr && target->HandleReflected(message, wParam, lParam, result);
}

LRESULT TWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  return DefaultHandling(message, wParam, lParam);
}

bool TWindow::HandleReflected(UINT, WPARAM, LPARAM, LRESULT&) { return false; }

LRESULT TWindow::DefaultHandling(UINT message, WPARAM wParam, LPARAM lParam) {
  if (SystemProc_ != nullptr) return CallWindowProcW(SystemProc_, Handle_, message, wParam, lParam);
  return DefWindowProcW(Handle_, message, wParam, lParam);
}

void TWindow::Show(bool visible) { ShowWindow(Handle_, visible ? SW_SHOWNA : SW_HIDE); }

bool TWindow::Visible() const { return (GetWindowLongW(Handle_, GWL_STYLE) & WS_VISIBLE) != 0; }

void TWindow::SetText(const std::string& text) {
  SetWindowTextW(Handle_, QrxPlatform::Wide(text).c_str());
  Invalidate();
}

std::string TWindow::Text() const {
  std::wstring text(GetWindowTextLengthW(Handle_) + 1, L'\0');
  text.resize(GetWindowTextW(Handle_, text.data(), static_cast<int>(text.size())));
  return QrxPlatform::Utf8(text);
}

void TWindow::SetFont(HFONT font) { SendMessageW(Handle_, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE); }

void TWindow::Invalidate() { InvalidateRect(Handle_, nullptr, TRUE); }

SIZE TWindow::ClientSize() const {
  RECT r;
  GetClientRect(Handle_, &r);
  return {r.right - r.left, r.bottom - r.top};
}

RECT TWindow::BoundsInParent() const {
  RECT r;
  GetWindowRect(Handle_, &r);
  MapWindowPoints(HWND_DESKTOP, GetParent(Handle_), reinterpret_cast<POINT*>(&r), 2);
  return r;
}

LRESULT TPaintedWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT: {
      TPaintCycle cycle(Handle());
      Paint(cycle.Dc());
      return 0;
    }
    case WM_PRINTCLIENT:
      Paint(reinterpret_cast<HDC>(wParam));
      return 0;
    default:
      return TWindow::HandleMessage(message, wParam, lParam);
  }
}

void PaintParentBackground(HWND child, HDC dc) {
  HWND parent = GetParent(child);
  POINT origin{0, 0};
  MapWindowPoints(child, parent, &origin, 1);
  POINT previous;
  OffsetWindowOrgEx(dc, origin.x, origin.y, &previous);
  SendMessageW(parent, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
  SetWindowOrgEx(dc, previous.x, previous.y, nullptr);
}

bool TClickTracker::Follow(HWND window, UINT message, LPARAM lParam) {
  switch (message) {
    case WM_LBUTTONDOWN:
      Pressed_ = true;
      SetCapture(window);
      return false;
    case WM_LBUTTONUP: {
      if (!Pressed_) return false;
      Pressed_ = false;
      if (GetCapture() == window) ReleaseCapture();
      POINT at{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
      RECT area;
      GetClientRect(window, &area);
      return PtInRect(&area, at) != FALSE;
    }
    case WM_CAPTURECHANGED:
      // The mouse went to another window (a menu, a dialog): the press is forgotten.
      if (reinterpret_cast<HWND>(lParam) != window) Pressed_ = false;
      return false;
    default:
      return false;
  }
}
