// The registry phase of the real worker at full size, hand-overs included: 10,000 class keys
// seeded under HKEY_CLASSES_ROOT\CLSID and 40,000 database entries, ScanSpyware run in the mode
// "REGISTRY" with hand-over targets that do nothing, so that what is timed is the worker's own
// cost: listing the keys, the comparison, and one status hand-over per key (the summary too).
// The seeded keys are removed at the end.
//
//   qrx_spyware_phase_bench FOLDER [RUNS]      (Windows; FOLDER receives the database file)
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "qrx_application.h"
#include "qrx_class_keys.h"
#include "qrx_thread_scan_spyware.h"

namespace {

constexpr int Entries = 40000;
constexpr int SeededKeys = 10000;

std::string Clsid(const char* group, int n) {
  char clsid[40];
  std::snprintf(clsid, sizeof clsid, "{51525842-%s-0000-0000-%012d}", group, n);
  return clsid;
}

void WriteDatabase(const std::string& path) {
  std::ofstream out(path, std::ios::binary);
  for (int k = 0; k <= Entries; ++k) {  // the header first
    TBhoEntry entry{};
    entry.Kind = k % 3 ? 'S' : 'T';
    entry.Clsid.Assign(Clsid("6462", k));
    entry.DisplayName.Assign("Benchmark entry " + std::to_string(k));
    EncodeBhoRecord(entry);
    out.write(reinterpret_cast<const char*>(&entry), sizeof entry);
  }
}

double Now() {
  LARGE_INTEGER count, frequency;
  QueryPerformanceCounter(&count);
  QueryPerformanceFrequency(&frequency);
  return static_cast<double>(count.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

// One scan to its end, the UI thread applying the hand-overs; returns the milliseconds.
double TimeRegistryPhase(long& statuses) {
  TScanTargets targets{[&](const std::string&) { ++statuses; }, [](int) {},
                       [](const TMenace&, const std::string&, const std::string&, const std::string&) { return 0; },
                       [](int) {}};
  auto worker = std::make_unique<ScanSpyware>(TScanRequest{"REGISTRY", false, targets}, ScanSpyware::TRemoval{});
  const double start = Now();
  worker->Start();
  worker->WaitFor();
  return Now() - start;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: qrx_spyware_phase_bench FOLDER [RUNS]\n");
    return 2;
  }
  const int runs = argc > 2 ? std::atoi(argv[2]) : 5;
  Application.Initialize(GetModuleHandleA(nullptr));
  const std::string database = std::string(argv[1]) + "\\qrx_bhotb.dat";
  WriteDatabase(database);
  if (ReadBhoFile(database) != BhoReadOk) return 1;

  // Every hundredth seeded key stands in the database.
  std::vector<std::string> seeded;
  for (int n = 0; n < SeededKeys; ++n) {
    const std::string name = "CLSID\\" + (n % 100 == 0 ? Clsid("6462", n + 1) : Clsid("6b65", n));
    HKEY key;
    if (RegCreateKeyExA(HKEY_CLASSES_ROOT, name.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr) ==
        ERROR_SUCCESS) {
      RegCloseKey(key);
      seeded.push_back(name);
    }
  }

  std::vector<double> listing, phase;
  long statuses = 0;
  std::size_t keys = 0;
  for (int run = 0; run < runs; ++run) {
    const double start = Now();
    keys = ListClassKeys().size();
    listing.push_back(Now() - start);
    statuses = 0;
    phase.push_back(TimeRegistryPhase(statuses));
  }
  for (const std::string& name : seeded) RegDeleteKeyA(HKEY_CLASSES_ROOT, name.c_str());

  std::printf("%zu class keys (%zu seeded) x %d entries, %ld status hand-overs, medians of %d runs:\n", keys,
              seeded.size(), Entries, statuses, runs);
  std::printf("  listing the class keys         %8.1f ms\n", Median(listing));
  std::printf("  registry phase with hand-overs %8.1f ms (%.1f us a key)\n", Median(phase),
              Median(phase) * 1000.0 / static_cast<double>(keys));
  return 0;
}
