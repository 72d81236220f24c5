// The start-up switch of the test build of Quorvex (Quorvex_rows.exe): it fills the results
// grid with given threats, as the workers would, so that a driver can tick and remove them.
//
//   Quorvex_rows.exe /rows <file>
//
// Each line of the file is one threat, five fields separated by tabs, in UTF-8:
//   kind (0 infected file, 1 spyware) TAB path or class identifier TAB object TAB type TAB action
// A kind 0 threat removes the file at the path; a kind 1 threat the class key of the identifier
// (with the server file that its InProcServer32 names).
#include <windows.h>

#include <shellapi.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "qrx_main.h"

namespace {

// The file named after "/rows", read from the wide command line so that its name may be in any
// script; empty without the switch.
std::filesystem::path RowsFile() {
  int count = 0;
  LPWSTR* arguments = CommandLineToArgvW(GetCommandLineW(), &count);
  std::filesystem::path file;
  if (arguments != nullptr && count == 3 && std::wstring(arguments[1]) == L"/rows") file = arguments[2];
  LocalFree(arguments);
  return file;
}

}  // namespace

void AddTestRows(TFormQuorvex& form) {
  std::ifstream rows(RowsFile(), std::ios::binary);
  for (std::string line; std::getline(rows, line);) {
    std::istringstream fields(line);
    std::string kind, subject, object, type, action;
    std::getline(fields, kind, '\t');
    std::getline(fields, subject, '\t');
    std::getline(fields, object, '\t');
    std::getline(fields, type, '\t');
    std::getline(fields, action, '\t');
    TMenace threat;
    threat.ThreatKind = static_cast<std::uint8_t>(std::stoi(kind));
    if (threat.ThreatKind == InfectedFileThreat) {
      threat.Path = subject;
    } else {
      threat.BhoEntry.Clsid.Assign(subject);
    }
    form.AddThreatRow(threat, object, type, action);
  }
}
