// Selection patterns, the rewriting of stored names into paths below the target folder, and
// the encodings member names come in.
#include <gtest/gtest.h>

#include "BriskUnzip.h"
#include "MemberNames.h"
#include "ZipReader.h"
#include "testkit.h"

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

namespace {

using UnzipTestKit::TBytes;

// A Unicode path field: version 1, the CRC-32 of the stored name, the name in UTF-8.
TBytes UnicodePathField(const std::string& storedName, const std::string& utf8Name, uint8_t version = 1) {
  const uint32_t crc = UnzipTestKit::Crc32Of(TBytes(storedName.begin(), storedName.end()));
  const size_t size = 5 + utf8Name.size();
  TBytes field;
  for (const uint8_t byte : {uint8_t(0x75), uint8_t(0x70), uint8_t(size), uint8_t(size >> 8), version}) field.push_back(byte);
  for (int shift = 0; shift < 32; shift += 8) field.push_back(uint8_t(crc >> shift));
  field.insert(field.end(), utf8Name.begin(), utf8Name.end());
  return field;
}

constexpr uint16_t kUtf8Flag = 0x800;

TEST(MemberNameEncoding, NamesComeOutInUtf8WhateverTheArchiverWrote) {
  struct TRow {
    const char* Case;
    std::string Stored;
    uint16_t Flags;
    TBytes Extra;
    std::string Name;
  } rows[] = {
      {"utf-8 flag, cyrillic", "вирус.com", kUtf8Flag, {}, "вирус.com"},
      {"utf-8 flag, cjk in a folder", "病毒/😀.com", kUtf8Flag, {}, "病毒\\😀.com"},
      // é is 0x82 in code pages 437 and 850 alike.
      {"ms-dos code page", "caf\x82.txt", 0, {}, "café.txt"},
      {"unicode path field", "?????.com", 0, UnicodePathField("?????.com", "вирус.com"), "вирус.com"},
      {"stale unicode path field", "renamed.com", 0, UnicodePathField("?????.com", "вирус.com"), "renamed.com"},
      {"unicode path field of another version", "x.com", 0, UnicodePathField("x.com", "вирус.com", 2), "x.com"},
      {"unicode path field that is no utf-8", "x.com", 0, UnicodePathField("x.com", "caf\xE9"), "x.com"},
  };
  for (const TRow& row : rows) {
    SCOPED_TRACE(row.Case);
    UnzipTestKit::TTempFolder temp;
    UnzipTestKit::TZipMember member = UnzipTestKit::MakeMember(row.Stored, {'p'});
    member.Flags = row.Flags;
    member.CentralExtra = row.Extra;
    const std::string archive = temp / "names.zip";
    ASSERT_TRUE(UnzipTestKit::WriteFile(archive, UnzipTestKit::BuildZip({member})));

    TZipReader reader;
    ASSERT_EQ(reader.Open(archive), UZ_OK);
    TZipMemberInfo info;
    ASSERT_TRUE(reader.Next(info));
    EXPECT_EQ(info.Name, row.Name);
  }
}

TEST(MemberNameEncoding, MembersNamedInAnyScriptAreExtractedUnderTheirNames) {
  UnzipTestKit::TTempFolder temp;
  std::vector<UnzipTestKit::TZipMember> members = {UnzipTestKit::MakeMember("вирус.com", {'a'}),
                                                   UnzipTestKit::MakeMember("病毒/😀.com", {'b'})};
  for (auto& member : members) member.Flags = kUtf8Flag;
  const std::string archive = temp / "names.zip";
  ASSERT_TRUE(UnzipTestKit::WriteFile(archive, UnzipTestKit::BuildZip(members)));
  const std::string target = temp / "out";

  TBriskUnzip unzip(nullptr);
  unzip.SetZipFileName(archive.c_str());
  unzip.SetTargetDirectory(target.c_str());
  EXPECT_EQ(unzip.ExtractFiles(), 2);

  EXPECT_EQ(UnzipTestKit::ReadFile(target + UnzipTestKit::kSeparator + "вирус.com"), TBytes{'a'});
  EXPECT_EQ(UnzipTestKit::ReadFile(target + UnzipTestKit::kSeparator + "病毒" + UnzipTestKit::kSeparator + "😀.com"),
            TBytes{'b'});
}

}  // namespace
