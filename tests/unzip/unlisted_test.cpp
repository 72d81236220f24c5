// The members that local headers show outside the directory: found wherever they stand
// against the chunks the archive is read in, ended by their data descriptors, skipped inside
// each other's data, and found at a cost linear in the archive's size however many headers
// it holds; those that share a name are all written, at a cost linear in their number.
#include <gtest/gtest.h>

#include <algorithm>
#include <utility>

#include "BriskUnzip.h"
#include "testkit.h"

namespace {

using namespace UnzipTestKit;

using TListing = std::vector<std::pair<std::string, int64_t>>;  // name and unpacked size

// The members, then an end record of an empty directory: none of them is listed.
TBytes Unlisted(const std::vector<TZipMember>& members) {
  TBytes zip = BuildZip(members);
  const TBytes end = BuildZip({});
  zip.insert(zip.end(), end.begin(), end.end());
  return zip;
}

TZipMember Deferred(TZipMember member) {
  member.Flags = 8;
  return member;
}

// The local record of a member alone, as BuildZip writes it.
TBytes LocalRecord(const TZipMember& member) {
  TBytes zip = BuildZip({member});
  zip.resize(CentralDirectoryOffset(zip));
  return zip;
}

class TUnlistedTest : public ::testing::Test {
protected:
  void SetUp() override {
    ClearReports();
    Unzip.SetExtractHiddenMembers(true);
    Unzip.SetReportHandler(RecordReport);
  }
  std::string Archive(const TBytes& zip) {
    const std::string path = Scratch / "archive.zip";
    WriteFile(path, zip);
    Unzip.SetZipFileName(path.c_str());
    return path;
  }
  TListing List() {
    ClearReports();
    const int32_t count = Unzip.ListFiles();
    TListing listed;
    for (const TRecordedReport& report : Recorded)
      if (report.Status == UZ_REPORT_PROGRESS) listed.emplace_back(report.FileName, report.UnpackedSize);
    EXPECT_EQ(count, static_cast<int32_t>(listed.size()));
    return listed;
  }
  // The codes of the member-error reports of a test of every member.
  std::vector<int32_t> TestErrors() {
    ClearReports();
    Unzip.TestFiles();
    std::vector<int32_t> codes;
    for (const TRecordedReport& report : Recorded)
      if (report.Status == UZ_REPORT_MEMBER_ERROR) codes.push_back(report.Code);
    return codes;
  }

