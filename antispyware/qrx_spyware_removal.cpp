#include "qrx_spyware_removal.h"

#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

// A registry key opened for full access without creating it; closed with the object.
class TRegistryKey {
 public:
  TRegistryKey(HKEY parent, const std::string& path) {
    if (RegOpenKeyExA(parent, path.c_str(), 0, KEY_ALL_ACCESS, &Key_) != ERROR_SUCCESS) Key_ = nullptr;
  }
  ~TRegistryKey() {
    if (Key_ != nullptr) RegCloseKey(Key_);
  }
  TRegistryKey(const TRegistryKey&) = delete;
  TRegistryKey& operator=(const TRegistryKey&) = delete;
  bool Opened() const { return Key_ != nullptr; }
  HKEY Handle() const { return Key_; }

  // The default value as text, exactly as stored; "" when it is missing or not text.
  std::string DefaultText() const {
    DWORD type = 0, size = 0;
    if (RegQueryValueExA(Key_, nullptr, nullptr, &type, nullptr, &size) != ERROR_SUCCESS) return "";
    if (type != REG_SZ && type != REG_EXPAND_SZ) return "";
    std::string text(size, '\0');
    if (RegQueryValueExA(Key_, nullptr, nullptr, &type, reinterpret_cast<BYTE*>(text.data()), &size) != ERROR_SUCCESS)
      return "";
    text.resize(std::min<std::size_t>(size, text.size()));
    return text.substr(0, text.find('\0'));
  }

  std::vector<std::string> SubkeyNames() const {
    std::vector<std::string> names;
    char name[256];
    for (DWORD index = 0;; ++index) {
      DWORD length = sizeof name;
      if (RegEnumKeyExA(Key_, index, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
      names.emplace_back(name, length);
    }
    return names;
  }

 private:
  HKEY Key_ = nullptr;
};

// The file part: deletes the file that InProcServer32 names, taken exactly as stored (no quotes
// taken off, no environment reference expanded). True when there was nothing to delete.
bool RemoveServerFile(const std::string& clsid) {
  TRegistryKey server(HKEY_CLASSES_ROOT, "CLSID\\" + clsid + "\\InProcServer32");
  if (!server.Opened()) return true;
  const std::string file = server.DefaultText();
  return file.empty() || DeleteFileA(file.c_str()) != 0;
}

// Deletes the subkey `name` of `parent` after its own subkeys, the last enumerated first.
// Only the deletion of `name` itself counts.
bool DeleteKeyTree(HKEY parent, const std::string& name) {
  {
    TRegistryKey key(parent, name);
    if (key.Opened()) {
      const std::vector<std::string> subkeys = key.SubkeyNames();
      for (auto sub = subkeys.rbegin(); sub != subkeys.rend(); ++sub) DeleteKeyTree(key.Handle(), *sub);
    }
  }
  return RegDeleteKeyA(parent, name.c_str()) == ERROR_SUCCESS;
}

// The key part. A CLSID key that cannot be opened for full access removes nothing: false.
bool RemoveClassKey(const std::string& clsid) {
  // An empty identifier would name the CLSID key itself, the registrations of every program.
  if (clsid.empty()) return false;
  TRegistryKey classes(HKEY_CLASSES_ROOT, "CLSID");
  return classes.Opened() && DeleteKeyTree(classes.Handle(), clsid);
}

}  // namespace

bool RemoveSpywareEntry(const TBhoEntry& entry) {
  const std::string clsid = entry.Clsid.Str();
  bool fileRemoved = true;
  bool keyRemoved = false;
  try {
    fileRemoved = RemoveServerFile(clsid);
  } catch (...) {
    // Absorbed: the file result keeps what it was.
  }
  try {
    keyRemoved = RemoveClassKey(clsid);
  } catch (...) {
    keyRemoved = false;
  }
  return fileRemoved && keyRemoved;
}
