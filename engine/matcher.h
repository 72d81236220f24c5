// The compiled signature set: built once from the table of records, then only read, so
// any number of scans may run on it at once.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "atom_index.h"
#include "byte_source.h"
#include "pattern.h"
#include "tn_sscan.h"

namespace qrx::engine {

// A record the scanner leaves out, and why.
struct IgnoredSignature {
  std::size_t slot;
  PatternStatus status;
};

struct BuildStats {
  std::size_t records = 0;  // records read from the table
  std::size_t used = 0;     // signatures the scanner looks for
  std::size_t empty = 0;
  std::size_t badUnit = 0;
  std::size_t tooLong = 0;
  std::size_t noAnchor = 0;
  std::vector<IgnoredSignature> ignoredSlots;  // in slot order
  std::size_t ignored() const { return empty + badUnit + tooLong + noAnchor; }
};

enum class ScanStatus { Clean, Infected, CannotOpen, NotAFile, ReadError };

struct ScanResult {
  ScanStatus status = ScanStatus::Clean;
  std::size_t slot = 0;         // 0-based record of the winning signature, when infected
  std::uint64_t matchEnd = 0;   // offset just past its occurrence
  FilterCounts counts;          // how much work each stage did
};

struct ScanOptions {
  std::size_t chunkSize = 256 * 1024;  // bytes read at a time; memory per scan is about this much
};

class Matcher {
 public:
  // Reads `count` records starting at `table`, at most TN_MAX_SIGNATURES. Signatures that
  // cannot be matched sensibly are left out and counted in stats().
  static std::unique_ptr<Matcher> fromTable(const TSignatureEntry* table, std::size_t count);

  ScanResult scan(ByteSource& source, const ScanOptions& options = {}) const;
  ScanResult scanFile(const char* path, const ScanOptions& options = {}) const;

  const BuildStats& stats() const { return stats_; }
  std::string_view name(std::size_t slot) const { return names_[slot]; }
  std::size_t memoryBytes() const;

 private:
  friend class ScanSession;

  // One piece of one signature, its bytes stored padded to whole 8-byte words.
  struct CompiledPiece {
    std::uint32_t signature = 0;
    std::uint16_t index = 0;        // position among its signature's pieces
    std::uint16_t length = 0;
    std::uint32_t firstWord = 0;    // into values_/masks_
    std::int16_t atomOffset = -1;   // -1: too weak for an atom, searched byte by byte
  };
  struct CompiledSignature {
    std::uint32_t slot = 0;
    std::uint32_t firstPiece = 0;
    std::uint16_t pieceCount = 0;
    std::uint32_t state = 0;        // index of its per-scan progress, for signatures with gaps
  };

  Matcher() = default;
  void addSignature(std::size_t slot, const ParsedPattern& pattern, std::vector<AtomUse>& atoms);
  bool pieceMatchesAt(const CompiledPiece& piece, const std::uint8_t* at) const;
  bool isWeak(std::uint32_t piece) const { return pieces_[piece].atomOffset < 0; }

  std::vector<std::string> names_;  // by slot, for every record
  std::vector<CompiledSignature> signatures_;
  std::vector<CompiledPiece> pieces_;
  std::vector<std::uint64_t> values_;
  std::vector<std::uint64_t> masks_;
  std::vector<std::uint32_t> weakFirst_;  // signatures whose first piece has no atom
  std::uint32_t gappedCount_ = 0;
  AtomIndex index_;
  BuildStats stats_;
};

}  // namespace qrx::engine
