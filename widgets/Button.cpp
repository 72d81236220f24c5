#include "Button.h"

#include "Fonts.h"
#include "Gdi.h"
#include "Panel.h"

TButton::TButton(HWND parent, const std::string& text, int x, int y, int width, int height,
                 std::function<void()> onClick)
    : OnClick_(std::move(onClick)) {
  CreateHandle("BUTTON", text, WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 0, x, y, width, height, parent);
  SetFont(DefaultFont());
}

void TButton::Click() { SendMessageW(Handle(), BM_CLICK, 0, 0); }

void TButton::SetSkinned(bool skinned) {
  Skinned_ = skinned;
  LONG style = GetWindowLongW(Handle(), GWL_STYLE) & ~BS_TYPEMASK;
  SetWindowLongW(Handle(), GWL_STYLE, style | (skinned ? BS_OWNERDRAW : BS_PUSHBUTTON));
  Invalidate();
}

bool TButton::HandleReflected(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  if (message == WM_COMMAND && HIWORD(wParam) == BN_CLICKED) {
    if (OnClick_) OnClick_();
    result = 0;
    return true;
  }
  if (message == WM_DRAWITEM) {
    DrawSkinned(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
    result = TRUE;
    return true;
  }
  return false;
}

// The skinned look: a flat face in a blue frame, darker while pressed.
void TButton::DrawSkinned(const DRAWITEMSTRUCT& item) {
  const bool pressed = (item.itemState & ODS_SELECTED) != 0;
  RECT area = item.rcItem;
  FillSolid(item.hDC, area, pressed ? RGB(200, 216, 240) : RGB(236, 242, 252));
  TBrush frame(CreateSolidBrush(RGB(0, 82, 204)));
  FrameRect(item.hDC, &area, frame.get());
  TSelection font(item.hDC, DefaultFont());
  SetBkMode(item.hDC, TRANSPARENT);
  SetTextColor(item.hDC, GetSysColor(COLOR_BTNTEXT));
  const UINT hidePrefix = (item.itemState & ODS_NOACCEL) ? DT_HIDEPREFIX : 0;
  PaintText(item.hDC, Text(), area, DT_CENTER | DT_VCENTER | DT_SINGLELINE | hidePrefix);
  if (item.itemState & ODS_FOCUS) {
    InflateRect(&area, -3, -3);
    DrawFocusRect(item.hDC, &area);
  }
}

TRadioButton::TRadioButton(HWND parent, const std::string& text, int x, int y, int width, int height,
                           bool firstOfGroup) {
  CreateHandle("BUTTON", text, WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_AUTORADIOBUTTON | (firstOfGroup ? WS_GROUP : 0),
               0, x, y, width, height, parent);
  SetTag(kTagNoSkin);
}

bool TRadioButton::Checked() const { return SendMessageW(Handle(), BM_GETCHECK, 0, 0) == BST_CHECKED; }

void TRadioButton::Check() {
  for (HWND sibling = GetWindow(Handle(), GW_HWNDFIRST); sibling != nullptr; sibling = GetWindow(sibling, GW_HWNDNEXT)) {
    if (sibling != Handle() && (GetWindowLongW(sibling, GWL_STYLE) & BS_TYPEMASK) == BS_AUTORADIOBUTTON)
      SendMessageW(sibling, BM_SETCHECK, BST_UNCHECKED, 0);
  }
  SendMessageW(Handle(), BM_SETCHECK, BST_CHECKED, 0);
}

void TRadioButton::Click() { SendMessageW(Handle(), BM_CLICK, 0, 0); }

// Radio buttons take the colour of the panel they sit on.
bool TRadioButton::HandleReflected(UINT message, WPARAM wParam, LPARAM, LRESULT& result) {
  if (message != WM_CTLCOLORSTATIC && message != WM_CTLCOLORBTN) return false;
  auto* panel = dynamic_cast<TPanel*>(FromHandle(GetParent(Handle())));
  if (panel == nullptr) return false;
  SetBkColor(reinterpret_cast<HDC>(wParam), panel->Colour());
  result = reinterpret_cast<LRESULT>(panel->Brush());
  return true;
}
