// Removes threats through the real program, as a user would: the test build of Quorvex starts
// with twelve threats in its grid (its /rows switch), rows are ticked with real mouse clicks on
// their checkboxes (xdotool on the X display; presses and releases in two places through the
// system's input), the grid is scrolled with the wheel, the removal button is clicked, and the
// grid is read back from this process (GridProtocol.h) while the files and registry keys are
// checked on disk and in the prefix's registry. The first threat's file has a name in several
// scripts, in folders named so too: its row must come back byte for byte as given, and its
// removal find the file.
//
// Usage: qrx_grid_driver <Quorvex_rows.exe> <scratch folder>
// Prints one line per check ("ok - ..." or "not ok - ...") and exits with 1 when a check failed.
#include <cstdio>
#include <filesystem>
#include <fstream>

#include "WideText.h"
#include "driver_support.h"

namespace fs = std::filesystem;

namespace {

// Paths go through the wide form to and from the file system, and are UTF-8 in the rows file
// and in the grid.
fs::path PathFromUtf8(const std::string& utf8) { return fs::path(QrxPlatform::Wide(utf8)); }
std::string Utf8Of(const fs::path& path) { return QrxPlatform::Utf8(path.wstring()); }

const char kClsid[] = "{51525847-0000-4000-8000-475249444452}";
const char kRemoved[] = "Les éléments nuisibles ont été supprimés";
const char kSomeFailed[] = "Certains éléments n'ont pas pu être supprimés. Ils restent cochés dans la liste.";
const char kNoSelection[] =
    "Aucun élément à supprimer n'est sélectionné.\r\rSélectionnez les éléments à supprimer dans la liste.";
constexpr int kThreats = 12;

bool KeyExists(const std::string& path) {
  HKEY key;
  if (RegOpenKeyExA(HKEY_CLASSES_ROOT, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
  RegCloseKey(key);
  return true;
}

class TDriver {
 public:
  TDriver(std::string exe, const std::string& scratch) : Exe_(std::move(exe)), Scratch_(scratch) {}

  int Run() {
    Seed();
    {
      TProgram program(Exe_, "/rows \"" + Utf8Of(Scratch_ / "rows.txt") + "\"");
      if (Start(program)) {
        CheckRowsAsAdded();
        TickWithTheMouse();
        ClickOnlyWherePressed();
        RemoveWithOneLocked();
        RemoveTheLockedOneNow();
        NothingLeftTicked();
        Close(program);
      }
    }
    CleanUp();
    return Checks_.Finish();
  }

 private:
  void Expect(bool passed, const std::string& what) { Checks_.Expect(passed, what); }

  fs::path Threat(int n) const {
    if (n == 1) return Scratch_ / PathFromUtf8("données\\вирус\\病毒😀.com");
    return Scratch_ / ("menace" + std::to_string(n) + ".exe");
  }
  fs::path ServerFile() const { return Scratch_ / "serveur.dll"; }
  std::string ClassKey() const { return std::string("CLSID\\") + kClsid; }

  // Row 2 is a spyware registration with its server file; every other row an infected file.
  void Seed() {
    fs::remove_all(Scratch_);
    fs::create_directories(Threat(1).parent_path());
    std::ofstream rows(Scratch_ / "rows.txt", std::ios::binary);
    for (int n = 1; n <= kThreats; ++n) {
      if (n == 2) {
        rows << "1\t" << kClsid << "\tBarre Espion\tSpyware\tsupprimer\n";
        continue;
      }
      std::ofstream(Threat(n)) << "virus";
      rows << "0\t" << Utf8Of(Threat(n)) << '\t' << Utf8Of(Threat(n)) << "\tVirus Test.A\tsupprimer\n";
    }
    std::ofstream(ServerFile()) << "server";
    HKEY key;
    RegCreateKeyExA(HKEY_CLASSES_ROOT, (ClassKey() + "\\InProcServer32").c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                    nullptr, &key, nullptr);
    const std::string server = ServerFile().string();
    RegSetValueExA(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(server.c_str()),
                   static_cast<DWORD>(server.size() + 1));
    RegCloseKey(key);
  }

  void CleanUp() {
    RegDeleteTreeA(HKEY_CLASSES_ROOT, ClassKey().c_str());
    std::error_code ignored;
    fs::remove_all(Scratch_, ignored);
  }

  bool Start(TProgram& program) {
    Expect(program.Started(), "Quorvex_rows.exe starts");
    if (!program.Started()) return false;
    Main_ = WaitForTopWindow(nullptr, kMainCaption, 30000);
    Expect(Main_ != nullptr, "the main window appears");
    Grid_ = Main_ != nullptr ? FindGrid(Main_) : nullptr;
    Expect(Grid_ != nullptr, "the results grid is found by its class");
    return Grid_ != nullptr;
  }

  std::vector<TGridRow> Rows() { return ReadGrid(Grid_); }

  void CheckRowsAsAdded() {
    const std::vector<TGridRow> rows = Rows();
    Expect(rows.size() == kThreats, "the grid answers with one row per threat, 12 (" + std::to_string(rows.size()) + ")");
    if (rows.size() != kThreats) return;
    bool allUnticked = true, textsRight = true;
    for (int n = 1; n <= kThreats; ++n) {
      const TGridRow& row = rows[n - 1];
      allUnticked = allUnticked && row.Check == TGridCheck::Unticked;
      const std::string object = n == 2 ? "Barre Espion" : Utf8Of(Threat(n));
      textsRight = textsRight && row.Cells[1].Text == object && row.Cells[3].Text == "supprimer" &&
                   row.Cells[2].Alignment == 'C' && row.Cells[3].Alignment == 'C' && row.Cells[1].Alignment == 'L';
    }
    Expect(rows[0].Cells[1].Text == Utf8Of(Threat(1)),
           "a name in several scripts comes back byte for byte (\"" + rows[0].Cells[1].Text + "\")");
    Expect(allUnticked, "every row has an unticked checkbox");
    Expect(textsRight, "objects left-aligned, types and actions centred, as added");
    Expect(rows[0].CheckBoxOnScreen.has_value() && !rows[kThreats - 1].CheckBoxOnScreen.has_value(),
           "the first row is in view, the last one only after scrolling");
  }

  // Clicks the checkbox of data row `n` (from 1); false when it is not in view.
  bool ClickCheckBox(int n) {
    const std::vector<TGridRow> rows = Rows();
    if (static_cast<int>(rows.size()) < n || !rows[n - 1].CheckBoxOnScreen) return false;
    return RealClick(*rows[n - 1].CheckBoxOnScreen);
  }

  // Waits for data row `n` to show `check`: the click reaches the program a little later.
  bool Becomes(int n, TGridCheck check) {
    return WaitFor([&] {
      const std::vector<TGridRow> rows = Rows();
      return static_cast<int>(rows.size()) >= n && rows[n - 1].Check == check;
    }, 3000);
  }

  void TickWithTheMouse() {
    for (int n : {1, 2, 3}) {
      Expect(ClickCheckBox(n), "a real click on the checkbox of row " + std::to_string(n));
      Expect(Becomes(n, TGridCheck::Ticked), "row " + std::to_string(n) + " is ticked");
    }
    Expect(ClickCheckBox(1) && Becomes(1, TGridCheck::Unticked), "a second click unticks row 1");
    Expect(ClickCheckBox(1) && Becomes(1, TGridCheck::Ticked), "a third click ticks it again");
    RECT grid;
    GetWindowRect(Grid_, &grid);
    Expect(RealWheel({(grid.left + grid.right) / 2, (grid.top + grid.bottom) / 2}, 5), "the wheel turns over the grid");
    Expect(WaitFor([&] { return Rows().size() == kThreats && Rows()[kThreats - 1].CheckBoxOnScreen.has_value(); }, 5000),
           "the wheel brings the last row into view");
    Expect(ClickCheckBox(kThreats) && Becomes(kThreats, TGridCheck::Ticked), "the last row ticked after scrolling");
  }

  // The window that the grid's thread holds the mouse in, if any.
  HWND MouseHolder() {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    return GetGUIThreadInfo(GetWindowThreadProcessId(Grid_, nullptr), &info) ? info.hwndCapture : nullptr;
  }

  // The left button pressed or released at a screen point through the system's input, as a
  // hand on the mouse does. The move and the button go in one event, so that the button acts
  // where it was sent whatever the X pointer tells Wine meanwhile.
  static bool SendMouse(POINT at, DWORD button) {
    // Absolute positions run from 0 to 65535 across the screen.
    const int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dx = MulDiv(at.x, 65535, width - 1);
    input.mi.dy = MulDiv(at.y, 65535, height - 1);
    input.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE | button;
    return SendInput(1, &input, sizeof(INPUT)) == 1;
  }

  // The left button pressed at one screen point and released at another (xdotool's click does
  // both in one place). False when the input was refused, or when a press on the grid did not
  // make it hold the mouse, as it must to see the release wherever it happens.
  bool PressAndRelease(POINT press, POINT release) {
    RECT grid;
    GetWindowRect(Grid_, &grid);
    if (!SendMouse(press, MOUSEEVENTF_LEFTDOWN)) return false;
    const bool held = !PtInRect(&grid, press) || WaitFor([&] { return MouseHolder() == Grid_; }, 3000);
    return SendMouse(release, MOUSEEVENTF_LEFTUP) && held;
  }

  // A checkbox ticks only when the button is pressed and released over it. The rows in view
  // after the wheel: the last one ticked, the two above it not. The input is handled in order:
  // once a click on the last row's checkbox has unticked it, what came before was handled too.
  void ClickOnlyWherePressed() {
    const int last = kThreats, above = kThreats - 1, twoAbove = kThreats - 2;
    const std::vector<TGridRow> rows = Rows();
    if (rows.size() != kThreats || !rows[twoAbove - 1].CheckBoxOnScreen || !rows[above - 1].CheckBoxOnScreen ||
        !rows[last - 1].CheckBoxOnScreen)
      return Expect(false, "the last three rows are in view");
    const POINT box = *rows[twoAbove - 1].CheckBoxOnScreen, nextBox = *rows[above - 1].CheckBoxOnScreen,
                lastBox = *rows[last - 1].CheckBoxOnScreen;
    const POINT object{box.x + 100, box.y};
    RECT grid;
    GetWindowRect(Grid_, &grid);
    const POINT besideTheGrid{grid.left - 20, box.y};  // on the main window
    const struct {
      const char* What;
      POINT Press, Release;
    } cases[] = {
        {"released on another cell of the row", box, object},
        {"released on another row's checkbox", box, nextBox},
        {"released outside the grid", box, besideTheGrid},
        {"pressed outside the grid, released on a checkbox", besideTheGrid, box},
    };
    for (const auto& c : cases) {
      const std::string what = std::string("pressed and released with the real mouse, ") + c.What;
      Expect(PressAndRelease(c.Press, c.Release), what + ": the input goes in, a press on the grid takes the mouse");
      Expect(PressAndRelease(lastBox, lastBox) && Becomes(last, TGridCheck::Unticked),
             what + ": then pressed and released on the last row's checkbox, which unticks");
      const std::vector<TGridRow> after = Rows();
      Expect(after.size() == kThreats && after[twoAbove - 1].Check == TGridCheck::Unticked &&
                 after[above - 1].Check == TGridCheck::Unticked,
             what + ": nothing ticked");
      Expect(PressAndRelease(lastBox, lastBox) && Becomes(last, TGridCheck::Ticked),
             what + ": the last row's checkbox ticks again");
    }
  }

  HWND RemovalButton() {
    for (HWND child : Descendants(Main_)) {
      RECT r;
      GetWindowRect(child, &r);
      if (ClassOf(child) == "Button" && r.right - r.left == 43 && r.bottom - r.top == 49) return child;
    }
    return nullptr;
  }

  // Clicks the removal button for real; returns the text of the box that follows, once closed.
  std::string PressRemoval(const char* caption) {
    HWND button = RemovalButton();
    if (button == nullptr) return "(no removal button)";
    RECT r;
    GetWindowRect(button, &r);
    // Under Wine a click that follows the closing of a box too closely can be lost while the
    // X focus comes back to the main window: the click is repeated (the box, once shown, is
    // modal, so a repeat never presses the button twice).
    WaitFor([&] { return GetForegroundWindow() == Main_; }, 10000);
    HWND box = nullptr;
    for (int attempt = 0; attempt < 3 && box == nullptr; ++attempt) {
      if (!RealClick({(r.left + r.right) / 2, (r.top + r.bottom) / 2})) return "(click failed)";
      box = WaitForTopWindow("#32770", caption, 10000);
    }
    if (box == nullptr) return "(no box)";
    const std::string text = MessageBoxText(box);
    Press(Find(box, "OK"));
    WaitFor([&] { return !IsWindow(box) && IsWindowEnabled(Main_); }, 10000);
    return text;
  }

  // Row 3's file is held open: its removal fails, the others go.
  void RemoveWithOneLocked() {
    HANDLE locked = CreateFileW(Threat(3).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    const std::string text = PressRemoval("Informations");
    CloseHandle(locked);
    Expect(text == kSomeFailed, "one failure: the box says some items stay ticked (\"" + text + "\")");
    const std::vector<TGridRow> rows = Rows();
    if (rows.size() != kThreats) return Expect(false, "the grid still answers");
    Expect(rows[0].LooksRemoved() && rows[1].LooksRemoved() && rows[kThreats - 1].LooksRemoved(),
           "removed rows: object struck out, red Arial \"SUPPRIME\", no checkbox");
    Expect(rows[2].Check == TGridCheck::Ticked && rows[2].Cells[3].Text == "supprimer" && rows[2].Cells[1].Style == 0,
           "the row whose file is held open stays ticked and unchanged");
    bool untickedKept = true;
    for (int n = 4; n < kThreats; ++n)
      untickedKept = untickedKept && rows[n - 1].Check == TGridCheck::Unticked && fs::exists(Threat(n));
    Expect(untickedKept, "unticked rows and their files are left alone");
    Expect(!fs::exists(Threat(1)) && !fs::exists(Threat(kThreats)),
           "the ticked infected files are deleted, the one named in several scripts included");
    Expect(!fs::exists(ServerFile()) && !KeyExists(ClassKey()), "the spyware's server file and class key are gone");
    Expect(fs::exists(Threat(3)), "the file held open is still there");
  }

  void RemoveTheLockedOneNow() {
    const std::string text = PressRemoval("Informations");
    Expect(text == kRemoved, "once released, it goes: \"" + text + "\"");
    Expect(!fs::exists(Threat(3)) && Rows().size() == kThreats && Rows()[2].LooksRemoved(), "row 3 now looks removed");
  }

  void NothingLeftTicked() {
    const std::string text = PressRemoval("Sélection vide");
    Expect(text == kNoSelection, "with nothing ticked the \"Sélection vide\" box shows its two sentences");
  }

  void Close(TProgram& program) {
    PostMessageW(Main_, WM_CLOSE, 0, 0);
    if (HWND notice = WaitForTopWindow(nullptr, kNoticeCaption, 15000)) PostMessageW(notice, WM_CLOSE, 0, 0);
    Expect(program.WaitForExit(15000), "the program ends");
  }

  TChecks Checks_;
  std::string Exe_;
  fs::path Scratch_;
  HWND Main_ = nullptr, Grid_ = nullptr;
};

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: qrx_grid_driver <Quorvex_rows.exe> <scratch folder>\n");
    return 2;
  }
  return TDriver(argv[1], ToWindowsPath(argv[2])).Run();
}
