// Every decoder fed from memory through sources, sinks and abort checks that misbehave the
// ways a real archive, disk or user can: input arriving in pieces of any size, a sink that
// fails midway, content running past the member's limit, a stop asked for at the first block.
#include <gtest/gtest.h>

#include "MemberStream.h"
#include "UnzipTypes.h"
#include "implode_encoder.h"
#include "legacy_harness.h"
#include "shrink_encoder.h"

namespace QrxTest {
namespace {

// Deflate stored blocks (type 0) of at most 65,535 bytes, the last one marked.
TBytes DeflateStored(const TBytes& content) {
  UnzipTestKit::TBitWriter out;
  size_t at = 0;
  do {
    auto length = static_cast<uint32_t>(std::min<size_t>(65535, content.size() - at));
    out.Bits(at + length == content.size(), 1);
    out.Bits(0, 2);
    out.AlignToByte();
    out.Bits(length, 16);
    out.Bits(~length & 0xFFFF, 16);
    out.Out.insert(out.Out.end(), content.begin() + at, content.begin() + at + length);
    at += length;
  } while (at < content.size());
  return out.Out;
}

// More than two windows and many input blocks of text and noise.
TBytes Content() {
  TBytes content = UnzipTestKit::TextBytes(60000, 51);
  TBytes noise = UnzipTestKit::RandomBytes(40000, 52);
  content.insert(content.end(), noise.begin(), noise.end());
  return content;
}

struct TDecoderCase {
  const char* Name;
  TMemberFeed (*Feed)(const TBytes& content);
};

void PrintTo(const TDecoderCase& c, std::ostream* os) { *os << c.Name; }

const TDecoderCase kDecoders[] = {
    {"stored", [](const TBytes& c) { return FeedOf(0, c, c); }},
    {"shrunk", [](const TBytes& c) { return FeedOf(1, ShrinkData(c), c); }},
    {"imploded_8k_literal_tree",
     [](const TBytes& c) { return FeedOf(6, ImplodeData(c, {true, true}), c, TImplodeOptions{true, true}.Flags()); }},
    {"imploded_4k", [](const TBytes& c) { return FeedOf(6, ImplodeData(c, {}), c, TImplodeOptions{}.Flags()); }},
    {"deflated_fixed", [](const TBytes& c) { return FeedOf(8, UnzipTestKit::DeflateFixed(c), c); }},
    {"deflated_stored_blocks", [](const TBytes& c) { return FeedOf(8, DeflateStored(c), c); }},
};

class MemberStream : public testing::TestWithParam<TDecoderCase> {
protected:
  TBytes Original = Content();
  TMemberFeed Feed = GetParam().Feed(Original);
};

// Pieces of 1 byte split the input at every boundary; 4,095 misaligns the input blocks.
TEST_P(MemberStream, InputInPiecesOfAnySizeDecodesTheSame) {
  for (size_t readSize : {size_t(1), size_t(3), size_t(4095), SIZE_MAX}) {
    SCOPED_TRACE("bytes per read " + std::to_string(readSize));
    Feed.ReadSize = readSize;
    TDecoded decoded = DecodeFromMemory(Feed);
    ASSERT_EQ(decoded.Result, UZ_OK);
    EXPECT_TRUE(decoded.Output == Original) << "output differs from the original";
  }
}

TEST_P(MemberStream, SinkFailingMidwayEndsAsWriteErrorWithoutFurtherWrites) {
  Feed.SinkFailsAt = Original.size() / 2;
  TDecoded decoded = DecodeFromMemory(Feed);
  EXPECT_EQ(decoded.Result, UZ_WRITE_ERROR);
  EXPECT_FALSE(decoded.WroteAfterFailure);
  EXPECT_LE(decoded.Output.size(), *Feed.SinkFailsAt);
}

TEST_P(MemberStream, ContentPastTheLimitIsDamagedDataAndNeverReachesTheSink) {
  Feed.OutputLimit = static_cast<int64_t>(Original.size()) - 1;
  TDecoded decoded = DecodeFromMemory(Feed);
  EXPECT_EQ(decoded.Result, UZ_BAD_DATA);
  EXPECT_LE(static_cast<int64_t>(decoded.Output.size()), *Feed.OutputLimit);
}

TEST_P(MemberStream, StopAskedAtTheFirstBlockAborts) {
  Feed.StopAfter = 1;
  TDecoded decoded = DecodeFromMemory(Feed);
  EXPECT_EQ(decoded.Result, UZ_ABORTED);
  EXPECT_LT(decoded.Output.size(), Original.size());
}

INSTANTIATE_TEST_SUITE_P(Decoders, MemberStream, testing::ValuesIn(kDecoders), CaseName<TDecoderCase>);

}  // namespace
}  // namespace QrxTest
