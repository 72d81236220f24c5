#pragma once
// The splash window shown while the program starts.
#include <memory>

#include "Picture.h"
#include "Window.h"

class TSplashForm : public TWindow {
 public:
  TSplashForm();
  // Shows the window and paints it at once, before any event is processed.
  void ShowAndPaint();

 private:
  std::unique_ptr<TPicture> Picture_;
};
