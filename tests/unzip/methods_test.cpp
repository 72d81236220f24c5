// The extractor over archives of the methods beyond deflate (Deflate64, bzip2, LZMA, Zstandard,
// XZ) and of both encryptions, made by the standard tools (tests/unzip/methods, regenerated
// and checked by make_fixtures.sh): every member's content against the manifest, the method
// and the encryption mark of the reports, and each member of those methods damaged three
// ways failing alone while the rest of its archive still extracts.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <optional>
#include <sstream>
#include <string>

#include "BriskUnzip.h"
#include "ZipFormat.h"
#include "testkit.h"

namespace {

using namespace UnzipTestKit;

std::string FixtureFolder() { return HostPath(QRX_UNZIP_METHODS); }

// One line of the fixtures' MANIFEST.tsv.
struct TFixture {
  std::string Archive;
  std::string Member;
  uint16_t Method;
  uint16_t Flags;
  int64_t Size;
  uint32_t Crc32;
  std::string Sha256;
};

std::vector<TFixture> ReadFixtures() {
  TBytes bytes = ReadFile(FixtureFolder() + kSeparator + "MANIFEST.tsv");
  std::istringstream lines(std::string(bytes.begin(), bytes.end()));
  std::string line;
  std::getline(lines, line);  // column names
  std::vector<TFixture> fixtures;
  while (std::getline(lines, line)) {
    std::vector<std::string> cells;
    std::istringstream fields(line);
    for (std::string cell; std::getline(fields, cell, '\t');) cells.push_back(cell);
    if (cells.size() < 7) continue;
    fixtures.push_back({cells[0], cells[1], static_cast<uint16_t>(std::stoi(cells[2])),
                        static_cast<uint16_t>(std::stoi(cells[3], nullptr, 16)), std::stoll(cells[4]),
                        static_cast<uint32_t>(std::stoul(cells[5], nullptr, 16)), cells[6]});
  }
  return fixtures;
}

std::map<std::string, std::vector<TFixture>> FixturesByArchive() {
  std::map<std::string, std::vector<TFixture>> byArchive;
  for (const TFixture& fixture : ReadFixtures()) byArchive[fixture.Archive].push_back(fixture);
  return byArchive;
}

std::string ArchivePath(const std::string& archive) { return FixtureFolder() + kSeparator + archive; }

// A member as its archive stores it, read here from the central directory and the local
// header by the format alone, so that damaged copies do not depend on the reader under test.
struct TStoredMember {
  std::string Name;
  uint16_t Flags;
  uint16_t Method;
  uint32_t Crc32;
  uint32_t UnpackedSize;
  TBytes Packed;
};

std::vector<TStoredMember> StoredMembers(const TBytes& zip) {
  size_t end = zip.size() - kEndRecordSize;
  while (end > 0 && Load32(&zip[end]) != kEndRecordSignature) --end;
  std::vector<TStoredMember> members;
  size_t entry = Load32(&zip[end + 16]);
  for (unsigned count = Load16(&zip[end + 10]); count > 0; --count) {
    const uint8_t* central = &zip[entry];
    const uint16_t nameLength = Load16(central + 28);
    const uint8_t* local = &zip[Load32(central + 42)];
    const uint8_t* data = local + kLocalHeaderSize + Load16(local + 26) + Load16(local + 28);
    members.push_back({std::string(reinterpret_cast<const char*>(central + kCentralEntrySize), nameLength),
                       Load16(central + 8), Load16(central + 10), Load32(central + 16), Load32(central + 24),
                       TBytes(data, data + Load32(central + 20))});
    entry += kCentralEntrySize + nameLength + Load16(central + 30) + Load16(central + 32);
  }
  return members;
}

bool IsEncrypted(const TStoredMember& member) { return (member.Flags & kFlagEncrypted) != 0; }

// The member errors an intact archive gives: UZ_ENCRYPTED for each encrypted member.
std::map<std::string, int32_t> EncryptedMembers(const std::vector<TStoredMember>& stored) {
  std::map<std::string, int32_t> encrypted;
  for (const TStoredMember& member : stored)
    if (IsEncrypted(member)) encrypted[member.Name] = UZ_ENCRYPTED;
  return encrypted;
}

// ---- Reports ----

struct TSeen {
  int32_t Code;
  int32_t Status;
  std::string Name;
  uint16_t Method;
  bool IsEncrypted;
};
std::vector<TSeen> Seen;

// The reports of an extraction name the output path, those of the list the stored name; the
// members here all sit at the archive's root, so the last part of either is the member's name.
void See(int32_t code, TUnzipReport* report) {
  const std::string path = report->FileName;
  const std::string name = path.substr(path.find_last_of("\\/") + 1);
  Seen.push_back({code, report->Status, name, report->Method, report->IsEncrypted});
}

std::vector<TSeen> SeenWith(int32_t status) {
  std::vector<TSeen> reports;
  for (const TSeen& seen : Seen)
    if (seen.Status == status) reports.push_back(seen);
  return reports;
}

// The failure code of each member error, by member name.
std::map<std::string, int32_t> MemberErrors() {
  std::map<std::string, int32_t> errors;
  for (const TSeen& seen : SeenWith(UZ_REPORT_MEMBER_ERROR)) errors[seen.Name] = seen.Code;
  return errors;
}

int32_t Extract(const std::string& archive, const std::string& target) {
  Seen.clear();
  TBriskUnzip unzip(nullptr);
  unzip.SetZipFileName(archive.c_str());
  unzip.SetTargetDirectory(target.c_str());
  unzip.SetReportHandler(See);
  return unzip.ExtractFiles();
}

// Decodes and checks every member, writing nothing: the CRC vouches for each content.
int32_t TestArchive(const std::string& archive) {
  Seen.clear();
  TBriskUnzip unzip(nullptr);
  unzip.SetZipFileName(archive.c_str());
  unzip.SetReportHandler(See);
  return unzip.TestFiles();
}

// Every member but the failing ones and the encrypted ones is in target with its manifest
// content; those are not there.
void ExpectContents(const std::string& target, const std::vector<TFixture>& fixtures,
                    const std::vector<TStoredMember>& stored, const std::map<std::string, int32_t>& failing) {
  for (size_t i = 0; i < fixtures.size(); ++i) {
    SCOPED_TRACE(fixtures[i].Member);
    const std::string output = target + kSeparator + fixtures[i].Member;
    if (failing.count(fixtures[i].Member) || IsEncrypted(stored[i])) {
      EXPECT_FALSE(PathExists(output)) << "a failed member left output";
      continue;
    }
    ASSERT_TRUE(PathExists(output));
    TBytes content = ReadFile(output);
    EXPECT_EQ(static_cast<int64_t>(content.size()), fixtures[i].Size);
    EXPECT_EQ(Sha256Hex(content), fixtures[i].Sha256);
  }
}

class TMethodsTest : public ::testing::Test {
protected:
  void SetUp() override {
    Fixtures = FixturesByArchive();
    ASSERT_FALSE(Fixtures.empty()) << "fixtures missing at " << FixtureFolder();
  }
  // The archive's members as stored, checked against its manifest lines.
  std::vector<TStoredMember> Stored(const std::string& archive) {
    std::vector<TStoredMember> stored = StoredMembers(ReadFile(ArchivePath(archive)));
    const std::vector<TFixture>& fixtures = Fixtures[archive];
    EXPECT_EQ(stored.size(), fixtures.size());
    for (size_t i = 0; i < stored.size() && i < fixtures.size(); ++i) {
      EXPECT_EQ(stored[i].Name, fixtures[i].Member);
      EXPECT_EQ(stored[i].Flags, fixtures[i].Flags);
    }
    return stored;
  }

