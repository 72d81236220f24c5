// The antivirus walk over real folders and real archives, with the real extractor and the
// real engine primed with an EICAR signature.
#include <gtest/gtest.h>

#ifdef _WIN32
#include <windows.h>
#endif

#include <cstdlib>
#include <filesystem>
#include <memory>

#include "FileSystem.h"
#include "FolderListing.h"
#include "matcher.h"
#include "qrx_virus_walk.h"
#include "virus_testkit.h"

namespace {

using namespace VirusTestKit;
using QrxPlatform::kSeparator;
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
  // Through the platform layer, so that folders named in any script and of any depth are made.
  void Plant(const std::string& relative, const TBytes& bytes) {
    const std::string path = Path(relative);
    for (std::size_t at = Root.Path().size() + 1; (at = path.find(kSeparator, at)) != std::string::npos; ++at)
      QrxPlatform::MakeFolder(path.substr(0, at));
    ASSERT_TRUE(UnzipTestKit::WriteFile(path, bytes));
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

TEST_F(VirusWalkTest, FindsShowsAndRemovesFilesNamedInAnyScriptAtAnyDepth) {
  std::string deep;
  for (char level = 'a'; level < 'g'; ++level) deep += std::string(48, level) + "_папка/";
  TZipMember utf8Member = DeflatedMember("вирус/病毒😀.com", Eicar());
  utf8Member.Flags = 0x800;  // the name is UTF-8
  TZipMember dosMember = DeflatedMember("caf\x82.com", Eicar());  // é in the MS-DOS code pages
  const struct {
    const char* Case;
    std::string Relative;
    TBytes Content;
    std::string Member;
  } rows[] = {
      {"cyrillic name", "вирус.com", Eicar(), ""},
      {"cjk name", "病毒.com", Eicar(), ""},
      {"emoji name", "😀 virus.com", Eicar(), ""},
      {"inside a folder so named", "папка 病毒 😀/eicar.com", Eicar(), ""},
      {"archive so named", "архив 病毒.zip", Zip({DeflatedMember("eicar.com", Eicar())}), "eicar.com"},
      {"member so named", "utf8-names.zip", Zip({utf8Member}), "вирус\\病毒😀.com"},
      {"member named in the ms-dos code page", "dos-names.zip", Zip({dosMember}), "café.com"},
      {"past 300 characters", deep + "вирус.com", Eicar(), ""},
  };
  for (const auto& row : rows) Plant(row.Relative, row.Content);
  ASSERT_GT(Path(rows[7].Relative).size(), 300u);
  Options.AutoDelete = true;

  EXPECT_EQ(8, Walk());
  EXPECT_EQ(0, NotFullyScanned);
  for (const auto& row : rows) {
    SCOPED_TRACE(row.Case);
    const auto find = std::find_if(Finds.begin(), Finds.end(), [&](const TVirusFind& f) { return f.ObjectPath == Path(row.Relative); });
    ASSERT_NE(find, Finds.end());
    EXPECT_EQ(find->MemberName, row.Member);
    EXPECT_TRUE(find->Removed);
    EXPECT_FALSE(UnzipTestKit::PathExists(Path(row.Relative)));
    const std::string path = Path(row.Relative);
    const std::size_t name = path.rfind(kSeparator) + 1;
    if (row.Member.empty()) {
      EXPECT_TRUE(SawStatus(kScanning + TVirusWalk::DisplayFolder(path.substr(0, name)) + path.substr(name)));
    }
  }
}

bool IsEmptyFolder(const std::string& folder) {
  QrxPlatform::TFolderListing listing(folder + kSeparator);
  QrxPlatform::TFolderEntry entry;
  while (listing.Next(entry))
    if (entry.Name != "." && entry.Name != "..") return false;
  return true;
}

// Points the system's folder for temporary files elsewhere for as long as it lives.
class TTempFolderVariable {
 public:
  explicit TTempFolderVariable(const std::string& folder) {
#ifdef _WIN32
    wchar_t wide[1024];
    ::MultiByteToWideChar(CP_UTF8, 0, folder.c_str(), -1, wide, 1024);
    ::SetEnvironmentVariableW(L"TMP", wide);
#else
    ::setenv("TMPDIR", folder.c_str(), 1);
#endif
  }
  ~TTempFolderVariable() {
#ifdef _WIN32
    ::SetEnvironmentVariableW(L"TMP", Saved_.empty() ? nullptr : Saved_.c_str());
#else
    ::unsetenv("TMPDIR");
#endif
  }
  TTempFolderVariable(const TTempFolderVariable&) = delete;
  TTempFolderVariable& operator=(const TTempFolderVariable&) = delete;

 private:
#ifdef _WIN32
  std::wstring Saved_ = [] {
    wchar_t saved[1024] = L"";
    ::GetEnvironmentVariableW(L"TMP", saved, 1024);
    return std::wstring(saved);
  }();
#endif
};

TEST_F(VirusWalkTest, UnpacksArchivesUnderATemporaryFolderNamedInAnyScript) {
  const std::string profileTemp = Temp / "Пользователь 病毒 😀";
  ASSERT_TRUE(QrxPlatform::MakeFolder(profileTemp));
  const TTempFolderVariable variable(profileTemp);
  Options.TempFolder.clear();  // the system's, as the program takes it
  Plant("archive.zip", Zip({DeflatedMember("eicar.com", Eicar())}));
  bool unpackedThere = false;  // the member's status comes with its scratch folder made
  OnStatus = [&](const std::string&) { unpackedThere = unpackedThere || !IsEmptyFolder(profileTemp); };

  EXPECT_EQ(1, Walk());
  EXPECT_EQ(0, NotFullyScanned);
  ASSERT_EQ(1u, Finds.size());
  EXPECT_EQ("eicar.com", Finds[0].MemberName);
  EXPECT_TRUE(unpackedThere);
  EXPECT_TRUE(IsEmptyFolder(profileTemp));
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

TEST(DisplayFolderTest, CountsCharactersNotBytes) {
  const std::string s(1, kSeparator);
  const auto repeated = [](const std::string& character, int count) {
    std::string text;
    for (int i = 0; i < count; ++i) text += character;
    return text;
  };
  // 57 characters, 111 bytes: short enough as it is.
  const std::string f57 = "C:" + s + repeated("ж", 54);
  EXPECT_EQ(f57 + s, TVirusWalk::DisplayFolder(f57));
  const std::string f59 = "C:" + s + repeated("ж", 55) + "😀";
  EXPECT_EQ("C:" + s + repeated("ж", 37) + s + "..." + s + repeated("ж", 17) + "😀" + s, TVirusWalk::DisplayFolder(f59));
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
