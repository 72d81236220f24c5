#include "Skin.h"

#include "Window.h"

namespace {
BOOL CALLBACK SkinWidget(HWND child, LPARAM on) {
  TWindow* widget = TWindow::FromHandle(child);
  if (widget != nullptr && widget->Tag() != kTagNoSkin) widget->SetSkinned(on != 0);
  return TRUE;
}
}  // namespace

void ApplySkin(HWND root, bool on) { EnumChildWindows(root, &SkinWidget, on ? 1 : 0); }