  std::map<std::string, std::vector<TFixture>> Fixtures;
};

// ---- Whole archives ----

TEST_F(TMethodsTest, EveryMemberExtractsAsTheToolsDecodeIt) {
  for (const auto& [archive, fixtures] : Fixtures) {
    SCOPED_TRACE(archive);
    std::vector<TStoredMember> stored = Stored(archive);
    const std::map<std::string, int32_t> encrypted = EncryptedMembers(stored);
    TTempFolder folder;
    const std::string target = folder / "target";
    EXPECT_EQ(Extract(ArchivePath(archive), target), static_cast<int32_t>(stored.size() - encrypted.size()));
    EXPECT_EQ(MemberErrors(), encrypted);
    ExpectContents(target, fixtures, stored, {});
  }
}

TEST_F(TMethodsTest, EveryMemberPassesTheTest) {
  for (const auto& [archive, fixtures] : Fixtures) {
    SCOPED_TRACE(archive);
    std::vector<TStoredMember> stored = Stored(archive);
    const std::map<std::string, int32_t> encrypted = EncryptedMembers(stored);
    EXPECT_EQ(TestArchive(ArchivePath(archive)), static_cast<int32_t>(stored.size() - encrypted.size()));
    EXPECT_EQ(MemberErrors(), encrypted);
  }
}

const char* ExpectedName(uint16_t method) {
  static const std::map<uint16_t, const char*> names = {
      {0, "stored"},  {6, "imploded"}, {8, "deflated"}, {9, "deflate64"}, {12, "bzip2"},
      {14, "lzma"},   {93, "zstd"},    {95, "xz"},      {99, "aes"}};
  return names.at(method);
}

// The list and each member's start report name the method of the directory and mark the
// encrypted members (ZipCrypto and AES alike).
TEST_F(TMethodsTest, ReportsCarryMethodAndEncryption) {
  for (const auto& [archive, fixtures] : Fixtures) {
    SCOPED_TRACE(archive);
    std::vector<TStoredMember> stored = Stored(archive);
    Seen.clear();
    TBriskUnzip unzip(nullptr);
    unzip.SetZipFileName(ArchivePath(archive).c_str());
    unzip.SetReportHandler(See);
    ASSERT_EQ(unzip.ListFiles(), static_cast<int32_t>(stored.size()));
    std::vector<TSeen> listed = SeenWith(UZ_REPORT_PROGRESS);
    TestArchive(ArchivePath(archive));
    std::vector<TSeen> started = SeenWith(UZ_REPORT_MEMBER_START);
    ASSERT_EQ(listed.size(), stored.size());
    ASSERT_EQ(started.size(), stored.size());
    for (size_t i = 0; i < stored.size(); ++i) {
      SCOPED_TRACE(stored[i].Name);
      for (const TSeen& report : {listed[i], started[i]}) {
        EXPECT_EQ(report.Name, stored[i].Name);
        EXPECT_EQ(report.Method, fixtures[i].Method);
        EXPECT_EQ(report.IsEncrypted, IsEncrypted(stored[i]));
      }
      EXPECT_STREQ(MethodName(fixtures[i].Method), ExpectedName(fixtures[i].Method));
    }
  }
}

// ---- Damaged members ----

bool IsNewMethod(uint16_t method) {
  return method == kMethodDeflate64 || method == kMethodBzip2 || method == kMethodLzma || method == kMethodZstd ||
         method == kMethodXz;
}

enum class TDamage { CutShort, FlippedBit, WrongCrc };

// The member rebuilt from its stored form, damaged or not.
TZipMember Rebuilt(const TStoredMember& stored, std::optional<TDamage> damage) {
  TZipMember member;
  member.Name = stored.Name;
  member.Method = stored.Method;
  member.Flags = stored.Flags;
  member.Crc32 = stored.Crc32;
  member.UnpackedSize = stored.UnpackedSize;
  member.Packed = stored.Packed;
  if (damage == TDamage::CutShort) member.Packed->resize(stored.Packed.size() / 2);
  // The high bit of the middle byte: not every bit of a stream matters (the length of a code
  // never used, say), and this one changes what 7zz decodes from every fixture.
  if (damage == TDamage::FlippedBit) (*member.Packed)[(stored.Packed.size() + 1) / 2] ^= 0x80;
  if (damage == TDamage::WrongCrc) member.Crc32 = ~stored.Crc32;
  return member;
}

struct TDamageCase {
  const char* Name;
  TDamage Damage;
  std::vector<int32_t> Results;  // the failure codes the damaged member may end with
};

void PrintTo(const TDamageCase& damage, std::ostream* out) { *out << damage.Name; }

class TDamagedMemberTest : public TMethodsTest, public ::testing::WithParamInterface<TDamageCase> {};

// Each member of the methods above, in every archive that has one, damaged in a copy of its
// archive: it alone fails, with a member error; every other member still decodes with its
// CRC (tested, not extracted: the extraction of the same members is checked above).
TEST_P(TDamagedMemberTest, FailsAloneAndTheRestExtracts) {
  const TDamageCase& damage = GetParam();
  for (const auto& [archive, fixtures] : Fixtures) {
    std::vector<TStoredMember> stored = Stored(archive);
    for (size_t victim = 0; victim < stored.size(); ++victim) {
      if (!IsNewMethod(stored[victim].Method) || IsEncrypted(stored[victim])) continue;
      SCOPED_TRACE(archive + " : " + stored[victim].Name);
      std::vector<TZipMember> members;
      for (size_t i = 0; i < stored.size(); ++i)
        members.push_back(Rebuilt(stored[i], i == victim ? std::optional(damage.Damage) : std::nullopt));
      TTempFolder folder;
      const std::string copy = folder / "damaged.zip";
      ASSERT_TRUE(WriteFile(copy, BuildZip(members)));
      EXPECT_EQ(TestArchive(copy), static_cast<int32_t>(stored.size() - 1));
      std::map<std::string, int32_t> errors = MemberErrors();
      ASSERT_EQ(errors.size(), 1u);
      EXPECT_EQ(errors.begin()->first, stored[victim].Name);
      const int32_t code = errors.begin()->second;
      EXPECT_TRUE(std::find(damage.Results.begin(), damage.Results.end(), code) != damage.Results.end())
          << "member error " << code;
    }
  }
}

// A member cut short is followed by the next one's header, which its decoder may read on into
// (as it reads past an understated packed size): bad data as much as data cut short.
INSTANTIATE_TEST_SUITE_P(
    Damage, TDamagedMemberTest,
    ::testing::Values(TDamageCase{"packed_data_cut_in_half", TDamage::CutShort, {UZ_READ_ERROR, UZ_BAD_DATA}},
                      TDamageCase{"bit_flipped_mid_data", TDamage::FlippedBit,
                                  {UZ_BAD_DATA, UZ_CRC_MISMATCH, UZ_READ_ERROR}},
                      TDamageCase{"wrong_crc_in_both_headers", TDamage::WrongCrc, {UZ_CRC_MISMATCH}}),
    [](const ::testing::TestParamInfo<TDamageCase>& param) { return std::string(param.param.Name); });

}  // namespace
