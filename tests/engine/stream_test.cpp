// Reading in chunks: occurrences far apart, at chunk edges, read errors, real files.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "engine_test_support.h"
#include "matcher.h"

namespace qrx::engine {
namespace {

using test::Sig;

std::unique_ptr<Matcher> build(const std::vector<Sig>& sigs) {
  const auto table = test::makeTable(sigs);
  return Matcher::fromTable(table.data(), sigs.size());
}

ScanResult scanBytes(const Matcher& m, const std::vector<std::uint8_t>& data, std::size_t chunk = 256 * 1024) {
  MemorySource source(data.data(), data.size());
  return m.scan(source, ScanOptions{chunk});
}

class FailingSource final : public ByteSource {
 public:
  explicit FailingSource(std::vector<std::uint8_t> head) : head_(std::move(head)) {}
  std::ptrdiff_t read(std::uint8_t* out, std::size_t size) override {
    if (done_) return -1;
    done_ = true;
    const std::size_t n = std::min(size, head_.size());
    std::copy_n(head_.begin(), n, out);
    return static_cast<std::ptrdiff_t>(n);
  }

 private:
  std::vector<std::uint8_t> head_;
  bool done_ = false;
};

TEST(Stream, ReadErrorGivesNoVerdict) {
  const auto m = build({{"A", "41424344"}});
  FailingSource clean(std::vector<std::uint8_t>(1000, 0));
  EXPECT_EQ(m->scan(clean, ScanOptions{4096}).status, ScanStatus::ReadError);
  // An occurrence near the end of what was read is not yet final: an earlier-ending one of
  // another signature could follow it only if it ended later, but the read failed first.
  FailingSource partial(test::bytes("xxABCD"));
  EXPECT_EQ(m->scan(partial, ScanOptions{4096}).status, ScanStatus::ReadError);
}

TEST(Stream, GapsSpanManyChunks) {
  const auto m = build({{"Gap", "41424344::45464748::??"}, {"Far", "4546474849"}});
  std::vector<std::uint8_t> data(3 << 20, 0);
  const std::string head = "ABCD", tail = "EFGHI";
  for (std::size_t i = 0; i < head.size(); ++i) data[5 + i] = static_cast<std::uint8_t>(head[i]);
  for (std::size_t i = 0; i < tail.size(); ++i) data[data.size() - 5 + i] = static_cast<std::uint8_t>(tail[i]);
  const ScanResult r = scanBytes(*m, data, 64 * 1024);
  ASSERT_EQ(r.status, ScanStatus::Infected);
  EXPECT_EQ(m->name(r.slot), "Gap");  // EFGH plus one byte ends with "Far", at the lower slot
  EXPECT_EQ(r.matchEnd, data.size());

  data.resize(data.size() - 1);  // "EFGH" stays, "I" goes: "Far" no longer occurs, "Gap" still does
  EXPECT_EQ(m->name(scanBytes(*m, data, 64 * 1024).slot), "Gap");
  data.resize(data.size() - 1);  // nothing after "EFGH" for the trailing "??"
  EXPECT_EQ(scanBytes(*m, data, 64 * 1024).status, ScanStatus::Clean);
}

// A 127-byte piece placed across every offset of a chunk edge.
TEST(Stream, LongPieceAcrossChunkEdges) {
  std::string pattern;
  for (int i = 0; i < 127; ++i) pattern += (i % 9 == 4) ? "??" : test::hexOf(std::string(1, static_cast<char>('a' + i % 26)));
  const auto m = build({{"Long", pattern}});
  const std::size_t chunk = 1000;
  for (std::size_t at = chunk - 130; at <= chunk + 2; ++at) {
    std::vector<std::uint8_t> data(3000, '.');
    for (std::size_t i = 0; i < 127; ++i) data[at + i] = static_cast<std::uint8_t>('a' + i % 26);
    const ScanResult r = scanBytes(*m, data, chunk);
    ASSERT_EQ(r.status, ScanStatus::Infected) << at;
    EXPECT_EQ(r.matchEnd, at + 127) << at;
    data[at + 126] = '.';
    EXPECT_EQ(scanBytes(*m, data, chunk).status, ScanStatus::Clean) << at;
  }
}

// A file that grew after it was opened: the scan sized its buffer for the few bytes it was
// told of, and still reads and matches everything after them, across its chunk edges.
class GrowingSource final : public ByteSource {
 public:
  GrowingSource(const std::vector<std::uint8_t>& data, std::uint64_t told) : data_(data.data(), data.size()), told_(told) {}
  std::ptrdiff_t read(std::uint8_t* out, std::size_t size) override { return data_.read(out, size); }
  std::optional<std::uint64_t> expectedSize() const override { return told_; }

