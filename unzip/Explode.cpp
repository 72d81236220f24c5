// Explode: ZIP method 6, a 4 KiB or 8 KiB sliding dictionary with Shannon-Fano coded
// literals, lengths and distances (APPNOTE).
//
// General-purpose flag bit 1 selects the 8 KiB dictionary, bit 2 a literal tree (and a
// minimum match of 3). The trees lead the data: for each, a byte holding the count of bytes
// that follow minus 1, then bytes of (repeat count - 1) << 4 | (bit length - 1). Every value
// has a code. A code is the canonical code of its lengths (shortest first, equal lengths in
// ascending value order) sent with every bit inverted, first bit first.
#include <algorithm>
#include <cstring>
#include <memory>

#include "Decoders.h"
#include "UnzipEngine.h"

namespace {

constexpr unsigned kMaxCodeLength = 16;
constexpr unsigned kLiteralValues = 256;
constexpr unsigned kLengthValues = 64;
constexpr unsigned kDistanceValues = 64;
constexpr unsigned kExtraLengthCode = 63;
constexpr uint32_t kWindowMask = UZ_WINDOW_SIZE - 1;
// Members larger than this get a wider first-level distance table.
constexpr int64_t kSmallMemberPackedSize = 200000;
// Bits one literal or match can take: flag, 7 low distance bits, two codes, 8 extra bits.
constexpr unsigned kMaxTokenBits = 1 + 7 + 2 * kMaxCodeLength + 8;

// One Shannon-Fano code: a first-level table indexed by the next stream bits, and the
// canonical order for the rare codes longer than the table.
class TShannonFanoCode {
public:
  // Reads the stored bit lengths of `valueCount` values and builds the code; false when the
  // counts do not add up or the lengths do not make a complete code.
  bool Read(TUnzipEngine& engine, unsigned valueCount, unsigned tableBits);
  // The next value, from at least kMaxCodeLength bits the caller made available.
  unsigned Decode(TUnzipEngine& engine) const;

private:
  bool ReadLengths(TUnzipEngine& engine, unsigned valueCount, uint8_t* lengths) const;
  bool Build(const uint8_t* lengths, unsigned valueCount);
  unsigned DecodeLong(TUnzipEngine& engine) const;

  // Entry: value | length << 8; 0 sends the lookup to DecodeLong.
  uint16_t Table[1 << 9] = {};
  unsigned TableBits = 0;
  uint16_t CountOfLength[kMaxCodeLength + 1] = {};
  uint8_t ValuesInCodeOrder[kLiteralValues] = {};
};

bool TShannonFanoCode::Read(TUnzipEngine& engine, unsigned valueCount, unsigned tableBits) {
  uint8_t lengths[kLiteralValues];
  TableBits = tableBits;
  return ReadLengths(engine, valueCount, lengths) && Build(lengths, valueCount);
}

bool TShannonFanoCode::ReadLengths(TUnzipEngine& engine, unsigned valueCount, uint8_t* lengths) const {
  unsigned bytes = engine.NextInputByte() + 1u;
  unsigned filled = 0;
  for (unsigned i = 0; i < bytes; ++i) {
    uint8_t run = engine.NextInputByte();
    unsigned repeat = (run >> 4) + 1u;
    if (filled + repeat > valueCount) return false;
    std::memset(lengths + filled, (run & 0x0F) + 1, repeat);
    filled += repeat;
  }
  return filled == valueCount;
}

bool TShannonFanoCode::Build(const uint8_t* lengths, unsigned valueCount) {
  for (unsigned value = 0; value < valueCount; ++value) ++CountOfLength[lengths[value]];
  // The code must be complete: neither over-subscribed nor leaving any bit pattern unused.
  int32_t unused = 1;
  uint32_t nextCode[kMaxCodeLength + 1] = {};
  uint16_t firstIndex[kMaxCodeLength + 1] = {};
  for (unsigned length = 1; length <= kMaxCodeLength; ++length) {
    unused = unused * 2 - CountOfLength[length];
    if (unused < 0) return false;
    if (length < kMaxCodeLength) {
      nextCode[length + 1] = (nextCode[length] + CountOfLength[length]) << 1;
      firstIndex[length + 1] = static_cast<uint16_t>(firstIndex[length] + CountOfLength[length]);
    }
  }
  if (unused != 0) return false;

  for (unsigned value = 0; value < valueCount; ++value) {
    unsigned length = lengths[value];
    ValuesInCodeOrder[firstIndex[length]++] = static_cast<uint8_t>(value);
    uint32_t code = nextCode[length]++;
    if (length > TableBits) continue;
    // The stream sends the inverted code first bit first: reverse it into the table's index.
    uint32_t index = 0;
    for (unsigned bit = 0; bit < length; ++bit) index |= ((~code >> bit) & 1u) << (length - 1 - bit);
    uint16_t entry = static_cast<uint16_t>(value | length << 8);
    for (; index < (1u << TableBits); index += 1u << length) Table[index] = entry;
  }
  return true;
}

unsigned TShannonFanoCode::Decode(TUnzipEngine& engine) const {
  uint16_t entry = Table[engine.PeekBits(TableBits)];
  if (entry == 0) return DecodeLong(engine);
  engine.DropBits(entry >> 8);
  return entry & 0xFF;
}

// Walks the canonical code one bit at a time.
unsigned TShannonFanoCode::DecodeLong(TUnzipEngine& engine) const {
  uint32_t bits = ~engine.PeekBits(kMaxCodeLength);
  uint32_t code = 0, first = 0, index = 0;
  for (unsigned length = 1; length <= kMaxCodeLength; ++length) {
    code |= (bits >> (length - 1)) & 1u;
    uint32_t count = CountOfLength[length];
    if (code - first < count) {
      engine.DropBits(length);
      return ValuesInCodeOrder[index + code - first];
    }
    index += count;
    first = (first + count) << 1;
    code <<= 1;
  }
  return 0;  // not reached: a complete code decodes every bit pattern
}

class TExploder {
public:
  explicit TExploder(TUnzipEngine& engine)
      : Engine(engine),
        HasLiteralTree((engine.GeneralFlags & 4) != 0),
        DistanceLowBits((engine.GeneralFlags & 2) != 0 ? 7 : 6),
        MinMatch(HasLiteralTree ? 3 : 2) {}

