// The registry phase's comparison: upper case, the 40-character cut, one threat per matching
// entry in slot order, the stop, and the index against a slot-by-slot reference.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "qrx_spyware_compare.h"

namespace {

TBhoEntry Entry(char kind, std::string_view clsid, std::string_view name) {
  TBhoEntry entry{};
  entry.Kind = kind;
  entry.Spare = 7;
  entry.Clsid.Assign(clsid);
  entry.Info.Assign("info");
  entry.DisplayName.Assign(name);
  return entry;
}

// What the comparison reported, in order: "key:<name>" and "match:<name> <identifier>", with
// the matched records whole.
class TRecordedPhase : public TRegistryPhaseEvents {
 public:
  bool StopRequested() const override { return Stopped; }
  void KeyReached(const std::string& keyName) override {
    Events.push_back("key:" + keyName);
    if (StopAtKey == keyName) Stopped = true;
  }
  void EntryMatched(const TBhoEntry& entry) override {
    Events.push_back("match:" + entry.DisplayName.Str() + " " + entry.Clsid.Str());
    Matched.push_back(entry);
    if (static_cast<int>(Matched.size()) == StopAfterMatches) Stopped = true;
  }

  std::vector<std::string> Events;
  std::vector<TBhoEntry> Matched;
  std::string StopAtKey;
  int StopAfterMatches = -1;
  bool Stopped = false;
};

// The comparison as it reads: every key against every slot, the entry's copy upper-cased and
// cut to 40 characters each time.
void CompareSlotBySlot(const std::vector<std::string>& names, const std::vector<TBhoEntry>& table,
                       TRegistryPhaseEvents& events) {
  for (const std::string& name : names) {
    if (events.StopRequested()) return;
    std::string keyName = name;
    for (char& c : keyName)
      if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
    events.KeyReached(keyName);
    for (const TBhoEntry& slot : table) {
      if (events.StopRequested()) return;
      TBhoEntry copy = slot;
      copy.Clsid.Length = static_cast<std::uint8_t>(std::min<int>(copy.Clsid.Length, 40));
      for (int i = 0; i < copy.Clsid.Length; ++i)
        if (copy.Clsid.Text[i] >= 'a' && copy.Clsid.Text[i] <= 'z') copy.Clsid.Text[i] = static_cast<char>(copy.Clsid.Text[i] - 32);
      std::memset(copy.Clsid.Text + copy.Clsid.Length, 0, 40 - copy.Clsid.Length);
      if (std::string(copy.Clsid.Text, copy.Clsid.Length) == keyName) events.EntryMatched(copy);
    }
  }
}

std::vector<std::string> Compare(const std::vector<std::string>& names, const std::vector<TBhoEntry>& table,
                             TRecordedPhase& phase) {
  const TBhoIndex index(table.data(), static_cast<std::int32_t>(table.size()));
  CompareClassKeys(names, index, phase);
  return phase.Events;
}

TEST(SpywareCompareTest, UpperCaseChangesOnlyAsciiLetters) {
  EXPECT_EQ("{ABCXYZ-0129-@[`{}-\xE9\xC9\xFF}", UpperClassId("{abcxyz-0129-@[`{}-\xE9\xC9\xFF}"));
}

TEST(SpywareCompareTest, KeysMatchWhateverTheirCase) {
  const std::vector<TBhoEntry> table = {Entry('T', "{0A0B0C-DEF}", "Toolbar"), Entry('S', "{1a2b3c-def}", "Spy"),
                                        Entry('S', "{é-ACCENT}", "Accented")};
  struct Case {
    std::string Key;
    std::string MatchedName;  // empty: no match
  } cases[] = {
      {"{0a0b0c-def}", "Toolbar"}, {"{0A0b0C-Def}", "Toolbar"}, {"{1A2B3C-DEF}", "Spy"},
      {"{1a2B3c-dEf}", "Spy"},     {"{é-accent}", "Accented"},  {"{É-ACCENT}", ""},  // é is not an ASCII letter
      {"{0A0B0C-DEF}x", ""},       {"{0A0B0C-DE}", ""},         {"", ""},
  };
  for (const Case& c : cases) {
    TRecordedPhase phase;
    Compare({c.Key}, table, phase);
    ASSERT_EQ(c.MatchedName.empty() ? 0u : 1u, phase.Matched.size()) << c.Key;
    EXPECT_EQ("key:" + UpperClassId(c.Key), phase.Events[0]) << c.Key;
    if (!c.MatchedName.empty()) {
      EXPECT_EQ(c.MatchedName, phase.Matched[0].DisplayName.Str()) << c.Key;
    }
  }
}

TEST(SpywareCompareTest, MatchIsTheWholeEntryWithItsIdentifierUpperCased) {
  const std::vector<TBhoEntry> table = {Entry('T', "{abc-def}", "Toolbar")};
  TRecordedPhase phase;
  Compare({"{ABC-DEF}"}, table, phase);
  ASSERT_EQ(1u, phase.Matched.size());
  const TBhoEntry& match = phase.Matched[0];
  EXPECT_EQ("{ABC-DEF}", match.Clsid.Str());
  EXPECT_EQ('T', match.Kind);
  EXPECT_EQ(7, match.Spare);
  EXPECT_EQ("info", match.Info.Str());
  EXPECT_EQ("Toolbar", match.DisplayName.Str());
  EXPECT_EQ("{abc-def}", table[0].Clsid.Str()) << "the table itself is left as it is";
}

TEST(SpywareCompareTest, IdentifiersAreCutToFortyCharactersAndLongerKeysNeverMatch) {
  const std::string forty(40, 'A');
  TBhoEntry overlong = Entry('S', forty, "Overlong");
  overlong.Clsid.Length = 200;  // a damaged length byte counts as the capacity
  const std::vector<TBhoEntry> table = {overlong, Entry('S', std::string(39, 'b'), "ThirtyNine")};
  TRecordedPhase phase;
  Compare({forty + "A", std::string(40, 'a'), std::string(39, 'B')}, table, phase);
  ASSERT_EQ(2u, phase.Matched.size());
  EXPECT_EQ("Overlong", phase.Matched[0].DisplayName.Str());
  EXPECT_EQ(40, phase.Matched[0].Clsid.Length);
  EXPECT_EQ("ThirtyNine", phase.Matched[1].DisplayName.Str());
  EXPECT_EQ(5u, phase.Events.size());
}

TEST(SpywareCompareTest, AnIdentifierListedTwiceGivesTwoThreatsInSlotOrder) {
  const std::vector<TBhoEntry> table = {Entry('S', "{dup}", "First"), Entry('T', "{other}", "Other"),
                                        Entry('T', "{DUP}", "Second"), Entry('S', "{Dup}", "Third")};
  TRecordedPhase phase;
  Compare({"{other}", "{dUP}"}, table, phase);
  std::vector<std::string> names;
  for (const TBhoEntry& match : phase.Matched) names.push_back(match.DisplayName.Str());
  EXPECT_EQ((std::vector<std::string>{"Other", "First", "Second", "Third"}), names);
  EXPECT_EQ("key:{DUP}", phase.Events[2]);
}

TEST(SpywareCompareTest, AnEmptyDatabaseStillShowsEveryKey) {
  TRecordedPhase phase;
  EXPECT_EQ((std::vector<std::string>{"key:{A}", "key:{B}", "key:{C}"}), Compare({"{a}", "{b}", "{C}"}, {}, phase));
}

TEST(SpywareCompareTest, StopEndsThePhaseBeforeTheNextKeyOrEntry) {
  const std::vector<TBhoEntry> table = {Entry('S', "{b}", "B1"), Entry('S', "{c}", "C"), Entry('S', "{b}", "B2")};
  {
    // A stop during the key's status: none of its entries is reported.
    TRecordedPhase phase;
    phase.StopAtKey = "{B}";
    EXPECT_EQ((std::vector<std::string>{"key:{A}", "key:{B}"}), Compare({"{a}", "{b}", "{c}"}, table, phase));
  }
  {
    // A stop during the first threat: the second entry of the same key is not reported.
    TRecordedPhase phase;
    phase.StopAfterMatches = 1;
    Compare({"{a}", "{b}", "{c}"}, table, phase);
    ASSERT_EQ(1u, phase.Matched.size());
    EXPECT_EQ("B1", phase.Matched[0].DisplayName.Str());
    EXPECT_EQ(3u, phase.Events.size());
  }
}

// Random tables with many duplicates, mixed case, odd bytes and damaged lengths, random keys
// drawn from them: the index reports exactly what the slot-by-slot comparison reports.
TEST(SpywareCompareTest, IndexAgreesWithTheSlotBySlotComparison) {
  std::mt19937 random(20261210);
  const std::string alphabet = "abcABC{}-0\xE9\xC9";
  auto randomText = [&](int maxLength) {
    std::string text(std::uniform_int_distribution<int>(0, maxLength)(random), ' ');
    for (char& c : text) c = alphabet[std::uniform_int_distribution<std::size_t>(0, alphabet.size() - 1)(random)];
    return text;
  };
  for (int round = 0; round < 200; ++round) {
    std::vector<TBhoEntry> table;
    const int entries = std::uniform_int_distribution<int>(0, 60)(random);
    for (int k = 0; k < entries; ++k) {
      TBhoEntry entry = Entry(k % 3 ? 'S' : 'T', randomText(4), "Entry " + std::to_string(k));
      if (k % 7 == 0) entry.Clsid.Assign(std::string(40, 'a'));
      if (k % 11 == 0) entry.Clsid.Length = 41;
      table.push_back(entry);
    }
    std::vector<std::string> names;
    for (int n = 0; n < 30; ++n) {
      std::string name = randomText(4);
      if (!table.empty() && n % 2) name = UpperClassId(table[random() % table.size()].Clsid.View());
      if (n % 9 == 0) name = std::string(40 + n % 2, 'A');
      names.push_back(name);
    }
    TRecordedPhase indexed, reference;
    indexed.StopAfterMatches = reference.StopAfterMatches = round % 4 == 0 ? round % 13 : -1;
    Compare(names, table, indexed);
    CompareSlotBySlot(names, table, reference);
    ASSERT_EQ(reference.Events, indexed.Events) << "round " << round;
    for (std::size_t m = 0; m < reference.Matched.size(); ++m)
      ASSERT_EQ(0, std::memcmp(&reference.Matched[m], &indexed.Matched[m], sizeof(TBhoEntry))) << "round " << round;
  }
}

}  // namespace
