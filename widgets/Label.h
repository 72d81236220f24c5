#pragma once
// Labels that show what lies under them, and link labels.
#include <functional>

#include "Window.h"

class TLabel : public TPaintedWindow {
 public:
  struct Look {
    HFONT Font = nullptr;  // Tahoma 8 when not given
    COLORREF Colour = RGB(0, 0, 0);
    bool WordWrap = false;
  };
  // With a width of 0 the label takes the size of its text.
  TLabel(HWND parent, const std::string& text, int x, int y, Look look, int width = 0, int height = 0);
  TLabel(HWND parent, const std::string& text, int x, int y) : TLabel(parent, text, x, y, Look{}) {}

  // Sets the text, and the size too for a label sized by its text (or the height, for a
  // wrapped text that would not fit).
  void SetCaption(const std::string& text);
  const Look& Appearance() const { return Look_; }

 protected:
  void Paint(HDC dc) override;
  virtual HFONT PaintFont() const { return Look_.Font; }
  void FitToText();
  void GrowToWrappedText();

 private:

  Look Look_;
  bool AutoSize_;
};

// Blue text; under the mouse it is underlined and the cursor is a hand. A click runs OnClick.
class TLinkLabel : public TLabel {
 public:
  TLinkLabel(HWND parent, const std::string& text, int x, int y, std::function<void()> onClick);
  bool Hovered() const { return Hovered_; }

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  HFONT PaintFont() const override;

 private:
  void SetHovered(bool hovered);

  std::function<void()> OnClick_;
  TClickTracker Click_;
  bool Hovered_ = false;
};

inline constexpr COLORREF kLinkColour = RGB(0, 0, 255);
