#include "driver_support.h"

#include <cstdio>
#include <cstdlib>
#include <iterator>

#include "GridProtocol.h"
#include "WideText.h"

void TChecks::Expect(bool passed, const std::string& what) {
  std::printf("%s - %s\n", passed ? "ok" : "not ok", what.c_str());
  std::fflush(stdout);
  ++(passed ? Passed_ : Failed_);
}

int TChecks::Finish() {
  std::printf("%d passed, %d failed\n", Passed_, Failed_);
  return Failed_ == 0 ? 0 : 1;
}

bool WaitFor(const std::function<bool()>& condition, DWORD timeoutMs) {
  const DWORD start = GetTickCount();
  while (!condition()) {
    if (GetTickCount() - start > timeoutMs) return false;
    Sleep(20);
  }
  return true;
}

std::string TextOf(HWND window) {
  wchar_t text[512] = L"";
  // WM_GETTEXT reaches the other process's window; GetWindowText would not for controls.
  SendMessageTimeoutW(window, WM_GETTEXT, std::size(text), reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 2000,
                      nullptr);
  return QrxPlatform::Utf8(text);
}

std::string ClassOf(HWND window) {
  wchar_t name[64] = L"";
  GetClassNameW(window, name, std::size(name));
  return QrxPlatform::Utf8(name);
}

namespace {
BOOL CALLBACK Collect(HWND child, LPARAM list) {
  reinterpret_cast<std::vector<HWND>*>(list)->push_back(child);
  return TRUE;
}
}  // namespace

std::vector<HWND> Descendants(HWND parent) {
  std::vector<HWND> found;
  EnumChildWindows(parent, &Collect, reinterpret_cast<LPARAM>(&found));
  return found;
}

std::vector<HWND> ByText(HWND parent, const std::string& text) {
  std::vector<HWND> found;
  for (HWND child : Descendants(parent))
    if (TextOf(child) == text) found.push_back(child);
  return found;
}

HWND Find(HWND parent, const std::string& text) {
  std::vector<HWND> found = ByText(parent, text);
  return found.empty() ? nullptr : found.front();
}

HWND FindTopWindow(const char* className, const char* caption) {
  const std::wstring wideClass = className != nullptr ? QrxPlatform::Wide(className) : L"";
  const std::wstring wideCaption = caption != nullptr ? QrxPlatform::Wide(caption) : L"";
  return FindWindowW(className != nullptr ? wideClass.c_str() : nullptr,
                     caption != nullptr ? wideCaption.c_str() : nullptr);
}

HWND WaitForTopWindow(const char* className, const char* caption, DWORD timeoutMs) {
  HWND window = nullptr;
  WaitFor([&] { return (window = FindTopWindow(className, caption)) != nullptr && IsWindowVisible(window); },
          timeoutMs);
  return window;
}

void Press(HWND button) { PostMessageW(button, BM_CLICK, 0, 0); }
// A click is a press and a release on the control.
void ClickLink(HWND link) {
  PostMessageW(link, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
  PostMessageW(link, WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
}

std::string MessageBoxText(HWND box) {
  for (HWND child : Descendants(box))
    if (ClassOf(child) == "Static" && !TextOf(child).empty()) return TextOf(child);
  return "";
}

std::string ToWindowsPath(std::string path) {
  if (path.empty() || path[0] != '/') return path;
  for (char& c : path)
    if (c == '/') c = '\\';
  path.insert(0, "Z:");
  return path;
}

bool Capture(HWND window, const std::string& file) {
  RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW | RDW_FRAME);
  Sleep(300);
  RECT r;
  GetWindowRect(window, &r);
  const int width = r.right - r.left, height = r.bottom - r.top;
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  BITMAPINFO info{};
  info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, height, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ previous = SelectObject(memory, bitmap);
  BitBlt(memory, 0, 0, width, height, screen, r.left, r.top, SRCCOPY);
  SelectObject(memory, previous);
  const DWORD rowBytes = (width * 3 + 3) & ~3u, imageBytes = rowBytes * height;
  BITMAPFILEHEADER header{0x4D42, static_cast<DWORD>(sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER) + imageBytes),
                          0, 0, sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER)};
  bool written = false;
  if (FILE* out = std::fopen(file.c_str(), "wb")) {
    written = std::fwrite(&header, sizeof header, 1, out) == 1 &&
              std::fwrite(&info.bmiHeader, sizeof info.bmiHeader, 1, out) == 1 &&
              std::fwrite(bits, imageBytes, 1, out) == 1;
    std::fclose(out);
  }
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  return written;
}

namespace {

bool RunXdotool(const std::string& arguments) {
  std::wstring command = QrxPlatform::Wide("start.exe /wait /unix /usr/bin/xdotool " + arguments);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr, &startup,
                      &process))
    return false;
  const bool ended = WaitForSingleObject(process.hProcess, 10000) == WAIT_OBJECT_0;
  DWORD code = 1;
  GetExitCodeProcess(process.hProcess, &code);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  // Let Wine deliver the input to the window before the caller looks at its effect.
  Sleep(200);
  return ended && code == 0;
}

