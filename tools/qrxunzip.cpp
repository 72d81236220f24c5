// qrxunzip: lists, tests or extracts a ZIP archive the way the scanner sees it, printing
// one line per report of the extractor:
//   <kind> <code> <unpacked size> <packed size> <method> <name>   (tab-separated)
// where <method> is the method's name ("deflate64"), or its number when the extractor does
// not know it, followed by " (encrypted)" for an encrypted member.
// Paths, patterns and member names are UTF-8, in any script.
// Exit status: 0 when the walk ended normally and every member it started succeeded, 1 when
// some member failed, else the walk's negative result code without its sign.
#include <cstdio>
#include <string>
#include <vector>

#include "BriskUnzip.h"
#include "ZipFormat.h"
#include "qrx_console.h"

namespace {

bool Quiet = false;
int MembersStarted = 0;
int MembersDone = 0;
bool FatalSeen = false;

const char* KindName(int32_t status) {
  switch (status) {
    case UZ_REPORT_ARCHIVE_START: return "archive-start";
    case UZ_REPORT_MEMBER_START: return "member-start";
    case UZ_REPORT_PROGRESS: return "progress";
    case UZ_REPORT_MEMBER_DONE: return "member-done";
    case UZ_REPORT_MEMBER_ERROR: return "member-error";
    case UZ_REPORT_ARCHIVE_END: return "archive-end";
    default: return "fatal";
  }
}

std::string MethodText(const TUnzipReport& report) {
  const char* name = MethodName(report.Method);
  std::string text = name ? name : std::to_string(report.Method);
  return report.IsEncrypted ? text + " (encrypted)" : text;
}

void PrintReport(int32_t code, TUnzipReport* report) {
  // A member may fail without an error report (a damaged deflate header): count starts and ends.
  MembersStarted += report->Status == UZ_REPORT_MEMBER_START;
  MembersDone += report->Status == UZ_REPORT_MEMBER_DONE;
  FatalSeen = FatalSeen || code == UZ_FATAL_REPORT;
  if (Quiet && report->Status != UZ_REPORT_MEMBER_ERROR && code != UZ_FATAL_REPORT) return;
  PrintText(stdout, "%s\t%d\t%lld\t%lld\t%s\t%s\n", KindName(report->Status), static_cast<int>(code),
            static_cast<long long>(report->UnpackedSize), static_cast<long long>(report->PackedSize),
            MethodText(*report).c_str(), report->FileName);
}

int Usage() {
  PrintText(stderr,
            "usage: qrxunzip [-q] list <archive> [pattern]\n"
            "       qrxunzip [-q] test <archive> [pattern]\n"
            "       qrxunzip [-q] [-j] extract <archive> <folder> [pattern]\n"
            "  -q  print only failures and the result line\n"
            "  -j  extract flat, without the stored folders\n");
  return 2;
}

const char* ResultText(int32_t result) {
  switch (result) {
    case UZ_CRC_MISMATCH: return "CRC mismatch";
    case UZ_WRITE_ERROR: return "output cannot be written";
    case UZ_READ_ERROR: return "archive cannot be read";
    case UZ_BAD_DATA: return "damaged data";
    case UZ_ABORTED: return "aborted";
    case UZ_UNSUPPORTED: return "unsupported method";
    case UZ_ENCRYPTED: return "encrypted";
    case UZ_BUSY: return "extractor busy";
    case UZ_NO_DIRECTORY: return "no directory";
    case UZ_ARCHIVE_IO: return "archive cannot be read";
    case UZ_NOT_ARCHIVE: return "not an archive";
    case UZ_OPEN_FAILED: return "archive cannot be opened";
    case UZ_OVERLAPPING_MEMBERS: return "overlapping members (overlap bomb)";
    case UZ_MISSING_ARGUMENT: return "missing argument";
    default: return "";
  }
}

int ExitStatus(int32_t result) {
  PrintText(stdout, "result\t%d\n", static_cast<int>(result));
  if (result < 0) PrintText(stderr, "qrxunzip: %s\n", ResultText(result));
  if (result < 0) return -result;
  return (FatalSeen || MembersStarted != MembersDone) ? 1 : 0;
}

int32_t Run(const std::string& command, const char* archive, const char* folder, const char* pattern, bool flat) {
  TBriskUnzip unzip(nullptr);
  unzip.SetZipFileName(archive);
  unzip.SetReportHandler(PrintReport);
  unzip.SetDontRecurse(flat);
  if (pattern) unzip.SetFilesToExtract(pattern);
  if (command == "list") return unzip.ListFiles();
  if (command == "test") return unzip.TestFiles();
  unzip.SetTargetDirectory(folder);
  return unzip.ExtractFiles();
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> args = ProgramArguments(argc, argv);
  bool flat = false;
  std::size_t arg = 0;
  for (; arg < args.size() && args[arg][0] == '-'; ++arg) {
    if (args[arg] == "-q")
      Quiet = true;
    else if (args[arg] == "-j")
      flat = true;
    else
      return Usage();
  }
  if (args.size() - arg < 2) return Usage();
  const std::string& command = args[arg];
  const char* archive = args[arg + 1].c_str();
  const std::vector<std::string> rest(args.begin() + static_cast<std::ptrdiff_t>(arg) + 2, args.end());
  const char* pattern = nullptr;

  if (command == "list" || command == "test") {
    if (rest.size() > 1) return Usage();
    if (rest.size() == 1) pattern = rest[0].c_str();
    return ExitStatus(Run(command, archive, nullptr, pattern, flat));
  }
  if (command == "extract") {
    if (rest.empty() || rest.size() > 2) return Usage();
    if (rest.size() == 2) pattern = rest[1].c_str();
    return ExitStatus(Run(command, archive, rest[0].c_str(), pattern, flat));
  }
  return Usage();
}
