#pragma once
// Thin classes over Win32 windows: one object owns one window handle.
//
// The windows are Unicode windows (the W functions throughout); every text at this layer's
// interface is UTF-8 in a std::string, converted at the system call.
//
// Every window of ours keeps its object in GWLP_USERDATA. Notifications that a child sends
// to its parent (WM_COMMAND, WM_DRAWITEM, WM_CTLCOLOR...) are handed back to the child's
// object, so that a control handles its own clicks and colours whatever its container.
// Errors at this layer's boundary: no exception leaves a window procedure. A std::exception is
// handed to the uncaught-error handler (the program shows it in a box); anything else is handed
// over as UnknownError().
#include <windows.h>

#include <exception>
#include <functional>
#include <stdexcept>
#include <string>

// What stands for an exception that is not a std::exception when it reaches the handler.
std::runtime_error UnknownError();
void SetUncaughtErrorHandler(std::function<void(const std::exception&)> handler);

// Registers the class unless this module has one of that name already.
void RegisterClassOnce(const WNDCLASSW& windowClass);

// One of the system's cursors, by its IDC_ number (IDC_ARROW, IDC_HAND...).
HCURSOR SystemCursor(LPCSTR id);

// Tag of the widgets that the skinning look leaves alone.
constexpr int kTagNoSkin = 99;

class TWindow {
 public:
  TWindow() = default;
  TWindow(const TWindow&) = delete;
  TWindow& operator=(const TWindow&) = delete;
  virtual ~TWindow();

  HWND Handle() const { return Handle_; }
  static TWindow* FromHandle(HWND window);

  void Show(bool visible = true);
  void Hide() { Show(false); }
  bool Visible() const;
  void SetText(const std::string& text);
  std::string Text() const;
  void SetFont(HFONT font);
  void Invalidate();
  // Client size and the place within the parent's client area.
  SIZE ClientSize() const;
  RECT BoundsInParent() const;

  int Tag() const { return Tag_; }
  void SetTag(int tag) { Tag_ = tag; }
  // Switches the skinning look of this widget; most widgets have no look of their own.
  virtual void SetSkinned(bool) {}

 protected:
  // Creates a window of a class registered with RegisterWindowClass (or of a system class,
  // then subclassed so reflected messages reach the object). Class names are ASCII.
  void CreateHandle(const char* className, const std::string& text, DWORD style, DWORD exStyle, int x, int y,
                    int width, int height, HWND parent);
  static void RegisterWindowClass(const char* className, HCURSOR cursor = nullptr, UINT style = 0);

  // Messages of this window; the default passes them on.
  virtual LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
  // A notification that this window sent to its parent, handed back. Return true when handled.
  virtual bool HandleReflected(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);
  LRESULT DefaultHandling(UINT message, WPARAM wParam, LPARAM lParam);

 private:
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  static LRESULT CALLBACK SubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  static bool Reflect(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);
  LRESULT Dispatch(UINT message, WPARAM wParam, LPARAM lParam);

  HWND Handle_ = nullptr;
  WNDPROC SystemProc_ = nullptr;  // the system class's procedure, for subclassed controls
  int Tag_ = 0;
};

// A window of ours that paints itself whole, with nothing erased first, on screen and when
// printed (a child that shows through to it prints it into its own background).
class TPaintedWindow : public TWindow {
 protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  virtual void Paint(HDC dc) = 0;
};

// A click is a press and a release of the left button on the same control: the press takes the
// mouse, and the release completes the click only over the control that was pressed. A release
// alone (a press that began elsewhere) is no click.
class TClickTracker {
 public:
  // Follows one message of `window`; true when it completes a click.
  bool Follow(HWND window, UINT message, LPARAM lParam);

 private:
  bool Pressed_ = false;
};

// Paints what the parent shows under `child` into `dc`, so that a control can look transparent.
void PaintParentBackground(HWND child, HDC dc);
