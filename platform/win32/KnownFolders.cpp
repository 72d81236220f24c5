#include "../KnownFolders.h"

#include <windows.h>
// After windows.h:
#include <knownfolders.h>
#include <shlobj.h>

#include "../WideText.h"

namespace QrxPlatform {

std::string WindowsFolder() {
  std::wstring folder(MAX_PATH, L'\0');
  for (;;) {
    const UINT length = ::GetWindowsDirectoryW(folder.data(), static_cast<UINT>(folder.size()));
    if (length == 0) return {};
    if (length < folder.size()) {
      folder.resize(length);
      break;
    }
    folder.resize(length + 1);  // the answer is the size needed
  }
  if (folder.back() != L'\\') folder += L'\\';
  return Utf8(folder);
}

std::vector<std::string> SharedSystemFolders() {
  static const KNOWNFOLDERID* const kShared[] = {&FOLDERID_Windows, &FOLDERID_System, &FOLDERID_SystemX86,
                                                 &FOLDERID_ProgramFilesCommon, &FOLDERID_ProgramFilesCommonX86,
                                                 &FOLDERID_ProgramFilesCommonX64};
  std::vector<std::string> folders;
  for (const KNOWNFOLDERID* id : kShared) {
    wchar_t* path = nullptr;
    if (SUCCEEDED(::SHGetKnownFolderPath(*id, KF_FLAG_DONT_VERIFY, nullptr, &path))) folders.push_back(Utf8(path));
    ::CoTaskMemFree(path);
  }
  // A 32-bit process on a 64-bit system is not given the 64-bit shared folder by the call
  // above; the system tells it through its environment instead.
  wchar_t common64[MAX_PATH];
  const DWORD length = ::GetEnvironmentVariableW(L"CommonProgramW6432", common64, MAX_PATH);
  if (length > 0 && length < MAX_PATH) folders.push_back(Utf8(std::wstring_view(common64, length)));
  return folders;
}

}  // namespace QrxPlatform
