#pragma once
// What the start-up loaders of the data files share: where the files are, and what a load
// answers. A loader shows nothing itself: start-up shows the failure and ends the program.
#include <optional>
#include <string>

// The message box a failed load asks for: its text and caption (the error icon, one OK button).
struct TLoadFailure {
  std::string Text;
  std::string Caption;
  bool operator==(const TLoadFailure&) const = default;
};
// Nothing when the load succeeded.
using TLoadResult = std::optional<TLoadFailure>;

// The folder of the running executable (never the current folder) in UTF-8, ending with a
// backslash.
std::string ProgramFolder();
