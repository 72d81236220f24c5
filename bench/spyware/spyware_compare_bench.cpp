// The registry phase's comparison at full size: 10,000 class keys against 40,000 database
// entries, hand-overs excluded. Times the index built once per scan, the comparison through it,
// and, as the rival, the slot-by-slot comparison of every key with every entry (timed on the
// first keys and scaled, since the whole of it takes minutes).
//
//   qrx_spyware_compare_bench [RUNS]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "qrx_spyware_compare.h"

namespace {

constexpr int Entries = 40000;
constexpr int Keys = 10000;
constexpr int KnownKeys = 100;       // keys that stand in the database
constexpr int ReferenceKeys = 100;   // keys the slot-by-slot rival is timed on

std::string RandomClsid(std::mt19937& random, bool lowerCase) {
  const char* digits = lowerCase ? "0123456789abcdef" : "0123456789ABCDEF";
  std::string clsid = "{";
  for (int group : {8, 4, 4, 4, 12}) {
    for (int i = 0; i < group; ++i) clsid += digits[random() % 16];
    clsid += '-';
  }
  clsid.back() = '}';
  return clsid;
}

// Counts what the comparison reports, nothing more: the hand-overs are left out.
class TCountingEvents : public TRegistryPhaseEvents {
 public:
  bool StopRequested() const override { return false; }
  void KeyReached(const std::string&) override { ++KeysSeen; }
  void EntryMatched(const TBhoEntry&) override { ++Matches; }
  long KeysSeen = 0, Matches = 0;
};

// Every key against every slot, each slot's copy upper-cased as it is compared.
long CompareSlotBySlot(const std::vector<std::string>& names, const std::vector<TBhoEntry>& table) {
  long matches = 0;
  for (const std::string& name : names) {
    const std::string keyName = UpperClassId(name);
    for (const TBhoEntry& slot : table)
      if (ComparedEntry(slot).Clsid.View() == keyName) ++matches;
  }
  return matches;
}

double Milliseconds(std::chrono::steady_clock::duration d) {
  return std::chrono::duration<double, std::milli>(d).count();
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
  const int runs = argc > 1 ? std::atoi(argv[1]) : 15;
  std::mt19937 random(11);
  std::vector<TBhoEntry> table(Entries);
  for (int k = 0; k < Entries; ++k) {
    table[k].Kind = k % 3 ? 'S' : 'T';
    table[k].Clsid.Assign(RandomClsid(random, k % 2 == 0));
    table[k].DisplayName.Assign("Benchmark entry " + std::to_string(k));
  }
  std::vector<std::string> names;
  for (int n = 0; n < Keys; ++n)
    names.push_back(n % (Keys / KnownKeys) == 0 ? table[random() % Entries].Clsid.Str() : RandomClsid(random, n % 2));

  std::vector<double> build, compare, total;
  long matches = 0;
  for (int run = 0; run < runs; ++run) {
    const auto start = std::chrono::steady_clock::now();
    const TBhoIndex index(table.data(), Entries);
    const auto built = std::chrono::steady_clock::now();
    TCountingEvents events;
    CompareClassKeys(names, index, events);
    const auto end = std::chrono::steady_clock::now();
    build.push_back(Milliseconds(built - start));
    compare.push_back(Milliseconds(end - built));
    total.push_back(Milliseconds(end - start));
    matches = events.Matches;
  }

  const std::vector<std::string> sample(names.begin(), names.begin() + ReferenceKeys);
  const auto start = std::chrono::steady_clock::now();
  const long sampleMatches = CompareSlotBySlot(sample, table);
  const double reference = Milliseconds(std::chrono::steady_clock::now() - start) * (Keys / ReferenceKeys);
  TCountingEvents sampleEvents;
  CompareClassKeys(sample, TBhoIndex(table.data(), Entries), sampleEvents);
  if (sampleEvents.Matches != sampleMatches) {
    std::fprintf(stderr, "the index and the slot-by-slot comparison disagree\n");
    return 1;
  }

  std::printf("%d keys x %d entries, %ld matches, medians of %d runs:\n", Keys, Entries, matches, runs);
  std::printf("  index built once per scan     %8.2f ms\n", Median(build));
  std::printf("  keys compared through it      %8.2f ms\n", Median(compare));
  std::printf("  comparison part, in all       %8.2f ms (goal: under 50 ms)\n", Median(total));
  std::printf("  slot by slot (from %d keys)  %8.0f ms, %.0f times the indexed comparison\n", ReferenceKeys,
              reference, reference / Median(total));
  return 0;
}
