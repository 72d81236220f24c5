#pragma once
// Owners of GDI objects and of a paint cycle.
#include <windows.h>

#include <memory>
#include <string_view>
#include <type_traits>

struct TGdiDeleter {
  void operator()(HGDIOBJ object) const { DeleteObject(object); }
};
template <typename Handle>
using TGdiObject = std::unique_ptr<std::remove_pointer_t<Handle>, TGdiDeleter>;
using TBrush = TGdiObject<HBRUSH>;
using TPen = TGdiObject<HPEN>;
using TBitmap = TGdiObject<HBITMAP>;

// BeginPaint .. EndPaint, with the paint DC.
class TPaintCycle {
 public:
  explicit TPaintCycle(HWND window) : Window_(window), Dc_(BeginPaint(window, &Paint_)) {}
  ~TPaintCycle() { EndPaint(Window_, &Paint_); }
  TPaintCycle(const TPaintCycle&) = delete;
  TPaintCycle& operator=(const TPaintCycle&) = delete;
  HDC Dc() const { return Dc_; }

 private:
  HWND Window_;
  PAINTSTRUCT Paint_;
  HDC Dc_;
};

// Selects an object into a DC for the life of this object.
class TSelection {
 public:
  TSelection(HDC dc, HGDIOBJ object) : Dc_(dc), Previous_(SelectObject(dc, object)) {}
  ~TSelection() { SelectObject(Dc_, Previous_); }
  TSelection(const TSelection&) = delete;
  TSelection& operator=(const TSelection&) = delete;

 private:
  HDC Dc_;
  HGDIOBJ Previous_;
};

void FillSolid(HDC dc, const RECT& area, COLORREF colour);

// The program's UTF-8 texts drawn and measured with the DC's font, as DrawText, TextOut and
// GetTextExtentPoint32 do.
int PaintText(HDC dc, std::string_view text, RECT& area, UINT format);
void PaintTextAt(HDC dc, int x, int y, std::string_view text);
SIZE MeasureText(HDC dc, std::string_view text);
