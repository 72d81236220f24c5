#pragma once
// Pictures, the lamp and the picture button.
#include <functional>

#include "Gdi.h"
#include "Window.h"

// A bitmap or an icon drawn over what lies under it; optionally clickable with a hand cursor.
class TPicture : public TPaintedWindow {
 public:
  TPicture(HWND parent, int x, int y, int width, int height, HBITMAP bitmap, HICON icon = nullptr);
  void SetOnClick(std::function<void()> onClick, bool handCursor);

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  void Paint(HDC dc) override;

 private:
  HBITMAP Bitmap_;  // owned by the caller, like the icon
  HICON Icon_;
  std::function<void()> OnClick_;
  TClickTracker Click_;
  bool HandCursor_ = false;
};

// A small coloured lamp.
class TLamp : public TPaintedWindow {
 public:
  TLamp(HWND parent, int x, int y, int width, int height, COLORREF litColour);
  bool Lit() const { return Lit_; }
  void SetLit(bool lit);

 protected:
  void Paint(HDC dc) override;

 private:
  COLORREF LitColour_;
  bool Lit_ = true;
};

// A push button that shows a picture instead of text.
class TPictureButton : public TWindow {
 public:
  TPictureButton(HWND parent, int x, int y, int width, int height, HBITMAP picture, std::function<void()> onClick);
  void SetOnClick(std::function<void()> onClick) { OnClick_ = std::move(onClick); }

 protected:
  bool HandleReflected(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

 private:
  void Draw(const DRAWITEMSTRUCT& item);

  HBITMAP Picture_;
  std::function<void()> OnClick_;
};

// Draws `bitmap` at its own size, centred in `area`.
void DrawBitmapCentred(HDC dc, HBITMAP bitmap, const RECT& area);
