#pragma once
// What the removal tests seed and clean up: a scratch folder of files, and class keys under
// HKEY_CLASSES_ROOT\CLSID in the test prefix's real registry.
#include <windows.h>

#include <filesystem>
#include <fstream>
#include <string>

// UTF-16 of a UTF-8 text, by the system's own conversion rather than the program's.
inline std::wstring WideOf(const std::string& utf8) {
  std::wstring wide(utf8.size() + 1, L'\0');
  wide.resize(MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), static_cast<int>(utf8.size()), wide.data(),
                                  static_cast<int>(wide.size())));
  return wide;
}

inline std::filesystem::path PathOfUtf8(const std::string& utf8) { return std::filesystem::path(WideOf(utf8)); }

inline std::string Utf8Of(const std::filesystem::path& path) {
  const std::u8string text = path.u8string();
  return std::string(text.begin(), text.end());
}

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
  // Writes a small file and returns its full path; `name` is UTF-8, as the path returned.
  std::string File(const std::string& name) const {
    const std::filesystem::path file = Path_ / PathOfUtf8(name);
    std::filesystem::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary) << "QRX";
    return Utf8Of(file);
  }
  std::string PathOf(const std::string& name) const { return Utf8Of(Path_ / PathOfUtf8(name)); }

 private:
  std::filesystem::path Path_;
};

inline bool FileExists(const std::string& path) {
  return GetFileAttributesW(WideOf(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

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
  if (value != nullptr) {
    const std::wstring text = WideOf(*value);
    RegSetValueExW(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                   static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
  }
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
