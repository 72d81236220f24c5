// The antispyware worker in-process, against the real registry and Windows folder of the test
// prefix: rows, removal, status texts and bar steps, the file phase and its pace, the stop.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "app_test_support.h"
#include "data_test_files.h"
#include "qrx_application.h"
#include "qrx_class_keys.h"
#include "qrx_spyware_removal.h"
#include "qrx_thread_scan_spyware.h"

namespace {

const std::string kRegistryStatus = "1/2 - Analyse base de registre : ";
const std::string kFileStatus = "2/2 - Analyse fichiers systèmes : ";
const std::string kFilesStarted = "0 fichier analysé";
const std::string kFound = "L'analyse antispyware est terminée. Des éléments infectés ont été détectés.";
const std::string kNothingFound = "L'analyse antispyware est terminée. Aucun spyware détecté.";

// An identifier no software registers, unique to this process and `number`.
std::string TestClsid(unsigned number) {
  char clsid[40];
  std::snprintf(clsid, sizeof clsid, "{51525853-7079-%04x-abcd-%012lx}", number, GetCurrentProcessId());
  return clsid;
}

std::string WindowsFolder() {
  char folder[MAX_PATH];
  const UINT length = GetWindowsDirectoryA(folder, sizeof folder);
  std::string path(folder, length);
  return path.back() == '\\' ? path : path + "\\";
}

// A class registration seeded under HKEY_CLASSES_ROOT\CLSID, with its InProcServer32 naming
// `server`; the whole key goes with the object.
class TSeededClass {
 public:
  TSeededClass(std::string name, const std::string& server) : Name_(std::move(name)) {
    HKEY key;
    const std::string path = "CLSID\\" + Name_ + "\\InProcServer32";
    EXPECT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CLASSES_ROOT, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                                             nullptr, &key, nullptr));
    RegSetValueExA(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(server.c_str()),
                   static_cast<DWORD>(server.size() + 1));
    RegCloseKey(key);
  }
  ~TSeededClass() { RegDeleteTreeA(HKEY_CLASSES_ROOT, ("CLSID\\" + Name_).c_str()); }
  TSeededClass(const TSeededClass&) = delete;
  TSeededClass& operator=(const TSeededClass&) = delete;

  bool Exists() const {
    HKEY key;
    if (RegOpenKeyExA(HKEY_CLASSES_ROOT, ("CLSID\\" + Name_).c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
      return false;
    RegCloseKey(key);
    return true;
  }

 private:
  std::string Name_;
};

DWORD ClassKeyCount() {
  HKEY key;
  DWORD count = 0;
  if (RegOpenKeyExA(HKEY_CLASSES_ROOT, "CLSID", 0, KEY_READ, &key) != ERROR_SUCCESS) return 0;
  RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, &count, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                   nullptr);
  RegCloseKey(key);
  return count;
}

// The database spells its names in Windows-1252; the rows show them in the program's UTF-8.
const char kToolbarStored[] = "Test Toolbar \xE9t\xE9 \x80";
const char kToolbar[] = "Test Toolbar été €";

struct TRow {
  TMenace Threat;
  std::string Object, Type, Action;
};

class ScanSpywareTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Application.Initialize(GetModuleHandleA(nullptr));
    QueryPerformanceFrequency(&Frequency_);
  }

  // The database: an unrelated entry, the toolbar, the spyware, and the spyware again (kind "t"
  // is no toolbar).
  void LoadDatabase() {
    const std::string file = BhoRecord('H', "header", "", "") + BhoRecord('T', NumberedClsid(1), "", "Unrelated") +
                             BhoRecord('T', UpperClassId(ToolbarId), "i", kToolbarStored) +
                             BhoRecord('S', UpperClassId(SpywareId), "i", "Test Spyware") +
                             BhoRecord('t', SpywareId, "i", "Test Spyware again");
    ASSERT_EQ(BhoReadOk, ReadBhoFile(Temp.Write("qrx_bhotb.dat", file)));
  }

  std::string UpperClassId(std::string text) {
    for (char& c : text) c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 32 : c);
    return text;
  }

  TScanTargets Targets() {
    return {[this](const std::string& text) {
              LARGE_INTEGER now;
              QueryPerformanceCounter(&now);
              Statuses.push_back(text);
              StatusTimes.push_back(static_cast<double>(now.QuadPart) * 1000.0 / static_cast<double>(Frequency_.QuadPart));
              if (StopWhen && StopWhen(text)) Worker_->Stop();
            },
            [this](int position) { Positions.push_back(position); },
            [this](const TMenace& threat, const std::string& object, const std::string& type, const std::string& action) {
              Rows.push_back({threat, object, type, action});
              Log.push_back("row " + std::to_string(Rows.size()) + " " + action);
              return static_cast<int>(Rows.size());
            },
            [this](int row, const std::string& action) {
              Log.push_back("removed " + std::to_string(row) + (action == kRemovedAction ? "" : " " + action));
            }};
  }

  // Runs one scan to its end, applying its hand-overs.
  void Scan(const std::string& mode, bool automaticRemoval = false, ScanSpyware::TRemoval removal = {},
            ScanSpyware::TFolderSource windowsFolder = QrxPlatform::WindowsFolder) {
    auto worker = std::make_unique<ScanSpyware>(TScanRequest{mode, automaticRemoval, Targets()}, std::move(removal),
                                                std::move(windowsFolder));
    Worker_ = worker.get();
    worker->SetOnDone([this] { ++DoneNotices; });
    worker->Start();
    ASSERT_TRUE(PumpUntil([this] { return DoneNotices > 0; }, 120000));
    std::unique_ptr<TWorkerThread> owned = std::move(worker);
    ReleaseWorker(owned);
  }

  const TRow* RowNamed(const std::string& name) const {
    for (const TRow& row : Rows)
      if (row.Object == name) return &row;
    return nullptr;
  }

  // The bar after each status: (n mod 5) x 20, and 80 after the summary.
  void ExpectBarSteps() const {
    ASSERT_EQ(Statuses.size(), Positions.size());
    for (std::size_t n = 1; n < Positions.size(); ++n) ASSERT_EQ(static_cast<int>(n % 5) * 20, Positions[n - 1]) << n;
    EXPECT_EQ(80, Positions.back());
  }

  TTempDir Temp;
  const std::string ToolbarId = TestClsid(1);                       // seeded in lower case
  const std::string SpywareId = "{51525853-7079-0002-AbCd-Mixed" + std::to_string(GetCurrentProcessId()) + "}";
  std::vector<std::string> Statuses;
  std::vector<double> StatusTimes;
  std::vector<int> Positions;
  std::vector<TRow> Rows;
  std::vector<std::string> Log;
  std::function<bool(const std::string&)> StopWhen;
  int DoneNotices = 0;

 private:
  LARGE_INTEGER Frequency_{};
  ScanSpyware* Worker_ = nullptr;
};

