// The application manifest as it is built into the real Quorvex.exe beside this test.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

namespace {

// The manifest resource of the program in this test's folder; empty when it has none.
std::string ProgramManifest() {
  std::wstring path(MAX_PATH, L'\0');
  path.resize(GetModuleFileNameW(nullptr, path.data(), MAX_PATH));
  path.erase(path.find_last_of(L'\\') + 1);
  path += L"Quorvex.exe";
  HMODULE program = LoadLibraryExW(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  if (program == nullptr) return "";
  std::string manifest;
  constexpr WORD kManifestType = 24, kProcessManifest = 1;  // RT_MANIFEST, CREATEPROCESS_MANIFEST_RESOURCE_ID
  if (HRSRC found = FindResourceW(program, MAKEINTRESOURCEW(kProcessManifest), MAKEINTRESOURCEW(kManifestType))) {
    const void* bytes = LockResource(LoadResource(program, found));
    manifest.assign(static_cast<const char*>(bytes), SizeofResource(program, found));
  }
  FreeLibrary(program);
  return manifest;
}

// Every part in `parts` occurs in `text`, each after the one before.
void ExpectInOrder(const std::string& text, std::initializer_list<const char*> parts) {
  size_t at = 0;
  for (const char* part : parts) {
    at = text.find(part, at);
    ASSERT_NE(std::string::npos, at) << "missing, or out of place: " << part << "\nin:\n" << text;
  }
}

TEST(Manifest, DeclaresThePathsPastTheOldLimit) {
  ExpectInOrder(ProgramManifest(),
                {"<application xmlns=\"urn:schemas-microsoft-com:asm.v3\">", "<windowsSettings>",
                 "<longPathAware xmlns=\"http://schemas.microsoft.com/SMI/2016/WindowsSettings\">true</longPathAware>",
                 "</windowsSettings>", "</application>"});
}

TEST(Manifest, KeepsTheCommonControlsAndTheExecutionLevel) {
  ExpectInOrder(ProgramManifest(), {"name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\"",
                                    "<requestedExecutionLevel level=\"asInvoker\" uiAccess=\"false\"/>"});
}

}  // namespace
