// RemoveSpywareEntry against the test prefix's real registry and disk: each test seeds its own
// class key and files and removes what is left of them.
#include <gtest/gtest.h>

#include <shlobj.h>

#include "qrx_spyware_removal.h"
#include "removal_test_support.h"

namespace {

class SpywareRemovalTest : public ::testing::Test {
 protected:
  // The database entry that names `clsid`.
  static TBhoEntry Entry(const std::string& clsid) {
    TBhoEntry entry{};
    entry.Kind = SpywareKind;
    entry.Clsid.Assign(clsid);
    return entry;
  }
  // A class key whose InProcServer32 default value is `server`.
  void SeedClass(const std::string& server) { SeedKey(Clsid, "InProcServer32", &server); }

  TScratchFolder Scratch{"qrx-spyware"};
  const std::string Clsid = TestClsid(1);
  TClassKeyCleanup Cleanup{Clsid};
};

TEST_F(SpywareRemovalTest, ServerFileAndWholeClassKeyGo) {
  const std::string server = Scratch.File("espion.dll");
  SeedClass(server);
  SeedKey(Clsid, "ProgID");
  EXPECT_EQ(TSpywareRemoval::Removed, RemoveSpywareEntry(Entry(Clsid)));
  EXPECT_FALSE(FileExists(server));
  EXPECT_FALSE(ClassKeyExists(Clsid));
}

TEST_F(SpywareRemovalTest, ServerFileNamedInAnyScriptGoes) {
  for (const char* name : {"données\\шпион.dll", "間諜\\😀 espion.dll"}) {
    SCOPED_TRACE(name);
    const std::string server = Scratch.File(name);
    ASSERT_TRUE(FileExists(server));
    SeedClass(server);
    EXPECT_EQ(TSpywareRemoval::Removed, RemoveSpywareEntry(Entry(Clsid)));
    EXPECT_FALSE(FileExists(server));
    EXPECT_FALSE(ClassKeyExists(Clsid));
  }
}

TEST_F(SpywareRemovalTest, WithoutInProcServer32OnlyTheKeyGoes) {
  const std::string bystander = Scratch.File("autre.dll");
  SeedKey(Clsid, "LocalServer32", &bystander);
  EXPECT_EQ(TSpywareRemoval::Removed, RemoveSpywareEntry(Entry(Clsid)));
  EXPECT_FALSE(ClassKeyExists(Clsid));
  EXPECT_TRUE(FileExists(bystander));
}

TEST_F(SpywareRemovalTest, NestedSubkeysAreDeletedWithTheKey) {
  for (const char* path : {"A\\B\\C\\D", "A\\B\\C2", "A\\B2\\C3\\D3\\E3", "Z", "InProcServer32\\Sous"})
    SeedKey(Clsid, path);
  // An InProcServer32 without a value names no file.
  EXPECT_EQ(TSpywareRemoval::Removed, RemoveSpywareEntry(Entry(Clsid)));
  EXPECT_FALSE(ClassKeyExists(Clsid));
}

TEST_F(SpywareRemovalTest, AServerFileAlreadyGoneDoesNotHoldTheKeyBack) {
  SeedClass(Scratch.PathOf("absent.dll"));
  EXPECT_EQ(TSpywareRemoval::Removed, RemoveSpywareEntry(Entry(Clsid)));
  EXPECT_FALSE(ClassKeyExists(Clsid));
}

// The key is all that leads to the file: it stays until the file can go.
TEST_F(SpywareRemovalTest, AServerFileInUseKeepsTheKeyForALaterRemoval) {
  const std::string server = Scratch.File("ouvert.dll");
  SeedClass(server);
  HANDLE held = CreateFileW(WideOf(server).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(INVALID_HANDLE_VALUE, held);
  EXPECT_EQ(TSpywareRemoval::Failed, RemoveSpywareEntry(Entry(Clsid)));
  EXPECT_TRUE(FileExists(server));
  EXPECT_TRUE(ClassKeyExists(Clsid));
  CloseHandle(held);

  EXPECT_EQ(TSpywareRemoval::Removed, RemoveSpywareEntry(Entry(Clsid)));
  EXPECT_FALSE(FileExists(server));
  EXPECT_FALSE(ClassKeyExists(Clsid));
}

// Files of Windows and of the programs' shared folders stay however the registration spells
// them; the registration goes.
TEST_F(SpywareRemovalTest, ASharedSystemFileStaysAndOnlyTheRegistrationGoes) {
  wchar_t system[MAX_PATH], common[MAX_PATH];
  ASSERT_GT(GetSystemDirectoryW(system, MAX_PATH), 0u);
  ASSERT_TRUE(SHGetSpecialFolderPathW(nullptr, common, CSIDL_PROGRAM_FILES_COMMON, TRUE));
  const std::string name = "qrx-fichier-partage-" + std::to_string(GetCurrentProcessId()) + ".dll";
  for (const std::filesystem::path& folder : {std::filesystem::path(system), std::filesystem::path(common)}) {
    const std::filesystem::path file = folder / PathOfUtf8(name);
    std::ofstream(file, std::ios::binary) << "MZ";
    const std::string exact = Utf8Of(file);
    wchar_t shortName[MAX_PATH] = L"";
    GetShortPathNameW(file.c_str(), shortName, MAX_PATH);
    std::string upper = exact;
    for (char& c : upper) c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 32 : c);
    std::string slashes = exact;
    for (char& c : slashes) c = c == '\\' ? '/' : c;
    const std::string detour = Utf8Of(folder) + "\\.\\..\\" + Utf8Of(folder.filename()) + "\\" + name;
    for (const std::string& spelling : {exact, upper, Utf8Of(shortName), slashes, detour}) {
      SCOPED_TRACE(spelling);
      SeedClass(spelling);
      EXPECT_EQ(TSpywareRemoval::RegistrationRemoved, RemoveSpywareEntry(Entry(Clsid)));
      EXPECT_TRUE(FileExists(exact));
      EXPECT_FALSE(ClassKeyExists(Clsid));
    }
    std::filesystem::remove(file);
  }
}

TEST_F(SpywareRemovalTest, SecondCallFailsAndChangesNothing) {
  const std::string server = Scratch.File("espion.dll");
  SeedClass(server);
  ASSERT_EQ(TSpywareRemoval::Removed, RemoveSpywareEntry(Entry(Clsid)));
  const std::string sameName = Scratch.File("espion.dll");  // a new file under the old name
  EXPECT_EQ(TSpywareRemoval::Failed, RemoveSpywareEntry(Entry(Clsid)));
  EXPECT_TRUE(FileExists(sameName));
  EXPECT_FALSE(ClassKeyExists(Clsid));
}

// The value is used exactly as stored: quotes stay, environment references are not expanded.
// What it names does not exist, so it holds the key back no more than a file already gone.
TEST_F(SpywareRemovalTest, QuotedOrEnvironmentNamesAreNotFound) {
  const std::string server = Scratch.File("espion.dll");
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  const std::string underTemp = server.substr(Utf8Of(temp).size());
  for (const std::string& value : {"\"" + server + "\"", "%TEMP%\\" + underTemp, "%TMP%\\" + underTemp}) {
    SCOPED_TRACE(value);
    SeedClass(value);
    EXPECT_EQ(TSpywareRemoval::Removed, RemoveSpywareEntry(Entry(Clsid)));
    EXPECT_TRUE(FileExists(server));
    EXPECT_FALSE(ClassKeyExists(Clsid));
  }
}

TEST_F(SpywareRemovalTest, KeyStoredInLowerCaseIsFound) {
  std::string lower = Clsid;
  for (char& c : lower)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  ASSERT_NE(lower, Clsid);
  const std::string server = Scratch.File("minuscule.dll");
  SeedKey(lower, "InProcServer32", &server);
  EXPECT_EQ(TSpywareRemoval::Removed, RemoveSpywareEntry(Entry(Clsid)));
  EXPECT_FALSE(FileExists(server));
  EXPECT_FALSE(ClassKeyExists(lower));
}

TEST_F(SpywareRemovalTest, NonTextServerValueRemovesNoFile) {
  SeedKey(Clsid, "InProcServer32");
  HKEY key;
  ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_CLASSES_ROOT, ("CLSID\\" + Clsid + "\\InProcServer32").c_str(), 0,
                                         KEY_ALL_ACCESS, &key));
  const DWORD number = 7;
  RegSetValueExA(key, nullptr, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number), sizeof number);
  RegCloseKey(key);
  EXPECT_EQ(TSpywareRemoval::Removed, RemoveSpywareEntry(Entry(Clsid)));
  EXPECT_FALSE(ClassKeyExists(Clsid));
}

// An empty identifier would name HKCR\CLSID itself: nothing may be deleted.
TEST_F(SpywareRemovalTest, EmptyIdentifierDeletesNothing) {
  SeedKey(Clsid);
  EXPECT_EQ(TSpywareRemoval::Failed, RemoveSpywareEntry(Entry("")));
  EXPECT_TRUE(ClassKeyExists(Clsid));
  HKEY classes;
  ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_CLASSES_ROOT, "CLSID", 0, KEY_READ, &classes));
  RegCloseKey(classes);
}

}  // namespace
