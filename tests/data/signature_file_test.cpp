// The signature files as the program loads them: QRX_SIG.DAT with LoadSignatureFile, then
// QRX_SIG2.DAT with AppendSignatureFile, into one table of 38000 slots.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "data_test_files.h"
#include "tns_signature_file.h"

namespace {

std::string SlotName(int slot) { return SignatureTable()[slot - 1].Name.Str(); }
std::string SlotPattern(int slot) { return SignatureTable()[slot - 1].Pattern.Str(); }

class SignatureFileTest : public ::testing::Test {
 protected:
  TTempDir Dir;
};

// Files that load without an error: how many signatures each yields.
struct TLayoutCase {
  const char* Label;
  std::string Bytes;
  int Signatures;
};

TEST_F(SignatureFileTest, FileLayoutsGiveTheirWholeRecordsAfterTheHeader) {
  const std::string three = SignatureFile({{"A", "41"}, {"B", "42"}, {"C", "43"}});
  const TLayoutCase cases[] = {
      {"empty file", "", 0},
      {"shorter than a record", std::string(100, 'x'), 0},
      {"header only", SignatureRecord("header", ""), 0},
      {"three signatures", three, 3},
      {"trailing bytes ignored", three + std::string(320, '\x01'), 3},
      {"one byte short of the last record", three.substr(0, three.size() - 1), 2},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Label);
    ASSERT_TRUE(LoadSignatureFile(Dir.Write("QRX_SIG.DAT", c.Bytes)));
    EXPECT_NE(SignatureTable(), nullptr);
    EXPECT_EQ(SignatureCount(), c.Signatures);
    EXPECT_EQ(FilledSignatureSlots(), c.Signatures);
  }
}

TEST_F(SignatureFileTest, MissingOrUnreadableFileFailsAndReleasesTheTable) {
  ASSERT_TRUE(LoadSignatureFile(Dir.Write("good.DAT", SignatureFile({{"A", "41"}}))));
  for (const std::string& path : {Dir / "missing.DAT", Dir / ""}) {  // the folder itself cannot be read as a file
    SCOPED_TRACE(path);
    EXPECT_FALSE(LoadSignatureFile(path));
    EXPECT_EQ(SignatureTable(), nullptr);
    EXPECT_EQ(FilledSignatureSlots(), 0);
    EXPECT_FALSE(AppendSignatureFile(Dir.Write("QRX_SIG2.DAT", SignatureFile({{"B", "42"}}))))
        << "nothing to append to";
  }
}

// The program's folder may lie under a user name in any script: the files are opened by their
// UTF-8 paths.
TEST_F(SignatureFileTest, FilesNamedInAnyScriptLoad) {
  for (const char* name : {"подписи.DAT", "病毒 😈.DAT"}) {
    SCOPED_TRACE(name);
    ASSERT_TRUE(LoadSignatureFile(Dir.Write(name, SignatureFile({{"A", "41"}, {"B", "42"}}))));
    EXPECT_EQ(SignatureCount(), 2);
    EXPECT_TRUE(AppendSignatureFile(Dir.Write(std::string("2 ") + name, SignatureFile({{"C", "43"}}))));
    EXPECT_EQ(SignatureCount(), 3);
  }
}

TEST_F(SignatureFileTest, RecordsAreUnscrambledWithComputedPairCount) {
  ASSERT_TRUE(LoadSignatureFile(Dir.Write("QRX_SIG.DAT", SignatureFile({{"Virus.One", "4D5A??90"}, {"Odd", "4d5"}}))));
  ASSERT_EQ(SignatureCount(), 2);
  const TSignatureEntry& first = SignatureTable()[0];
  EXPECT_EQ(first.Name.Str(), "Virus.One");
  EXPECT_EQ(first.Pattern.Str(), "4D5A??90");
  EXPECT_EQ(first.PairCount, 4) << "byte 320 of the file is not trusted";
  EXPECT_EQ(SignatureTable()[1].Pattern.Str(), "4d5");
  EXPECT_EQ(SignatureTable()[1].PairCount, 1);
}

TEST_F(SignatureFileTest, LengthBytesOverCapacityAreCut) {
  const std::string name70(70, 'N');
  const std::string pattern254 = std::string(252, 'A') + "BC";
  ASSERT_TRUE(LoadSignatureFile(Dir.Write("QRX_SIG.DAT", SignatureRecord("h", "") +
                                                         SignatureRecord(name70, pattern254, 70, 255) +
                                                         SignatureRecord(name70, pattern254, 255, 254))));
  ASSERT_EQ(SignatureCount(), 2);
  for (int slot : {1, 2}) {
    EXPECT_EQ(SlotName(slot), std::string(64, 'N'));
    EXPECT_EQ(SlotPattern(slot), pattern254);
    EXPECT_EQ(SignatureTable()[slot - 1].PairCount, 127);
  }
}

TEST_F(SignatureFileTest, HeaderContentHasNoEffect) {
  const std::string body = SignatureRecord("A", "41");
  for (const std::string& header : {SignatureRecord("", ""), SignatureRecord("junk", "ZZZZ", 255, 255),
                                    std::string(321, '\xFF'), std::string(321, '\0')}) {
    ASSERT_TRUE(LoadSignatureFile(Dir.Write("QRX_SIG.DAT", header + body)));
    EXPECT_EQ(SignatureCount(), 1);
    EXPECT_EQ(SlotName(1), "A");
  }
}

