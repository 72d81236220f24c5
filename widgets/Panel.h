#pragma once
// Containers: a panel with a colour, border lines and painted shapes and rules, and a page
// container whose pages have no tabs.
#include <vector>

#include "Gdi.h"
#include "Window.h"

// A filled rectangle or circle painted by its panel (it has no window of its own, so that
// the widgets over it can show through to it).
class TShape {
 public:
  enum class Kind { Rectangle, Circle };
  TShape(Kind kind, RECT bounds, COLORREF colour, bool outline) : Kind_(kind), Bounds_(bounds), Colour_(colour), Outline_(outline) {}
  void Paint(HDC dc) const;
  bool Visible() const { return Visible_; }
  void SetVisible(bool visible, HWND panel);

 private:
  Kind Kind_;
  RECT Bounds_;
  COLORREF Colour_;
  bool Outline_;
  bool Visible_ = true;
};

// An etched horizontal rule.
struct TBevel {
  int Left, Right, Y;
  void Paint(HDC dc) const;
};

class TPanel : public TPaintedWindow {
 public:
  enum Border : unsigned { kNoBorder = 0, kFrame = 1, kTopLine = 2 };
  TPanel(HWND parent, int x, int y, int width, int height, COLORREF colour, unsigned border = kNoBorder);

  COLORREF Colour() const { return Colour_; }
  HBRUSH Brush() const { return Brush_.get(); }
  // Shapes and rules painted under the child widgets; they must outlive the panel.
  void AddShape(TShape& shape) { Shapes_.push_back(&shape); }
  void AddRule(TBevel rule) { Rules_.push_back(rule); }

 protected:
  void Paint(HDC dc) override;

 private:
  COLORREF Colour_;
  TBrush Brush_;
  unsigned Border_;
  std::vector<TShape*> Shapes_;
  std::vector<TBevel> Rules_;
};

// Pages are panels with the container as their parent; exactly one is shown.
class TPageControl : public TWindow {
 public:
  TPageControl(HWND parent, int x, int y, int width, int height);
  void AddPage(TPanel& page) { Pages_.push_back(&page); }
  void ShowPage(const TPanel& page);
  const TPanel* ActivePage() const { return Active_; }

 private:
  std::vector<TPanel*> Pages_;
  const TPanel* Active_ = nullptr;
};
