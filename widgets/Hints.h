#pragma once
// Hints: the tooltip shown while the mouse rests on a widget.
#include <string>

#include <windows.h>

void SetHint(HWND widget, const std::string& hint);
std::string HintOf(HWND widget);
