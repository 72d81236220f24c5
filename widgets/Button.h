#pragma once
// Push buttons and radio buttons.
#include <functional>

#include "Window.h"

class TButton : public TWindow {
 public:
  TButton(HWND parent, const std::string& text, int x, int y, int width, int height, std::function<void()> onClick);
  void SetOnClick(std::function<void()> onClick) { OnClick_ = std::move(onClick); }
  // Presses the button as the user would (the click goes through the window's messages).
  void Click();
  bool Skinned() const { return Skinned_; }
  void SetSkinned(bool skinned) override;

 protected:
  bool HandleReflected(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

 private:
  void DrawSkinned(const DRAWITEMSTRUCT& item);

  std::function<void()> OnClick_;
  bool Skinned_ = false;
};

// The buttons of one pair share a parent window; checking one unchecks the other.
class TRadioButton : public TWindow {
 public:
  TRadioButton(HWND parent, const std::string& text, int x, int y, int width, int height, bool firstOfGroup);
  bool Checked() const;
  // Checks this button and unchecks the others of its group, as a click does.
  void Check();
  void Click();

 protected:
  bool HandleReflected(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
};
