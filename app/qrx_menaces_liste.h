#pragma once
// One found threat, as a worker builds it and the results grid keeps it for a later removal.
#include <cstdint>
#include <string>

#include "tn_bho_file.h"

struct TMenace {
  std::uint8_t ThreatKind = 0;  // 0: infected file; any other value: spyware registration
  std::string Path;             // kind 0: the infected file, the one a removal deletes
  TBhoEntry BhoEntry{};         // kind 1: the database record that matched
};

inline constexpr std::uint8_t InfectedFileThreat = 0;
inline constexpr std::uint8_t SpywareThreat = 1;
