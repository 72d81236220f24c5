#include "Panel.h"

namespace {
const char kPanelClass[] = "QrxPanel";
const char kPageControlClass[] = "QrxPageControl";
}  // namespace

void TShape::Paint(HDC dc) const {
  if (!Visible_) return;
  TBrush brush(CreateSolidBrush(Colour_));
  TSelection selectBrush(dc, brush.get());
  TSelection selectPen(dc, GetStockObject(Outline_ ? BLACK_PEN : NULL_PEN));
  // Without an outline the null pen leaves the right and bottom edges out: widen by one.
  const int extra = Outline_ ? 0 : 1;
  if (Kind_ == Kind::Rectangle) {
    Rectangle(dc, Bounds_.left, Bounds_.top, Bounds_.right + extra, Bounds_.bottom + extra);
    return;
  }
  // A circle as large as the shorter side, centred in the bounds.
  const int width = Bounds_.right - Bounds_.left, height = Bounds_.bottom - Bounds_.top;
  const int diameter = width < height ? width : height;
  const int left = Bounds_.left + (width - diameter) / 2, top = Bounds_.top + (height - diameter) / 2;
  Ellipse(dc, left, top, left + diameter + extra, top + diameter + extra);
}

void TShape::SetVisible(bool visible, HWND panel) {
  if (Visible_ == visible) return;
  Visible_ = visible;
  // Widgets drawn over the shape paint their background from it.
  RedrawWindow(panel, &Bounds_, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

void TBevel::Paint(HDC dc) const {
  RECT shadow{Left, Y, Right, Y + 1}, light{Left, Y + 1, Right, Y + 2};
  FillSolid(dc, shadow, GetSysColor(COLOR_BTNSHADOW));
  FillSolid(dc, light, GetSysColor(COLOR_BTNHIGHLIGHT));
}

TPanel::TPanel(HWND parent, int x, int y, int width, int height, COLORREF colour, unsigned border)
    : Colour_(colour), Brush_(CreateSolidBrush(colour)), Border_(border) {
  RegisterWindowClass(kPanelClass);
  CreateHandle(kPanelClass, "", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS, WS_EX_CONTROLPARENT, x, y, width, height,
               parent);
}

void TPanel::Paint(HDC dc) {
  RECT area;
  GetClientRect(Handle(), &area);
  FillSolid(dc, area, Colour_);
  if (Border_ & kFrame) FrameRect(dc, &area, static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH)));
  if (Border_ & kTopLine) {
    RECT line{area.left, area.top, area.right, area.top + 1};
    FillSolid(dc, line, GetSysColor(COLOR_BTNSHADOW));
  }
  for (const TBevel& rule : Rules_) rule.Paint(dc);
  for (const TShape* shape : Shapes_) shape->Paint(dc);
}

TPageControl::TPageControl(HWND parent, int x, int y, int width, int height) {
  RegisterWindowClass(kPageControlClass);
  CreateHandle(kPageControlClass, "", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, WS_EX_CONTROLPARENT, x, y, width,
               height, parent);
}

void TPageControl::ShowPage(const TPanel& page) {
  Active_ = &page;
  for (TPanel* each : Pages_) each->Show(each == &page);
}
