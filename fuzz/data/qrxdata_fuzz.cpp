// libFuzzer target: any bytes as a readable source or as a data file, through the tool's readers
// and checks and the program's loaders, with two round trips that must hold:
//  - a source that passes the checks, once built, reads back as the same items;
//  - a data file, once dumped, reads back from the dump as the same items.
// The first input byte picks the form and the kind.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "qrxdata_bho.h"
#include "qrxdata_records.h"
#include "qrxdata_sigs.h"
#include "tn_bho_file.h"
#include "tns_signature_file.h"

namespace {

const std::string& Folder() {
  static const std::string folder = [] {
    const auto path = std::filesystem::temp_directory_path() / ("qrxdata-fuzz-" + std::to_string(getpid()));
    std::filesystem::create_directories(path);
    return path.string() + "/";
  }();
  return folder;
}

std::string Save(const std::string& name, const std::string& bytes) {
  const std::string path = Folder() + name;
  std::ofstream(path, std::ios::binary) << bytes;
  return path;
}

bool SameItems(const std::vector<TSignatureItem>& a, const std::vector<TSignatureItem>& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (a[i].Name != b[i].Name || a[i].Pattern != b[i].Pattern) return false;
  }
  return true;
}

bool SameItems(const std::vector<TBhoItem>& a, const std::vector<TBhoItem>& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (a[i].Kind != b[i].Kind || a[i].Clsid != b[i].Clsid || a[i].Info != b[i].Info ||
        a[i].DisplayName != b[i].DisplayName || a[i].Spare != b[i].Spare) {
      return false;
    }
  }
  return true;
}

void Require(bool holds, const char* what) {
  if (holds) return;
  std::fprintf(stderr, "round trip broken: %s\n", what);
  std::abort();
}

template <typename Format>
void FuzzSource(const std::string& bytes) {
  std::ostringstream ignored;
  TDiagnostics diagnostics(ignored);
  std::vector<typename Format::TItem> items;
  Format::ReadSource(Save("source.txt", bytes), items, diagnostics);
  Format::Check(items, diagnostics);
  if (diagnostics.Count() != 0) return;
  std::ostringstream built;
  Format::Write(items, built);
  std::vector<typename Format::TItem> again;
  Format::ReadData(Save("built.dat", built.str()), again, diagnostics);
  Require(SameItems(items, again), "source -> data file");
}

template <typename Format>
void FuzzData(const std::string& bytes) {
  std::ostringstream ignored;
  TDiagnostics diagnostics(ignored);
  const std::string path = Save("data.dat", bytes);
  std::vector<typename Format::TItem> items;
  CheckRecordLayout(path, Format::RecordSize, diagnostics);
  Format::ReadData(path, items, diagnostics);
  Format::Check(items, diagnostics);
  std::ostringstream dump;
  Format::Dump(items, path, dump);
  std::vector<typename Format::TItem> again;
  TDiagnostics sourceDiagnostics(ignored);
  Format::ReadSource(Save("dump.txt", dump.str()), again, sourceDiagnostics);
  Require(sourceDiagnostics.Count() == 0 && SameItems(items, again), "data file -> dump");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const std::string bytes(reinterpret_cast<const char*>(data) + 1, size - 1);
  switch (data[0] % 4) {
    case 0: FuzzSource<TSignatureFormat>(bytes); break;
    case 1: FuzzSource<TBhoFormat>(bytes); break;
    case 2:
      FuzzData<TSignatureFormat>(bytes);
      try {
        LoadSignatureFile(Folder() + "data.dat");
      } catch (const ConversionError&) {
      }
      break;
    case 3:
      FuzzData<TBhoFormat>(bytes);
      ReadBhoFile(Folder() + "data.dat");
      break;
  }
  return 0;
}
