// qrxdata, called as the build and users call it: build, dump and check on real files.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "data_test_files.h"
#include "qrxdata.h"
#include "tn_bho_file.h"
#include "tns_signature_file.h"

namespace {

struct TRun {
  int Status;
  std::string Out;
  std::string Err;
};

TRun Tool(const std::vector<std::string>& args) {
  std::ostringstream out, err;
  const int status = QrxDataMain(args, out, err);
  return {status, out.str(), err.str()};
}

// The lines of a text that hold items: comments and blank lines left out.
std::vector<std::string> ItemLines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    const bool blank = line.find_first_not_of(' ') == std::string::npos;
    if (!blank && line[0] != '#') lines.push_back(line);
  }
  return lines;
}

class QrxDataTest : public ::testing::Test {
 protected:
  bool Exists(const std::string& name) const { return std::filesystem::exists(Dir / name); }
  TTempDir Dir;
};

const char SignatureSource[] =
    "# comment\r\n"
    "EICAR-Test-File\t58354F2150254041505B345C505A58353428505E2937434329377D2445494341522D5354414E44\r\n"
    "\n"
    "   \n"
    "Wild\t4D5A??90  ::5?\n"
    "Back\\\\slash \\x09tab \xE9" "\t4d5a\n"
    "\\x23 not a comment\t00FF\n"
    " spaced name \t0102";

const char BhoSource[] =
    "# kind, CLSID, info, display name[, spare]\n"
    "T\t{51525854-6573-7400-0000-00000000007B}\tQuorvex test toolbar\tQuorvex Test Toolbar\n"
    "S\t{51525854-6573-7400-0000-0000000000a5}\t\tSpy \xE9" "\t7F\n";

TEST_F(QrxDataTest, SignaturesRoundTripThroughBuildAndDump) {
  const std::string source = Dir.Write("QRX_SIG.txt", SignatureSource);
  const TRun build = Tool({"build-sigs", source, Dir / "QRX_SIG.DAT"});
  ASSERT_EQ(build.Status, 0) << build.Err;
  EXPECT_EQ(build.Err, "");

  const TRun dump = Tool({"dump", Dir / "QRX_SIG.DAT"});
  ASSERT_EQ(dump.Status, 0) << dump.Err;
  EXPECT_EQ(ItemLines(dump.Out), ItemLines(SignatureSource));

  const TRun again = Tool({"build-sigs", Dir.Write("again.txt", dump.Out), Dir / "again.DAT"});
  ASSERT_EQ(again.Status, 0) << again.Err;
  EXPECT_EQ(ReadFile(Dir / "again.DAT"), ReadFile(Dir / "QRX_SIG.DAT"));
}

TEST_F(QrxDataTest, BuiltSignaturesAreWhatTheProgramLoads) {
  ASSERT_EQ(Tool({"build-sigs", Dir.Write("QRX_SIG.txt", SignatureSource), Dir / "QRX_SIG.DAT"}).Status, 0);
  ASSERT_TRUE(LoadSignatureFile(Dir / "QRX_SIG.DAT"));
  ASSERT_EQ(SignatureCount(), 5);
  EXPECT_EQ(SignatureTable()[1].Name.Str(), "Wild");
  EXPECT_EQ(SignatureTable()[1].Pattern.Str(), "4D5A??90  ::5?");
  EXPECT_EQ(SignatureTable()[1].PairCount, 7);
  EXPECT_EQ(SignatureTable()[2].Name.Str(), "Back\\slash \ttab \xE9");
  EXPECT_EQ(SignatureTable()[3].Name.Str(), "# not a comment");
  EXPECT_EQ(SignatureTable()[4].Name.Str(), " spaced name ");
  EXPECT_EQ(ReadFile(Dir / "QRX_SIG.DAT").size(), 6u * 321u);
}

