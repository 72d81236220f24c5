// Where an infected file may sit in a ZIP archive, and what the walk makes of it: found, and
// reported against the archive on disk, or counted as not fully scanned, or both. Each archive
// lies alone in a fresh folder and goes through the real extractor and the real engine.
#include <gtest/gtest.h>

#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <filesystem>
#include <functional>
#include <memory>

#include "matcher.h"
#include "qrx_virus_walk.h"
#include "FileSystem.h"
#include "TempFolder.h"
#include "virus_testkit.h"

namespace {

using namespace VirusTestKit;
using QrxPlatform::kSeparator;
using UnzipTestKit::TextBytes;
using UnzipTestKit::TTempFolder;
namespace fs = std::filesystem;

TBytes CleanText(std::uint32_t seed) { return TextBytes(3000, seed); }

// "d/x" and "d\x" are one name to a reader that turns one separator into the other.
bool SameMemberName(std::string a, std::string b) {
  std::replace(a.begin(), a.end(), '\\', '/');
  std::replace(b.begin(), b.end(), '\\', '/');
  return a == b;
}

std::uint64_t BytesUnder(const std::string& folder) {
  std::uint64_t bytes = 0;
  std::error_code error;
  for (auto it = fs::recursive_directory_iterator(fs::path(folder), error); !error && it != fs::end(it);
       it.increment(error)) {
    std::error_code sizeError;
    if (it->is_regular_file(sizeError)) bytes += it->file_size(sizeError);
  }
  return bytes;
}

std::vector<std::string> EntriesOf(const std::string& folder) {
  std::vector<std::string> names;
  std::error_code error;
  for (auto it = fs::directory_iterator(fs::path(folder), error); !error && it != fs::end(it); it.increment(error)) {
    names.push_back(it->path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

struct TNotFullyScanned {
  std::string Path, Reason;
};

class ArchiveWalkTest : public testing::Test {
 protected:
  ArchiveWalkTest() {
    const std::vector<TSignatureEntry> table = EicarSignatureTable();
    Engine = qrx::engine::Matcher::fromTable(table.data(), 1);
    Options.TempFolder = Temp.Path();
  }

  std::string Path(const std::string& relative) const {
    std::string path = Root / relative;
    std::replace(path.begin(), path.end(), '/', kSeparator);
    return path;
  }
  void Plant(const std::string& relative, const TBytes& bytes) {
    fs::create_directories(fs::path(Path(relative)).parent_path());
    ASSERT_TRUE(UnzipTestKit::WriteFile(Path(relative), bytes)) << relative;
  }

  TVirusScanHooks Hooks() {
    TVirusScanHooks hooks;
    hooks.StopRequested = [] { return false; };
    hooks.ShowStatus = [](const std::string&) {};
    hooks.ScanFile = [this](const std::string& path, TVirusInfo& info) { return ScanWithEngine(path, info); };
    hooks.ReportInfection = [this](const TVirusFind& find) { Finds.push_back(find); };
    hooks.NotFullyScanned = [this](const std::string& path, const std::string& reason) {
      Incomplete.push_back({path, reason});
    };
    return hooks;
  }

  bool ScanWithEngine(const std::string& path, TVirusInfo& info) {
    PeakTempBytes = std::max(PeakTempBytes, BytesUnder(Options.TempFolder));
    if (path.rfind(Options.TempFolder, 0) == 0) ++MembersScanned;
    if (OnScanFile) OnScanFile(path);
    const qrx::engine::ScanResult result = Engine->scanFile(path.c_str());
    if (result.status != qrx::engine::ScanStatus::Clean && result.status != qrx::engine::ScanStatus::Infected)
      return false;
    info.Infected = result.status == qrx::engine::ScanStatus::Infected;
    info.VirusName = info.Infected ? std::string(Engine->name(result.slot)) : std::string();
    return true;
  }

  // Runs `scan` on a walk and keeps its counts.
  void Run(const std::function<void(TVirusWalk&)>& scan) {
    TVirusWalk walk(Hooks(), Options);
    scan(walk);
    ThreatsFound = walk.ThreatsFound();
    NotFullyScanned = walk.NotFullyScanned();
  }
  void Walk() {
    Run([this](TVirusWalk& walk) { walk.WalkFolder(Root.Path()); });
  }

  std::vector<std::string> FoundMembers() const {
    std::vector<std::string> names;
    for (const TVirusFind& find : Finds) names.push_back(find.MemberName);
    return names;
  }
  bool FoundInOneOf(const std::vector<std::string>& members) const {
    return std::any_of(Finds.begin(), Finds.end(), [&](const TVirusFind& find) {
      return std::any_of(members.begin(), members.end(),
                         [&](const std::string& member) { return SameMemberName(find.MemberName, member); });
    });
  }
  // Every find is the EICAR file, reported against `objectPath`, and counted.
  void ExpectFindsAgainst(const std::string& objectPath) const {
    EXPECT_EQ(ThreatsFound, static_cast<int>(Finds.size()));
    for (const TVirusFind& find : Finds) {
      EXPECT_EQ(objectPath, find.ObjectPath);
      EXPECT_EQ(kEicarSignatureName, find.VirusName);
      EXPECT_FALSE(find.Removed);
    }
  }
  std::string Reasons() const {
    std::string text;
    for (const TNotFullyScanned& report : Incomplete) text += "\n  " + report.Path + ": " + report.Reason;
    return text;
  }
  // The hook hears of what was counted, with a reason.
  void ExpectCountedAs(const std::vector<std::string>& paths) const {
    EXPECT_EQ(static_cast<int>(Incomplete.size()), NotFullyScanned);
    std::vector<std::string> reported;
    for (const TNotFullyScanned& report : Incomplete) {
      EXPECT_FALSE(report.Reason.empty()) << report.Path;
      reported.push_back(report.Path);
    }
    EXPECT_EQ(paths, reported);
  }

  TTempFolder Root;
  TTempFolder Temp;
  std::unique_ptr<qrx::engine::Matcher> Engine;
  TVirusScanOptions Options;
  std::function<void(const std::string&)> OnScanFile;
  std::vector<TVirusFind> Finds;
  std::vector<TNotFullyScanned> Incomplete;
  int ThreatsFound = 0;
  int NotFullyScanned = 0;
  std::uint64_t PeakTempBytes = 0;
  int MembersScanned = 0;  // files the engine was given from the temporary folder
};

// ---- One placement per archive ----

// Where the scan may unpack: the folder for temporary files, or one it cannot use.
enum class TScratch { Usable, Missing, AFile };

struct TPlacement {
  const char* Name;
  TBytes (*Archive)();
  // A find names one of these members ("" for the archive's own bytes); none: nothing is found.
  std::vector<std::string> FoundIn;
  int NotFullyScanned;
  TArchiveLimits Limits = {};
  TScratch Scratch = TScratch::Usable;
  bool LongArchivePath = false;
};
void PrintTo(const TPlacement& placement, std::ostream* os) { *os << placement.Name; }

TZipMember StoredPayload(const std::string& name) { return StoredMember(name, PaddedEicar()); }

TBytes PaddedEicarDeclaring(std::uint32_t size) {
  TBytes archive = Zip({DeflatedPayload("eicar.txt")});
  DeclareUnpackedSize(archive, 0, size);
  return archive;
}

const std::string kLongName = std::string(236, 'n') + ".txt";  // 240 characters

std::string NameManyFoldersDeep(std::size_t depth) {
  std::string name;
  while (name.size() < depth) name += "folder" + std::to_string(name.size()) + "/";
  return name + "eicar.txt";
}
const std::string kDeepName = NameManyFoldersDeep(270);

// Small bounds keep the fixtures small.
constexpr TArchiveLimits kDepth3{.MaxDepth = 3};
constexpr TArchiveLimits kMembers3{.MaxMembers = 3};
const std::uint64_t kPayloadSize = PaddedEicar().size();

const TPlacement kPlacements[] = {
    {"same name twice payload first",
     [] { return Zip({DeflatedPayload("eicar.txt"), DeflatedMember("eicar.txt", CleanText(1))}); }, {"eicar.txt"}, 0},
    {"same name twice payload second",
     [] { return Zip({DeflatedMember("eicar.txt", CleanText(1)), DeflatedPayload("eicar.txt")}); }, {"eicar.txt"}, 0},
    {"name then the name with a final dot",
     [] { return Zip({DeflatedPayload("readme.txt"), DeflatedMember("readme.txt.", CleanText(2))}); },
     {"readme.txt"}, 0},
    {"name with a final dot then the name",
     [] { return Zip({DeflatedMember("readme.txt", CleanText(2)), DeflatedPayload("readme.txt.")}); },
     {"readme.txt."}, 0},
    {"slash then backslash",
     [] { return Zip({DeflatedPayload("d/x"), DeflatedMember("d\\x", CleanText(3))}); }, {"d/x"}, 0},
    {"backslash then slash",
     [] { return Zip({DeflatedMember("d\\x", CleanText(3)), DeflatedPayload("d/x")}); }, {"d/x"}, 0},
    {"file then a folder of its name",
     [] { return Zip({DeflatedMember("x", CleanText(4)), DeflatedPayload("x/eicar.txt")}); }, {"x/eicar.txt"}, 0},
    {"dot folder", [] { return Zip({DeflatedPayload(".hidden/eicar.txt")}); }, {".hidden/eicar.txt"}, 0},
    {"two dot folder", [] { return Zip({DeflatedPayload("..x/eicar.txt")}); }, {"..x/eicar.txt"}, 0},
    {"parent folder", [] { return Zip({DeflatedPayload("../eicar.txt")}); }, {"../eicar.txt"}, 0},
    {"absolute name", [] { return Zip({DeflatedPayload("/eicar.txt")}); }, {"/eicar.txt"}, 0},
    {"name of 240 characters", [] { return Zip({DeflatedPayload(kLongName)}); }, {kLongName}, 0},
    {"270 characters deep", [] { return Zip({DeflatedPayload(kDeepName)}); }, {kDeepName}, 0},
    {"archive path longer than 254 characters", [] { return Zip({DeflatedPayload("eicar.txt")}); },
     {"eicar.txt"}, 0, {}, TScratch::Usable, true},
    {"archive in a member of a neutral name",
     [] { return Zip({StoredMember("data.bin", Zip({DeflatedPayload("eicar.txt")}))}); }, {"eicar.txt"}, 0},
    {"no archive under a zip name", [] { return Zip({DeflatedPayload("fake.zip")}); }, {"fake.zip"}, 0},
    {"overlapping pair before the payload",
     [] {
       const TZipMember first = DeflatedMember("a.txt", CleanText(5));
       TZipMember again = first;  // a second directory entry for the same local header
       again.WriteLocal = false;
       again.CentralOffset = 0;
       return Zip({first, again, DeflatedPayload("eicar.txt")});
     },
     {"eicar.txt"}, 1},
    {"central offset wrong by 7 before the payload",
     [] {
       TZipMember misplaced = DeflatedMember("a.txt", CleanText(6));
       misplaced.CentralOffset = 7;  // it is the first member, at 0
       return Zip({misplaced, DeflatedPayload("eicar.txt")});
     },
     {"eicar.txt"}, 1},
    {"stored plainly in a member flagged encrypted", [] { return Zip({PlainlyEncryptedPayload("eicar.txt")}); },
     {""}, 1},
    {"stored under an unknown method",
     [] {
       TZipMember member = StoredPayload("eicar.txt");
       member.Method = 99;
       return Zip({member});
     },
     {""}, 1},
    {"Deflate64 member", [] { return MethodFixture("deflate64-7zz.zip"); }, {"eicar.com"}, 0},
    {"bzip2 member", [] { return MethodFixture("bzip2-zip.zip"); }, {"eicar.com"}, 0},
    {"LZMA member with an end marker", [] { return MethodFixture("lzma-python.zip"); }, {"eicar.com"}, 0},
    {"LZMA member without an end marker", [] { return MethodFixture("lzma-7zz-noeos.zip"); }, {"eicar.com"}, 0},
    {"Zstandard member", [] { return MethodFixture("zstd-raw.zip"); }, {"eicar-text.com"}, 0},
    {"XZ member", [] { return MethodFixture("xz-raw.zip"); }, {"eicar.com"}, 0},
    {"traditionally encrypted member", [] { return MethodFixture("zipcrypto-zip.zip"); }, {}, 1},
    {"AES-encrypted member", [] { return MethodFixture("aes-7zz.zip"); }, {}, 1},
    {"nested as deep as the bound", [] { return NestedZip(3, {DeflatedPayload("eicar.txt")}); },
     {"eicar.txt"}, 0, kDepth3},
    {"nested deeper than the bound", [] { return NestedZip(4, {DeflatedPayload("eicar.txt")}); }, {}, 1, kDepth3},
    {"stored nested deeper than the bound", [] { return NestedZip(4, {StoredPayload("eicar.txt")}); },
     {"level.zip", ""}, 1, kDepth3},
    {"16 levels by default", [] { return NestedZip(16, {DeflatedPayload("eicar.txt")}); }, {"eicar.txt"}, 0},
    {"17 levels by default", [] { return NestedZip(17, {DeflatedPayload("eicar.txt")}); }, {}, 1},
    {"as large as the unpacked bound", [] { return Zip({DeflatedPayload("eicar.txt")}); }, {"eicar.txt"}, 0,
     {.MaxUnpackedBytes = kPayloadSize}},
    {"over the unpacked bound", [] { return Zip({DeflatedPayload("eicar.txt")}); }, {}, 1,
     {.MaxUnpackedBytes = kPayloadSize - 1}},
    {"the last member within the bound",
     [] {
       return Zip({DeflatedMember("a", CleanText(7)), DeflatedMember("b", CleanText(8)), DeflatedPayload("eicar.txt")});
     },
     {"eicar.txt"}, 0, kMembers3},
    {"the member past the bound",
     [] {
       return Zip({DeflatedMember("a", CleanText(7)), DeflatedMember("b", CleanText(8)),
                   DeflatedMember("c", CleanText(9)), DeflatedPayload("eicar.txt")});
     },
     {}, 1, kMembers3},
    {"stored with no temporary folder", [] { return Zip({StoredPayload("eicar.txt")}); }, {""}, 1, {},
     TScratch::Missing},
    {"deflated with no temporary folder", [] { return Zip({DeflatedPayload("eicar.txt")}); }, {}, 1, {},
     TScratch::Missing},
    {"stored with a file for temporary folder", [] { return Zip({StoredPayload("eicar.txt")}); }, {""}, 1, {},
     TScratch::AFile},
    {"deflated with a file for temporary folder", [] { return Zip({DeflatedPayload("eicar.txt")}); }, {}, 1, {},
     TScratch::AFile},
    {"wrong CRC", [] { return Zip({CrcDamagedPayload("eicar.txt")}); }, {"eicar.txt"}, 1},
    {"deflate stream cut short after the payload",
     [] {
       TZipMember member = DeflatedPayload("eicar.txt");
       member.Packed = DeflatedEicarCutShort();
       return Zip({member});
     },
     {"eicar.txt"}, 1},
    {"archive cut short after the payload",
     [] {
       TBytes archive = Zip({DeflatedPayload("eicar.txt")});
       archive.resize(30 + std::string("eicar.txt").size() + DeflatedEicarCutShort().size());
       return archive;
     },
     {"eicar.txt"}, 1},
    {"declared size smaller than decoded", [] { return PaddedEicarDeclaring(10000); }, {"eicar.txt"}, 1},
    {"declared size larger than decoded", [] { return PaddedEicarDeclaring(30000); }, {"eicar.txt"}, 1},
    {"clean archive with folders",
     [] {
       return Zip({StoredMember("docs/", {}), DeflatedMember("docs/readme.txt", CleanText(10)),
                   StoredMember("src/", {}), StoredMember("src/lib/", {}),
                   DeflatedMember("src/lib/code.c", CleanText(11)), StoredMember("setup.ini", CleanText(12)),
                   DeflatedMember("data.zip", Zip({DeflatedMember("table.csv", CleanText(13))}))});
     },
     {}, 0},
};

class PlacementTest : public ArchiveWalkTest, public testing::WithParamInterface<TPlacement> {
 protected:
  // A path below Root of `length` characters in all, through folders of 50 characters; the
  // folders alone stay far below the 248 characters Windows takes for a folder.
  std::string LongRelativePath(std::size_t length) const {
    const std::size_t room = length - Root.Path().size() - 1;
    std::string relative;
    while (room - relative.size() > 60) relative += std::string(49, 'd') + '/';
    return relative + std::string(room - relative.size() - 4, 'a') + ".zip";
  }

  // The temporary folder as the case wants it; answers what the test itself put in Temp.
  std::vector<std::string> PrepareScratch(TScratch scratch) {
    if (scratch == TScratch::Missing) Options.TempFolder = Temp / "missing";
    if (scratch != TScratch::AFile) return {};
    Options.TempFolder = Temp / "file";
    EXPECT_TRUE(UnzipTestKit::WriteFile(Options.TempFolder, CleanText(14)));
    return {"file"};
  }
};

#ifdef _WIN32
constexpr std::size_t kLongPathLength = 257;  // still within what the ANSI calls take
#else
constexpr std::size_t kLongPathLength = 300;
#endif

TEST_P(PlacementTest, IsFoundOrCounted) {
  const TPlacement& placement = GetParam();
  Options.Limits = placement.Limits;
  const std::vector<std::string> ownTempEntries = PrepareScratch(placement.Scratch);
  const std::string archive = placement.LongArchivePath ? LongRelativePath(kLongPathLength) : "sub/case.zip";
  Plant(archive, placement.Archive());
  if (placement.LongArchivePath) {
    ASSERT_EQ(kLongPathLength, Path(archive).size());
  }

  Walk();
  ExpectFindsAgainst(Path(archive));
  if (!placement.FoundIn.empty()) {
    EXPECT_TRUE(FoundInOneOf(placement.FoundIn)) << testing::PrintToString(FoundMembers()) << Reasons();
  } else {
    EXPECT_TRUE(Finds.empty()) << testing::PrintToString(FoundMembers()) << Reasons();
  }
  EXPECT_EQ(placement.NotFullyScanned, NotFullyScanned) << Reasons();
  ExpectCountedAs(std::vector<std::string>(placement.NotFullyScanned, Path(archive)));
  EXPECT_EQ(ownTempEntries, EntriesOf(Temp.Path())) << "a temporary folder was left behind";
}

INSTANTIATE_TEST_SUITE_P(Archives, PlacementTest, testing::ValuesIn(kPlacements),
                         [](const auto& tested) { return TestNameOf(tested.param.Name); });

// ---- Bounds against archive bombs ----

struct TBomb {
  const char* Name;
  TBytes (*Archive)();
};
void PrintTo(const TBomb& bomb, std::ostream* os) { *os << bomb.Name; }

constexpr std::uint32_t k3AndAHalfGiB = 0xE0000000u;  // negative as a signed 32-bit number

const TBomb kBombs[] = {
    // Together past 2^32: a sum in 32 bits wraps to 3 GiB.
    {"two members of 3.5 GiB",
     [] {
       TBytes archive = Zip({ZerosMember("a.bin", k3AndAHalfGiB), ZerosMember("b.bin", k3AndAHalfGiB),
                             DeflatedMember("notes.txt", CleanText(20))});
       DeclareUnpackedSize(archive, 0, k3AndAHalfGiB);
       DeclareUnpackedSize(archive, 1, k3AndAHalfGiB);
       return archive;
     }},
    // Four declared sizes that sum to 2^64, and one packed size past the end of the file.
    {"ZIP64 sizes near 2^62",
     [] {
       UnzipTestKit::TZipLayout layout;
       layout.Zip64 = true;
       TBytes archive = UnzipTestKit::BuildZip({ZerosMember("a.bin", 5000), ZerosMember("b.bin", 5000),
                                                ZerosMember("c.bin", 5000), ZerosMember("d.bin", 5000),
                                                DeflatedMember("notes.txt", CleanText(21))},
                                               layout);
       DeclareZip64Sizes(archive, 0, (1ull << 62) - 1);
       DeclareZip64Sizes(archive, 1, 1ull << 62);
       DeclareZip64Sizes(archive, 2, (1ull << 62) + 1);
       DeclareZip64Sizes(archive, 3, 1ull << 62, 1ull << 62);
       return archive;
     }},
};

class BombTest : public ArchiveWalkTest, public testing::WithParamInterface<TBomb> {};

// The members past the bound are refused before anything of them is written: the temporary
// folder never holds more than the bound, and only the small member reaches the engine.
TEST_P(BombTest, NeverUnpacksPastTheBound) {
  Plant("bomb.zip", GetParam().Archive());
  Walk();
  EXPECT_LE(PeakTempBytes, Options.Limits.MaxUnpackedBytes);
  EXPECT_EQ(1, MembersScanned);
  EXPECT_TRUE(Finds.empty());
  EXPECT_EQ(1, NotFullyScanned);
  ExpectCountedAs({Path("bomb.zip")});
  EXPECT_TRUE(EntriesOf(Temp.Path()).empty());
}

INSTANTIATE_TEST_SUITE_P(Archives, BombTest, testing::ValuesIn(kBombs),
                         [](const auto& tested) { return TestNameOf(tested.param.Name); });

// ---- The temporary folder ----

TEST_F(ArchiveWalkTest, FoldersLeftByAKilledScanGoAtTheFirstArchive) {
  const std::string abandoned = Temp / "TN123", foreign = Temp / "TN456";
  fs::create_directories(abandoned);
  fs::create_directories(foreign);
  ASSERT_TRUE(UnzipTestKit::WriteFile(abandoned + kSeparator + QrxPlatform::kScratchMarkerName, {}));
  ASSERT_TRUE(UnzipTestKit::WriteFile(abandoned + kSeparator + "member", CleanText(22)));
  ASSERT_TRUE(UnzipTestKit::WriteFile(foreign + kSeparator + "data", CleanText(23)));
  Plant("a.zip", Zip({DeflatedMember("a.txt", CleanText(24))}));
  Walk();
  EXPECT_EQ(std::vector<std::string>{"TN456"}, EntriesOf(Temp.Path()));
  EXPECT_EQ(std::vector<std::string>{"data"}, EntriesOf(foreign));
  EXPECT_EQ(0, NotFullyScanned);
}

// ---- Folders and files on disk ----

#ifndef _WIN32
// Root reads any folder whatever its permissions: the case cannot be made then.
TEST_F(ArchiveWalkTest, AFolderThatCannotBeListedCounts) {
  if (geteuid() == 0) GTEST_SKIP() << "running as root, which lists any folder";
  Plant("closed/eicar.com", Eicar());
  Plant("open/eicar.com", Eicar());
  ASSERT_EQ(0, chmod(Path("closed").c_str(), 0));
  Walk();
  chmod(Path("closed").c_str(), 0700);
  ExpectFindsAgainst(Path("open/eicar.com"));
  EXPECT_EQ(1, ThreatsFound);
  ExpectCountedAs({Path("closed")});
}
#endif

// The walk meets the first of five folders and the folder is taken away under it, with the
// file the engine was about to scan: the other four are still walked. Windows keeps a folder
// that is being listed: there only what it holds goes.
TEST_F(ArchiveWalkTest, AFolderRemovedDuringTheWalkEndsOnlyThatFolder) {
  const std::vector<std::string> folders = {"d0", "d1", "d2", "d3", "d4"};
  const std::vector<std::string> files = {"a.txt", "eicar.com", "b.txt"};
  for (const std::string& folder : folders) {
    for (const std::string& file : files) Plant(folder + "/" + file, file == "eicar.com" ? Eicar() : CleanText(25));
  }
  std::string removed;
  OnScanFile = [&](const std::string& path) {
    if (!removed.empty()) return;
    removed = fs::path(path).parent_path().string();
    std::error_code error;
    fs::remove_all(fs::path(removed), error);
    for (const std::string& file : files) EXPECT_FALSE(fs::exists(fs::path(removed) / file)) << file;
  };
  Walk();
  std::vector<std::string> expected, found;
  for (const std::string& folder : folders) {
    if (Path(folder) != removed) expected.push_back(Path(folder + "/eicar.com"));
  }
  for (const TVirusFind& find : Finds) found.push_back(find.ObjectPath);
  std::sort(found.begin(), found.end());
  EXPECT_EQ(expected, found);
  EXPECT_EQ(4, ThreatsFound);
  // The file removed before the engine opened it; at most the others listed before they went,
  // and the folder's listing.
  EXPECT_GE(NotFullyScanned, 1);
  EXPECT_LE(NotFullyScanned, static_cast<int>(files.size()) + 1);
  EXPECT_EQ(static_cast<int>(Incomplete.size()), NotFullyScanned);
}

#ifndef _WIN32
// Opening a pipe for reading waits for a writer: the test's timeout catches a scan that does.
TEST_F(ArchiveWalkTest, APipeNamedLikeAnArchiveDoesNotHang) {
  ASSERT_EQ(0, mkfifo(Path("x.zip").c_str(), 0600));
  Plant("after.com", Eicar());
  Walk();
  ExpectFindsAgainst(Path("after.com"));
  EXPECT_EQ(1, ThreatsFound);
  Finds.clear();
  Run([this](TVirusWalk& walk) { walk.ScanOneFile(Path("x.zip")); });
  EXPECT_TRUE(Finds.empty());
  EXPECT_EQ(0, ThreatsFound);
}
#endif

}  // namespace
