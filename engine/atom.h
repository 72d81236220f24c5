// Atom selection: the short exact run of a piece that the multi-atom filter looks for, and the
// wider window around it that a hit must also fit before the piece is checked in full.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

#include "pattern.h"

namespace qrx::engine {

inline constexpr std::size_t kMaxAtomLength = 4;
inline constexpr std::size_t kWindowLength = 8;

// `length` exact bytes of a piece starting at `offset`, packed little-endian into `key`
// (first byte lowest), as the scanner packs file bytes. The window is the piece's bytes from
// `offset + windowDelta` on, eight at most, as value and mask words in the same packing
// (bytes past the piece's end have mask 0); it never starts before the piece.
struct Atom {
  std::size_t offset = 0;
  std::size_t length = 0;
  std::uint32_t key = 0;
  int windowDelta = 0;
  std::uint64_t windowValue = 0;
  std::uint64_t windowMask = 0;
};

// The longest run of up to four exact bytes in the piece, the least likely in executables
// among runs of that length (the first byte's surprise, then that of each byte following the
// one before, nothing for a byte that repeats one of the two before it), with the window that pins the most bits around it. None when the
// piece has no exact byte.
std::optional<Atom> chooseAtom(const Piece& piece);

}  // namespace qrx::engine
