// Helpers shared by the engine tests: signature tables and files on disk.
#pragma once

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "tn_sscan.h"

namespace qrx::engine::test {

struct Sig {
  std::string name;
  std::string pattern;
};

// Records for `sigs`. The bytes past each text and the pair count are junk, as the engine may
// not rely on them.
inline std::vector<TSignatureEntry> makeTable(const std::vector<Sig>& sigs) {
  std::vector<TSignatureEntry> table;
  for (const Sig& sig : sigs) {
    TSignatureEntry entry = MakeSignatureEntry(sig.name, sig.pattern);
    std::memset(entry.Name.Text + entry.Name.Size(), 0xA5, entry.Name.Capacity - entry.Name.Size());
    std::memset(entry.Pattern.Text + entry.Pattern.Size(), 0xA5, entry.Pattern.Capacity - entry.Pattern.Size());
    entry.PairCount = 0xA5;
    table.push_back(entry);
  }
  return table;
}

inline std::vector<std::uint8_t> bytes(std::string_view text) { return {text.begin(), text.end()}; }

// A scratch folder under the system's temporary folder, removed with everything in it.
class TempDir {
 public:
  TempDir() {
    // Random per process, so that test programs running side by side never share a folder.
    static const unsigned processTag = std::random_device{}();
    static int counter = 0;
    path_ = std::filesystem::temp_directory_path() /
            ("qrx-engine-test-" + std::to_string(processTag) + "-" + std::to_string(++counter));
    std::filesystem::create_directories(path_);
  }
  ~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  std::string write(const std::string& name, const std::vector<std::uint8_t>& content) const {
    const std::filesystem::path file = path_ / name;
    std::ofstream out(file, std::ios::binary);
    out.write(reinterpret_cast<const char*>(content.data()), static_cast<std::streamsize>(content.size()));
    return file.string();
  }
  std::string path() const { return path_.string(); }

 private:
  std::filesystem::path path_;
};

inline constexpr std::string_view kEicar =
    "X5O!P%@AP[4\\PZX54(P^)7CC)7}$EICAR-STANDARD-ANTIVIRUS-TEST-FILE!$H+H*";

inline std::string hexOf(std::string_view text) {
  static const char* digits = "0123456789ABCDEF";
  std::string hex;
  for (unsigned char c : text) {
    hex += digits[c >> 4];
    hex += digits[c & 15];
  }
  return hex;
}

}  // namespace qrx::engine::test
