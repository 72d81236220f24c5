// Texts in any script reach the screen as they were given: file names in Cyrillic, in CJK or
// with an emoji show exactly in the status lines and in a message box, as the system reads
// them back.
#include <ostream>
#include <string>

#include "app_test_support.h"

namespace {

// One text twice: as the program holds it (UTF-8), and as the system must show it (UTF-16,
// written by the compiler, so that the check does not lean on the program's own conversion).
struct TScriptCase {
  const char* Utf8;
  const wchar_t* Utf16;
};

// A failing case names its text.
void PrintTo(const TScriptCase& c, std::ostream* out) { *out << c.Utf8; }

const TScriptCase kScriptCases[] = {
    {"C:\\données\\вирус\\病毒😀.com", L"C:\\données\\вирус\\病毒😀.com"},
    {"Analyse du fichier C:\\Users\\Zoë\\Документы\\報告書 ①.exe", L"Analyse du fichier C:\\Users\\Zoë\\Документы\\報告書 ①.exe"},
    // Outside the basic plane: a surrogate pair in UTF-16, four bytes in UTF-8, alone.
    {"😀", L"😀"},
};

// A worker that hands one status text over to its status line, then ends.
class TOneStatusWorker : public TWorkerThread {
 public:
  TOneStatusWorker(TScanRequest request, std::string text) : Request_(std::move(request)), Text_(std::move(text)) {}

 protected:
  void Execute() override {
    Synchronize([this] { Request_.Targets.ShowStatusText(Text_); });
  }

 private:
  TScanRequest Request_;
  std::string Text_;
};

class TOneStatusFactory : public TScanWorkerFactory {
 public:
  explicit TOneStatusFactory(std::string text) : Text_(std::move(text)) {}
  std::unique_ptr<TWorkerThread> CreateScanVirus(TScanRequest request) override {
    return std::make_unique<TOneStatusWorker>(std::move(request), Text_);
  }
  std::unique_ptr<TWorkerThread> CreateScanSpyware(TScanRequest request) override {
    return std::make_unique<TOneStatusWorker>(std::move(request), Text_);
  }

 private:
  std::string Text_;
};

class StatusLineScriptTest : public MainWindowTest, public ::testing::WithParamInterface<TScriptCase> {};

TEST_P(StatusLineScriptTest, BothStatusLinesShowTheTextAsGiven) {
  TOneStatusFactory workers(GetParam().Utf8);
  Open(workers);
  Form->buttonGo->Click();
  ASSERT_TRUE(WaitForBoxes(1));  // both workers have ended
  for (const TLabel* line : {Form->VFichierCourant.get(), Form->SElementCourant.get()}) {
    EXPECT_EQ(GetParam().Utf16, WindowTextOf(line->Handle()));
    EXPECT_EQ(GetParam().Utf8, line->Text());
  }
}

INSTANTIATE_TEST_SUITE_P(Names, StatusLineScriptTest, ::testing::ValuesIn(kScriptCases));

// The system's own message box, as the program shows it through its services: read and closed
// while it is up, from a timer of the thread that waits in it.
class MessageBoxScriptTest : public ::testing::TestWithParam<TScriptCase> {
 protected:
  static inline std::wstring SeenCaption, SeenText;
  static inline bool Closed = false;

  static BOOL CALLBACK FindBox(HWND window, LPARAM found) {
    wchar_t name[16] = L"";
    GetClassNameW(window, name, 16);
    if (std::wstring(name) != L"#32770") return TRUE;
    *reinterpret_cast<HWND*>(found) = window;
    return FALSE;
  }

  // The box's text is its static control that has text (the icon's has none).
  static std::wstring BoxText(HWND box) {
    for (HWND child = GetWindow(box, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
      wchar_t name[16] = L"";
      GetClassNameW(child, name, 16);
      if (std::wstring(name) == L"Static" && GetWindowTextLengthW(child) > 0) return WindowTextOf(child);
    }
    return L"";
  }

  static void CALLBACK ReadAndCloseTheBox(HWND, UINT, UINT_PTR, DWORD) {
    HWND box = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), &FindBox, reinterpret_cast<LPARAM>(&box));
    if (box == nullptr || Closed) return;
    SeenCaption = WindowTextOf(box);
    SeenText = BoxText(box);
    Closed = true;
    PostMessageW(box, WM_COMMAND, IDOK, 0);
  }
};

TEST_P(MessageBoxScriptTest, CaptionAndTextShowAsGiven) {
  SeenCaption.clear();
  SeenText.clear();
  Closed = false;
  TSystemServices system;
  UINT_PTR timer = SetTimer(nullptr, 0, 30, &ReadAndCloseTheBox);
  std::string text = "Impossible de supprimer ";
  text += GetParam().Utf8;
  const int pressed = system.ShowMessage(nullptr, text, GetParam().Utf8, MB_OK | MB_ICONWARNING);
  KillTimer(nullptr, timer);
  EXPECT_EQ(IDOK, pressed);
  EXPECT_EQ(GetParam().Utf16, SeenCaption);
  EXPECT_EQ(std::wstring(L"Impossible de supprimer ") + GetParam().Utf16, SeenText);
}

INSTANTIATE_TEST_SUITE_P(Names, MessageBoxScriptTest, ::testing::ValuesIn(kScriptCases));

}  // namespace
