#include "Hints.h"

#include <commctrl.h>

#include <map>

#include "WideText.h"

namespace {
const wchar_t kTooltipProperty[] = L"QrxTooltip";

// The texts, kept here: the tooltip control hands back only the first 80 characters of one.
std::map<HWND, std::string>& HintTexts() {
  static std::map<HWND, std::string> texts;
  return texts;
}

// One tooltip window for each top-level window, made on first use.
HWND TooltipOf(HWND widget) {
  HWND root = GetAncestor(widget, GA_ROOT);
  auto tooltip = static_cast<HWND>(GetPropW(root, kTooltipProperty));
  if (tooltip == nullptr) {
    tooltip = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, 0, 0,
                              0, 0, root, nullptr, GetModuleHandleW(nullptr), nullptr);
    SendMessageW(tooltip, TTM_SETMAXTIPWIDTH, 0, 400);
    SetPropW(root, kTooltipProperty, tooltip);
  }
  return tooltip;
}
}  // namespace

void SetHint(HWND widget, const std::string& hint) {
  HintTexts()[widget] = hint;
  // The tooltip keeps a copy of the text.
  std::wstring text = QrxPlatform::Wide(hint);
  TTTOOLINFOW tool{};
  tool.cbSize = sizeof tool;
  tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
  tool.hwnd = GetParent(widget);
  tool.uId = reinterpret_cast<UINT_PTR>(widget);
  tool.lpszText = text.data();
  SendMessageW(TooltipOf(widget), TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
}

std::string HintOf(HWND widget) {
  auto found = HintTexts().find(widget);
  return found != HintTexts().end() ? found->second : std::string();
}
