// Explode (method 6) fed from memory: round trips through the test encoder in all four flag
// combinations, and hand-made streams for the trees and the damage a hostile archive can carry.
#include <gtest/gtest.h>

#include "UnzipTypes.h"
#include "implode_encoder.h"
#include "legacy_harness.h"

namespace QrxTest {
namespace {

using UnzipTestKit::RandomBytes;
using UnzipTestKit::TextBytes;

constexpr uint16_t kImploded = 6;

TMemberFeed ImplodedMember(const TBytes& content, const TImplodeOptions& options) {
  return FeedOf(kImploded, ImplodeData(content, options), content, options.Flags());
}

TBytes Repeated(const TBytes& block, size_t times) {
  TBytes data;
  for (size_t i = 0; i < times; ++i) data.insert(data.end(), block.begin(), block.end());
  return data;
}

struct TDataSource {
  const char* Name;
  TBytes (*Content)();
  bool FromHost;  // read from the machine: missing data is a failure, not an empty case
};

void PrintTo(const TDataSource& source, std::ostream* os) { *os << source.Name; }

const TDataSource kSources[] = {
    {"empty", [] { return TBytes(); }, false},
    {"one_byte", [] { return TBytes{'Q'}; }, false},
    {"random", [] { return RandomBytes(300000, 11); }, false},  // more than 200,000 packed bytes
    {"few_symbols", [] { return FewSymbolBytes(200000, 12, 5); }, false},
    {"text", [] { return TextBytes(300000, 13); }, false},
    {"zeros", [] { return TBytes(100000, 0); }, false},  // longest matches, reaching before the start
    {"period_4096", [] { return Repeated(RandomBytes(4096, 14), 6); }, false},
    {"period_8192", [] { return Repeated(RandomBytes(8192, 15), 5); }, false},
    {"program", [] { return HostFileHead("/usr/bin/cmake", 1500000); }, true},
    {"license", [] { return HostFileHead("/usr/share/common-licenses/GPL-3", 1 << 20); }, true},
};

class ExplodeRoundTrip : public testing::TestWithParam<std::tuple<TDataSource, uint16_t>> {};

TEST_P(ExplodeRoundTrip, DecodesWhatTheEncoderWrote) {
  auto [source, flags] = GetParam();
  TBytes content = source.Content();
  if (source.FromHost) {
    ASSERT_FALSE(content.empty()) << "test data missing";
  }
  for (bool matchBeforeStart : {true, false}) {
    TImplodeOptions options{(flags & 2) != 0, (flags & 4) != 0, matchBeforeStart};
    TDecoded decoded = DecodeFromMemory(ImplodedMember(content, options));
    ASSERT_EQ(decoded.Result, UZ_OK) << "matches before the start: " << matchBeforeStart;
    EXPECT_TRUE(decoded.Output == content) << "output differs from the original";
  }
}

INSTANTIATE_TEST_SUITE_P(Data, ExplodeRoundTrip,
                         testing::Combine(testing::ValuesIn(kSources), testing::Values(0, 2, 4, 6)),
                         [](const testing::TestParamInfo<ExplodeRoundTrip::ParamType>& param) {
                           return std::string(std::get<0>(param.param).Name) + "_flags" +
                                  std::to_string(std::get<1>(param.param));
                         });

// Trees of 64 codes of 6 bits: value v is sent as the 6 bits of ~v, first bit first.
TBytes FlatTree() { return EncodeTreeLengths(std::vector<uint8_t>(64, 6)); }

void PutFlatCode(UnzipTestKit::TBitWriter& out, unsigned value) { out.Code(~value, 6); }

TBytes Concat(std::initializer_list<TBytes> parts) {
  TBytes all;
  for (const auto& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}

TEST(Explode, MatchBeforeTheFirstByteCopiesZeros) {
  UnzipTestKit::TBitWriter out;
  out.Bits(0, 1);             // a match
  out.Bits(99 & 63, 6);       // distance 100: low bits ...
  PutFlatCode(out, 99 >> 6);  // ... and the distance code
  PutFlatCode(out, 8);        // length 8 + 2
  out.Bits(1, 1);             // a literal
  out.Bits('A', 8);
  TBytes content(10, 0);
  content.push_back('A');
  TDecoded decoded = DecodeFromMemory(FeedOf(kImploded, Concat({FlatTree(), FlatTree(), out.Out}), content));
  ASSERT_EQ(decoded.Result, UZ_OK);
  EXPECT_TRUE(decoded.Output == content);
}

TEST(Explode, LengthCode63TakesEightMoreBits) {
  UnzipTestKit::TBitWriter out;
  out.Bits(1, 1);
  out.Bits('r', 8);
  out.Bits(0, 1);
  out.Bits(0, 6);  // distance 1
  PutFlatCode(out, 0);
  PutFlatCode(out, 63);
  out.Bits(200, 8);  // length 63 + 200 + 2
  TBytes content(266, 'r');
  TDecoded decoded = DecodeFromMemory(FeedOf(kImploded, Concat({FlatTree(), FlatTree(), out.Out}), content));
  ASSERT_EQ(decoded.Result, UZ_OK);
  EXPECT_TRUE(decoded.Output == content);
}

struct TTreeCase {
  const char* Name;
  uint16_t Flags;
  TBytes Trees;
};

void PrintTo(const TTreeCase& c, std::ostream* os) { *os << c.Name; }

TBytes TreeOf(std::vector<uint8_t> lengths) { return EncodeTreeLengths(lengths); }

// 63 codes of 6 bits and one of 7 leave half a code unused.
std::vector<uint8_t> IncompleteLengths() {
  std::vector<uint8_t> lengths(64, 6);
  lengths[63] = 7;
  return lengths;
}

std::vector<uint8_t> OversubscribedLengths() {
  std::vector<uint8_t> lengths(64, 6);
  lengths[0] = 5;
  return lengths;
}

class ExplodeBadTree : public testing::TestWithParam<TTreeCase> {};

TEST_P(ExplodeBadTree, IsDamagedData) {
  TBytes data(40, 0x5A);  // enough for any reading of the trees
  TDecoded decoded =
      DecodeFromMemory(FeedOf(kImploded, Concat({GetParam().Trees, data}), UnzipTestKit::BytesOf("xyz"), GetParam().Flags));
  EXPECT_EQ(decoded.Result, UZ_BAD_DATA);
}

INSTANTIATE_TEST_SUITE_P(
    Trees, ExplodeBadTree,
    testing::Values(TTreeCase{"literal_counts_255", 4, Concat({TreeOf(std::vector<uint8_t>(255, 8)), FlatTree(), FlatTree()})},
                    TTreeCase{"literal_counts_257", 4, Concat({TreeOf(std::vector<uint8_t>(257, 8)), FlatTree(), FlatTree()})},
                    TTreeCase{"length_counts_63", 0, Concat({TreeOf(std::vector<uint8_t>(63, 6)), FlatTree()})},
                    // 5 runs of 16 values: 80, past the 64 of the tree.
                    TTreeCase{"distance_counts_80", 0, Concat({FlatTree(), {4, 0xF5, 0xF5, 0xF5, 0xF5, 0xF5}})},
                    TTreeCase{"length_incomplete", 2, Concat({TreeOf(IncompleteLengths()), FlatTree()})},
                    TTreeCase{"distance_oversubscribed", 2, Concat({FlatTree(), TreeOf(OversubscribedLengths())})},
                    TTreeCase{"literal_incomplete", 6, Concat({TreeOf(std::vector<uint8_t>(256, 9)), FlatTree(), FlatTree()})}),
    CaseName<TTreeCase>);

TEST(Explode, TruncatedDataRunsOutOfInput) {
  TMemberFeed member = ImplodedMember(TextBytes(50000, 21), {true, true});
  member.Packed.resize(member.Packed.size() / 2);
  TDecoded decoded = DecodeFromMemory(member);
  EXPECT_EQ(decoded.Result, UZ_READ_ERROR);
}

TEST(Explode, DamagedDataIsRefused) {
  TMemberFeed member = ImplodedMember(TextBytes(50000, 22), {false, true});
  member.Packed[member.Packed.size() / 2] ^= 0x08;
  TDecoded decoded = DecodeFromMemory(member);
  EXPECT_NE(decoded.Result, UZ_OK);
}

}  // namespace
}  // namespace QrxTest
