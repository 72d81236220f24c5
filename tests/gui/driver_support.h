#pragma once
// What the drivers of the real Quorvex.exe share: checks that print one line each, waiting,
// finding windows of another process by caption and text, pressing buttons, capturing.
// Texts are UTF-8 here, as in the program; they are read from the windows through the W
// functions.
#include <windows.h>

#include <array>
#include <functional>
#include <optional>
#include <string>
#include <vector>

inline constexpr char kMainCaption[] = "Quorvex v1.5.0";
inline constexpr char kNoticeCaption[] = "Mise à jour";

// Prints "ok - what" or "not ok - what"; counts the failures.
class TChecks {
 public:
  void Expect(bool passed, const std::string& what);
  // The closing line, and the exit code: 1 when a check failed.
  int Finish();

 private:
  int Passed_ = 0, Failed_ = 0;
};

bool WaitFor(const std::function<bool()>& condition, DWORD timeoutMs);
std::string TextOf(HWND window);
std::string ClassOf(HWND window);
std::vector<HWND> Descendants(HWND parent);
// The descendants of `parent` whose text is `text`, in creation order.
std::vector<HWND> ByText(HWND parent, const std::string& text);
HWND Find(HWND parent, const std::string& text);
// A top-level window by class name and caption, either of which may be nullptr (any).
HWND FindTopWindow(const char* className, const char* caption);
HWND WaitForTopWindow(const char* className, const char* caption, DWORD timeoutMs);
void Press(HWND button);
void ClickLink(HWND link);
// The text of a message box: its static control that has text.
std::string MessageBoxText(HWND box);
// A Unix path as Wine sees it (Z: is /); a Windows path as it is.
std::string ToWindowsPath(std::string path);
// Writes what the screen shows of `window` (frame included) as a 24-bit BMP.
bool Capture(HWND window, const std::string& file);

// Real input on the X display through xdotool (run from Wine with start /unix): the mouse moves
// to the screen point (the virtual desktop sits at the screen's top-left) and clicks, or turns
// the wheel by `notches` (positive: towards the user, scrolling down). False when xdotool did
// not run.
bool RealClick(POINT at);
bool RealWheel(POINT at, int notches);

// One data row of the results grid as another process reads it (widgets/GridProtocol.h).
enum class TGridCheck { None, Unticked, Ticked };
struct TGridCellLook {
  std::string Text;
  std::string FontName;  // "" for the grid's own font
  COLORREF Colour = 0;
  unsigned Style = 0;  // TFontStyle bits
  char Alignment = 'L';
};
struct TGridRow {
  TGridCheck Check = TGridCheck::None;
  // The checkbox's centre on the screen, when the row is in view.
  std::optional<POINT> CheckBoxOnScreen;
  std::array<TGridCellLook, 4> Cells;
  // The look of a removed threat: the object struck out (and nothing else), "SUPPRIME" in
  // red Arial, no checkbox.
  bool LooksRemoved() const;
};
// The results grid among the descendants of the main window.
HWND FindGrid(HWND main);
// Every data row of the grid (empty ones included); empty when the grid did not answer.
std::vector<TGridRow> ReadGrid(HWND grid);

// Quorvex.exe started from a path, with the process's handles.
class TProgram {
 public:
  // `arguments` follow the quoted path of the program on its command line.
  explicit TProgram(const std::string& exe, const std::string& arguments = "");
  ~TProgram();
  bool Started() const { return Started_; }
  // Waits for the program to end; false when it is still running after `timeoutMs`.
  bool WaitForExit(DWORD timeoutMs);
  DWORD ExitCode() const;

 private:
  PROCESS_INFORMATION Process_{};
  bool Started_ = false;
};
