// Inflate against zlib: the same raw deflate streams (windowBits -15), made by zlib at every
// level and strategy, and the same streams damaged by bit flips and truncation. Our inflate
// must accept what zlib accepts, with the same bytes, and reject what zlib rejects. The one
// allowed difference is documented behaviour of ours: zlib refuses some streams that our
// inflate decodes by its own rules (a distance before the first byte reads zeros, an
// incomplete distance code, 287 or 288 literal/length lengths, 31 or 32 distance lengths);
// for those ours must still give the original bytes or reject.
#include <gtest/gtest.h>
#include <zlib.h>

#include <iostream>
#include <random>

#include "UnzipTypes.h"
#include "legacy_harness.h"

namespace QrxTest {
namespace {

using UnzipTestKit::RandomBytes;
using UnzipTestKit::TextBytes;

constexpr uint16_t kDeflated = 8;

std::vector<uint8_t> ZlibDeflate(const std::vector<uint8_t>& data, int level, int strategy, size_t flushEvery = 0) {
  z_stream stream{};
  if (deflateInit2(&stream, level, Z_DEFLATED, -15, 8, strategy) != Z_OK) return {};
  std::vector<uint8_t> packed(deflateBound(&stream, data.size()) + 64 + data.size() / 100);
  stream.next_out = packed.data();
  stream.avail_out = static_cast<uInt>(packed.size());
  size_t step = flushEvery ? flushEvery : data.size() + 1;
  for (size_t pos = 0;; pos += step) {
    size_t chunk = std::min(step, data.size() - std::min(pos, data.size()));
    stream.next_in = const_cast<Bytef*>(data.data() + std::min(pos, data.size()));
    stream.avail_in = static_cast<uInt>(chunk);
    bool last = pos + chunk >= data.size();
    int status = deflate(&stream, last ? Z_FINISH : Z_FULL_FLUSH);
    if (last) {
      EXPECT_EQ(status, Z_STREAM_END);
      break;
    }
  }
  packed.resize(stream.total_out);
  deflateEnd(&stream);
  return packed;
}

struct TZlibVerdict {
  bool Accepted = false;
  std::vector<uint8_t> Output;
  std::string Message;
};

TZlibVerdict ZlibInflate(const std::vector<uint8_t>& packed) {
  TZlibVerdict verdict;
  z_stream stream{};
  if (inflateInit2(&stream, -15) != Z_OK) return verdict;
  stream.next_in = const_cast<Bytef*>(packed.data());
  stream.avail_in = static_cast<uInt>(packed.size());
  uint8_t chunk[65536];
  int status;
  do {
    stream.next_out = chunk;
    stream.avail_out = sizeof chunk;
    status = inflate(&stream, Z_NO_FLUSH);
    verdict.Output.insert(verdict.Output.end(), chunk, chunk + (sizeof chunk - stream.avail_out));
  } while (status == Z_OK && verdict.Output.size() < (64u << 20));
  verdict.Accepted = status == Z_STREAM_END;
  verdict.Message = stream.msg ? stream.msg : (verdict.Accepted ? "" : "truncated");
  inflateEnd(&stream);
  return verdict;
}

TMemberFeed DeflatedMember(const TBytes& packed, const TBytes& content) {
  return FeedOf(kDeflated, packed, content);
}

struct TSource {
  const char* Name;
  std::vector<uint8_t> (*Content)();
};

void PrintTo(const TSource& source, std::ostream* os) { *os << source.Name; }

std::vector<uint8_t> Mixed() {
  std::vector<uint8_t> data = TextBytes(80000, 31);
  std::vector<uint8_t> random = RandomBytes(50000, 32);
  data.insert(data.end(), random.begin(), random.end());
  data.insert(data.end(), 40000, 0);
  std::vector<uint8_t> program = HostFileHead("/usr/bin/cmake", 60000);
  data.insert(data.end(), program.begin(), program.end());
  return data;
}

const TSource kSources[] = {
    {"empty", [] { return std::vector<uint8_t>(); }},
    {"one_byte", [] { return std::vector<uint8_t>{'z'}; }},
    {"random", [] { return RandomBytes(70000, 33); }},  // more than one stored block
    {"text", [] { return TextBytes(200000, 34); }},
    {"zeros", [] { return std::vector<uint8_t>(100000, 0); }},
    {"program", [] { return HostFileHead("/usr/bin/cmake", 300000); }},
    {"license", [] { return HostFileHead("/usr/share/common-licenses/GPL-3", 1 << 20); }},
    {"mixed", Mixed},
};

struct TSetting {
  int Level;
  int Strategy;
};

std::vector<TSetting> AllSettings() {
  std::vector<TSetting> settings;
  for (int level = 0; level <= 9; ++level) settings.push_back({level, Z_DEFAULT_STRATEGY});
  for (int strategy : {Z_FILTERED, Z_HUFFMAN_ONLY, Z_RLE, Z_FIXED}) {
    for (int level : {1, 6, 9}) settings.push_back({level, strategy});
  }
  return settings;
}

class InflateAgainstZlib : public testing::TestWithParam<TSource> {};

TEST_P(InflateAgainstZlib, EveryLevelAndStrategyGivesTheOriginal) {
  std::vector<uint8_t> content = GetParam().Content();
  for (const TSetting& setting : AllSettings()) {
    SCOPED_TRACE("level " + std::to_string(setting.Level) + " strategy " + std::to_string(setting.Strategy));
    std::vector<uint8_t> packed = ZlibDeflate(content, setting.Level, setting.Strategy);
    ASSERT_TRUE(ZlibInflate(packed).Output == content);
    TDecoded decoded = DecodeFromMemory(DeflatedMember(packed, content));
    ASSERT_EQ(decoded.Result, UZ_OK);
    ASSERT_TRUE(decoded.Output == content) << "output differs from the original";
  }
}

TEST_P(InflateAgainstZlib, FullFlushesBetweenBlocks) {
  std::vector<uint8_t> content = GetParam().Content();
  std::vector<uint8_t> packed = ZlibDeflate(content, 6, Z_DEFAULT_STRATEGY, 9973);
  TDecoded decoded = DecodeFromMemory(DeflatedMember(packed, content));
  ASSERT_EQ(decoded.Result, UZ_OK);
  EXPECT_TRUE(decoded.Output == content);
}

INSTANTIATE_TEST_SUITE_P(Data, InflateAgainstZlib, testing::ValuesIn(kSources), CaseName<TSource>);

// Fixed-code symbols of RFC 1951 for the hand-made stream below.
void FixedLiteral(UnzipTestKit::TBitWriter& out, uint8_t byte) { out.Code(0x30 + byte, 8); }  // bytes below 144
void FixedMatch(UnzipTestKit::TBitWriter& out, unsigned length) {  // length 257 or 258, distance 1
  out.Code(0xC0 + (length == 258 ? 5 : 4), 8);
  if (length == 257) out.Bits(257 - 227, 5);
  out.Code(0, 5);
}

// Literals and longest matches that end exactly at the end of the 32 KiB window, right after
// two literals, followed by more symbols: the window must be written out before them.
TEST(InflateAgainstZlib, MatchEndingAtTheWindowEdge) {
  UnzipTestKit::TBitWriter out;
  out.Bits(1, 1);  // last block
  out.Bits(1, 2);  // fixed codes
  FixedLiteral(out, 'a');
  for (int i = 0; i < 125; ++i) FixedMatch(out, 258);
  FixedMatch(out, 257);  // 32,508 bytes
  FixedLiteral(out, 'b');
  FixedLiteral(out, 'c');
  FixedMatch(out, 258);  // 32,768 bytes
  for (int i = 0; i < 40; ++i) FixedLiteral(out, 'd');
  out.Code(0, 7);  // end of block
  TBytes packed = out.Out;
  packed.insert(packed.end(), 24, 0);  // bytes after the stream, as another member's would be
  TZlibVerdict zlib = ZlibInflate(packed);
  ASSERT_TRUE(zlib.Accepted);
  TDecoded ours = DecodeFromMemory(DeflatedMember(packed, zlib.Output));
  ASSERT_EQ(ours.Result, UZ_OK);
  EXPECT_TRUE(ours.Output == zlib.Output);
}

// zlib's refusals that our inflate may decode by its own rules.
bool IsAllowedDifference(const std::string& zlibMessage) {
  return zlibMessage == "invalid distance too far back" || zlibMessage == "invalid distances set" ||
         zlibMessage == "too many length or distance symbols";
}

struct TTally {
  int BothAccepted = 0;
  int BothRejected = 0;
  int AllowedDifferences = 0;
};

// Decides one damaged stream with both decoders and checks that they agree.
void CompareOn(const std::vector<uint8_t>& damaged, const std::vector<uint8_t>& original, TTally& tally) {
  TZlibVerdict zlib = ZlibInflate(damaged);
  // Declare what zlib produced when it accepts, so that the CRC check judges the bytes alone.
  TDecoded ours = DecodeFromMemory(DeflatedMember(damaged, zlib.Accepted ? zlib.Output : original));
  if (zlib.Accepted) {
    ASSERT_EQ(ours.Result, UZ_OK) << "zlib accepts, we reject";
    ASSERT_TRUE(ours.Output == zlib.Output) << "both accept, with different bytes";
    ++tally.BothAccepted;
  } else if (ours.Result == UZ_OK) {
    ASSERT_TRUE(IsAllowedDifference(zlib.Message)) << "zlib rejects (" << zlib.Message << "), we accept";
    ASSERT_TRUE(ours.Output == original);
    ++tally.AllowedDifferences;
  } else {
    ++tally.BothRejected;
  }
}

struct TDamageBase {
  const char* Name;
  int Level;
  int Strategy;
  size_t Size;
};

void PrintTo(const TDamageBase& base, std::ostream* os) { *os << base.Name; }

class DamagedInflateAgainstZlib : public testing::TestWithParam<TDamageBase> {};

TEST_P(DamagedInflateAgainstZlib, BothRejectOrBothAcceptTheSameBytes) {
  const TDamageBase& base = GetParam();
  std::vector<uint8_t> original = TextBytes(base.Size / 2, 40);
  std::vector<uint8_t> random = FewSymbolBytes(base.Size / 2, 41, 16);
  original.insert(original.end(), random.begin(), random.end());
  std::vector<uint8_t> packed = ZlibDeflate(original, base.Level, base.Strategy);
  std::mt19937 rng(42);
  TTally tally;
  for (int trial = 0; trial < 200; ++trial) {
    std::vector<uint8_t> damaged = packed;
    // Half of the flips land in the first bytes, where the block headers are.
    size_t span = trial % 2 ? damaged.size() : std::min<size_t>(damaged.size(), 64);
    damaged[rng() % span] ^= static_cast<uint8_t>(1u << (rng() % 8));
    ASSERT_NO_FATAL_FAILURE(CompareOn(damaged, original, tally)) << "flip trial " << trial;
  }
  for (size_t cut = 0; cut < packed.size(); cut += std::max<size_t>(1, packed.size() / 40)) {
    std::vector<uint8_t> truncated(packed.begin(), packed.begin() + static_cast<std::ptrdiff_t>(cut));
    ASSERT_NO_FATAL_FAILURE(CompareOn(truncated, original, tally)) << "cut at " << cut;
  }
  std::cout << "[ tally    ] " << base.Name << ": both accept " << tally.BothAccepted << ", both reject "
            << tally.BothRejected << ", allowed differences " << tally.AllowedDifferences << "\n";
}

INSTANTIATE_TEST_SUITE_P(Streams, DamagedInflateAgainstZlib,
                         testing::Values(TDamageBase{"stored", 0, Z_DEFAULT_STRATEGY, 20000},
                                         TDamageBase{"fixed", 6, Z_FIXED, 20000},
                                         TDamageBase{"dynamic", 6, Z_DEFAULT_STRATEGY, 30000},
                                         TDamageBase{"dynamic_best", 9, Z_FILTERED, 30000},
                                         TDamageBase{"huffman_only", 6, Z_HUFFMAN_ONLY, 20000},
                                         TDamageBase{"rle", 6, Z_RLE, 20000}),
                         CaseName<TDamageBase>);

}  // namespace
}  // namespace QrxTest
