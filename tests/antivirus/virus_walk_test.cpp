// The antivirus walk over real folders and real archives, with the real extractor and the
// real engine primed with an EICAR signature.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

#include "matcher.h"
#include "qrx_virus_walk.h"
#include "qrx_walk_platform.h"
#include "virus_testkit.h"

namespace {

using namespace VirusTestKit;
using QrxWalkPlatform::kSeparator;
using UnzipTestKit::TTempFolder;
namespace fs = std::filesystem;

const std::string kScanning = "Analyse du fichier ";

class VirusWalkTest : public testing::Test {
 protected:
  VirusWalkTest() {
    const std::vector<TSignatureEntry> table = EicarSignatureTable();
    Engine = qrx::engine::Matcher::fromTable(table.data(), 1);
    Options.TempFolder = Temp.Path();
  }

  std::string Path(const std::string& relative) const {
    std::string path = Root / relative;
    for (char& c : path) {
      if (c == '/') c = kSeparator;
    }
    return path;
  }
  void Plant(const std::string& relative, const TBytes& bytes) {
    fs::create_directories(fs::path(Path(relative)).parent_path());
    ASSERT_TRUE(UnzipTestKit::WriteFile(Path(relative), bytes));
  }

  TVirusScanHooks Hooks() {
    TVirusScanHooks hooks;
    hooks.StopRequested = [this] { return Stop; };
    hooks.ShowStatus = [this](const std::string& text) {
      Statuses.push_back(text);
      if (OnStatus) OnStatus(text);
    };
    hooks.ScanFile = [this](const std::string& path, TVirusInfo& info) {
      const qrx::engine::ScanResult result = Engine->scanFile(path.c_str());
      if (result.status != qrx::engine::ScanStatus::Clean && result.status != qrx::engine::ScanStatus::Infected)
        return false;
      info.Infected = result.status == qrx::engine::ScanStatus::Infected;
      info.VirusName = info.Infected ? std::string(Engine->name(result.slot)) : std::string();
      return true;
    };
    hooks.ReportInfection = [this](const TVirusFind& find) { Finds.push_back(find); };
    return hooks;
  }

  int Walk() {
    TVirusWalk walk(Hooks(), Options);
    walk.WalkFolder(Root.Path());
    NotFullyScanned = walk.NotFullyScanned();
    return walk.ThreatsFound();
  }

  bool SawStatus(const std::string& text) const {
    return std::find(Statuses.begin(), Statuses.end(), text) != Statuses.end();
  }
  std::vector<std::string> TempLeftOvers() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(fs::path(Temp.Path()))) names.push_back(entry.path().string());
    return names;
  }

  TTempFolder Root;
  TTempFolder Temp;
  std::unique_ptr<qrx::engine::Matcher> Engine;
  TVirusScanOptions Options;
  bool Stop = false;
  int NotFullyScanned = 0;
  std::function<void(const std::string&)> OnStatus;
  std::vector<std::string> Statuses;
  std::vector<TVirusFind> Finds;
};

TEST_F(VirusWalkTest, FindsInfectedFilesInEveryFolderButDotFolders) {
  Plant("clean.txt", UnzipTestKit::TextBytes(5000, 1));
  Plant("sub/deeper/eicar.com", Eicar());
  Plant(".profile", Eicar());
  Plant(".cache/eicar.com", Eicar());
  Plant("archive.zip.bak", Eicar());

  EXPECT_EQ(3, Walk());
  std::vector<std::string> found;
  for (const TVirusFind& find : Finds) {
    found.push_back(find.ObjectPath);
    EXPECT_EQ(kEicarSignatureName, find.VirusName);
    EXPECT_EQ("", find.MemberName);
    EXPECT_FALSE(find.Removed);
  }
  std::sort(found.begin(), found.end());
  EXPECT_EQ((std::vector<std::string>{Path(".profile"), Path("archive.zip.bak"), Path("sub/deeper/eicar.com")}), found);
  EXPECT_TRUE(SawStatus(kScanning + Root.Path() + kSeparator + "clean.txt"));
  EXPECT_TRUE(SawStatus(kScanning + Path("sub/deeper") + kSeparator + "eicar.com"));
  EXPECT_EQ(4u, Statuses.size());
  EXPECT_TRUE(fs::exists(Path("sub/deeper/eicar.com")));
}

