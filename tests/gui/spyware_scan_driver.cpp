// Drives the real Quorvex.exe through antispyware scans on the test prefix's own registry and
// Windows folder, as a user would: the status texts of both phases and the summary, the mode
// "REGISTRY" without the file phase, hidden and system files shown and folders never, and the
// stop in either phase with its single end message; the rows of seeded spyware registrations,
// read from the grid, without and with automatic removal; both workers finding threats at once. It runs a copy of the program whose
// database lists the default database's test identifiers, the spyware one twice. It seeds the
// keys and files it needs and removes them when it ends.
//
// Usage: qrx_spyware_scan_driver <folder of the built program> <scratch folder>
// Prints one line per check ("ok - ..." or "not ok - ...") and exits with 1 when a check failed.
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <functional>

#include "data_test_files.h"
#include "driver_support.h"

namespace fs = std::filesystem;

namespace {

const std::string kRegistryStatus = "1/2 - Analyse base de registre : ";
const std::string kFileStatus = "2/2 - Analyse fichiers systèmes : ";
const std::string kNothingFound = "L'analyse antispyware est terminée. Aucun spyware détecté.";
const std::string kFound = "L'analyse antispyware est terminée. Des éléments infectés ont été détectés.";
const char kAutomaticRemoval[] = "Supprimer automatiquement le fichier infecté";
const char kLetChoose[] = "Vous laissez choisir l'action à effectuer";
// The default database's test identifiers (data/qrx_bhotb.txt).
const char kToolbarId[] = "{51525854-6573-7400-0000-00000000007B}";
const char kSpywareId[] = "{51525854-6573-7400-0000-0000000000A5}";
const char* kShippedFiles[] = {"Quorvex.exe", "TN_SSCAN.DLL", "QRX_SIG.DAT", "QRX_SIG2.DAT"};
const std::string kFinished = "Analyse terminée";
const std::string kInterrupted = "Analyse interrompue par l'utilisateur.";

bool StartsWith(const std::string& text, const std::string& prefix) { return text.rfind(prefix, 0) == 0; }

std::string WindowsFolder() {
  char folder[MAX_PATH];
  const UINT length = GetWindowsDirectoryA(folder, sizeof folder);
  std::string path(folder, length);
  return path.back() == '\\' ? path : path + "\\";
}

// A hidden system file and a folder planted in the Windows folder, removed when it goes.
class TPlantedEntries {
 public:
  TPlantedEntries()
      : File(WindowsFolder() + "qrxspyhidden" + std::to_string(GetCurrentProcessId()) + ".tmp"),
        Folder(WindowsFolder() + "qrxspyfolder" + std::to_string(GetCurrentProcessId())) {
    HANDLE file = CreateFileA(File.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM, nullptr);
    if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
    CreateDirectoryA(Folder.c_str(), nullptr);
  }
  ~TPlantedEntries() {
    SetFileAttributesA(File.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileA(File.c_str());
    RemoveDirectoryA(Folder.c_str());
  }
  TPlantedEntries(const TPlantedEntries&) = delete;
  TPlantedEntries& operator=(const TPlantedEntries&) = delete;

  const std::string File, Folder;
};

bool KeyExists(const std::string& name) {
  HKEY key;
  if (RegOpenKeyExA(HKEY_CLASSES_ROOT, ("CLSID\\" + name).c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
  RegCloseKey(key);
  return true;
}

// The program copied into `folder` with a database of the default test identifiers, the
// spyware one listed twice; returns the copy's path.
std::string PrepareProgram(const fs::path& bin, const fs::path& folder) {
  fs::remove_all(folder);
  fs::create_directories(folder);
  for (const char* file : kShippedFiles) fs::copy_file(bin / file, folder / file);
  WriteFile((folder / "qrx_bhotb.dat").string(),
            BhoRecord('H', "header", "", "") + BhoRecord('T', kToolbarId, "test", "Quorvex Test Toolbar") +
                BhoRecord('S', kSpywareId, "test", "Quorvex Test Spyware") +
                BhoRecord('S', kSpywareId, "test", "Quorvex Test Spyware, listed again"));
  return (folder / "Quorvex.exe").string();
}

// The two registrations seeded, the toolbar's key in lower case, each with its server file.
class TSeededSpyware {
 public:
  explicit TSeededSpyware(const fs::path& folder)
      : Keys{UpperToLower(kToolbarId), kSpywareId},
        Servers{(folder / "toolbar.dll").string(), (folder / "spyware.dll").string()} {
    for (int n = 0; n < 2; ++n) {
      WriteFile(Servers[n], "MZ");
      HKEY key;
      RegCreateKeyExA(HKEY_CLASSES_ROOT, ("CLSID\\" + Keys[n] + "\\InProcServer32").c_str(), 0, nullptr, 0,
                      KEY_ALL_ACCESS, nullptr, &key, nullptr);
      RegSetValueExA(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(Servers[n].c_str()),
                     static_cast<DWORD>(Servers[n].size() + 1));
      RegCloseKey(key);
    }
  }
  ~TSeededSpyware() {
    for (int n = 0; n < 2; ++n) {
      RegDeleteTreeA(HKEY_CLASSES_ROOT, ("CLSID\\" + Keys[n]).c_str());
      DeleteFileA(Servers[n].c_str());
    }
  }
  TSeededSpyware(const TSeededSpyware&) = delete;
  TSeededSpyware& operator=(const TSeededSpyware&) = delete;

  bool AllThere() const { return KeyExists(Keys[0]) && KeyExists(Keys[1]) && fs::exists(Servers[0]) && fs::exists(Servers[1]); }
  bool NoneThere() const { return !KeyExists(Keys[0]) && !KeyExists(Keys[1]) && !fs::exists(Servers[0]) && !fs::exists(Servers[1]); }

 private:
  static std::string UpperToLower(std::string text) {
    for (char& c : text) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
    return text;
  }

  const std::string Keys[2];
  const std::string Servers[2];
};

// Class keys that no database lists, so that the registry phase lasts long enough to be
// stopped; removed when the object goes.
class TExtraClassKeys {
 public:
  explicit TExtraClassKeys(int count) {
    for (int n = 0; n < count; ++n) {
      char name[64];
      std::snprintf(name, sizeof name, "CLSID\\{51525853-4b65-7973-%04lx-%012d}", GetCurrentProcessId() & 0xFFFF, n);
      HKEY key;
      if (RegCreateKeyExA(HKEY_CLASSES_ROOT, name, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr) != ERROR_SUCCESS)
        continue;
      RegCloseKey(key);
      Names_.push_back(name);
    }
  }
  ~TExtraClassKeys() {
    for (const std::string& name : Names_) RegDeleteKeyA(HKEY_CLASSES_ROOT, name.c_str());
  }
  TExtraClassKeys(const TExtraClassKeys&) = delete;
  TExtraClassKeys& operator=(const TExtraClassKeys&) = delete;
  std::size_t Count() const { return Names_.size(); }

 private:
  std::vector<std::string> Names_;
};

// What one scan showed: the antispyware status line's successive texts and the end message.
struct TScanSeen {
  std::vector<std::string> Texts;
  std::string EndMessage;
  bool SecondMessage = false;

  bool Saw(const std::function<bool(const std::string&)>& test) const {
    return std::any_of(Texts.begin(), Texts.end(), test);
  }
  bool SawFileText() const {
    return Saw([](const std::string& text) { return StartsWith(text, kFileStatus); });
  }
  // Every registry text comes before every file text.
  bool PhasesInOrder() const {
    bool files = false;
    for (const std::string& text : Texts) {
      if (StartsWith(text, kFileStatus)) files = true;
      if (files && StartsWith(text, kRegistryStatus)) return false;
    }
    return true;
  }
};

class TDriver {
 public:
  TDriver(const fs::path& bin, fs::path scratch)
      : Scratch_(std::move(scratch)), Program_(PrepareProgram(bin, Scratch_ / "program")) {}

  int Run() {
    if (Start()) {
      ScanRegistryAndFiles();
      ScanRegistryOnly();
      FindSeededSpyware();
      StopDuringTheRegistryPhase();
      StopDuringTheFilePhase();
      BothWorkersFind();
      PostMessageW(Main_, WM_CLOSE, 0, 0);
      if (HWND notice = WaitForTopWindow(nullptr, kNoticeCaption, 15000)) PostMessageW(notice, WM_CLOSE, 0, 0);
      Expect(Program_.WaitForExit(15000), "the program ends");
    }
    std::error_code ignored;
    fs::remove_all(Scratch_, ignored);
    return Checks_.Finish();
  }

 private:
  void Expect(bool passed, const std::string& what) { Checks_.Expect(passed, what); }

  bool Start() {
    Expect(Program_.Started(), "Quorvex.exe starts");
    if (!Program_.Started()) return false;
    Main_ = WaitForTopWindow(nullptr, kMainCaption, 30000);
    Expect(Main_ != nullptr, "the main window appears");
    if (Main_ == nullptr) return false;
    Go_ = Find(Main_, "&Analyser !");
    Stop_ = Find(Main_, "&Arrêter");
    Status_ = SpywareStatusLine();
    Grid_ = FindGrid(Main_);
    Expect(Go_ && Stop_ && Status_ && Grid_, "the scan buttons, the antispyware status line and the grid are found");
    return Go_ && Stop_ && Status_ && Grid_;
  }

  // The antispyware status line: the 540 x 14 label at (48, 171) of the results page.
  HWND SpywareStatusLine() const {
    for (HWND child : Descendants(Main_)) {
      RECT box;
      GetWindowRect(child, &box);
      MapWindowPoints(HWND_DESKTOP, GetParent(child), reinterpret_cast<POINT*>(&box), 2);
      if (box.left == 48 && box.top == 171 && box.right - box.left == 540 && box.bottom - box.top == 14) return child;
    }
    return nullptr;
  }

  // Ticks an option of the antispyware page: the last radio button of that text (the antivirus
  // page, made first, has the same removal texts).
  void ChooseOption(const char* radioText) {
    std::vector<HWND> links = ByText(Main_, "Configuration");
    if (links.size() != 2) return Expect(false, "two \"Configuration\" links");
    ClickLink(links[1]);
    const std::vector<HWND> radios = ByText(Main_, radioText);
    HWND radio = radios.empty() ? nullptr : radios.back();
    Expect(WaitFor([&] { return radio != nullptr && IsWindowVisible(radio); }, 15000),
           std::string("the antispyware options show \"") + radioText + "\"");
    Press(radio);
    WaitFor([&] { return SendMessageW(radio, BM_GETCHECK, 0, 0) == BST_CHECKED; }, 5000);
    for (HWND ok : ByText(Main_, "&Valider"))
      if (IsWindowVisible(ok)) Press(ok);
    WaitFor([&] { return !IsWindowVisible(radio); }, 15000);
  }

  // Presses "&Analyser !" and watches the status line until the end message, pressing
  // "&Arrêter" once at the first text that `stopAt` accepts. Returns to the idle window.
  TScanSeen Scan(const std::function<bool(const std::string&)>& stopAt = {}) {
    TScanSeen seen;
    Press(Go_);
    bool stopped = false;
    HWND box = nullptr;
    const DWORD start = GetTickCount();
    while ((box = FindTopWindow("#32770", "Informations")) == nullptr || !IsWindowVisible(box)) {
      if (GetTickCount() - start > 180000) break;
      const std::string text = TextOf(Status_);
      if (seen.Texts.empty() || seen.Texts.back() != text) seen.Texts.push_back(text);
      if (stopAt && !stopped && stopAt(text)) {
        Press(Stop_);
        stopped = true;
      }
      Sleep(2);
    }
    if (box == nullptr) return seen;
    seen.EndMessage = MessageBoxText(box);
    seen.Texts.push_back(TextOf(Status_));
    Press(Find(box, "OK"));
    WaitFor([&] { return !IsWindow(box); }, 15000);
    if (!stopped) Press(Stop_);
    WaitFor([&] { return IsWindowVisible(Go_); }, 15000);
    Sleep(500);
    seen.SecondMessage = FindTopWindow("#32770", "Informations") != nullptr;
    return seen;
  }

  void ExpectSummary(const TScanSeen& seen, const std::string& endMessage, const std::string& what) {
    Expect(!seen.Texts.empty() && seen.Texts.back() == kNothingFound,
           what + ": the status line ends on the summary (\"" + (seen.Texts.empty() ? "" : seen.Texts.back()) + "\")");
    Expect(seen.EndMessage == endMessage, what + ": the end message is \"" + endMessage + "\" (\"" + seen.EndMessage + "\")");
    Expect(!seen.SecondMessage, what + ": the end message comes once");
  }

  // The grid's rows that hold a threat (it shows empty rows below them).
  std::vector<TGridRow> ThreatRows() {
    std::vector<TGridRow> rows = ReadGrid(Grid_);
    rows.erase(std::remove_if(rows.begin(), rows.end(), [](const TGridRow& row) { return row.Cells[1].Text.empty(); }),
               rows.end());
    return rows;
  }

  const TGridRow* RowOf(const std::vector<TGridRow>& rows, const std::string& object) {
    for (const TGridRow& row : rows)
      if (row.Cells[1].Text == object) return &row;
    return nullptr;
  }

  // The seeded registrations: rows to choose from, then, with automatic removal, removed at
  // once, the second entry of the spyware failing since the first removal took its key.
  void FindSeededSpyware() {
    const TSeededSpyware seeded(Scratch_);
    ChooseOption("Analyse de la base de registres uniquement");
    TScanSeen seen = Scan();
    std::vector<TGridRow> rows = ThreatRows();
    Expect(rows.size() == 3, "seeded: three rows, one per matching entry (" + std::to_string(rows.size()) + ")");
    const struct {
      const char* Object;
      const char* Type;
    } expected[] = {{"Quorvex Test Toolbar", "Barre d'outils"},
                    {"Quorvex Test Spyware", "Spyware"},
                    {"Quorvex Test Spyware, listed again", "Spyware"}};
    for (const auto& e : expected) {
      const TGridRow* row = RowOf(rows, e.Object);
      Expect(row != nullptr && row->Cells[2].Text == e.Type && row->Cells[3].Text == "supprimer" &&
                 row->Check == TGridCheck::Unticked,
             std::string("seeded: \"") + e.Object + "\", " + e.Type + ", \"supprimer\", unticked");
    }
    Expect(!seen.Texts.empty() && seen.Texts.back() == kFound, "seeded: the summary says threats were found");
    Expect(seen.EndMessage == kFinished, "seeded: the end message is \"Analyse terminée\"");
    Expect(seeded.AllThere(), "seeded: without automatic removal nothing is removed");

    ChooseOption(kAutomaticRemoval);
    seen = Scan();
    rows = ThreatRows();
    Expect(rows.size() == 3, "automatic removal: three rows (" + std::to_string(rows.size()) + ")");
    const TGridRow* toolbar = RowOf(rows, "Quorvex Test Toolbar");
    const TGridRow* spyware = RowOf(rows, "Quorvex Test Spyware");
    const TGridRow* again = RowOf(rows, "Quorvex Test Spyware, listed again");
    Expect(toolbar && toolbar->LooksRemoved(), "automatic removal: the toolbar's row is struck out");
    Expect(spyware && spyware->LooksRemoved(), "automatic removal: the spyware's first row is struck out");
    Expect(again && again->Cells[3].Text == "suppression échouée" && again->Check == TGridCheck::Unticked,
           "automatic removal: the second entry of the spyware reads \"suppression échouée\" and keeps its checkbox");
    Expect(seeded.NoneThere(), "automatic removal: the server files and the class keys are gone");
    ChooseOption(kLetChoose);
  }

  void ScanRegistryAndFiles() {
    const TPlantedEntries planted;
    const TScanSeen seen = Scan();
    Expect(seen.Saw([](const std::string& text) { return StartsWith(text, kRegistryStatus + "{"); }),
           "registry and files: the registry phase shows class keys");
    Expect(seen.Saw([&](const std::string& text) { return text == kFileStatus + planted.File; }),
           "registry and files: a hidden system file of the Windows folder is shown");
    Expect(seen.Saw([&](const std::string& text) { return StartsWith(text, kFileStatus + WindowsFolder() + "system32\\"); }),
           "registry and files: files of system32 are shown");
    Expect(!seen.Saw([&](const std::string& text) { return text.find(planted.Folder) != std::string::npos; }),
           "registry and files: a folder is never shown");
    Expect(!seen.Saw([](const std::string& text) { return text.size() > 2 && text.substr(text.size() - 2) == "\\."; }),
           "registry and files: \".\" and \"..\" are never shown");
    Expect(seen.PhasesInOrder(), "registry and files: the registry phase comes before the file phase");
    ExpectSummary(seen, kFinished, "registry and files");
  }

  void ScanRegistryOnly() {
    ChooseOption("Analyse de la base de registres uniquement");
    const TScanSeen seen = Scan();
    Expect(seen.Saw([](const std::string& text) { return StartsWith(text, kRegistryStatus); }),
           "registry only: the registry phase shows class keys");
    Expect(!seen.SawFileText(), "registry only: no file is shown");
    ExpectSummary(seen, kFinished, "registry only");
  }

  void StopDuringTheRegistryPhase() {
    const TExtraClassKeys extra(3000);
    Expect(extra.Count() == 3000, "3000 extra class keys seeded");
    ChooseOption("Analyse de la base de registres et des fichiers");
    const TScanSeen seen = Scan([](const std::string& text) { return StartsWith(text, kRegistryStatus); });
    Expect(!seen.SawFileText(), "stop in the registry phase: the file phase is skipped");
    ExpectSummary(seen, kInterrupted, "stop in the registry phase");
  }

  void StopDuringTheFilePhase() {
    const TScanSeen seen = Scan([](const std::string& text) { return StartsWith(text, kFileStatus); });
    const auto files = std::count_if(seen.Texts.begin(), seen.Texts.end(),
                                     [](const std::string& text) { return StartsWith(text, kFileStatus); });
    Expect(files >= 1 && files <= 3, "stop in the file phase: it ends at once (" + std::to_string(files) + " file texts seen)");
    ExpectSummary(seen, kInterrupted, "stop in the file phase");
  }

  // The antivirus quick scan finds two EICAR files in the Windows folder while the antispyware
  // scan finds the seeded registrations: every threat gets its own row, numbered in one
  // sequence with no row overwritten or left empty between, and the scan ends with one message.
  void BothWorkersFind() {
    const TSeededSpyware seeded(Scratch_);
    const std::string eicar = "X5O!P%@AP[4\\PZX54(P^)7CC)7}$EICAR-STANDARD-ANTIVIRUS-TEST-FILE!$H+H*";
    const std::string infected[] = {WindowsFolder() + "qrxboth1.com", WindowsFolder() + "qrxboth2.com"};
    for (const std::string& file : infected) WriteFile(file, eicar);
    ChooseOption("Analyse de la base de registres uniquement");
    const TScanSeen seen = Scan();
    const std::vector<TGridRow> all = ReadGrid(Grid_);
    const std::vector<TGridRow> rows = ThreatRows();
    int viruses = 0, spyware = 0;
    for (const TGridRow& row : rows) {
      viruses += row.Cells[2].Text == "Virus EICAR-Test-File";
      spyware += row.Cells[2].Text == "Spyware" || row.Cells[2].Text == "Barre d'outils";
    }
    Expect(viruses == 2 && spyware == 3,
           "both workers: two virus rows and three spyware rows (" + std::to_string(viruses) + ", " + std::to_string(spyware) + ")");
    bool contiguous = all.size() >= rows.size();
    for (size_t n = 0; contiguous && n < rows.size(); ++n) contiguous = !all[n].Cells[1].Text.empty();
    Expect(contiguous, "both workers: the threats fill the first rows, one after the other");
    Expect(RowOf(rows, infected[0]) && RowOf(rows, infected[1]), "both workers: each infected file has its row");
    Expect(seen.EndMessage == kFinished && !seen.SecondMessage, "both workers: one end message, \"Analyse terminée\"");
    for (const std::string& file : infected) DeleteFileA(file.c_str());
  }

  TChecks Checks_;
  fs::path Scratch_;
  TProgram Program_;
  HWND Main_ = nullptr, Go_ = nullptr, Stop_ = nullptr, Status_ = nullptr, Grid_ = nullptr;
};

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: qrx_spyware_scan_driver <folder of the built program> <scratch folder>\n");
    return 2;
  }
  return TDriver(argv[1], argv[2]).Run();
}
