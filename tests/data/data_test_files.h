#pragma once
// Data files for the tests, laid out byte by byte from the file formats, independently of the
// code under test (only the keys are shared), so that a wrong offset or key shows up.
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

#include "qrx_console.h"
#include "qrx_datakeys.h"

// A fresh folder for one test, removed with everything in it afterwards. Paths are UTF-8, as the
// program holds them.
class TTempDir {
 public:
  TTempDir();
  ~TTempDir();
  TTempDir(const TTempDir&) = delete;
  TTempDir& operator=(const TTempDir&) = delete;
  std::string operator/(std::string_view name) const { return Utf8FromPath(Path_ / PathFromUtf8(name)); }
  // Writes `bytes` to the file `name` of the folder and returns its path.
  std::string Write(std::string_view name, const std::string& bytes) const;

 private:
  std::filesystem::path Path_;
};

inline void WriteFile(const std::string& path, const std::string& bytes) {
  std::ofstream(PathFromUtf8(path), std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

inline std::string ReadFile(const std::string& path) {
  std::ifstream in(PathFromUtf8(path), std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// One 321-byte signature record: length bytes as given (they may exceed the capacities), text
// XOR SignatureKey, byte 320 as given (the loader must not trust it).
std::string SignatureRecord(std::string_view name, std::string_view pattern, int nameLength = -1,
                            int patternLength = -1, char pairCountByte = '\xEE');

struct TSignatureSource {
  std::string Name;
  std::string Pattern;
};
// A header record, then one record per signature.
std::string SignatureFile(const std::vector<TSignatureSource>& signatures);
// `count` valid signatures named "<prefix><number>", numbers from `first`.
std::string NumberedSignatureFile(int count, const std::string& prefix, int first = 1);

// One 555-byte database record; texts stored plus BhoShift, Clsid length byte as given.
std::string BhoRecord(char kind, std::string_view clsid, std::string_view info, std::string_view displayName,
                      int clsidLength = -1, std::uint8_t spare = 0);
// A header record, then `count` entries with numbered CLSIDs.
std::string NumberedBhoFile(int count);
std::string NumberedClsid(int number);
