// Pattern text -> pieces. The language is described in PATTERNS.md.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace qrx::engine {

// The longest pattern text a record can hold gives at most 127 bytes in one piece.
inline constexpr std::size_t kMaxPatternText = 254;
inline constexpr std::size_t kMaxPieceLength = kMaxPatternText / 2;

// A byte b of the file matches position k of a piece when (b & masks[k]) == values[k].
// Masks are 0xFF (exact byte), 0xF0 / 0x0F (one nibble given) or 0x00 (any byte).
struct Piece {
  std::vector<std::uint8_t> values;
  std::vector<std::uint8_t> masks;

  std::size_t size() const { return values.size(); }
  std::size_t exactCount() const;
  void push(std::uint8_t value, std::uint8_t mask);
};

enum class PatternStatus {
  Ok,
  Empty,     // no byte at all
  BadUnit,   // a unit that is neither a byte, a wildcard, a gap nor a separator
  TooLong,   // longer than a record's pattern field
  NoAnchor,  // no piece has two exact bytes: it would match almost anything
};

// Pieces in order; between two pieces lies a gap of any length (zero bytes or more).
struct ParsedPattern {
  PatternStatus status = PatternStatus::Empty;
  std::vector<Piece> pieces;
};

// Pieces with fewer than this many exact bytes cannot anchor a signature.
inline constexpr std::size_t kMinAnchorBytes = 2;

ParsedPattern parsePattern(std::string_view text);

}  // namespace qrx::engine
