// Drives the real Quorvex.exe from outside, as a user would: finds its windows by their
// captions, presses its buttons, reads its message boxes, closes it. With --screenshots it
// also captures each window into BMP files.
//
// Usage: qrx_gui_driver <Quorvex.exe> [--screenshots <folder>]
// Prints one line per check ("ok - ..." or "not ok - ...") and exits with 1 when a check failed.
#include <cstdio>

#include "driver_support.h"

namespace {

class TDriver {
 public:
  TDriver(const std::string& exe, std::string shots) : Program_(exe), Shots_(std::move(shots)) {}

  int Run() {
    if (Start()) {
      CheckMainWindow();
      if (!Shots_.empty()) CaptureOptionPages();
      ScanToTheEnd();
      CloseAndSeeTheNotice();
    }
    return Checks_.Finish();
  }

 private:
  void Expect(bool passed, const std::string& what) { Checks_.Expect(passed, what); }

  bool Start() {
    Expect(Program_.Started(), "Quorvex.exe starts");
    if (!Program_.Started()) return false;
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
    HWND box = WaitForTopWindow("#32770", "Informations", 180000);
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
    Expect(FindTopWindow("#32770", "Informations") == nullptr, "stopping a finished scan shows no second message");
  }

  void CloseAndSeeTheNotice() {
    PostMessageW(Main_, WM_CLOSE, 0, 0);
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
      PostMessageW(notice, WM_CLOSE, 0, 0);  // the close box: opens nothing
    }
    const bool ended = Program_.WaitForExit(15000);
    Expect(ended, "the program ends once the notice is closed");
    Expect(ended && Program_.ExitCode() == 0, "exit code 0");
  }

  TChecks Checks_;
  TProgram Program_;
  std::string Shots_;
  HWND Main_ = nullptr, Go_ = nullptr, Stop_ = nullptr;
};

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2 && !(argc == 4 && std::string(argv[2]) == "--screenshots")) {
    std::fprintf(stderr, "usage: qrx_gui_driver <Quorvex.exe> [--screenshots <folder>]\n");
    return 2;
  }
  return TDriver(argv[1], argc == 4 ? ToWindowsPath(argv[3]) : "").Run();
}
