#pragma once
// The engine's verdict on one file, as the antivirus walk uses it.
#include <string>

struct TVirusInfo {
  bool Infected = false;
  std::string VirusName;  // empty when not infected
};
