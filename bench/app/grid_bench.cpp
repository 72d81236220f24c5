// The results grid under load: AddThreatRow 10,000 times in a row, as a scan that finds that
// many threats would, then the grid scrolled from top to bottom a screen at a time.
// Prints the time per add over the first and the last hundred rows (it must not grow with the
// row count), the time per thousand rows, and the time to scroll and paint one screen.
//
// Usage: qrx_grid_bench [rows]
#include <windows.h>

#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

#include "qrx_application.h"
#include "qrx_main.h"

namespace {

double Now() {
  LARGE_INTEGER count, frequency;
  QueryPerformanceCounter(&count);
  QueryPerformanceFrequency(&frequency);
  return static_cast<double>(count.QuadPart) / static_cast<double>(frequency.QuadPart);
}

void Pump() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
}

}  // namespace

int main(int argc, char** argv) {
  const int rows = argc > 1 ? std::atoi(argv[1]) : 10000;
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_PROGRESS_CLASS | ICC_BAR_CLASSES | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);
  Application.Initialize(GetModuleHandleA(nullptr));
  TScanWorkerFactory workers;
  TFormQuorvex form(workers, {});
  Application.ShowMainWindow(form.Handle());
  Pump();

  std::vector<double> perAdd(rows);
  TMenace threat;
  for (int n = 0; n < rows; ++n) {
    threat.Path = "C:\\windows\\system32\\infecte" + std::to_string(n) + ".exe";
    const double start = Now();
    form.AddThreatRow(threat, threat.Path, "Virus Test.A", "supprimer");
    perAdd[n] = Now() - start;
    Pump();
  }
  const auto meanMicroseconds = [&](int from, int to) {
    double sum = 0;
    for (int n = from; n < to; ++n) sum += perAdd[n];
    return sum / (to - from) * 1e6;
  };
  std::printf("rows %d\n", rows);
  std::printf("add, first 100 rows: %.1f us per row\n", meanMicroseconds(0, 100));
  std::printf("add, last 100 rows:  %.1f us per row\n", meanMicroseconds(rows - 100, rows));
  for (int from = 0; from + 1000 <= rows; from += 1000)
    std::printf("add, rows %5d-%5d: %.1f us per row\n", from + 1, from + 1000, meanMicroseconds(from, from + 1000));

  HWND grid = form.Grid->Handle();
  SendMessageA(grid, WM_VSCROLL, SB_TOP, 0);
  UpdateWindow(grid);
  int screens = 0;
  const double start = Now();
  while (form.Grid->TopRow() < rows - 3) {
    SendMessageA(grid, WM_VSCROLL, SB_PAGEDOWN, 0);
    UpdateWindow(grid);
    ++screens;
  }
  const double elapsed = Now() - start;
  std::printf("scroll top to bottom: %d screens, %.1f us per screen (scroll and paint)\n", screens,
              elapsed / screens * 1e6);
  return 0;
}
