// Starts the real Quorvex.exe with damaged or missing data files beside it, and checks what
// the user sees: the boxes, their captions and texts, and whether the program then ends or
// opens its window.
//
// Usage: qrx_startup_driver <folder of the built program> <scratch folder>
// Each case gets a copy of the program in a folder of its own under the scratch folder.
#include <cstdio>
#include <filesystem>

#include "data_test_files.h"
#include "driver_support.h"

namespace fs = std::filesystem;

namespace {

struct TBox {
  const char* Caption;
  const char* Text;
};

struct TStartupCase {
  const char* Name;
  std::vector<const char*> Removed;                         // files of the shipped program left out
  std::vector<std::pair<const char*, std::string>> Written;  // files replaced by these bytes
  std::vector<TBox> Boxes;                                   // in the order they appear
  bool WindowOpens;                                          // else the program ends by itself
};

const TBox kSignaturesMissing{"Erreur fichier", "Impossible de charger le fichier de signatures"};
const TBox kEngineRefused{"Erreur", "Impossible d'initialiser DLL scan (initscan)"};
const TBox kDatabaseMissing{"Erreur", "Fichier qrx_bhotb.dat introuvable"};
const TBox kDatabaseTooLarge{"Erreur", "Trop de données dans qrx_bhotb.dat"};

std::vector<TStartupCase> Cases() {
  return {
      {"signatures-missing", {"QRX_SIG.DAT"}, {}, {kSignaturesMissing}, false},
      {"engine-missing", {"TN_SSCAN.DLL"}, {}, {kEngineRefused}, false},
      {"database-missing", {"qrx_bhotb.dat"}, {}, {kDatabaseMissing}, false},
      {"database-empty", {}, {{"qrx_bhotb.dat", ""}}, {kDatabaseMissing}, false},
      {"database-too-large", {}, {{"qrx_bhotb.dat", NumberedBhoFile(40001)}}, {kDatabaseTooLarge}, false},
      // The second loader still runs after the first failed, and shows its own box.
      {"signatures-and-database-missing", {"QRX_SIG.DAT", "qrx_bhotb.dat"}, {}, {kSignaturesMissing, kDatabaseMissing},
       false},
      // A bad unit is an error of the window's creation: reported, and the window opens. The
      // database is not loaded then, so its absence shows no box.
      {"bad-hex-unit",
       {"qrx_bhotb.dat"},
       {{"QRX_SIG.DAT", SignatureFile({{"Bon.A", "4D5A90"}, {"Mauvais.B", "4D5G"}})}},
       {{"Quorvex", "'$5G' n'est pas une valeur entière correcte."}},
       true},
      {"only-the-second-file-missing", {"QRX_SIG2.DAT"}, {}, {}, true},
  };
}

const char* kShippedFiles[] = {"Quorvex.exe", "TN_SSCAN.DLL", "QRX_SIG.DAT", "QRX_SIG2.DAT", "qrx_bhotb.dat"};

class TStartupDriver {
 public:
  TStartupDriver(fs::path program, fs::path scratch) : Program_(std::move(program)), Scratch_(std::move(scratch)) {}

  int Run() {
    for (const TStartupCase& c : Cases()) RunCase(c);
    return Checks_.Finish();
  }

 private:
  void Expect(bool passed, const std::string& what) { Checks_.Expect(passed, what); }

  fs::path Prepare(const TStartupCase& c) {
    const fs::path folder = Scratch_ / c.Name;
    fs::remove_all(folder);
    fs::create_directories(folder);
    for (const char* file : kShippedFiles) fs::copy_file(Program_ / file, folder / file);
    for (const char* file : c.Removed) fs::remove(folder / file);
    for (const auto& [file, bytes] : c.Written) WriteFile((folder / file).string(), bytes);
    return folder;
  }

  void RunCase(const TStartupCase& c) {
    const std::string name = std::string(c.Name) + ": ";
    TProgram program((Prepare(c) / "Quorvex.exe").string());
    Expect(program.Started(), name + "starts");
    for (const TBox& expected : c.Boxes) {
      HWND box = WaitForTopWindow("#32770", expected.Caption, 30000);
      Expect(box != nullptr, name + "a box captioned \"" + expected.Caption + "\"");
      if (box == nullptr) return;
      Expect(MessageBoxText(box) == expected.Text, name + "it says \"" + MessageBoxText(box) + "\"");
      Press(Find(box, "OK"));
      WaitFor([&] { return !IsWindow(box); }, 15000);
    }
    if (c.WindowOpens) {
      HWND main = WaitForTopWindow(nullptr, kMainCaption, 30000);
      Expect(main != nullptr, name + "the main window opens");
      Expect(!program.WaitForExit(1000), name + "the program keeps running");
      PostMessageW(main, WM_CLOSE, 0, 0);
      if (HWND notice = WaitForTopWindow(nullptr, kNoticeCaption, 15000)) PostMessageW(notice, WM_CLOSE, 0, 0);
    }
    const bool ended = program.WaitForExit(15000);
    Expect(ended, name + (c.WindowOpens ? "the program ends when closed" : "the program ends by itself"));
    // A program that ended at start-up shows no update notice on its way out.
    if (!c.WindowOpens) Expect(FindTopWindow(nullptr, kNoticeCaption) == nullptr, name + "no update notice");
  }

  TChecks Checks_;
  fs::path Program_, Scratch_;
};

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: qrx_startup_driver <folder of the built program> <scratch folder>\n");
    return 2;
  }
  return TStartupDriver(ToWindowsPath(argv[1]), ToWindowsPath(argv[2])).Run();
}
