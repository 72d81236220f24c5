#pragma once
// What the start-up loaders of the data files share: where the files are, and how a failed
// load is reported (a message box, then the request to end the program).
#include <string>

// The folder of the running executable (never the current folder), ending with a backslash.
std::string ProgramFolder();

// Shows `text` in a modal box with `caption`, the error icon and one OK button, then asks the
// application to end. Start-up goes on: the program ends at the first turn of its event loop.
void ReportStartupFailure(const std::string& text, const std::string& caption);
