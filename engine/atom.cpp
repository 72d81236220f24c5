#include "atom.h"

namespace qrx::engine {
namespace {

// How common a byte value is in programs and documents, 0 (rare) to 10 (everywhere).
int commonness(std::uint8_t b) {
  if (b == 0x00) return 10;
  if (b == 0xFF) return 7;
  if (b == 0x20 || b == 0xCC || b == 0x90) return 6;
  if ((b >= 'a' && b <= 'z') || (b >= '0' && b <= '9')) return 4;
  if (b >= 'A' && b <= 'Z') return 3;
  if (b < 0x20 || b == 0x8B || b == 0x89 || b == 0xE8 || b == 0x48) return 3;
  return 1;
}

// Lower is better. Runs of one repeated value (padding, fills) are the worst atoms of all.
int atomCost(const Piece& piece, std::size_t offset, std::size_t length) {
  int cost = 0;
  bool allSame = true;
  for (std::size_t k = 0; k < length; ++k) {
    cost += commonness(piece.values[offset + k]);
    allSame = allSame && piece.values[offset + k] == piece.values[offset];
  }
  if (allSame && length > 1) cost += 12;
  return cost;
}

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

}  // namespace

std::optional<Atom> chooseAtom(const Piece& piece) {
  std::optional<Atom> best;
  int bestCost = 0;
  for (std::size_t start = 0; start < piece.size(); ++start) {
    const std::size_t length = exactRun(piece, start);
    if (length == 0) continue;
    const int cost = atomCost(piece, start, length);
    if (!best || length > best->length || (length == best->length && cost < bestCost)) {
      best = Atom{start, length, packKey(piece, start, length)};
      bestCost = cost;
    }
  }
  return best;
}

}  // namespace qrx::engine
