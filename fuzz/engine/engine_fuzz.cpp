// libFuzzer target for the engine. The first input byte picks what is fuzzed:
//  - even: raw 321-byte records (any bytes, any length bytes) are compiled, then a fixed text
//    is scanned: compilation must never read outside the records or fail;
//  - odd: text patterns, one a line up to a NUL, then the data to scan; the engine's verdict
//    and winning slot must equal the brute-force reference's, for a chunk size taken from
//    the second byte.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "matcher.h"
#include "reference_matcher.h"

namespace {

using namespace qrx::engine;

struct TextSig {
  std::string pattern;
};

void fuzzRecords(const std::uint8_t* data, std::size_t size) {
  const std::size_t count = size / sizeof(TSignatureEntry);
  const auto matcher = Matcher::fromTable(reinterpret_cast<const TSignatureEntry*>(data), count);
  static const std::string text = "MZ\x90\x00 some text ABCD \xFF\xFF 0123456789 \x00\x01\x02\x03 the end";
  MemorySource source(reinterpret_cast<const std::uint8_t*>(text.data()), text.size());
  const ScanResult r = matcher->scan(source, ScanOptions{7});
  if (r.status == ScanStatus::Infected && r.slot >= count) std::abort();
}

void fuzzPatterns(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return;
  const std::size_t chunk = 1 + data[0] % 300;
  ++data;
  --size;
  std::vector<TextSig> sigs;
  std::size_t at = 0;
  std::string line;
  for (; at < size && data[at] != 0; ++at) {
    if (data[at] == '\n') {
      sigs.push_back({line.substr(0, decltype(TSignatureEntry::Pattern)::Capacity)});
      line.clear();
    } else {
      line += static_cast<char>(data[at]);
    }
  }
  sigs.push_back({line.substr(0, decltype(TSignatureEntry::Pattern)::Capacity)});
  if (sigs.size() > 64) return;
  const std::vector<std::uint8_t> scanned(data + std::min(size, at + 1), data + size);

  std::vector<TSignatureEntry> table;
  for (const TextSig& sig : sigs) table.push_back(MakeSignatureEntry("s", sig.pattern));
  const auto matcher = Matcher::fromTable(table.data(), sigs.size());
  MemorySource source(scanned.data(), scanned.size());
  const ScanResult got = matcher->scan(source, ScanOptions{chunk});
  const auto want = test::reference::refScan(sigs, scanned);
  if ((got.status == ScanStatus::Infected) != want.infected) std::abort();
  if (want.infected && (got.slot != want.slot || got.matchEnd != want.end)) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  if (data[0] % 2 == 0) {
    fuzzRecords(data + 1, size - 1);
  } else {
    fuzzPatterns(data + 1, size - 1);
  }
  return 0;
}
