// One scan of one stream against a Matcher.
//
// The stream is read in chunks into one buffer that keeps the last bytes of the previous
// chunk, so that a piece straddling a chunk boundary is still seen whole. The atom filter
// runs over each position once; a hit names the pieces anchored there, and each is checked
// in full (the verifier). Atom positions only move forward, which gives:
//  - a signature with gaps keeps, per scan, the piece it waits for next and the earliest
//    offset where that piece may start (just past the previous piece); its pieces are found
//    greedily, the earliest-ending occurrence of each, which yields the earliest-ending
//    occurrence of the whole signature;
//  - a piece with too few exact bytes for an atom is searched byte by byte from that offset,
//    ahead of the filter, only while its signature waits for it;
//  - the scan stops once the filter has passed the end of the best occurrence found: nothing
//    ending earlier can turn up later.
#include <algorithm>
#include <cstring>
#include <memory>
#include <optional>

#include "matcher.h"

namespace qrx::engine {

class ScanSession {
 public:
  ScanSession(const Matcher& matcher, ByteSource& source, const ScanOptions& options);
  ScanResult run();

 private:
  using Piece = Matcher::CompiledPiece;
  using Signature = Matcher::CompiledSignature;

  struct Progress {
    std::uint16_t next = 0;      // piece awaited; pieceCount once complete
    std::uint64_t minStart = 0;  // it may start here or later
  };
  struct Best {
    std::uint64_t end;
    std::uint32_t slot;
  };

  // Bytes kept from the previous chunk: a piece anchored at the next scan position may start
  // up to kMaxPieceLength - 1 bytes before it, and the filter stops kMaxPieceLength bytes
  // short of the data so that pieces anchored there fit.
  static constexpr std::size_t kKeep = 2 * kMaxPieceLength + 2;
  static constexpr std::size_t kPadding = 16;  // the filter and the verifier read whole words

  bool refill();
  void onAtom(std::uint32_t pieceIndex, std::uint64_t atomPos);
  void pieceFound(const Signature& sig, std::uint64_t end);
  bool pursueWeak(std::uint32_t sigIndex);
  void pursueWaiting();
  void record(const Signature& sig, std::uint64_t end);
  bool matchesAt(const Piece& piece, std::uint64_t start) const;

