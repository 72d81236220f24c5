// Atom choice by the frequency table of executables, and the window checked around each atom.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "atom.h"
#include "engine_test_support.h"
#include "exe_frequency.h"
#include "matcher.h"

namespace qrx::engine {
namespace {

using test::Sig;

Piece onlyPiece(const char* text) {
  const ParsedPattern parsed = parsePattern(text);
  EXPECT_EQ(parsed.pieces.size(), 1u) << text;
  return parsed.pieces.at(0);
}

TEST(ExeFrequency, TableRanksWhatProgramsAreMadeOf) {
  for (int b = 0; b < 256; ++b) {
    EXPECT_GE(byteSurprise(static_cast<std::uint8_t>(b)), byteSurprise(0x00)) << b;  // zero is everywhere
    EXPECT_LE(byteSurprise(static_cast<std::uint8_t>(b)), 61) << b;
  }
  // Padding and x86 opcodes are common; a pair like D7 3A is not.
  EXPECT_LT(pairSurprise(0x00, 0x00), pairSurprise(0xD7, 0x3A));
  EXPECT_LT(pairSurprise(0x48, 0x8B), pairSurprise(0xD7, 0x3A));
  EXPECT_LT(pairSurprise(0xCC, 0xCC), pairSurprise(0x9B, 0x1F));
  // A pair is never less surprising than its first byte alone.
  for (int a : {0x00, 0x48, 0xFF, 0x8B, 0xE8}) {
    for (int b : {0x00, 0x8B, 0x45, 0x3A}) EXPECT_GE(pairSurprise(static_cast<std::uint8_t>(a), static_cast<std::uint8_t>(b)) + 1, byteSurprise(static_cast<std::uint8_t>(a)));
  }
}

struct AtomCase {
  const char* piece;
  std::size_t offset;  // of the atom chosen
  std::size_t length;
  int windowDelta;
};

class AtomCases : public ::testing::TestWithParam<AtomCase> {};

TEST_P(AtomCases, ChoosesTheRarestLongestRunAndTheFullestWindow) {
  const AtomCase& c = GetParam();
  const Piece piece = onlyPiece(c.piece);
  const std::optional<Atom> atom = chooseAtom(piece);
  ASSERT_TRUE(atom) << c.piece;
  EXPECT_EQ(atom->offset, c.offset) << c.piece;
  EXPECT_EQ(atom->length, c.length) << c.piece;
  EXPECT_EQ(atom->windowDelta, c.windowDelta) << c.piece;
  // The key and the window are the piece's own bytes, packed as the scanner reads them.
  for (std::size_t k = 0; k < atom->length; ++k) {
    EXPECT_EQ((atom->key >> (8 * k)) & 0xFF, piece.values[atom->offset + k]) << c.piece;
  }
  const std::size_t windowStart = atom->offset + static_cast<std::size_t>(static_cast<std::ptrdiff_t>(atom->windowDelta));
  for (std::size_t k = 0; k < kWindowLength; ++k) {
    const bool inside = windowStart + k < piece.size();
    EXPECT_EQ((atom->windowMask >> (8 * k)) & 0xFF, inside ? piece.masks[windowStart + k] : 0u) << c.piece << " " << k;
    EXPECT_EQ((atom->windowValue >> (8 * k)) & 0xFF, inside ? piece.values[windowStart + k] : 0u) << c.piece << " " << k;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Executables, AtomCases,
    ::testing::Values(
        AtomCase{"00000000??D73A915C", 5, 4, -4},      // padding loses; the window takes the zeros too
        AtomCase{"4883EC28??9B1FE7A2", 5, 4, -4},      // a common instruction loses to odd bytes
        AtomCase{"9B1FE7A2??CCCCCCCC", 0, 4, 0},       // fills lose wherever they stand
        AtomCase{"E8A1B2C3??E7E7E7E7", 0, 4, 0},       // even of a byte that is rare alone
        AtomCase{"26E426E4??E8A1B2C3", 5, 4, -4},      // and so do tables of a repeated pair
        AtomCase{"D7??3A??4883EC28", 4, 4, -4},        // longer beats rarer
        AtomCase{"????????D73A915C", 4, 4, 0},         // the window never widens over wildcards for nothing
        AtomCase{"4?4D5A", 1, 2, -1},                  // a nibble still pins four bits
        AtomCase{"D7??3A", 0, 1, 0}));                 // single bytes when nothing longer exists

std::unique_ptr<Matcher> build(const std::vector<Sig>& sigs) {
  const auto table = test::makeTable(sigs);
  return Matcher::fromTable(table.data(), sigs.size());
}

ScanResult scanBytes(const Matcher& m, const std::vector<std::uint8_t>& data) {
  MemorySource source(data.data(), data.size());
  return m.scan(source);
}

TEST(AtomWindow, TurnsAwayHitsOfTheAtomAloneBeforeThePieceIsChecked) {
  const auto m = build({{"Odd", "11223344??D73A915C"}});
  // The atom D7 3A 91 5C behind bytes that do not fit its window, then a true occurrence.
  const std::vector<std::uint8_t> miss = {0x11, 0x22, 0x33, 0x45, 0x00, 0xD7, 0x3A, 0x91, 0x5C, 0x00};
  const ScanResult clean = scanBytes(*m, miss);
  EXPECT_EQ(clean.status, ScanStatus::Clean);
  EXPECT_EQ(clean.counts.positions, miss.size());
  EXPECT_EQ(clean.counts.atomHits, 1u);
  EXPECT_EQ(clean.counts.windowPasses, 0u);
  EXPECT_EQ(clean.counts.pieceChecks, 0u);

  std::vector<std::uint8_t> hit = miss;
  hit[3] = 0x44;
  const ScanResult infected = scanBytes(*m, hit);
  EXPECT_EQ(infected.status, ScanStatus::Infected);
  EXPECT_EQ(infected.matchEnd, 9u);
  EXPECT_EQ(infected.counts.windowPasses, 1u);
  EXPECT_EQ(infected.counts.pieceChecks, 1u);
}

TEST(AtomWindow, AnAtomAtTheStartOfTheFileNeverLooksBeforeIt) {
  // The window reaches four bytes back from the atom; at offset 0 there is nothing there
  // (the sanitizers would see a read before the buffer).
  const auto m = build({{"Odd", "11223344??D73A915C"}, {"Short", "D73A915C"}});
  const ScanResult r = scanBytes(*m, {0xD7, 0x3A, 0x91, 0x5C});
  EXPECT_EQ(r.status, ScanStatus::Infected);
  EXPECT_EQ(m->name(r.slot), "Short");
  EXPECT_EQ(r.counts.atomHits, 2u);
  EXPECT_EQ(r.counts.windowPasses, 1u);
}

}  // namespace
}  // namespace qrx::engine
