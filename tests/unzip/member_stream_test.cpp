// Every decoder fed from memory through sources, sinks and abort checks that misbehave the
// ways a real archive, disk or user can: input arriving in pieces of any size, a sink that
// fails midway, content running past the member's limit, a stop asked for at the first block;
// and the verdict on the content that comes out.
#include <gtest/gtest.h>

#include "Crc32.h"
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

// Takes every byte.
class TAcceptingSink final : public TContentSink {
public:
  bool Write(const uint8_t*, uint32_t) override { return true; }
};

// The member's result once its content is out: content past the limit is damaged data
// whatever else holds; content decoded whole must have the CRC and the size declared.
TEST(ContentVerdict, JudgesTheLimitTheCrcAndTheDeclaredSize) {
  struct TRow {
    const char* Name;
    size_t Decoded;
    int64_t Declared;  // also the limit, unless that is smaller
    int64_t Limit;
    bool CrcRight;
    int32_t DecoderResult;
    int32_t Verdict;
  } rows[] = {
      {"size and CRC as declared", 1000, 1000, 1000, true, UZ_OK, UZ_OK},
      {"nothing, as declared", 0, 0, 0, true, UZ_OK, UZ_OK},
      {"no size declared", 1000, UZ_SIZE_UNKNOWN, UZ_SIZE_UNKNOWN, true, UZ_OK, UZ_OK},
      {"fewer bytes than declared, their own CRC", 1000, 2048, 2048, true, UZ_OK, UZ_BAD_DATA},
      {"fewer bytes than declared, another CRC", 1000, 2048, 2048, false, UZ_OK, UZ_CRC_MISMATCH},
      {"as declared, another CRC", 1000, 1000, 1000, false, UZ_OK, UZ_CRC_MISMATCH},
      {"decoder failed", 1000, 2048, 2048, true, UZ_READ_ERROR, UZ_READ_ERROR},
      {"past the limit", 1000, 1000, 999, true, UZ_OK, UZ_BAD_DATA},
      {"past the limit, decoder failed", 1000, 1000, 999, true, UZ_READ_ERROR, UZ_BAD_DATA},
  };
  const TBytes content = UnzipTestKit::TextBytes(1000, 9);
  for (const TRow& row : rows) {
    SCOPED_TRACE(row.Name);
    std::vector<uint8_t> window(UZ_WINDOW_SIZE);
    TAcceptingSink sink;
    TContentOutput output(window.data(), sink, row.Limit);
    output.UnpackedSize = row.Declared;
    output.WriteOutput(content.data(), static_cast<uint32_t>(row.Decoded));
    const uint32_t crc = Crc32Of(content.data(), row.Decoded);
    EXPECT_EQ(output.Verdict(row.DecoderResult, row.CrcRight ? crc : ~crc), row.Verdict);
  }
}

}  // namespace
}  // namespace QrxTest
