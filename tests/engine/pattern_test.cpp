#include "pattern.h"

#include <gtest/gtest.h>

#include <string>

namespace qrx::engine {
namespace {

// Renders parsed pieces as "value/mask" bytes with "|" between pieces, for compact expectations.
std::string render(const ParsedPattern& p) {
  std::string out;
  char buf[8];
  for (std::size_t i = 0; i < p.pieces.size(); ++i) {
    if (i > 0) out += "|";
    for (std::size_t k = 0; k < p.pieces[i].size(); ++k) {
      std::snprintf(buf, sizeof buf, "%s%02X/%02X", k ? " " : "", p.pieces[i].values[k], p.pieces[i].masks[k]);
      out += buf;
    }
  }
  return out;
}

struct Case {
  const char* text;
  PatternStatus status;
  const char* pieces;
};

class PatternCases : public ::testing::TestWithParam<Case> {};

TEST_P(PatternCases, ParsesUnits) {
  const Case& c = GetParam();
  const ParsedPattern parsed = parsePattern(c.text);
  EXPECT_EQ(parsed.status, c.status) << c.text;
  EXPECT_EQ(render(parsed), c.pieces) << c.text;
}

INSTANTIATE_TEST_SUITE_P(
    Units, PatternCases,
    ::testing::Values(
        Case{"4D5A", PatternStatus::Ok, "4D/FF 5A/FF"},
        Case{"4d5a", PatternStatus::Ok, "4D/FF 5A/FF"},                     // either case
        Case{"4D5A??90", PatternStatus::Ok, "4D/FF 5A/FF 00/00 90/FF"},
        Case{"4D5A4?", PatternStatus::Ok, "4D/FF 5A/FF 40/F0"},           // high nibble given
        Case{"4D5A?c", PatternStatus::Ok, "4D/FF 5A/FF 0C/0F"},           // low nibble given
        Case{"4D5A3", PatternStatus::Ok, "4D/FF 5A/FF"},                  // odd last character ignored
        Case{"4D 5A", PatternStatus::NoAnchor, "4D/FF"},                  // units are pairs: " 5" is a separator, "A" is odd
        Case{"4D  5A", PatternStatus::Ok, "4D/FF 5A/FF"},                 // "  " separator
        Case{"4D? 5A", PatternStatus::Ok, "4D/FF 5A/FF"},                 // "? " holds a space: separator
        Case{"4D5A::9090", PatternStatus::Ok, "4D/FF 5A/FF|90/FF 90/FF"}, // gap
        Case{"4D5A:x9090", PatternStatus::Ok, "4D/FF 5A/FF|90/FF 90/FF"}, // any unit with ':' is a gap
        Case{"::4D5A::::", PatternStatus::Ok, "4D/FF 5A/FF"},             // gaps at the ends add nothing
        Case{"4D5A::??", PatternStatus::Ok, "4D/FF 5A/FF|00/00"},         // a weak piece is kept
        Case{"4D::5A", PatternStatus::NoAnchor, "4D/FF|5A/FF"},           // no piece with two exact bytes
        Case{"4D??5A", PatternStatus::Ok, "4D/FF 00/00 5A/FF"},           // two exact bytes, not adjacent
        Case{"????4?", PatternStatus::NoAnchor, "00/00 00/00 40/F0"},
        Case{"", PatternStatus::Empty, ""},
        Case{"7", PatternStatus::Empty, ""},
        Case{"    ::", PatternStatus::Empty, ""},
        Case{"4D5G", PatternStatus::BadUnit, ""},
        Case{"4D5A?G", PatternStatus::BadUnit, ""},                       // '?' with a non-digit means nothing
        Case{"4D5AZZ", PatternStatus::BadUnit, ""}));

TEST(Pattern, LongestTextGivesOnePieceOf127Bytes) {
  const ParsedPattern parsed = parsePattern(std::string(254, 'A'));
  ASSERT_EQ(parsed.status, PatternStatus::Ok);
  ASSERT_EQ(parsed.pieces.size(), 1u);
  EXPECT_EQ(parsed.pieces[0].size(), kMaxPieceLength);
  EXPECT_EQ(parsePattern(std::string(255, 'A')).status, PatternStatus::TooLong);
}

}  // namespace
}  // namespace qrx::engine
