// How surprising byte values and byte pairs are in executables and libraries: measured once
// on a sample of real ones (bench/engine/exe_grams.cpp writes exe_frequency_table.cpp) and
// compiled in, so that atoms are chosen among the bytes programs rarely contain.
#pragma once

#include <array>
#include <cstdint>

namespace qrx::engine {

// Costs in half-bits, -2 log2 of the frequency: 0 for the commonest, up to 61.
struct ExeFrequency {
  std::array<std::uint8_t, 256> byte;
  std::array<std::uint8_t, 65536> pair;  // first byte major
};

// The table, decoded from its compiled-in text on first use.
const ExeFrequency& exeFrequency();

inline int byteSurprise(std::uint8_t b) { return exeFrequency().byte[b]; }

// The same for the pair of consecutive bytes `first`, `second`.
inline int pairSurprise(std::uint8_t first, std::uint8_t second) { return exeFrequency().pair[first << 8 | second]; }

}  // namespace qrx::engine