  const Matcher& m_;
  ByteSource& source_;
  std::size_t chunk_;
  std::unique_ptr<std::uint8_t[]> buffer_;  // not cleared: only bytes read are ever looked at
  std::uint64_t bufferStart_ = 0;  // file offset of buffer_[0]
  std::uint64_t dataEnd_ = 0;      // file offset just past the bytes read so far
  std::uint64_t scanned_ = 0;      // the filter has looked at every position below this
  bool atEnd_ = false;
  bool readError_ = false;
  std::vector<Progress> progress_;
  std::vector<std::uint32_t> waiting_;  // signatures waiting for a piece without an atom
  std::optional<Best> best_;
  FilterCounts counts_;
};

namespace {

// Most files are far smaller than a chunk. Their buffer is sized to them: a fresh buffer of a
// quarter megabyte per small file cost more than scanning it (under Wine, three times the
// whole scan, as the heap gives such blocks back to the system when they are freed). The
// floor keeps a file that grows while it is read from being read in tiny steps.
constexpr std::size_t kSmallestChunk = 16 * 1024;

std::size_t chunkFor(const ScanOptions& options, std::optional<std::uint64_t> expected) {
  const std::size_t chunk = std::max<std::size_t>(options.chunkSize, 1);
  if (!expected || *expected >= chunk) return chunk;
  // One byte more than expected, so that the end shows in the first fill.
  return std::min(chunk, std::max(static_cast<std::size_t>(*expected) + 1, kSmallestChunk));
}

}  // namespace

ScanSession::ScanSession(const Matcher& matcher, ByteSource& source, const ScanOptions& options)
    : m_(matcher),
      source_(source),
      chunk_(chunkFor(options, source.expectedSize())),
      buffer_(new std::uint8_t[kKeep + chunk_ + kPadding]),
      progress_(matcher.gappedCount_),
      waiting_(matcher.weakFirst_) {}

ScanResult ScanSession::run() {
  while (refill()) {
    pursueWaiting();
    const std::uint64_t limit = atEnd_ ? dataEnd_ : std::max(scanned_, dataEnd_ - std::min(dataEnd_, std::uint64_t{kMaxPieceLength}));
    const std::uint8_t* base = buffer_.get();
    m_.index_.scan(base, scanned_ - bufferStart_, limit - bufferStart_, counts_,
                   [this](std::uint32_t piece, std::size_t at) { onAtom(piece, bufferStart_ + at); });
    scanned_ = limit;
    if (atEnd_ || (best_ && scanned_ >= best_->end)) break;
  }
  ScanResult result;
  result.counts = counts_;
  if (readError_) {
    result.status = ScanStatus::ReadError;
  } else if (best_) {
    result.status = ScanStatus::Infected;
    result.slot = best_->slot;
    result.matchEnd = best_->end;
  }
  return result;
}

// Slides the kept bytes to the front and reads up to one chunk after them.
bool ScanSession::refill() {
  const std::uint64_t keepFrom = std::max(bufferStart_, dataEnd_ - std::min(dataEnd_, std::uint64_t{kKeep}));
  const std::size_t kept = static_cast<std::size_t>(dataEnd_ - keepFrom);
  std::memmove(buffer_.get(), buffer_.get() + (keepFrom - bufferStart_), kept);
  bufferStart_ = keepFrom;
  std::size_t filled = kept;
  while (filled < kept + chunk_) {
    const std::ptrdiff_t n = source_.read(buffer_.get() + filled, kept + chunk_ - filled);
    if (n < 0) {
      readError_ = true;
      return false;
    }
    if (n == 0) {
      atEnd_ = true;
      break;
    }
    filled += static_cast<std::size_t>(n);
  }
  std::memset(buffer_.get() + filled, 0, kPadding);
  dataEnd_ = bufferStart_ + filled;
  return true;
}

bool ScanSession::matchesAt(const Piece& piece, std::uint64_t start) const {
  return start >= bufferStart_ && start + piece.length <= dataEnd_ &&
         m_.pieceMatchesAt(piece, buffer_.get() + (start - bufferStart_));
}

void ScanSession::onAtom(std::uint32_t pieceIndex, std::uint64_t atomPos) {
  const Piece& piece = m_.pieces_[pieceIndex];
  if (atomPos < static_cast<std::uint64_t>(piece.atomOffset)) return;  // would start before the file
  const std::uint64_t start = atomPos - static_cast<std::uint64_t>(piece.atomOffset);
  const Signature& sig = m_.signatures_[piece.signature];
  if (sig.pieceCount > 1) {
    const Progress& p = progress_[sig.state];
    if (p.next != piece.index || start < p.minStart) return;
  }
  ++counts_.pieceChecks;
  if (!matchesAt(piece, start)) return;
  if (sig.pieceCount == 1) {
    record(sig, start + piece.length);
    return;
  }
  pieceFound(sig, start + piece.length);
  if (progress_[sig.state].next < sig.pieceCount && m_.isWeak(sig.firstPiece + progress_[sig.state].next)) {
    if (pursueWeak(piece.signature)) waiting_.push_back(piece.signature);
  }
}

// The awaited piece of a signature with gaps was found ending at `end`.
void ScanSession::pieceFound(const Signature& sig, std::uint64_t end) {
  Progress& p = progress_[sig.state];
  ++p.next;
  p.minStart = end;
  if (p.next == sig.pieceCount) record(sig, end);
}

// Searches the buffered data for the weak pieces the signature waits for, one after the
// other. True while it still waits for one when the data runs out.
bool ScanSession::pursueWeak(std::uint32_t sigIndex) {
  const Signature& sig = m_.signatures_[sigIndex];
  Progress& p = progress_[sig.state];  // only signatures with gaps have weak pieces
  while (p.next < sig.pieceCount && m_.isWeak(sig.firstPiece + p.next)) {
    const Piece& piece = m_.pieces_[sig.firstPiece + p.next];
    std::uint64_t start = p.minStart;
    while (start + piece.length <= dataEnd_ && !matchesAt(piece, start)) ++start;
    if (start + piece.length > dataEnd_) {
      p.minStart = start;  // resume here with the next chunk
      return true;
    }
    pieceFound(sig, start + piece.length);
  }
  return false;
}

void ScanSession::pursueWaiting() {
  std::erase_if(waiting_, [this](std::uint32_t sig) { return !pursueWeak(sig); });
}

void ScanSession::record(const Signature& sig, std::uint64_t end) {
  if (!best_ || end < best_->end || (end == best_->end && sig.slot < best_->slot)) best_ = Best{end, sig.slot};
}

ScanResult Matcher::scan(ByteSource& source, const ScanOptions& options) const {
  return ScanSession(*this, source, options).run();
}

}  // namespace qrx::engine