TEST_F(QrxDataTest, DatabaseRoundTripsAndIsWhatTheProgramReads) {
  const std::string source = Dir.Write("qrx_bhotb.txt", BhoSource);
  const TRun build = Tool({"build-bho", source, Dir / "qrx_bhotb.dat"});
  ASSERT_EQ(build.Status, 0) << build.Err;

  const TRun dump = Tool({"dump", Dir / "qrx_bhotb.dat"});
  ASSERT_EQ(dump.Status, 0) << dump.Err;
  EXPECT_EQ(ItemLines(dump.Out), ItemLines(BhoSource));

  ASSERT_EQ(ReadBhoFile(Dir / "qrx_bhotb.dat"), BhoReadOk);
  ASSERT_EQ(BhoCount(), 2);
  EXPECT_TRUE(IsToolbar(BhoTable()[0]));
  EXPECT_EQ(BhoTable()[0].Info.Str(), "Quorvex test toolbar");
  EXPECT_EQ(BhoTable()[1].Kind, 'S');
  EXPECT_EQ(BhoTable()[1].DisplayName.Str(), "Spy \xE9");
  EXPECT_EQ(BhoTable()[1].Spare, 0x7F);
}

// A bad source: every problem is named with its line, the exit status is 1 and nothing is written.
struct TSourceErrorCase {
  const char* Label;
  const char* Command;
  std::string Source;
  std::vector<std::string> Messages;
};

std::vector<TSourceErrorCase> SourceErrorCases() {
  const std::string clsid = "{51525854-6573-7400-0000-00000000007B}";
  std::string tooMany;
  for (int i = 1; i <= 38000; ++i) tooMany += "S" + std::to_string(i) + "\t" + std::to_string(10000000 + i) + "\n";
  std::string tooManyEntries;
  for (int i = 1; i <= 40001; ++i) tooManyEntries += "S\t" + NumberedClsid(i) + "\t\tname\n";
  return {
      {"missing tab", "build-sigs", "ok\t4142\nno tab here\n", {":2: expected a name, a tab and a pattern"}},
      {"extra field", "build-sigs", "a\t4142\t42\n", {":1: expected a name, a tab and a pattern"}},
      {"bad hex units", "build-sigs", "# c\nA\t4D5G\nB\t41GZ??x1\n",
       {":2: unit 2 '5G' is not two hexadecimal digits", ":3: unit 2 'GZ'", ":3: unit 4 'x1'"}},
      {"name over 64", "build-sigs", "ok\t4142\n" + std::string(65, 'n') + "\t4142\n",
       {":2: name of 65 characters is longer than 64"}},
      {"pattern over 254", "build-sigs", "p\t" + std::string(256, 'A') + "\n",
       {":1: pattern of 256 characters is longer than 254"}},
      {"empty name and pattern", "build-sigs", "\t\n", {":1: empty name", ":1: no byte to look for"}},
      {"odd pattern", "build-sigs", "o\t41424\n", {":1: pattern of odd length: its last character '4'"}},
      {"no bytes", "build-sigs", "w\t  ::\n", {":1: no byte to look for: the engine ignores the signature"}},
      {"no anchor", "build-sigs", "w\t4D::5A\nv\t??4?\n",
       {":1: no piece between gaps holds two exact bytes", ":2: no piece between gaps"}},
      {"meaningless units", "build-sigs", "m\t4D5AG?" "?-\n",
       {":1: unit 3 'G?' means nothing to the engine", ":1: unit 4 '?-' means nothing"}},
      {"duplicate pattern", "build-sigs", "a\t4d5a\nb\t4142\nc\t4D5A\n", {":3: same pattern as ", ":1"}},
      {"bad escape", "build-sigs", "a\\q\t4142\nb\\x4\t4243\n", {":1: bad escape '\\q'", ":2: bad escape"}},
      {"38000 signatures", "build-sigs", tooMany, {":38000: signature 38000 of 38000: the table holds 37999"}},
      {"field count", "build-bho", "T\t" + clsid + "\tinfo\n", {":1: expected kind, CLSID, info and display name"}},
      {"kinds", "build-bho", "t\t" + clsid + "\t\tx\nTS\t" + NumberedClsid(2) + "\t\ty\n",
       {":1: kind 't' is neither T (toolbar) nor S (spyware)", ":2: kind 'TS'"}},
      {"CLSID too long", "build-bho", "S\t" + clsid + "xxx\t\tname\n", {":1: CLSID of 41 characters is longer than 40"}},
      {"CLSID form", "build-bho", "S\t51525854-6573-7400-0000-00000000007B\t\tname\nS\t{5152585G-6573-7400-0000-00000000007B}\t\tn\n",
       {":1: CLSID '51525854-6573-7400-0000-00000000007B' is not of the form", ":2: CLSID '{5152585G"}},
      {"empty display name", "build-bho", "S\t" + clsid + "\tinfo\t\n", {":1: empty display name"}},
      {"duplicate CLSID", "build-bho", "S\t" + clsid + "\t\ta\nT\t" + "{51525854-6573-7400-0000-00000000007b}" + "\t\tb\n",
       {":2: same CLSID as ", ":1"}},
      {"bad spare", "build-bho", "S\t" + clsid + "\t\ta\t1G\n", {":1: spare byte '1G' is not two hexadecimal digits"}},
      {"40001 entries", "build-bho", tooManyEntries, {":40001: entry 40001 of 40001: the table holds 40000"}},
  };
}

