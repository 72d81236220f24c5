#include "Picture.h"

namespace {
const char kPictureClass[] = "QrxPicture";
const char kLampClass[] = "QrxLamp";
}  // namespace

void DrawBitmapCentred(HDC dc, HBITMAP bitmap, const RECT& area) {
  BITMAP info;
  if (bitmap == nullptr || GetObjectW(bitmap, sizeof info, &info) == 0) return;
  HDC source = CreateCompatibleDC(dc);
  {
    TSelection select(source, bitmap);
    BitBlt(dc, area.left + (area.right - area.left - info.bmWidth) / 2,
           area.top + (area.bottom - area.top - info.bmHeight) / 2, info.bmWidth, info.bmHeight, source, 0, 0,
           SRCCOPY);
  }
  DeleteDC(source);
}

TPicture::TPicture(HWND parent, int x, int y, int width, int height, HBITMAP bitmap, HICON icon)
    : Bitmap_(bitmap), Icon_(icon) {
  RegisterWindowClass(kPictureClass);
  CreateHandle(kPictureClass, "", WS_CHILD | WS_VISIBLE, 0, x, y, width, height, parent);
}

void TPicture::SetOnClick(std::function<void()> onClick, bool handCursor) {
  OnClick_ = std::move(onClick);
  HandCursor_ = handCursor;
}

LRESULT TPicture::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_SETCURSOR:
      SetCursor(SystemCursor(HandCursor_ ? IDC_HAND : IDC_ARROW));
      return TRUE;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_CAPTURECHANGED:
      if (Click_.Follow(Handle(), message, lParam) && OnClick_) OnClick_();
      return 0;
    default:
      return TPaintedWindow::HandleMessage(message, wParam, lParam);
  }
}

void TPicture::Paint(HDC dc) {
  PaintParentBackground(Handle(), dc);
  RECT area;
  GetClientRect(Handle(), &area);
  if (Icon_ != nullptr) DrawIconEx(dc, 0, 0, Icon_, area.right, area.bottom, 0, nullptr, DI_NORMAL);
  DrawBitmapCentred(dc, Bitmap_, area);
}

TLamp::TLamp(HWND parent, int x, int y, int width, int height, COLORREF litColour) : LitColour_(litColour) {
  RegisterWindowClass(kLampClass);
  CreateHandle(kLampClass, "", WS_CHILD | WS_VISIBLE, 0, x, y, width, height, parent);
}

void TLamp::SetLit(bool lit) {
  Lit_ = lit;
  Invalidate();
}

void TLamp::Paint(HDC dc) {
  PaintParentBackground(Handle(), dc);
  RECT area;
  GetClientRect(Handle(), &area);
  TBrush brush(CreateSolidBrush(Lit_ ? LitColour_ : RGB(64, 64, 64)));
  TPen pen(CreatePen(PS_SOLID, 1, RGB(0, 64, 0)));
  TSelection selectBrush(dc, brush.get());
  TSelection selectPen(dc, pen.get());
  RoundRect(dc, area.left, area.top, area.right, area.bottom, 4, 4);
}

TPictureButton::TPictureButton(HWND parent, int x, int y, int width, int height, HBITMAP picture,
                               std::function<void()> onClick)
    : Picture_(picture), OnClick_(std::move(onClick)) {
  CreateHandle("BUTTON", "", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_OWNERDRAW, 0, x, y, width, height, parent);
}

bool TPictureButton::HandleReflected(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  if (message == WM_COMMAND && HIWORD(wParam) == BN_CLICKED) {
    if (OnClick_) OnClick_();
    result = 0;
    return true;
  }
  if (message == WM_DRAWITEM) {
    Draw(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
    result = TRUE;
    return true;
  }
  return false;
}

void TPictureButton::Draw(const DRAWITEMSTRUCT& item) {
  RECT area = item.rcItem;
  const bool pressed = (item.itemState & ODS_SELECTED) != 0;
  DrawFrameControl(item.hDC, &area, DFC_BUTTON, DFCS_BUTTONPUSH | (pressed ? DFCS_PUSHED : 0));
  if (pressed) OffsetRect(&area, 1, 1);
  DrawBitmapCentred(item.hDC, Picture_, area);
  if (item.itemState & ODS_FOCUS) {
    RECT focus = item.rcItem;
    InflateRect(&focus, -3, -3);
    DrawFocusRect(item.hDC, &focus);
  }
}
