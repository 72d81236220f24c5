#include "qrx_data_loading.h"

#include <windows.h>

#include <vector>

namespace {

std::string ExecutablePath() {
  std::vector<char> path(MAX_PATH);
  for (;;) {
    const DWORD length = GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0) return {};
    if (length < path.size()) return std::string(path.data(), length);
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
