#include "pattern.h"

#include <algorithm>
#include <optional>

namespace qrx::engine {
namespace {

struct MaskedByte {
  std::uint8_t value;
  std::uint8_t mask;
};

int hexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// "4D" exact, "??" any, "4?" high nibble, "?D" low nibble; anything else is not a byte.
std::optional<MaskedByte> parseByteUnit(char high, char low) {
  const int h = hexValue(high);
  const int l = hexValue(low);
  if (h >= 0 && l >= 0) return MaskedByte{static_cast<std::uint8_t>(h << 4 | l), 0xFF};
  if (high == '?' && low == '?') return MaskedByte{0x00, 0x00};
  if (h >= 0 && low == '?') return MaskedByte{static_cast<std::uint8_t>(h << 4), 0xF0};
  if (high == '?' && l >= 0) return MaskedByte{static_cast<std::uint8_t>(l), 0x0F};
  return std::nullopt;
}

bool isGap(char a, char b) { return a == ':' || b == ':'; }
bool isSeparator(char a, char b) { return a == ' ' || b == ' '; }

}  // namespace

std::size_t Piece::exactCount() const {
  return static_cast<std::size_t>(std::count(masks.begin(), masks.end(), std::uint8_t{0xFF}));
}

void Piece::push(std::uint8_t value, std::uint8_t mask) {
  values.push_back(value);
  masks.push_back(mask);
}

ParsedPattern parsePattern(std::string_view text) {
  ParsedPattern out;
  if (text.size() > kMaxPatternText) {
    out.status = PatternStatus::TooLong;
    return out;
  }
  Piece current;
  auto startPiece = [&] {
    current = Piece{};
    current.values.reserve(text.size() / 2);
    current.masks.reserve(text.size() / 2);
  };
  auto closePiece = [&] {
    if (current.size() > 0) out.pieces.push_back(std::move(current));
    startPiece();
  };
  startPiece();
  // Units are the character pairs 1-2, 3-4, ...; an odd last character belongs to none.
  for (std::size_t i = 0; i + 1 < text.size(); i += 2) {
    const char a = text[i];
    const char b = text[i + 1];
    if (isGap(a, b)) {
      closePiece();
    } else if (!isSeparator(a, b)) {
      const auto unit = parseByteUnit(a, b);
      if (!unit) {
        out.pieces.clear();
        out.status = PatternStatus::BadUnit;
        return out;
      }
      current.push(unit->value, unit->mask);
    }
  }
  closePiece();
  const bool anchored = std::any_of(out.pieces.begin(), out.pieces.end(),
                                    [](const Piece& p) { return p.exactCount() >= kMinAnchorBytes; });
  if (out.pieces.empty()) {
    out.status = PatternStatus::Empty;
  } else {
    out.status = anchored ? PatternStatus::Ok : PatternStatus::NoAnchor;
  }
  return out;
}

}  // namespace qrx::engine
