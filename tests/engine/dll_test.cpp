// The built TN_SSCAN.DLL as the program binds it: loaded by name, two undecorated
// __stdcall exports and nothing else.
#include <windows.h>

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "engine_test_support.h"
#include "tn_sscan.h"

namespace qrx::engine {
namespace {

using InitScan = decltype(&initscan);
using ScanFile = decltype(&scanfile);

class Dll : public ::testing::Test {
 protected:
  void SetUp() override {
    module_ = ::LoadLibraryA("TN_SSCAN.DLL");  // found beside this test, as beside the program
    ASSERT_NE(module_, nullptr);
    initscan_ = reinterpret_cast<InitScan>(reinterpret_cast<void*>(::GetProcAddress(module_, "initscan")));
    scanfile_ = reinterpret_cast<ScanFile>(reinterpret_cast<void*>(::GetProcAddress(module_, "scanfile")));
    ASSERT_NE(initscan_, nullptr);
    ASSERT_NE(scanfile_, nullptr);
  }
  void TearDown() override {
    if (module_) ::FreeLibrary(module_);
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

  HMODULE module_ = nullptr;
  InitScan initscan_ = nullptr;
  ScanFile scanfile_ = nullptr;
};

TEST_F(Dll, ExportsExactlyTheTwoEntryPoints) {
  EXPECT_EQ(exportedNames(), (std::set<std::string>{"initscan", "scanfile"}));
}

TEST_F(Dll, ScansThroughTheExports) {
  test::TempDir dir;
  const std::string eicar = dir.write("eicar.com", test::bytes(test::kEicar));
  TScanFileResult r{};
  EXPECT_EQ(scanfile_(eicar.c_str(), &r), TN_SCAN_NOT_INITIALISED);

  const auto table = test::makeTable({{"Junk", "ZZ"}, {"EICAR-Test-File", test::hexOf(test::kEicar)}});
  ASSERT_EQ(initscan_(table.data(), 2), TN_INIT_OK);
  EXPECT_EQ(scanfile_(eicar.c_str(), &r), TN_SCAN_INFECTED);
  EXPECT_EQ(r.Found, 1);
  EXPECT_EQ(r.FoundName.Str(), "EICAR-Test-File");
  EXPECT_EQ(scanfile_(dir.write("clean.txt", test::bytes("nothing here")).c_str(), &r), TN_SCAN_CLEAN);
  EXPECT_EQ(r.Found, 0);
  EXPECT_EQ(scanfile_(dir.path().c_str(), &r), TN_SCAN_CANNOT_OPEN);
  EXPECT_EQ(scanfile_("C:\\no\\such\\file.bin", &r), TN_SCAN_CANNOT_OPEN);
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
  EXPECT_EQ(scanfile_(path.c_str(), &r), TN_SCAN_CANNOT_OPEN);
  ::CloseHandle(exclusive);

  HANDLE shared = ::CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(shared, INVALID_HANDLE_VALUE);
  EXPECT_EQ(scanfile_(path.c_str(), &r), TN_SCAN_INFECTED);
  ::CloseHandle(shared);
}

}  // namespace
}  // namespace qrx::engine