TEST_F(ScanSpywareTest, EachMatchingEntryIsARowAndEveryKeyIsShown) {
  LoadDatabase();
  const TSeededClass toolbar(ToolbarId, Temp / "toolbar.dll"), spyware(SpywareId, Temp / "spyware.dll");
  Temp.Write("toolbar.dll", "MZ");
  Scan("REGISTRY");

  ASSERT_EQ(3u, Rows.size());
  const struct {
    const char* Name;
    const char* Stored;
    std::string Clsid;
    const char* Type;
  } expected[] = {{kToolbar, kToolbarStored, UpperClassId(ToolbarId), "Barre d'outils"},
                  {"Test Spyware", "Test Spyware", UpperClassId(SpywareId), "Spyware"},
                  {"Test Spyware again", "Test Spyware again", UpperClassId(SpywareId), "Spyware"}};
  for (const auto& e : expected) {
    const TRow* row = RowNamed(e.Name);
    ASSERT_NE(nullptr, row) << e.Name;
    EXPECT_EQ(SpywareThreat, row->Threat.ThreatKind);
    EXPECT_EQ("", row->Threat.Path);
    EXPECT_EQ(e.Clsid, row->Threat.BhoEntry.Clsid.Str()) << "the threat carries the identifier upper-cased";
    EXPECT_EQ(e.Stored, row->Threat.BhoEntry.DisplayName.Str()) << "the threat keeps the record as it is";
    EXPECT_EQ(e.Type, row->Type) << e.Name;
    EXPECT_EQ("supprimer", row->Action);
  }
  // The entries of one identifier come in slot order.
  EXPECT_LT(RowNamed("Test Spyware"), RowNamed("Test Spyware again"));
  EXPECT_EQ(std::count(Log.begin(), Log.end(), "removed 1"), 0);
  EXPECT_TRUE(toolbar.Exists() && spyware.Exists());
  EXPECT_EQ("MZ", ReadFile(Temp / "toolbar.dll"));

  // One status per class key, upper-cased, then the summary; the file phase is skipped.
  ASSERT_EQ(ClassKeyCount() + 1, Statuses.size());
  for (std::size_t n = 0; n + 1 < Statuses.size(); ++n) ASSERT_EQ(0u, Statuses[n].rfind(kRegistryStatus, 0)) << Statuses[n];
  EXPECT_NE(Statuses.end(), std::find(Statuses.begin(), Statuses.end(), kRegistryStatus + UpperClassId(ToolbarId)));
  EXPECT_NE(Statuses.end(), std::find(Statuses.begin(), Statuses.end(), kRegistryStatus + UpperClassId(SpywareId)));
  EXPECT_EQ(kFound, Statuses.back());
  ExpectBarSteps();
  EXPECT_EQ(1, DoneNotices);
}

TEST_F(ScanSpywareTest, AutomaticRemovalSaysWhenOnlyTheRegistrationWent) {
  LoadDatabase();
  const TSeededClass spyware(SpywareId, Temp / "spyware.dll");
  const TSpywareRemoval outcomes[] = {TSpywareRemoval::RegistrationRemoved, TSpywareRemoval::Failed};
  std::size_t calls = 0;
  Scan("REGISTRY", true, [&](const TBhoEntry&) { return outcomes[calls++ % 2]; });
  EXPECT_EQ((std::vector<std::string>{"row 1 supprimer", "removed 1 enregistrement supprimé",
                                      "row 2 suppression échouée"}),
            Log);
}

TEST_F(ScanSpywareTest, AutomaticRemovalMarksTheRowsOfRemovedEntriesOnly) {
  LoadDatabase();
  const TSeededClass spyware(SpywareId, Temp / "spyware.dll");
  // The first removal of the identifier succeeds; the second finds it gone.
  std::vector<std::string> removed;
  Scan("REGISTRY", true, [&](const TBhoEntry& entry) {
    removed.push_back(entry.Clsid.Str());
    Log.push_back("removal " + entry.DisplayName.Str());
    return removed.size() == 1 ? TSpywareRemoval::Removed : TSpywareRemoval::Failed;
  });
  EXPECT_EQ((std::vector<std::string>{UpperClassId(SpywareId), UpperClassId(SpywareId)}), removed);
  EXPECT_EQ((std::vector<std::string>{"removal Test Spyware", "row 1 supprimer", "removed 1",
                                      "removal Test Spyware again", "row 2 suppression échouée"}),
            Log);
  EXPECT_EQ(kFound, Statuses.back());
}