TEST_F(QrxDataTest, SourceErrorsAreNamedByLineAndNothingIsWritten) {
  for (const auto& c : SourceErrorCases()) {
    SCOPED_TRACE(c.Label);
    const std::string source = Dir.Write("source.txt", c.Source);
    const std::string output = Dir / "out.dat";
    WriteFile(output, "older file");
    const TRun build = Tool({c.Command, source, output});
    EXPECT_EQ(build.Status, 1);
    for (const std::string& message : c.Messages) {
      EXPECT_NE(build.Err.find(source + message), std::string::npos) << "missing: " << message << "\n" << build.Err;
    }
    EXPECT_EQ(ReadFile(output), "older file") << "an existing output is left as it was";
    EXPECT_FALSE(Exists("out.dat.part"));

    const TRun check = Tool({"check", c.Command == std::string("build-sigs") ? "--sigs" : "--bho", source});
    EXPECT_EQ(check.Status, 1);
    EXPECT_EQ(check.Err.substr(0, check.Err.rfind('\n', check.Err.size() - 2)),
              build.Err.substr(0, build.Err.rfind('\n', build.Err.size() - 2)))
        << "check finds what build refuses";
  }
}

// Data files written by anything: check reports what the program would silently cut, drop or
// stop at, by file and record.
TEST_F(QrxDataTest, CheckOfDataFilesNamesTheRecords) {
  const std::string sig = Dir.Write("QRX_SIG.DAT", SignatureFile({{"A", "4142"}, {"B", "4D5G"}}) +
                                                   SignatureRecord(std::string(70, 'n'), "4243", 70) +
                                                   std::string(10, 'x'));
  const std::string sig2 = Dir.Write("QRX_SIG2.DAT", SignatureFile({{"C", "4142"}}));
  const std::string bho = Dir.Write("qrx_bhotb.dat", BhoRecord('H', "", "", "") +
                                                     BhoRecord('T', NumberedClsid(1), "", "x", 50) +
                                                     BhoRecord('Q', NumberedClsid(2), "", "y"));
  const std::string empty = Dir.Write("empty_qrx_bhotb.dat", "");
  const TRun check = Tool({"check", sig, sig2, bho, "--bho", empty});
  EXPECT_EQ(check.Status, 2) << "--bho is an option only in first place";

  const TRun run = Tool({"check", sig, sig2, bho});
  EXPECT_EQ(run.Status, 1);
  for (const std::string& message :
       {sig + ": 10 bytes after the last whole record are ignored", sig + ":record 2: unit 2 '5G'",
        sig + ":record 3: name of 70 characters is longer than 64", sig2 + ":record 1: same pattern as " + sig + ":record 1",
        bho + ":record 1: CLSID of 50 characters is longer than 40", bho + ":record 2: kind 'Q' is neither"}) {
    EXPECT_NE(run.Err.find(message), std::string::npos) << "missing: " << message << "\n" << run.Err;
  }
  EXPECT_NE(run.Out.find(sig + ": 3 signatures"), std::string::npos) << run.Out;

  const TRun noHeader = Tool({"check", "--bho", empty});
  EXPECT_EQ(noHeader.Status, 1);
  EXPECT_NE(noHeader.Err.find(empty + ": no header record"), std::string::npos) << noHeader.Err;
}

