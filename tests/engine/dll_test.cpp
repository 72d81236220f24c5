// The built TN_SSCAN.DLL as the program binds it: loaded by name, three undecorated
// __stdcall exports and nothing else.
#include <windows.h>

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "WideText.h"
#include "engine_test_support.h"
#include "tn_sscan.h"

namespace qrx::engine {
namespace {

using InitScan = decltype(&initscan);
using ScanFile = decltype(&scanfile);

// A UTF-8 path in the system's ANSI code page, as a caller of scanfile holds it; empty when the
// code page cannot spell it.
std::string ansiPath(const std::string& utf8) {
  const std::wstring wide = QrxPlatform::Wide(utf8);
  const int size = static_cast<int>(wide.size());
  std::string ansi(wide.size() * 2, '\0');
  BOOL lossy = FALSE;
  const int length = ::WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), size, ansi.data(),
                                           static_cast<int>(ansi.size()), nullptr, &lossy);
  if (length <= 0 || lossy) return {};
  ansi.resize(static_cast<std::size_t>(length));
  return ansi;
}

class Dll : public ::testing::Test {
 protected:
  void SetUp() override {
    module_ = ::LoadLibraryA("TN_SSCAN.DLL");  // found beside this test, as beside the program
    ASSERT_NE(module_, nullptr);
    initscan_ = exported<InitScan>("initscan");
    scanfile_ = exported<ScanFile>("scanfile");
    scanfileutf8_ = exported<ScanFile>("scanfileutf8");
    ASSERT_NE(initscan_, nullptr);
    ASSERT_NE(scanfile_, nullptr);
    ASSERT_NE(scanfileutf8_, nullptr);
  }
  void TearDown() override {
    if (module_) ::FreeLibrary(module_);
  }

  template <typename Export>
  Export exported(const char* name) const {
    return reinterpret_cast<Export>(reinterpret_cast<void*>(::GetProcAddress(module_, name)));
  }

  std::set<std::string> exportedNames() const {
    const auto* base = reinterpret_cast<const BYTE*>(module_);
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& dir = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT];
    const auto* exports = reinterpret_cast<const IMAGE_EXPORT_DIRECTORY*>(base + dir.VirtualAddress);
    const auto* names = reinterpret_cast<const DWORD*>(base + exports->AddressOfNames);
    std::set<std::string> out;
    for (DWORD i = 0; i < exports->NumberOfNames; ++i) out.insert(reinterpret_cast<const char*>(base + names[i]));
    return out;
  }

  void primeWithEicar() {
    const auto table = test::makeTable({{"Junk", "ZZ"}, {"EICAR-Test-File", test::hexOf(test::kEicar)}});
    ASSERT_EQ(initscan_(table.data(), 2), TN_INIT_OK);
  }

  HMODULE module_ = nullptr;
  InitScan initscan_ = nullptr;
  ScanFile scanfile_ = nullptr;
  ScanFile scanfileutf8_ = nullptr;
};

TEST_F(Dll, ExportsExactlyTheThreeEntryPoints) {
  EXPECT_EQ(exportedNames(), (std::set<std::string>{"initscan", "scanfile", "scanfileutf8"}));
}