  TTempFolder Scratch;
  TBriskUnzip Unzip{nullptr};
};

// Moved byte by byte across the end of the scan's first 64 KiB chunk, each header, name and
// data descriptor is split there once, and still read whole.
TEST_F(TUnlistedTest, MembersAreFoundAcrossTheChunksOfTheScan) {
  const std::vector<TZipMember> members = {Deferred(MakeMember("stored.txt", TextBytes(40, 1), 0)),
                                           Deferred(MakeMember("deflated.txt", TextBytes(300, 2))),
                                           MakeMember("plain.txt", TextBytes(60, 3))};
  const TListing expected = {{"stored.txt", 40}, {"deflated.txt", 300}, {"plain.txt", 60}};
  const TBytes unlisted = Unlisted(members);
  const size_t span = LocalRecord(members[0]).size() + LocalRecord(members[1]).size() + LocalRecord(members[2]).size();
  for (size_t prefix = 65536 - span; prefix <= 65536; ++prefix) {
    SCOPED_TRACE(prefix);
    TBytes zip(prefix, 0);
    zip.insert(zip.end(), unlisted.begin(), unlisted.end());
    Archive(zip);
    EXPECT_EQ(List(), expected);
    EXPECT_TRUE(TestErrors().empty());
  }
}

TEST_F(TUnlistedTest, DescriptorsAndDataBoundTheMembers) {
  const TBytes text = TextBytes(3000, 4);
  const TZipMember inner = MakeMember("inner.txt", text);
  // A record of its own, quoted whole as the content of a stored member.
  const TZipMember quoting = MakeMember("quoting.bin", LocalRecord(inner), 0);
  // A descriptor signature in the data whose size field does not reach back to the data's start.
  TBytes falseDescriptor = text;
  const uint8_t fake[] = {'P', 'K', 7, 8, 1, 2, 3, 4, 9, 0, 0, 0, 9, 0, 0, 0};
  falseDescriptor.insert(falseDescriptor.begin() + 1000, std::begin(fake), std::end(fake));
  // A deferred member whose only descriptor stands after a listed archive, counting it as
  // data: data never run into a listed member, so the member has no descriptor and size 0.
  TBytes listedBetween = LocalRecord(Deferred(MakeMember("cut.txt", text)));
  listedBetween.resize(listedBetween.size() - 16);
  const size_t dataStart = 30 + 7;
  const TBytes listed = BuildZip({MakeMember("listed.txt", text)});
  listedBetween.insert(listedBetween.end(), listed.begin(), listed.end());
  const uint32_t distance = static_cast<uint32_t>(listedBetween.size() - dataStart);
  listedBetween.insert(listedBetween.end(), {'P', 'K', 7, 8});
  for (uint32_t value : {Crc32Of(text), distance, uint32_t(text.size())})
    for (int i = 0; i < 4; ++i) listedBetween.push_back(static_cast<uint8_t>(value >> (8 * i)));
  // The signature alone ends the file, as the comment of the end record after the member.
  TBytes closingSignature = BuildZip({Deferred(MakeMember("d", text))});
  const TBytes commented = BuildZip({}, {{}, false, "PK\x07\x08"});
  closingSignature.insert(closingSignature.end(), commented.begin(), commented.end());
  struct TRow {
    const char* Name;
    TBytes Zip;
    TListing Listed;
    std::vector<int32_t> TestErrors;
  } rows[] = {
      {"a member quoted in another's data", Unlisted({quoting, MakeMember("after.txt", text)}),
       {{"quoting.bin", static_cast<int64_t>(quoting.Content.size())}, {"after.txt", 3000}}, {}},
      {"deferred members back to back",
       Unlisted({Deferred(MakeMember("1", text)), Deferred(MakeMember("2", text, 0)), Deferred(MakeMember("3", {}))}),
       {{"1", 3000}, {"2", 3000}, {"3", 0}}, {}},
      {"a false descriptor in the data", Unlisted({Deferred(MakeMember("d", falseDescriptor, 0))}), {{"d", 3016}}, {}},
      {"a large member passed over to a deferred one",
       Unlisted({MakeMember("large.bin", RandomBytes(300000, 5), 0), Deferred(MakeMember("d", text))}),
       {{"large.bin", 300000}, {"d", 3000}}, {}},
      {"a descriptor beyond a listed archive", listedBetween, {{"listed.txt", 3000}, {"cut.txt", 0}}, {UZ_BAD_DATA}},
      {"a descriptor signature closing the file", closingSignature, {{"d", 3000}}, {}},
  };
  for (const TRow& row : rows) {
    SCOPED_TRACE(row.Name);
    Archive(row.Zip);
    EXPECT_EQ(List(), row.Listed);
    EXPECT_EQ(TestErrors(), row.TestErrors);
  }
}

// 4 MiB of bare 30-byte local headers with bit 3 and no descriptor: each would have its
// descriptor sought through the rest of the file. The scan keeps the first 65,536 headers;
// every other one lies in the 16 bytes its predecessor's missing descriptor takes.
TEST_F(TUnlistedTest, FloodOfDeferredHeadersIsScannedOnce) {
  TBytes flood = LocalRecord(Deferred(MakeMember("", {}, 0)));
  flood.resize(30);  // no descriptor
  TBytes zip;
  for (size_t at = 0; at + flood.size() <= (4u << 20); at += flood.size()) zip.insert(zip.end(), flood.begin(), flood.end());
  const TBytes end = BuildZip({});
  zip.insert(zip.end(), end.begin(), end.end());
  Archive(zip);
  const TListing listed = List();
  EXPECT_EQ(listed.size(), 65536u / 2);
  EXPECT_TRUE(std::all_of(listed.begin(), listed.end(), [](const auto& member) { return member.second == 0; }));
}

// 10,000 unlisted members all named "a" come out as a, a_2 ... a_10000, each name found
// without trying the ones before it again.
TEST_F(TUnlistedTest, MembersSharingANameAreAllWritten) {
  constexpr int kMembers = 10000;
  std::vector<TZipMember> members;
  std::vector<std::string> expected;
  for (int n = 1; n <= kMembers; ++n) {
    members.push_back(MakeMember("a", BytesOf(std::to_string(n)), 0));
    expected.push_back(n == 1 ? "T/a" : "T/a_" + std::to_string(n));
  }
  std::sort(expected.begin(), expected.end());
  Archive(Unlisted(members));
  const std::string target = Scratch / "T";
  Unzip.SetTargetDirectory(target.c_str());
  EXPECT_EQ(Unzip.ExtractFiles(), kMembers);
  std::vector<std::string> written = Scratch.Files();
  std::erase(written, "archive.zip");
  EXPECT_EQ(written, expected);
  for (int n : {1, 2, 777, kMembers})
    EXPECT_EQ(ReadFile(target + kSeparator + (n == 1 ? "a" : "a_" + std::to_string(n))), BytesOf(std::to_string(n)));
}

}  // namespace