  int32_t Run();

private:
  bool ReadTrees();
  bool Literal();
  bool Match();
  bool Emit(uint8_t byte);
  bool Copy(uint32_t distance, uint32_t length);
  bool Flush();

  TUnzipEngine& Engine;
  const bool HasLiteralTree;
  const unsigned DistanceLowBits;
  const unsigned MinMatch;
  TShannonFanoCode LiteralCode, LengthCode, DistanceCode;
};

bool TExploder::ReadTrees() {
  unsigned distanceTableBits = Engine.PackedToRead <= kSmallMemberPackedSize ? 7 : 8;
  return (!HasLiteralTree || LiteralCode.Read(Engine, kLiteralValues, 9)) &&
         LengthCode.Read(Engine, kLengthValues, 7) && DistanceCode.Read(Engine, kDistanceValues, distanceTableBits);
}

int32_t TExploder::Run() {
  if (!ReadTrees()) return Engine.InputExhausted ? UZ_READ_ERROR : UZ_BAD_DATA;
  int64_t remaining = Engine.UnpackedExpected & 0xFFFFFFFF;
  while (remaining > 0 && !Engine.Aborted && !Engine.InputExhausted) {
    Engine.NeedBits(kMaxTokenBits);
    bool isLiteral = Engine.PeekBits(1) != 0;
    Engine.DropBits(1);
    if (isLiteral) {
      if (!Literal()) return UZ_WRITE_ERROR;
      --remaining;
    } else {
      uint32_t low = Engine.PeekBits(DistanceLowBits);
      Engine.DropBits(DistanceLowBits);
      uint32_t distance = (DistanceCode.Decode(Engine) << DistanceLowBits | low) + 1;
      uint32_t length = LengthCode.Decode(Engine);
      if (length == kExtraLengthCode) {
        length += Engine.PeekBits(8);
        Engine.DropBits(8);
      }
      length += MinMatch;
      // The match is copied whole, even past the declared size: the size check catches it.
      if (!Copy(distance, length)) return UZ_WRITE_ERROR;
      remaining -= length;
    }
  }
  if (Engine.Aborted) return UZ_ABORTED;
  if (!Flush()) return UZ_WRITE_ERROR;
  return Engine.InputExhausted ? UZ_READ_ERROR : UZ_OK;
}

bool TExploder::Literal() {
  if (HasLiteralTree) return Emit(static_cast<uint8_t>(LiteralCode.Decode(Engine)));
  uint8_t byte = static_cast<uint8_t>(Engine.PeekBits(8));
  Engine.DropBits(8);
  return Emit(byte);
}

bool TExploder::Emit(uint8_t byte) {
  Engine.Window[Engine.WindowPos++] = byte;
  return Engine.WindowPos < UZ_WINDOW_SIZE || Flush();
}

// Copies from `distance` bytes back in the circular window. Before the window is first
// written out, bytes before the member's start are the window's zeros.
bool TExploder::Copy(uint32_t distance, uint32_t length) {
  uint8_t* window = Engine.Window;
  uint32_t from = (Engine.WindowPos - distance) & kWindowMask;
  while (length > 0) {
    uint32_t chunk = std::min({length, UZ_WINDOW_SIZE - Engine.WindowPos, UZ_WINDOW_SIZE - from});
    uint8_t* to = window + Engine.WindowPos;
    if (distance >= chunk) {
      std::memcpy(to, window + from, chunk);
    } else {
      for (uint32_t i = 0; i < chunk; ++i) to[i] = window[from + i];  // overlapping: repeats the pattern
    }
    Engine.WindowPos += chunk;
    from = (from + chunk) & kWindowMask;
    length -= chunk;
    if (Engine.WindowPos == UZ_WINDOW_SIZE && !Flush()) return false;
  }
  return true;
}

bool TExploder::Flush() {
  bool written = Engine.FlushOutput(Engine.WindowPos);
  Engine.WindowPos = 0;
  return written;
}

}  // namespace

int32_t Explode(TUnzipEngine& engine) {
  auto exploder = std::make_unique<TExploder>(engine);
  return exploder->Run();
}
