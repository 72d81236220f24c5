// Unshrink (method 1) fed from memory: round trips through the test encoder, and hand-made
// streams for the limits and the damage a hostile archive can carry.
#include <gtest/gtest.h>

#include "MemberStream.h"
#include "UnzipTypes.h"
#include "legacy_harness.h"
#include "shrink_encoder.h"

namespace QrxTest {
namespace {

constexpr uint16_t kShrunk = 1;

TMemberFeed ShrunkMember(const TBytes& content, const TShrinkOptions& options = {}) {
  return FeedOf(kShrunk, ShrinkData(content, options), content);
}

struct TRoundTripCase {
  const char* Name;
  TBytes (*Content)();
  TShrinkOptions Options;
};

void PrintTo(const TRoundTripCase& c, std::ostream* os) { *os << c.Name; }

TBytes RandomData() { return UnzipTestKit::RandomBytes(200000, 1); }
TBytes FewSymbols() { return FewSymbolBytes(300000, 2, 3); }
TBytes Text() { return UnzipTestKit::TextBytes(400000, 3); }
TBytes ShortText() { return UnzipTestKit::TextBytes(30000, 7); }
TBytes Zeros() { return TBytes(150000, 0); }
TBytes OneByte() { return {'Q'}; }
TBytes RepeatedPair() { return UnzipTestKit::BytesOf("AAAAABABABA"); }
TBytes Program() { return HostFileHead("/usr/bin/cmake", 1500000); }
TBytes License() { return HostFileHead("/usr/share/common-licenses/GPL-3", 1 << 20); }

class UnshrinkRoundTrip : public testing::TestWithParam<TRoundTripCase> {};

TEST_P(UnshrinkRoundTrip, DecodesWhatTheEncoderWrote) {
  TBytes content = GetParam().Content();
  ASSERT_FALSE(content.empty()) << "test data missing";
  TDecoded decoded = DecodeFromMemory(ShrunkMember(content, GetParam().Options));
  ASSERT_EQ(decoded.Result, UZ_OK);
  EXPECT_TRUE(decoded.Output == content) << "output differs from the original";
}

INSTANTIATE_TEST_SUITE_P(
    Data, UnshrinkRoundTrip,
    testing::Values(TRoundTripCase{"random", RandomData, {}},  // fills the table, clears, widens
                    TRoundTripCase{"few_symbols", FewSymbols, {}}, TRoundTripCase{"text", Text, {}},
                    TRoundTripCase{"zeros", Zeros, {}}, TRoundTripCase{"one_byte", OneByte, {}},
                    TRoundTripCase{"repeated_pair", RepeatedPair, {}},
                    TRoundTripCase{"program", Program, {}}, TRoundTripCase{"license", License, {}},
                    TRoundTripCase{"text_clear_every_7", ShortText, {7, false}},
                    TRoundTripCase{"text_clear_every_500", Text, {500, false}},
                    TRoundTripCase{"program_clear_every_3000", Program, {3000, false}},
                    TRoundTripCase{"random_widened_at_once", RandomData, {0, true}},
                    TRoundTripCase{"zeros_clear_every_2", Zeros, {2, true}}),
    CaseName<TRoundTripCase>);

// A stream of codes, each written at the width the decoder reads it with.
struct TCode {
  unsigned Value;
  unsigned Width;
};

TBytes Codes(std::initializer_list<TCode> codes) {
  UnzipTestKit::TBitWriter out;
  for (const TCode& code : codes) out.Bits(code.Value, code.Width);
  return out.Out;
}

struct THandMadeCase {
  const char* Name;
  TBytes Packed;
  int32_t Result;
  std::string Output;  // checked when Result is UZ_OK
};

void PrintTo(const THandMadeCase& c, std::ostream* os) { *os << c.Name; }

class UnshrinkHandMade : public testing::TestWithParam<THandMadeCase> {};

TEST_P(UnshrinkHandMade, GivesTheExpectedResult) {
  const THandMadeCase& c = GetParam();
  TDecoded decoded = DecodeFromMemory(FeedOf(kShrunk, c.Packed, UnzipTestKit::BytesOf(c.Output)));
  EXPECT_EQ(decoded.Result, c.Result);
  if (c.Result == UZ_OK) {
    EXPECT_EQ(std::string(decoded.Output.begin(), decoded.Output.end()), c.Output);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Streams, UnshrinkHandMade,
    testing::Values(
        // 257 is defined as "AB" when B is read, then used.
        THandMadeCase{"defined_code", Codes({{'A', 9}, {'B', 9}, {257, 9}}), UZ_OK, "ABAB"},
        // The code about to be defined: the previous string plus its own first byte.
        THandMadeCase{"code_about_to_be_defined", Codes({{'A', 9}, {257, 9}, {258, 9}}), UZ_OK, "AAAAAA"},
        // 256,2 as the second code frees nothing; 257 still becomes "AB".
        THandMadeCase{"clear_with_nothing_defined", Codes({{'A', 9}, {256, 9}, {2, 9}, {'B', 9}, {257, 9}}),
                      UZ_OK, "ABAB"},
        // The clear frees the leaves 258 "BC", 259 "CA" and 260 "ABD" but keeps their prefix
        // 257 "AB"; the freed codes are defined again lowest first: 258 "DE", 259 "ED", 260 "DEA".
        THandMadeCase{"clear_frees_leaves_only",
                      Codes({{'A', 9}, {'B', 9}, {'C', 9}, {257, 9}, {'D', 9}, {256, 9}, {2, 9}, {'E', 9},
                             {258, 9}, {257, 9}, {260, 9}}),
                      UZ_OK, "ABCABDEDEABDEA"},
        THandMadeCase{"widened_to_13_bits",
                      Codes({{'x', 9}, {256, 9}, {1, 9}, {256, 10}, {1, 10}, {256, 11}, {1, 11}, {256, 12},
                             {1, 12}, {'y', 13}, {257, 13}}),
                      UZ_OK, "xyxy"},
        THandMadeCase{"widened_past_13_bits",
                      Codes({{'x', 9}, {256, 9}, {1, 9}, {256, 10}, {1, 10}, {256, 11}, {1, 11}, {256, 12},
                             {1, 12}, {256, 13}, {1, 13}, {'y', 14}}),
                      UZ_BAD_DATA, ""},
        THandMadeCase{"unknown_control_code", Codes({{'x', 9}, {256, 9}, {3, 9}, {'y', 9}}), UZ_BAD_DATA, ""},
        THandMadeCase{"control_code_zero", Codes({{'x', 9}, {256, 9}, {0, 9}}), UZ_BAD_DATA, ""},
        // A first code of 257 makes the next definition its own prefix: 257 never ends.
        THandMadeCase{"self_linked_code", Codes({{257, 9}, {'A', 9}, {257, 9}}), UZ_BAD_DATA, ""},
        // The clear frees 258 while it is the previous code; 257 is then defined on top of it.
        THandMadeCase{"prefix_freed_by_clear",
                      Codes({{'A', 9}, {'B', 9}, {'C', 9}, {258, 9}, {256, 9}, {2, 9}, {'D', 9}, {257, 9}}),
                      UZ_BAD_DATA, ""},
        // 257 is defined on 258 while the clear has left 258 free; once 258 is defined again as
        // "DE", 257 spells "DED" through it (and not what 258 spelled before the clear).
        THandMadeCase{"prefix_defined_again_after_clear",
                      Codes({{'A', 9}, {'B', 9}, {'C', 9}, {258, 9}, {256, 9}, {2, 9}, {'D', 9}, {'E', 9},
                             {257, 9}}),
                      UZ_OK, "ABCBCDEDED"},
        // Fewer bits than one code: no data at all.
        THandMadeCase{"empty_member", {}, UZ_OK, ""},
        THandMadeCase{"one_byte_member", {0x41}, UZ_OK, ""},
        // A control code cut off by the end of the packed data ends decoding cleanly.
        THandMadeCase{"control_cut_off", Codes({{'A', 9}, {'B', 9}, {256, 9}}), UZ_OK, "AB"}),
    CaseName<THandMadeCase>);

TEST(Unshrink, MemberWithoutPackedSizeIsRefusedBeforeAnyOutput) {
  TMemberFeed member = ShrunkMember(UnzipTestKit::TextBytes(5000, 9));
  member.PackedSize = UZ_SIZE_UNKNOWN;  // sizes and CRC follow the data, no directory
  TDecoded decoded = DecodeFromMemory(member);
  EXPECT_EQ(decoded.Result, UZ_UNSUPPORTED);
  EXPECT_TRUE(decoded.Output.empty());
}

// The member's local header defers its sizes to a data descriptor: the engine takes the
// directory's.
TEST(Unshrink, MemberWithSizesInTheCentralDirectoryExtracts) {
  TBytes content = UnzipTestKit::TextBytes(5000, 9);
  TZipMember member = PackedMember(kShrunk, 8, ShrinkData(content), content);
  UnzipTestKit::TSingleResult single = UnzipTestKit::ExtractSingle(member, true);
  ASSERT_EQ(single.Result, UZ_OK);
  EXPECT_TRUE(single.Output == content);
}

TEST(Unshrink, DamagedDataIsRefused) {
  TMemberFeed member = ShrunkMember(UnzipTestKit::TextBytes(20000, 4));
  member.Packed[member.Packed.size() / 2] ^= 0x10;
  TDecoded decoded = DecodeFromMemory(member);
  EXPECT_NE(decoded.Result, UZ_OK);
}

TEST(Unshrink, TruncatedDataEndsAsCrcMismatch) {
  TMemberFeed member = ShrunkMember(UnzipTestKit::TextBytes(20000, 5));
  member.Packed.resize(member.Packed.size() / 3);
  EXPECT_EQ(DecodeFromMemory(member).Result, UZ_CRC_MISMATCH);
}

TEST(Unshrink, OutputPastTheDeclaredSizeIsDamagedData) {
  TBytes content(100000, 'z');
  TMemberFeed member = FeedOf(kShrunk, ShrinkData(content), TBytes(content.begin(), content.begin() + 1000));
  TDecoded decoded = DecodeFromMemory(member);
  EXPECT_EQ(decoded.Result, UZ_BAD_DATA);
}

}  // namespace
}  // namespace QrxTest
