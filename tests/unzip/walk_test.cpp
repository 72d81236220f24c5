// TBriskUnzip over archives built for each case: report sequences, flat extraction,
// selection, the overwrite query, failing members, the abort key, early refusals, ListFiles,
// sizes and their sums, files that are no archives, and names that try to leave the target
// folder.
#include <gtest/gtest.h>

#include <algorithm>
#include <optional>

#ifndef _WIN32
#include <sys/stat.h>
#endif

#include "BriskUnzip.h"
#include "File.h"
#include "FileSystem.h"
#include "UnzipEngine.h"
#include "testkit.h"

namespace {

using namespace UnzipTestKit;

const TBytes kA = BytesOf("content of a\n");
const TBytes kB = BytesOf("content of b, a little longer\n");

std::vector<TZipMember> ThreeMembers() {
  return {MakeMember("a.txt", kA), MakeMember("docs/", {}, 0), MakeMember("docs/b.txt", kB)};
}

// The prefix is sought in the first three quarters of the file: the archive after it must be
// large enough to push its header into that range.
std::vector<TZipMember> ThreeMembersAndBulk() {
  std::vector<TZipMember> members = ThreeMembers();
  members.push_back(MakeMember("bulk.bin", RandomBytes(5000, 3), 0));
  return members;
}

class TWalkTest : public ::testing::Test {
protected:
  void SetUp() override { ClearReports(); }
  void TearDown() override { UnzipEngine().KeyProbe = QrxPlatform::IsKeyHeld; }

  std::string Archive(const std::vector<TZipMember>& members, const TZipLayout& layout = {}) {
    std::string path = Scratch / "archive.zip";
    WriteFile(path, BuildZip(members, layout));
    return path;
  }
  std::string Target() const { return Scratch / "T"; }
  std::string InTarget(const std::string& relative) const { return Target() + kSeparator + relative; }
  // Files below the scratch folder other than the archive, relative to it.
  std::vector<std::string> Written() const {
    std::vector<std::string> files = Scratch.Files();
    std::erase(files, "archive.zip");
    return files;
  }
  int32_t Extract(const std::string& archive) {
    Unzip.SetZipFileName(archive.c_str());
    Unzip.SetTargetDirectory(Target().c_str());
    Unzip.SetReportHandler(RecordReport);
    return Unzip.ExtractFiles();
  }
  int32_t List(const std::string& archive) {
    Unzip.SetZipFileName(archive.c_str());
    Unzip.SetReportHandler(RecordReport);
    return Unzip.ListFiles();
  }

