#include "Hints.h"

#include <commctrl.h>

namespace {
const char kTooltipProperty[] = "QrxTooltip";

// One tooltip window for each top-level window, made on first use.
HWND TooltipOf(HWND widget) {
  HWND root = GetAncestor(widget, GA_ROOT);
  auto tooltip = static_cast<HWND>(GetPropA(root, kTooltipProperty));
  if (tooltip == nullptr) {
    tooltip = CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, 0, 0,
                              0, 0, root, nullptr, GetModuleHandleA(nullptr), nullptr);
    SetPropA(root, kTooltipProperty, tooltip);
  }
  return tooltip;
}

TTTOOLINFOA ToolFor(HWND widget, char* text) {
  TTTOOLINFOA tool{};
  tool.cbSize = sizeof tool;
  tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
  tool.hwnd = GetParent(widget);
  tool.uId = reinterpret_cast<UINT_PTR>(widget);
  tool.lpszText = text;
  return tool;
}
}  // namespace

void SetHint(HWND widget, const std::string& hint) {
  std::string text = hint;
  TTTOOLINFOA tool = ToolFor(widget, text.data());
  SendMessageA(TooltipOf(widget), TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
}

std::string HintOf(HWND widget) {
  char text[256] = "";
  TTTOOLINFOA tool = ToolFor(widget, text);
  SendMessageA(TooltipOf(widget), TTM_GETTEXTA, sizeof text, reinterpret_cast<LPARAM>(&tool));
  return text;
}
