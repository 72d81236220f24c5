#include "../RegistryKey.h"

#include "../WideText.h"

namespace QrxPlatform {

TRegistryKey::TRegistryKey(HKEY parent, const std::string& path) {
  if (::RegOpenKeyExW(parent, Wide(path).c_str(), 0, KEY_READ, &Key_) != ERROR_SUCCESS) Key_ = nullptr;
}

TRegistryKey::~TRegistryKey() {
  if (Key_ != nullptr) ::RegCloseKey(Key_);
}

std::vector<std::string> TRegistryKey::SubkeyNames() const {
  std::vector<std::string> names;
  wchar_t name[256];  // a key name has at most 255 characters
  for (DWORD index = 0;; ++index) {
    DWORD length = 256;
    if (::RegEnumKeyExW(Key_, index, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    names.push_back(Utf8(std::wstring_view(name, length)));
  }
  return names;
}

std::string TRegistryKey::DefaultText() const {
  DWORD type = 0, size = 0;
  if (::RegQueryValueExW(Key_, nullptr, nullptr, &type, nullptr, &size) != ERROR_SUCCESS) return "";
  if (type != REG_SZ && type != REG_EXPAND_SZ) return "";
  std::wstring text(size / sizeof(wchar_t) + 1, L'\0');
  DWORD filled = static_cast<DWORD>(text.size() * sizeof(wchar_t));
  if (::RegQueryValueExW(Key_, nullptr, nullptr, &type, reinterpret_cast<BYTE*>(text.data()), &filled) !=
      ERROR_SUCCESS)
    return "";
  text.resize(filled / sizeof(wchar_t));
  return Utf8(std::wstring_view(text.c_str()));  // up to the first NUL
}

bool TRegistryKey::DeleteSubkey(const std::string& name) const {
  return ::RegDeleteKeyW(Key_, Wide(name).c_str()) == ERROR_SUCCESS;
}

}  // namespace QrxPlatform
