// qrxscan: the engine as a command-line scanner for scripts and benchmarks.
//
//   qrxscan [-q] [--stats] [-z] (-s SIGNATURES | -d DATA_FILE) ... PATH ...
//
// SIGNATURES is a text file of signatures, one a line: name, tab, pattern (engine/PATTERNS.md), in
// Windows-1252 like the records they become; DATA_FILE a signature file of the program
// (QRX_SIG.DAT, QRX_SIG2.DAT). Signatures are numbered in the order of the options. With -z, files
// named *.zip are opened and their members scanned, archives inside them too, as the program does;
// a find inside one is printed as "ARCHIVE : MEMBER", MEMBER as the archive stores it. A file named
// *.zip that is no archive is scanned as a file. Folders are scanned with all their subfolders,
// hidden ones included. Each infected file gives one line on standard output: its path, a tab, the
// signature's name. Each file, folder or archive that could not be scanned entirely gives one line
// on standard error with the reason. Control characters in names are printed as \xHH. A summary
// follows on lines starting with "#" unless -q is given (the files counted are those the engine
// read, archive members included); --stats adds timings. Paths and names are UTF-8, on the command
// line and in the output, in any script; signature names, Windows-1252 in the records, are printed
// in UTF-8 too.
// Exit code: 1 when a file is infected, else 2 when anything could not be scanned entirely (or
// the arguments or signatures are bad), else 0.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <exception>
#include <fstream>
#include <string>
#include <vector>

#include "File.h"
#include "FileSystem.h"
#include "Text.h"
#include "matcher.h"
#include "qrx_console.h"
#include "qrx_virus_walk.h"
#include "tns_signature_file.h"

using qrx::engine::Matcher;
using qrx::engine::ScanResult;
using qrx::engine::ScanStatus;

namespace {

constexpr int kExitClean = 0;
constexpr int kExitInfected = 1;
constexpr int kExitError = 2;

struct SignatureSource {
  bool dataFile;  // a .DAT file of the program, else readable text
  std::string path;
};

struct Options {
  std::vector<SignatureSource> signatureFiles;
  std::vector<std::string> paths;
  bool quiet = false;
  bool stats = false;
  bool archives = false;
};

struct Tally {
  std::size_t files = 0;
  std::size_t infected = 0;
  std::size_t notScanned = 0;
  std::uint64_t bytes = 0;
  qrx::engine::FilterCounts counts;
};

void usage() {
  PrintText(stderr, "usage: qrxscan [-q] [--stats] [-z] (-s SIGNATURES.txt | -d SIGNATURES.DAT) ... PATH ...\n");
}

bool parseArguments(const std::vector<std::string>& args, Options& options) {
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if ((arg == "-s" || arg == "-d") && i + 1 < args.size()) {
      options.signatureFiles.push_back({arg == "-d", args[++i]});
    } else if (arg == "-q") {
      options.quiet = true;
    } else if (arg == "--stats") {
      options.stats = true;
    } else if (arg == "-z") {
      options.archives = true;
    } else if (!arg.empty() && arg[0] == '-') {
      return false;
    } else {
      options.paths.push_back(arg);
    }
  }
  return !options.signatureFiles.empty() && !options.paths.empty();
}

const char* ignoredReason(qrx::engine::PatternStatus status) {
  switch (status) {
    case qrx::engine::PatternStatus::Empty: return "empty pattern";
    case qrx::engine::PatternStatus::BadUnit: return "a unit that is no byte, wildcard, gap or separator";
    case qrx::engine::PatternStatus::TooLong: return "pattern longer than 254 characters";
    case qrx::engine::PatternStatus::NoAnchor: return "no piece with two exact bytes";
    case qrx::engine::PatternStatus::Ok: break;
  }
  return nullptr;
}

// Where a record of the table came from, to name it in a warning.
struct RecordOrigin {
  std::uint32_t source;  // index into Options::signatureFiles
  std::uint32_t number;  // line of a text file, record of a data file (from 1)
};

struct RecordTable {
  std::vector<TSignatureEntry> records;
  std::vector<RecordOrigin> origins;

  RecordTable() { records.reserve(TN_MAX_SIGNATURES); }
  void append(const TSignatureEntry& record, RecordOrigin origin) {
    records.push_back(record);
    origins.push_back(origin);
  }
};

