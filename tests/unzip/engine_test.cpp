// One member through UnzipMember: data descriptors, refusals, damage, folders, the busy
// guard and the time stamp.
#include <gtest/gtest.h>

#include <chrono>
#include <ctime>
#include <filesystem>

#include "Crc32.h"
#include "FileSystem.h"
#include "UnzipEngine.h"
#include "testkit.h"

namespace {

using namespace UnzipTestKit;

struct TMemberCase {
  const char* Name;
  TZipMember Member;
  bool PassCentral;
  int32_t Result;
};

TZipMember With(TZipMember member, uint16_t flags, bool signature = true) {
  member.Flags = flags;
  member.DescriptorSignature = signature;
  return member;
}

TZipMember WithPacked(TZipMember member, TBytes packed, uint16_t method) {
  member.Packed = std::move(packed);
  member.Method = method;
  return member;
}

TZipMember ClaimingPacked(TZipMember member, uint32_t packedSize) {
  member.LocalPackedSize = packedSize;
  return member;
}

TZipMember WithCrc(TZipMember member, uint32_t crc) {
  member.Crc32 = crc;
  return member;
}

TZipMember Declaring(TZipMember member, uint32_t unpackedSize) {
  member.UnpackedSize = unpackedSize;
  return member;
}

std::vector<TMemberCase> MemberCases() {
  TBytes text = TextBytes(70000, 11);
  TZipMember deflated = MakeMember("m", text), stored = MakeMember("m", text, 0);
  const auto size = static_cast<uint32_t>(text.size());
  return {
      {"deflated, descriptor with signature", With(deflated, 8), true, UZ_OK},
      {"deflated, descriptor without signature", With(deflated, 8, false), true, UZ_OK},
      {"deflated, descriptor with signature, no directory", With(deflated, 8), false, UZ_OK},
      {"deflated, descriptor without signature, no directory", With(deflated, 8, false), false, UZ_OK},
      {"stored, descriptor", With(stored, 8), true, UZ_OK},
      // Without the directory a stored member has no size: the copy runs off the archive's end.
      {"stored, descriptor, no directory", With(stored, 8), false, UZ_READ_ERROR},
      {"encrypted", With(deflated, 1), true, UZ_ENCRYPTED},
      {"encrypted with an unknown method", WithPacked(With(deflated, 1), text, 99), true, UZ_ENCRYPTED},
      {"method 2 (reduced)", WithPacked(deflated, text, 2), true, UZ_UNSUPPORTED},
      {"method 97 (WavPack)", WithPacked(deflated, text, 97), true, UZ_UNSUPPORTED},
      {"stored, content altered after packing", WithCrc(stored, Crc32Of(text) ^ 1), true, UZ_CRC_MISMATCH},
      {"deflated, content altered after packing", WithCrc(deflated, Crc32Of(text) ^ 1), true, UZ_CRC_MISMATCH},
      // The local header declares 1,000 bytes but holds the whole text.
      {"stored, more data than declared", WithPacked(MakeMember("m", TBytes(text.begin(), text.begin() + 1000), 0), text, 0),
       true, UZ_BAD_DATA},
      // A header claiming far more packed data than the archive holds, with a complete stream
      // and a good CRC: the member is good; reading stops at the archive's end.
      {"deflated, header claims 2 GiB of packed data", ClaimingPacked(deflated, 0x7FFFFFF0), true, UZ_OK},
      // A header understating the packed size: the decoder reads on to the end of the 4 KiB
      // block the declared data ends in, and no further.
      {"deflated, packed size understated within its block", ClaimingPacked(MakeMember("m", TextBytes(2000, 3)), 100),
       true, UZ_OK},
      {"deflated, packed size understated by blocks", ClaimingPacked(deflated, 10), false, UZ_READ_ERROR},
      {"stored, header claims more than the archive holds", ClaimingPacked(stored, 0x7FFFFFF0), true, UZ_BAD_DATA},
      // Content whose CRC is right but whose size is not the one declared is not the member.
      {"stored, headers declare more than the data holds", Declaring(stored, size + 100), true, UZ_BAD_DATA},
      {"deflated, headers declare twice what it decodes to", Declaring(deflated, 2 * size), true, UZ_BAD_DATA},
      {"deflated, descriptor declares more than it decodes to", Declaring(With(deflated, 8), size + 1), true,
       UZ_BAD_DATA},
      {"empty stored member", MakeMember("m", {}, 0), true, UZ_OK},
      {"empty deflated member", MakeMember("m", {}), true, UZ_OK},
  };
}

TEST(UnzipMember, MembersGiveTheirResults) {
  for (const TMemberCase& row : MemberCases()) {
    SCOPED_TRACE(row.Name);
    TSingleResult single = ExtractSingle(row.Member, row.PassCentral);
    EXPECT_EQ(single.Result, row.Result);
    EXPECT_EQ(single.OutputExists, row.Result == UZ_OK) << "output left behind or missing";
    if (row.Result == UZ_OK) {
      EXPECT_TRUE(single.Output == row.Member.Content);
    }
  }
}

// With bit 3 clear the local header describes the data: a directory CRC that differs from a
// correct local header does not stop the member. The directory's unpacked size is the size the
// content must have, and it bounds the output while it is written: a local header claiming far
// more cannot fill the disk.
TEST(UnzipMember, LocalHeaderDecidesTheDirectoryBounds) {
  TTempFolder folder;
  TBytes content = TextBytes(200000, 1);
  WriteFile(folder / "a.zip", BuildZip({MakeMember("m", content)}));
  std::string output = folder / "m";
  const auto packed = static_cast<int64_t>(DeflateFixed(content).size());
  const auto size = static_cast<int64_t>(content.size());
  TCentralFacts otherCrc{Crc32Of(content) ^ 0x100, packed, size};
  EXPECT_EQ(UnzipMember((folder / "a.zip").c_str(), output.c_str(), 0, 0, &otherCrc), UZ_OK);
  EXPECT_TRUE(ReadFile(output) == content);
  TCentralFacts larger{Crc32Of(content), packed, size + 5};
  EXPECT_EQ(UnzipMember((folder / "a.zip").c_str(), output.c_str(), 0, 0, &larger), UZ_BAD_DATA);
  EXPECT_FALSE(PathExists(output));

  static int64_t mostWritten = 0;
  mostWritten = 0;
  TUnzipReport report{};
  const TUnzipProgress progress{[](int32_t code, TUnzipReport*) { mostWritten += code; }, &report};
  TCentralFacts smaller{Crc32Of(content), packed, 1000};
  EXPECT_EQ(UnzipMember((folder / "a.zip").c_str(), output.c_str(), 0, 0, &smaller, progress), UZ_BAD_DATA);
  EXPECT_FALSE(PathExists(output));
  EXPECT_LE(mostWritten, 1000) << "the output went past the directory's size before it was refused";
}

TEST(UnzipMember, FolderEntryMakesItsFoldersAndNoFile) {
  TTempFolder folder;
  WriteFile(folder / "a.zip", BuildZip({MakeMember("d/e/", {}, 0)}));
  std::string output = folder / "d" + kSeparator + "e" + kSeparator;
  EXPECT_EQ(UnzipMember((folder / "a.zip").c_str(), output.c_str(), 0, 0), UZ_OK);
  EXPECT_TRUE(QrxPlatform::FolderExists(output));
  EXPECT_EQ(folder.Files().size(), 1u);  // the archive only
}

TEST(UnzipMember, UnreadableHeadersAndArchives) {
  TTempFolder folder;
  TBytes zip = BuildZip({MakeMember("m", TextBytes(100, 2))});
  WriteFile(folder / "a.zip", zip);
  std::string archive = folder / "a.zip", output = folder / "m";
  EXPECT_EQ(UnzipMember((folder / "missing.zip").c_str(), output.c_str(), 0, 0), UZ_OPEN_FAILED);
  EXPECT_EQ(UnzipMember(archive.c_str(), output.c_str(), 1, 0), UZ_BAD_DATA);  // no signature there
  EXPECT_EQ(UnzipMember(archive.c_str(), output.c_str(), static_cast<int64_t>(zip.size()) - 10, 0), UZ_BAD_DATA);
  EXPECT_EQ(UnzipMember(archive.c_str(), output.c_str(), -5, 0), UZ_READ_ERROR);
  EXPECT_FALSE(PathExists(output));
}

TEST(UnzipMember, OutputPathsTooLongAreRefused) {
  TTempFolder folder;
  WriteFile(folder / "a.zip", BuildZip({MakeMember("m", TextBytes(100, 2))}));
  std::string output = folder / std::string(UZ_PATH_MAX, 'n');
  EXPECT_EQ(UnzipMember((folder / "a.zip").c_str(), output.c_str(), 0, 0), UZ_WRITE_ERROR);
  EXPECT_EQ(folder.Files().size(), 1u);
}

// A real shrunk member at the very end of its file whose local header claims 2 GiB of packed
// data: the decoder that reads by packed size stops where the file ends, it does not decode
// gigabytes of filler; the data there is whole, so the member is good. Claiming 2 GiB of
// content as well makes it damaged, once the same bytes are decoded: far fewer than declared.
TEST(UnzipMember, ClaimedSizesAreBoundedByTheArchive) {
  TBytes original = ReadFile(CorpusFolder() + "/zip2-legacy_shrink.zip");
  size_t dataEnd = 30 + (original[26] | original[27] << 8) + (original[28] | original[29] << 8) + 709;  // 709 packed
  const uint32_t unpacked = original[22] | original[23] << 8 | original[24] << 16 | uint32_t(original[25]) << 24;
  original.resize(dataEnd);
  struct TRow {
    const char* Name;
    std::vector<size_t> ClaimedFields;
    int32_t Result;
  } rows[] = {{"packed size claimed", {18}, UZ_OK}, {"packed and unpacked sizes claimed", {18, 22}, UZ_BAD_DATA}};
  for (const TRow& row : rows) {
    SCOPED_TRACE(row.Name);
    TBytes zip = original;
    for (size_t field : row.ClaimedFields) zip[field] = 0xF0, zip[field + 1] = 0xFF, zip[field + 2] = 0xFF, zip[field + 3] = 0x7F;
    TTempFolder folder;
    WriteFile(folder / "a.zip", zip);
    std::string output = folder / "m";
    static int64_t decoded = 0;
    decoded = 0;
    TUnzipReport report{};
    const TUnzipProgress progress{[](int32_t code, TUnzipReport*) { decoded += code; }, &report};
    EXPECT_EQ(UnzipMember((folder / "a.zip").c_str(), output.c_str(), 0, 0, nullptr, progress), row.Result);
    EXPECT_EQ(decoded, unpacked);
    EXPECT_EQ(PathExists(output), row.Result == UZ_OK);
  }
}

std::string NestedArchive;
std::string NestedOutput;
int32_t NestedResult = 0;

void ExtractFromHandler(int32_t, TUnzipReport*) {
  NestedResult = UnzipMember(NestedArchive.c_str(), NestedOutput.c_str(), 0, 0);
}

TEST(UnzipMember, BusyWhileAnotherMemberIsExtracted) {
  TTempFolder folder;
  WriteFile(folder / "a.zip", BuildZip({MakeMember("m", TextBytes(100, 2))}));
  NestedArchive = folder / "a.zip";
  NestedOutput = folder / "nested";
  NestedResult = 0;
  TUnzipReport report{};
  const TUnzipProgress progress{ExtractFromHandler, &report};  // called at the member's block report
  std::string output = folder / "m";
  int32_t outer = UnzipMember(NestedArchive.c_str(), output.c_str(), 0, 0, nullptr, progress);
  EXPECT_EQ(outer, UZ_OK);
  EXPECT_EQ(NestedResult, UZ_BUSY);
  EXPECT_FALSE(PathExists(NestedOutput));
  EXPECT_EQ(UnzipMember(NestedArchive.c_str(), NestedOutput.c_str(), 0, 0), UZ_OK) << "busy flag left set";
}

TEST(UnzipMember, FileTimeIsTheLocalHeadersLocalTime) {
  TTempFolder folder;
  TZipMember member = MakeMember("m", TextBytes(100, 2));
  member.DosDateTime = (uint32_t((2019 - 1980) << 9 | 7 << 5 | 21) << 16) | (13 << 11 | 45 << 5 | 30 / 2);
  WriteFile(folder / "a.zip", BuildZip({member}));
  std::string output = folder / "m";
  ASSERT_EQ(UnzipMember((folder / "a.zip").c_str(), output.c_str(), 0, 0), UZ_OK);
  auto stamp = std::filesystem::last_write_time(std::filesystem::path(output));
  std::time_t seconds = std::chrono::system_clock::to_time_t(std::chrono::file_clock::to_sys(stamp));
  std::tm local = *std::localtime(&seconds);
  EXPECT_EQ(local.tm_year + 1900, 2019);
  EXPECT_EQ(local.tm_mon + 1, 7);
  EXPECT_EQ(local.tm_mday, 21);
  EXPECT_EQ(local.tm_hour, 13);
  EXPECT_EQ(local.tm_min, 45);
  EXPECT_EQ(local.tm_sec, 30);
}

TEST(Crc32, CheckValueAndSlicingAgreeWithBytewise) {
  EXPECT_EQ(Crc32Of("123456789", 9), 0xCBF43926u);
  TBytes data = RandomBytes(1000, 5);
  for (size_t start : {0u, 1u, 3u, 7u})
    for (size_t length : {0u, 1u, 7u, 8u, 9u, 63u, 500u}) {
      uint32_t bytewise = 0xFFFFFFFFu;
      for (size_t i = start; i < start + length; ++i) bytewise = Crc32Update(bytewise, &data[i], 1);
      EXPECT_EQ(Crc32Update(0xFFFFFFFFu, data.data() + start, length), bytewise) << start << " " << length;
    }
}

}  // namespace
