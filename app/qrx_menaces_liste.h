#pragma once
// One found threat, as a worker builds it and the results grid keeps it for a later removal.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "tn_bho_file.h"

struct TMenace {
  std::uint8_t ThreatKind = 0;  // 0: infected file; any other value: spyware registration
  std::string Path;             // kind 0: the infected file, the one a removal deletes
  TBhoEntry BhoEntry{};         // kind 1: the database record that matched
};

inline constexpr std::uint8_t InfectedFileThreat = 0;
inline constexpr std::uint8_t SpywareThreat = 1;

// The threat list: entry k belongs to row k + 1 of the results grid. It is written and read on
// the UI thread only. It starts with 1000 entries and grows when a scan finds more threats, so
// that every threat keeps its row and can be removed.
class TMenaceList {
 public:
  static constexpr std::size_t kInitialEntries = 1000;

  TMenaceList() : Entries_(kInitialEntries) {}
  // Stores `threat` as entry `index`, growing the list when the index lies beyond it.
  void Store(std::size_t index, const TMenace& threat);
  const TMenace& operator[](std::size_t index) const { return Entries_.at(index); }
  std::size_t Size() const { return Entries_.size(); }

 private:
  std::vector<TMenace> Entries_;
};

extern TMenaceList Menaces;
