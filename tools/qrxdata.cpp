#include "qrxdata.h"

#include <optional>
#include <stdexcept>

#include "qrx_console.h"
#include "qrxdata_bho.h"
#include "qrxdata_output.h"
#include "qrxdata_records.h"
#include "qrxdata_sigs.h"

namespace {

constexpr int ExitOk = 0;
constexpr int ExitProblems = 1;
constexpr int ExitUsage = 2;

constexpr char Usage[] =
    "usage: qrxdata build-sigs SOURCE OUTPUT\n"
    "       qrxdata build-bho SOURCE OUTPUT\n"
    "       qrxdata dump [--sigs|--bho] FILE [OUTPUT]\n"
    "       qrxdata check [--sigs|--bho] FILE...\n"
    "Sources are text, one item a line, fields separated by tabs, # comments:\n"
    "  signatures: name, pattern (pairs of hex digits, ?? 4? ?D wildcards, :: gaps; see engine/PATTERNS.md)\n"
    "  database:   kind (T toolbar, S spyware), CLSID, info, display name [, spare byte as hex]\n"
    "Data files end in .DAT; a name starting QRX_SIG or QRX_BHOTB tells the kind, else give --sigs or --bho.\n";

enum class TKind { Signatures, Bho };

struct TInputFile {
  std::string Path;
  TKind Kind;
  bool IsData;
};

class TUsageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

std::string UpperFileName(const std::string& path) { return UpperAscii(Utf8FromPath(PathFromUtf8(path).filename())); }

bool IsDataFileName(const std::string& path) {
  return UpperAscii(Utf8FromPath(PathFromUtf8(path).extension())) == ".DAT";
}

TKind KindOf(const std::string& path, std::optional<TKind> given) {
  if (given) return *given;
  const std::string name = UpperFileName(path);
  if (name.starts_with("QRX_SIG")) return TKind::Signatures;
  if (name.starts_with("QRX_BHOTB")) return TKind::Bho;
  throw TUsageError("cannot tell the kind of " + path + ": name it QRX_SIG... or QRX_BHOTB..., or give --sigs or --bho");
}

// Takes a leading --sigs or --bho off `args`.
std::optional<TKind> TakeKindOption(std::vector<std::string>& args) {
  if (args.empty()) return std::nullopt;
  std::optional<TKind> kind;
  if (args.front() == "--sigs") kind = TKind::Signatures;
  if (args.front() == "--bho") kind = TKind::Bho;
  if (kind) args.erase(args.begin());
  return kind;
}

template <typename Format>
bool ReadInput(const TInputFile& input, std::vector<typename Format::TItem>& items, TDiagnostics& diagnostics) {
  if (!input.IsData) return Format::ReadSource(input.Path, items, diagnostics);
  CheckRecordLayout(input.Path, Format::RecordSize, diagnostics);
  return Format::ReadData(input.Path, items, diagnostics);
}

template <typename Format>
int Build(const std::string& source, const std::string& target, std::ostream& out, std::ostream& err) {
  TDiagnostics diagnostics(err);
  std::vector<typename Format::TItem> items;
  if (!Format::ReadSource(source, items, diagnostics)) return ExitUsage;
  Format::Check(items, diagnostics);
  if (diagnostics.Count() != 0) {
    err << source << ": " << diagnostics.Count() << " problem(s); " << target << " not written\n";
    return ExitProblems;
  }
  TPendingOutput output(target);
  Format::Write(items, output.Stream());
  output.Commit();
  out << target << ": " << items.size() << ' ' << Format::Noun << '\n';
  return ExitOk;
}

template <typename Format>
int Dump(const std::string& file, const std::optional<std::string>& target, std::ostream& out, std::ostream& err) {
  TDiagnostics diagnostics(err);
  std::vector<typename Format::TItem> items;
  if (!Format::ReadData(file, items, diagnostics)) return ExitUsage;
  if (!target) {
    Format::Dump(items, file, out);
    return ExitOk;
  }
  TPendingOutput output(*target);
  Format::Dump(items, file, output.Stream());
  output.Commit();
  return ExitOk;
}

struct TCheckOutcome {
  std::size_t Problems = 0;
  bool Unreadable = false;  // a file could not be read through
};

// Checks the files of one kind: together when they fill one table, else one by one.
template <typename Format>
TCheckOutcome CheckFiles(const std::vector<TInputFile>& inputs, std::ostream& out, std::ostream& err) {
  TDiagnostics diagnostics(err);
  TCheckOutcome outcome;
  std::vector<typename Format::TItem> items;
  for (std::size_t i = 0; i < inputs.size(); ++i) {
    const std::size_t before = items.size();
    if (!ReadInput<Format>(inputs[i], items, diagnostics)) outcome.Unreadable = true;
    out << inputs[i].Path << ": " << items.size() - before << ' ' << Format::Noun << '\n';
    if (!Format::FilesCombine || i + 1 == inputs.size()) {
      Format::Check(items, diagnostics);
      items.clear();
    }
  }
  outcome.Problems = diagnostics.Count();
  return outcome;
}

int Check(std::vector<std::string> args, std::ostream& out, std::ostream& err) {
  const std::optional<TKind> given = TakeKindOption(args);
  if (args.empty()) throw TUsageError("check: no file given");
  std::vector<TInputFile> signatures, databases;
  for (const std::string& path : args) {
    const TInputFile input{path, KindOf(path, given), IsDataFileName(path)};
    (input.Kind == TKind::Signatures ? signatures : databases).push_back(input);
  }
  const TCheckOutcome ofSignatures = CheckFiles<TSignatureFormat>(signatures, out, err);
  const TCheckOutcome ofDatabases = CheckFiles<TBhoFormat>(databases, out, err);
  const std::size_t problems = ofSignatures.Problems + ofDatabases.Problems;
  if (problems == 0) {
    out << "no problems found\n";
    return ExitOk;
  }
  err << problems << " problem(s) found\n";
  return ofSignatures.Unreadable || ofDatabases.Unreadable ? ExitUsage : ExitProblems;
}

int DumpCommand(std::vector<std::string> args, std::ostream& out, std::ostream& err) {
  const std::optional<TKind> given = TakeKindOption(args);
  if (args.empty() || args.size() > 2) throw TUsageError("dump: give one data file and, optionally, an output file");
  const std::optional<std::string> target = args.size() == 2 ? std::optional(args[1]) : std::nullopt;
  return KindOf(args[0], given) == TKind::Signatures ? Dump<TSignatureFormat>(args[0], target, out, err)
                                                     : Dump<TBhoFormat>(args[0], target, out, err);
}

int Run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  if (args.empty()) throw TUsageError("no command given");
  const std::string& command = args[0];
  const std::vector<std::string> rest(args.begin() + 1, args.end());
  if (command == "build-sigs" || command == "build-bho") {
    if (rest.size() != 2) throw TUsageError(command + ": give a source file and an output file");
    return command == "build-sigs" ? Build<TSignatureFormat>(rest[0], rest[1], out, err)
                                   : Build<TBhoFormat>(rest[0], rest[1], out, err);
  }
  if (command == "dump") return DumpCommand(rest, out, err);
  if (command == "check") return Check(rest, out, err);
  if (command == "--help" || command == "help") {
    out << Usage;
    return ExitOk;
  }
  throw TUsageError("unknown command " + command);
}

}  // namespace

int QrxDataMain(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  try {
    return Run(args, out, err);
  } catch (const TUsageError& error) {
    err << "qrxdata: " << error.what() << '\n' << Usage;
  } catch (const std::exception& error) {
    err << "qrxdata: " << error.what() << '\n';
  }
  return ExitUsage;
}
