// Starts a program and tells whether its main window came up, for the run command: a Wine
// that cannot start, or a program that ends or hangs before its window shows, is a failure
// and not a screenshot of an empty screen. The program is left running.
//
// Usage: qrx_start_check <program.exe> <window caption> [seconds, default 60]
// Exit code 0 when the window is shown; 1 otherwise, with the reason on stderr.
#include <cstdio>
#include <cstdlib>

#include "WideText.h"
#include "driver_support.h"

#include <shellapi.h>

namespace {

int Fail(const char* what, const char* program) {
  std::fprintf(stderr, "%s: %s\n", program, what);
  return 1;
}

// The arguments in UTF-8, from the wide command line: the caption is a window text and may be
// in any script.
std::vector<std::string> Arguments() {
  int count = 0;
  LPWSTR* arguments = CommandLineToArgvW(GetCommandLineW(), &count);
  std::vector<std::string> utf8;
  for (int n = 0; arguments != nullptr && n < count; ++n) utf8.push_back(QrxPlatform::Utf8(arguments[n]));
  LocalFree(arguments);
  return utf8;
}

}  // namespace

int main() {
  const std::vector<std::string> arguments = Arguments();
  if (arguments.size() < 3) {
    std::fprintf(stderr, "usage: qrx_start_check <program.exe> <window caption> [seconds]\n");
    return 2;
  }
  const char* program = arguments[1].c_str();
  const char* caption = arguments[2].c_str();
  const DWORD timeoutMs = (arguments.size() > 3 ? std::atoi(arguments[3].c_str()) : 60) * 1000;

  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  std::string quoted = "\"";
  quoted += ToWindowsPath(program);
  quoted += '"';
  std::wstring command = QrxPlatform::Wide(quoted);
  if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
    return Fail("cannot be started", program);

  HWND window = nullptr;
  const bool timedOut = !WaitFor(
      [&] {
        window = FindTopWindow(nullptr, caption);
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