// Appends one record per line that fits a record; warns about the others. The patterns are
// judged once, when the engine is built. False when the file can't be read.
bool readSignatureFile(const std::string& path, std::uint32_t source, RecordTable& table) {
  std::ifstream in(PathFromUtf8(path), std::ios::binary);
  if (!in) {
    PrintText(stderr, "qrxscan: cannot read %s\n", path.c_str());
    return false;
  }
  std::string line;
  for (std::uint32_t number = 1; std::getline(in, line); ++number) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty() || line[0] == '#') continue;
    const std::size_t tab = line.find('\t');
    const std::string_view name = std::string_view(line).substr(0, tab);
    const std::string_view pattern = tab == std::string::npos ? std::string_view() : std::string_view(line).substr(tab + 1);
    const char* problem = tab == std::string::npos                        ? "no tab between name and pattern"
                          : name.size() > decltype(TSignatureEntry::Name)::Capacity ? "name longer than 64 characters"
                          : pattern.size() > decltype(TSignatureEntry::Pattern)::Capacity
                              ? ignoredReason(qrx::engine::PatternStatus::TooLong)
                              : nullptr;
    if (problem) {
      PrintText(stderr, "qrxscan: %s:%u: signature ignored: %s\n", path.c_str(), number, problem);
      continue;
    }
    table.append(MakeSignatureEntry(name, pattern), {source, number});
  }
  return true;
}

// Appends the records of a signature file, read as the program reads it. False when the file
// can't be read or holds a bad unit.
bool readDataFile(const std::string& path, std::uint32_t source, RecordTable& table) {
  try {
    if (!LoadSignatureFile(path)) {
      PrintText(stderr, "qrxscan: cannot read %s\n", path.c_str());
      return false;
    }
  } catch (const ConversionError& error) {
    PrintText(stderr, "qrxscan: %s: %s\n", path.c_str(), error.what());
    return false;
  }
  for (std::int32_t i = 0; i < FilledSignatureSlots(); ++i) {
    table.append(SignatureTable()[i], {source, static_cast<std::uint32_t>(i + 1)});
  }
  return true;
}

// A name as printed: control characters (a newline, a tab) as \xHH, so that no file name can
// forge a line or a field of the output.
std::string printable(const std::string& text) {
  std::string shown;
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte >= 0x20 && byte != 0x7F) {
      shown += c;
    } else {
      char escaped[5];
      std::snprintf(escaped, sizeof escaped, "\\x%02X", byte);
      shown += escaped;
    }
  }
  return shown;
}

// Warns about each signature the engine left out, naming its line or record.
void warnIgnored(const Matcher& matcher, const RecordTable& table, const Options& options) {
  for (const qrx::engine::IgnoredSignature& ignored : matcher.stats().ignoredSlots) {
    const RecordOrigin origin = table.origins[ignored.slot];
    const SignatureSource& source = options.signatureFiles[origin.source];
    const char* reason = ignoredReason(ignored.status);
    if (source.dataFile) {
      const std::string name = printable(QrxPlatform::Utf8FromWindows1252(matcher.name(ignored.slot)));
      PrintText(stderr, "qrxscan: %s: record %u (%s): signature ignored: %s\n", source.path.c_str(), origin.number,
                name.c_str(), reason);
    } else {
      PrintText(stderr, "qrxscan: %s:%u: signature ignored: %s\n", source.path.c_str(), origin.number, reason);
    }
  }
}

const char* notScannedReason(ScanStatus status) {
  switch (status) {
    case ScanStatus::CannotOpen: return "cannot open";
    case ScanStatus::NotAFile: return "not a regular file";
    case ScanStatus::ReadError: return "read error";
    default: return nullptr;
  }
}

// The size of a file the engine read, for the statistics; 0 when it cannot be told.
std::uint64_t fileSize(const std::string& path) {
  QrxPlatform::TFile file;
  const std::int64_t size = file.OpenRead(path) ? file.Size() : -1;
  return size > 0 ? static_cast<std::uint64_t>(size) : 0;
}

// The engine on one file for the walk, counting what it did.
bool scanWithMatcher(const Matcher& matcher, const std::string& path, TVirusInfo& info, Tally& tally) {
  const ScanResult result = matcher.scanFile(path.c_str());
  if (notScannedReason(result.status)) return false;
  ++tally.files;
  tally.counts.positions += result.counts.positions;
  tally.counts.bitmapPasses += result.counts.bitmapPasses;
  tally.counts.atomHits += result.counts.atomHits;
  tally.counts.windowPasses += result.counts.windowPasses;
  tally.counts.pieceChecks += result.counts.pieceChecks;
  tally.bytes += fileSize(path);
  info.Infected = result.status == ScanStatus::Infected;
  info.VirusName = info.Infected ? QrxPlatform::Utf8FromWindows1252(matcher.name(result.slot)) : std::string();
  return true;
}