TEST_F(QrxDataTest, CheckCountsBothSignatureFilesTogether) {
  const std::string first = Dir.Write("QRX_SIG.DAT", NumberedSignatureFile(30000, "F"));
  const std::string second = Dir.Write("QRX_SIG2.DAT", NumberedSignatureFile(7999, "S", 30001));
  EXPECT_EQ(Tool({"check", first, second}).Status, 0);

  const std::string more = Dir.Write("more_QRX_SIG2.DAT", NumberedSignatureFile(8000, "S", 30001));
  const TRun over = Tool({"check", first, "--sigs", more});
  EXPECT_EQ(over.Status, 2) << "options come first";
  const TRun run = Tool({"check", "--sigs", first, more});
  EXPECT_EQ(run.Status, 1);
  EXPECT_NE(run.Err.find(more + ":record 8000: signature 38000 of 38000"), std::string::npos) << run.Err;
}

TEST_F(QrxDataTest, DumpToAFileAndKindOptions) {
  ASSERT_EQ(Tool({"build-sigs", Dir.Write("QRX_SIG.txt", "A\t4142\n"), Dir / "custom.dat"}).Status, 0);
  const TRun unknown = Tool({"dump", Dir / "custom.dat"});
  EXPECT_EQ(unknown.Status, 2);
  EXPECT_NE(unknown.Err.find("cannot tell the kind"), std::string::npos);

  ASSERT_EQ(Tool({"dump", "--sigs", Dir / "custom.dat", Dir / "dump.txt"}).Status, 0);
  EXPECT_EQ(ItemLines(ReadFile(Dir / "dump.txt")), std::vector<std::string>{"A\t4142"});
  EXPECT_FALSE(Exists("dump.txt.part"));
}

struct TUsageCase {
  std::vector<std::string> Args;
  const char* Message;
};

TEST_F(QrxDataTest, UsageAndFileErrorsExitWithStatus2) {
  const std::string source = Dir.Write("QRX_SIG.txt", "A\t4142\n");
  const TUsageCase cases[] = {
      {{}, "no command given"},
      {{"frobnicate"}, "unknown command frobnicate"},
      {{"build-sigs", source}, "give a source file and an output file"},
      {{"dump"}, "give one data file"},
      {{"check"}, "no file given"},
      {{"build-sigs", Dir / "missing.txt", Dir / "out.DAT"}, "missing.txt: cannot read the file"},
      {{"dump", Dir / "QRX_SIG_missing.DAT"}, "QRX_SIG_missing.DAT: cannot open the file"},
      {{"check", source, Dir / "qrx_bhotb_missing.dat"}, "qrx_bhotb_missing.dat: cannot open the file"},
      {{"build-sigs", source, Dir / "no-such-folder/QRX_SIG.DAT"}, "cannot create"},
      {{"build-sigs", source, Dir / "a-folder"}, "cannot replace"},
  };
  std::filesystem::create_directory(Dir / "a-folder");
  for (const auto& c : cases) {
    const TRun run = Tool(c.Args);
    EXPECT_EQ(run.Status, 2) << c.Message;
    EXPECT_NE(run.Err.find(c.Message), std::string::npos) << run.Err;
  }
  EXPECT_FALSE(Exists("out.DAT"));
  EXPECT_FALSE(Exists("a-folder.part")) << "what was written aside goes when it cannot be put in place";
}

}  // namespace
