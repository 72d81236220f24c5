#include "atom.h"

#include <algorithm>
#include <array>

#include "exe_frequency.h"

namespace qrx::engine {
namespace {

std::uint32_t packKey(const Piece& piece, std::size_t offset, std::size_t length) {
  std::uint32_t key = 0;
  for (std::size_t k = 0; k < length; ++k) key |= std::uint32_t{piece.values[offset + k]} << (8 * k);
  return key;
}

// Bits the piece fixes in the window of kWindowLength bytes from `start`.
int pinnedBits(const Piece& piece, std::size_t start) {
  int bits = 0;
  for (std::size_t k = start; k < std::min(piece.size(), start + kWindowLength); ++k) bits += (piece.masks[k] & 0xF0 ? 4 : 0) + (piece.masks[k] & 0x0F ? 4 : 0);
  return bits;
}

// Of the windows that hold the whole atom, the one pinning the most bits.
void placeWindow(const Piece& piece, Atom& atom) {
  const std::size_t lowest = atom.offset + atom.length > kWindowLength ? atom.offset + atom.length - kWindowLength : 0;
  std::size_t best = atom.offset;
  for (std::size_t start = lowest; start < atom.offset; ++start) {
    if (pinnedBits(piece, start) > pinnedBits(piece, best)) best = start;
  }
  atom.windowDelta = static_cast<int>(best) - static_cast<int>(atom.offset);
  for (std::size_t k = 0; k < kWindowLength && best + k < piece.size(); ++k) {
    atom.windowValue |= std::uint64_t{piece.values[best + k]} << (8 * k);
    atom.windowMask |= std::uint64_t{piece.masks[best + k]} << (8 * k);
  }
}

}  // namespace

std::optional<Atom> chooseAtom(const Piece& piece) {
  // run[k]: the exact bytes from k on, at most kMaxAtomLength; follow[k]: the surprise of byte
  // k after byte k - 1. Both once per piece, for all the candidate runs.
  const ExeFrequency& frequency = exeFrequency();
  const std::uint8_t* values = piece.values.data();
  std::array<std::size_t, kMaxPieceLength + 1> run;
  std::array<int, kMaxPieceLength> follow;
  run[piece.size()] = 0;
  for (std::size_t k = piece.size(); k-- > 0;) {
    run[k] = piece.masks[k] == 0xFF ? std::min(run[k + 1] + 1, kMaxAtomLength) : 0;
    if (k > 0) follow[k] = frequency.pair[values[k - 1] << 8 | values[k]] - frequency.byte[values[k - 1]];
  }
  const std::size_t length = *std::max_element(run.begin(), run.begin() + static_cast<std::ptrdiff_t>(piece.size()));
  if (length == 0) return std::nullopt;
  Atom best;
  int bestSurprise = -1;
  for (std::size_t start = 0; start < piece.size(); ++start) {
    if (run[start] != length) continue;
    int surprise = frequency.byte[values[start]];
    for (std::size_t k = start + 1; k < start + length; ++k) {
      // A byte that repeats the one or two before it tells nothing new: tables and fills.
      const bool repeats = values[k] == values[k - 1] || (k >= start + 2 && values[k] == values[k - 2]);
      surprise += repeats ? 0 : follow[k];
    }
    if (surprise > bestSurprise) {
      best = Atom{start, length, packKey(piece, start, length)};
      bestSurprise = surprise;
    }
  }
  placeWindow(piece, best);
  return best;
}

}  // namespace qrx::engine
