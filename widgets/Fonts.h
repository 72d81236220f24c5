#pragma once
// Fonts by description, made once and shared for the life of the program.
#include <windows.h>

#include <string>

enum TFontStyle : unsigned { kFontRegular = 0, kFontBold = 1, kFontUnderline = 2, kFontItalic = 4, kFontStrikeOut = 8 };

// A font of `pointSize` points at the screen's 96 dots per inch.
HFONT GetFont(const std::string& face, int pointSize, unsigned style = kFontRegular);
// Tahoma 8: the program's ordinary text.
inline HFONT DefaultFont(unsigned style = kFontRegular) { return GetFont("Tahoma", 8, style); }
