#pragma once
// What the program asks of the system, behind one seam so that tests can stand in for it:
// message boxes, the processor and system queries, today's date and the shell's "open" verb.
#include <windows.h>

#include <string>

struct TCalendarDate {
  int Year;
  int Month;
  int Day;
};

class TSystemServices {
 public:
  virtual ~TSystemServices() = default;

  // A modal message box with the given MB_ flags; returns the button pressed (IDOK ...).
  virtual int ShowMessage(HWND owner, const std::string& text, const std::string& caption, UINT flags);
  virtual unsigned LogicalProcessorCount();
  virtual unsigned OsMajorVersion();
  virtual TCalendarDate LocalDate();
  // The shell's "open" verb on a web address, shown as the shell shows it; the outcome is not
  // looked at.
  void OpenWebPage(HWND owner, const std::string& address) { ShellOpen(owner, address, SW_SHOW); }
  virtual void ShellOpen(HWND owner, const std::string& address, int showCommand);
};

// The services in force: the system's own unless a test replaced them.
TSystemServices& Services();
// Puts `services` in force (nullptr restores the system's own) and returns the previous ones.
TSystemServices* ReplaceServices(TSystemServices* services);
