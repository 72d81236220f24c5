// The start-up switch of the test build of Quorvex (Quorvex_rows.exe): it fills the results
// grid with given threats, as the workers would, so that a driver can tick and remove them.
//
//   Quorvex_rows.exe /rows <file>
//
// Each line of the file is one threat, five fields separated by tabs, in Windows-1252:
//   kind (0 infected file, 1 spyware) TAB path or class identifier TAB object TAB type TAB action
// A kind 0 threat removes the file at the path; a kind 1 threat the class key of the identifier
// (with the server file that its InProcServer32 names).
#include <fstream>
#include <sstream>

#include "qrx_main.h"

namespace {

std::string RowsFile(std::string commandLine) {
  const std::string prefix = "/rows ";
  if (commandLine.compare(0, prefix.size(), prefix) != 0) return "";
  std::string file = commandLine.substr(prefix.size());
  if (file.size() >= 2 && file.front() == '"' && file.back() == '"') file = file.substr(1, file.size() - 2);
  return file;
}

}  // namespace

void AddTestRows(TFormQuorvex& form, const char* commandLine) {
  std::ifstream rows(RowsFile(commandLine));
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
