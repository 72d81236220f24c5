// Drives the real Quorvex.exe from outside, as a user would: finds its windows by their
// captions, presses its buttons, reads its message boxes, closes it. With --screenshots it
// also captures each window into BMP files.
//
// Usage: qrx_gui_driver <Quorvex.exe> [--screenshots <folder>]
// Prints one line per check ("ok - ..." or "not ok - ...") and exits with 1 when a check failed.
#include <windows.h>

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace {

const char kMainCaption[] = "Quorvex v1.5.0";
const char kNoticeCaption[] = "Mise à jour";
int Failures = 0;

void Check(bool passed, const std::string& what) {
  std::printf("%s - %s\n", passed ? "ok" : "not ok", what.c_str());
  std::fflush(stdout);
  if (!passed) ++Failures;
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
  char text[512] = "";
  // WM_GETTEXT reaches the other process's window; GetWindowText would not for controls.
  SendMessageTimeoutA(window, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 2000,
                      nullptr);
  return text;
}

std::string ClassOf(HWND window) {
  char name[64] = "";
  GetClassNameA(window, name, sizeof name);
  return name;
}

BOOL CALLBACK Collect(HWND child, LPARAM list) {
  reinterpret_cast<std::vector<HWND>*>(list)->push_back(child);
  return TRUE;
}

std::vector<HWND> Descendants(HWND parent) {
  std::vector<HWND> found;
  EnumChildWindows(parent, &Collect, reinterpret_cast<LPARAM>(&found));
  return found;
}

// The descendants of `parent` whose text is `text`, in creation order.
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

HWND WaitForTopWindow(const char* className, const char* caption, DWORD timeoutMs) {
  HWND window = nullptr;
  WaitFor([&] { return (window = FindWindowA(className, caption)) != nullptr && IsWindowVisible(window); }, timeoutMs);
  return window;
}

void Press(HWND button) { PostMessageA(button, BM_CLICK, 0, 0); }
void ClickLink(HWND link) { PostMessageA(link, WM_LBUTTONUP, 0, MAKELPARAM(2, 2)); }

// The text of a message box: its static control that has text.
std::string MessageBoxText(HWND box) {
  for (HWND child : Descendants(box))
    if (ClassOf(child) == "Static" && !TextOf(child).empty()) return TextOf(child);
  return "";
}

std::string ToWindowsPath(std::string path) {
  if (path.empty() || path[0] != '/') return path;
  for (char& c : path)
    if (c == '/') c = '\\';
  return "Z:" + path;
}

// Writes what the screen shows of `window` (frame included) as a 24-bit BMP.
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

class TDriver {
 public:
  TDriver(std::string exe, std::string shots) : Exe_(ToWindowsPath(std::move(exe))), Shots_(std::move(shots)) {}

  int Run() {
    if (!Start()) return 1;
    CheckMainWindow();
    if (!Shots_.empty()) CaptureOptionPages();
    ScanToTheEnd();
    CloseAndSeeTheNotice();
    CloseHandle(Process_.hThread);
    CloseHandle(Process_.hProcess);
    std::printf("%d passed, %d failed\n", Passed_ - Failures, Failures);
    return Failures == 0 ? 0 : 1;
  }

 private:
  void Expect(bool passed, const std::string& what) {
    ++Passed_;
    Check(passed, what);
  }

  bool Start() {
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    std::string command = "\"" + Exe_ + "\"";
    const bool started =
        CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &Process_);
    Expect(started, "Quorvex.exe starts: " + Exe_);
    if (!started) return false;
    Main_ = WaitForTopWindow(nullptr, kMainCaption, 30000);
    Expect(Main_ != nullptr, "the main window appears with the caption \"Quorvex v1.5.0\"");
    return Main_ != nullptr;
  }

  void CheckMainWindow() {
    RECT client;
    GetClientRect(Main_, &client);
    Expect(client.right == 606 && client.bottom == 558,
           "client area is 606 x 558 (" + std::to_string(client.right) + " x " + std::to_string(client.bottom) + ")");
    Go_ = Find(Main_, "&Analyser !");
    Stop_ = Find(Main_, "&Arrêter");
    Expect(Go_ != nullptr && IsWindowVisible(Go_), "\"&Analyser !\" is shown");
    Expect(Stop_ != nullptr && !IsWindowVisible(Stop_), "\"&Arrêter\" is hidden");
    for (const char* text : {"Quorvex détecte et supprime les virus et spywares.", "Analyse antivirus",
                             "Analyse antispyware", "Elements infectés détectés", "&Fermer", "Web"})
      Expect(Find(Main_, text) != nullptr, std::string("the window shows \"") + text + "\"");
    if (!Shots_.empty()) Expect(Capture(Main_, Shots_ + "\\main-window.bmp"), "main window captured");
  }

  void CaptureOptionPages() {
    std::vector<HWND> links = ByText(Main_, "Configuration");
    Expect(links.size() == 2, "two \"Configuration\" links");
    if (links.size() != 2) return;
    const char* names[] = {"antivirus-options", "antispyware-options"};
    const char* titles[] = {"Configuration de l'analyse antivirus", "Configuration de l'analyse antispyware"};
    for (int page = 0; page < 2; ++page) {
      ClickLink(links[page]);
      HWND title = Find(Main_, titles[page]);
      Expect(WaitFor([&] { return title != nullptr && IsWindowVisible(title); }, 15000),
             std::string("the link opens the page \"") + titles[page] + "\"");
      Expect(Capture(Main_, Shots_ + "\\" + names[page] + ".bmp"), std::string(names[page]) + " captured");
      for (HWND cancel : ByText(Main_, "&Annuler"))
        if (IsWindowVisible(cancel)) Press(cancel);
      Expect(WaitFor([&] { return !IsWindowVisible(title); }, 15000), "\"&Annuler\" returns to the results page");
    }
  }

  void ScanToTheEnd() {
    Press(Go_);
    HWND box = WaitForTopWindow("#32770", "Informations", 30000);
    Expect(box != nullptr, "pressing \"&Analyser !\" ends with an \"Informations\" box");
    if (box == nullptr) return;
    Expect(MessageBoxText(box) == "Analyse terminée", "the box says \"Analyse terminée\" (\"" + MessageBoxText(box) + "\")");
    Expect(IsWindowVisible(Stop_) && !IsWindowVisible(Go_), "during the box \"&Arrêter\" is shown");
    Press(Find(box, "OK"));
    Expect(WaitFor([&] { return !IsWindow(box); }, 15000), "OK closes the box");
    Expect(IsWindowVisible(Stop_), "after the scan \"&Arrêter\" stays until pressed");
    Press(Stop_);
    Expect(WaitFor([&] { return IsWindowVisible(Go_); }, 15000), "\"&Arrêter\" brings \"&Analyser !\" back");
    Sleep(300);
    Expect(FindWindowA("#32770", "Informations") == nullptr, "stopping a finished scan shows no second message");
  }

  void CloseAndSeeTheNotice() {
    PostMessageA(Main_, WM_CLOSE, 0, 0);
    HWND notice = WaitForTopWindow(nullptr, kNoticeCaption, 15000);
    Expect(notice != nullptr, "closing the window shows the update notice \"Mise à jour\"");
    if (notice != nullptr) {
      RECT client;
      GetClientRect(notice, &client);
      Expect(client.right == 418 && client.bottom == 208, "the notice's client area is 418 x 208");
      for (const char* text : {"Mise à jour disponible", "Une mise à jour de Quorvex est disponible.",
                               "Télécharger la mise à jour", "&OK"})
        Expect(Find(notice, text) != nullptr, std::string("the notice shows \"") + text + "\"");
      if (!Shots_.empty()) Expect(Capture(notice, Shots_ + "\\update-notice.bmp"), "update notice captured");
      PostMessageA(notice, WM_CLOSE, 0, 0);  // the close box: opens nothing
    }
    const bool ended = WaitForSingleObject(Process_.hProcess, 15000) == WAIT_OBJECT_0;
    Expect(ended, "the program ends once the notice is closed");
    DWORD code = 1;
    GetExitCodeProcess(Process_.hProcess, &code);
    Expect(ended && code == 0, "exit code 0");
    if (!ended) TerminateProcess(Process_.hProcess, 1);
  }

  std::string Exe_, Shots_;
  PROCESS_INFORMATION Process_{};
  HWND Main_ = nullptr, Go_ = nullptr, Stop_ = nullptr;
  int Passed_ = 0;
};

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2 && !(argc == 4 && std::string(argv[2]) == "--screenshots")) {
    std::fprintf(stderr, "usage: qrx_gui_driver <Quorvex.exe> [--screenshots <folder>]\n");
    return 2;
  }
  return TDriver(argv[1], argc == 4 ? ToWindowsPath(argv[3]) : "").Run();
}