// With the real removal: server files and class keys go; the identifier's second entry finds
// its key gone, and its row says so.
TEST_F(ScanSpywareTest, AutomaticRemovalTakesTheServerFilesAndTheKeys) {
  LoadDatabase();
  Temp.Write("toolbar.dll", "MZ");
  Temp.Write("spyware.dll", "MZ");
  const TSeededClass toolbar(ToolbarId, Temp / "toolbar.dll"), spyware(SpywareId, Temp / "spyware.dll");
  Scan("REGISTRY", true, RemoveSpywareEntry);

  ASSERT_EQ(3u, Rows.size());
  const auto rowNumber = [&](const std::string& name) { return std::to_string(RowNamed(name) - Rows.data() + 1); };
  for (const char* name : {kToolbar, "Test Spyware"}) {
    ASSERT_NE(nullptr, RowNamed(name));
    EXPECT_EQ("supprimer", RowNamed(name)->Action) << name;
    EXPECT_EQ(1, std::count(Log.begin(), Log.end(), "removed " + rowNumber(name))) << name;
  }
  ASSERT_NE(nullptr, RowNamed("Test Spyware again"));
  EXPECT_EQ("suppression échouée", RowNamed("Test Spyware again")->Action);
  EXPECT_EQ(0, std::count(Log.begin(), Log.end(), "removed " + rowNumber("Test Spyware again")));
  EXPECT_FALSE(toolbar.Exists());
  EXPECT_FALSE(spyware.Exists());
  EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA((Temp / "toolbar.dll").c_str()));
  EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA((Temp / "spyware.dll").c_str()));
  EXPECT_EQ(kFound, Statuses.back());
}

TEST_F(ScanSpywareTest, WithoutDatabaseEntriesEveryKeyIsShownAndNothingFound) {
  ASSERT_EQ(BhoReadOk, ReadBhoFile(Temp.Write("empty.dat", BhoRecord('H', "header", "", ""))));
  const TSeededClass toolbar(ToolbarId, "x.dll");
  Scan("REGISTRY");
  EXPECT_TRUE(Rows.empty());
  EXPECT_EQ(ClassKeyCount() + 1, Statuses.size());
  EXPECT_EQ(kNothingFound, Statuses.back());
  ExpectBarSteps();
}

TEST_F(ScanSpywareTest, OnlyTheExactModeTextRunsTheFilePhase) {
  LoadDatabase();
  for (const char* mode : {"REGISTRY", "registryandfiles", "REGISTRYANDFILES ", ""}) {
    Statuses.clear();
    Positions.clear();
    Scan(mode);
    ASSERT_GE(Statuses.size(), 2u);
    EXPECT_EQ(0u, Statuses[Statuses.size() - 2].rfind(kRegistryStatus, 0)) << '"' << mode << '"';
    EXPECT_EQ(kNothingFound, Statuses.back());
  }
}

// The whole file phase: the three folders in order, files only (hidden and system ones too),
// at least 25 ms each.
// The current folder is no Windows folder: without one, the file phase lists nothing.
TEST_F(ScanSpywareTest, FilePhaseIsEmptyWhenTheWindowsFolderIsUnknown) {
  Temp.Write("ordinary.txt", "x");
  wchar_t current[MAX_PATH];
  GetCurrentDirectoryW(MAX_PATH, current);
  SetCurrentDirectoryW(PathFromUtf8(Temp / "").c_str());
  LoadDatabase();
  Scan("REGISTRYANDFILES", false, {}, [] { return std::string(); });
  SetCurrentDirectoryW(current);

  const auto started = std::find(Statuses.begin(), Statuses.end(), kFilesStarted);
  ASSERT_NE(Statuses.end(), started);
  EXPECT_EQ(kNothingFound, *(started + 1)) << "no file is shown after the file phase's start";
  EXPECT_EQ(started + 2, Statuses.end());
}

