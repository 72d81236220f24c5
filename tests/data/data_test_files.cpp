#include "data_test_files.h"

#include <atomic>
#include <chrono>
#include <cstdio>

namespace {

void PutText(std::string& record, std::size_t at, std::string_view text, int storedLength, std::size_t capacity,
             char (*scramble)(char)) {
  record[at] = static_cast<char>(storedLength < 0 ? text.size() : static_cast<std::size_t>(storedLength));
  for (std::size_t i = 0; i < text.size() && i < capacity; ++i) record[at + 1 + i] = scramble(text[i]);
}

char XorKey(char c) { return static_cast<char>(c ^ SignatureKey); }
char AddShift(char c) { return static_cast<char>(static_cast<std::uint8_t>(c) + BhoShift); }

}  // namespace

TTempDir::TTempDir() {
  static std::atomic<int> serial{0};
  const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
  Path_ = std::filesystem::temp_directory_path() /
          ("qrxdata-test-" + std::to_string(stamp) + "-" + std::to_string(serial++));
  std::filesystem::create_directories(Path_);
}

TTempDir::~TTempDir() {
  std::error_code ignored;
  std::filesystem::remove_all(Path_, ignored);
}

std::string TTempDir::Write(std::string_view name, const std::string& bytes) const {
  const std::string path = *this / name;
  WriteFile(path, bytes);
  return path;
}

std::string SignatureRecord(std::string_view name, std::string_view pattern, int nameLength, int patternLength,
                            char pairCountByte) {
  std::string record(321, '\x55');  // filler after the texts: must not matter
  PutText(record, 0, name, nameLength, 64, XorKey);
  PutText(record, 65, pattern, patternLength, 254, XorKey);
  record[320] = pairCountByte;
  return record;
}

std::string SignatureFile(const std::vector<TSignatureSource>& signatures) {
  std::string file = SignatureRecord("header", "not checked: ZZ");
  for (const auto& signature : signatures) file += SignatureRecord(signature.Name, signature.Pattern);
  return file;
}

std::string NumberedSignatureFile(int count, const std::string& prefix, int first) {
  std::string file = SignatureRecord("header", "");
  file.reserve(321u * static_cast<std::size_t>(count + 1));
  for (int i = first; i < first + count; ++i) {
    char pattern[16];
    std::snprintf(pattern, sizeof pattern, "%08X", static_cast<unsigned>(i));
    file += SignatureRecord(prefix + std::to_string(i), pattern);
  }
  return file;
}

std::string BhoRecord(char kind, std::string_view clsid, std::string_view info, std::string_view displayName,
                      int clsidLength, std::uint8_t spare) {
  std::string record(555, '\x66');
  record[0] = kind;
  record[1] = static_cast<char>(spare);
  PutText(record, 2, clsid, clsidLength, 40, AddShift);
  PutText(record, 43, info, -1, 255, AddShift);
  PutText(record, 299, displayName, -1, 255, AddShift);
  return record;
}

std::string NumberedClsid(int number) {
  char clsid[40];
  std::snprintf(clsid, sizeof clsid, "{00000000-0000-0000-0000-%012d}", number);
  return clsid;
}

std::string NumberedBhoFile(int count) {
  std::string file = BhoRecord('H', "header", "", "");
  file.reserve(555u * static_cast<std::size_t>(count + 1));
  for (int i = 1; i <= count; ++i) file += BhoRecord(i % 2 ? 'T' : 'S', NumberedClsid(i), "info", "Entry " + std::to_string(i));
  return file;
}
