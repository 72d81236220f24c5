// Start-up loading of full data files: 37,999 signatures across QRX_SIG.DAT and QRX_SIG2.DAT,
// 40,000 database entries in qrx_bhotb.dat, read by the program's own loaders. Beside each,
// a plain read of the same bytes gives the floor that any loader pays.
//
//   qrx_data_load_bench FOLDER [RUNS]
// Writes the three files into FOLDER, then prints milliseconds per run (best and median).
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "tn_bho_file.h"
#include "tns_signature_file.h"

namespace {

constexpr int FirstFileSignatures = 20000;
constexpr int SecondFileSignatures = MaxStoredSignatures - FirstFileSignatures;

// Names and patterns of a realistic spread of lengths (patterns of 16 to 254 characters).
void WriteSignatures(const std::string& path, int first, int count) {
  std::ofstream out(path, std::ios::binary);
  auto write = [&](TSignatureEntry entry) {
    ScrambleSignatureRecord(entry);
    out.write(reinterpret_cast<const char*>(&entry), sizeof entry);
  };
  write(MakeSignatureEntry("header", ""));
  for (int i = first; i < first + count; ++i) {
    std::string pattern;
    const int pairs = 8 + i % 120;
    for (int k = 0; k < pairs; ++k) pattern += k % 17 == 5 ? "??" : "4D";
    write(MakeSignatureEntry("Bench.Signature." + std::to_string(i), pattern));
  }
}

void WriteDatabase(const std::string& path) {
  std::ofstream out(path, std::ios::binary);
  auto write = [&](char kind, const std::string& clsid, const std::string& name) {
    TBhoEntry entry{};
    entry.Kind = kind;
    entry.Clsid.Assign(clsid);
    entry.Info.Assign("Benchmark entry of the spyware database, about as long as a real description");
    entry.DisplayName.Assign(name);
    EncodeBhoRecord(entry);
    out.write(reinterpret_cast<const char*>(&entry), sizeof entry);
  };
  write('H', "", "");
  for (int i = 1; i <= BhoSlots; ++i) {
    char clsid[40];
    std::snprintf(clsid, sizeof clsid, "{%08X-0000-4000-8000-%012d}", static_cast<unsigned>(i), i);
    write(i % 2 ? 'T' : 'S', clsid, "Bench toolbar or spyware " + std::to_string(i));
  }
}

std::size_t ReadWhole(const std::string& path) {
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) return 0;
  static std::vector<char> buffer(1 << 20);
  std::size_t total = 0;
  for (std::size_t got; (got = std::fread(buffer.data(), 1, buffer.size(), file)) > 0;) total += got;
  std::fclose(file);
  return total;
}

struct TTiming {
  double Best;
  double Median;
};

TTiming Time(int runs, const std::function<void()>& work) {
  std::vector<double> ms;
  for (int i = 0; i < runs; ++i) {
    const auto start = std::chrono::steady_clock::now();
    work();
    ms.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
  }
  std::sort(ms.begin(), ms.end());
  return {ms.front(), ms[ms.size() / 2]};
}

void Report(const char* what, TTiming loader, TTiming raw) {
  std::printf("%-40s best %7.2f ms  median %7.2f ms   plain read %6.2f ms   ratio %5.2f\n", what, loader.Best,
              loader.Median, raw.Median, loader.Median / raw.Median);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: qrx_data_load_bench FOLDER [RUNS]\n");
    return 2;
  }
  const std::string folder = std::string(argv[1]) + "/";
  const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 15;
  const std::string sig = folder + "QRX_SIG.DAT", sig2 = folder + "QRX_SIG2.DAT", bho = folder + "qrx_bhotb.dat";
  WriteSignatures(sig, 1, FirstFileSignatures);
  WriteSignatures(sig2, FirstFileSignatures + 1, SecondFileSignatures);
  WriteDatabase(bho);

  bool ok = true;
  const TTiming signatures = Time(runs, [&] {
    ok = LoadSignatureFile(sig) && AppendSignatureFile(sig2) && ok;
  });
  const TTiming database = Time(runs, [&] { ok = ReadBhoFile(bho) == BhoReadOk && ok; });
  const TTiming rawSignatures = Time(runs, [&] { ReadWhole(sig), ReadWhole(sig2); });
  const TTiming rawDatabase = Time(runs, [&] { ReadWhole(bho); });
  if (!ok || FilledSignatureSlots() != MaxStoredSignatures || BhoCount() != BhoSlots) {
    std::fprintf(stderr, "the tables did not fill: %d signatures, %d entries\n", FilledSignatureSlots(), BhoCount());
    return 1;
  }
  std::printf("%d runs, files in the page cache\n", runs);
  Report("signatures (37,999 in two files, 12.2 MB)", signatures, rawSignatures);
  Report("database (40,000 entries, 22.2 MB)", database, rawDatabase);
  const double both = signatures.Median + database.Median;
  std::printf("%-40s median %7.2f ms   goal 100 ms: %s\n", "both loaders", both, both < 100 ? "met" : "NOT met");
  return 0;
}