TEST_F(ScanSpywareTest, FilePhaseShowsTheFilesOfTheWindowsFolders) {
  const std::string windows = WindowsFolder();
  const std::string hiddenName = "qrxspy" + std::to_string(GetCurrentProcessId()) + ".tmp";
  const std::string folderName = "qrxspydir" + std::to_string(GetCurrentProcessId());
  WriteFile(windows + hiddenName, "x");
  SetFileAttributesA((windows + hiddenName).c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
  CreateDirectoryA((windows + folderName).c_str(), nullptr);
  LoadDatabase();
  Scan("REGISTRYANDFILES");
  SetFileAttributesA((windows + hiddenName).c_str(), FILE_ATTRIBUTE_NORMAL);
  DeleteFileA((windows + hiddenName).c_str());
  RemoveDirectoryA((windows + folderName).c_str());

  const auto started = std::find(Statuses.begin(), Statuses.end(), kFilesStarted);
  ASSERT_NE(Statuses.end(), started);
  ASSERT_NE(Statuses.begin(), started);
  EXPECT_EQ(0u, (started - 1)->rfind(kRegistryStatus, 0)) << "the file phase follows the registry phase";
  EXPECT_EQ(kNothingFound, Statuses.back());
  ExpectBarSteps();

  // Each file text names a file of W, "system\" or "system32\", in that order.
  const std::vector<std::string> folders = {windows, windows + "system\\", windows + "system32\\"};
  std::vector<int> seenInFolder(3, 0);
  int lastFolder = 0;
  const std::size_t first = static_cast<std::size_t>(started - Statuses.begin()) + 1;
  for (std::size_t n = first; n + 1 < Statuses.size(); ++n) {
    const std::string& text = Statuses[n];
    ASSERT_EQ(0u, text.rfind(kFileStatus, 0)) << text;
    const std::string path = text.substr(kFileStatus.size());
    const std::size_t slash = path.rfind('\\');
    const auto folder = std::find(folders.begin(), folders.end(), path.substr(0, slash + 1));
    ASSERT_NE(folders.end(), folder) << text;
    const int index = static_cast<int>(folder - folders.begin());
    ASSERT_GE(index, lastFolder) << text;
    lastFolder = index;
    ++seenInFolder[index];
    const DWORD attributes = GetFileAttributesA(path.c_str());
    if (path.substr(slash + 1) != hiddenName) {
      EXPECT_TRUE(attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY)) << text;
    }
  }
  EXPECT_EQ(1, std::count(Statuses.begin(), Statuses.end(), kFileStatus + windows + hiddenName));
  for (const std::string& text : Statuses) EXPECT_EQ(std::string::npos, text.find(folderName)) << text;
  EXPECT_GT(seenInFolder[0], 0);
  EXPECT_GT(seenInFolder[2], 0);

  // The pace: every file stays at least 25 ms.
  for (std::size_t n = first + 1; n + 1 < Statuses.size(); ++n)
    ASSERT_GE(StatusTimes[n] - StatusTimes[n - 1], 24.5) << Statuses[n - 1];
}

TEST_F(ScanSpywareTest, StopDuringTheRegistryPhaseSkipsTheRestAndStillShowsTheSummary) {
  LoadDatabase();
  const TSeededClass toolbar(ToolbarId, "x.dll");
  // Stopped while the toolbar's key is shown: its entry is no longer compared.
  StopWhen = [&](const std::string& text) { return text == kRegistryStatus + UpperClassId(ToolbarId); };
  Scan("REGISTRYANDFILES");
  EXPECT_EQ(nullptr, RowNamed(kToolbar));
  ASSERT_GE(Statuses.size(), 2u);
  EXPECT_EQ(kRegistryStatus + UpperClassId(ToolbarId), Statuses[Statuses.size() - 2]);
  EXPECT_EQ(Rows.empty() ? kNothingFound : kFound, Statuses.back());
  EXPECT_EQ(80, Positions.back());
  EXPECT_EQ(1, DoneNotices);
}

TEST_F(ScanSpywareTest, StopDuringTheFilePhaseEndsItAtOnce) {
  LoadDatabase();
  const TSeededClass spyware(SpywareId, "x.dll");
  StopWhen = [&](const std::string& text) { return text.rfind(kFileStatus, 0) == 0; };
  Scan("REGISTRYANDFILES");
  ASSERT_GE(Statuses.size(), 3u);
  EXPECT_EQ(kFilesStarted, Statuses[Statuses.size() - 3]);
  EXPECT_EQ(0u, Statuses[Statuses.size() - 2].rfind(kFileStatus, 0));
  EXPECT_EQ(kFound, Statuses.back()) << "the summary counts the threats found before the stop";
  EXPECT_EQ(2u, Rows.size());
  EXPECT_EQ(1, DoneNotices);
}

}  // namespace

