// Selection patterns and the rewriting of stored names into paths below the target folder.
#include <gtest/gtest.h>

#include "MemberNames.h"

namespace {

TEST(Selection, PatternsMatchWholeNamesIgnoringAsciiCase) {
  static const std::string kLongName(200, 'a');
  struct TRow {
    const char* Pattern;
    const char* Name;
    bool Selected;
  } rows[] = {
      {"*.*", "README", true},        {"", "anything", true},          {"*.TXT", "a.txt", true},
      {"*.TXT", "docs\\b.txt", true},  {"*.TXT", "docs\\", false},      {"*.EXE", "TOOLS\\SETUP.EXE", true},
      {"?.txt", "a.txt", true},        {"?.txt", "ab.txt", false},      {"a*", "a", true},
      {"a*b", "aXXbXXb", true},        {"a*b", "aXXbXXc", false},       {"*a*a*a*a*a*a*a*b", kLongName.c_str(), false},
      {"abc", "ABC", true},            {"abc", "abcd", false},          {"*.*", "", true},
      {"\xE9*", "\xC9t\xE9", false},   {"doc?", "docs", true},          {"**", "x", true},
  };
  for (const TRow& row : rows) EXPECT_EQ(MatchesSelection(row.Pattern, row.Name), row.Selected) << row.Pattern << " ~ " << row.Name;
}

TEST(SafeMemberPath, NamesAreRewrittenToStayInside) {
  struct TRow {
    const char* Stored;
    bool Flat;
    const char* Path;
  } rows[] = {
      {"a.txt", false, "a.txt"},
      {"docs\\b.txt", false, "docs\\b.txt"},
      {"docs\\", false, "docs\\"},
      {"docs\\", true, ""},
      {"docs\\b.txt", true, "b.txt"},
      {"..\\..\\x.txt", false, "x.txt"},
      {"a\\..\\..\\b", false, "a\\b"},
      {"C:\\win\\x.dll", false, "win\\x.dll"},
      {"\\\\server\\share\\x", false, "server\\share\\x"},
      {"x\\. .\\y", false, "x\\y"},
      {"...\\y", false, "y"},
      {"name. ", false, "name"},
      {"..", false, "_"},
      {"..\\", false, ""},
      {"a:b.txt", false, "a_b.txt"},
      {"dir\\a:b.txt", true, "b.txt"},
      {"q?*<>|\".txt", false, "q______.txt"},
      {"con", false, "_con"},
      {"x\\LPT1.log", false, "x\\_LPT1.log"},
      {"console", false, "console"},
      {"tab\there", false, "tab_here"},
  };
  for (const TRow& row : rows) EXPECT_EQ(SafeMemberPath(row.Stored, row.Flat), row.Path) << row.Stored;
}

}  // namespace
