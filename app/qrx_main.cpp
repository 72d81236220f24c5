#include "qrx_main.h"

#include "Artwork.h"
#include "FileSystem.h"
#include "Fonts.h"
#include "Hints.h"
#include "Skin.h"
#include "qrx_MiseAjourDlg.h"
#include "qrx_application.h"
#include "qrx_menaces_liste.h"
#include "qrx_services.h"
#include "qrx_spyware_removal.h"
#include "qrx_weblinks.h"

TFormQuorvex* FormQuorvex = nullptr;

namespace {

const char kFormClass[] = "TFormQuorvex";
constexpr int kClientWidth = 606, kClientHeight = 558;
constexpr int kHeaderHeight = 83, kBandHeight = 50;
constexpr COLORREF kBlue = RGB(0, 82, 204), kWhite = RGB(255, 255, 255), kBandColour = RGB(240, 240, 240);
constexpr COLORREF kNavy = RGB(0, 0, 128), kLime = RGB(0, 255, 0);
constexpr int kMarqueeStepMs = 60;
// The option panels are wider than their first drawings (409 and 313) so that the 9-point
// captions of their radio buttons show whole.
constexpr int kScopePanelWidth = 480, kActionPanelWidth = 360;
// How long a closing window waits for workers to wind down before leaving them behind.
constexpr DWORD kAbandonWaitMs = 2000;

const char kLongNotice[] =
    "Afin d'optimiser au maximum la vitesse d'exécution, les analyses antivirus et antispyware sont effectuées en "
    "parallèle sur les 2 Cores de votre processeur.";
const char kShortNotice[] =
    "Afin d'optimiser au maximum la vitesse d'exécution, les analyses antivirus et antispyware sont effectuées en "
    "parallèle.";
const char kWebHint[] = "Informations et mises à jour";

// The results grid: a header row over rows of threats.
constexpr int kGridColumnWidths[] = {19, 257, 92, 113};
constexpr int kGridRowHeight = 21;
constexpr int kGridEmptyRows = 9;
constexpr COLORREF kGridHeaderColour = RGB(128, 128, 128), kRemovedColour = RGB(255, 0, 0);
constexpr int kCheckColumn = 0, kObjectColumn = 1, kTypeColumn = 2, kActionColumn = 3;

TLabel::Look Heading() { return {DefaultFont(kFontBold), RGB(0, 0, 0), false}; }
TLabel::Look PageTitle() { return {GetFont("Tahoma", 12, kFontBold), kBlue, false}; }
TLabel::Look Question() { return {GetFont("Tahoma", 9, kFontBold), RGB(0, 0, 0), false}; }

// A heading followed by a rule that runs to the right edge of its page.
std::unique_ptr<TLabel> HeadingWithRule(TPanel& page, const std::string& text, int x, int y) {
  auto label = std::make_unique<TLabel>(page.Handle(), text, x, y, Heading());
  RECT bounds = label->BoundsInParent();
  page.AddRule({bounds.right + 8, page.ClientSize().cx - 16, y + 7});
  return label;
}

std::unique_ptr<TRadioButton> Radio(TPanel& panel, const std::string& text, int x, int y, bool first) {
  auto radio = std::make_unique<TRadioButton>(panel.Handle(), text, x, y, panel.ClientSize().cx - x - 4, 20, first);
  radio->SetFont(GetFont("Tahoma", 9));
  return radio;
}

// An infected file goes with one plain deletion; any other threat is a spyware registration.
TSpywareRemoval RemoveThreat(const TMenace& threat) {
  if (threat.ThreatKind != InfectedFileThreat) return RemoveSpywareEntry(threat.BhoEntry);
  return QrxPlatform::RemoveFile(threat.Path) ? TSpywareRemoval::Removed : TSpywareRemoval::Failed;
}

RECT CentredWindowRect(DWORD style, DWORD exStyle) {
  RECT r{0, 0, kClientWidth, kClientHeight};
  AdjustWindowRectEx(&r, style, FALSE, exStyle);
  const int width = r.right - r.left, height = r.bottom - r.top;
  const int x = (GetSystemMetrics(SM_CXSCREEN) - width) / 2, y = (GetSystemMetrics(SM_CYSCREEN) - height) / 2;
  return {x, y, x + width, y + height};
}

}  // namespace