TEST_F(VirusWalkTest, AutomaticRemovalDeletesTheFile) {
  Plant("eicar.com", Eicar());
  Options.AutoDelete = true;
  EXPECT_EQ(1, Walk());
  ASSERT_EQ(1u, Finds.size());
  EXPECT_TRUE(Finds[0].Removed);
  EXPECT_FALSE(fs::exists(Path("eicar.com")));
}

TEST(DisplayFolderTest, ShortensLongFoldersToTheirHeadAndTail) {
  const std::string s(1, kSeparator);
  EXPECT_EQ("C:" + s + "WINDOWS" + s, TVirusWalk::DisplayFolder("C:" + s + "WINDOWS"));
  EXPECT_EQ("C:" + s + "WINDOWS" + s, TVirusWalk::DisplayFolder("C:" + s + "WINDOWS" + s));
  const std::string f57 = "C:" + s + std::string(52, 'a') + s + "b";  // 58 with the separator added
  EXPECT_EQ(f57 + s, TVirusWalk::DisplayFolder(f57));
  const std::string f58 = f57 + "c";  // 59 with the separator
  const std::string shown = TVirusWalk::DisplayFolder(f58);
  EXPECT_EQ(64u, shown.size());
  EXPECT_EQ(f58.substr(0, 40) + s + "..." + s + f58.substr(f58.size() - 18) + s, shown);
}

TEST(ArchiveNameTest, OnlyTheLastExtensionCounts) {
  for (const char* name : {"readme.zip", "DATA.ZIP", "x.Zip", ".zip", "a.b.zip"}) {
    EXPECT_TRUE(TVirusWalk::IsArchiveName(name)) << name;
  }
  for (const char* name : {"archive.zip.bak", "zip", "a.zipx", "azip", "a.zi"}) {
    EXPECT_FALSE(TVirusWalk::IsArchiveName(name)) << name;
  }
}

struct TArchiveCase {
  const char* Name;
  TBytes (*Archive)();
  const char* Member = "eicar.com";  // the infected member's name as stored, folders included
  int NotFullyScanned = 0;
};
void PrintTo(const TArchiveCase& c, std::ostream* os) { *os << c.Name; }

const TArchiveCase kInfectedArchives[] = {
    {"stored", [] { return Zip({StoredMember("readme.txt", UnzipTestKit::TextBytes(900, 2)),
                                StoredMember("eicar.com", Eicar())}); }},
    {"deflated", [] { return Zip({DeflatedMember("eicar.com", Eicar())}); }},
    {"shrunk", [] { return Zip({ShrunkMember("eicar.com", Eicar())}); }},
    {"imploded", [] { return Zip({ImplodedMember("eicar.com", Eicar())}); }},
    {"under a folder", [] { return Zip({DeflatedMember("tools/bin/eicar.com", Eicar())}); }, "tools\\bin\\eicar.com"},
    {"read-only member", [] {
       TZipMember member = DeflatedMember("ro/eicar.com", Eicar());
       member.Attributes = 1;
       return Zip({member});
     }, "ro\\eicar.com"},
    {"zip in a zip", [] {
       return Zip({DeflatedMember("notes.txt", UnzipTestKit::TextBytes(700, 3)),
                   DeflatedMember("inner/inner.zip", Zip({DeflatedMember("eicar.com", Eicar())}))});
     }},
    {"behind a self-extractor's stub", [] {
       UnzipTestKit::TZipLayout layout;
       layout.Prefix = UnzipTestKit::RandomBytes(300000, 4);
       return UnzipTestKit::BuildZip({DeflatedMember("eicar.com", Eicar()),
                                      StoredMember("bulk.bin", UnzipTestKit::RandomBytes(12000, 5))}, layout);
     }},
    {"hidden in front of a clean archive", [] {
       TBytes both = Zip({DeflatedMember("eicar.com", Eicar())});
       const TBytes clean = Zip({DeflatedMember("readme.txt", UnzipTestKit::TextBytes(900, 6))});
       both.insert(both.end(), clean.begin(), clean.end());
       return both;
     }},
    {"after a member with a bad CRC", [] { return Zip({CrcDamagedMember("bad.txt"), DeflatedMember("eicar.com", Eicar())}); },
     "eicar.com", 1},
};

class InfectedArchiveTest : public VirusWalkTest, public testing::WithParamInterface<TArchiveCase> {};

