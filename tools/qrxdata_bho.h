#pragma once
// The database qrx_bhotb.dat and its readable source:
// "kind<TAB>CLSID<TAB>info<TAB>display name", optionally "<TAB>spare" as two hex digits.
#include <cstddef>
#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "qrxdata_text.h"

struct TBhoItem {
  TLocation Where;
  std::string Kind;  // one character when well formed
  std::string Clsid;
  std::string Info;
  std::string DisplayName;
  std::size_t ClsidLength = 0;  // as written or stored: may be over the capacity
  std::size_t InfoLength = 0;
  std::size_t DisplayNameLength = 0;
  std::uint8_t Spare = 0;
};

struct TBhoFormat {
  using TItem = TBhoItem;
  static constexpr const char* Noun = "entries";
  static constexpr bool FilesCombine = false;  // one database; several files are checked one by one
  static const std::size_t RecordSize;

  static bool ReadSource(const std::string& path, std::vector<TItem>& items, TDiagnostics& diagnostics);
  static bool ReadData(const std::string& path, std::vector<TItem>& items, TDiagnostics& diagnostics);
  static void Check(const std::vector<TItem>& items, TDiagnostics& diagnostics);
  static void Write(const std::vector<TItem>& items, std::ostream& out);
  static void Dump(const std::vector<TItem>& items, const std::string& file, std::ostream& out);
};
