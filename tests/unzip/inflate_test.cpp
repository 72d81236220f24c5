// Inflate on hand-built deflate streams, one row per kind of stream and the result it must
// give, fed to the decoder from memory whole and one byte per read.
#include <gtest/gtest.h>

#include <functional>

#include "MemberStream.h"
#include "UnzipTypes.h"
#include "testkit.h"

namespace {

using namespace UnzipTestKit;

// Canonical Huffman codes (RFC 1951, 3.2.2) of a set of code lengths.
std::vector<uint32_t> CanonicalCodes(const std::vector<uint8_t>& lengths) {
  unsigned count[16] = {};
  for (uint8_t length : lengths) ++count[length];
  count[0] = 0;
  uint32_t next[16] = {};
  for (unsigned bits = 1, code = 0; bits < 16; ++bits) next[bits] = code = (code + count[bits - 1]) << 1;
  std::vector<uint32_t> codes(lengths.size());
  for (size_t symbol = 0; symbol < lengths.size(); ++symbol)
    if (lengths[symbol]) codes[symbol] = next[lengths[symbol]]++;
  return codes;
}

// The code-length code used by every dynamic header here: complete, symbols 0-12 in 4 bits,
// 13-18 in 5 bits.
std::vector<uint8_t> CodeLengthLengths() {
  std::vector<uint8_t> lengths(19, 4);
  for (int symbol = 13; symbol < 19; ++symbol) lengths[symbol] = 5;
  return lengths;
}

struct TToken {
  unsigned Symbol;      // code-length symbol 0-18
  unsigned Extra = 0;   // value of its extra bits (16: 2 bits, 17: 3, 18: 7)
};

std::vector<TToken> PlainLengths(const std::vector<uint8_t>& lengths) {
  std::vector<TToken> tokens;
  for (uint8_t length : lengths) tokens.push_back({length});
  return tokens;
}

// A dynamic block header (not the last block) with the given lengths, as tokens.
void WriteDynamicHeader(TBitWriter& out, bool last, unsigned litLenCount, unsigned distanceCount,
                        const std::vector<TToken>& tokens) {
  static const unsigned kOrder[19] = {16, 17, 18, 0, 8, 7, 9, 6, 10, 5, 11, 4, 12, 3, 13, 2, 14, 1, 15};
  out.Bits(last, 1);
  out.Bits(2, 2);
  out.Bits(litLenCount - 257, 5);
  out.Bits(distanceCount - 1, 5);
  out.Bits(19 - 4, 4);
  std::vector<uint8_t> codeLengths = CodeLengthLengths();
  for (unsigned symbol : kOrder) out.Bits(codeLengths[symbol], 3);
  std::vector<uint32_t> codes = CanonicalCodes(codeLengths);
  static const unsigned kExtraBits[3] = {2, 3, 7};
  for (const TToken& token : tokens) {
    out.Code(codes[token.Symbol], codeLengths[token.Symbol]);
    if (token.Symbol >= 16) out.Bits(token.Extra, kExtraBits[token.Symbol - 16]);
  }
}

// A complete literal/length code over 258 symbols (0-253 in 8 bits, 254-257 in 9) and
// one distance code of one bit.
struct TSmallCodes {
  std::vector<uint8_t> LitLen = std::vector<uint8_t>(258, 8);
  std::vector<uint8_t> Distance = {1};
  TSmallCodes() {
    for (int symbol = 254; symbol < 258; ++symbol) LitLen[symbol] = 9;
  }
  std::vector<TToken> Tokens() const {
    std::vector<uint8_t> all = LitLen;
    all.insert(all.end(), Distance.begin(), Distance.end());
    return PlainLengths(all);
  }
};

void WriteSymbol(TBitWriter& out, const std::vector<uint8_t>& lengths, unsigned symbol) {
  out.Code(CanonicalCodes(lengths)[symbol], lengths[symbol]);
}

struct TStreamCase {
  const char* Name;
  std::function<TBytes()> Stream;
  std::string Content;  // what the member declares (and, on success, holds)
  int32_t Result;
};

TBytes FixedMatchBeforeStart() {
  TBitWriter out;
  out.Bits(1, 1);
  out.Bits(1, 2);
  out.Code(1, 7);   // length symbol 257: 3 bytes
  out.Code(4, 5);   // distance symbol 4: 5 or 6
  out.Bits(0, 1);
  out.Code(0x30 + 'z', 8);
  out.Code(0, 7);   // end of block
  return out.Out;
}

TBytes StoredBlock(uint16_t length, uint16_t complement, const std::string& data) {
  TBitWriter out;
  out.Bits(1, 1);
  out.Bits(0, 2);
  out.AlignToByte();
  out.Bits(length, 16);
  out.Bits(complement, 16);
  for (char c : data) out.Bits(static_cast<uint8_t>(c), 8);
  return out.Out;
}

// All 288 literal/length lengths (HLIT = 31): 0-223 in 8 bits, 224-287 in 9; then the
// literal "A", then symbol `last` (256 ends the block, 286 is invalid).
TBytes FullLitLenCode(unsigned last) {
  std::vector<uint8_t> litLen(288, 8), distance = {1};
  for (int symbol = 224; symbol < 288; ++symbol) litLen[symbol] = 9;
  std::vector<uint8_t> all = litLen;
  all.push_back(1);
  TBitWriter out;
  WriteDynamicHeader(out, true, 288, 1, PlainLengths(all));
  WriteSymbol(out, litLen, 'A');
  WriteSymbol(out, litLen, last);
  WriteSymbol(out, litLen, 256);
  return out.Out;
}

TBytes SingleDistanceCode() {
  TSmallCodes codes;
  TBitWriter out;
  WriteDynamicHeader(out, true, 258, 1, codes.Tokens());
  WriteSymbol(out, codes.LitLen, 'a');
  WriteSymbol(out, codes.LitLen, 'b');
  WriteSymbol(out, codes.LitLen, 257);  // length 3
  out.Bits(0, 1);                       // distance symbol 0: distance 1
  WriteSymbol(out, codes.LitLen, 256);
  return out.Out;
}

// Lengths 8 for the first entry, then `repeat` tokens running past the 258 lengths declared.
TBytes RepeatOverrun(TToken repeat, int times) {
  std::vector<TToken> tokens = {{8}};
  for (int i = 0; i < times; ++i) tokens.push_back(repeat);
  TBitWriter out;
  WriteDynamicHeader(out, true, 257, 1, tokens);
  return out.Out;
}

TBytes LengthsOnly(const std::vector<uint8_t>& litLen, const std::vector<uint8_t>& distance) {
  std::vector<uint8_t> all = litLen;
  all.insert(all.end(), distance.begin(), distance.end());
  TBitWriter out;
  WriteDynamicHeader(out, true, static_cast<unsigned>(litLen.size()), static_cast<unsigned>(distance.size()),
                     PlainLengths(all));
  WriteSymbol(out, litLen, 256);
  return out.Out;
}

TBytes IncompleteCodeLengthCode() {
  TBitWriter out;
  out.Bits(1, 1);
  out.Bits(2, 2);
  out.Bits(0, 5);
  out.Bits(0, 5);
  out.Bits(0, 4);        // four code-length lengths: 16, 17, 18, 0
  for (int i = 0; i < 3; ++i) out.Bits(0, 3);
  out.Bits(1, 3);        // only symbol 0, one bit: incomplete
  return out.Out;
}

// A stored block leaves the window 261 bytes short of its end; two literals and a longest
// match then fill it exactly, and more literals follow.
TBytes FillWindowToItsEnd() {
  TBitWriter out;
  const std::string filler(UZ_WINDOW_SIZE - 260, 'a');
  out.Bits(0, 1);
  out.Bits(0, 2);
  out.AlignToByte();
  out.Bits(static_cast<uint32_t>(filler.size()), 16);
  out.Bits(static_cast<uint16_t>(~filler.size()), 16);
  for (char c : filler) out.Bits(static_cast<uint8_t>(c), 8);
  out.Bits(1, 1);
  out.Bits(1, 2);
  out.Code(0x30 + 'b', 8);
  out.Code(0x30 + 'c', 8);
  out.Code(0xC5, 8);  // length symbol 285: 258
  out.Code(0, 5);     // distance 1
  for (int i = 0; i < 30; ++i) out.Code(0x30 + 'd', 8);
  out.Code(0, 7);
  return out.Out;
}

std::string WindowFilledToItsEnd() {
  return std::string(UZ_WINDOW_SIZE - 260, 'a') + "bc" + std::string(258, 'c') + std::string(30, 'd');
}

const std::string kZeros(3, '\0');

const TStreamCase kStreamCases[] = {
    {"fixed block, match before the first byte gives zeros", FixedMatchBeforeStart, kZeros + "z", UZ_OK},
    {"window filled to its very end by a match", FillWindowToItsEnd, WindowFilledToItsEnd(), UZ_OK},
    {"block type 3", [] { TBitWriter out; out.Bits(1, 1); out.Bits(3, 2); return out.Out; }, "x", UZ_BAD_DATA},
    {"stored block", [] { return StoredBlock(5, static_cast<uint16_t>(~5), "hello"); }, "hello", UZ_OK},
    {"stored block, NLEN not the complement", [] { return StoredBlock(5, 5, "hello"); }, "hello", UZ_BAD_DATA},
    {"288 literal/length codes", [] { return FullLitLenCode(256); }, "A", UZ_OK},
    {"literal/length symbol 286 used", [] { return FullLitLenCode(286); }, "A", UZ_BAD_DATA},
    {"single distance code", SingleDistanceCode, "abbbb", UZ_OK},
    {"repeat 16 past the declared lengths", [] { return RepeatOverrun({16, 3}, 43); }, "x", UZ_INFLATE_REPEAT_OVERRUN},
    {"repeat 17 past the declared lengths", [] { return RepeatOverrun({17, 7}, 26); }, "x", UZ_INFLATE_REPEAT_OVERRUN},
    {"repeat 18 past the declared lengths", [] { return RepeatOverrun({18, 127}, 2); }, "x", UZ_BAD_DATA},
    {"incomplete literal/length code",
     [] { return LengthsOnly(std::vector<uint8_t>(257, 9), {1}); }, "", UZ_BAD_DATA},
    {"over-subscribed distance code",
     [] { return LengthsOnly(TSmallCodes().LitLen, {1, 1, 1}); }, "", UZ_BAD_DATA},
    {"incomplete code-length code", IncompleteCodeLengthCode, "x", UZ_BAD_DATA},
};

constexpr uint16_t kDeflated = 8;

TEST(Inflate, HandBuiltStreamsGiveTheirResults) {
  for (const TStreamCase& row : kStreamCases) {
    for (size_t readSize : {SIZE_MAX, size_t(1)}) {
      SCOPED_TRACE(std::string(row.Name) + ", bytes per read " + std::to_string(readSize));
      TMemberFeed feed = FeedOf(kDeflated, row.Stream(), BytesOf(row.Content));
      feed.ReadSize = readSize;
      TDecoded decoded = DecodeFromMemory(feed);
      EXPECT_EQ(decoded.Result, row.Result);
      if (row.Result == UZ_OK) {
        EXPECT_EQ(decoded.Output, feed.Content);
      }
    }
  }
}

// Large members cross the window's end many times: matches wrap, overlap (distances below
// 8) and reach 32 KiB back; the fast and the careful path both run.
TEST(Inflate, LargeMembersRoundTrip) {
  TBytes text = TextBytes(400000, 7), random = RandomBytes(100000, 9), mixed = text;
  mixed.insert(mixed.end(), random.begin(), random.end());
  mixed.insert(mixed.end(), text.begin(), text.begin() + 70000);  // repeats from far back
  mixed.insert(mixed.end(), 5000, 'a');
  for (const TBytes& content : {text, random, mixed}) {
    TDecoded decoded = DecodeFromMemory(FeedOf(kDeflated, DeflateFixed(content), content));
    ASSERT_EQ(decoded.Result, UZ_OK);
    EXPECT_TRUE(decoded.Output == content);
  }
}

TEST(Inflate, DamagedStreamsAreRefused) {
  TBytes content = TextBytes(100000, 3);
  TBytes packed = DeflateFixed(content);
  struct TDamage {
    const char* Name;
    TBytes Packed;
    TBytes Declared;
    int32_t Result;
  } damages[] = {
      {"truncated", TBytes(packed.begin(), packed.end() - 20), content, UZ_READ_ERROR},
      // The member expands past its declared size: damaged, whatever its CRC says.
      {"expands past declared size", packed, TBytes(content.begin(), content.begin() + 1000), UZ_BAD_DATA},
      {"one bit flipped", packed, content, UZ_CRC_MISMATCH},
  };
  damages[2].Packed[packed.size() / 2] ^= 0x10;
  for (const TDamage& damage : damages) {
    SCOPED_TRACE(damage.Name);
    TDecoded decoded = DecodeFromMemory(FeedOf(kDeflated, damage.Packed, damage.Declared));
    EXPECT_NE(decoded.Result, UZ_OK);
    if (damage.Result != UZ_CRC_MISMATCH) {  // a CRC mismatch stands for any failure
      EXPECT_EQ(decoded.Result, damage.Result);
    }
  }
}

// ---- Deflate64: the same streams, a 64 KiB window, longer lengths and farther distances ----

constexpr uint16_t kDeflate64 = 9;

// A fixed-code block: the literal "a", length code 285 with 16 extra bits all set (65538 in
// Deflate64, 258 without extra bits in deflate) at distance 1, end of block.
TBytes LongestDeflate64Match() {
  TBitWriter out;
  out.Bits(1, 1);
  out.Bits(1, 2);
  out.Code(0x30 + 'a', 8);
  out.Code(0xC5, 8);
  out.Bits(0xFFFF, 16);
  out.Code(0, 5);
  out.Code(0, 7);
  return out.Out;
}

// A stored block of random bytes, then three-byte matches through distance codes 30 and 31
// (32769 + 5 and 49153 back), which deflate does not have.
const TBytes kFarBlock = RandomBytes(50000, 11);

TBytes FarDeflate64Matches() {
  TBitWriter out;
  out.Bits(0, 1);
  out.Bits(0, 2);
  out.AlignToByte();
  out.Bits(static_cast<uint32_t>(kFarBlock.size()), 16);
  out.Bits(static_cast<uint16_t>(~kFarBlock.size()), 16);
  for (uint8_t byte : kFarBlock) out.Bits(byte, 8);
  out.Bits(1, 1);
  out.Bits(1, 2);
  out.Code(1, 7);  // length 3
  out.Code(30, 5);
  out.Bits(5, 14);
  out.Code(1, 7);
  out.Code(31, 5);
  out.Bits(0, 14);
  out.Code(0, 7);
  return out.Out;
}

TBytes FarMatchesContent() {
  TBytes content = kFarBlock;
  for (size_t distance : {32769 + 5, 49153})
    for (int i = 0; i < 3; ++i) content.push_back(content[content.size() - distance]);
  return content;
}

TEST(Inflate64, LongerMatchesAndFartherDistances) {
  struct TRow {
    const char* Name;
    uint16_t Method;
    TBytes Packed;
    TBytes Content;
    int32_t Result;
  } rows[] = {
      {"length 65538 crosses the window's end", kDeflate64, LongestDeflate64Match(), TBytes(65539, 'a'), UZ_OK},
      {"distance codes 30 and 31", kDeflate64, FarDeflate64Matches(), FarMatchesContent(), UZ_OK},
      // In deflate the extra bits read as distance code 31: invalid.
      {"deflate reads code 285 as 258", kDeflated, LongestDeflate64Match(), TBytes(259, 'a'), UZ_BAD_DATA},
      {"deflate has no distance code 30", kDeflated, FarDeflate64Matches(), FarMatchesContent(), UZ_BAD_DATA},
  };
  for (const TRow& row : rows) {
    for (size_t readSize : {SIZE_MAX, size_t(1)}) {
      SCOPED_TRACE(std::string(row.Name) + ", bytes per read " + std::to_string(readSize));
      TMemberFeed feed = FeedOf(row.Method, row.Packed, row.Content);
      feed.ReadSize = readSize;
      TDecoded decoded = DecodeFromMemory(feed);
      EXPECT_EQ(decoded.Result, row.Result);
      if (row.Result == UZ_OK) {
        EXPECT_TRUE(decoded.Output == row.Content);
      }
    }
  }
}

}  // namespace
