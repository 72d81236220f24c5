// Helpers shared by the engine tests: signature tables and files on disk.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "File.h"
#include "FileSystem.h"
#include "TempFolder.h"
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

// A scratch folder under the system's temporary folder, removed with everything in it. Paths
// are UTF-8, as the engine takes them.
class TempDir {
 public:
  TempDir() : path_(QrxPlatform::MakeTempFolder()) {
    if (path_.empty()) throw std::runtime_error("cannot make a scratch folder");
  }
  ~TempDir() { QrxPlatform::RemoveTree(path_); }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  // Writes the file `name`, a path inside the folder whose folders ("/" between them) are made
  // as needed, and returns its full path.
  std::string write(const std::string& name, const std::vector<std::uint8_t>& content) const {
    std::string file = path_;
    for (std::size_t at = 0; at <= name.size();) {
      const std::size_t end = std::min(name.find('/', at), name.size());
      file += QrxPlatform::kSeparator + name.substr(at, end - at);
      if (end < name.size()) QrxPlatform::MakeFolder(file);  // false when it is there already
      at = end + 1;
    }
    QrxPlatform::TFile out;
    if (out.Create(file)) out.Write(content.data(), content.size());
    return file;
  }
  std::string path() const { return path_; }

 private:
  std::string path_;
};

inline constexpr std::string_view kEicar =
    "X5O!P%@AP[4\\PZX54(P^)7CC)7}$EICAR-STANDARD-ANTIVIRUS-TEST-FILE!$H+H*";

// Five folders of 60 characters each (under the 255 a name may have), ending with "/": a file
// inside lies past the 260 characters of a short Windows path.
inline std::string deepFolders() {
  std::string deep;
  for (char folder = 'a'; folder <= 'e'; ++folder) deep += std::string(60, folder) + "/";
  return deep;
}

// Files in other scripts than Latin, in a folder so named and at the end of a long path: each
// must scan like any other. Paths are relative, with "/" between folders.
struct NamedFile {
  const char* label;
  std::string path;
};

inline std::vector<NamedFile> filesNamedInAnyScript() {
  return {
      {"Cyrillic", "вирус.com"},
      {"CJK", "病毒.com"},
      {"emoji", "😈.com"},
      {"in a folder of such a name", "папка 病毒 😈/eicar.com"},
      {"past 260 characters", deepFolders() + "eicar.com"},
  };
}

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
