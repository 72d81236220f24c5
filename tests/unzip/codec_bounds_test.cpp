// The library-backed decoders get no more memory than a member's content needs: headers that
// ask for dictionaries of gigabytes either decode within the content's size or are refused,
// never allocated.
#include <gtest/gtest.h>

#include <string>

#include "UnzipTypes.h"
#include "ZipFormat.h"
#include "testkit.h"

namespace {

using namespace UnzipTestKit;

TBytes FromHex(const std::string& hex) {
  TBytes bytes;
  for (size_t i = 0; i + 1 < hex.size(); i += 2)
    bytes.push_back(static_cast<uint8_t>(std::stoul(hex.substr(i, 2), nullptr, 16)));
  return bytes;
}

// 300 "q", as a raw LZMA stream with an end marker, behind the ZIP member's header: version
// 9.20, 5 property bytes (lc 3, lp 0, pb 2, then the dictionary size).
TBytes LzmaMember(const std::string& dictionarySize) {
  return FromHex("09140500" "5d" + dictionarySize + "0038effbb7c42dd6fffffdf09000");
}

// The same 300 bytes as an .xz stream whose LZMA2 dictionary is 1536 MiB (xz --lzma2=dict=1536MiB).
const char kHugeDictionaryXz[] =
    "fd377a585a000004e6d6b44602002101250000003b787b41e0012b00085d0038effbb7bfee00000041bf9b40"
    "3979d5ab000124ac02000000e129b640b1c467fb020000000004595a";

TEST(CodecBounds, DictionariesAreBoundByTheContent) {
  const TBytes content(300, 'q');
  struct TRow {
    const char* Name;
    uint16_t Method;
    uint16_t Flags;
    TBytes Packed;
    int32_t Result;
  } rows[] = {
      {"LZMA, 4 KiB dictionary", kMethodLzma, kFlagLzmaEndMarker, LzmaMember("00100000"), UZ_OK},
      {"LZMA claiming a 4 GiB dictionary decodes within the content", kMethodLzma, kFlagLzmaEndMarker,
       LzmaMember("ffffffff"), UZ_OK},
      {"LZMA without its property bytes", kMethodLzma, 0, FromHex("091405005d00"), UZ_READ_ERROR},
      {"LZMA declaring 4 property bytes", kMethodLzma, 0, FromHex("091404005d001000000038"), UZ_BAD_DATA},
      {"XZ asking for 1537 MiB is refused", kMethodXz, 0, FromHex(kHugeDictionaryXz), UZ_BAD_DATA},
  };
  for (const TRow& row : rows) {
    SCOPED_TRACE(row.Name);
    TDecoded decoded = DecodeFromMemory(FeedOf(row.Method, row.Packed, content, row.Flags));
    EXPECT_EQ(decoded.Result, row.Result);
    if (row.Result == UZ_OK) {
      EXPECT_TRUE(decoded.Output == content);
    }
  }
}

}  // namespace
