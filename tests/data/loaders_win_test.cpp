// The program's start-up loaders and engine binding, in the Windows build: the failures they
// answer (shown by start-up, never by themselves), and what the engine (a recording double) is
// handed.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "data_test_files.h"
#include "qrx_application.h"
#include "qrx_services.h"
#include "qrx_startup_loading.h"
#include "tn_bho_tb.h"
#include "tn_sscan_double.h"
#include "tns_scan.h"

namespace {

struct TBox {
  std::string Text;
  std::string Caption;
  UINT Flags;
};

class TBoxRecorder : public TSystemServices {
 public:
  TBoxRecorder() : Previous_(ReplaceServices(this)) {}
  ~TBoxRecorder() override { ReplaceServices(Previous_); }
  int ShowMessage(HWND, const std::string& text, const std::string& caption, UINT flags) override {
    Boxes.push_back({text, caption, flags});
    return IDOK;
  }
  std::vector<TBox> Boxes;

 private:
  TSystemServices* Previous_;
};

constexpr UINT ErrorBox = MB_OK | MB_ICONERROR;
constexpr char SignaturesFailed[] = "Impossible de charger le fichier de signatures";
constexpr char EngineRefused[] = "Impossible d'initialiser DLL scan (initscan)";

TEngineDoubleState& DoubleState(const char* library) {
  auto state = reinterpret_cast<TEngineDoubleStateExport>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA(library), "EngineDoubleState")));
  return *state();
}

std::string RecordName(const unsigned char* record) { return std::string(reinterpret_cast<const char*>(record) + 1, record[0]); }

class TCurrentFolder {
 public:
  explicit TCurrentFolder(const std::string& folder) : Previous_(std::filesystem::current_path()) {
    std::filesystem::current_path(folder);
  }
  ~TCurrentFolder() { std::filesystem::current_path(Previous_); }

 private:
  std::filesystem::path Previous_;
};

class LoaderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // Each case starts with an application that was not asked to end.
    std::destroy_at(&Application);
    std::construct_at(&Application);
    ASSERT_TRUE(BindScanEngine("TN_SSCAN_DOUBLE.DLL"));
    Engine = &DoubleState("TN_SSCAN_DOUBLE.DLL");
    *Engine = TEngineDoubleState{};
  }
  void TearDown() override { ReleaseScanEngine(); }

  std::string Folder() const { return Dir / ""; }

  // A loader answers its failure and leaves showing it and ending the program to start-up.
  void ExpectFailure(const TLoadResult& result, const std::string& text, const std::string& caption) {
    EXPECT_EQ(result, (TLoadFailure{text, caption}));
    EXPECT_TRUE(Services.Boxes.empty());
    EXPECT_FALSE(Application.Terminated());
  }

  TTempDir Dir;
  TBoxRecorder Services;
  TEngineDoubleState* Engine = nullptr;
};

TEST_F(LoaderTest, BothFilesAreLoadedAndHandedToTheEngine) {
  Dir.Write("QRX_SIG.DAT", SignatureFile({{"First", "4D5A"}, {"Second", "4142"}}));
  Dir.Write("QRX_SIG2.DAT", SignatureFile({{"Third", "4344"}}));
  EXPECT_EQ(LoadSignaturesFrom(Folder()), std::nullopt);
  EXPECT_TRUE(Services.Boxes.empty());
  EXPECT_FALSE(Application.Terminated());
  ASSERT_EQ(Engine->InitCalls, 1);
  EXPECT_EQ(Engine->Table, SignatureTable()) << "the address of slot 1";
  EXPECT_EQ(Engine->Count, 3);
  EXPECT_EQ(RecordName(Engine->FirstRecord), "First");
  EXPECT_EQ(Engine->FirstRecord[320], 2) << "pair count";
  EXPECT_EQ(RecordName(Engine->LastRecord), "Third");
}

struct TSignatureCase {
  const char* Label;
  std::string First;   // QRX_SIG.DAT; absent when empty and MissingFirst
  bool MissingFirst;
  std::string Second;  // QRX_SIG2.DAT; absent when empty
  int InitCalls;
  std::int32_t Count;
};

TEST_F(LoaderTest, FileCasesGiveTheirBoxesAndCounts) {
  const std::string badUnit = SignatureFile({{"Bad", "4D5G"}});  // would raise if it were read
  const TSignatureCase cases[] = {
      {"first file missing: second not read, engine not primed", "", true, badUnit, 0, 0},
      {"second file missing", SignatureFile({{"A", "4142"}}), false, "", 1, 1},
      {"empty first file", "", false, "", 1, 0},
      {"first file of the header alone", SignatureRecord("header", ""), false, "", 1, 0},
      {"first file shorter than a record", std::string(200, 'x'), false, "", 1, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Label);
    SetUp();
    Services.Boxes.clear();
    std::filesystem::remove(Dir / "QRX_SIG.DAT");
    std::filesystem::remove(Dir / "QRX_SIG2.DAT");
    if (!c.MissingFirst) Dir.Write("QRX_SIG.DAT", c.First);
    if (!c.Second.empty()) Dir.Write("QRX_SIG2.DAT", c.Second);

    TLoadResult result;
    ASSERT_NO_THROW(result = LoadSignaturesFrom(Folder()));
    EXPECT_EQ(Engine->InitCalls, c.InitCalls);
    EXPECT_EQ(Engine->Count, c.Count);
    if (c.MissingFirst) {
      ExpectFailure(result, SignaturesFailed, "Erreur fichier");
      EXPECT_EQ(SignatureTable(), nullptr);
    } else {
      EXPECT_EQ(result, std::nullopt);
      EXPECT_TRUE(Services.Boxes.empty());
    }
  }
}