namespace {

std::wstring Wide(const std::string& ascii) { return std::wstring(ascii.begin(), ascii.end()); }

// HKEY_CLASSES_ROOT pointed, for this process, at a key of the test's own whose "CLSID" and its
// one entry grant reading and nothing else, as a standard account meets the class keys of a
// managed machine.
class TReadOnlyClassesRoot {
 public:
  TReadOnlyClassesRoot() {
    Remove();  // what an earlier run left, should it have been stopped
    RegCreateKeyExW(HKEY_CURRENT_USER, Root_.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &Root_Key, nullptr);
    HKEY classes = nullptr, entry = nullptr;
    RegCreateKeyExW(Root_Key, L"CLSID", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &classes, nullptr);
    RegCreateKeyExW(classes, Wide(kEntry).c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &entry, nullptr);
    // Everyone may read; nobody may write or delete.
    alignas(ACL) BYTE aclBytes[256];
    auto* acl = reinterpret_cast<ACL*>(aclBytes);
    InitializeAcl(acl, sizeof aclBytes, ACL_REVISION);
    BYTE everyone[SECURITY_MAX_SID_SIZE];
    DWORD sidSize = sizeof everyone;
    CreateWellKnownSid(WinWorldSid, nullptr, everyone, &sidSize);
    AddAccessAllowedAce(acl, ACL_REVISION, KEY_READ, everyone);
    SetDacl(entry, acl);
    SetDacl(classes, acl);
    RegCloseKey(entry);
    RegCloseKey(classes);
    RegOverridePredefKey(HKEY_CLASSES_ROOT, Root_Key);
  }
  ~TReadOnlyClassesRoot() {
    RegOverridePredefKey(HKEY_CLASSES_ROOT, nullptr);
    RegCloseKey(Root_Key);
    Remove();
  }
  TReadOnlyClassesRoot(const TReadOnlyClassesRoot&) = delete;
  TReadOnlyClassesRoot& operator=(const TReadOnlyClassesRoot&) = delete;

  static constexpr char kEntry[] = "{5152580A-0000-4ABC-8DEF-000000000001}";

  // Whether the system refuses writing there at all: otherwise there is nothing to show.
  static bool WritingIsRefused() {
    HKEY key = nullptr;
    const LONG result = RegOpenKeyExW(HKEY_CLASSES_ROOT, L"CLSID", 0, KEY_ALL_ACCESS, &key);
    if (result == ERROR_SUCCESS) RegCloseKey(key);
    return result == ERROR_ACCESS_DENIED;
  }

 private:
  static void SetDacl(HKEY key, ACL* acl) {
    SECURITY_DESCRIPTOR descriptor;
    InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION);
    SetSecurityDescriptorDacl(&descriptor, TRUE, acl, FALSE);
    RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, &descriptor);
  }

  // Rights back to everyone (the owner may always change them), then the keys go.
  void Remove() const {
    for (const std::wstring& key : {Root_ + L"\\CLSID\\" + Wide(kEntry), Root_ + L"\\CLSID"}) {
      HKEY handle = nullptr;
      if (RegOpenKeyExW(HKEY_CURRENT_USER, key.c_str(), 0, WRITE_DAC, &handle) != ERROR_SUCCESS) continue;
      SetDacl(handle, nullptr);
      RegCloseKey(handle);
    }
    RegDeleteTreeW(HKEY_CURRENT_USER, Root_.c_str());
  }

  // Wine gives its processes the same few numbers again: a stopped run's keys may be met.
  const std::wstring Root_ = L"Software\\QrxReadOnlyClasses" + std::to_wstring(GetCurrentProcessId());
  HKEY Root_Key = nullptr;
};

// The scan reads only, which every account may do.
TEST(ClassKeysTest, AreListedWithoutTheRightToWriteThem) {
  const TReadOnlyClassesRoot readOnly;
  if (!TReadOnlyClassesRoot::WritingIsRefused()) GTEST_SKIP() << "this system does not enforce key rights";
  EXPECT_EQ(std::vector<std::string>{TReadOnlyClassesRoot::kEntry}, ListClassKeys());
}

}  // namespace
