// Fuzz target: the antivirus walk over arbitrary bytes taken as one archive on disk, x.zip,
// with the real extractor and the real engine, under small bounds so that bombs cost little.
// Whatever the archive holds:
//  - the files in the folder for temporary files never pass the bound of unpacked bytes
//    together (measured whenever the engine is called);
//  - nothing is left in that folder after the walk;
//  - the engine is only asked about the archive and about files in that folder;
//  - the finds are the engine's infected verdicts, each reported once, against x.zip.
// At exit it prints the totals of the walks it ran: finds, archives not fully scanned, the peak.
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "matcher.h"
#include "qrx_virus_walk.h"
#include "TempFolder.h"

namespace {

namespace fs = std::filesystem;

[[noreturn]] void Trap(const char* what) {
  std::fprintf(stderr, "archive_walk_fuzz: %s\n", what);
  std::abort();
}

TArchiveLimits SmallLimits() {
  TArchiveLimits limits;
  limits.MaxDepth = 4;
  limits.MaxUnpackedBytes = 1 << 20;
  limits.MaxMembers = 200;
  return limits;
}

std::string HexOf(const std::string& text) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string hex;
  for (const unsigned char c : text) {
    hex += kHex[c >> 4];
    hex += kHex[c & 15];
  }
  return hex;
}

// Two signatures the seed archives hold in some members: one plain, one in two pieces.
const qrx::engine::Matcher& Engine() {
  static const std::unique_ptr<qrx::engine::Matcher> engine = [] {
    const TSignatureEntry table[] = {
        MakeSignatureEntry("Fuzz.Marker", HexOf("QRX-FUZZ-MARKER")),
        MakeSignatureEntry("Fuzz.Split", HexOf("QRX-SPLIT") + "::" + HexOf("TILPS-XRQ")),
    };
    return qrx::engine::Matcher::fromTable(table, std::size(table));
  }();
  return *engine;
}

// The process's own folder: the input as x.zip beside the walk's folder for temporary files.
struct TScratch {
  fs::path Root = fs::path(QrxPlatform::TempFolder()) / ("qrx-walk-fuzz-" + std::to_string(::getpid()));
  std::string Archive = (Root / "x.zip").string();
  fs::path Temp = Root / "temp";

  TScratch() { fs::create_directories(Temp); }
  ~TScratch() { fs::remove_all(Root); }

  void WriteArchive(const uint8_t* data, size_t size) const {
    FILE* file = std::fopen(Archive.c_str(), "wb");
    if (!file || std::fwrite(data, 1, size, file) != size || std::fclose(file) != 0) Trap("cannot write x.zip");
  }
};

std::uint64_t BytesBelow(const fs::path& folder) {
  std::uint64_t bytes = 0;
  for (const fs::directory_entry& entry : fs::recursive_directory_iterator(folder)) {
    if (entry.is_regular_file()) bytes += entry.file_size();
  }
  return bytes;
}

bool IsBelow(const std::string& path, const fs::path& folder) {
  const std::string prefix = folder.string() + '/';
  return path.compare(0, prefix.size(), prefix) == 0;
}

// What one walk came to.
struct TWalkRecord {
  std::vector<std::string> InfectedVerdicts;  // the engine's, by signature name
  std::vector<TVirusFind> Finds;
  std::uint64_t PeakBytes = 0;
  int NotFullyScanned = 0;
};

TWalkRecord WalkArchive(const TScratch& scratch) {
  TWalkRecord record;
  TVirusScanHooks hooks;
  hooks.StopRequested = [] { return false; };
  hooks.ShowStatus = [](const std::string&) {};
  hooks.ScanFile = [&](const std::string& path, TVirusInfo& info) {
    if (path != scratch.Archive && !IsBelow(path, scratch.Temp)) {
      Trap("the engine was given a file outside x.zip and the temporary folder");
    }
    record.PeakBytes = std::max(record.PeakBytes, BytesBelow(scratch.Temp));
    using qrx::engine::ScanStatus;
    const qrx::engine::ScanResult result = Engine().scanFile(path.c_str());
    if (result.status != ScanStatus::Clean && result.status != ScanStatus::Infected) return false;
    info.Infected = result.status == ScanStatus::Infected;
    if (info.Infected) {
      info.VirusName = Engine().name(result.slot);
      record.InfectedVerdicts.push_back(info.VirusName);
    }
    return true;
  };
  hooks.ReportInfection = [&](const TVirusFind& find) { record.Finds.push_back(find); };

  TVirusScanOptions options;
  options.TempFolder = scratch.Temp.string();
  options.Limits = SmallLimits();
  TVirusWalk walk(hooks, options);
  walk.ScanOneFile(scratch.Archive);
  record.NotFullyScanned = walk.NotFullyScanned();
  return record;
}

void CheckRecord(const TWalkRecord& record, const TScratch& scratch) {
  if (record.PeakBytes > SmallLimits().MaxUnpackedBytes) Trap("the unpacked files passed the bound of unpacked bytes");
  if (!fs::is_empty(scratch.Temp)) Trap("the walk left files or folders in the folder for temporary files");
  std::vector<std::string> findNames;
  for (const TVirusFind& find : record.Finds) {
    if (find.ObjectPath != scratch.Archive) Trap("a find names another file than the archive on disk");
    findNames.push_back(find.VirusName);
  }
  std::vector<std::string> verdictNames = record.InfectedVerdicts;
  std::sort(findNames.begin(), findNames.end());
  std::sort(verdictNames.begin(), verdictNames.end());
  if (findNames != verdictNames) Trap("the finds are not the engine's infected verdicts, each once");
}

// Printed at exit. libFuzzer may run an input given on the command line more than once: its
// counts are then a multiple of one walk's.
struct TTotals {
  std::uint64_t Walks = 0;
  std::uint64_t Finds = 0;
  std::uint64_t NotFullyScanned = 0;
  std::uint64_t PeakBytes = 0;

  void Add(const TWalkRecord& record) {
    ++Walks;
    Finds += record.Finds.size();
    NotFullyScanned += record.NotFullyScanned;
    PeakBytes = std::max(PeakBytes, record.PeakBytes);
  }
  ~TTotals() {
    std::fprintf(stderr, "archive_walk_fuzz: %llu walks, %llu finds, %llu not fully scanned, peak %llu of %llu bytes\n",
                 (unsigned long long)Walks, (unsigned long long)Finds, (unsigned long long)NotFullyScanned,
                 (unsigned long long)PeakBytes, (unsigned long long)SmallLimits().MaxUnpackedBytes);
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static TTotals totals;
  static const TScratch scratch;
  scratch.WriteArchive(data, size);
  const TWalkRecord record = WalkArchive(scratch);
  CheckRecord(record, scratch);
  totals.Add(record);
  return 0;
}
