// The program's one encoding and the ones it meets: UTF-16 at the system, Windows-1252 in the
// data files, the MS-DOS code pages in ZIP member names.
#include <gtest/gtest.h>

#include <string>

#include "Text.h"
#ifdef _WIN32
#include "WideText.h"
#endif

namespace {

using namespace QrxPlatform;

TEST(Utf16Test, RoundTripsEveryScriptAndUnpairedSurrogates) {
  const struct {
    const char* Name;
    std::string Utf8;
    std::u16string Utf16;
  } cases[] = {
      {"ascii", "virus.com", u"virus.com"},
      {"french", "données é", u"données é"},
      {"cyrillic", "вирус.com", u"вирус.com"},
      {"cjk", "病毒.com", u"病毒.com"},
      {"emoji, a surrogate pair", "😀.com", u"\xD83D\xDE00.com"},
      // Windows takes names with a lone surrogate: it must come back from a listing intact.
      {"lone high surrogate", "a\xED\xA0\x80z", std::u16string(u"a") + char16_t(0xD800) + u"z"},
      {"lone low surrogate at the end", "a\xED\xBF\xBF", std::u16string(u"a") + char16_t(0xDFFF)},
      {"empty", "", u""},
  };
  for (const auto& test : cases) {
    SCOPED_TRACE(test.Name);
    EXPECT_EQ(Utf16FromUtf8(test.Utf8), test.Utf16);
    EXPECT_EQ(Utf8FromUtf16(test.Utf16), test.Utf8);
  }
}

TEST(Utf16Test, TakesEachByteOfNoValidSequenceAsOneReplacementCharacter) {
  const struct {
    const char* Name;
    std::string Utf8;
    std::u16string Utf16;
  } cases[] = {
      {"stray continuation byte", "a\x80z", u"a\xFFFDz"},
      {"Windows-1252 e acute", "caf\xE9", u"caf\xFFFD"},
      {"cut sequence at the end", "a\xE2\x82", u"a\xFFFD\xFFFD"},
      {"overlong slash", "\xC0\xAF", u"\xFFFD\xFFFD"},
      {"overlong three bytes", "\xE0\x80\xAF", u"\xFFFD\xFFFD\xFFFD"},
      {"past U+10FFFF", "\xF4\x90\x80\x80", u"\xFFFD\xFFFD\xFFFD\xFFFD"},
      {"lead byte F5", "\xF5z", u"\xFFFDz"},
  };
  for (const auto& test : cases) {
    SCOPED_TRACE(test.Name);
    EXPECT_EQ(Utf16FromUtf8(test.Utf8), test.Utf16);
  }
}

TEST(CodePageTest, ConvertsTheUpperHalvesByTheirTables) {
  const struct {
    const char* Name;
    std::string (*Convert)(std::string_view);
    std::string Bytes;
    std::string Utf8;
  } cases[] = {
      {"1252 ascii", Utf8FromWindows1252, "Virus EICAR", "Virus EICAR"},
      {"1252 latin-1 half", Utf8FromWindows1252, "\xC7\x61 \xE9t\xE9 \xFF", "Ça été ÿ"},
      {"1252 euro and quotes", Utf8FromWindows1252, "\x80 \x93q\x94 \x9C", "€ “q” œ"},
      {"1252 undefined bytes", Utf8FromWindows1252, "\x81\x8D\x8F\x90\x9D", "\u0081\u008D\u008F\u0090\u009D"},
      {"437 accents", Utf8FromCp437, "\x82t\x82 \x87", "été ç"},
      {"437 box and greek", Utf8FromCp437, "\xC9\xCD\xE1\xE3", "╔═ßπ"},
      {"437 last byte", Utf8FromCp437, "\xFF", "\u00A0"},
  };
  for (const auto& test : cases) {
    SCOPED_TRACE(test.Name);
    EXPECT_EQ(test.Convert(test.Bytes), test.Utf8);
  }
}

TEST(Utf8CheckTest, AcceptsOnlyWellFormedTextWithoutSurrogates) {
  const struct {
    std::string Text;
    bool Valid;
  } cases[] = {
      {"", true},          {"plain", true},           {"вирус 病毒 😀", true}, {"\xEF\xBF\xBD", true},
      {"caf\xE9", false},  {"\xED\xA0\x80", false},   {"\xC0\xAF", false},     {"a\xE2\x82", false},
  };
  for (const auto& test : cases) EXPECT_EQ(IsValidUtf8(test.Text), test.Valid) << test.Text;
}

TEST(Utf8PrefixTest, NeverCutsACharacterInTwo) {
  const std::string text = "aé病😀";  // 1 + 2 + 3 + 4 bytes
  const struct {
    std::size_t Limit;
    std::size_t Length;
  } cases[] = {{0, 0}, {1, 1}, {2, 1}, {3, 3}, {4, 3}, {5, 3}, {6, 6}, {9, 6}, {10, 10}, {50, 10}};
  for (const auto& test : cases) EXPECT_EQ(Utf8PrefixLength(text, test.Limit), test.Length) << test.Limit;
}

#ifdef _WIN32
TEST(SystemPathTest, GivesTheLongFormWithNamesKeptExactly) {
  const struct {
    std::string Path;
    std::wstring System;
  } cases[] = {
      {"C:\\dir\\вирус.com", L"\\\\?\\C:\\dir\\вирус.com"},
      {"C:/dir/sub/", L"\\\\?\\C:\\dir\\sub\\"},
      {"C:\\", L"\\\\?\\C:\\"},
      {"C:\\a\\.\\b\\..\\c", L"\\\\?\\C:\\a\\c"},
      {"C:\\a\\..\\..\\b", L"\\\\?\\C:\\b"},
      {"C:\\a\\\\b", L"\\\\?\\C:\\a\\b"},
      // Trailing dots and spaces are part of a listed name: the long form keeps them.
      {"C:\\dir\\name. ", L"\\\\?\\C:\\dir\\name. "},
      {"\\\\server\\share\\x\\..\\..\\y", L"\\\\?\\UNC\\server\\share\\y"},
      {"\\\\?\\C:\\kept\\..\\as is", L"\\\\?\\C:\\kept\\..\\as is"},
      {"\\\\.\\pipe\\name", L"\\\\.\\pipe\\name"},
  };
  for (const auto& test : cases) EXPECT_EQ(SystemPath(test.Path), test.System) << test.Path;
}

TEST(SystemPathTest, MakesARelativePathAbsolute) {
  const std::wstring path = SystemPath("relative\\вирус.com");
  ASSERT_EQ(path.rfind(L"\\\\?\\", 0), 0u);
  EXPECT_EQ(path.substr(path.size() - 19), L"\\relative\\вирус.com");
  EXPECT_NE(path.find(L":\\"), std::wstring::npos);
}
#endif

}  // namespace
