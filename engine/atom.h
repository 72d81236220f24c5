// Atom selection: the short exact run of a piece that the multi-atom filter looks for.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

#include "pattern.h"

namespace qrx::engine {

inline constexpr std::size_t kMaxAtomLength = 4;

// `length` exact bytes of a piece starting at `offset`, packed little-endian into `key`
// (first byte lowest), as the scanner packs file bytes.
struct Atom {
  std::size_t offset = 0;
  std::size_t length = 0;
  std::uint32_t key = 0;
};

// The rarest-looking run of up to four exact bytes in the piece: longer runs first, then
// runs of bytes that are uncommon in executables and text. None when the piece has no exact byte.
std::optional<Atom> chooseAtom(const Piece& piece);

}  // namespace qrx::engine
