#include "Gdi.h"

#include <string>

#include "WideText.h"

void FillSolid(HDC dc, const RECT& area, COLORREF colour) {
  COLORREF previous = SetBkColor(dc, colour);
  ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &area, nullptr, 0, nullptr);
  SetBkColor(dc, previous);
}

int PaintText(HDC dc, std::string_view text, RECT& area, UINT format) {
  const std::wstring wide = QrxPlatform::Wide(text);
  return DrawTextW(dc, wide.c_str(), static_cast<int>(wide.size()), &area, format);
}

void PaintTextAt(HDC dc, int x, int y, std::string_view text) {
  const std::wstring wide = QrxPlatform::Wide(text);
  TextOutW(dc, x, y, wide.c_str(), static_cast<int>(wide.size()));
}

SIZE MeasureText(HDC dc, std::string_view text) {
  const std::wstring wide = QrxPlatform::Wide(text);
  SIZE size{0, 0};
  GetTextExtentPoint32W(dc, wide.c_str(), static_cast<int>(wide.size()), &size);
  return size;
}