// Through a point beside the target first, so that the window under the pointer sees it come in
// even when the pointer already stood on the target.
std::string MoveTo(POINT at) {
  return "mousemove --sync " + std::to_string(at.x + 5) + " " + std::to_string(at.y + 5) + " sleep 0.1 mousemove --sync " +
         std::to_string(at.x) + " " + std::to_string(at.y) + " sleep 0.1";
}

}  // namespace

bool RealClick(POINT at) { return RunXdotool(MoveTo(at) + " click 1"); }

bool RealWheel(POINT at, int notches) {
  const int button = notches > 0 ? 5 : 4;  // X's wheel buttons: 4 up, 5 down
  return RunXdotool(MoveTo(at) + " click --repeat " + std::to_string(notches > 0 ? notches : -notches) + " " +
                    std::to_string(button));
}

HWND FindGrid(HWND main) {
  for (HWND child : Descendants(main))
    if (ClassOf(child) == kGridClassName) return child;
  return nullptr;
}

bool TGridRow::LooksRemoved() const {
  return Check == TGridCheck::None && Cells[1].Style == kFontStrikeOut && Cells[3].Text == "SUPPRIME" &&
         Cells[3].FontName == "Arial" && Cells[3].Colour == RGB(255, 0, 0);
}

namespace {

// The grid's answer arrives at a message-only window of ours while the read message is sent:
// its UTF-8 bytes as they came.
std::string GridAnswer;

LRESULT CALLBACK ReceiveGridAnswer(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_COPYDATA) {
    const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
    if (data->dwData == kGridReadTag) GridAnswer.assign(static_cast<const char*>(data->lpData), data->cbData);
    return TRUE;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

HWND GridReceiver() {
  static HWND receiver = [] {
    WNDCLASSW wc{};
    wc.lpfnWndProc = &ReceiveGridAnswer;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"QrxGridReader";
    RegisterClassW(&wc);
    return CreateWindowExW(0, wc.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
  }();
  return receiver;
}

std::vector<std::string> Split(const std::string& text, char end) {
  std::vector<std::string> parts;
  size_t start = 0;
  for (size_t at; (at = text.find(end, start)) != std::string::npos; start = at + 1)
    parts.push_back(text.substr(start, at - start));
  return parts;
}

TGridRow ParseGridRow(HWND grid, const std::vector<std::string>& fields) {
  TGridRow row;
  row.Check = fields[0] == "2" ? TGridCheck::Ticked : fields[0] == "1" ? TGridCheck::Unticked : TGridCheck::None;
  if (const size_t comma = fields[1].find(','); comma != std::string::npos) {
    POINT centre{std::atoi(fields[1].c_str()), std::atoi(fields[1].c_str() + comma + 1)};
    ClientToScreen(grid, &centre);
    row.CheckBoxOnScreen = centre;
  }
  for (size_t col = 0; col < row.Cells.size(); ++col) {
    const std::string* cell = &fields[2 + col * kGridCellFields];
    row.Cells[col] = {cell[0], cell[1], static_cast<COLORREF>(std::strtoul(cell[2].c_str(), nullptr, 10)),
                      static_cast<unsigned>(std::strtoul(cell[3].c_str(), nullptr, 10)), cell[4].empty() ? 'L' : cell[4][0]};
  }
  return row;
}

}  // namespace

std::vector<TGridRow> ReadGrid(HWND grid) {
  static const UINT readMessage = RegisterWindowMessageW(kGridReadMessage);
  GridAnswer.clear();
  DWORD_PTR answered = 0;
  if (!SendMessageTimeoutW(grid, readMessage, reinterpret_cast<WPARAM>(GridReceiver()), 0, SMTO_ABORTIFHUNG, 10000,
                           &answered) ||
      answered == 0)
    return {};
  std::vector<TGridRow> rows;
  const size_t fieldsPerRow = 2 + 4 * kGridCellFields;
  for (const std::string& record : Split(GridAnswer, kGridRecordEnd)) {
    const std::vector<std::string> fields = Split(record, kGridFieldEnd);
    if (fields.size() != fieldsPerRow) return {};
    rows.push_back(ParseGridRow(grid, fields));
  }
  return rows;
}

TProgram::TProgram(const std::string& exe, const std::string& arguments) {
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  std::string command = "\"";
  command += ToWindowsPath(exe);
  command += '"';
  if (!arguments.empty()) command += " " + arguments;
  std::wstring wideCommand = QrxPlatform::Wide(command);
  Started_ =
      CreateProcessW(nullptr, wideCommand.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &Process_);
}

TProgram::~TProgram() {
  if (!Started_) return;
  if (!WaitForExit(0)) TerminateProcess(Process_.hProcess, 1);
  CloseHandle(Process_.hThread);
  CloseHandle(Process_.hProcess);
}

bool TProgram::WaitForExit(DWORD timeoutMs) {
  return Started_ && WaitForSingleObject(Process_.hProcess, timeoutMs) == WAIT_OBJECT_0;
}

DWORD TProgram::ExitCode() const {
  DWORD code = STILL_ACTIVE;
  GetExitCodeProcess(Process_.hProcess, &code);
  return code;
}
