// The multi-atom filter: for every position of the stream, is there an atom starting here,
// and which pieces does it anchor? One level per atom length (1 to 4 bytes). A level is a
// bitmap over a hash of the bytes (most positions stop there) and an open-addressed table
// from exact atom keys to the pieces that carry them. Each piece's entry also holds the
// eight-byte window around its atom, which the bytes must fit before the piece is handed on:
// executables are full of the same short runs, and the window turns most of their hits away
// without touching the piece itself.
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

// What the filter did during one scan, stage by stage.
struct FilterCounts {
  std::uint64_t positions = 0;     // positions looked at
  std::uint64_t bitmapPasses = 0;  // positions that passed a level's bitmap
  std::uint64_t atomHits = 0;      // (piece, position) pairs whose atom is there
  std::uint64_t windowPasses = 0;  // of those, fitting the atom's window: handed on
  std::uint64_t pieceChecks = 0;   // pieces then compared in full (counted by the scan)
};

class AtomIndex {
 public:
  void build(const std::vector<AtomUse>& uses);

  // Calls onHit(piece, position) for every atom occurrence starting at a position in
  // [begin, end) of `data` whose window fits, in position order. Reads up to seven bytes past
  // end - 1 (the caller pads its buffer) and, for a window, up to four bytes before a
  // position, never before data.
  template <typename OnHit>
  void scan(const std::uint8_t* data, std::size_t begin, std::size_t end, FilterCounts& counts, OnHit&& onHit) const {
    counts.positions += end - begin;
    if (onlyFullLength_) {
      scanLevels<true>(data, begin, end, counts, onHit);
    } else {
      scanLevels<false>(data, begin, end, counts, onHit);
    }
  }

  std::size_t memoryBytes() const;

 private:
  struct Slot {
    std::uint32_t key = 0;
    std::uint32_t first = 0;  // refs_[first, first + count)
    std::uint32_t count = 0;  // 0: empty slot
  };
  // A piece anchored by a key, with its atom's window.
  struct Ref {
    std::uint64_t windowValue;
    std::uint64_t windowMask;
    std::uint32_t piece;
    std::uint32_t windowBack;  // the window starts this many bytes before the atom
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

  // Little-endian on every target we build for.
  static std::uint32_t load32(const std::uint8_t* p) {
    std::uint32_t w;
    std::memcpy(&w, p, sizeof w);
    return w;
  }
  static std::uint64_t load64(const std::uint8_t* p) {
    std::uint64_t w;
    std::memcpy(&w, p, sizeof w);
    return w;
  }

  template <typename OnHit>
  void probe(const Level& level, std::uint32_t key, std::uint32_t h, const std::uint8_t* data, std::size_t pos,
             FilterCounts& counts, OnHit& onHit) const {
    ++counts.bitmapPasses;
    for (std::uint32_t i = h >> level.tableShift;; i = (i + 1) & level.tableMask) {
      const Slot& slot = level.table[i];
      if (slot.count == 0) return;
      if (slot.key == key) {
        counts.atomHits += slot.count;
        for (const Ref* ref = refs_.data() + slot.first; ref != refs_.data() + slot.first + slot.count; ++ref) {
          if (pos >= ref->windowBack &&
              (load64(data + pos - ref->windowBack) & ref->windowMask) == ref->windowValue) {
            ++counts.windowPasses;
            onHit(ref->piece, pos);
          }
        }
        return;
      }
    }
  }

  template <typename OnHit>
  void testLevel(const Level& level, std::uint32_t word, const std::uint8_t* data, std::size_t pos,
                 FilterCounts& counts, OnHit& onHit) const {
    const std::uint32_t key = word & level.keyMask;
    const std::uint32_t h = hash(key);
    const std::uint32_t bit = h >> level.bitmapShift;
    if ((level.bitmap[bit >> 6] >> (bit & 63)) & 1) probe(level, key, h, data, pos, counts, onHit);
  }

  template <bool kOnlyFullLength, typename OnHit>
  void scanLevels(const std::uint8_t* data, std::size_t begin, std::size_t end, FilterCounts& counts,
                  OnHit& onHit) const {
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
        if ((bitmap[bit >> 6] >> (bit & 63)) & 1) probe(full, word, h, data, pos, counts, onHit);
      } else {
        for (const Level& level : levels_) {
          if (level.used()) testLevel(level, word, data, pos, counts, onHit);
        }
      }
    }
  }

  std::array<Level, kMaxAtomLength> levels_;  // levels_[n - 1] holds atoms of n bytes
  std::vector<Ref> refs_;
  bool onlyFullLength_ = true;
};

}  // namespace qrx::engine
