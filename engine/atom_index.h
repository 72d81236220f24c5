// The multi-atom filter: for every position of the stream, is there an atom starting here,
// and which pieces does it anchor? One level per atom length (1 to 4 bytes). A level is a
// bitmap over a hash of the bytes (most positions stop there) and an open-addressed table
// from exact atom keys to the pieces that carry them.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "atom.h"

namespace qrx::engine {

struct AtomUse {
  Atom atom;
  std::uint32_t piece;  // index of the piece that carries the atom
};

class AtomIndex {
 public:
  void build(const std::vector<AtomUse>& uses);

  // Calls onHit(piece, position) for every atom occurrence starting at a position in
  // [begin, end) of `data`, in position order. Reads up to three bytes past end - 1:
  // the caller pads its buffer.
  template <typename OnHit>
  void scan(const std::uint8_t* data, std::size_t begin, std::size_t end, OnHit&& onHit) const {
    if (onlyFullLength_) {
      scanLevels<true>(data, begin, end, onHit);
    } else {
      scanLevels<false>(data, begin, end, onHit);
    }
  }

  std::size_t memoryBytes() const;

 private:
  struct Slot {
    std::uint32_t key = 0;
    std::uint32_t first = 0;  // refs_[first, first + count)
    std::uint32_t count = 0;  // 0: empty slot
  };
  struct Level {
    std::uint32_t keyMask = 0;
    unsigned bitmapShift = 32;
    unsigned tableShift = 32;
    std::uint32_t tableMask = 0;
    std::vector<std::uint64_t> bitmap;
    std::vector<Slot> table;
    bool used() const { return !table.empty(); }
  };

  static std::uint32_t hash(std::uint32_t key) { return key * 0x9E3779B1u; }

  static std::uint32_t load32(const std::uint8_t* p) {
    std::uint32_t w;
    std::memcpy(&w, p, sizeof w);
    return w;  // little-endian on every target we build for
  }

  template <typename OnHit>
  void probe(const Level& level, std::uint32_t key, std::uint32_t h, std::size_t pos, OnHit& onHit) const {
    for (std::uint32_t i = h >> level.tableShift;; i = (i + 1) & level.tableMask) {
      const Slot& slot = level.table[i];
      if (slot.count == 0) return;
      if (slot.key == key) {
        for (std::uint32_t r = slot.first; r < slot.first + slot.count; ++r) onHit(refs_[r], pos);
        return;
      }
    }
  }

  template <typename OnHit>
  void testLevel(const Level& level, std::uint32_t word, std::size_t pos, OnHit& onHit) const {
    const std::uint32_t key = word & level.keyMask;
    const std::uint32_t h = hash(key);
    const std::uint32_t bit = h >> level.bitmapShift;
    if ((level.bitmap[bit >> 6] >> (bit & 63)) & 1) probe(level, key, h, pos, onHit);
  }

  template <bool kOnlyFullLength, typename OnHit>
  void scanLevels(const std::uint8_t* data, std::size_t begin, std::size_t end, OnHit& onHit) const {
    // Local copies: the hit callback writes memory, which would otherwise make the compiler
    // reload the level's fields at every position.
    const Level& full = levels_[kMaxAtomLength - 1];
    const std::uint64_t* bitmap = full.bitmap.data();
    const unsigned shift = full.bitmapShift;
    for (std::size_t pos = begin; pos < end; ++pos) {
      const std::uint32_t word = load32(data + pos);
      if constexpr (kOnlyFullLength) {
        const std::uint32_t h = hash(word);
        const std::uint32_t bit = h >> shift;
        if ((bitmap[bit >> 6] >> (bit & 63)) & 1) probe(full, word, h, pos, onHit);
      } else {
        for (const Level& level : levels_) {
          if (level.used()) testLevel(level, word, pos, onHit);
        }
      }
    }
  }

  std::array<Level, kMaxAtomLength> levels_;  // levels_[n - 1] holds atoms of n bytes
  std::vector<std::uint32_t> refs_;
  bool onlyFullLength_ = true;
};

}  // namespace qrx::engine
