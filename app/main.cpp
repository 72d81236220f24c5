// Quorvex: start-up and the event loop.
#include <windows.h>

#include <commctrl.h>

#include "Splash.h"
#include "qrx_MiseAjourDlg.h"
#include "qrx_application.h"
#include "qrx_main.h"
#include "qrx_startup_loading.h"
#include "tn_dll_sscan_header.h"

#ifdef QRX_TEST_ROWS
// Only in the test build of the program (tests/gui): rows given on the command line are put in
// the grid before the window shows. Quorvex.exe itself has no such switch.
void AddTestRows(TFormQuorvex& form);
#endif

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
    TFormQuorvex form(workers, LoadDataFiles);
    TMiseAJourDlg updateNotice;
    splash.reset();
#ifdef QRX_TEST_ROWS
    AddTestRows(form);
#endif
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
