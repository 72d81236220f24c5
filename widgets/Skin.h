#pragma once
// The skinning look: switched on or off for every widget of a window except those tagged 99.
#include <windows.h>

void ApplySkin(HWND root, bool on);
