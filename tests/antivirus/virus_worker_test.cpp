// The antivirus worker in-process: the real ScanVirus on its own thread, the real engine
// library primed with an EICAR signature, real files planted in the prefix's Windows folder,
// and the main window's targets recorded as the UI thread applies them.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <memory>
#include <set>

#include "qrx_application.h"
#include "qrx_thread_scan_virus.h"
#include "tn_dll_sscan_header.h"
#include "virus_testkit.h"

namespace {

using namespace VirusTestKit;
namespace fs = std::filesystem;

const std::string kVirusType = std::string("Virus ") + kEicarSignatureName;
const char kInfected[] = "L'analyse antivirus est terminée. Des fichiers infectés ont été détectés.";
const char kClean[] = "L'analyse antivirus est terminée. Aucun fichier infecté n'a été détecté.";
const char kRemovalFailed[] = "suppression échouée";

struct TRow {
  TMenace Threat;
  std::string Object, Type, Action;
  bool Removed = false;
};

std::set<std::string> ArchiveFolders() {
  std::set<std::string> names;
  char temp[MAX_PATH + 1];
  GetTempPathA(sizeof temp, temp);
  for (const auto& entry : fs::directory_iterator(fs::path(temp))) {
    const std::string name = entry.path().filename().string();
    if (name.rfind("TN", 0) == 0) names.insert(name);
  }
  return names;
}

class VirusWorkerTest : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    Application.Initialize(GetModuleHandleA(nullptr));
    ASSERT_TRUE(BindScanEngine());
    static const std::vector<TSignatureEntry> table = EicarSignatureTable();
    ASSERT_EQ(0, InitScan(table.data(), 1));
  }

  VirusWorkerTest() : Planted(ScanVirus::GetWindowsFolder() + "\\qrxvirus" + std::to_string(GetCurrentProcessId())) {
    FoldersBefore = ArchiveFolders();
  }
  ~VirusWorkerTest() override {
    std::error_code error;
    for (auto it = fs::recursive_directory_iterator(fs::path(Planted), error); !error && it != fs::end(it);
         it.increment(error))
      SetFileAttributesA(it->path().string().c_str(), FILE_ATTRIBUTE_NORMAL);
    fs::remove_all(fs::path(Planted), error);
  }

  std::string Path(const std::string& relative) const { return Planted + "\\" + relative; }
  void Plant(const std::string& relative, const TBytes& bytes) {
    fs::create_directories(fs::path(Path(relative)).parent_path());
    ASSERT_TRUE(UnzipTestKit::WriteFile(Path(relative), bytes));
  }

  // Runs one scan to its end, applying its hand-overs as the main window would.
  void Scan(const std::string& mode, bool automaticRemoval) {
    TScanTargets targets;
    targets.ShowStatusText = [this](const std::string& text) {
      Statuses.push_back(text);
      if (OnStatus) OnStatus(text);
    };
    targets.SetProgressPosition = [this](int position) { Positions.push_back(position); };
    targets.AddThreatRow = [this](const TMenace& threat, const std::string& object, const std::string& type,
                                  const std::string& action) {
      Rows.push_back({threat, object, type, action});
      return static_cast<int>(Rows.size());
    };
    targets.MarkThreatRemoved = [this](int row, const std::string&) { Rows.at(row - 1).Removed = true; };
    Worker = std::make_unique<ScanVirus>(TScanRequest{mode, automaticRemoval, targets});
    Worker->Start();
    ASSERT_TRUE(Worker->WaitFor(120000));
    std::unique_ptr<TWorkerThread> done = std::move(Worker);
    ReleaseWorker(done);
    EXPECT_EQ(FoldersBefore, ArchiveFolders()) << "a temporary folder was left behind";
  }

  const TRow* RowOf(const std::string& object, size_t nth = 0) const {
    for (const TRow& row : Rows) {
      if (row.Object == object && nth-- == 0) return &row;
    }
    return nullptr;
  }
  bool SawStatus(const std::string& text) const {
    return std::find(Statuses.begin(), Statuses.end(), text) != Statuses.end();
  }

  std::string Planted;
  std::set<std::string> FoldersBefore;
  std::unique_ptr<ScanVirus> Worker;
  std::function<void(const std::string&)> OnStatus;
  std::vector<std::string> Statuses;
  std::vector<int> Positions;
  std::vector<TRow> Rows;
};

