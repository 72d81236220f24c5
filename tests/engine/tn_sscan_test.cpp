// initscan and scanfile as the program calls them, on real files.
#include "tn_sscan.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "engine_test_support.h"

namespace qrx::engine {
namespace {

using test::kEicar;
using test::Sig;
using test::TempDir;

TScanFileResult preparedResult() {
  TScanFileResult r;
  std::memset(&r, 0x5A, sizeof r);
  return r;
}

std::string foundName(const TScanFileResult& r) { return r.FoundName.Str(); }

// Declared first: gtest runs a file's tests in order, and nothing has called initscan yet.
TEST(TnSscan, ScanBeforeInitscanIsNotScanned) {
  TempDir dir;
  const std::string file = dir.write("a.bin", test::bytes("hello"));
  TScanFileResult r = preparedResult();
  EXPECT_EQ(scanfile(file.c_str(), &r), TN_SCAN_NOT_INITIALISED);
}

TEST(TnSscan, FindsEicarAndLeavesCleanFilesClean) {
  const auto table = test::makeTable({{"Other", "DEADBEEF"}, {"EICAR-Test-File", test::hexOf(kEicar)}});
  ASSERT_EQ(initscan(table.data(), 2), TN_INIT_OK);
  TempDir dir;
  TScanFileResult r = preparedResult();
  EXPECT_EQ(scanfile(dir.write("eicar.com", test::bytes(kEicar)).c_str(), &r), TN_SCAN_INFECTED);
  EXPECT_EQ(r.Found, 1);
  EXPECT_EQ(foundName(r), "EICAR-Test-File");

  std::string damaged(kEicar);
  damaged[30] = 'x';
  for (const std::string& content : {std::string(), std::string("clean text\n"), damaged}) {
    r = preparedResult();
    EXPECT_EQ(scanfile(dir.write("clean.txt", test::bytes(content)).c_str(), &r), TN_SCAN_CLEAN) << content;
    EXPECT_EQ(r.Found, 0);
    EXPECT_EQ(r.FoundName.Length, 0);
  }
}

TEST(TnSscan, TableIsCopiedAndCanBeReplaced) {
  auto table = test::makeTable({{"First", "41424344"}});
  ASSERT_EQ(initscan(table.data(), 1), TN_INIT_OK);
  std::fill(table.begin(), table.end(), TSignatureEntry{});  // the engine keeps no pointer into it
  TempDir dir;
  const std::string file = dir.write("f.bin", test::bytes("..ABCD.."));
  TScanFileResult r = preparedResult();
  EXPECT_EQ(scanfile(file.c_str(), &r), TN_SCAN_INFECTED);
  EXPECT_EQ(foundName(r), "First");

  const auto other = test::makeTable({{"Second", "5A5A5A5A"}});
  ASSERT_EQ(initscan(other.data(), 1), TN_INIT_OK);
  EXPECT_EQ(scanfile(file.c_str(), &r), TN_SCAN_CLEAN);
}

TEST(TnSscan, BadTablesAndArguments) {
  TempDir dir;
  const std::string file = dir.write("f.bin", test::bytes("ABCD"));
  TScanFileResult r = preparedResult();

  ASSERT_EQ(initscan(nullptr, 0), TN_INIT_OK);  // an empty set: everything is clean
  EXPECT_EQ(scanfile(file.c_str(), &r), TN_SCAN_CLEAN);

  EXPECT_EQ(initscan(nullptr, 3), TN_INIT_BAD_ARGUMENT);
  EXPECT_EQ(scanfile(file.c_str(), &r), TN_SCAN_NOT_INITIALISED);  // a failed initscan leaves none
  const auto table = test::makeTable({{"A", "41424344"}});
  EXPECT_EQ(initscan(table.data(), -1), TN_INIT_BAD_ARGUMENT);
  EXPECT_EQ(scanfile(file.c_str(), &r), TN_SCAN_NOT_INITIALISED);

  ASSERT_EQ(initscan(table.data(), 1), TN_INIT_OK);
  EXPECT_EQ(scanfile(nullptr, &r), TN_SCAN_BAD_ARGUMENT);
  EXPECT_EQ(scanfile("", &r), TN_SCAN_BAD_ARGUMENT);
  EXPECT_EQ(scanfile(file.c_str(), nullptr), TN_SCAN_BAD_ARGUMENT);
  EXPECT_EQ(scanfile((dir.path() + "/missing.bin").c_str(), &r), TN_SCAN_CANNOT_OPEN);
  EXPECT_EQ(scanfile(dir.path().c_str(), &r), TN_SCAN_CANNOT_OPEN);  // a folder
}

// scanfileutf8 keeps scanfile's contract and reaches any name; natively both take the bytes.
TEST(TnSscan, Utf8EntryPointReachesEveryName) {
  const auto table = test::makeTable({{"EICAR-Test-File", test::hexOf(kEicar)}});
  ASSERT_EQ(initscan(table.data(), 1), TN_INIT_OK);
  TempDir dir;
  TScanFileResult r = preparedResult();
  EXPECT_EQ(scanfileutf8(nullptr, &r), TN_SCAN_BAD_ARGUMENT);
  EXPECT_EQ(scanfileutf8("", &r), TN_SCAN_BAD_ARGUMENT);
  EXPECT_EQ(scanfileutf8(dir.path().c_str(), &r), TN_SCAN_CANNOT_OPEN);
  for (const test::NamedFile& file : test::filesNamedInAnyScript()) {
    SCOPED_TRACE(file.label);
    const std::string path = dir.write(file.path, test::bytes(kEicar));
    r = preparedResult();
    EXPECT_EQ(scanfileutf8(path.c_str(), &r), TN_SCAN_INFECTED) << path;
    EXPECT_EQ(foundName(r), "EICAR-Test-File");
  }
}

// Garbage everywhere, every length byte at its maximum: nothing is read past a field, the
// unusable signatures are skipped and the usable ones still work.
TEST(TnSscan, GarbageRecordsAreSkipped) {
  std::vector<TSignatureEntry> table(4);
  auto* bytes = reinterpret_cast<std::uint8_t*>(table.data());
  for (std::size_t i = 0; i < table.size() * sizeof(TSignatureEntry); ++i) bytes[i] = static_cast<std::uint8_t>(i * 131 + 7);
  for (TSignatureEntry& entry : table) {
    entry.Name.Length = 255;     // beyond 64
    entry.Pattern.Length = 255;  // beyond 254
  }
  const std::string longName(64, 'N');
  const std::string longPattern = std::string(250, 'C') + "4142";  // 254 characters, last piece "...CCAB"
  table[2] = MakeSignatureEntry(longName, longPattern);
  table[2].Name.Length = 200;  // a too-long name length is cut to the 64 characters
  ASSERT_EQ(initscan(table.data(), 4), TN_INIT_OK);

  TempDir dir;
  std::vector<std::uint8_t> content(125, 0xCC);
  content.push_back('A');
  content.push_back('B');
  TScanFileResult r = preparedResult();
  EXPECT_EQ(scanfile(dir.write("f.bin", content).c_str(), &r), TN_SCAN_INFECTED);
  EXPECT_EQ(foundName(r), longName);
  content.erase(content.begin());  // one 0xCC short of the 125 the pattern wants
  EXPECT_EQ(scanfile(dir.write("g.bin", content).c_str(), &r), TN_SCAN_CLEAN);
}

}  // namespace
}  // namespace qrx::engine
