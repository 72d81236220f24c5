#include "../KnownFolders.h"

#include <windows.h>

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

}  // namespace QrxPlatform