TEST_F(VirusWorkerTest, QuickScanReportsWhatItFindsInTheWindowsFolder) {
  Plant("eicar.com", Eicar());
  Plant("sub\\eicar.com", Eicar());
  Plant("pack.zip", Zip({DeflatedMember("docs/eicar.com", Eicar())}));
  Plant("notes.txt", UnzipTestKit::TextBytes(3000, 1));
  Plant(".cache\\eicar.com", Eicar());
  Scan("RAPIDE", false);

  ASSERT_EQ(3u, Rows.size());
  for (const char* name : {"eicar.com", "sub\\eicar.com", "pack.zip"}) {
    const TRow* row = RowOf(Path(name));
    ASSERT_NE(nullptr, row) << name;
    EXPECT_EQ(kVirusType, row->Type);
    EXPECT_EQ("supprimer", row->Action);
    EXPECT_EQ(InfectedFileThreat, row->Threat.ThreatKind);
    EXPECT_EQ(Path(name), row->Threat.Path);
    EXPECT_FALSE(row->Removed);
    EXPECT_TRUE(fs::exists(Path(name)));
  }
  EXPECT_TRUE(SawStatus("Analyse du fichier " + Planted + "\\eicar.com"));
  EXPECT_TRUE(SawStatus("Analyse du fichier " + Path("pack.zip") + " : eicar.com"));
  EXPECT_EQ(kInfected, Statuses.back());
  EXPECT_EQ(95, Positions.back());
  EXPECT_EQ(Positions.size(), Statuses.size());
  for (size_t i = 0; i + 1 < Positions.size(); ++i) EXPECT_EQ(static_cast<int>((i + 1) % 20) * 5, Positions[i]);
}

TEST_F(VirusWorkerTest, AutomaticRemovalMarksWhatWentAndKeepsWhatStayed) {
  Plant("gone.com", Eicar());
  Plant("stays.com", Eicar());
  SetFileAttributesA(Path("stays.com").c_str(), FILE_ATTRIBUTE_READONLY);
  Plant("two.zip", Zip({DeflatedMember("one.com", Eicar()), StoredMember("two.com", Eicar())}));
  Scan("RAPIDE", true);

  ASSERT_EQ(4u, Rows.size());
  const TRow* gone = RowOf(Path("gone.com"));
  ASSERT_NE(nullptr, gone);
  EXPECT_EQ("", gone->Action);
  EXPECT_TRUE(gone->Removed);
  EXPECT_FALSE(fs::exists(Path("gone.com")));

  const TRow* stays = RowOf(Path("stays.com"));
  ASSERT_NE(nullptr, stays);
  EXPECT_EQ(kRemovalFailed, stays->Action);
  EXPECT_FALSE(stays->Removed);
  EXPECT_TRUE(fs::exists(Path("stays.com")));

  const TRow* first = RowOf(Path("two.zip"), 0);
  const TRow* second = RowOf(Path("two.zip"), 1);
  ASSERT_TRUE(first && second);
  EXPECT_TRUE(first->Removed);
  EXPECT_EQ("", first->Action);
  EXPECT_FALSE(second->Removed);
  EXPECT_EQ(kRemovalFailed, second->Action);
  EXPECT_FALSE(fs::exists(Path("two.zip")));
  EXPECT_EQ(kInfected, Statuses.back());
}

TEST_F(VirusWorkerTest, StopDuringAnArchiveEndsWithTheClosingText) {
  std::vector<TZipMember> members;
  for (int i = 0; i < 40; ++i) members.push_back(DeflatedMember("m" + std::to_string(i), UnzipTestKit::TextBytes(4000, i)));
  Plant("big.zip", Zip(members));
  OnStatus = [this](const std::string& text) {
    if (text.find(" : ") != std::string::npos) Worker->Stop();
  };
  Scan("RAPIDE", false);
  ASSERT_GE(Statuses.size(), 3u);
  EXPECT_NE(std::string::npos, Statuses[Statuses.size() - 2].find(Path("big.zip") + " : "));
  EXPECT_EQ(kClean, Statuses.back());
  EXPECT_EQ(95, Positions.back());
}