TEST_F(LoaderTest, RefusedInitialisationIsAFailure) {
  Dir.Write("QRX_SIG.DAT", SignatureFile({{"A", "4142"}}));
  Engine->InitAnswer = 3;
  ExpectFailure(LoadSignaturesFrom(Folder()), EngineRefused, "Erreur");
}

// Start-up shows each failure in an error box and asks the program to end; a success shows
// nothing.
TEST_F(LoaderTest, StartupShowsTheFailureAndEndsTheProgram) {
  ReportStartupFailure(std::nullopt);
  EXPECT_TRUE(Services.Boxes.empty());
  EXPECT_FALSE(Application.Terminated());

  ReportStartupFailure(TLoadFailure{EngineRefused, "Erreur"});
  ASSERT_EQ(Services.Boxes.size(), 1u);
  EXPECT_EQ(Services.Boxes[0].Text, EngineRefused);
  EXPECT_EQ(Services.Boxes[0].Caption, "Erreur");
  EXPECT_EQ(Services.Boxes[0].Flags, ErrorBox);
  EXPECT_TRUE(Application.Terminated());
}

TEST_F(LoaderTest, BadUnitEscapesWithoutBoxOrTermination) {
  for (const bool inSecondFile : {false, true}) {
    SCOPED_TRACE(inSecondFile ? "QRX_SIG2.DAT" : "QRX_SIG.DAT");
    Dir.Write("QRX_SIG.DAT", SignatureFile({{"A", inSecondFile ? "4142" : "4D5G"}}));
    Dir.Write("QRX_SIG2.DAT", SignatureFile({{"B", "4D5G"}}));
    try {
      LoadSignaturesFrom(Folder());
      ADD_FAILURE() << "no conversion error";
    } catch (const ConversionError& error) {
      EXPECT_STREQ(error.what(), "'$5G' n'est pas une valeur entière correcte");
      EXPECT_EQ(TApplication::ErrorReportText(error.what()), "'$5G' n'est pas une valeur entière correcte.")
          << "as the error report shows it";
    }
    EXPECT_TRUE(Services.Boxes.empty());
    EXPECT_FALSE(Application.Terminated());
    EXPECT_EQ(Engine->InitCalls, 0);
  }
}

TEST_F(LoaderTest, EngineIsToldOnlyTheFilledSlots) {
  Dir.Write("QRX_SIG.DAT", NumberedSignatureFile(30000, "F"));
  Dir.Write("QRX_SIG2.DAT", NumberedSignatureFile(8001, "S", 30001));
  EXPECT_EQ(LoadSignaturesFrom(Folder()), std::nullopt);
  EXPECT_EQ(SignatureCount(), 38001);
  EXPECT_EQ(Engine->Count, 37999);
  EXPECT_EQ(RecordName(Engine->LastRecord), "S37999");
  EXPECT_TRUE(Services.Boxes.empty());
}

TEST_F(LoaderTest, MissingLibraryOrExportIsARefusedInitialisation) {
  Dir.Write("QRX_SIG.DAT", SignatureFile({{"A", "4142"}}));
  for (const char* library : {"QRX_NO_SUCH_ENGINE.DLL", "TN_SSCAN_INITONLY.DLL"}) {
    SCOPED_TRACE(library);
    SetUp();
    Services.Boxes.clear();
    EXPECT_FALSE(BindScanEngine(library));
    ExpectFailure(LoadSignaturesFrom(Folder()), EngineRefused, "Erreur");
    TVirusInfo info;
    EXPECT_FALSE(ScanFileWithEngine("C:\\file.txt", info)) << "nothing is scanned";
  }
  EXPECT_EQ(DoubleState("TN_SSCAN_INITONLY.DLL").InitCalls, 0) << "an engine without scanfile is never primed";
}

TEST_F(LoaderTest, ModuleIsUnloadedOnlyWhenTheBindingLoadedIt) {
  ReleaseScanEngine();
  EXPECT_EQ(GetModuleHandleA("TN_SSCAN_DOUBLE.DLL"), nullptr) << "loaded by the binding, unloaded by it";

  HMODULE own = LoadLibraryA("TN_SSCAN_DOUBLE.DLL");
  ASSERT_NE(own, nullptr);
  ASSERT_TRUE(BindScanEngine("TN_SSCAN_DOUBLE.DLL"));
  ReleaseScanEngine();
  EXPECT_EQ(GetModuleHandleA("TN_SSCAN_DOUBLE.DLL"), own) << "taken as loaded, left loaded";
  FreeLibrary(own);
}