  TTempFolder Scratch;
  TBriskUnzip Unzip{nullptr};
};

using S = std::vector<int32_t>;

// The codes of the member-error reports, in order.
S ErrorCodes() {
  S codes;
  for (const TRecordedReport& report : Recorded)
    if (report.Status == UZ_REPORT_MEMBER_ERROR) codes.push_back(report.Code);
  return codes;
}

TEST_F(TWalkTest, ReportsEveryStepOfEveryMember) {
  EXPECT_EQ(Extract(Archive(ThreeMembers())), 3);
  EXPECT_EQ(StatusSequence(), (S{-1004, -1000, -1001, -1002, -1000, -1002, -1000, -1001, -1002, -1005}));
  EXPECT_TRUE(QrxPlatform::FolderExists(InTarget("docs")));
  EXPECT_EQ(ReadFile(InTarget("a.txt")), kA);
  EXPECT_EQ(ReadFile(InTarget(std::string("docs") + kSeparator + "b.txt")), kB);
  const TRecordedReport& start = Recorded.front();
  EXPECT_EQ(start.Code, UZ_REPORT_ARCHIVE_START);
  EXPECT_EQ(start.UnpackedSize, static_cast<int64_t>(kA.size() + kB.size()));
  EXPECT_FALSE(start.IsFolder);
  const TRecordedReport& folderStart = Recorded[4];
  EXPECT_TRUE(folderStart.IsFolder);
  std::string target = Target();
  std::replace(target.begin(), target.end(), '/', '\\');  // the component speaks Windows paths
  EXPECT_EQ(folderStart.FileName, target + "\\docs\\");
  const TRecordedReport& end = Recorded.back();
  EXPECT_EQ(end.Code, UZ_REPORT_ARCHIVE_END);
  EXPECT_EQ(end.DateTime, 0xFFFFFFFFu);
  EXPECT_EQ(end.Method, 0);
  EXPECT_EQ(end.UnpackedSize, static_cast<int64_t>(kA.size() + kB.size()));
}

TEST_F(TWalkTest, FlatExtractionDropsFoldersButCountsThem) {
  Unzip.SetDontRecurse(true);
  EXPECT_EQ(Extract(Archive(ThreeMembers())), 3);
  EXPECT_EQ(StatusSequence(), (S{-1004, -1000, -1001, -1002, -1000, -1001, -1002, -1005}));
  EXPECT_EQ(Written(), (std::vector<std::string>{"T/a.txt", "T/b.txt"}));
}

TEST_F(TWalkTest, FlatExtractionLetsTheLastOfTwoNamesWin) {
  Unzip.SetDontRecurse(true);
  EXPECT_EQ(Extract(Archive({MakeMember("x/r.dat", kA), MakeMember("y/r.dat", kB)})), 2);
  EXPECT_EQ(ReadFile(InTarget("r.dat")), kB);
}

TEST_F(TWalkTest, SelectionPatternTakesMatchingNamesOnly) {
  struct TRow {
    const char* Pattern;
    int32_t Count;
    int64_t Unpacked;
  } rows[] = {
      {"*.TXT", 2, static_cast<int64_t>(kA.size() + kB.size())},
      {"docs\\*", 2, static_cast<int64_t>(kB.size())},
      {"?.txt", 1, static_cast<int64_t>(kA.size())},
      {"*.*", 3, static_cast<int64_t>(kA.size() + kB.size())},
      {"", 3, static_cast<int64_t>(kA.size() + kB.size())},
      {"*.exe", 0, 0},
      {"A.TXT**", 1, static_cast<int64_t>(kA.size())},  // "**" matches the empty rest
  };
  std::string archive = Archive(ThreeMembers());
  for (const TRow& row : rows) {
    SCOPED_TRACE(row.Pattern);
    ClearReports();
    Unzip.SetFilesToExtract(row.Pattern);
    EXPECT_EQ(Extract(archive), row.Count);
    EXPECT_EQ(Recorded.back().UnpackedSize, row.Unpacked);
  }
}

bool KeepExisting(TUnzipReport*) { return false; }
bool ReplaceExisting(TUnzipReport*) { return true; }

TEST_F(TWalkTest, OverwriteQueryCanKeepAnExistingFile) {
  std::string archive = Archive({MakeMember("a.txt", kA)});
  ForceFolders(Target().c_str());
  WriteFile(InTarget("a.txt"), BytesOf("old"));
  Unzip.SetOverwriteQuery(KeepExisting);
  EXPECT_EQ(Extract(archive), 1);
  EXPECT_EQ(StatusSequence(), (S{-1004, -1000, -1001, -1002, -1005}));
  EXPECT_EQ(Recorded[2].Code, static_cast<int32_t>(kA.size()));
  EXPECT_EQ(Recorded[2].Method, 9);
  EXPECT_EQ(ReadFile(InTarget("a.txt")), BytesOf("old"));
}

TEST_F(TWalkTest, ExistingReadOnlyFileIsReplaced) {
  std::string archive = Archive({MakeMember("a.txt", kA)});
  ForceFolders(Target().c_str());
  WriteFile(InTarget("a.txt"), BytesOf("old"));
  QrxPlatform::SetAttributes(InTarget("a.txt"), 1);
  Unzip.SetOverwriteQuery(ReplaceExisting);
  EXPECT_EQ(Extract(archive), 1);
  EXPECT_EQ(ReadFile(InTarget("a.txt")), kA);
}

TEST_F(TWalkTest, FailingMembersAreReportedAndTheWalkGoesOn) {
  TZipMember altered = MakeMember("bad.txt", kA);
  altered.Crc32 = 0x12345678;
  TZipMember reduced = MakeMember("reduced.txt", kA, 2);
  reduced.Packed = kA;
  TZipMember locked = MakeMember("locked.txt", kA, 0);
  locked.Flags = 1;
  EXPECT_EQ(Extract(Archive({altered, reduced, locked, MakeMember("good.txt", kB)})), 1);
  // The altered member's data is written (one block) before its CRC is known.
  EXPECT_EQ(StatusSequence(), (S{-1004, -1000, -1001, -1003, -1000, -1003, -1000, -1003, -1000, -1001, -1002, -1005}));
  EXPECT_EQ(ErrorCodes(), (S{UZ_CRC_MISMATCH, UZ_UNSUPPORTED, UZ_ENCRYPTED}));
  EXPECT_EQ(Written(), (std::vector<std::string>{"T/good.txt"}));
}

// An entry whose local-header offset points past the archive: that member fails, the walk
// goes on.
TEST_F(TWalkTest, LocalHeaderPastTheArchiveIsAMemberError) {
  TBytes zip = BuildZip({MakeMember("far.txt", kA), MakeMember("b.txt", kB)});
  size_t offsetField = CentralDirectoryOffset(zip) + 42;
  for (size_t i = 0; i < 4; ++i) zip[offsetField + i] = 0xFF;
  WriteFile(Scratch / "archive.zip", zip);
  EXPECT_EQ(Extract(Scratch / "archive.zip"), 1);
  EXPECT_EQ(StatusSequence(), (S{-1004, -1000, -1003, -1000, -1001, -1002, -1005}));
  EXPECT_EQ(Recorded[2].Code, UZ_BAD_DATA);
}

// A member's own damage ends that member only, as with unzip and 7zz: 1.txt, then a
// deflated 2.bin whose data is 64 bytes of 0xFF (block type 3), then 3.txt.
TEST_F(TWalkTest, DamagedMemberEndsOnlyItself) {
  TZipMember damaged = MakeMember("2.bin", kA);
  damaged.Packed = TBytes(64, 0xFF);
  EXPECT_EQ(Extract(Archive({MakeMember("1.txt", kA), damaged, MakeMember("3.txt", kB)})), 2);
  EXPECT_EQ(StatusSequence(), (S{-1004, -1000, -1001, -1002, -1000, -1003, -1000, -1001, -1002, -1005}));
  EXPECT_EQ(ErrorCodes(), (S{UZ_BAD_DATA}));
  EXPECT_EQ(Written(), (std::vector<std::string>{"T/1.txt", "T/3.txt"}));
}

// A public archive whose first member inflates to far more than its directory declares:
// that member is refused while it is written, the second still comes out.
TEST_F(TWalkTest, MemberLargerThanDeclaredEndsOnlyItself) {
  EXPECT_EQ(Extract(CorpusFolder() + "/libarchive-test_read_format_zip_size_exceeds_declared_deflate.zip"), 1);
  EXPECT_EQ(ErrorCodes(), (S{UZ_BAD_DATA}));
  EXPECT_EQ(Written().size(), 1u);
}

// A member whose content keeps its CRC but not the size its headers declare (a public archive
// decodes 1,000,000 of the 2,048,576 bytes it declares) is damaged; the walk goes on.
TEST_F(TWalkTest, MemberOfAnotherSizeThanDeclaredIsAMemberError) {
  TZipMember shorter = MakeMember("shorter.txt", TextBytes(100000, 5));
  shorter.UnpackedSize = 204800;
  EXPECT_EQ(Extract(Archive({MakeMember("a.txt", kA), shorter, MakeMember("b.txt", kB)})), 2);
  EXPECT_EQ(ErrorCodes(), (S{UZ_BAD_DATA}));
  EXPECT_EQ(Written(), (std::vector<std::string>{"T/a.txt", "T/b.txt"}));
}

// Sets ZIP64 values of every entry of a directory that BuildZip wrote with ZIP64 extra fields
// (unpacked size, packed size, local-header offset, in this order); those not given stay.
void SetZip64Values(TBytes& zip, std::optional<uint64_t> unpacked, std::optional<uint64_t> packed,
                    std::optional<uint64_t> offset) {
  auto load16 = [&](size_t at) { return size_t(zip[at] | zip[at + 1] << 8); };
  for (size_t at = CentralDirectoryOffset(zip); zip[at] == 'P' && zip[at + 2] == 1; ) {
    const size_t nameLength = load16(at + 28), extraLength = load16(at + 30);
    const size_t values = at + 46 + nameLength + 4;
    for (auto [value, field] : {std::pair{unpacked, 0}, {packed, 8}, {offset, 16}})
      for (int i = 0; value && i < 8; ++i) zip[values + field + i] = static_cast<uint8_t>(*value >> (8 * i));
    at += 46 + nameLength + extraLength + load16(at + 32);
  }
}

// ZIP64 sizes and offsets may each come near 2^62: their sums are held at INT64_MAX instead of
// overflowing, in the listing, the walk's reports and the totals alike.
TEST_F(TWalkTest, SumsOfZip64ValuesNear2To62AreHeld) {
  constexpr uint64_t kNear = (uint64_t(1) << 62) - 1;
  const std::vector<TZipMember> members = ThreeMembersAndBulk();
  int64_t unpacked = 0, packed = 0;
  for (const TZipMember& member : members) {
    unpacked += static_cast<int64_t>(member.Content.size());
    packed += static_cast<int64_t>(member.Method == 8 ? DeflateFixed(member.Content).size() : member.Content.size());
  }
  struct TRow {
    const char* Name;
    std::optional<uint64_t> Unpacked, Packed, Offset;
    int64_t UnpackedTotal, PackedTotal;
    bool Overlapping;  // the packed sizes make the members overlap: the walk refuses them
  } rows[] = {
      {"unpacked sizes", kNear, {}, {}, INT64_MAX, packed, false},
      {"packed sizes", {}, kNear, {}, unpacked, INT64_MAX, true},
      {"offsets and packed sizes", {}, kNear, kNear, unpacked, INT64_MAX, true},
  };
  for (const TRow& row : rows) {
    SCOPED_TRACE(row.Name);
    ClearReports();
    TBytes zip = BuildZip(members, {{}, false, "", true});
    SetZip64Values(zip, row.Unpacked, row.Packed, row.Offset);
    WriteFile(Scratch / "archive.zip", zip);
    std::string archive = Scratch / "archive.zip";
    Unzip.SetExtractHiddenMembers(false);
    EXPECT_EQ(List(archive), 4);
    EXPECT_EQ(Recorded.back().UnpackedSize, row.UnpackedTotal);
    EXPECT_EQ(Recorded.back().PackedSize, row.PackedTotal);
    EXPECT_EQ(Unzip.GetUnpackedSize(), row.UnpackedTotal);
    EXPECT_EQ(Unzip.PackedTotal(), row.PackedTotal);
    ClearReports();
    Unzip.SetExtractHiddenMembers(true);  // which takes every member's end from its local header
    const int32_t result = Extract(archive);
    EXPECT_EQ(Recorded.front().UnpackedSize, row.UnpackedTotal);
    EXPECT_EQ(Recorded.front().PackedSize, row.PackedTotal);
    if (row.Overlapping) {
      EXPECT_EQ(result, UZ_OVERLAPPING_MEMBERS);
    } else {
      EXPECT_EQ(StatusSequence().back(), UZ_REPORT_ARCHIVE_END);
      EXPECT_EQ(Recorded.back().UnpackedSize, row.UnpackedTotal);
    }
    QrxPlatform::RemoveTree(Target());
  }
}

// Only a regular file is read as an archive: a FIFO nobody writes to must not hang the caller
// in its open, and a device or a folder is no archive either.
TEST_F(TWalkTest, OnlyRegularFilesAreOpened) {
  std::vector<std::string> refused = {Scratch.Path()};
#ifdef _WIN32
  refused.push_back("NUL");
#else
  refused.push_back("/dev/null");
  const std::string fifo = Scratch / "x.zip";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  refused.push_back(fifo);
#endif
  for (const std::string& path : refused) {
    SCOPED_TRACE(path);
    QrxPlatform::TFile file;
    EXPECT_FALSE(file.OpenRead(path.c_str()));
    EXPECT_EQ(List(path), UZ_NOT_ARCHIVE);
    EXPECT_EQ(Extract(path), UZ_NOT_ARCHIVE);
    EXPECT_EQ(Unzip.GetUnpackedSize(), 0);
  }
  EXPECT_TRUE(Recorded.empty());
}

#ifdef _WIN32
// The automatic removal deletes an infected archive that the walk may still hold open.
TEST_F(TWalkTest, ArchiveOpenForReadingCanBeDeleted) {
  const std::string archive = Archive(ThreeMembers());
  QrxPlatform::TFile file;
  ASSERT_TRUE(file.OpenRead(archive.c_str()));
  EXPECT_TRUE(QrxPlatform::RemoveFile(archive));
  file.Close();
  EXPECT_FALSE(PathExists(archive));
}
#endif

TEST_F(TWalkTest, EscapeHeldAbortsALargeMember) {
  // The key is sampled at each 4 KiB of input: a member of 50 KB is caught too.
  for (auto [method, size] : {std::pair<uint16_t, size_t>{0, 600000}, {8, 600000}, {8, 50000}}) {
    SCOPED_TRACE(std::to_string(method) + " " + std::to_string(size));
    ClearReports();
    UnzipEngine().KeyProbe = [](int key) { return key == 27; };
    EXPECT_EQ(Extract(Archive({MakeMember("big.bin", RandomBytes(size, 4), method)})), UZ_ABORTED);
    EXPECT_EQ(Recorded.back().Status, UZ_ABORTED);
    EXPECT_EQ(Recorded.back().Code, UZ_FATAL_REPORT);
    EXPECT_TRUE(Written().empty());
  }
}

TEST_F(TWalkTest, EarlyRefusalsSendNoReport) {
  std::string notArchive = Scratch / "plain.txt";
  WriteFile(notArchive, TextBytes(5000, 1));
  EXPECT_EQ(Extract(notArchive), UZ_NOT_ARCHIVE);
  EXPECT_EQ(Unzip.GetUnpackedSize(), 5000);
  EXPECT_EQ(Unzip.GetPackedSize(), 5000);
  EXPECT_EQ(Extract(Scratch.Path()), UZ_NOT_ARCHIVE);  // a folder
  WriteFile(Scratch / "tiny.zip", BytesOf("PK\x03"));
  EXPECT_EQ(Extract(Scratch / "tiny.zip"), UZ_NOT_ARCHIVE);
  Unzip.SetTargetDirectory("");
  EXPECT_EQ(Unzip.ExtractFiles(), UZ_MISSING_ARGUMENT);
  // A local header and an end record at position 30, with no room for a directory before it.
  TBytes early(30 + 22, 0);
  for (size_t at : {size_t(0), size_t(30)}) early[at] = 'P', early[at + 1] = 'K';
  early[2] = 3, early[3] = 4, early[32] = 5, early[33] = 6;
  WriteFile(Scratch / "early.zip", early);
  EXPECT_EQ(Extract(Scratch / "early.zip"), UZ_NO_DIRECTORY);
  EXPECT_TRUE(Recorded.empty());
  TBriskUnzip lister(nullptr);
  lister.SetZipFileName(notArchive.c_str());
  EXPECT_EQ(lister.ListFiles(), UZ_MISSING_ARGUMENT);  // no handler
}

TEST_F(TWalkTest, ListFilesReportsStoredNames) {
  Unzip.SetZipFileName(Archive(ThreeMembers()).c_str());
  Unzip.SetReportHandler(RecordReport);
  Unzip.SetFilesToExtract("*.txt");
  EXPECT_EQ(Unzip.ListFiles(), 2);
  ASSERT_EQ(Recorded.size(), 3u);
  EXPECT_EQ(Recorded[0].FileName, "a.txt");
  EXPECT_EQ(Recorded[1].FileName, "docs\\b.txt");
  EXPECT_EQ(Recorded[1].Code, 0);
  EXPECT_EQ(Recorded[1].Status, UZ_REPORT_PROGRESS);
  EXPECT_EQ(Recorded[2].Code, 2);
  EXPECT_TRUE(Written().empty());
  EXPECT_EQ(Unzip.GetUnpackedSize(), static_cast<int64_t>(kA.size() + kB.size()));
}

TEST_F(TWalkTest, ArchiveLayoutsAreFound) {
  struct TRow {
    const char* Name;
    TZipLayout Layout;
  } rows[] = {
      {"prefix with adjusted offsets", {TBytes(1000, 'x'), false, ""}},
      {"prefix with offsets from the archive's start", {TBytes(1000, 'x'), true, ""}},
      {"end record behind a 5,000-byte comment", {{}, false, std::string(5000, 'c')}},
      {"end record behind a 65,535-byte comment", {{}, false, std::string(65535, 'c')}},
      // Self-extractors: a stub longer than the search for a local header at the file's start.
      {"300,000-byte stub with adjusted offsets", {RandomBytes(300000, 7), false, ""}},
      {"300,000-byte stub with offsets from the archive's start", {RandomBytes(300000, 8), true, ""}},
      {"ZIP64 end record, locator and extra fields", {{}, false, "", true}},
      {"ZIP64 behind a 100,000-byte stub", {RandomBytes(100000, 9), true, "", true}},
  };
  for (const TRow& row : rows) {
    SCOPED_TRACE(row.Name);
    ClearReports();
    EXPECT_EQ(Extract(Archive(ThreeMembersAndBulk(), row.Layout)), 4);
    EXPECT_EQ(ReadFile(InTarget("a.txt")), kA);
  }
}

// An end record alone is an archive of no members, as for the other tools.
TEST_F(TWalkTest, EmptyArchiveHasNoMembers) {
  for (size_t prefix : {size_t(0), size_t(5000)}) {
    SCOPED_TRACE(prefix);
    ClearReports();
    EXPECT_EQ(Extract(Archive({}, {RandomBytes(prefix, 2), false, ""})), 0);
    EXPECT_EQ(StatusSequence(), (S{-1004, -1005}));
    Unzip.SetReportHandler(RecordReport);
    EXPECT_EQ(Unzip.ListFiles(), 0);
  }
  EXPECT_TRUE(Written().empty());
}

// Overlap bombs: directory entries whose data share bytes. unzip refuses them too
// ("overlapped components"); 7zz extracts them. Refused before anything is written.
TEST_F(TWalkTest, OverlappingMembersAreRefusedWhole) {
  const TBytes zeros(1 << 20, 0);
  std::vector<TZipMember> shared{MakeMember("0", zeros)};
  for (int i = 1; i < 64; ++i) {
    TZipMember alias = MakeMember(std::to_string(i), zeros);
    alias.WriteLocal = false;
    alias.CentralOffset = 0;
    shared.push_back(alias);
  }
  // A quoted overlap: the stored data of the first member is the whole local record of the
  // second, which the directory lists as well.
  TZipMember inner = MakeMember("inner", zeros);
  TBytes innerRecord = BuildZip({inner});
  innerRecord.resize(CentralDirectoryOffset(innerRecord));
  TZipMember outer = MakeMember("outer", innerRecord, 0);
  inner.WriteLocal = false;
  inner.CentralOffset = 30 + 5;  // the first member's data
  // A member whose directory entry claims data running into the directory itself.
  TZipMember intoDirectory = MakeMember("a.txt", kA, 0);
  intoDirectory.Packed = kA;
  TBytes intoZip = BuildZip({MakeMember("b.txt", kB), intoDirectory});
  size_t packedField = CentralDirectoryOffset(intoZip) + 46 + 5 + 20;
  intoZip[packedField] = static_cast<uint8_t>(kA.size() + 40);

  struct TRow {
    const char* Name;
    TBytes Zip;
  } rows[] = {{"64 entries on one local header", BuildZip(shared)},
              {"quoted overlap", BuildZip({outer, inner})},
              {"data running into the directory", intoZip}};
  for (const TRow& row : rows) {
    SCOPED_TRACE(row.Name);
    ClearReports();
    WriteFile(Scratch / "archive.zip", row.Zip);
    EXPECT_EQ(Extract(Scratch / "archive.zip"), UZ_OVERLAPPING_MEMBERS);
    EXPECT_EQ(Recorded.back().Code, UZ_FATAL_REPORT);
    EXPECT_EQ(Recorded.back().Status, UZ_OVERLAPPING_MEMBERS);
    EXPECT_LE(Written().size(), 1u);  // b.txt of the last row comes before the damage
    for (const std::string& file : Written()) EXPECT_EQ(file, "T/b.txt");
  }
}

// Real archives may overlap their neighbour by a byte or two: tolerated.
TEST_F(TWalkTest, TinyOverlapIsTolerated) {
  TZipMember first = MakeMember("a.txt", kA);
  first.Packed = DeflateFixed(kA);
  first.Packed->push_back(0);
  first.Packed->push_back(0);
  TBytes zip = BuildZip({first, MakeMember("b.txt", kB)});
  size_t packedField = CentralDirectoryOffset(zip) + 20;
  zip[packedField] = static_cast<uint8_t>(zip[packedField] + 2);  // reaches 2 bytes into b.txt's header
  WriteFile(Scratch / "archive.zip", zip);
  EXPECT_EQ(Extract(Scratch / "archive.zip"), 2);
}

// test decodes and checks every member and creates nothing at all.
TEST_F(TWalkTest, TestWritesNothing) {
  TZipMember altered = MakeMember("bad.txt", kA);
  altered.Crc32 = 0x12345678;
  std::string archive = Archive({MakeMember("docs/", {}, 0), MakeMember("docs/a.txt", kA), altered,
                                 MakeMember("big.bin", RandomBytes(300000, 5), 0)});
  Unzip.SetZipFileName(archive.c_str());
  Unzip.SetReportHandler(RecordReport);
  EXPECT_EQ(Unzip.TestFiles(), 3);
  EXPECT_EQ(ErrorCodes(), (S{UZ_CRC_MISMATCH}));
  EXPECT_EQ(Recorded[3].FileName, "docs\\a.txt");
  EXPECT_EQ(StatusSequence().back(), UZ_REPORT_ARCHIVE_END);
  EXPECT_TRUE(Written().empty());
  EXPECT_EQ(Scratch.Files(), (std::vector<std::string>{"archive.zip"}));
}

// Two archives concatenated: the directory found is the second's. With the setting on, the
// first archive's members come out too (after the listed ones); off, only the listed ones,
// as unzip and 7zz do. A name taken by a listed member is not replaced.
TEST_F(TWalkTest, HiddenMembersOfAConcatenatedArchive) {
  TZipMember hiddenDeferred = MakeMember("deferred.txt", TextBytes(3000, 4));
  hiddenDeferred.Flags = 8;
  TBytes first = BuildZip({MakeMember("payload.exe", kA), MakeMember("same.txt", kA), hiddenDeferred});
  TBytes second = BuildZip({MakeMember("readme.txt", kB), MakeMember("same.txt", kB)});
  TBytes both = first;
  both.insert(both.end(), second.begin(), second.end());
  WriteFile(Scratch / "archive.zip", both);

  EXPECT_EQ(Extract(Scratch / "archive.zip"), 2);
  EXPECT_EQ(Written(), (std::vector<std::string>{"T/readme.txt", "T/same.txt"}));
  EXPECT_EQ(List(Scratch / "archive.zip"), 2);

  QrxPlatform::RemoveTree(Target());
  ClearReports();
  Unzip.SetExtractHiddenMembers(true);
  EXPECT_EQ(Extract(Scratch / "archive.zip"), 5);
  EXPECT_EQ(Written(), (std::vector<std::string>{"T/deferred.txt", "T/payload.exe", "T/readme.txt", "T/same.txt",
                                                 "T/same.txt_2"}));
  EXPECT_EQ(ReadFile(InTarget("payload.exe")), kA);
  EXPECT_EQ(ReadFile(InTarget("same.txt")), kB);
  EXPECT_EQ(ReadFile(InTarget("same.txt_2")), kA);
  EXPECT_EQ(ReadFile(InTarget("deferred.txt")), hiddenDeferred.Content);
  EXPECT_EQ(StatusSequence().back(), UZ_REPORT_ARCHIVE_END);
  // The listing shows what the extraction takes, with the local headers' sizes.
  ClearReports();
  EXPECT_EQ(List(Scratch / "archive.zip"), 5);
  std::vector<std::pair<std::string, int64_t>> listed;
  for (const TRecordedReport& report : Recorded)
    if (report.Status == UZ_REPORT_PROGRESS) listed.emplace_back(report.FileName, report.UnpackedSize);
  const int64_t a = static_cast<int64_t>(kA.size()), b = static_cast<int64_t>(kB.size());
  EXPECT_EQ(listed, (std::vector<std::pair<std::string, int64_t>>{
                        {"readme.txt", b}, {"same.txt", b}, {"payload.exe", a}, {"same.txt", a}, {"deferred.txt", 3000}}));
}

// An empty end record put after an archive hides all of it from a walk of the directory.
TEST_F(TWalkTest, HiddenMembersBehindAnEmptyEndRecord) {
  TBytes zip = BuildZip({MakeMember("payload.exe", kA)});
  TBytes empty = BuildZip({});
  zip.insert(zip.end(), empty.begin(), empty.end());
  WriteFile(Scratch / "archive.zip", zip);
  EXPECT_EQ(Extract(Scratch / "archive.zip"), 0);
  Unzip.SetExtractHiddenMembers(true);
  EXPECT_EQ(Extract(Scratch / "archive.zip"), 1);
  EXPECT_EQ(Written(), (std::vector<std::string>{"T/payload.exe"}));
}

// An unlisted member is bounded by its own local header like a listed one by the directory.
TEST_F(TWalkTest, HiddenMembersAreBounded) {
  TZipMember liar = MakeMember("liar.bin", TBytes(200000, 0));
  TBytes first = BuildZip({liar});
  first[22] = 0xE8, first[23] = 0x03, first[24] = 0, first[25] = 0;  // local header: 1,000 bytes unpacked
  TBytes second = BuildZip({MakeMember("readme.txt", kB)});
  first.insert(first.end(), second.begin(), second.end());
  WriteFile(Scratch / "archive.zip", first);
  Unzip.SetExtractHiddenMembers(true);
  EXPECT_EQ(Extract(Scratch / "archive.zip"), 1);
  EXPECT_EQ(ErrorCodes(), (S{UZ_BAD_DATA}));
  int64_t written = 0;
  for (const TRecordedReport& report : Recorded)
    if (report.Status == UZ_REPORT_PROGRESS && report.FileName.find("liar") != std::string::npos) written += report.Code;
  EXPECT_LE(written, 1000);
  EXPECT_EQ(Written(), (std::vector<std::string>{"T/readme.txt"}));
}

TEST_F(TWalkTest, DamagedDirectoryEntryEndsTheWalkNormally) {
  TBytes zip = BuildZip(ThreeMembers());
  size_t second = CentralDirectoryOffset(zip) + 46 + 5;  // after the first entry and its name
  zip[second] = 'X';
  WriteFile(Scratch / "archive.zip", zip);
  EXPECT_EQ(Extract(Scratch / "archive.zip"), 1);
  EXPECT_EQ(StatusSequence(), (S{-1004, -1000, -1001, -1002, -1005}));
}

TEST_F(TWalkTest, NamesNeverLeaveTheTargetFolder) {
  const char* names[] = {"../up.txt", "..\\up2.txt", "C:\\drive.txt", "/root.txt", "a/../../deep.txt",
                         "x/. ./y.txt", ".../dots.txt", "CON", "d/nul.txt", "q?.txt"};
  std::vector<TZipMember> members;
  for (const char* name : names) members.push_back(MakeMember(name, BytesOf(name)));
  EXPECT_EQ(Extract(Archive(members)), static_cast<int32_t>(members.size()));
  std::vector<std::string> written = Written();
  EXPECT_EQ(written.size(), members.size());
  for (const std::string& file : written) EXPECT_EQ(file.rfind("T/", 0), 0u) << file;
  EXPECT_EQ(ReadFile(InTarget("up.txt")), BytesOf("../up.txt"));
  EXPECT_EQ(ReadFile(InTarget(std::string("a") + kSeparator + "deep.txt")), BytesOf("a/../../deep.txt"));
  EXPECT_EQ(ReadFile(InTarget("_CON")), BytesOf("CON"));
}

TEST_F(TWalkTest, OutputPathTooLongIsAMemberError) {
  std::string longName(250, 'n');
  EXPECT_EQ(Extract(Archive({MakeMember(longName, kA), MakeMember("a.txt", kA)})), 1);
  EXPECT_EQ(StatusSequence(), (S{-1004, -1000, -1003, -1000, -1001, -1002, -1005}));
  EXPECT_EQ(Recorded[2].Code, UZ_WRITE_ERROR);
  EXPECT_EQ(Written(), (std::vector<std::string>{"T/a.txt"}));
}

TEST_F(TWalkTest, RefusedSelectionSelectsNothing) {
  EXPECT_FALSE(Unzip.SetFilesToExtract(std::string(300, '*').c_str()));
  EXPECT_EQ(Extract(Archive(ThreeMembers())), 0);
  EXPECT_TRUE(Written().empty());
  EXPECT_TRUE(Unzip.SetFilesToExtract("*.*"));
  EXPECT_EQ(Extract(Archive(ThreeMembers())), 3);
}

// A folder entry whose folder cannot be made (a file stands in its way) is a member error.
TEST_F(TWalkTest, FolderThatCannotBeMadeIsNotDone) {
  ForceFolders(Target().c_str());
  WriteFile(InTarget("docs"), BytesOf("a file"));
  EXPECT_EQ(Extract(Archive({MakeMember("docs/", {}, 0), MakeMember("a.txt", kA)})), 1);
  EXPECT_EQ(ErrorCodes(), (S{UZ_WRITE_ERROR}));
}

TEST_F(TWalkTest, TextPropertiesRefuseWhatTheyCannotHold) {
  EXPECT_STREQ(Unzip.FilesToExtract(), "*.*");
  EXPECT_TRUE(Unzip.SetZipFileName(std::string(254, 'z').c_str()));
  EXPECT_EQ(std::string(Unzip.ZipFileName()), std::string(254, 'z'));
  EXPECT_FALSE(Unzip.SetZipFileName(std::string(255, 'z').c_str()));
  EXPECT_STREQ(Unzip.ZipFileName(), "");
}

TEST(Ratio, FollowsThePercentageRule) {
  struct TRow {
    int64_t Packed, Unpacked;
    int8_t Ratio;
  } rows[] = {{0, 0, 0}, {50, 100, 50}, {100, 100, 0}, {150, 100, -50}, {1, 3, 67},
              {30000000, 100000000, 70}, {-1, 100, 101}};
  for (const TRow& row : rows) EXPECT_EQ(UnzipRatio(row.Packed, row.Unpacked), row.Ratio) << row.Packed << "/" << row.Unpacked;
}

TEST(Component, OwnerDestroysOwnedComponents) {
  static int destroyed = 0;
  struct TCounted : TBriskUnzip {
    using TBriskUnzip::TBriskUnzip;
    ~TCounted() override { ++destroyed; }
  };
  auto* owner = new TComponent(nullptr);
  new TCounted(owner);
  new TCounted(owner);
  delete owner;
  EXPECT_EQ(destroyed, 2);
}

}  // namespace
