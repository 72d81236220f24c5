// How surprising byte values and byte pairs are in executables and libraries: measured once
// on a sample of real ones (bench/engine/exe_grams.cpp writes exe_frequency_table.cpp) and
// compiled in, so that atoms are chosen among the bytes programs rarely contain.
#pragma once

#include <cstdint>

namespace qrx::engine {
namespace detail {

extern const char kByteCostDigits[];  // 256 digits, 0-9A-Za-z
extern const char kPairCostDigits[];  // 65536 digits, first byte major

constexpr int digitValue(char c) {
  return c <= '9' ? c - '0' : c <= 'Z' ? c - 'A' + 10 : c - 'a' + 36;
}

}  // namespace detail

// -2 log2 of the value's frequency in executables (half-bits): 0 for the commonest, up to 61.
inline int byteSurprise(std::uint8_t b) { return detail::digitValue(detail::kByteCostDigits[b]); }

// The same for the pair of consecutive bytes `first`, `second`.
inline int pairSurprise(std::uint8_t first, std::uint8_t second) {
  return detail::digitValue(detail::kPairCostDigits[first << 8 | second]);
}

}  // namespace qrx::engine
