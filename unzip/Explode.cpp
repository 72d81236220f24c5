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
#include "UnzipTypes.h"

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
  bool Read(TPackedInput& input, unsigned valueCount, unsigned tableBits);
  // The next value, from at least kMaxCodeLength bits the caller made available.
  unsigned Decode(TPackedInput& input) const;

private:
  bool ReadLengths(TPackedInput& input, unsigned valueCount, uint8_t* lengths) const;
  bool Build(const uint8_t* lengths, unsigned valueCount);
  unsigned DecodeLong(TPackedInput& input) const;

  // Entry: value | length << 8; 0 sends the lookup to DecodeLong.
  uint16_t Table[1 << 9] = {};
  unsigned TableBits = 0;
  uint16_t CountOfLength[kMaxCodeLength + 1] = {};
  uint8_t ValuesInCodeOrder[kLiteralValues] = {};
};

bool TShannonFanoCode::Read(TPackedInput& input, unsigned valueCount, unsigned tableBits) {
  uint8_t lengths[kLiteralValues];
  TableBits = tableBits;
  return ReadLengths(input, valueCount, lengths) && Build(lengths, valueCount);
}

bool TShannonFanoCode::ReadLengths(TPackedInput& input, unsigned valueCount, uint8_t* lengths) const {
  unsigned bytes = input.NextInputByte() + 1u;
  unsigned filled = 0;
  for (unsigned i = 0; i < bytes; ++i) {
    uint8_t run = input.NextInputByte();
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

unsigned TShannonFanoCode::Decode(TPackedInput& input) const {
  uint16_t entry = Table[input.PeekBits(TableBits)];
  if (entry == 0) return DecodeLong(input);
  input.DropBits(entry >> 8);
  return entry & 0xFF;
}

// Walks the canonical code one bit at a time.
unsigned TShannonFanoCode::DecodeLong(TPackedInput& input) const {
  uint32_t bits = ~input.PeekBits(kMaxCodeLength);
  uint32_t code = 0, first = 0, index = 0;
  for (unsigned length = 1; length <= kMaxCodeLength; ++length) {
    code |= (bits >> (length - 1)) & 1u;
    uint32_t count = CountOfLength[length];
    if (code - first < count) {
      input.DropBits(length);
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
  TExploder(TPackedInput& input, TContentOutput& output)
      : Input(input),
        Output(output),
        HasLiteralTree((input.GeneralFlags & 4) != 0),
        DistanceLowBits((input.GeneralFlags & 2) != 0 ? 7 : 6),
        MinMatch(HasLiteralTree ? 3 : 2) {}

  int32_t Run();

private:
  bool ReadTrees();
  bool Literal();
  bool Match();
  bool Emit(uint8_t byte);
  bool Copy(uint32_t distance, uint32_t length);
  bool Flush();

  TPackedInput& Input;
  TContentOutput& Output;
  const bool HasLiteralTree;
  const unsigned DistanceLowBits;
  const unsigned MinMatch;
  TShannonFanoCode LiteralCode, LengthCode, DistanceCode;
};

bool TExploder::ReadTrees() {
  unsigned distanceTableBits = Input.PackedSize <= kSmallMemberPackedSize ? 7 : 8;
  return (!HasLiteralTree || LiteralCode.Read(Input, kLiteralValues, 9)) &&
         LengthCode.Read(Input, kLengthValues, 7) && DistanceCode.Read(Input, kDistanceValues, distanceTableBits);
}

int32_t TExploder::Run() {
  if (!ReadTrees()) return Input.InputExhausted ? UZ_READ_ERROR : UZ_BAD_DATA;
  int64_t remaining = Output.UnpackedSize & 0xFFFFFFFF;
  while (remaining > 0 && !Input.Aborted && !Input.InputExhausted) {
    Input.NeedBits(kMaxTokenBits);
    bool isLiteral = Input.PeekBits(1) != 0;
    Input.DropBits(1);
    if (isLiteral) {
      if (!Literal()) return UZ_WRITE_ERROR;
      --remaining;
    } else {
      uint32_t low = Input.PeekBits(DistanceLowBits);
      Input.DropBits(DistanceLowBits);
      uint32_t distance = (DistanceCode.Decode(Input) << DistanceLowBits | low) + 1;
      uint32_t length = LengthCode.Decode(Input);
      if (length == kExtraLengthCode) {
        length += Input.PeekBits(8);
        Input.DropBits(8);
      }
      length += MinMatch;
      // The match is copied whole, even past the declared size: the size check catches it.
      if (!Copy(distance, length)) return UZ_WRITE_ERROR;
      remaining -= length;
    }
  }
  if (Input.Aborted) return UZ_ABORTED;
  if (!Flush()) return UZ_WRITE_ERROR;
  return Input.InputExhausted ? UZ_READ_ERROR : UZ_OK;
}

bool TExploder::Literal() {
  if (HasLiteralTree) return Emit(static_cast<uint8_t>(LiteralCode.Decode(Input)));
  uint8_t byte = static_cast<uint8_t>(Input.PeekBits(8));
  Input.DropBits(8);
  return Emit(byte);
}

bool TExploder::Emit(uint8_t byte) {
  Output.Window[Output.WindowPos++] = byte;
  return Output.WindowPos < UZ_WINDOW_SIZE || Flush();
}

// Copies from `distance` bytes back in the circular window. Before the window is first
// written out, bytes before the member's start are the window's zeros.
bool TExploder::Copy(uint32_t distance, uint32_t length) {
  uint8_t* window = Output.Window;
  uint32_t from = (Output.WindowPos - distance) & kWindowMask;
  while (length > 0) {
    uint32_t chunk = std::min({length, UZ_WINDOW_SIZE - Output.WindowPos, UZ_WINDOW_SIZE - from});
    uint8_t* to = window + Output.WindowPos;
    if (distance >= chunk) {
      std::memcpy(to, window + from, chunk);
    } else {
      for (uint32_t i = 0; i < chunk; ++i) to[i] = window[from + i];  // overlapping: repeats the pattern
    }
    Output.WindowPos += chunk;
    from = (from + chunk) & kWindowMask;
    length -= chunk;
    if (Output.WindowPos == UZ_WINDOW_SIZE && !Flush()) return false;
  }
  return true;
}

bool TExploder::Flush() {
  bool written = Output.FlushOutput(Output.WindowPos);
  Output.WindowPos = 0;
  return written;
}

}  // namespace

int32_t Explode(TPackedInput& input, TContentOutput& output) {
  auto exploder = std::make_unique<TExploder>(input, output);
  return exploder->Run();
}