struct TVerdictCase {
  const char* Label;
  std::int32_t Answer;
  std::uint8_t Found;
  std::string Name;
  int NameLength;
  bool Scanned;
  bool Infected;
  std::string VirusName;
};

TEST_F(LoaderTest, ScanFileWithEngineMapsTheVerdict) {
  const TVerdictCase cases[] = {
      {"infected", 1, 1, "EICAR-Test-File", -1, true, true, "EICAR-Test-File"},
      {"clean", 0, 0, "", -1, true, false, ""},
      {"found with code 0", 0, 1, "Sig", -1, true, true, "Sig"},
      {"found byte other than 1", 1, 2, "Sig", -1, true, false, ""},
      {"name length over 64", 1, 1, std::string(64, 'N'), 200, true, true, std::string(64, 'N')},
      {"Windows-1252 name, in UTF-8 for the program", 1, 1, "Virus \xC7" "a \x80", -1, true, true, "Virus Ça €"},
      {"cannot open", 4, 1, "Sig", -1, false, false, "untouched"},
      {"negative code", -5, 1, "Sig", -1, false, false, "untouched"},
  };
  const std::string path = "C:\\Dossier été\\вирус 病毒 😈.exe";  // UTF-8, as the engine takes it
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Label);
    Engine->ScanAnswer = c.Answer;
    std::memset(Engine->Verdict, 0x77, sizeof Engine->Verdict);
    Engine->Verdict[0] = c.Found;
    Engine->Verdict[1] = static_cast<unsigned char>(c.NameLength < 0 ? c.Name.size() : c.NameLength);
    std::memcpy(Engine->Verdict + 2, c.Name.data(), c.Name.size());

    TVirusInfo info{true, "untouched"};
    EXPECT_EQ(ScanFileWithEngine(path, info), c.Scanned);
    EXPECT_EQ(info.Infected, c.Scanned ? c.Infected : true);
    EXPECT_EQ(info.VirusName, c.VirusName);
    EXPECT_STREQ(Engine->Path, path.c_str());
    EXPECT_TRUE(Engine->ResultPrepared);
  }
}

// The real program folder, the real default data and the real engine, together.
TEST_F(LoaderTest, DefaultDataFromTheProgramFolderPrimeTheRealEngine) {
  const std::string folder = ProgramFolder();
  ASSERT_EQ(folder.back(), '\\');
  TCurrentFolder elsewhere(Folder());  // the data are found beside the program, never here
  ReleaseScanEngine();
  ASSERT_TRUE(BindScanEngine());
  EXPECT_EQ(LoadSignatures(), std::nullopt);
  EXPECT_GE(FilledSignatureSlots(), 2);

  const std::string eicar = R"(X5O!P%@AP[4\PZX54(P^)7CC)7}$EICAR-STANDARD-ANTIVIRUS-TEST-FILE!$H+H*)";
  const std::string eicarName = "вирус 病毒 😈.com";  // any name reaches the engine
  Dir.Write(eicarName, eicar);
  Dir.Write("clean.txt", "nothing to see here");
  TVirusInfo infected, clean;
  ASSERT_TRUE(ScanFileWithEngine(Dir / eicarName, infected));
  EXPECT_TRUE(infected.Infected);
  EXPECT_EQ(infected.VirusName, "EICAR-Test-File");
  ASSERT_TRUE(ScanFileWithEngine(Dir / "clean.txt", clean));
  EXPECT_FALSE(clean.Infected);
}

struct TBhoCase {
  const char* Label;
  std::string Bytes;
  bool Missing;
  const char* Text;  // nullptr: a success
  std::int32_t Count;
};

TEST_F(LoaderTest, DatabaseCasesGiveTheirFailures) {
  const TBhoCase cases[] = {
      {"missing", "", true, "Fichier qrx_bhotb.dat introuvable", 0},
      {"empty", "", false, "Fichier qrx_bhotb.dat introuvable", 0},
      {"header alone", BhoRecord('H', "", "", ""), false, nullptr, 0},
      {"two entries", NumberedBhoFile(2), false, nullptr, 2},
      {"40001 entries", NumberedBhoFile(40001), false, "Trop de données dans qrx_bhotb.dat", 40000},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Label);
    SetUp();
    Services.Boxes.clear();
    std::filesystem::remove(Dir / "qrx_bhotb.dat");
    if (!c.Missing) Dir.Write("qrx_bhotb.dat", c.Bytes);
    const TLoadResult result = LoadBhoDatabaseFrom(Folder());
    EXPECT_EQ(BhoCount(), c.Count);
    if (c.Text == nullptr)
      EXPECT_EQ(result, std::nullopt);
    else
      ExpectFailure(result, c.Text, "Erreur");
  }
}

}  // namespace
