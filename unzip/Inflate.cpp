// Method 8: deflate (RFC 1951), and method 9: Deflate64, the same format with a 64 KiB window,
// length code 285 meaning 3 to 65538 (16 extra bits) and distance codes 30 and 31 reaching
// 32769 to 65536 (14 extra bits). Both are one decoder over a format description.
//
// Codes are decoded through lookup tables indexed by the next bits of the stream (least
// significant first): a main table of 2^mainBits entries, and for codes longer than that a
// subtable reached through the main entry. Each entry packs what the symbol means:
//   bits 0-4    bits to consume for this entry
//   bits 5-9    extra bits that follow the symbol (for a subtable link: its index bits)
//   bits 10-13  flags: literal, end of block, subtable link, invalid
//   bits 16-31  literal byte, length or distance base, or the subtable's start
// A fast loop decodes while at least 16 input bytes remain in the input's buffer and
// a longest deflate match fits in the window without wrapping past its end; it checks nothing
// else per symbol (Deflate64's longer matches go through the careful copy). Near those edges one symbol at a time goes through the careful path, which
// pulls bytes through the input's bit reader (and so may reach the filler past the data).
#include <algorithm>
#include <cstring>
#include <memory>

#include "Decoders.h"
#include "UnzipTypes.h"

namespace {

constexpr uint32_t kFlagLiteral = 1u << 10;
constexpr uint32_t kFlagEndOfBlock = 1u << 11;
constexpr uint32_t kFlagSubtable = 1u << 12;
constexpr uint32_t kFlagInvalid = 1u << 13;

constexpr uint32_t MakeEntry(uint32_t value, uint32_t extraBits, uint32_t flags) {
  return value << 16 | flags | extraBits << 5;
}
uint32_t EntryBits(uint32_t entry) { return entry & 0x1F; }
uint32_t EntryExtra(uint32_t entry) { return (entry >> 5) & 0x1F; }
uint32_t EntryValue(uint32_t entry) { return entry >> 16; }
uint64_t LowBits(unsigned n) { return (uint64_t(1) << n) - 1; }

constexpr unsigned kMaxCodeBits = 15;
constexpr unsigned kLitLenMainBits = 10;
constexpr unsigned kDistanceMainBits = 8;
constexpr unsigned kCodeLengthMainBits = 7;
constexpr unsigned kMaxLitLenCodes = 288;
constexpr unsigned kMaxDistanceCodes = 32;
// Room for the main table and, in the worst case, one widest subtable per long code.
constexpr size_t kLitLenTableSize = (1u << kLitLenMainBits) + kMaxLitLenCodes * (1u << (kMaxCodeBits - kLitLenMainBits));
constexpr size_t kDistanceTableSize =
    (1u << kDistanceMainBits) + kMaxDistanceCodes * (1u << (kMaxCodeBits - kDistanceMainBits));

constexpr uint32_t kMaxMatch = 258;

const uint16_t kLengthBase[29] = {3,  4,  5,  6,  7,  8,  9,  10, 11,  13,  15,  17,  19,  23, 27,
                                  31, 35, 43, 51, 59, 67, 83, 99, 115, 131, 163, 195, 227, 258};
const uint8_t kLengthExtra[29] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2, 2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
const uint16_t kDistanceBase[30] = {1,   2,   3,   4,   5,   7,    9,    13,   17,   25,   33,   49,   65,    97,    129,
                                    193, 257, 385, 513, 769, 1025, 1537, 2049, 3073, 4097, 6145, 8193, 12289, 16385, 24577};
const uint8_t kDistanceExtra[30] = {0, 0, 0, 0, 1, 1, 2, 2, 3, 3, 4, 4, 5, 5, 6, 6, 7, 7, 8, 8, 9, 9, 10, 10, 11, 11, 12, 12, 13, 13};
const uint8_t kCodeLengthOrder[19] = {16, 17, 18, 0, 8, 7, 9, 6, 10, 5, 11, 4, 12, 3, 13, 2, 14, 1, 15};

// Length codes 286 and 287 take part in the code but are invalid; so do distance codes 30
// and 31 in deflate.
uint32_t LitLenMeaning(unsigned symbol) {
  if (symbol < 256) return MakeEntry(symbol, 0, kFlagLiteral);
  if (symbol == 256) return MakeEntry(0, 0, kFlagEndOfBlock);
  if (symbol < 286) return MakeEntry(kLengthBase[symbol - 257], kLengthExtra[symbol - 257], 0);
  return MakeEntry(0, 0, kFlagInvalid);
}
uint32_t DistanceMeaning(unsigned symbol) {
  return symbol < 30 ? MakeEntry(kDistanceBase[symbol], kDistanceExtra[symbol], 0) : MakeEntry(0, 0, kFlagInvalid);
}
uint32_t CodeLengthMeaning(unsigned symbol) { return MakeEntry(symbol, 0, 0); }

uint32_t LitLenMeaning64(unsigned symbol) { return symbol == 285 ? MakeEntry(3, 16, 0) : LitLenMeaning(symbol); }
uint32_t DistanceMeaning64(unsigned symbol) {
  if (symbol == 30) return MakeEntry(32769, 14, 0);
  if (symbol == 31) return MakeEntry(49153, 14, 0);
  return DistanceMeaning(symbol);
}

// What sets the two methods apart. MatchBits: the most bits a length's extra field, its
// distance code and the distance's extra field take together.
struct TDeflate {
  static constexpr uint32_t kWindowSize = 32768;
  static constexpr unsigned kMatchBits = 5 + 15 + 13;
  static constexpr auto LitLen = LitLenMeaning;
  static constexpr auto Distance = DistanceMeaning;
};
struct TDeflate64 {
  static constexpr uint32_t kWindowSize = 65536;
  static constexpr unsigned kMatchBits = 16 + 15 + 14;
  static constexpr auto LitLen = LitLenMeaning64;
  static constexpr auto Distance = DistanceMeaning64;
};

template <class TFormat>
constexpr uint32_t kWindowMask = TFormat::kWindowSize - 1;
// The fast loop runs while two literals and a longest deflate match fit before the window's
// end with room to spare: the careful path expects a position inside the window.
template <class TFormat>
constexpr uint32_t kFastWindowLimit = TFormat::kWindowSize - kMaxMatch - 3;

enum class TCodeShape { Complete, Incomplete, Oversubscribed };

uint32_t ReverseBits(uint32_t code, unsigned length) {
  uint32_t reversed = 0;
  for (unsigned i = 0; i < length; ++i, code >>= 1) reversed = reversed << 1 | (code & 1);
  return reversed;
}

// Builds the canonical code of RFC 1951 from its code lengths. Slots no code reaches stay
// invalid, so an incomplete code can be used and fails only on a missing symbol.
TCodeShape BuildTable(const uint8_t* lengths, unsigned count, uint32_t (*meaning)(unsigned), unsigned mainBits,
                      uint32_t* table) {
  unsigned lengthCount[kMaxCodeBits + 1] = {};
  for (unsigned i = 0; i < count; ++i) ++lengthCount[lengths[i]];
  lengthCount[0] = 0;
  int left = 1;
  unsigned longest = 0;
  for (unsigned bits = 1; bits <= kMaxCodeBits; ++bits) {
    left = left * 2 - static_cast<int>(lengthCount[bits]);
    if (left < 0) return TCodeShape::Oversubscribed;
    if (lengthCount[bits]) longest = bits;
  }
  uint32_t nextCode[kMaxCodeBits + 1] = {};
  for (unsigned bits = 1, code = 0; bits <= kMaxCodeBits; ++bits) {
    code = (code + lengthCount[bits - 1]) << 1;
    nextCode[bits] = code;
  }
  const uint32_t invalid = MakeEntry(0, 0, kFlagInvalid);
  const uint32_t mainSize = 1u << mainBits;
  const unsigned subBits = longest > mainBits ? longest - mainBits : 0;
  // A complete code reaches every slot; only an incomplete one leaves slots to mark.
  if (left > 0)
    for (uint32_t i = 0; i < mainSize; ++i) table[i] = invalid;
  uint32_t nextSubtable = mainSize;
  bool linked[1u << kLitLenMainBits] = {};  // main slots made links in this build
  for (unsigned symbol = 0; symbol < count; ++symbol) {
    unsigned length = lengths[symbol];
    if (length == 0) continue;
    uint32_t reversed = ReverseBits(nextCode[length]++, length);
    uint32_t entry = meaning(symbol);
    if (length <= mainBits) {
      for (uint32_t i = reversed; i < mainSize; i += 1u << length) table[i] = entry | length;
      continue;
    }
    uint32_t slot = reversed & (mainSize - 1);
    uint32_t& link = table[slot];
    if (!linked[slot]) {
      linked[slot] = true;
      link = MakeEntry(nextSubtable, subBits, kFlagSubtable) | mainBits;
      if (left > 0)
        for (uint32_t i = 0; i < (1u << subBits); ++i) table[nextSubtable + i] = invalid;
      nextSubtable += 1u << subBits;
    }
    uint32_t* subtable = table + EntryValue(link);
    unsigned rest = length - mainBits;
    for (uint32_t i = reversed >> mainBits; i < (1u << subBits); i += 1u << rest) subtable[i] = entry | rest;
  }
  return left > 0 ? TCodeShape::Incomplete : TCodeShape::Complete;
}

struct TBlockCodes {
  uint32_t LitLen[kLitLenTableSize];
  uint32_t Distance[kDistanceTableSize];
};

template <class TFormat>
const TBlockCodes& FixedCodes() {
  static const std::unique_ptr<TBlockCodes> codes = [] {
    auto built = std::make_unique<TBlockCodes>();
    uint8_t lengths[kMaxLitLenCodes];
    std::memset(lengths, 8, 144);
    std::memset(lengths + 144, 9, 112);
    std::memset(lengths + 256, 7, 24);
    std::memset(lengths + 280, 8, 8);
    BuildTable(lengths, kMaxLitLenCodes, TFormat::LitLen, kLitLenMainBits, built->LitLen);
    std::memset(lengths, 5, kMaxDistanceCodes);
    BuildTable(lengths, kMaxDistanceCodes, TFormat::Distance, kDistanceMainBits, built->Distance);
    return built;
  }();
  return *codes;
}

// Statuses of the block decoding besides the result codes.
constexpr int32_t kContinue = 100;
constexpr int32_t kBlockEnd = 101;

// ---- The careful path: one symbol at a time through the input's bit reader ----

uint32_t DecodeCarefully(TPackedInput& input, const uint32_t* table, unsigned mainBits) {
  input.NeedBits(mainBits);
  uint32_t entry = table[input.PeekBits(mainBits)];
  if (entry & kFlagSubtable) {
    input.DropBits(mainBits);
    input.NeedBits(EntryExtra(entry));
    entry = table[EntryValue(entry) + input.PeekBits(EntryExtra(entry))];
  }
  input.DropBits(EntryBits(entry));
  return entry;
}

template <class TFormat>
bool PutByte(TContentOutput& output, uint8_t byte) {
  output.Window[output.WindowPos++] = byte;
  if (output.WindowPos < TFormat::kWindowSize) return true;
  output.WindowPos = 0;
  return output.FlushOutput(TFormat::kWindowSize);
}

// A distance before the member's first byte reads the zero-filled window.
template <class TFormat>
bool CopyMatchCarefully(TContentOutput& output, uint32_t distance, uint32_t length) {
  while (length--)
    if (!PutByte<TFormat>(output, output.Window[(output.WindowPos - distance) & kWindowMask<TFormat>])) return false;
  return true;
}

template <class TFormat>
int32_t DecodeSymbolCarefully(TPackedInput& input, TContentOutput& output, const TBlockCodes& codes) {
  uint32_t entry = DecodeCarefully(input, codes.LitLen, kLitLenMainBits);
  if (entry & kFlagLiteral)
    return PutByte<TFormat>(output, static_cast<uint8_t>(EntryValue(entry))) ? kContinue : UZ_WRITE_ERROR;
  if (entry & kFlagEndOfBlock) return kBlockEnd;
  if (entry & kFlagInvalid) return UZ_BAD_DATA;
  uint32_t length = EntryValue(entry) + input.ReadBits(EntryExtra(entry));
  entry = DecodeCarefully(input, codes.Distance, kDistanceMainBits);
  if (entry & kFlagInvalid) return UZ_BAD_DATA;
  uint32_t distance = EntryValue(entry) + input.ReadBits(EntryExtra(entry));
  return CopyMatchCarefully<TFormat>(output, distance, length) ? kContinue : UZ_WRITE_ERROR;
}

// ---- The fast path ----

uint64_t Load64(const uint8_t* p) {
  uint64_t value = 0;
  for (int i = 7; i >= 0; --i) value = value << 8 | p[i];
  return value;
}

// Copies a match inside the window; the caller keeps pos + length within the window.
template <class TFormat>
void CopyMatch(uint8_t* window, uint32_t pos, uint32_t distance, uint32_t length) {
  uint8_t* to = window + pos;
  if (distance > pos) {  // the source wraps to the window's end
    for (uint32_t from = pos - distance; length--; ++from) *to++ = window[from & kWindowMask<TFormat>];
    return;
  }
  const uint8_t* from = to - distance;
  if (distance >= 8) {
    for (; length >= 8; length -= 8, to += 8, from += 8) std::memcpy(to, from, 8);
  } else if (distance == 1) {
    std::memset(to, *from, length);
    return;
  }
  while (length--) *to++ = *from++;
}

// Decodes while the input buffer holds 16 bytes (two refills) and a match fits; kContinue
// when it left an edge to the careful path.
template <class TFormat>
int32_t DecodeFast(TPackedInput& input, TContentOutput& output, const TBlockCodes& codes) {
  const uint8_t* in = input.InputPos;
  const uint8_t* const inEnd = input.InputEnd;
  uint64_t bits = input.BitBuffer;
  unsigned count = input.BitCount;
  uint8_t* const window = output.Window;
  uint32_t pos = output.WindowPos;
  int32_t status = kContinue;
  auto consume = [&](unsigned n) {
    bits >>= n;
    count -= n;
  };
  // Tops the buffer up to at least 56 bits, taking whole bytes.
  auto refill = [&] {
    bits |= Load64(in) << count;
    in += (63 - count) >> 3;
    count |= 56;
  };
  auto lookUp = [&](const uint32_t* table, unsigned mainBits) {
    uint32_t entry = table[bits & LowBits(mainBits)];
    if (entry & kFlagSubtable) {
      consume(mainBits);
      entry = table[EntryValue(entry) + (bits & LowBits(EntryExtra(entry)))];
    }
    consume(EntryBits(entry));
    return entry;
  };
  while (inEnd - in >= 16 && pos <= kFastWindowLimit<TFormat>) {
    refill();
    // Up to three literals per refill: each takes at most 15 of the 56 bits.
    uint32_t entry = lookUp(codes.LitLen, kLitLenMainBits);
    if (entry & kFlagLiteral) {
      window[pos++] = static_cast<uint8_t>(EntryValue(entry));
      entry = lookUp(codes.LitLen, kLitLenMainBits);
      if (entry & kFlagLiteral) {
        window[pos++] = static_cast<uint8_t>(EntryValue(entry));
        entry = lookUp(codes.LitLen, kLitLenMainBits);
        if (entry & kFlagLiteral) {
          window[pos++] = static_cast<uint8_t>(EntryValue(entry));
          continue;
        }
      }
    }
    if (entry & (kFlagEndOfBlock | kFlagInvalid)) {
      status = (entry & kFlagEndOfBlock) ? kBlockEnd : UZ_BAD_DATA;
      break;
    }
    if (count < TFormat::kMatchBits) refill();
    uint32_t length = EntryValue(entry) + static_cast<uint32_t>(bits & LowBits(EntryExtra(entry)));
    consume(EntryExtra(entry));
    entry = lookUp(codes.Distance, kDistanceMainBits);
    if (entry & kFlagInvalid) {
      status = UZ_BAD_DATA;
      break;
    }
    uint32_t distance = EntryValue(entry) + static_cast<uint32_t>(bits & LowBits(EntryExtra(entry)));
    consume(EntryExtra(entry));
    if (length > kMaxMatch) {  // only Deflate64's length code 285: may pass the window's end
      output.WindowPos = pos;
      if (!CopyMatchCarefully<TFormat>(output, distance, length)) {
        status = UZ_WRITE_ERROR;
        break;
      }
      pos = output.WindowPos;
      continue;
    }
    CopyMatch<TFormat>(window, pos, distance, length);
    pos += length;
  }
  // Bits above count belong to bytes not yet taken; the bit reader wants them clear.
  input.BitBuffer = bits & LowBits(count);
  input.BitCount = count;
  input.InputPos = in;
  output.WindowPos = pos;
  return status;
}

template <class TFormat>
int32_t DecodeHuffmanBlock(TPackedInput& input, TContentOutput& output, const TBlockCodes& codes) {
  for (;;) {
    if (input.Aborted) return UZ_ABORTED;
    if (input.InputExhausted) return UZ_READ_ERROR;
    int32_t status = DecodeFast<TFormat>(input, output, codes);
    if (status == kContinue) status = DecodeSymbolCarefully<TFormat>(input, output, codes);
    if (status == kBlockEnd) return UZ_OK;
    if (status != kContinue) return status;
  }
}

// ---- Block headers ----

template <class TFormat>
int32_t CopyStoredBlock(TPackedInput& input, TContentOutput& output) {
  input.AlignToByte();
  uint32_t length = input.ReadBits(16);
  if (input.ReadBits(16) != (~length & 0xFFFF)) return UZ_BAD_DATA;
  while (length > 0) {
    if (input.Aborted) return UZ_ABORTED;
    if (input.InputExhausted) return UZ_READ_ERROR;
    if (input.BitCount >= 8 || input.InputPos == input.InputEnd) {
      if (!PutByte<TFormat>(output, static_cast<uint8_t>(input.ReadBits(8)))) return UZ_WRITE_ERROR;
      --length;
      continue;
    }
    auto run = static_cast<uint32_t>(input.InputEnd - input.InputPos);
    run = std::min<uint32_t>({run, length, TFormat::kWindowSize - output.WindowPos});
    std::memcpy(output.Window + output.WindowPos, input.InputPos, run);
    input.InputPos += run;
    output.WindowPos += run;
    length -= run;
    if (output.WindowPos == TFormat::kWindowSize) {
      output.WindowPos = 0;
      if (!output.FlushOutput(TFormat::kWindowSize)) return UZ_WRITE_ERROR;
    }
  }
  return UZ_OK;
}

// Reads the code lengths of a dynamic block into its tables.
template <class TFormat>
int32_t ReadDynamicCodes(TPackedInput& input, TBlockCodes& codes) {
  unsigned litLenCount = input.ReadBits(5) + 257;
  unsigned distanceCount = input.ReadBits(5) + 1;
  unsigned codeLengthCount = input.ReadBits(4) + 4;
  uint8_t codeLengthLengths[19] = {};
  for (unsigned i = 0; i < codeLengthCount; ++i) codeLengthLengths[kCodeLengthOrder[i]] = static_cast<uint8_t>(input.ReadBits(3));
  uint32_t codeLengthTable[1u << kCodeLengthMainBits];
  if (BuildTable(codeLengthLengths, 19, CodeLengthMeaning, kCodeLengthMainBits, codeLengthTable) != TCodeShape::Complete)
    return UZ_BAD_DATA;

  uint8_t lengths[kMaxLitLenCodes + kMaxDistanceCodes] = {};
  const unsigned total = litLenCount + distanceCount;
  for (unsigned i = 0; i < total;) {
    if (input.InputExhausted) return UZ_READ_ERROR;
    unsigned symbol = EntryValue(DecodeCarefully(input, codeLengthTable, kCodeLengthMainBits));
    if (symbol < 16) {
      lengths[i++] = static_cast<uint8_t>(symbol);
      continue;
    }
    uint8_t repeated = 0;
    unsigned times;
    if (symbol == 16) {
      repeated = i > 0 ? lengths[i - 1] : 0;
      times = 3 + input.ReadBits(2);
    } else {
      times = symbol == 17 ? 3 + input.ReadBits(3) : 11 + input.ReadBits(7);
    }
    if (i + times > total) return symbol == 18 ? UZ_BAD_DATA : UZ_INFLATE_REPEAT_OVERRUN;
    std::memset(lengths + i, repeated, times);
    i += times;
  }
  if (BuildTable(lengths, litLenCount, TFormat::LitLen, kLitLenMainBits, codes.LitLen) != TCodeShape::Complete)
    return UZ_BAD_DATA;
  if (BuildTable(lengths + litLenCount, distanceCount, TFormat::Distance, kDistanceMainBits, codes.Distance) ==
      TCodeShape::Oversubscribed)
    return UZ_BAD_DATA;
  return UZ_OK;
}

template <class TFormat>
int32_t InflateBlock(TPackedInput& input, TContentOutput& output, unsigned type, TBlockCodes& dynamicCodes) {
  switch (type) {
    case 0:
      return CopyStoredBlock<TFormat>(input, output);
    case 1:
      return DecodeHuffmanBlock<TFormat>(input, output, FixedCodes<TFormat>());
    case 2: {
      int32_t status = ReadDynamicCodes<TFormat>(input, dynamicCodes);
      return status == UZ_OK ? DecodeHuffmanBlock<TFormat>(input, output, dynamicCodes) : status;
    }
    default:
      return UZ_BAD_DATA;
  }
}

template <class TFormat>
int32_t InflateFormat(TPackedInput& input, TContentOutput& output) {
  std::unique_ptr<TBlockCodes> dynamicCodes(new TBlockCodes);  // filled per block, not zeroed
  bool lastBlock = false;
  while (!lastBlock) {
    if (input.Aborted) return UZ_ABORTED;
    if (input.InputExhausted) return UZ_READ_ERROR;
    lastBlock = input.ReadBits(1) != 0;
    int32_t status = InflateBlock<TFormat>(input, output, input.ReadBits(2), *dynamicCodes);
    if (status != UZ_OK) return status;
  }
  // The final block must end within the member's data, not in the filler after it.
  if (input.ConsumedPastEnd()) return UZ_READ_ERROR;
  return output.FlushOutput(output.WindowPos) ? UZ_OK : UZ_WRITE_ERROR;
}

}  // namespace

int32_t Inflate(TPackedInput& input, TContentOutput& output) { return InflateFormat<TDeflate>(input, output); }

int32_t Inflate64(TPackedInput& input, TContentOutput& output) {
  return output.WindowSize >= TDeflate64::kWindowSize ? InflateFormat<TDeflate64>(input, output) : UZ_UNSUPPORTED;
}
