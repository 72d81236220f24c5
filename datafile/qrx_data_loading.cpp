#include "qrx_data_loading.h"

#include <windows.h>

#include <vector>

#include "WideText.h"

namespace {

std::string ExecutablePath() {
  std::vector<wchar_t> path(MAX_PATH);
  for (;;) {
    const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0) return {};
    if (length < path.size()) return QrxPlatform::Utf8(std::wstring_view(path.data(), length));
    path.resize(path.size() * 2);  // cut short: try a larger buffer
  }
}

}  // namespace

std::string ProgramFolder() {
  std::string folder = ExecutablePath();
  folder.erase(folder.find_last_of("\\/") + 1);  // keeps the separator; empty when there is none
  if (folder.empty() || folder.back() != '\\') folder += '\\';
  return folder;
}
