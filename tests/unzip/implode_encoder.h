// Test-only implode (ZIP method 6) encoder: a 4 KiB or 8 KiB sliding dictionary and
// Shannon-Fano coded literals, lengths and distances. It writes valid streams; compression
// is not its aim.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace QrxTest {

struct TImplodeOptions {
  bool LargeDictionary = false;  // general-purpose flag bit 1: 8 KiB dictionary
  bool LiteralTree = false;      // general-purpose flag bit 2: literals coded by a tree
  // Let matches reach the zeros that stand before the first byte of the output.
  bool MatchBeforeStart = true;

  uint16_t Flags() const { return static_cast<uint16_t>((LargeDictionary ? 2 : 0) | (LiteralTree ? 4 : 0)); }
};

std::vector<uint8_t> ImplodeData(std::span<const uint8_t> data, const TImplodeOptions& options);

// The code lengths of a tree as they are stored: a byte holding the number of following
// bytes minus 1, then per byte (repeat count - 1) << 4 | (bit length - 1).
std::vector<uint8_t> EncodeTreeLengths(std::span<const uint8_t> lengths);

}  // namespace QrxTest
