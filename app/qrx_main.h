#pragma once
// The main window: header, results page, the two option pages, the bottom band; it starts,
// stops and releases the two scan workers.
#include <functional>
#include <memory>

#include "Button.h"
#include "Grid.h"
#include "Label.h"
#include "MarqueeBar.h"
#include "Panel.h"
#include "Picture.h"
#include "Window.h"
#include "qrx_scan_workers.h"

class TFormQuorvex : public TWindow {
 public:
  enum class TState { Idle, Scanning, Finished };

  // Loads the data files at the end of FormCreate: the signature files, then the spyware
  // database. Each loader reports its own failure and asks the application to end.
  using TDataLoader = std::function<void()>;

  // Creates the window with its widgets and runs FormCreate; an error escaping FormCreate
  // is shown by the application's error report and the window is made all the same.
  TFormQuorvex(TScanWorkerFactory& workers, TDataLoader loadDataFiles);
  ~TFormQuorvex() override;

  // Handlers.
  void FormCreate();
  void buttonGoClick();
  void buttonArreterClick();
  void ThreadDoneVirus();
  void ThreadDoneSpyware();
  void Button1Click();
  void FormClose();
  void URLConfigAntivirusClick();
  void URLConfigAntispywareClick();
  void Button2Click();
  void Button3Click();
  void Button4Click();
  void Button5Click();
  void Button6Click();
  void Button7Click();
  void URLLabel1Click();
  void Image3Click();
  void buttonSupprimerClick();

  // Results operations, on the UI thread (the workers reach the last two through the hand-over).
  void ClearResultsGrid();
  // Stores the threat as the entry of a new row and shows the row: its number (from 1).
  int AddThreatRow(const TMenace& threat, const std::string& objectText, const std::string& typeText,
                   const std::string& actionText);
  // Shows a row as removed: object struck out, the action text in red, no checkbox.
  void MarkThreatRemoved(int row, const std::string& action = kRemovedAction);

  TState State() const;

  // Window state.
  std::unique_ptr<TWorkerThread> ScanVirusThread;
  std::unique_ptr<TWorkerThread> ScanSpywareThread;
  bool VirusRunning = false;
  bool SpywareRunning = false;
  int ThreatCount = 0;
  bool Interrupted = false;
  bool Skinned = true;

  // Header band.
  std::unique_ptr<TPanel> Header;
  TShape Shape1;
  TShape Shape2;
  std::unique_ptr<TPicture> Image1;
  std::unique_ptr<TLabel> Label1, Label4, Label6;
  std::unique_ptr<TButton> buttonGo, buttonArreter;
  std::unique_ptr<TLamp> Led;
  // Body.
  std::unique_ptr<TPanel> Body;
  std::unique_ptr<TPageControl> xpPageControl2;
  std::unique_ptr<TPanel> xpTabSheet1, xpTabSheet2, xpTabSheet3;
  // Results page.
  std::unique_ptr<TLabel> Label2, Label3, Label5, VFichierCourant, SElementCourant;
  std::unique_ptr<TLinkLabel> URLConfigAntivirus, URLConfigAntispyware;
  std::unique_ptr<TMarqueeBar> ProgressBar1, ProgressBar2;
  std::unique_ptr<TGrid> Grid;
  std::unique_ptr<TPictureButton> buttonSupprimer;
  // Antivirus options page.
  std::unique_ptr<TLabel> Label8, Label9, Label10;
  std::unique_ptr<TPanel> Panel2, Panel3;
  std::unique_ptr<TRadioButton> RadioAnalyseRapide, RadioAnalyseComplete, RadioSupprimerVirus, RadioChoisir;
  std::unique_ptr<TButton> Button2, Button3, Button4;
  // Antispyware options page.
  std::unique_ptr<TLabel> Label11, Label12, Label7;
  std::unique_ptr<TPanel> Panel4, Panel5;
  std::unique_ptr<TRadioButton> RadioRegistry, RadioRegistryAndFiles, RadioSupprimerSpyware, RadioChoisirSpyware;
  std::unique_ptr<TButton> Button5, Button6, Button7;
  // Bottom band.
  std::unique_ptr<TPanel> Panel1;
  std::unique_ptr<TPicture> Image3, Image2;
  std::unique_ptr<TButton> Button1;
  std::unique_ptr<TLinkLabel> URLLabel1;

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  void CreateHeader();
  void CreateBody();
  void CreateResultsPage();
  void CreateAntivirusPage();
  void CreateAntispywarePage();
  void CreateBottomBand();
  void ShowDualProcessorNotice(bool dual);
  void SetBarsStill();
  TScanTargets VirusTargets();
  TScanTargets SpywareTargets();
  void ThreadDone(bool& running, TMarqueeBar& bar);
  // The main window is going: its hand-overs close, and every worker it still owns is stopped
  // and released, or left behind when it will not end in time.
  void AbandonWorkers();

  TScanWorkerFactory& Workers_;
  TDataLoader LoadDataFiles_;
  bool Closing_ = false;  // from the close request on: no scan starts, no end-of-scan box shows
};

extern TFormQuorvex* FormQuorvex;

// The window's caption; test drivers find the window by it.
inline constexpr char kMainCaption[] = "Quorvex v1.5.0";
