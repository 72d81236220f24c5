// The engine against a brute-force reference on random signatures and data.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "engine_test_support.h"
#include "reference_matcher.h"
#include "matcher.h"

namespace qrx::engine {
namespace {

using test::Sig;
using namespace test::reference;

// ---- Random signatures of every unit shape, and data with planted occurrences. ----

class Generator {
 public:
  explicit Generator(std::uint32_t seed) : rng_(seed) {}

  int pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng_); }

  // Few byte values, so that near-misses and competing occurrences are common.
  std::uint8_t dataByte() {
    static const std::uint8_t alphabet[] = {0x00, 0x41, 0x42, 0x4D, 0x5A, 0xFF, 0x90, 0x14};
    return pick(10) == 0 ? static_cast<std::uint8_t>(pick(256)) : alphabet[pick(8)];
  }

  std::string hexByte(std::uint8_t b) {
    const char* digits = pick(2) ? "0123456789ABCDEF" : "0123456789abcdef";
    return {digits[b >> 4], digits[b & 15]};
  }

  std::string pattern() {
    std::string text;
    const int units = 1 + pick(pick(8) == 0 ? 127 : 14);
    for (int u = 0; u < units && text.size() + 2 <= 254; ++u) {
      const int shape = pick(100);
      const std::uint8_t b = dataByte();
      const char* digits = "0123456789ABCDEF";
      if (shape < 55) text += hexByte(b);
      else if (shape < 67) text += "??";
      else if (shape < 74) text += std::string{digits[b >> 4], '?'};
      else if (shape < 81) text += std::string{'?', digits[b & 15]};
      else if (shape < 89) text += pick(2) ? "::" : ": ";
      else if (shape < 95) text += pick(2) ? "  " : "? ";
      else if (shape < 97) text += pick(2) ? "G?" : "ZZ";  // makes the signature unusable
      else text += hexByte(b);
    }
    if (pick(6) == 0 && text.size() < 254) text += "F";  // odd last character
    return text;
  }

  // Writes one occurrence of the pattern at `at` (bytes that fit each unit, fillers in gaps).
  void plant(const std::string& text, std::vector<std::uint8_t>& data, std::size_t at) {
    const auto pieces = refParse(text);
    if (!pieces) return;
    for (const RefPiece& piece : *pieces) {
      for (const RefByte& b : piece) {
        if (at >= data.size()) return;
        data[at] = static_cast<std::uint8_t>((dataByte() & ~b.mask) | b.value);
        ++at;
      }
      at += static_cast<std::size_t>(pick(3) == 0 ? pick(40) : 0);
    }
  }

 private:
  std::mt19937 rng_;
};

struct Trial {
  std::vector<Sig> sigs;
  std::vector<std::uint8_t> data;
};

Trial makeTrial(Generator& g, int signatureCount, std::size_t dataSize) {
  Trial t;
  for (int i = 0; i < signatureCount; ++i) t.sigs.push_back({"sig" + std::to_string(i), g.pattern()});
  t.data.resize(dataSize);
  for (auto& b : t.data) b = g.dataByte();
  const int plants = g.pick(4);
  for (int i = 0; i < plants && !t.data.empty(); ++i) {
    const std::string& text = t.sigs[static_cast<std::size_t>(g.pick(signatureCount))].pattern;
    const int where = g.pick(3);  // at offset 0, ending near the file's end, or anywhere
    const std::size_t at = where == 0 ? 0 : where == 1 ? t.data.size() - std::min<std::size_t>(t.data.size(), 1 + static_cast<std::size_t>(g.pick(60))) : static_cast<std::size_t>(g.pick(static_cast<int>(t.data.size())));
    g.plant(text, t.data, at);
  }
  return t;
}

void expectAgreement(const Trial& t, std::size_t chunkSize, std::size_t maxRead, const std::string& what) {
  const auto table = test::makeTable(t.sigs);
  const auto matcher = Matcher::fromTable(table.data(), t.sigs.size());
  MemorySource source(t.data.data(), t.data.size(), maxRead);
  const ScanResult got = matcher->scan(source, ScanOptions{chunkSize});
  const RefVerdict want = refScan(t.sigs, t.data);
  ASSERT_EQ(got.status == ScanStatus::Infected, want.infected) << what;
  if (want.infected) {
    ASSERT_EQ(got.slot, want.slot) << what << " winner " << t.sigs[want.slot].pattern << " got " << t.sigs[got.slot].pattern;
    ASSERT_EQ(got.matchEnd, want.end) << what;
  }
}

std::string describe(const Trial& t, std::uint32_t seed, std::size_t chunk) {
  std::string s = "seed " + std::to_string(seed) + " chunk " + std::to_string(chunk) + " size " + std::to_string(t.data.size()) + " sigs:";
  for (const Sig& sig : t.sigs) s += " [" + sig.pattern + "]";
  return s;
}

TEST(Differential, SmallSetsAcrossChunkBoundaries) {
  const std::size_t chunks[] = {1, 3, 17, 130, 255, 4096};
  for (std::uint32_t seed = 1; seed <= 3000; ++seed) {
    Generator g(seed);
    const Trial t = makeTrial(g, 1 + g.pick(6), static_cast<std::size_t>(g.pick(g.pick(5) == 0 ? 3000 : 400)));
    const std::size_t chunk = chunks[seed % std::size(chunks)];
    expectAgreement(t, chunk, 1 + static_cast<std::size_t>(g.pick(300)), describe(t, seed, chunk));
    if (HasFatalFailure()) return;
  }
}

TEST(Differential, LargeSetsPickTheEarliestEndingLowestSlot) {
  for (std::uint32_t seed = 10001; seed <= 10012; ++seed) {
    Generator g(seed);
    const Trial t = makeTrial(g, 400, 20000);
    expectAgreement(t, 512 + seed % 7, SIZE_MAX, "seed " + std::to_string(seed));
    if (HasFatalFailure()) return;
  }
}

// Duplicates and occurrences ending at the same offset: the lower slot wins.
TEST(Differential, TiesGoToTheLowestSlot) {
  const std::vector<Sig> sigs = {{"later", "444579"}, {"wide", "3132::4445"}, {"short", "434445"}, {"again", "434445"}};
  const auto table = test::makeTable(sigs);
  const auto matcher = Matcher::fromTable(table.data(), sigs.size());
  const auto data = test::bytes("xx12ABCDEyy");
  MemorySource source(data.data(), data.size());
  const ScanResult r = matcher->scan(source);
  ASSERT_EQ(r.status, ScanStatus::Infected);
  EXPECT_EQ(matcher->name(r.slot), "wide");  // three end at offset 9, the first slot ends at 10
  EXPECT_EQ(r.matchEnd, 9u);
}

}  // namespace
}  // namespace qrx::engine