TEST_F(VirusWorkerTest, OnlyRapideInUpperCaseIsAQuickScan) {
  OnStatus = [this](const std::string&) { Worker->Stop(); };
  const std::string windows = ScanVirus::GetWindowsFolder() + "\\";
  Scan("RAPIDE", false);
  ASSERT_EQ(2u, Statuses.size());
  EXPECT_EQ(0u, Statuses[0].find("Analyse du fichier " + windows));
  Statuses.clear();
  Scan("rapide", false);
  ASSERT_EQ(2u, Statuses.size());
  EXPECT_EQ(0u, Statuses[0].find("Analyse du fichier C:\\"));
  EXPECT_NE(0u, Statuses[0].find("Analyse du fichier " + windows));
}

// ---- Archives and files not fully scanned ----

const char kInfectedOneNotScanned[] =
    "L'analyse antivirus est terminée. Des fichiers infectés ont été détectés. "
    "1 fichier n'a pas pu être analysé entièrement.";

struct TWorkerPlacement {
  const char* Name;
  TBytes (*Archive)();
  const char* ClosingText;
};

const TWorkerPlacement kWorkerPlacements[] = {
    {"same name twice",
     [] {
       return Zip({DeflatedPayload("eicar.txt"), DeflatedMember("eicar.txt", UnzipTestKit::TextBytes(3000, 2))});
     },
     kInfected},
    {"dot folder", [] { return Zip({DeflatedPayload(".hidden/eicar.txt")}); }, kInfected},
    {"stored plainly in a member flagged encrypted", [] { return Zip({PlainlyEncryptedPayload("eicar.txt")}); },
     kInfectedOneNotScanned},
    {"wrong CRC", [] { return Zip({CrcDamagedPayload("eicar.txt")}); }, kInfectedOneNotScanned},
    {"Deflate64 member", [] { return MethodFixture("deflate64-7zz.zip"); }, kInfected},
    {"bzip2 member", [] { return MethodFixture("bzip2-7zz.zip"); }, kInfected},
    {"LZMA member", [] { return MethodFixture("lzma-7zz.zip"); }, kInfected},
    {"Zstandard member", [] { return MethodFixture("zstd-raw.zip"); }, kInfected},
    {"XZ member", [] { return MethodFixture("xz-raw.zip"); }, kInfected},
};

// Each archive alone in the Windows folder: one row for it, and the closing text counts it
// when it could not be scanned entirely.
TEST_F(VirusWorkerTest, ArchivesNotFullyScannedAreCountedInTheClosingText) {
  for (const TWorkerPlacement& placement : kWorkerPlacements) {
    SCOPED_TRACE(placement.Name);
    Rows.clear();
    Statuses.clear();
    Plant("placed.zip", placement.Archive());
    Scan("RAPIDE", false);
    ASSERT_EQ(1u, Rows.size());
    EXPECT_EQ(Path("placed.zip"), Rows[0].Object);
    EXPECT_EQ(kVirusType, Rows[0].Type);
    EXPECT_EQ("supprimer", Rows[0].Action);
    EXPECT_EQ(placement.ClosingText, Statuses.back());
    fs::remove(fs::path(Path("placed.zip")));
  }
}

TEST_F(VirusWorkerTest, TwoArchivesNotFullyScannedAreCountedInThePlural) {
  Plant("encrypted.zip", Zip({PlainlyEncryptedPayload("eicar.txt")}));
  Plant("crc.zip", Zip({CrcDamagedPayload("eicar.txt")}));
  Scan("RAPIDE", false);
  EXPECT_EQ(2u, Rows.size());
  EXPECT_EQ(std::string(kInfected) + " 2 fichiers n'ont pas pu être analysés entièrement.", Statuses.back());
}

// A file another program holds open with no sharing cannot be read: it is counted, not found.
TEST_F(VirusWorkerTest, ALockedFileIsCountedInTheClosingText) {
  Plant("locked.com", Eicar());
  const HANDLE locked =
      CreateFileA(Path("locked.com").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(INVALID_HANDLE_VALUE, locked);
  Scan("RAPIDE", false);
  CloseHandle(locked);
  EXPECT_TRUE(Rows.empty());
  EXPECT_EQ(std::string(kClean) + " 1 fichier n'a pas pu être analysé entièrement.", Statuses.back());
}

}  // namespace
