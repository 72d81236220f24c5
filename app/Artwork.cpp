#include "Artwork.h"

#include <functional>
#include <string>

#include "Fonts.h"
#include "Gdi.h"
#include "qrx_resources.h"

namespace {

constexpr COLORREF kBlue = RGB(0, 82, 204), kDarkBlue = RGB(0, 47, 122), kWhite = RGB(255, 255, 255);

// A bitmap of the screen's format, filled with `background`, then drawn on by `draw`.
HBITMAP Draw(int width, int height, COLORREF background, const std::function<void(HDC)>& draw) {
  HDC screen = GetDC(nullptr);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
  HDC dc = CreateCompatibleDC(screen);
  {
    TSelection select(dc, bitmap);
    FillSolid(dc, {0, 0, width, height}, background);
    SetBkMode(dc, TRANSPARENT);
    draw(dc);
  }
  DeleteDC(dc);
  ReleaseDC(nullptr, screen);
  return bitmap;
}

void Text(HDC dc, int x, int y, const std::string& text, HFONT font, COLORREF colour) {
  TSelection select(dc, font);
  SetTextColor(dc, colour);
  PaintTextAt(dc, x, y, text);
}

void Disc(HDC dc, int left, int top, int size, COLORREF fill, COLORREF outline) {
  TBrush brush(CreateSolidBrush(fill));
  TPen pen(CreatePen(PS_SOLID, 1, outline));
  TSelection selectBrush(dc, brush.get());
  TSelection selectPen(dc, pen.get());
  Ellipse(dc, left, top, left + size, top + size);
}

void Lines(HDC dc, COLORREF colour, int width, std::initializer_list<POINT> points) {
  TPen pen(CreatePen(PS_SOLID, width, colour));
  TSelection select(dc, pen.get());
  Polyline(dc, points.begin(), static_cast<int>(points.size()));
}

}  // namespace

HICON ProductIcon() {
  static HICON icon = static_cast<HICON>(
      LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_QUORVEX), IMAGE_ICON, 32, 32, LR_DEFAULTCOLOR));
  return icon;
}

HBITMAP MakerLogo() {
  static HBITMAP logo = Draw(210, 40, RGB(240, 240, 240), [](HDC dc) {
    Disc(dc, 2, 4, 32, kBlue, kDarkBlue);
    Text(dc, 12, 8, "T", GetFont("Tahoma", 16, kFontBold), kWhite);
    Text(dc, 42, 2, "Tessaron", GetFont("Tahoma", 16, kFontBold), kBlue);
    Text(dc, 44, 26, "Sécurité informatique", GetFont("Tahoma", 7), RGB(96, 96, 96));
  });
  return logo;
}

HBITMAP SplashPicture() {
  static HBITMAP splash = Draw(500, 260, kBlue, [](HDC dc) {
    // A sky that darkens downwards, in bands.
    for (int y = 0; y < 260; y += 4) {
      const int shade = y * 60 / 260;
      FillSolid(dc, {0, y, 500, y + 4}, RGB(0, 82 - shade, 204 - shade));
    }
    DrawIconEx(dc, 40, 70, ProductIcon(), 96, 96, 0, nullptr, DI_NORMAL);
    Text(dc, 160, 70, "Quorvex", GetFont("Tahoma", 36, kFontBold), kWhite);
    Text(dc, 164, 134, "Antivirus et antispyware", GetFont("Tahoma", 12), kWhite);
    Text(dc, 164, 228, "Version 1.5.0 - Chargement en cours...", GetFont("Tahoma", 8), RGB(200, 220, 255));
    Text(dc, 400, 228, "Tessaron", GetFont("Tahoma", 8, kFontBold), kWhite);
  });
  return splash;
}

HBITMAP WebIcon() {
  static HBITMAP icon = Draw(16, 16, RGB(240, 240, 240), [](HDC dc) {
    Disc(dc, 0, 0, 16, RGB(40, 120, 220), kDarkBlue);
    Lines(dc, kWhite, 1, {{1, 8}, {15, 8}});
    Lines(dc, kWhite, 1, {{8, 1}, {8, 15}});
    Lines(dc, kWhite, 1, {{3, 4}, {13, 4}});
    Lines(dc, kWhite, 1, {{3, 12}, {13, 12}});
  });
  return icon;
}

HBITMAP UpdateIcon() {
  static HBITMAP icon = Draw(32, 32, GetSysColor(COLOR_BTNFACE), [](HDC dc) {
    Disc(dc, 0, 0, 32, RGB(40, 170, 60), RGB(20, 100, 30));
    Lines(dc, kWhite, 4, {{16, 25}, {16, 9}});
    Lines(dc, kWhite, 4, {{9, 15}, {16, 8}, {23, 15}});
  });
  return icon;
}

HBITMAP DeletePicture() {
  static HBITMAP picture = Draw(32, 32, GetSysColor(COLOR_BTNFACE), [](HDC dc) {
    Disc(dc, 2, 2, 28, RGB(210, 40, 40), RGB(130, 20, 20));
    Lines(dc, kWhite, 4, {{10, 10}, {22, 22}});
    Lines(dc, kWhite, 4, {{22, 10}, {10, 22}});
  });
  return picture;
}
