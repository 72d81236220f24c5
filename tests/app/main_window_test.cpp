// The main window's logic, in-process: states, buttons, messages, options, update notice.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <stdexcept>
#include <utility>

#include "Hints.h"
#include "app_test_support.h"
#include "qrx_MiseAjourDlg.h"
#include "qrx_application.h"
#include "qrx_main.h"
#include "qrx_weblinks.h"
#include "tn_dll_sscan_header.h"

namespace {

const char kFinished[] = "Analyse terminée";
const char kInterrupted[] = "Analyse interrompue par l'utilisateur.";

TEST_F(MainWindowTest, OpensIdleWithItsDefaults) {
  Open();
  RECT client;
  GetClientRect(Form->Handle(), &client);
  EXPECT_EQ(606, client.right);
  EXPECT_EQ(558, client.bottom);
  EXPECT_EQ(kMainCaption, Form->Text());
  // The task bar button is the application window's, named by the application title.
  HWND owner = GetWindow(Form->Handle(), GW_OWNER);
  EXPECT_EQ(Application.Window(), owner);
  EXPECT_EQ(L"Quorvex", WindowTextOf(owner));
  EXPECT_TRUE(IsWindowVisible(owner));
  EXPECT_EQ(TFormQuorvex::TState::Idle, Form->State());
  EXPECT_TRUE(Form->buttonGo->Visible());
  EXPECT_FALSE(Form->buttonArreter->Visible());
  EXPECT_EQ(Form->xpTabSheet1.get(), Form->xpPageControl2->ActivePage());
  EXPECT_TRUE(Form->RadioAnalyseRapide->Checked());
  EXPECT_TRUE(Form->RadioChoisir->Checked());
  EXPECT_TRUE(Form->RadioRegistryAndFiles->Checked());
  EXPECT_TRUE(Form->RadioChoisirSpyware->Checked());
  EXPECT_FALSE(Form->RadioAnalyseComplete->Checked() || Form->RadioSupprimerVirus->Checked() ||
               Form->RadioRegistry->Checked() || Form->RadioSupprimerSpyware->Checked());
  EXPECT_EQ("", Form->VFichierCourant->Text());
  EXPECT_EQ("", Form->SElementCourant->Text());
  for (TMarqueeBar* bar : {Form->ProgressBar1.get(), Form->ProgressBar2.get()}) {
    EXPECT_FALSE(bar->Animated());
    EXPECT_EQ(0, bar->Position());
  }
  EXPECT_EQ(0, Form->ThreatCount);
  EXPECT_TRUE(Services.Boxes.empty());
  EXPECT_EQ("Un processeur Dual Core a été détecté dans votre ordinateur et sera utilisé pour optimiser l'analyse.",
            HintOf(Form->Label6->Handle()));
}

struct ProcessorCase {
  unsigned Processors;
  bool DualNotice;
};

class ProcessorNoticeTest : public MainWindowTest, public ::testing::WithParamInterface<ProcessorCase> {};

TEST_P(ProcessorNoticeTest, FollowsTheLogicalProcessorCount) {
  Services.Processors = GetParam().Processors;
  Open();
  const bool dual = GetParam().DualNotice;
  EXPECT_EQ(dual, Form->Label6->Visible());
  EXPECT_EQ(dual, Form->Led->Visible());
  EXPECT_EQ(dual, Form->Shape1.Visible());
  EXPECT_TRUE(Form->Shape2.Visible());
  const std::string start = "Afin d'optimiser au maximum la vitesse d'exécution, les analyses antivirus et antispyware "
                            "sont effectuées en parallèle";
  EXPECT_EQ(dual ? start + " sur les 2 Cores de votre processeur." : start + ".", Form->Label4->Text());
}

INSTANTIATE_TEST_SUITE_P(Counts, ProcessorNoticeTest,
                         ::testing::Values(ProcessorCase{1, false}, ProcessorCase{2, true}, ProcessorCase{8, true}));

struct OsCase {
  unsigned Major;
  bool Skinned;
};

class SkinTest : public MainWindowTest, public ::testing::WithParamInterface<OsCase> {};

TEST_P(SkinTest, LookIsOnBelowVersionSixOnly) {
  Services.OsMajor = GetParam().Major;
  Open();
  EXPECT_EQ(GetParam().Skinned, Form->Skinned);
  EXPECT_EQ(GetParam().Skinned, Form->buttonGo->Skinned());
  EXPECT_EQ(GetParam().Skinned, Form->Button2->Skinned());
  EXPECT_EQ(GetParam().Skinned ? BS_OWNERDRAW : BS_PUSHBUTTON,
            GetWindowLongW(Form->Button1->Handle(), GWL_STYLE) & BS_TYPEMASK);
}

INSTANTIATE_TEST_SUITE_P(Versions, SkinTest,
                         ::testing::Values(OsCase{5, true}, OsCase{6, false}, OsCase{10, false}));

TEST_F(MainWindowTest, ScanThatEndsByItselfShowsOneMessageAndWaitsForTheStopButton) {
  // The real engine with no signature: every file is scanned and clean, none left unscanned.
  ASSERT_TRUE(BindScanEngine());
  ASSERT_EQ(0, InitScan(nullptr, 0));
  TScanWorkerFactory realWorkers;
  Open(realWorkers);
  // The registry only: the antispyware file phase shows each system file for 25 ms.
  Form->RadioRegistry->Check();
  Form->buttonGo->Click();
  EXPECT_FALSE(Form->buttonGo->Visible());
  EXPECT_TRUE(Form->buttonArreter->Visible());
  ASSERT_TRUE(WaitForBoxes(1));
  PumpFor(100);
  ASSERT_EQ(1u, Services.Boxes.size());
  EXPECT_EQ(kFinished, Services.Boxes[0].Text);
  EXPECT_EQ("Informations", Services.Boxes[0].Caption);
  EXPECT_EQ(UINT(MB_OK | MB_ICONINFORMATION), Services.Boxes[0].Flags);
  EXPECT_EQ(TFormQuorvex::TState::Finished, Form->State());
  EXPECT_TRUE(Form->buttonArreter->Visible());
  EXPECT_EQ("L'analyse antivirus est terminée. Aucun fichier infecté n'a été détecté.", Form->VFichierCourant->Text());
  EXPECT_EQ("L'analyse antispyware est terminée. Aucun spyware détecté.", Form->SElementCourant->Text());
  EXPECT_EQ(0, Form->ProgressBar1->Position());
  EXPECT_EQ(0, Form->ProgressBar2->Position());

  Form->buttonArreter->Click();
  PumpFor(50);
  EXPECT_EQ(1u, Services.Boxes.size());
  EXPECT_EQ(TFormQuorvex::TState::Idle, Form->State());
  EXPECT_FALSE(Form->buttonArreter->Visible());
  ReleaseScanEngine();
}

TEST_F(MainWindowTest, StopWhileBothRunShowsTheInterruptionBeforeTheScanButtonReturns) {
  Open();
  Form->buttonGo->Click();
  ASSERT_TRUE(PumpUntil([&] { return Steered.LastVirus->Applied > 3 && Steered.LastSpyware->Applied > 3; }));
  EXPECT_EQ(TFormQuorvex::TState::Scanning, Form->State());
  EXPECT_TRUE(Form->ProgressBar1->Animated());
  bool scanButtonBackAtMessage = true;
  Services.OnBox = [&](const TRecordedBox&) { scanButtonBackAtMessage = Form->buttonGo->Visible(); };

  Form->buttonArreter->Click();

  ASSERT_EQ(1u, Services.Boxes.size());
  EXPECT_EQ(kInterrupted, Services.Boxes[0].Text);
  EXPECT_FALSE(scanButtonBackAtMessage);
  EXPECT_EQ(TFormQuorvex::TState::Idle, Form->State());
  EXPECT_FALSE(Form->ScanVirusThread);
  EXPECT_FALSE(Form->ScanSpywareThread);
  EXPECT_FALSE(Form->ProgressBar1->Animated() || Form->ProgressBar2->Animated());
  PumpFor(50);
  EXPECT_EQ(1u, Services.Boxes.size());
}

TEST_F(MainWindowTest, StopAfterOneWorkerEndedShowsOneInterruption) {
  Steered.VirusHandOvers = 2;
  Open();
  Form->buttonGo->Click();
  ASSERT_TRUE(PumpUntil([&] { return !Form->VirusRunning; }));
  EXPECT_TRUE(Form->SpywareRunning);
  EXPECT_FALSE(Form->ProgressBar1->Animated());
  EXPECT_TRUE(Form->ProgressBar2->Animated());
  EXPECT_TRUE(Services.Boxes.empty());

  Form->buttonArreter->Click();
  PumpFor(50);
  ASSERT_EQ(1u, Services.Boxes.size());
  EXPECT_EQ(kInterrupted, Services.Boxes[0].Text);
}

TEST_F(MainWindowTest, SecondScanStartsAfresh) {
  Steered.VirusHandOvers = 1;
  Steered.SpywareHandOvers = 1;
  Open();
  Form->buttonGo->Click();
  ASSERT_TRUE(WaitForBoxes(1));
  Form->ThreatCount = 3;
  Form->buttonArreter->Click();
  Form->buttonGo->Click();
  EXPECT_EQ(0, Form->ThreatCount);
  EXPECT_FALSE(Form->Interrupted);
  ASSERT_TRUE(WaitForBoxes(2));
  EXPECT_EQ(kFinished, Services.Boxes[1].Text);
  EXPECT_EQ(2u, Steered.VirusModes.size());
}

struct OptionCase {
  bool Complete, RemoveVirus, RegistryOnly, RemoveSpyware;
  const char* VirusMode;
  const char* SpywareMode;
};

class OptionsTest : public MainWindowTest, public ::testing::WithParamInterface<OptionCase> {};

// The choices are clicked on their pages, the page is left with "Annuler", and the scan gets them.
TEST_P(OptionsTest, ScanReceivesTheChoicesOfTheRadioButtons) {
  const OptionCase& c = GetParam();
  Open();
  ClickLink(*Form->URLConfigAntivirus);
  EXPECT_EQ(Form->xpTabSheet2.get(), Form->xpPageControl2->ActivePage());
  (c.Complete ? Form->RadioAnalyseComplete : Form->RadioAnalyseRapide)->Click();
  (c.RemoveVirus ? Form->RadioSupprimerVirus : Form->RadioChoisir)->Click();
  Form->Button3->Click();
  EXPECT_EQ(Form->xpTabSheet1.get(), Form->xpPageControl2->ActivePage());
  ClickLink(*Form->URLConfigAntispyware);
  EXPECT_EQ(Form->xpTabSheet3.get(), Form->xpPageControl2->ActivePage());
  (c.RegistryOnly ? Form->RadioRegistry : Form->RadioRegistryAndFiles)->Click();
  (c.RemoveSpyware ? Form->RadioSupprimerSpyware : Form->RadioChoisirSpyware)->Click();
  Form->Button6->Click();

  Form->buttonGo->Click();
  ASSERT_EQ(1u, Steered.VirusModes.size());
  EXPECT_EQ(c.VirusMode, Steered.VirusModes[0]);
  EXPECT_EQ(c.RemoveVirus, Steered.VirusRemoval[0]);
  EXPECT_EQ(c.SpywareMode, Steered.SpywareModes[0]);
  EXPECT_EQ(c.RemoveSpyware, Steered.SpywareRemoval[0]);
  Form->buttonArreter->Click();
}

INSTANTIATE_TEST_SUITE_P(Pairs, OptionsTest,
                         ::testing::Values(OptionCase{false, false, false, false, "RAPIDE", "REGISTRYANDFILES"},
                                           OptionCase{true, false, false, false, "COMPLET", "REGISTRYANDFILES"},
                                           OptionCase{false, true, true, false, "RAPIDE", "REGISTRY"},
                                           OptionCase{true, true, true, true, "COMPLET", "REGISTRY"}));

TEST_F(MainWindowTest, DefaultButtonsResetOnlyTheirOwnPage) {
  Open();
  Form->RadioAnalyseComplete->Click();
  Form->RadioSupprimerVirus->Click();
  Form->RadioRegistry->Click();
  Form->RadioSupprimerSpyware->Click();
  ClickLink(*Form->URLConfigAntispyware);

  Form->Button7->Click();
  EXPECT_EQ(Form->xpTabSheet3.get(), Form->xpPageControl2->ActivePage());
  EXPECT_TRUE(Form->RadioRegistryAndFiles->Checked());
  EXPECT_TRUE(Form->RadioChoisirSpyware->Checked());
  EXPECT_TRUE(Form->RadioAnalyseComplete->Checked());
  EXPECT_TRUE(Form->RadioSupprimerVirus->Checked());

  ClickLink(*Form->URLConfigAntivirus);
  Form->Button4->Click();
  EXPECT_EQ(Form->xpTabSheet2.get(), Form->xpPageControl2->ActivePage());
  EXPECT_TRUE(Form->RadioAnalyseRapide->Checked());
  EXPECT_TRUE(Form->RadioChoisir->Checked());
  Form->Button2->Click();
  EXPECT_EQ(Form->xpTabSheet1.get(), Form->xpPageControl2->ActivePage());
}

TEST_F(MainWindowTest, ScanButtonOnAnOptionsPageSwitchesToTheResults) {
  Open();
  ClickLink(*Form->URLConfigAntivirus);
  Form->buttonGo->Click();
  EXPECT_EQ(Form->xpTabSheet1.get(), Form->xpPageControl2->ActivePage());
  Form->buttonArreter->Click();
}

TEST_F(MainWindowTest, WebLinksOpenTheirPages) {
  Open();
  ClickLink(*Form->URLLabel1);
  ClickLink(*Form->Image3);
  ClickLink(*Form->Image2);  // the small web icon has no action
  ASSERT_EQ(2u, Services.OpenedPages.size());
  EXPECT_EQ(kProductPageAddress, Services.OpenedPages[0]);
  EXPECT_EQ(kMakerPageAddress, Services.OpenedPages[1]);
  EXPECT_EQ(std::vector<int>({SW_SHOW, SW_SHOW}), Services.ShowCommands);
}

// Only a press and a release on the same control open the page: a release alone, a press that
// began elsewhere, or a press that ends away from the control does nothing.
TEST_F(MainWindowTest, LinksOpenOnAPressAndAReleaseOnThemOnly) {
  Open();
  for (const TWindow* link : {static_cast<const TWindow*>(Form->URLLabel1.get()), static_cast<const TWindow*>(Form->Image3.get())}) {
    HWND h = link->Handle();
    SendMessageW(h, WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
    SendMessageW(Form->Label1->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
    SendMessageW(h, WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
    SendMessageW(h, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
    SendMessageW(h, WM_LBUTTONUP, 0, MAKELPARAM(-40, 300));
    EXPECT_TRUE(Services.OpenedPages.empty());
    SendMessageW(h, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
    SendMessageW(h, WM_LBUTTONUP, 0, MAKELPARAM(3, 3));
    EXPECT_EQ(1u, Services.OpenedPages.size());
    EXPECT_NE(h, GetCapture());
    Services.OpenedPages.clear();
  }
}

TEST_F(MainWindowTest, ErrorEscapingAHandlerGoesToTheErrorReport) {
  struct FailingServices : TRecordingServices {
    void ShellOpen(HWND, const std::string&, int) override { throw std::runtime_error("Accès refusé"); }
  } failing;
  Open();
  SetActiveWindow(Form->Handle());
  ClickLink(*Form->URLLabel1);
  ASSERT_EQ(1u, failing.Boxes.size());
  EXPECT_EQ("Accès refusé.", failing.Boxes[0].Text);
  EXPECT_EQ("Quorvex", failing.Boxes[0].Caption);
  EXPECT_EQ(UINT(MB_OK | MB_ICONERROR), failing.Boxes[0].Flags);
  // The box is modal to the window the user was in.
  EXPECT_EQ(Form->Handle(), failing.Boxes[0].Owner);
  EXPECT_TRUE(IsWindow(Form->Handle()));
}

// Not every error is a std::exception: none may unwind through the system's window code.
TEST_F(MainWindowTest, AnErrorOfAnyKindEscapingAHandlerGoesToTheErrorReport) {
  struct FailingServices : TRecordingServices {
    void ShellOpen(HWND, const std::string&, int) override { throw 42; }
  } failing;
  Open();
  ClickLink(*Form->URLLabel1);
  ASSERT_EQ(1u, failing.Boxes.size());
  EXPECT_EQ("Erreur inattendue.", failing.Boxes[0].Text);
  EXPECT_TRUE(IsWindow(Form->Handle()));
}

TEST_F(MainWindowTest, AnythingAHandedOverItemThrowsIsReportedOnTheUiThread) {
  Open();
  const std::pair<std::function<void()>, std::string> cases[] = {
      {[] { throw std::runtime_error("Disque plein"); }, "Disque plein."},
      {[] { throw 42; }, "Erreur inattendue."},
  };
  for (const auto& [raise, text] : cases) {
    SCOPED_TRACE(text);
    Services.Boxes.clear();
    EXPECT_EQ(1, SendMessageW(Application.HandOverWindow(), WM_APP, 0, reinterpret_cast<LPARAM>(&raise)))
        << "the item ran";
    ASSERT_EQ(1u, Services.Boxes.size());
    EXPECT_EQ(text, Services.Boxes[0].Text);
    EXPECT_EQ("Quorvex", Services.Boxes[0].Caption);
  }
}

TEST_F(MainWindowTest, ErrorInFormCreateIsReportedAndTheWindowStillOpens) {
  struct FailingServices : TRecordingServices {
    unsigned LogicalProcessorCount() override { throw std::runtime_error("'1G' n'est pas une valeur entière correcte"); }
  } failing;
  Open();
  ASSERT_EQ(1u, failing.Boxes.size());
  EXPECT_EQ("'1G' n'est pas une valeur entière correcte.", failing.Boxes[0].Text);
  EXPECT_TRUE(IsWindow(Form->Handle()));
  // FormCreate ended at the failing step: the later steps did not run.
  EXPECT_FALSE(Form->RadioAnalyseRapide->Checked());
  EXPECT_FALSE(Application.Terminated());
}

TEST_F(MainWindowTest, DataFilesAreLoadedLastInFormCreate) {
  bool defaultsInPlace = false;
  LoadDataFiles = [&] { defaultsInPlace = FormQuorvex->RadioChoisirSpyware->Checked() && FormQuorvex->buttonGo->Visible(); };
  Open();
  EXPECT_TRUE(defaultsInPlace);
}

TEST_F(MainWindowTest, LoaderErrorIsReportedAndTheWindowOpensWithoutEndingTheProgram) {
  LoadDataFiles = [] { throw std::runtime_error("'ZZ' n'est pas une valeur entière correcte"); };
  Open();
  ASSERT_EQ(1u, Services.Boxes.size());
  EXPECT_EQ("'ZZ' n'est pas une valeur entière correcte.", Services.Boxes[0].Text);
  EXPECT_EQ("Quorvex", Services.Boxes[0].Caption);
  EXPECT_TRUE(IsWindowVisible(Form->Handle()));
  EXPECT_FALSE(Application.Terminated());
}

TEST(ErrorReportText, AppendsAFullStopAfterCharactersAboveIt) {
  const std::pair<std::string, std::string> cases[] = {
      {"", ""},           {"Erreur", "Erreur."}, {"Fin.", "Fin."},     {"Quoi ?", "Quoi ?."},
      {"Stop!", "Stop!"}, {"(a)", "(a)"},       {"liste,", "liste,"}, {"2/3", "2/3."},
      {"vu -", "vu -"},   {"entière", "entière."}};
  for (const auto& [message, text] : cases) EXPECT_EQ(text, TApplication::ErrorReportText(message)) << message;
}

// Closing on `date` shows the update notice or not; the notice is closed by its close box.
struct CloseCase {
  TCalendarDate Date;
  bool Notice;
};

class UpdateNoticeDateTest : public MainWindowTest, public ::testing::WithParamInterface<CloseCase> {
 protected:
  static inline bool Shown = false;
  // Looks at the screen while the window closes: closes the notice if it is up.
  static void CALLBACK CloseNoticeIfShown(HWND, UINT, UINT_PTR, DWORD) {
    if (MiseAJourDlg != nullptr && MiseAJourDlg->Showing()) {
      Shown = true;
      SendMessageW(MiseAJourDlg->Handle(), WM_CLOSE, 0, 0);
    }
  }
};

TEST_P(UpdateNoticeDateTest, ShownOnlyAfterTheFirstOfApril2008) {
  Services.Today = GetParam().Date;
  Open();
  Shown = false;
  UINT_PTR timer = SetTimer(nullptr, 0, 30, &CloseNoticeIfShown);
  SendMessageW(Form->Handle(), WM_CLOSE, 0, 0);
  KillTimer(nullptr, timer);
  EXPECT_EQ(GetParam().Notice, Shown);
  EXPECT_FALSE(IsWindow(Form->Handle()));
  EXPECT_TRUE(Services.OpenedPages.empty());  // the close box opens nothing
}

INSTANTIATE_TEST_SUITE_P(Dates, UpdateNoticeDateTest,
                         ::testing::Values(CloseCase{{2008, 4, 1}, false}, CloseCase{{2008, 3, 31}, false},
                                           CloseCase{{2007, 12, 31}, false}, CloseCase{{2008, 4, 2}, true},
                                           CloseCase{{2008, 5, 1}, true}, CloseCase{{2026, 12, 10}, true}));

TEST_F(MainWindowTest, UpdateNoticeOpensTheDownloadPageOnce) {
  Open();
  EXPECT_FALSE(Notice->DownloadOpened);
  Notice->Button2Click();  // OK at once
  ASSERT_EQ(1u, Services.OpenedPages.size());
  EXPECT_EQ(kProductPageAddress, Services.OpenedPages[0]);

  ClickLink(*Notice->URLLabel2);
  EXPECT_TRUE(Notice->DownloadOpened);
  ClickLink(*Notice->URLLabel2);
  Notice->Button2->Click();  // after the link, OK opens nothing more
  EXPECT_EQ(3u, Services.OpenedPages.size());
  EXPECT_FALSE(Notice->Showing());
}

TEST_F(MainWindowTest, ClosingDuringAScanLeavesNoWorkerAtTheWindow) {
  Services.Today = {2008, 1, 1};
  Open();
  Form->buttonGo->Click();
  ASSERT_TRUE(PumpUntil([&] { return Steered.LastVirus->Applied > 2 && Steered.LastSpyware->Applied > 2; }));

  const DWORD start = GetTickCount();
  SendMessageW(Form->Handle(), WM_CLOSE, 0, 0);
  EXPECT_LT(GetTickCount() - start, 1500u);
  EXPECT_FALSE(IsWindow(Form->Handle()));
  // The workers were stopped and released while closing: nothing of theirs is left to run.
  EXPECT_FALSE(Form->ScanVirusThread);
  EXPECT_FALSE(Form->ScanSpywareThread);
  EXPECT_EQ(0, TWorkerThread::AbandonedWorkers());
  EXPECT_TRUE(Services.Boxes.empty());
}

// A click on "&Analyser !" with a close queued right behind it: the close runs while the
// handler services the queue, and no scan starts on a window that is gone.
TEST_F(MainWindowTest, CloseQueuedBehindTheScanButtonStartsNoScan) {
  Services.Today = {2008, 1, 1};
  Open();
  PostMessageW(Form->buttonGo->Handle(), BM_CLICK, 0, 0);
  PostMessageW(Form->Handle(), WM_CLOSE, 0, 0);
  ASSERT_TRUE(PumpUntil([&] { return !IsWindow(Form->Handle()); }));
  PumpFor(50);
  EXPECT_TRUE(Steered.VirusModes.empty());
  EXPECT_TRUE(Steered.SpywareModes.empty());
  EXPECT_FALSE(Form->ScanVirusThread);
  EXPECT_FALSE(Form->ScanSpywareThread);
  const DWORD start = GetTickCount();
  Form.reset();
  EXPECT_LT(GetTickCount() - start, 1500u);
  EXPECT_EQ(0, TWorkerThread::AbandonedWorkers());
  EXPECT_TRUE(Services.Boxes.empty());
}

// Workers that end while the update notice is up, as the window closes: their completion
// notices run, and no end-of-scan box comes over the notice.
class CloseDuringAScanTest : public MainWindowTest {
 protected:
  static inline TSteeredFactory* Workers = nullptr;
  static inline bool NoticeSeen = false, WorkersEndedUnderNotice = false;
  // Looks at the screen while the window closes: once the notice is up, ends both workers,
  // and closes the notice when both have ended.
  static void CALLBACK EndWorkersUnderTheNotice(HWND, UINT, UINT_PTR, DWORD) {
    if (MiseAJourDlg == nullptr || !MiseAJourDlg->Showing()) return;
    NoticeSeen = true;
    Workers->LastVirus->Stop();
    Workers->LastSpyware->Stop();
    if (Workers->LastVirus->Finished() && Workers->LastSpyware->Finished()) {
      WorkersEndedUnderNotice = true;
      SendMessageW(MiseAJourDlg->Handle(), WM_CLOSE, 0, 0);
    }
  }
};

TEST_F(CloseDuringAScanTest, NoEndOfScanBoxOverTheUpdateNotice) {
  Open();
  Form->buttonGo->Click();
  ASSERT_TRUE(PumpUntil([&] { return Steered.LastVirus->Applied > 2 && Steered.LastSpyware->Applied > 2; }));
  Workers = &Steered;
  UINT_PTR timer = SetTimer(nullptr, 0, 30, &EndWorkersUnderTheNotice);
  SendMessageW(Form->Handle(), WM_CLOSE, 0, 0);
  KillTimer(nullptr, timer);
  EXPECT_TRUE(NoticeSeen);
  EXPECT_TRUE(WorkersEndedUnderNotice);
  EXPECT_FALSE(IsWindow(Form->Handle()));
  EXPECT_TRUE(Services.Boxes.empty());
  EXPECT_FALSE(Form->VirusRunning || Form->SpywareRunning);  // both notices ran
}

// The update notice has a fixed single border, and its caption shows the product's icon.
TEST_F(MainWindowTest, UpdateNoticeHasASingleFixedBorderAndAnIcon) {
  Open();
  const LONG_PTR style = GetWindowLongPtrW(Notice->Handle(), GWL_STYLE);
  const LONG_PTR exStyle = GetWindowLongPtrW(Notice->Handle(), GWL_EXSTYLE);
  EXPECT_EQ(WS_CAPTION, style & WS_CAPTION);
  EXPECT_EQ(0, style & WS_THICKFRAME);
  EXPECT_EQ(0, exStyle & WS_EX_DLGMODALFRAME);
  EXPECT_NE(0, SendMessageW(Notice->Handle(), WM_GETICON, ICON_BIG, 0));
}

}  // namespace