TEST_P(InfectedArchiveTest, IsReportedAgainstTheArchiveOnDisk) {
  Plant("sub/packed.zip", GetParam().Archive());
  EXPECT_EQ(1, Walk());
  ASSERT_EQ(1u, Finds.size());
  EXPECT_EQ(Path("sub/packed.zip"), Finds[0].ObjectPath);
  EXPECT_EQ(GetParam().Member, Finds[0].MemberName);
  EXPECT_EQ(GetParam().NotFullyScanned, NotFullyScanned);
  EXPECT_EQ(kEicarSignatureName, Finds[0].VirusName);
  EXPECT_TRUE(SawStatus(kScanning + Path("sub") + kSeparator + "packed.zip"));
  EXPECT_TRUE(SawStatus(kScanning + Path("sub/packed.zip") + " : eicar.com"));
  EXPECT_TRUE(TempLeftOvers().empty());
}

INSTANTIATE_TEST_SUITE_P(Members, InfectedArchiveTest, testing::ValuesIn(kInfectedArchives),
                         [](const auto& tested) {
                           std::string name = tested.param.Name;
                           for (char& c : name) {
                             if (!isalnum(static_cast<unsigned char>(c))) c = '_';
                           }
                           return name;
                         });

TEST_F(VirusWalkTest, CleanFilesAndArchivesGiveNoFind) {
  Plant("a.txt", UnzipTestKit::TextBytes(4000, 7));
  Plant("b.zip", Zip({DeflatedMember("x/y.txt", UnzipTestKit::TextBytes(9000, 8)),
                      DeflatedMember("z.zip", Zip({StoredMember("w.bin", UnzipTestKit::RandomBytes(500, 9))}))}));
  EXPECT_EQ(0, Walk());
  EXPECT_TRUE(Finds.empty());
  EXPECT_TRUE(SawStatus(kScanning + Path("b.zip") + " : y.txt"));
  EXPECT_TRUE(SawStatus(kScanning + Path("b.zip") + " : w.bin"));
  EXPECT_TRUE(TempLeftOvers().empty());
}

// What cannot be unpacked is scanned as a file: a rename to .zip hides nothing.
TEST_F(VirusWalkTest, AFileThatIsNoArchiveGoesToTheEngine) {
  Plant("renamed.zip", Eicar());
  EXPECT_EQ(1, Walk());
  ASSERT_EQ(1u, Finds.size());
  EXPECT_EQ(Path("renamed.zip"), Finds[0].ObjectPath);
  EXPECT_EQ("", Finds[0].MemberName);
  EXPECT_TRUE(TempLeftOvers().empty());
}

TEST_F(VirusWalkTest, AnArchiveWithACorruptMemberIsStillSearched) {
  Plant("damaged.zip", Zip({CorruptDeflateMember("broken.bin"), StoredMember("eicar.com", Eicar())}));
  EXPECT_EQ(1, Walk());
  ASSERT_EQ(1u, Finds.size());
  EXPECT_EQ(Path("damaged.zip"), Finds[0].ObjectPath);
  EXPECT_EQ("eicar.com", Finds[0].MemberName);
  EXPECT_EQ(1, NotFullyScanned);
  EXPECT_TRUE(TempLeftOvers().empty());
}

TEST_F(VirusWalkTest, NoTemporaryFolderGoesToTheEngineInstead) {
  Options.TempFolder = Temp / "missing";
  Plant("stored.zip", Zip({StoredMember("eicar.com", Eicar())}));
  EXPECT_EQ(1, Walk());
  ASSERT_EQ(1u, Finds.size());
  EXPECT_EQ("", Finds[0].MemberName);
  EXPECT_EQ(1, NotFullyScanned);
}

TEST_F(VirusWalkTest, TwoInfectedMembersWithAutomaticRemoval) {
  Options.AutoDelete = true;
  Plant("two.zip", Zip({DeflatedMember("one.com", Eicar()), DeflatedMember("two.com", Eicar())}));
  EXPECT_EQ(2, Walk());
  ASSERT_EQ(2u, Finds.size());
  EXPECT_EQ(Path("two.zip"), Finds[0].ObjectPath);
  EXPECT_EQ(Path("two.zip"), Finds[1].ObjectPath);
  EXPECT_TRUE(Finds[0].Removed);
  EXPECT_FALSE(Finds[1].Removed);  // already gone
  EXPECT_FALSE(fs::exists(Path("two.zip")));
  EXPECT_TRUE(TempLeftOvers().empty());
}

TEST_F(VirusWalkTest, StopEndsTheWalkAtTheNextEntry) {
  for (int i = 0; i < 20; ++i) Plant("f" + std::to_string(i) + ".txt", UnzipTestKit::TextBytes(100, i));
  OnStatus = [this](const std::string&) {
    if (Statuses.size() == 5) Stop = true;
  };
  Walk();
  EXPECT_EQ(5u, Statuses.size());
}

