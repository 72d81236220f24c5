#include "../WideText.h"

#include <windows.h>

#include <vector>

#include "../Text.h"

namespace QrxPlatform {
namespace {

static_assert(sizeof(wchar_t) == sizeof(char16_t));

bool IsDriveAbsolute(std::wstring_view path) {
  return path.size() >= 3 && ((path[0] | 0x20) >= L'a' && (path[0] | 0x20) <= L'z') && path[1] == L':' &&
         path[2] == L'\\';
}

bool IsUnc(std::wstring_view path) { return path.size() >= 2 && path[0] == L'\\' && path[1] == L'\\'; }

// The components after `rootLength` characters, with "." dropped, ".." taking the one before it
// away (never the root) and empty ones from doubled separators left out.
std::wstring Resolved(std::wstring_view path, std::size_t rootLength) {
  std::vector<std::wstring_view> parts;
  for (std::size_t at = rootLength; at <= path.size();) {
    std::size_t end = path.find(L'\\', at);
    if (end == std::wstring_view::npos) end = path.size();
    const std::wstring_view part = path.substr(at, end - at);
    if (part == L"..") {
      if (!parts.empty()) parts.pop_back();
    } else if (!part.empty() && part != L".") {
      parts.push_back(part);
    }
    at = end + 1;
  }
  std::wstring out(path.substr(0, rootLength));
  for (std::size_t i = 0; i < parts.size(); ++i) {
    if (i > 0) out += L'\\';
    out += parts[i];
  }
  // A path that named a folder with a final separator keeps it: "C:\" stays a root.
  if (!path.empty() && path.back() == L'\\' && !parts.empty()) out += L'\\';
  return out;
}

std::wstring FullPathOf(const std::wstring& path) {
  std::wstring full(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = ::GetFullPathNameW(path.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
    if (length == 0) return path;
    if (length < full.size()) {
      full.resize(length);
      return full;
    }
    full.resize(length + 1);
  }
}

}  // namespace

std::wstring Wide(std::string_view utf8) {
  const std::u16string wide = Utf16FromUtf8(utf8);
  return std::wstring(wide.begin(), wide.end());
}

std::string Utf8(std::wstring_view wide) {
  return Utf8FromUtf16(std::u16string_view(reinterpret_cast<const char16_t*>(wide.data()), wide.size()));
}

std::wstring SystemPath(std::string_view utf8Path) {
  std::wstring path = Wide(utf8Path);
  for (wchar_t& c : path)
    if (c == L'/') c = L'\\';
  if (path.rfind(L"\\\\?\\", 0) == 0 || path.rfind(L"\\\\.\\", 0) == 0) return path;
  if (!IsDriveAbsolute(path) && !IsUnc(path)) {
    path = FullPathOf(path);
    // Device names ("CON", "NUL") come back as "\\.\CON": no file to lengthen.
    if (path.rfind(L"\\\\.\\", 0) == 0 || path.rfind(L"\\\\?\\", 0) == 0) return path;
  }
  if (IsUnc(path)) {
    // "\\server\share" is the root: ".." never climbs above it.
    const std::size_t server = path.find(L'\\', 2);
    const std::size_t share = server == std::wstring::npos ? server : path.find(L'\\', server + 1);
    const std::size_t root = share == std::wstring::npos ? path.size() : share + 1;
    return L"\\\\?\\UNC\\" + Resolved(path, root).substr(2);
  }
  return L"\\\\?\\" + Resolved(path, 3);
}

std::string Utf8FromOem(std::string_view text) {
  if (text.empty()) return {};
  const int size = static_cast<int>(text.size());
  std::wstring wide(static_cast<std::size_t>(size), L'\0');
  const int length = ::MultiByteToWideChar(CP_OEMCP, 0, text.data(), size, wide.data(), size);
  if (length <= 0) return Utf8FromCp437(text);
  wide.resize(static_cast<std::size_t>(length));
  return Utf8(wide);
}

}  // namespace QrxPlatform
