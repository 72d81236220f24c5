#include "atom.h"

#include <algorithm>
#include <bit>

#include "exe_frequency.h"

namespace qrx::engine {
namespace {

std::uint32_t packKey(const Piece& piece, std::size_t offset, std::size_t length) {
  std::uint32_t key = 0;
  for (std::size_t k = 0; k < length; ++k) key |= std::uint32_t{piece.values[offset + k]} << (8 * k);
  return key;
}

// Length of the run of exact bytes starting at `start`, capped at kMaxAtomLength.
std::size_t exactRun(const Piece& piece, std::size_t start) {
  std::size_t n = 0;
  while (n < kMaxAtomLength && start + n < piece.size() && piece.masks[start + n] == 0xFF) ++n;
  return n;
}

// Bits the piece fixes in the window of kWindowLength bytes from `start`.
int pinnedBits(const Piece& piece, std::size_t start) {
  int bits = 0;
  for (std::size_t k = start; k < std::min(piece.size(), start + kWindowLength); ++k) bits += std::popcount(piece.masks[k]);
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

int runSurprise(const Piece& piece, std::size_t offset, std::size_t length) {
  int surprise = byteSurprise(piece.values[offset]);
  for (std::size_t k = offset + 1; k < offset + length; ++k) {
    surprise += pairSurprise(piece.values[k - 1], piece.values[k]) - byteSurprise(piece.values[k - 1]);
  }
  return surprise;
}

std::optional<Atom> chooseAtom(const Piece& piece) {
  std::optional<Atom> best;
  int bestSurprise = 0;
  for (std::size_t start = 0; start < piece.size(); ++start) {
    const std::size_t length = exactRun(piece, start);
    if (length == 0) continue;
    const int surprise = runSurprise(piece, start, length);
    if (!best || length > best->length || (length == best->length && surprise > bestSurprise)) {
      best = Atom{start, length, packKey(piece, start, length)};
      bestSurprise = surprise;
    }
  }
  if (best) placeWindow(piece, *best);
  return best;
}

}  // namespace qrx::engine
