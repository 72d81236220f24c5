// The browser helper object and toolbar database as the program reads it with ReadBhoFile.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "data_test_files.h"
#include "tn_bho_file.h"

namespace {

const TBhoEntry& Slot(int slot) { return BhoTable()[slot - 1]; }

class BhoFileTest : public ::testing::Test {
 protected:
  std::string Write(const std::string& bytes) const { return Dir.Write("qrx_bhotb.dat", bytes); }
  TTempDir Dir;
};

struct TReadCase {
  const char* Label;
  std::string Bytes;
  std::int32_t Result;
  std::int32_t Count;
};

TEST_F(BhoFileTest, FileLayoutsGiveTheirCodeAndEntries) {
  const std::string header = BhoRecord('H', "", "", "");
  const std::string two = header + BhoRecord('T', NumberedClsid(1), "i", "One") + BhoRecord('S', NumberedClsid(2), "", "Two");
  const TReadCase cases[] = {
      {"empty file: no header", "", BhoCannotOpen, 0},
      {"shorter than the header", header.substr(0, 554), BhoCannotOpen, 0},
      {"header only", header, BhoReadOk, 0},
      {"two entries", two, BhoReadOk, 2},
      {"trailing bytes ignored", two + std::string(554, 'x'), BhoReadOk, 2},
      {"last record one byte short", two.substr(0, two.size() - 1), BhoReadOk, 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Label);
    EXPECT_EQ(ReadBhoFile(Write(c.Bytes)), c.Result);
    EXPECT_EQ(BhoCount(), c.Count);
  }
}

TEST_F(BhoFileTest, MissingOrUnreadableFileIsCannotOpen) {
  ASSERT_EQ(ReadBhoFile(Write(NumberedBhoFile(3))), BhoReadOk);
  EXPECT_EQ(ReadBhoFile(Dir / "missing.dat"), BhoCannotOpen);
  EXPECT_EQ(BhoCount(), 0);
  EXPECT_EQ(ReadBhoFile(Dir / ""), BhoCannotOpen) << "a folder is not a readable database";
}

TEST_F(BhoFileTest, EntriesAreDecodedAndKeptWhole) {
  const std::string clsid = "{51525854-6573-7400-0000-00000000007B}";
  ASSERT_EQ(ReadBhoFile(Write(BhoRecord('H', "", "", "") + BhoRecord('T', clsid, "Info text", "Toolbar \xE9", -1, 0x7E) +
                              BhoRecord('t', NumberedClsid(2), "", "lower-case t"))),
            BhoReadOk);
  ASSERT_EQ(BhoCount(), 2);
  EXPECT_EQ(Slot(1).Clsid.Str(), clsid);
  EXPECT_EQ(Slot(1).Info.Str(), "Info text");
  EXPECT_EQ(Slot(1).DisplayName.Str(), "Toolbar \xE9");
  EXPECT_EQ(BhoDisplayName(Slot(1)), "Toolbar é") << "shown in UTF-8";
  EXPECT_EQ(Slot(1).Spare, 0x7E);
  EXPECT_TRUE(IsToolbar(Slot(1)));
  EXPECT_FALSE(IsToolbar(Slot(2))) << "only an upper-case T is a toolbar";
  EXPECT_EQ(Slot(2).Kind, 't');
}

TEST_F(BhoFileTest, ClsidLengthOver40IsCut) {
  const std::string long50(50, 'C');
  ASSERT_EQ(ReadBhoFile(Write(BhoRecord('H', "", "", "") + BhoRecord('S', long50, "i", "d", 50) +
                              BhoRecord('S', long50, "i", "d", 255))),
            BhoReadOk);
  EXPECT_EQ(Slot(1).Clsid.Str(), std::string(40, 'C'));
  EXPECT_EQ(Slot(2).Clsid.Length, 40);
  EXPECT_EQ(Slot(1).Info.Str(), "i") << "the neighbouring field is untouched";
}

TEST_F(BhoFileTest, HeaderContentHasNoEffect) {
  const std::string entry = BhoRecord('T', NumberedClsid(1), "", "One");
  for (const std::string& header : {std::string(555, '\0'), std::string(555, '\xFF'), BhoRecord('T', "x", "y", "z", 255)}) {
    ASSERT_EQ(ReadBhoFile(Write(header + entry)), BhoReadOk);
    ASSERT_EQ(BhoCount(), 1);
    EXPECT_EQ(Slot(1).DisplayName.Str(), "One");
  }
}

TEST_F(BhoFileTest, TableHolds40000EntriesAndRefusesMore) {
  ASSERT_EQ(ReadBhoFile(Write(NumberedBhoFile(40000))), BhoReadOk);
  EXPECT_EQ(BhoCount(), 40000);
  EXPECT_EQ(Slot(40000).Clsid.Str(), NumberedClsid(40000));

  EXPECT_EQ(ReadBhoFile(Write(NumberedBhoFile(40001))), BhoTooMany);
  EXPECT_EQ(BhoCount(), 40000) << "slots 1 to 40000 stay filled";
  EXPECT_EQ(Slot(40000).DisplayName.Str(), "Entry 40000");
}

// A stored code below the shift wraps around: c decodes to c + 256 - BhoShift.
TEST(BhoCodecTest, DecodingSubtractsTheShiftModulo256AndEncodingUndoesIt) {
  for (int code = 0; code < 256; ++code) {
    char text = static_cast<char>(code);
    DecodeBhoText(&text, 1);
    EXPECT_EQ(static_cast<std::uint8_t>(text), (code - BhoShift + 256) % 256) << code;
    EncodeBhoText(&text, 1);
    EXPECT_EQ(static_cast<std::uint8_t>(text), code);
  }
  char low = 0x01;
  DecodeBhoText(&low, 1);
  EXPECT_EQ(static_cast<std::uint8_t>(low), 0x01 + 256 - BhoShift);
}

}  // namespace
