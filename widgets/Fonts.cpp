#include "Fonts.h"

#include <map>
#include <memory>
#include <tuple>

#include "WideText.h"

namespace {

struct FontDeleter {
  void operator()(HFONT font) const { DeleteObject(font); }
};
using FontHandle = std::unique_ptr<std::remove_pointer_t<HFONT>, FontDeleter>;

std::map<std::tuple<std::string, int, unsigned>, FontHandle>& FontCache() {
  static std::map<std::tuple<std::string, int, unsigned>, FontHandle> cache;
  return cache;
}

}  // namespace

HFONT GetFont(const std::string& face, int pointSize, unsigned style) {
  auto& slot = FontCache()[{face, pointSize, style}];
  if (!slot) {
    slot.reset(CreateFontW(-MulDiv(pointSize, 96, 72), 0, 0, 0, (style & kFontBold) ? FW_BOLD : FW_NORMAL,
                           (style & kFontItalic) ? TRUE : FALSE, (style & kFontUnderline) ? TRUE : FALSE,
                           (style & kFontStrikeOut) ? TRUE : FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                           CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE,
                           QrxPlatform::Wide(face).c_str()));
  }
  return slot.get();
}