TFormQuorvex::TFormQuorvex(TScanWorkerFactory& workers, TDataLoader loadDataFiles)
    : Shape1(TShape::Kind::Rectangle, {406, -5, 406 + 202, -5 + 26}, kBlue, true),
      Shape2(TShape::Kind::Circle, {386, -2, 386 + 41, -2 + 24}, kBlue, false),
      Workers_(workers),
      LoadDataFiles_(std::move(loadDataFiles)) {
  FormQuorvex = this;
  const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
  RECT r = CentredWindowRect(style, WS_EX_CONTROLPARENT);
  RegisterWindowClass(kFormClass);
  CreateHandle(kFormClass, kMainCaption, style, WS_EX_CONTROLPARENT, r.left, r.top, r.right - r.left,
               r.bottom - r.top, Application.Window());
  SendMessageW(Handle(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(ProductIcon()));
  CreateHeader();
  CreateBody();
  ApplySkin(Handle(), true);
  try {
    FormCreate();
  } catch (const std::exception& error) {
    Application.ShowException(error);
  } catch (...) {
    Application.ShowException(UnknownError());
  }
}

TFormQuorvex::~TFormQuorvex() {
  AbandonWorkers();
  if (FormQuorvex == this) FormQuorvex = nullptr;
}

void TFormQuorvex::CreateHeader() {
  Header = std::make_unique<TPanel>(Handle(), 0, 0, kClientWidth, kHeaderHeight, GetSysColor(COLOR_BTNFACE));
  HWND band = Header->Handle();
  Header->AddShape(Shape1);
  Header->AddShape(Shape2);
  Image1 = std::make_unique<TPicture>(band, 16, 8, 32, 32, nullptr, ProductIcon());
  Label1 = std::make_unique<TLabel>(band, "Quorvex détecte et supprime les virus et spywares.", 56, 16, Heading());
  Label4 = std::make_unique<TLabel>(band, "", 56, 41, TLabel::Look{nullptr, RGB(0, 0, 0), true}, 401, 26);
  buttonGo = std::make_unique<TButton>(band, "&Analyser !", 472, 40, 89, 25, [this] { buttonGoClick(); });
  buttonArreter = std::make_unique<TButton>(band, "&Arrêter", 472, 40, 89, 25, [this] { buttonArreterClick(); });
  Led = std::make_unique<TLamp>(band, 414, 7, 12, 8, kLime);
  Led->SetTag(kTagNoSkin);
  Led->Hide();
  Label6 = std::make_unique<TLabel>(band, "Processeur Dual Core détecté", 432, 3,
                                    TLabel::Look{DefaultFont(kFontBold), kWhite, false});
  SetHint(Label6->Handle(),
          "Un processeur Dual Core a été détecté dans votre ordinateur et sera utilisé pour optimiser l'analyse.");
  Label6->Hide();
}

void TFormQuorvex::CreateBody() {
  const int bodyHeight = kClientHeight - kHeaderHeight;
  Body = std::make_unique<TPanel>(Handle(), 0, kHeaderHeight, kClientWidth, bodyHeight, kWhite, TPanel::kFrame);
  Body->SetTag(kTagNoSkin);
  xpPageControl2 = std::make_unique<TPageControl>(Body->Handle(), 1, 1, 602, 429);
  xpPageControl2->SetTag(kTagNoSkin);
  CreateResultsPage();
  CreateAntivirusPage();
  CreateAntispywarePage();
  CreateBottomBand();
}

void TFormQuorvex::CreateResultsPage() {
  xpTabSheet1 = std::make_unique<TPanel>(xpPageControl2->Handle(), 0, 0, 602, 429, kWhite);
  xpTabSheet1->SetTag(kTagNoSkin);
  xpPageControl2->AddPage(*xpTabSheet1);
  TPanel& page = *xpTabSheet1;
  HWND p = page.Handle();
  Label2 = HeadingWithRule(page, "Analyse antivirus", 20, 16);
  URLConfigAntivirus = std::make_unique<TLinkLabel>(p, "Configuration", 512, 30, [this] { URLConfigAntivirusClick(); });
  VFichierCourant = std::make_unique<TLabel>(p, "", 48, 53, TLabel::Look{}, 540, 14);
  ProgressBar1 = std::make_unique<TMarqueeBar>(p, 56, 88, 521, 17, kNavy, kMarqueeStepMs);
  Label3 = HeadingWithRule(page, "Analyse antispyware", 19, 136);
  URLConfigAntispyware =
      std::make_unique<TLinkLabel>(p, "Configuration", 512, 150, [this] { URLConfigAntispywareClick(); });
  SElementCourant = std::make_unique<TLabel>(p, "", 48, 171, TLabel::Look{}, 540, 14);
  ProgressBar2 = std::make_unique<TMarqueeBar>(p, 56, 200, 521, 17, kNavy, kMarqueeStepMs);
  Label5 = HeadingWithRule(page, "Elements infectés détectés", 21, 256);
  Grid = std::make_unique<TGrid>(p, 49, 288, 502, 121,
                                 std::vector<int>(std::begin(kGridColumnWidths), std::end(kGridColumnWidths)),
                                 kGridRowHeight, kGridHeaderColour);
  buttonSupprimer =
      std::make_unique<TPictureButton>(p, 555, 325, 43, 49, DeletePicture(), [this] { buttonSupprimerClick(); });
  SetHint(buttonSupprimer->Handle(), "Supprimer les fichiers infectés sélectionnés");
}

void TFormQuorvex::CreateAntivirusPage() {
  xpTabSheet2 = std::make_unique<TPanel>(xpPageControl2->Handle(), 0, 0, 602, 429, kWhite);
  xpTabSheet2->SetTag(kTagNoSkin);
  xpPageControl2->AddPage(*xpTabSheet2);
  TPanel& page = *xpTabSheet2;
  HWND p = page.Handle();
  Label8 = std::make_unique<TLabel>(p, "Configuration de l'analyse antivirus", 24, 24, PageTitle());
  Label9 = std::make_unique<TLabel>(p, "Quel type d'analyse souhaitez vous effectuer ?", 48, 80, Question());
  page.AddRule({341, 581, 80 + 8});
  Panel2 = std::make_unique<TPanel>(p, 75, 101, kScopePanelWidth, 81, kWhite);
  Panel2->SetTag(kTagNoSkin);
  RadioAnalyseRapide =
      Radio(*Panel2, "Analyse rapide : scan uniquement les fichiers systèmes et à risque", 16, 16, true);
  RadioAnalyseComplete = Radio(*Panel2, "Analyse complète : scan tous les fichiers", 16, 44, false);
  Label10 = std::make_unique<TLabel>(p, "Quand un fichier infecté est détecté, Quorvex doit :", 48, 208, Question());
  page.AddRule({416, 577, 208 + 8});
  Panel3 = std::make_unique<TPanel>(p, 64, 228, kActionPanelWidth, 81, kWhite);
  Panel3->SetTag(kTagNoSkin);
  RadioSupprimerVirus = Radio(*Panel3, "Supprimer automatiquement le fichier infecté", 24, 16, true);
  RadioChoisir = Radio(*Panel3, "Vous laissez choisir l'action à effectuer", 24, 44, false);
  page.AddRule({20, 20 + 550, 354});
  Button2 = std::make_unique<TButton>(p, "&Valider", 104, 370, 75, 25, [this] { Button2Click(); });
  Button3 = std::make_unique<TButton>(p, "&Annuler", 200, 370, 75, 25, [this] { Button3Click(); });
  Button4 = std::make_unique<TButton>(p, "&Défaut", 400, 370, 75, 25, [this] { Button4Click(); });
}

void TFormQuorvex::CreateAntispywarePage() {
  xpTabSheet3 = std::make_unique<TPanel>(xpPageControl2->Handle(), 0, 0, 602, 429, kWhite);
  xpTabSheet3->SetTag(kTagNoSkin);
  xpPageControl2->AddPage(*xpTabSheet3);
  TPanel& page = *xpTabSheet3;
  HWND p = page.Handle();
  Label11 = std::make_unique<TLabel>(p, "Configuration de l'analyse antispyware", 24, 24, PageTitle());
  Label12 = std::make_unique<TLabel>(p, "Quel type d'analyse antispyware souhaitez vous effectuer ?", 48, 80, Question());
  page.AddRule({424, 581, 80 + 8});
  Panel4 = std::make_unique<TPanel>(p, 75, 101, kScopePanelWidth, 81, kWhite);
  Panel4->SetTag(kTagNoSkin);
  RadioRegistry = Radio(*Panel4, "Analyse de la base de registres uniquement", 16, 16, true);
  RadioRegistryAndFiles = Radio(*Panel4, "Analyse de la base de registres et des fichiers", 16, 44, false);
  Label7 = std::make_unique<TLabel>(p, "Quand un spyware est détecté, Quorvex doit :", 48, 200, Question());
  page.AddRule({424, 581, 200 + 8});
  Panel5 = std::make_unique<TPanel>(p, 64, 228, kActionPanelWidth, 81, kWhite);
  Panel5->SetTag(kTagNoSkin);
  RadioSupprimerSpyware = Radio(*Panel5, "Supprimer automatiquement le fichier infecté", 24, 16, true);
  RadioChoisirSpyware = Radio(*Panel5, "Vous laissez choisir l'action à effectuer", 24, 44, false);
  page.AddRule({20, 20 + 550, 354});
  Button5 = std::make_unique<TButton>(p, "&Valider", 104, 370, 75, 25, [this] { Button5Click(); });
  Button6 = std::make_unique<TButton>(p, "&Annuler", 200, 370, 75, 25, [this] { Button6Click(); });
  Button7 = std::make_unique<TButton>(p, "&Défaut", 400, 370, 75, 25, [this] { Button7Click(); });
}

void TFormQuorvex::CreateBottomBand() {
  const int bodyHeight = kClientHeight - kHeaderHeight;
  Panel1 = std::make_unique<TPanel>(Body->Handle(), 1, bodyHeight - 1 - kBandHeight, kClientWidth - 2, kBandHeight,
                                    kBandColour);
  // The band lies over the foot of the pages.
  SetWindowPos(Panel1->Handle(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  HWND band = Panel1->Handle();
  Image3 = std::make_unique<TPicture>(band, 5, 8, 210, 40, MakerLogo());
  Image3->SetOnClick([this] { Image3Click(); }, true);
  SetHint(Image3->Handle(), "Plus d'informations sur Tessaron");
  Button1 = std::make_unique<TButton>(band, "&Fermer", 264, 14, 75, 25, [this] { Button1Click(); });
  Image2 = std::make_unique<TPicture>(band, 548, 23, 16, 16, WebIcon());
  SetHint(Image2->Handle(), kWebHint);
  URLLabel1 = std::make_unique<TLinkLabel>(band, "Web", 568, 24, [this] { URLLabel1Click(); });
  SetHint(URLLabel1->Handle(), kWebHint);
}

void TFormQuorvex::FormCreate() {
  xpPageControl2->ShowPage(*xpTabSheet1);
  for (TMarqueeBar* bar : {ProgressBar1.get(), ProgressBar2.get()}) {
    bar->SetAnimated(false);
    bar->SetPosition(0);
  }
  Skinned = Services().OsMajorVersion() < 6;
  if (!Skinned) ApplySkin(Handle(), false);
  ThreatCount = 0;
  ShowDualProcessorNotice(Services().LogicalProcessorCount() >= 2);
  Button4Click();
  Button7Click();
  buttonArreter->Hide();
  buttonGo->Show();
  ProgressBar1->SetPosition(0);
  ProgressBar2->SetPosition(0);
  VFichierCourant->SetText("");
  SElementCourant->SetText("");
  ClearResultsGrid();
  // An error raised here ends FormCreate: after a bad signature the database is not loaded.
  if (LoadDataFiles_) LoadDataFiles_();
}

void TFormQuorvex::ShowDualProcessorNotice(bool dual) {
  Label6->Show(dual);
  Led->Show(dual);
  Shape1.SetVisible(dual, Header->Handle());
  Shape2.SetVisible(true, Header->Handle());
  Label4->SetCaption(dual ? kLongNotice : kShortNotice);
}

void TFormQuorvex::ClearResultsGrid() {
  Grid->SetRowCount(1 + kGridEmptyRows);
  Grid->ClearCells();
  Grid->ScrollToRow(1);
  Grid->SetCellText(kObjectColumn, 0, "Objet");
  Grid->SetCellText(kTypeColumn, 0, "Type");
  Grid->SetCellText(kActionColumn, 0, "Action conseillée");
  for (int col : {kObjectColumn, kTypeColumn, kActionColumn}) Grid->SetCellAlignment(col, 0, TAlignment::Centre);
}

int TFormQuorvex::AddThreatRow(const TMenace& threat, const std::string& objectText, const std::string& typeText,
                               const std::string& actionText) {
  const int row = ++ThreatCount;
  Menaces.Store(row - 1, threat);
  if (row >= Grid->RowCount()) Grid->SetRowCount(row + 1);
  Grid->AddCheckBox(kCheckColumn, row);
  Grid->SetCellText(kObjectColumn, row, objectText);
  Grid->SetCellText(kTypeColumn, row, typeText);
  Grid->SetCellText(kActionColumn, row, actionText);
  Grid->SetCellAlignment(kTypeColumn, row, TAlignment::Centre);
  Grid->SetCellAlignment(kActionColumn, row, TAlignment::Centre);
  // Shown now, while the workers keep the UI thread busy; only a row in view is drawn.
  UpdateWindow(Grid->Handle());
  return row;
}

void TFormQuorvex::MarkThreatRemoved(int row, const std::string& action) {
  // A row number that no hand-over could have given (a dropped one is 0) changes nothing.
  if (row < 1 || row >= Grid->RowCount()) return;
  Grid->SetCellFontStyle(kObjectColumn, row, kFontStrikeOut);
  Grid->SetCellFontName(kActionColumn, row, "Arial");
  Grid->SetCellFontColour(kActionColumn, row, kRemovedColour);
  Grid->SetCellText(kActionColumn, row, action);
  Grid->RemoveCheckBox(kCheckColumn, row);
}

void TFormQuorvex::buttonSupprimerClick() {
  int selected = 0;
  bool allRemoved = true;
  for (int row = 1; row <= ThreatCount; ++row) {
    const TGridCell& box = Grid->Cell(kCheckColumn, row);
    if (!box.HasCheckBox || !box.Ticked) continue;
    // A row that could not be removed stays as it is, ticked, for another try.
    switch (RemoveThreat(Menaces[row - 1])) {
      case TSpywareRemoval::Removed: MarkThreatRemoved(row); break;
      case TSpywareRemoval::RegistrationRemoved: MarkThreatRemoved(row, kRegistrationRemovedAction); break;
      case TSpywareRemoval::Failed: allRemoved = false; break;
    }
    ++selected;
  }
  if (selected == 0) {
    Services().ShowMessage(Handle(),
                           "Aucun élément à supprimer n'est sélectionné.\r\r"
                           "Sélectionnez les éléments à supprimer dans la liste.",
                           "Sélection vide", MB_OK | MB_ICONERROR);
  } else if (allRemoved) {
    Services().ShowMessage(Handle(), "Les éléments nuisibles ont été supprimés", "Informations",
                           MB_OK | MB_ICONINFORMATION);
  } else {
    // Saying "removed" after a failure would report it as a success.
    Services().ShowMessage(Handle(),
                           "Certains éléments n'ont pas pu être supprimés. Ils restent cochés dans la liste.",
                           "Informations", MB_OK | MB_ICONWARNING);
  }
}

TScanTargets TFormQuorvex::VirusTargets() {
  return {[this](const std::string& text) {
            VFichierCourant->SetText(text);
            UpdateWindow(VFichierCourant->Handle());
          },
          [this](int position) { ProgressBar1->SetPosition(position); },
          [this](const TMenace& threat, const std::string& object, const std::string& type,
                 const std::string& action) { return AddThreatRow(threat, object, type, action); },
          [this](int row, const std::string& action) { MarkThreatRemoved(row, action); }};
}

TScanTargets TFormQuorvex::SpywareTargets() {
  return {[this](const std::string& text) {
            SElementCourant->SetText(text);
            UpdateWindow(SElementCourant->Handle());
          },
          [this](int position) { ProgressBar2->SetPosition(position); },
          [this](const TMenace& threat, const std::string& object, const std::string& type,
                 const std::string& action) { return AddThreatRow(threat, object, type, action); },
          [this](int row, const std::string& action) { MarkThreatRemoved(row, action); }};
}

void TFormQuorvex::buttonGoClick() {
  Interrupted = false;
  ClearResultsGrid();
  xpPageControl2->ShowPage(*xpTabSheet1);
  buttonGo->Hide();
  buttonArreter->Show();
  for (TMarqueeBar* bar : {ProgressBar1.get(), ProgressBar2.get()}) {
    bar->SetAnimated(true);
    bar->SetPosition(0);
  }
  Application.ProcessMessages();
  // A close waiting in the queue ran just now: the window is gone, no scan starts.
  if (Closing_) return;
  ThreatCount = 0;
  TScanRequest virus{RadioAnalyseRapide->Checked() ? "RAPIDE" : "COMPLET", RadioSupprimerVirus->Checked(),
                     VirusTargets()};
  TScanRequest spyware{RadioRegistryAndFiles->Checked() ? "REGISTRYANDFILES" : "REGISTRY",
                       RadioSupprimerSpyware->Checked(), SpywareTargets()};
  VirusRunning = true;
  SpywareRunning = true;
  ScanVirusThread = Workers_.CreateScanVirus(std::move(virus));
  ScanVirusThread->SetOnDone([this] { ThreadDoneVirus(); });
  ScanVirusThread->Start();
  ScanSpywareThread = Workers_.CreateScanSpyware(std::move(spyware));
  ScanSpywareThread->SetOnDone([this] { ThreadDoneSpyware(); });
  ScanSpywareThread->Start();
}

void TFormQuorvex::buttonArreterClick() {
  Interrupted = true;
  if (ScanVirusThread) ScanVirusThread->Stop();
  if (ScanSpywareThread) ScanSpywareThread->Stop();
  // Releasing waits for each worker while its hand-overs and completion notice still apply.
  ReleaseWorker(ScanVirusThread);
  ReleaseWorker(ScanSpywareThread);
  buttonArreter->Hide();
  buttonGo->Show();
  SetBarsStill();
  Application.ProcessMessages();
}

void TFormQuorvex::ThreadDoneVirus() { ThreadDone(VirusRunning, *ProgressBar1); }

void TFormQuorvex::ThreadDoneSpyware() { ThreadDone(SpywareRunning, *ProgressBar2); }

void TFormQuorvex::ThreadDone(bool& running, TMarqueeBar& bar) {
  running = false;
  bar.SetAnimated(false);
  bar.SetPosition(0);
  if (VirusRunning || SpywareRunning) return;
  SetBarsStill();
  // Once the window is closing (the update notice may be up), no box appears over it.
  if (Closing_) return;
  Services().ShowMessage(Handle(), Interrupted ? "Analyse interrompue par l'utilisateur." : "Analyse terminée",
                         "Informations", MB_OK | MB_ICONINFORMATION);
}

void TFormQuorvex::SetBarsStill() {
  ProgressBar1->SetAnimated(false);
  ProgressBar2->SetAnimated(false);
  ProgressBar1->SetPosition(0);
  ProgressBar2->SetPosition(0);
}

TFormQuorvex::TState TFormQuorvex::State() const {
  if (buttonGo->Visible()) return TState::Idle;
  return VirusRunning || SpywareRunning ? TState::Scanning : TState::Finished;
}

void TFormQuorvex::Button1Click() { PostMessageW(Handle(), WM_CLOSE, 0, 0); }

void TFormQuorvex::FormClose() {
  const TCalendarDate today = Services().LocalDate();
  const bool afterCutOff = today.Year != 2008 ? today.Year > 2008
                                              : (today.Month != 4 ? today.Month > 4 : today.Day > 1);
  if (afterCutOff && MiseAJourDlg != nullptr) MiseAJourDlg->ShowModal(Handle());
}

void TFormQuorvex::URLConfigAntivirusClick() { xpPageControl2->ShowPage(*xpTabSheet2); }
void TFormQuorvex::URLConfigAntispywareClick() { xpPageControl2->ShowPage(*xpTabSheet3); }
void TFormQuorvex::Button2Click() { xpPageControl2->ShowPage(*xpTabSheet1); }
void TFormQuorvex::Button3Click() { xpPageControl2->ShowPage(*xpTabSheet1); }
void TFormQuorvex::Button5Click() { xpPageControl2->ShowPage(*xpTabSheet1); }
void TFormQuorvex::Button6Click() { xpPageControl2->ShowPage(*xpTabSheet1); }

void TFormQuorvex::Button4Click() {
  RadioAnalyseRapide->Check();
  RadioChoisir->Check();
}

void TFormQuorvex::Button7Click() {
  RadioRegistryAndFiles->Check();
  RadioChoisirSpyware->Check();
}

void TFormQuorvex::URLLabel1Click() { Services().OpenWebPage(Handle(), kProductPageAddress); }
void TFormQuorvex::Image3Click() { Services().OpenWebPage(Handle(), kMakerPageAddress); }

void TFormQuorvex::AbandonWorkers() {
  Application.CloseHandOvers();
  for (std::unique_ptr<TWorkerThread>* worker : {&ScanVirusThread, &ScanSpywareThread}) {
    if (!*worker) continue;
    (*worker)->Stop();
    if ((*worker)->WaitFor(kAbandonWaitMs)) {
      worker->reset();
    } else {
      // Left to the end of the process, which is near; the object stays valid for its thread.
      worker->release()->Abandon();
    }
  }
}

LRESULT TFormQuorvex::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CLOSE:
      Closing_ = true;
      FormClose();
      DestroyWindow(Handle());
      return 0;
    case WM_DESTROY:
      Closing_ = true;
      AbandonWorkers();
      PostQuitMessage(0);
      return 0;
    default:
      return TWindow::HandleMessage(message, wParam, lParam);
  }
}
