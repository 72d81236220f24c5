#include "matcher.h"

#include <algorithm>
#include <cstring>

namespace qrx::engine {
namespace {

void countStatus(BuildStats& stats, PatternStatus status) {
  switch (status) {
    case PatternStatus::Ok: ++stats.used; break;
    case PatternStatus::Empty: ++stats.empty; break;
    case PatternStatus::BadUnit: ++stats.badUnit; break;
    case PatternStatus::TooLong: ++stats.tooLong; break;
    case PatternStatus::NoAnchor: ++stats.noAnchor; break;
  }
}

// Bytes of a piece as 8-byte words; the padding has mask 0 and so matches anything.
void appendWords(const std::vector<std::uint8_t>& bytes, std::vector<std::uint64_t>& words) {
  for (std::size_t at = 0; at < bytes.size(); at += 8) {
    std::uint8_t block[8] = {};
    std::memcpy(block, bytes.data() + at, std::min<std::size_t>(8, bytes.size() - at));
    std::uint64_t word;
    std::memcpy(&word, block, 8);
    words.push_back(word);
  }
}

// Room the compiled pieces of `count` records need at most: a pattern has no more pieces than
// gap marks plus one, and no more words than one per 8 bytes (two characters each) plus one
// per piece. Reserving it up front spares the build the copies and fresh pages of growth,
// which were a good part of its time; pages reserved but never touched cost nothing.
struct PieceRoom {
  std::size_t pieces = 0;
  std::size_t words = 0;
};

PieceRoom roomFor(const TSignatureEntry* table, std::size_t count) {
  PieceRoom room;
  for (std::size_t slot = 0; slot < count; ++slot) {
    const std::string_view text = table[slot].Pattern.View();
    const std::size_t pieces = static_cast<std::size_t>(std::count(text.begin(), text.end(), ':')) + 1;
    room.pieces += pieces;
    room.words += text.size() / 16 + pieces;
  }
  return room;
}

}  // namespace

std::unique_ptr<Matcher> Matcher::fromTable(const TSignatureEntry* table, std::size_t count) {
  count = std::min(count, static_cast<std::size_t>(TN_MAX_SIGNATURES));
  std::unique_ptr<Matcher> matcher(new Matcher);
  std::vector<AtomUse> atoms;
  atoms.reserve(count);
  matcher->names_.reserve(count);
  matcher->signatures_.reserve(count);
  const PieceRoom room = roomFor(table, count);
  matcher->pieces_.reserve(room.pieces);
  matcher->values_.reserve(room.words);
  matcher->masks_.reserve(room.words);
  for (std::size_t slot = 0; slot < count; ++slot) {
    matcher->names_.emplace_back(table[slot].Name.View());
    const ParsedPattern pattern = parsePattern(table[slot].Pattern.View());
    countStatus(matcher->stats_, pattern.status);
    if (pattern.status == PatternStatus::Ok) {
      matcher->addSignature(slot, pattern, atoms);
    } else {
      matcher->stats_.ignoredSlots.push_back({slot, pattern.status});
    }
  }
  matcher->stats_.records = count;
  matcher->index_.build(atoms);
  return matcher;
}

void Matcher::addSignature(std::size_t slot, const ParsedPattern& pattern, std::vector<AtomUse>& atoms) {
  CompiledSignature sig;
  sig.slot = static_cast<std::uint32_t>(slot);
  sig.firstPiece = static_cast<std::uint32_t>(pieces_.size());
  sig.pieceCount = static_cast<std::uint16_t>(pattern.pieces.size());
  if (sig.pieceCount > 1) sig.state = gappedCount_++;
  const auto sigIndex = static_cast<std::uint32_t>(signatures_.size());

  for (std::size_t i = 0; i < pattern.pieces.size(); ++i) {
    const Piece& piece = pattern.pieces[i];
    CompiledPiece compiled;
    compiled.signature = sigIndex;
    compiled.index = static_cast<std::uint16_t>(i);
    compiled.length = static_cast<std::uint16_t>(piece.size());
    compiled.firstWord = static_cast<std::uint32_t>(values_.size());
    appendWords(piece.values, values_);
    appendWords(piece.masks, masks_);
    if (piece.exactCount() >= kMinAnchorBytes) {
      const Atom atom = *chooseAtom(piece);
      compiled.atomOffset = static_cast<std::int16_t>(atom.offset);
      atoms.push_back(AtomUse{atom, static_cast<std::uint32_t>(pieces_.size())});
    }
    pieces_.push_back(compiled);
  }
  if (isWeak(sig.firstPiece)) weakFirst_.push_back(sigIndex);
  signatures_.push_back(sig);
}

bool Matcher::pieceMatchesAt(const CompiledPiece& piece, const std::uint8_t* at) const {
  const std::uint64_t* values = values_.data() + piece.firstWord;
  const std::uint64_t* masks = masks_.data() + piece.firstWord;
  const std::size_t words = (piece.length + 7u) / 8u;
  for (std::size_t w = 0; w < words; ++w) {
    std::uint64_t data;
    std::memcpy(&data, at + 8 * w, 8);
    if ((data & masks[w]) != values[w]) return false;
  }
  return true;
}

std::size_t Matcher::memoryBytes() const {
  std::size_t bytes = index_.memoryBytes();
  for (const std::string& n : names_) bytes += sizeof n + (n.size() > 15 ? n.capacity() : 0);
  bytes += signatures_.capacity() * sizeof(CompiledSignature) + pieces_.capacity() * sizeof(CompiledPiece);
  bytes += (values_.capacity() + masks_.capacity()) * sizeof(std::uint64_t);
  return bytes;
}

ScanResult Matcher::scanFile(const char* path, const ScanOptions& options) const {
  OpenError error = OpenError::None;
  std::unique_ptr<FileSource> file = FileSource::open(path, error);
  if (!file) {
    ScanResult result;
    result.status = error == OpenError::NotAFile ? ScanStatus::NotAFile : ScanStatus::CannotOpen;
    return result;
  }
  return scan(*file, options);
}

}  // namespace qrx::engine
