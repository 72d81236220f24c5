// Quorvex: start-up and the event loop.
#include <windows.h>

#include <commctrl.h>

#include "Splash.h"
#include "tn_bho_tb.h"
#include "tns_scan.h"
#include "qrx_MiseAjourDlg.h"
#include "qrx_application.h"
#include "qrx_main.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_PROGRESS_CLASS | ICC_BAR_CLASSES | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);
  Application.Initialize(instance);
  // A missing engine shows later, as a refused initialisation of the signatures.
  BindScanEngine();
  {
    auto splash = std::make_unique<TSplashForm>();
    splash->ShowAndPaint();
    Application.SetTitle("Quorvex");
    TScanWorkerFactory workers;
    TFormQuorvex form(workers, [] {
      LoadSignatures();
      LoadBhoDatabase();
    });
    TMiseAJourDlg updateNotice;
    splash.reset();
    if (!Application.Terminated()) {
      Application.ShowMainWindow(form.Handle());
      Application.Run(form.Handle());
    }
    // A worker that would not stop is left running: end the process now, before anything it
    // could still reach is torn down.
    if (TWorkerThread::AbandonedWorkers() > 0) ExitProcess(0);
  }
  ReleaseScanEngine();
  return 0;
}
