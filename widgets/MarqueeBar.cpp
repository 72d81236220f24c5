#include "MarqueeBar.h"

#include <commctrl.h>
#include <uxtheme.h>

TMarqueeBar::TMarqueeBar(HWND parent, int x, int y, int width, int height, COLORREF barColour, int stepMs)
    : StepMs_(stepMs) {
  CreateHandle(PROGRESS_CLASSA, "", WS_CHILD | WS_VISIBLE | PBS_SMOOTH, 0, x, y, width, height, parent);
  // The bar's own colour shows only without the visual style.
  SetWindowTheme(Handle(), L"", L"");
  SendMessageW(Handle(), PBM_SETBARCOLOR, 0, barColour);
  SendMessageW(Handle(), PBM_SETRANGE32, 0, 100);
  SetTag(kTagNoSkin);
}

// The marquee style ignores the position, so it is on only while the bar animates.
void TMarqueeBar::SetAnimated(bool animated) {
  Animated_ = animated;
  LONG style = GetWindowLongW(Handle(), GWL_STYLE);
  if (animated) {
    SetWindowLongW(Handle(), GWL_STYLE, style | PBS_MARQUEE);
    SendMessageW(Handle(), PBM_SETMARQUEE, TRUE, StepMs_);
  } else {
    SendMessageW(Handle(), PBM_SETMARQUEE, FALSE, 0);
    SetWindowLongW(Handle(), GWL_STYLE, style & ~PBS_MARQUEE);
  }
  Invalidate();
}

void TMarqueeBar::SetPosition(int position) { SendMessageW(Handle(), PBM_SETPOS, position, 0); }

int TMarqueeBar::Position() const { return static_cast<int>(SendMessageW(Handle(), PBM_GETPOS, 0, 0)); }
