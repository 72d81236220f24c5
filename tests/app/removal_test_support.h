#pragma once
// What the removal tests seed and clean up: a scratch folder of files, and class keys under
// HKEY_CLASSES_ROOT\CLSID in the test prefix's real registry.
#include <windows.h>

#include <filesystem>
#include <fstream>
#include <string>

// A folder of its own per process under the temp folder, removed with what is left in it.
class TScratchFolder {
 public:
  explicit TScratchFolder(const std::string& name) {
    char temp[MAX_PATH];
    GetTempPathA(sizeof temp, temp);
    Path_ = std::filesystem::path(temp) / (name + "-" + std::to_string(GetCurrentProcessId()));
    std::filesystem::create_directories(Path_);
  }
  ~TScratchFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(Path_, ignored);
  }
  // Writes a small file and returns its full path.
  std::string File(const std::string& name) const {
    const std::filesystem::path file = Path_ / name;
    std::ofstream(file, std::ios::binary) << "QRX";
    return file.string();
  }
  std::string PathOf(const std::string& name) const { return (Path_ / name).string(); }

 private:
  std::filesystem::path Path_;
};

inline bool FileExists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

inline bool ClassKeyExists(const std::string& clsid) {
  HKEY key;
  if (RegOpenKeyExA(HKEY_CLASSES_ROOT, ("CLSID\\" + clsid).c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
  RegCloseKey(key);
  return true;
}

// A class identifier unique to this process and `tag`, in upper case as the worker stores it.
inline std::string TestClsid(int tag) {
  char text[64];
  wsprintfA(text, "{5152580A-%04X-4ABC-8DEF-%012lX}", tag & 0xFFFF, GetCurrentProcessId());
  return text;
}

// Creates HKCR\CLSID\<name>\<subkey path>; with `value`, sets that key's default value as text.
inline void SeedKey(const std::string& name, const std::string& subkeys = "", const std::string* value = nullptr) {
  HKEY key;
  std::string path = "CLSID\\" + name;
  if (!subkeys.empty()) path += "\\" + subkeys;
  RegCreateKeyExA(HKEY_CLASSES_ROOT, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr);
  if (value != nullptr)
    RegSetValueExA(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(value->c_str()),
                   static_cast<DWORD>(value->size() + 1));
  RegCloseKey(key);
}

// Removes whatever a test left of a class key.
class TClassKeyCleanup {
 public:
  explicit TClassKeyCleanup(std::string name) : Name_(std::move(name)) {}
  ~TClassKeyCleanup() { RegDeleteTreeA(HKEY_CLASSES_ROOT, ("CLSID\\" + Name_).c_str()); }

 private:
  std::string Name_;
};