 private:
  MemorySource data_;
  std::uint64_t told_;
};

TEST(Stream, FileLargerThanExpectedIsReadWhole) {
  const auto m = build({{"Edge", "41424344454647484950"}, {"Tail", "5A5A::595959"}});
  std::vector<std::uint8_t> data(200 * 1024, '.');
  const std::string edge = "ABCDEFGHIP";
  for (std::size_t at : {std::size_t{16 * 1024 - 5}, std::size_t{100 * 1024 - 3}}) {
    std::vector<std::uint8_t> placed = data;
    for (std::size_t i = 0; i < edge.size(); ++i) placed[at + i] = static_cast<std::uint8_t>(edge[i]);
    GrowingSource source(placed, 10);
    const ScanResult r = m->scan(source);
    ASSERT_EQ(r.status, ScanStatus::Infected) << at;
    EXPECT_EQ(r.matchEnd, at + edge.size()) << at;
  }
  data[7] = data[8] = 'Z';
  for (std::size_t i = data.size() - 3; i < data.size(); ++i) data[i] = 'Y';
  GrowingSource gapped(data, 0);
  const ScanResult r = m->scan(gapped);
  ASSERT_EQ(r.status, ScanStatus::Infected);
  EXPECT_EQ(m->name(r.slot), "Tail");
  EXPECT_EQ(r.matchEnd, data.size());
}

// Long exact runs are looked for every few bytes only, so a later occurrence of a piece can be
// seen before an earlier, overlapping one. The earlier one must still count: here only it
// leaves room for the "B" after it.
TEST(Stream, SampledPiecesKeepTheirEarliestOccurrence) {
  const auto m = build({{"Overlap", "41424142414241::42"}});
  for (std::size_t lead = 0; lead < 8; ++lead) {
    const auto data = test::bytes(std::string(lead, '.') + "ABABABABA");
    const ScanResult r = scanBytes(*m, data);
    ASSERT_EQ(r.status, ScanStatus::Infected) << lead;
    EXPECT_EQ(r.matchEnd, lead + 8) << lead;
  }
}

TEST(Stream, RealFilesOnDisk) {
  const auto m = build({{"EICAR", test::hexOf(test::kEicar)}, {"Zeros", "0000000000000000::1122"}});
  test::TempDir dir;
  std::vector<std::uint8_t> data(5'000'000);
  for (std::size_t i = 0; i < data.size(); ++i) data[i] = static_cast<std::uint8_t>((i * 2654435761u) >> 13);
  EXPECT_EQ(m->scanFile(dir.write("noise.bin", data).c_str()).status, ScanStatus::Clean);
  std::copy(test::kEicar.begin(), test::kEicar.end(), data.end() - 68);
  const ScanResult r = m->scanFile(dir.write("tail.bin", data).c_str());
  ASSERT_EQ(r.status, ScanStatus::Infected);
  EXPECT_EQ(m->name(r.slot), "EICAR");
  EXPECT_EQ(m->scanFile((dir.path() + "/none").c_str()).status, ScanStatus::CannotOpen);
  EXPECT_EQ(m->scanFile(dir.path().c_str()).status, ScanStatus::NotAFile);
}

TEST(Stream, IgnoredSignaturesAreCountedAndListed) {
  const auto m = build({{"ok", "4142"}, {"empty", ""}, {"bad", "41G2"}, {"weak", "41::42"}, {"ok2", "41??42"}});
  EXPECT_EQ(m->stats().records, 5u);
  EXPECT_EQ(m->stats().used, 2u);
  EXPECT_EQ(m->stats().empty, 1u);
  EXPECT_EQ(m->stats().badUnit, 1u);
  EXPECT_EQ(m->stats().noAnchor, 1u);
  const std::vector<IgnoredSignature>& ignored = m->stats().ignoredSlots;
  ASSERT_EQ(ignored.size(), 3u);
  EXPECT_EQ(ignored[0].slot, 1u);
  EXPECT_EQ(ignored[0].status, PatternStatus::Empty);
  EXPECT_EQ(ignored[1].slot, 2u);
  EXPECT_EQ(ignored[1].status, PatternStatus::BadUnit);
  EXPECT_EQ(ignored[2].slot, 3u);
  EXPECT_EQ(ignored[2].status, PatternStatus::NoAnchor);
}

}  // namespace
}  // namespace qrx::engine
