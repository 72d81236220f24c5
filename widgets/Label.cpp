#include "Label.h"

#include <algorithm>

#include "Fonts.h"
#include "Gdi.h"

namespace {
const char kLabelClass[] = "QrxLabel";

UINT TextFormat(bool wordWrap) { return DT_NOPREFIX | (wordWrap ? DT_WORDBREAK : DT_SINGLELINE); }
}  // namespace

TLabel::TLabel(HWND parent, const std::string& text, int x, int y, Look look, int width, int height)
    : Look_(look), AutoSize_(width == 0) {
  if (Look_.Font == nullptr) Look_.Font = DefaultFont();
  RegisterWindowClass(kLabelClass);
  CreateHandle(kLabelClass, text, WS_CHILD | WS_VISIBLE, 0, x, y, width, height, parent);
  if (AutoSize_) FitToText();
}

void TLabel::SetCaption(const std::string& text) {
  SetText(text);
  if (AutoSize_) {
    FitToText();
  } else if (Look_.WordWrap) {
    GrowToWrappedText();
  }
}

// A wrapped text that needs more lines than the label has room for makes the label taller, as
// fonts of some systems are wider than those the layout was drawn with.
void TLabel::GrowToWrappedText() {
  RECT area;
  GetClientRect(Handle(), &area);
  RECT needed = area;
  HDC dc = GetDC(Handle());
  {
    TSelection font(dc, PaintFont());
    PaintText(dc, Text(), needed, TextFormat(true) | DT_CALCRECT);
  }
  ReleaseDC(Handle(), dc);
  if (needed.bottom > area.bottom)
    SetWindowPos(Handle(), nullptr, 0, 0, area.right, needed.bottom, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TLabel::FitToText() {
  HDC dc = GetDC(Handle());
  SIZE size{0, 0};
  TEXTMETRICW metrics;
  {
    TSelection font(dc, PaintFont());
    size = MeasureText(dc, Text());
    GetTextMetricsW(dc, &metrics);
  }
  size.cy = metrics.tmHeight;  // an empty label keeps the height of a line
  ReleaseDC(Handle(), dc);
  // A text wider than the room left in its container moves left rather than lose its end.
  RECT place = BoundsInParent(), room;
  GetClientRect(GetParent(Handle()), &room);
  const int x = std::max(0L, std::min(place.left, room.right - 2 - size.cx));
  SetWindowPos(Handle(), nullptr, x, place.top, size.cx, size.cy, SWP_NOZORDER | SWP_NOACTIVATE);
}

void TLabel::Paint(HDC dc) {
  PaintParentBackground(Handle(), dc);
  RECT area;
  GetClientRect(Handle(), &area);
  TSelection font(dc, PaintFont());
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, Look_.Colour);
  PaintText(dc, Text(), area, TextFormat(Look_.WordWrap));
}

TLinkLabel::TLinkLabel(HWND parent, const std::string& text, int x, int y, std::function<void()> onClick)
    : TLabel(parent, text, x, y, Look{DefaultFont(), kLinkColour, false}), OnClick_(std::move(onClick)) {}

HFONT TLinkLabel::PaintFont() const { return DefaultFont(Hovered_ ? kFontUnderline : kFontRegular); }

void TLinkLabel::SetHovered(bool hovered) {
  if (Hovered_ == hovered) return;
  Hovered_ = hovered;
  if (hovered) {
    TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, Handle(), 0};
    TrackMouseEvent(&track);
  }
  Invalidate();
}

LRESULT TLinkLabel::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_MOUSEMOVE:
      SetHovered(true);
      return 0;
    case WM_MOUSELEAVE:
      SetHovered(false);
      return 0;
    case WM_SETCURSOR:
      SetCursor(SystemCursor(IDC_HAND));
      return TRUE;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_CAPTURECHANGED:
      if (Click_.Follow(Handle(), message, lParam) && OnClick_) OnClick_();
      return 0;
    default:
      return TLabel::HandleMessage(message, wParam, lParam);
  }
}
