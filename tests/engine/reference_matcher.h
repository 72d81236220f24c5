// The brute-force reference matcher of the engine tests and the fuzzer: it reads the pattern
// text unit by unit on its own and tries every start, slow and plain on purpose.
#pragma once

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace qrx::engine::test::reference {

struct RefByte {
  int value;  // a byte b matches when (b & mask) == value
  int mask;
};
using RefPiece = std::vector<RefByte>;

inline int hexDigit(char c) {
  const char* digits = "0123456789abcdef";
  const char* at = std::char_traits<char>::find(digits, 16, static_cast<char>(std::tolower(static_cast<unsigned char>(c))));
  return c != '\0' && at ? static_cast<int>(at - digits) : -1;
}

// The pieces of a usable signature, or nothing when the engine must ignore it.
inline std::optional<std::vector<RefPiece>> refParse(const std::string& text) {
  std::vector<RefPiece> pieces(1);
  for (std::size_t i = 0; i + 1 < text.size(); i += 2) {
    const char a = text[i], b = text[i + 1];
    if (a == ':' || b == ':') {
      pieces.emplace_back();
    } else if (a == ' ' || b == ' ') {
      continue;
    } else if (hexDigit(a) >= 0 && hexDigit(b) >= 0) {
      pieces.back().push_back({hexDigit(a) * 16 + hexDigit(b), 0xFF});
    } else if (a == '?' && b == '?') {
      pieces.back().push_back({0, 0});
    } else if (hexDigit(a) >= 0 && b == '?') {
      pieces.back().push_back({hexDigit(a) * 16, 0xF0});
    } else if (a == '?' && hexDigit(b) >= 0) {
      pieces.back().push_back({hexDigit(b), 0x0F});
    } else {
      return std::nullopt;
    }
  }
  std::erase_if(pieces, [](const RefPiece& p) { return p.empty(); });
  const bool anchored = std::any_of(pieces.begin(), pieces.end(), [](const RefPiece& p) {
    return std::count_if(p.begin(), p.end(), [](const RefByte& b) { return b.mask == 0xFF; }) >= 2;
  });
  if (!anchored) return std::nullopt;
  return pieces;
}

inline bool refPieceAt(const RefPiece& piece, const std::vector<std::uint8_t>& data, std::size_t start) {
  if (start + piece.size() > data.size()) return false;
  for (std::size_t k = 0; k < piece.size(); ++k) {
    if ((data[start + k] & piece[k].mask) != piece[k].value) return false;
  }
  return true;
}

// End of the earliest-ending occurrence: each piece at its first start after the previous one.
inline std::optional<std::size_t> refEarliestEnd(const std::vector<RefPiece>& pieces, const std::vector<std::uint8_t>& data) {
  std::size_t from = 0;
  for (const RefPiece& piece : pieces) {
    std::size_t start = from;
    while (start + piece.size() <= data.size() && !refPieceAt(piece, data, start)) ++start;
    if (start + piece.size() > data.size()) return std::nullopt;
    from = start + piece.size();
  }
  return from;
}

struct RefVerdict {
  bool infected = false;
  std::size_t slot = 0;
  std::size_t end = 0;
};

template <typename Signatures>
RefVerdict refScan(const Signatures& sigs, const std::vector<std::uint8_t>& data) {
  RefVerdict v;
  for (std::size_t slot = 0; slot < sigs.size(); ++slot) {
    const auto pieces = refParse(sigs[slot].pattern);
    if (!pieces) continue;
    const auto end = refEarliestEnd(*pieces, data);
    if (end && (!v.infected || *end < v.end)) v = {true, slot, *end};
  }
  return v;
}

}  // namespace qrx::engine::test::reference