// Which units are checked: one wildcard character ("?", space, ":") is enough to skip a unit.
TEST_F(SignatureFileTest, UnitsAreCheckedUnlessTheyHoldAWildcardCharacter) {
  const char* accepted[] = {"00FFaf9B", "G?", "?G", " 1", "Z ", ":x", "x:", "??  ::", "4D5A?", "4DZ", "A", ""};
  for (const char* pattern : accepted) {
    SCOPED_TRACE(pattern);
    ASSERT_NO_THROW(LoadSignatureFile(Dir.Write("QRX_SIG.DAT", SignatureFile({{"S", pattern}}))));
    EXPECT_EQ(SlotPattern(1), pattern);
  }
}

struct TBadUnitCase {
  const char* Pattern;
  const char* Message;
};

TEST_F(SignatureFileTest, BadUnitRaisesTheConversionErrorAndEndsTheLoading) {
  const TBadUnitCase cases[] = {
      {"4D5G", "'$5G' n'est pas une valeur entière correcte"},
      {"GG41", "'$GG' n'est pas une valeur entière correcte"},
      {"41-1", "'$-1' n'est pas une valeur entière correcte"},
      {"0x41", "'$0x' n'est pas une valeur entière correcte"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Pattern);
    const std::string path = Dir.Write("QRX_SIG.DAT", SignatureFile({{"Good", "41"}, {"Bad", c.Pattern}, {"Late", "42"}}));
    try {
      LoadSignatureFile(path);
      FAIL() << "no conversion error";
    } catch (const ConversionError& error) {
      EXPECT_STREQ(error.what(), c.Message);
    }
    EXPECT_EQ(SignatureCount(), 2) << "counted up to the bad record, nothing after it";
    EXPECT_EQ(SlotName(1), "Good");
  }
}

TEST_F(SignatureFileTest, SecondFileIsAppendedAfterTheFirst) {
  ASSERT_TRUE(LoadSignatureFile(Dir.Write("QRX_SIG.DAT", SignatureFile({{"A", "41"}, {"B", "42"}}))));
  ASSERT_TRUE(AppendSignatureFile(Dir.Write("QRX_SIG2.DAT", SignatureFile({{"C", "43"}}))));
  EXPECT_EQ(SignatureCount(), 3);
  EXPECT_EQ(SlotName(1) + SlotName(2) + SlotName(3), "ABC");

  EXPECT_FALSE(AppendSignatureFile(Dir / "missing.DAT"));
  EXPECT_EQ(SignatureCount(), 3) << "a missing second file changes nothing";
  EXPECT_NE(SignatureTable(), nullptr);
}

TEST_F(SignatureFileTest, BadUnitInTheSecondFileKeepsWhatCameBefore) {
  ASSERT_TRUE(LoadSignatureFile(Dir.Write("QRX_SIG.DAT", SignatureFile({{"A", "41"}}))));
  EXPECT_THROW(AppendSignatureFile(Dir.Write("QRX_SIG2.DAT", SignatureFile({{"B", "42"}, {"C", "4X"}}))), ConversionError);
  EXPECT_EQ(SlotName(1) + SlotName(2), "AB");
  EXPECT_EQ(FilledSignatureSlots(), 2);
}

// 38000 slots, of which the last is never written: 37999 signatures at most.
TEST_F(SignatureFileTest, TableHoldsAtMost37999SignaturesAcrossBothFiles) {
  const std::string first = Dir.Write("QRX_SIG.DAT", NumberedSignatureFile(20000, "F"));
  ASSERT_TRUE(LoadSignatureFile(first));
  ASSERT_TRUE(AppendSignatureFile(Dir.Write("QRX_SIG2.DAT", NumberedSignatureFile(17999, "S", 20001))));
  EXPECT_EQ(SignatureCount(), 37999);
  EXPECT_EQ(FilledSignatureSlots(), 37999);
  EXPECT_EQ(SlotName(37999), "S37999");

  ASSERT_TRUE(LoadSignatureFile(first));
  ASSERT_TRUE(AppendSignatureFile(Dir.Write("QRX_SIG2.DAT", NumberedSignatureFile(18002, "S", 20001))));
  EXPECT_EQ(SignatureCount(), 38002) << "surplus records are still read and counted";
  EXPECT_EQ(FilledSignatureSlots(), 37999) << "but never stored: the engine is told only the filled slots";
  EXPECT_EQ(SlotName(37999), "S37999");
  EXPECT_EQ(SlotPattern(37999), "0000946F");
}

TEST_F(SignatureFileTest, SurplusRecordsAreStillChecked) {
  std::string file = NumberedSignatureFile(38000, "F");
  file += SignatureRecord("Bad", "4X");
  EXPECT_THROW(LoadSignatureFile(Dir.Write("QRX_SIG.DAT", file)), ConversionError);
  EXPECT_EQ(SignatureCount(), 38001);
}

TEST(SignatureCodecTest, ScramblingIsUndoneByItsInverse) {
  TSignatureEntry entry = MakeSignatureEntry("Name \xE9", "4D5A");
  const TSignatureEntry plain = entry;
  ScrambleSignatureRecord(entry);
  EXPECT_EQ(static_cast<std::uint8_t>(entry.Name.Text[0]), 'N' ^ SignatureKey);
  EXPECT_EQ(entry.PairCount, 2) << "stored plain";
  UnscrambleSignatureRecord(entry);
  EXPECT_EQ(std::memcmp(&entry, &plain, sizeof entry), 0);
}

TEST(SignatureCodecTest, CheckHexPairAcceptsExactlyTwoHexDigits) {
  for (const char* unit : {"00", "09", "af", "AF", "fA", "7e"}) EXPECT_NO_THROW(CheckHexPair(unit)) << unit;
  for (const char* unit : {"0g", "G0", "-1", "+1", "$1", " 1", "1 ", "x1", "", "1", "123"}) {
    EXPECT_THROW(CheckHexPair(unit), ConversionError) << '"' << unit << '"';
  }
}

}  // namespace
