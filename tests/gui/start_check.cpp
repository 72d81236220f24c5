// Starts a program and tells whether its main window came up, for the run command: a Wine
// that cannot start, or a program that ends or hangs before its window shows, is a failure
// and not a screenshot of an empty screen. The program is left running.
//
// Usage: qrx_start_check <program.exe> <window caption> [seconds, default 60]
// Exit code 0 when the window is shown; 1 otherwise, with the reason on stderr.
#include <cstdio>
#include <cstdlib>

#include "driver_support.h"

namespace {

int Fail(const char* what, const char* program) {
  std::fprintf(stderr, "%s: %s\n", program, what);
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: qrx_start_check <program.exe> <window caption> [seconds]\n");
    return 2;
  }
  const char* program = argv[1];
  const char* caption = argv[2];
  const DWORD timeoutMs = (argc > 3 ? std::atoi(argv[3]) : 60) * 1000;

  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  std::string command = "\"";
  command += ToWindowsPath(program);
  command += '"';
  if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
    return Fail("cannot be started", program);

  HWND window = nullptr;
  const bool timedOut = !WaitFor(
      [&] {
        window = FindWindowA(nullptr, caption);
        if (window != nullptr && IsWindowVisible(window)) return true;
        return WaitForSingleObject(process.hProcess, 0) == WAIT_OBJECT_0;
      },
      timeoutMs);
  const bool exited = WaitForSingleObject(process.hProcess, 0) == WAIT_OBJECT_0;
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  if (exited) return Fail("ended before its window was shown", program);
  if (timedOut) return Fail("showed no window in time", program);
  std::printf("the window \"%s\" is shown\n", caption);
  return 0;
}