TEST_F(VirusWalkTest, StopInsideAnArchiveLeavesNoTemporaryFolder) {
  std::vector<TZipMember> members;
  for (int i = 0; i < 30; ++i) members.push_back(DeflatedMember("d/m" + std::to_string(i), UnzipTestKit::TextBytes(2000, i)));
  Plant("big.zip", Zip(members));
  OnStatus = [this](const std::string& text) {
    if (text.find(" : ") != std::string::npos) Stop = true;
  };
  Walk();
  EXPECT_EQ(2u, Statuses.size());  // the archive, then its first member
  EXPECT_TRUE(TempLeftOvers().empty());
}

// Nesting deeper than the bound: the innermost archive unpacked goes to the engine as a file, and
// the EICAR file stored in it is still seen through the stored layers, once.
TEST_F(VirusWalkTest, NestingPastTheDepthBoundEndsAndStillFinds) {
  TBytes archive = Zip({StoredMember("eicar.com", Eicar())});
  for (int level = 0; level < 40; ++level) archive = Zip({StoredMember("level.zip", archive)});
  Plant("deep.zip", archive);
  EXPECT_EQ(1, Walk());
  ASSERT_EQ(1u, Finds.size());
  EXPECT_EQ(Path("deep.zip"), Finds[0].ObjectPath);
  EXPECT_EQ("level.zip", Finds[0].MemberName);
  size_t unpacked = 0;
  for (const std::string& text : Statuses) unpacked += text.find(" : level.zip") != std::string::npos;
  EXPECT_EQ(16u, unpacked);
  EXPECT_EQ(1, NotFullyScanned);
  EXPECT_TRUE(TempLeftOvers().empty());
}

TEST_F(VirusWalkTest, AMemberDeclaringAGigabyteIsNotUnpacked) {
  Plant("bomb.zip", ZerosBomb("zeros.bin", 1ULL << 30));
  EXPECT_EQ(0, Walk());
  EXPECT_EQ(1, NotFullyScanned);
  EXPECT_TRUE(TempLeftOvers().empty());
}

// The bound holds for all that one archive on disk unpacks, nested archives included.
TEST_F(VirusWalkTest, TheUnpackedBytesBoundCoversNestedArchives) {
  Options.Limits.MaxUnpackedBytes = 1 << 20;
  Plant("outer.zip", Zip({StoredMember("a.zip", ZerosBomb("a.bin", 400000)),
                          StoredMember("b.zip", ZerosBomb("b.bin", 400000)),
                          StoredMember("c.zip", ZerosBomb("c.bin", 400000))}));
  EXPECT_EQ(0, Walk());
  EXPECT_TRUE(SawStatus(kScanning + Path("outer.zip") + " : a.bin"));
  EXPECT_TRUE(SawStatus(kScanning + Path("outer.zip") + " : b.bin"));
  EXPECT_TRUE(SawStatus(kScanning + Path("outer.zip") + " : c.zip"));
  EXPECT_EQ(1, NotFullyScanned);
  EXPECT_TRUE(TempLeftOvers().empty());
}

TEST_F(VirusWalkTest, AnArchiveWithTooManyMembersGoesToTheEngine) {
  Options.Limits.MaxMembers = 5;
  std::vector<TZipMember> members;
  for (int i = 0; i < 5; ++i) members.push_back(StoredMember("m" + std::to_string(i), UnzipTestKit::TextBytes(50, i)));
  members.push_back(StoredMember("eicar.com", Eicar()));
  Plant("many.zip", Zip(members));
  EXPECT_EQ(1, Walk());
  ASSERT_EQ(1u, Finds.size());
  EXPECT_EQ("", Finds[0].MemberName);  // found in the archive file itself
  EXPECT_EQ(1, NotFullyScanned);
  EXPECT_FALSE(SawStatus(kScanning + Path("many.zip") + " : eicar.com"));
}

#ifndef _WIN32
TEST_F(VirusWalkTest, LinksToFoldersAreNotFollowed) {
  Plant("real/eicar.com", Eicar());
  fs::create_directory_symlink(Path("real"), Path("link"));
  fs::create_directory_symlink(Root.Path(), Path("real/loop"));
  EXPECT_EQ(1, Walk());
  ASSERT_EQ(1u, Finds.size());
  EXPECT_EQ(Path("real/eicar.com"), Finds[0].ObjectPath);
}
#endif

}  // namespace