TEST_F(Dll, ScansThroughTheExports) {
  test::TempDir dir;
  const std::string eicar = dir.write("eicar.com", test::bytes(test::kEicar));
  TScanFileResult r{};
  for (const ScanFile scan : {scanfile_, scanfileutf8_}) EXPECT_EQ(scan(eicar.c_str(), &r), TN_SCAN_NOT_INITIALISED);

  primeWithEicar();
  const std::string clean = dir.write("clean.txt", test::bytes("nothing here"));
  for (const ScanFile scan : {scanfile_, scanfileutf8_}) {
    SCOPED_TRACE(scan == scanfile_ ? "scanfile" : "scanfileutf8");
    r = TScanFileResult{};
    EXPECT_EQ(scan(eicar.c_str(), &r), TN_SCAN_INFECTED);
    EXPECT_EQ(r.Found, 1);
    EXPECT_EQ(r.FoundName.Str(), "EICAR-Test-File");
    EXPECT_EQ(scan(clean.c_str(), &r), TN_SCAN_CLEAN);
    EXPECT_EQ(r.Found, 0);
    EXPECT_EQ(scan(dir.path().c_str(), &r), TN_SCAN_CANNOT_OPEN);
    EXPECT_EQ(scan("C:\\no\\such\\file.bin", &r), TN_SCAN_CANNOT_OPEN);
    EXPECT_EQ(scan("", &r), TN_SCAN_BAD_ARGUMENT);
    EXPECT_EQ(scan(nullptr, &r), TN_SCAN_BAD_ARGUMENT);
    EXPECT_EQ(scan(eicar.c_str(), nullptr), TN_SCAN_BAD_ARGUMENT);
  }
}

// A name in any script, and a path of any length, through scanfileutf8. The signature's name
// comes back as the record holds it, Windows-1252.
TEST_F(Dll, Utf8PathsReachEveryName) {
  const auto table = test::makeTable({{"EICAR \xC7" "a", test::hexOf(test::kEicar)}});
  ASSERT_EQ(initscan_(table.data(), 1), TN_INIT_OK);
  test::TempDir dir;
  for (const test::NamedFile& file : test::filesNamedInAnyScript()) {
    SCOPED_TRACE(file.label);
    const std::string path = dir.write(file.path, test::bytes(test::kEicar));
    TScanFileResult r{};
    EXPECT_EQ(scanfileutf8_(path.c_str(), &r), TN_SCAN_INFECTED) << path;
    EXPECT_EQ(r.FoundName.Str(), "EICAR \xC7" "a");
    EXPECT_EQ(scanfileutf8_((path + ".missing").c_str(), &r), TN_SCAN_CANNOT_OPEN);
  }
}

// Callers of the single-byte export keep working, past 260 characters too.
TEST_F(Dll, AnsiPathsThroughScanfile) {
  primeWithEicar();
  test::TempDir dir;
  const struct {
    const char* label;
    std::string name;
  } cases[] = {
      {"ASCII", "eicar.com"},
      {"Windows-1252", "été Ça.com"},
      {"past 260 characters", test::deepFolders() + "déjà vu.com"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    const std::string ansi = ansiPath(dir.write(c.name, test::bytes(test::kEicar)));
    ASSERT_FALSE(ansi.empty()) << "the code page spells the name";
    TScanFileResult r{};
    EXPECT_EQ(scanfile_(ansi.c_str(), &r), TN_SCAN_INFECTED);
    EXPECT_EQ(r.FoundName.Str(), "EICAR-Test-File");
  }
}

// A file another program holds open without sharing cannot be read: "not scanned".
// One held open for reading and writing, shared, is still scanned.
TEST_F(Dll, FilesHeldOpenByOthers) {
  test::TempDir dir;
  const std::string path = dir.write("held.bin", test::bytes(test::kEicar));
  const auto table = test::makeTable({{"EICAR", test::hexOf(test::kEicar)}});
  ASSERT_EQ(initscan_(table.data(), 1), TN_INIT_OK);
  TScanFileResult r{};

  HANDLE exclusive = ::CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(exclusive, INVALID_HANDLE_VALUE);
  EXPECT_EQ(scanfileutf8_(path.c_str(), &r), TN_SCAN_CANNOT_OPEN);
  ::CloseHandle(exclusive);

  HANDLE shared = ::CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(shared, INVALID_HANDLE_VALUE);
  EXPECT_EQ(scanfileutf8_(path.c_str(), &r), TN_SCAN_INFECTED);
  ::CloseHandle(shared);
}

}  // namespace
}  // namespace qrx::engine
