#include "Gdi.h"

void FillSolid(HDC dc, const RECT& area, COLORREF colour) {
  COLORREF previous = SetBkColor(dc, colour);
  ExtTextOutA(dc, 0, 0, ETO_OPAQUE, &area, nullptr, 0, nullptr);
  SetBkColor(dc, previous);
}
