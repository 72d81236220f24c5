#include "Hints.h"

#include <commctrl.h>

#include <map>

namespace {
const char kTooltipProperty[] = "QrxTooltip";

// The texts, kept here: the tooltip control hands back only the first 80 characters of one.
std::map<HWND, std::string>& HintTexts() {
  static std::map<HWND, std::string> texts;
  return texts;
}

// One tooltip window for each top-level window, made on first use.
HWND TooltipOf(HWND widget) {
  HWND root = GetAncestor(widget, GA_ROOT);
  auto tooltip = static_cast<HWND>(GetPropA(root, kTooltipProperty));
  if (tooltip == nullptr) {
    tooltip = CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, 0, 0,
                              0, 0, root, nullptr, GetModuleHandleA(nullptr), nullptr);
    SendMessageA(tooltip, TTM_SETMAXTIPWIDTH, 0, 400);
    SetPropA(root, kTooltipProperty, tooltip);
  }
  return tooltip;
}
}  // namespace

void SetHint(HWND widget, const std::string& hint) {
  std::string& text = HintTexts()[widget] = hint;
  TTTOOLINFOA tool{};
  tool.cbSize = sizeof tool;
  tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
  tool.hwnd = GetParent(widget);
  tool.uId = reinterpret_cast<UINT_PTR>(widget);
  tool.lpszText = text.data();
  SendMessageA(TooltipOf(widget), TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
}

std::string HintOf(HWND widget) {
  auto found = HintTexts().find(widget);
  return found != HintTexts().end() ? found->second : std::string();
}
