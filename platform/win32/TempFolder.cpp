#include "../TempFolder.h"

#include <windows.h>

#include "../FileSystem.h"
#include "../WideText.h"

namespace QrxPlatform {

std::string TempFolder() {
  // The documented most is MAX_PATH + 1 characters; a longer TMP is refused by the system.
  wchar_t buffer[MAX_PATH + 2];
  const DWORD length = ::GetTempPathW(MAX_PATH + 2, buffer);
  if (length == 0 || length > MAX_PATH + 1) return {};
  std::string folder = Utf8(std::wstring_view(buffer, length));
  if (folder.back() != kSeparator) folder += kSeparator;
  return folder;
}

std::string MakeTempFolder() {
  const std::string base = TempFolder();
  if (base.empty()) return {};
  for (unsigned attempt = 0; attempt < 1000; ++attempt) {
    const unsigned tag = (::GetTickCount() + attempt * 7919u + ::GetCurrentProcessId()) % 1000000u;
    const std::string path = base + "qrx" + std::to_string(tag);
    if (MakeFolder(path)) return path;
    if (::GetLastError() != ERROR_ALREADY_EXISTS) return {};
  }
  return {};
}

TScratchFolder::~TScratchFolder() {
  if (Marker_ == -1) return;
  ::CloseHandle(reinterpret_cast<HANDLE>(Marker_));
  RemoveTree(Path_);
}

bool TScratchFolder::Create(const std::string& path) {
  if (!MakeFolder(path)) return false;
  // Shared for reading only: no other process can delete the marker while it is open, and a
  // killed process's handles close with it. That is how the clean-up tells the two apart.
  HANDLE marker = ::CreateFileW(SystemPath(path + kSeparator + kScratchMarkerName).c_str(),
                                GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_NEW,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
  if (marker == INVALID_HANDLE_VALUE) {
    RemoveFolder(path);
    return false;
  }
  Marker_ = reinterpret_cast<std::intptr_t>(marker);
  Path_ = path;
  return true;
}

bool RemoveIfAbandoned(const std::string& folder) {
  // The deletion fails while a live scan holds the marker open, and when there is none.
  return RemoveFile(folder + kSeparator + kScratchMarkerName) && RemoveTree(folder);
}

}  // namespace QrxPlatform