// The program's own walk: every file below a folder, hidden folders included; with -z archives
// by their members. Finds go to standard output, what could not be scanned to standard error.
TVirusWalk makeWalk(const Matcher& matcher, Tally& tally, bool archives) {
  TVirusScanHooks hooks;
  hooks.StopRequested = [] { return false; };
  hooks.ShowStatus = [](const std::string&) {};
  hooks.ScanFile = [&matcher, &tally](const std::string& path, TVirusInfo& info) {
    return scanWithMatcher(matcher, path, info, tally);
  };
  hooks.ReportInfection = [&tally](const TVirusFind& find) {
    ++tally.infected;
    const std::string object = printable(find.ObjectPath);
    if (find.MemberName.empty()) {
      PrintText(stdout, "%s\t%s\n", object.c_str(), printable(find.VirusName).c_str());
    } else {
      PrintText(stdout, "%s : %s\t%s\n", object.c_str(), printable(find.MemberName).c_str(),
                printable(find.VirusName).c_str());
    }
  };
  hooks.NotFullyScanned = [](const std::string& path, const std::string& reason) {
    PrintText(stderr, "qrxscan: %s: not fully scanned: %s\n", printable(path).c_str(), printable(reason).c_str());
  };
  TVirusScanOptions options;
  options.ScanArchives = archives;
  options.SkipDotFolders = false;
  return TVirusWalk(std::move(hooks), options);
}

double secondsSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  if (!parseArguments(ProgramArguments(argc, argv), options)) {
    usage();
    return kExitError;
  }
  RecordTable table;
  for (std::uint32_t i = 0; i < options.signatureFiles.size(); ++i) {
    const SignatureSource& source = options.signatureFiles[i];
    const bool read = source.dataFile ? readDataFile(source.path, i, table) : readSignatureFile(source.path, i, table);
    if (!read) return kExitError;
  }
  const std::size_t count = std::min(table.records.size(), static_cast<std::size_t>(TN_MAX_SIGNATURES));
  const auto initStart = std::chrono::steady_clock::now();
  const std::unique_ptr<Matcher> matcher = Matcher::fromTable(table.records.data(), count);
  const double initSeconds = secondsSince(initStart);
  warnIgnored(*matcher, table, options);
  if (table.records.size() > count) {
    PrintText(stderr, "qrxscan: only the first %zu signatures are used\n", count);
  }

  Tally tally;
  TVirusWalk walk = makeWalk(*matcher, tally, options.archives);
  const auto scanStart = std::chrono::steady_clock::now();
  for (const std::string& path : options.paths) {
    if (QrxPlatform::FolderExists(path)) {
      walk.WalkFolder(path);
    } else {
      walk.ScanOneFile(path);
    }
  }
  const double scanSeconds = secondsSince(scanStart);
  tally.notScanned = static_cast<std::size_t>(walk.NotFullyScanned());

  if (!options.quiet) {
    PrintText(stdout, "# signatures: %zu used, %zu ignored\n", matcher->stats().used, matcher->stats().ignored());
    PrintText(stdout, "# files: %zu scanned, %zu infected, %zu not scanned\n", tally.files, tally.infected,
              tally.notScanned);
  }
  if (options.stats) {
    PrintText(stdout, "# init-seconds: %.4f\n# scan-seconds: %.4f\n# bytes: %llu\n# engine-memory-bytes: %zu\n",
              initSeconds, scanSeconds, static_cast<unsigned long long>(tally.bytes), matcher->memoryBytes());
    const qrx::engine::FilterCounts& c = tally.counts;
    PrintText(stdout,
              "# positions: %llu\n# bitmap-passes: %llu\n# atom-hits: %llu\n# window-passes: %llu\n"
              "# piece-checks: %llu\n",
              static_cast<unsigned long long>(c.positions), static_cast<unsigned long long>(c.bitmapPasses),
              static_cast<unsigned long long>(c.atomHits), static_cast<unsigned long long>(c.windowPasses),
              static_cast<unsigned long long>(c.pieceChecks));
  }
  if (tally.infected > 0) return kExitInfected;
  return tally.notScanned > 0 ? kExitError : kExitClean;
}
