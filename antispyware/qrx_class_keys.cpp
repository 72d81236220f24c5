#include "qrx_class_keys.h"

#include <windows.h>

namespace {

// An open registry key, closed when it goes.
class TRegistryKey {
 public:
  TRegistryKey(HKEY parent, const char* path) {
    if (RegOpenKeyExA(parent, path, 0, KEY_ALL_ACCESS, &Key_) != ERROR_SUCCESS) Key_ = nullptr;
  }
  ~TRegistryKey() {
    if (Key_ != nullptr) RegCloseKey(Key_);
  }
  TRegistryKey(const TRegistryKey&) = delete;
  TRegistryKey& operator=(const TRegistryKey&) = delete;

  bool IsOpen() const { return Key_ != nullptr; }

  std::vector<std::string> SubkeyNames() const {
    std::vector<std::string> names;
    char name[256];  // a key name has at most 255 characters
    for (DWORD index = 0;; ++index) {
      DWORD length = sizeof name;
      const LONG result = RegEnumKeyExA(Key_, index, name, &length, nullptr, nullptr, nullptr, nullptr);
      if (result != ERROR_SUCCESS) break;  // the end of the list, or a key that went away
      names.emplace_back(name, length);
    }
    return names;
  }

 private:
  HKEY Key_ = nullptr;
};

}  // namespace

std::vector<std::string> ListClassKeys() {
  const TRegistryKey classes(HKEY_CLASSES_ROOT, "CLSID");
  return classes.IsOpen() ? classes.SubkeyNames() : std::vector<std::string>{};
}
