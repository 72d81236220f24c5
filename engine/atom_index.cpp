#include "atom_index.h"

#include <algorithm>
#include <bit>

namespace qrx::engine {
namespace {

unsigned log2Ceil(std::size_t n) { return static_cast<unsigned>(std::bit_width(n > 1 ? n - 1 : 1)); }

}  // namespace

void AtomIndex::build(const std::vector<AtomUse>& uses) {
  std::vector<AtomUse> sorted(uses);
  std::sort(sorted.begin(), sorted.end(), [](const AtomUse& a, const AtomUse& b) {
    if (a.atom.length != b.atom.length) return a.atom.length < b.atom.length;
    if (a.atom.key != b.atom.key) return a.atom.key < b.atom.key;
    return a.piece < b.piece;
  });
  refs_.clear();
  refs_.reserve(sorted.size());
  levels_ = {};
  onlyFullLength_ = false;
  for (std::size_t length = 1; length <= kMaxAtomLength; ++length) {
    auto first = std::find_if(sorted.begin(), sorted.end(), [&](const AtomUse& u) { return u.atom.length == length; });
    auto last = std::find_if(first, sorted.end(), [&](const AtomUse& u) { return u.atom.length != length; });
    if (first == last) continue;
    std::size_t distinct = 0;
    for (auto it = first; it != last; ++it) distinct += (it == first || it->atom.key != (it - 1)->atom.key);

    Level& level = levels_[length - 1];
    level.keyMask = length == 4 ? 0xFFFFFFFFu : (1u << (8 * length)) - 1;
    // About 1 in 50 positions passes a bitmap of 64 bits per atom when atoms are distinct.
    const unsigned bitmapBits = std::clamp(log2Ceil(distinct) + 6, 8u, 24u);
    level.bitmapShift = 32 - bitmapBits;
    level.bitmap.assign((std::size_t{1} << bitmapBits) / 64 + 1, 0);
    const unsigned tableBits = log2Ceil(distinct) + 1;
    level.tableShift = 32 - tableBits;
    level.tableMask = (1u << tableBits) - 1;
    level.table.assign(std::size_t{1} << tableBits, Slot{});

    for (auto it = first; it != last;) {
      auto runEnd = std::find_if(it, last, [&](const AtomUse& u) { return u.atom.key != it->atom.key; });
      const std::uint32_t key = it->atom.key;
      const std::uint32_t h = hash(key);
      const std::uint32_t bit = h >> level.bitmapShift;
      level.bitmap[bit >> 6] |= std::uint64_t{1} << (bit & 63);
      std::uint32_t i = h >> level.tableShift;
      while (level.table[i].count != 0) i = (i + 1) & level.tableMask;
      level.table[i] = Slot{key, static_cast<std::uint32_t>(refs_.size()), static_cast<std::uint32_t>(runEnd - it)};
      for (; it != runEnd; ++it) {
        refs_.push_back(Ref{it->atom.windowValue, it->atom.windowMask, it->piece,
                            static_cast<std::uint32_t>(-it->atom.windowDelta)});
      }
    }
  }
  onlyFullLength_ = std::none_of(levels_.begin(), levels_.end() - 1, [](const Level& l) { return l.used(); });
  if (!levels_[kMaxAtomLength - 1].used()) onlyFullLength_ = false;
}

std::size_t AtomIndex::memoryBytes() const {
  std::size_t bytes = refs_.capacity() * sizeof(Ref);
  for (const Level& level : levels_) {
    bytes += level.bitmap.capacity() * sizeof(std::uint64_t) + level.table.capacity() * sizeof(Slot);
  }
  return bytes;
}

}  // namespace qrx::engine
