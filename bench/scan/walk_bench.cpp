// The antivirus worker's walk of one folder, as a scan runs it: on its own thread, each status
// text and find handed over to the UI thread and applied there, every file through the engine
// library, ZIP archives unpacked.
//
//   qrx_walk_bench SIGNATURES.txt FOLDER
//
// SIGNATURES.txt: one signature a line, name, tab, pattern (as qrxscan reads them). Prints one
// line per find ("path<TAB>name") and a summary on lines starting with "#".
#include <windows.h>

#include <cstdio>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "qrx_application.h"
#include "qrx_thread_scan_virus.h"
#include "tn_sscan.h"
#include "tn_dll_sscan_header.h"

namespace {

class TFolderScan : public ScanVirus {
 public:
  TFolderScan(TScanRequest request, std::string folder) : ScanVirus(std::move(request)), Folder_(std::move(folder)) {}
  int Statuses() const { return ProgressStep; }

 protected:
  void Execute() override { ScanFrom(Folder_); }

 private:
  std::string Folder_;
};

std::vector<TSignatureEntry> ReadSignatures(const char* path) {
  std::vector<TSignatureEntry> table;
  std::ifstream in(path, std::ios::binary);
  std::string line;
  while (std::getline(in, line) && table.size() < TN_MAX_SIGNATURES) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    const std::size_t tab = line.find('\t');
    if (line.empty() || line[0] == '#' || tab == std::string::npos) continue;
    table.push_back(MakeSignatureEntry(line.substr(0, tab), line.substr(tab + 1)));
  }
  return table;
}

double Seconds(LARGE_INTEGER from, LARGE_INTEGER to) {
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  return double(to.QuadPart - from.QuadPart) / double(frequency.QuadPart);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: qrx_walk_bench SIGNATURES.txt FOLDER\n");
    return 2;
  }
  Application.Initialize(GetModuleHandleA(nullptr));
  const std::vector<TSignatureEntry> table = ReadSignatures(argv[1]);
  const auto count = static_cast<std::int32_t>(table.size());
  if (!BindScanEngine() || count == 0 || InitScan(table.data(), count) != 0) {
    std::fprintf(stderr, "qrx_walk_bench: the engine cannot be primed\n");
    return 2;
  }

  int rows = 0;
  TScanTargets targets;
  targets.ShowStatusText = [](const std::string&) {};
  targets.SetProgressPosition = [](int) {};
  targets.AddThreatRow = [&rows](const TMenace& threat, const std::string&, const std::string& type, const std::string&) {
    std::printf("%s\t%s\n", threat.Path.c_str(), type.substr(6).c_str());  // after "Virus "
    return ++rows;
  };
  targets.MarkThreatRemoved = [](int) {};

  LARGE_INTEGER start, end;
  QueryPerformanceCounter(&start);
  auto scan = std::make_unique<TFolderScan>(TScanRequest{"COMPLET", false, targets}, argv[2]);
  scan->Start();
  scan->WaitFor();
  QueryPerformanceCounter(&end);
  std::printf("# statuses: %d\n# finds: %d\n# scan-seconds: %.3f\n", scan->Statuses(), rows, Seconds(start, end));
  std::unique_ptr<TWorkerThread> done = std::move(scan);
  ReleaseWorker(done);
  return 0;
}
