#pragma once
// An indeterminate progress bar whose animation can be switched off to show a position.
#include "Window.h"

class TMarqueeBar : public TWindow {
 public:
  TMarqueeBar(HWND parent, int x, int y, int width, int height, COLORREF barColour, int stepMs);
  void SetAnimated(bool animated);
  bool Animated() const { return Animated_; }
  void SetPosition(int position);
  int Position() const;

 private:
  int StepMs_;
  bool Animated_ = false;
};
