// Test-only shrink (ZIP method 1) encoder: dynamic LZW, 9 to 13 bit codes, partial clearing.
// It keeps the same table as the decoder does (an entry is defined when the code after its
// prefix is read), so every stream it writes decodes exactly; compression is not its aim.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace QrxTest {

struct TShrinkOptions {
  // Emit the partial-clear sequence 256,2 after this many codes (0: only when the table is full).
  uint32_t ClearEvery = 0;
  // Emit 256,1 four times after the first code, so that every later code is 13 bits wide.
  bool WidenAtStart = false;
};

std::vector<uint8_t> ShrinkData(std::span<const uint8_t> data, const TShrinkOptions& options = {});

}  // namespace QrxTest
