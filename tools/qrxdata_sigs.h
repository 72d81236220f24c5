#pragma once
// Signature files (QRX_SIG.DAT, QRX_SIG2.DAT) and their readable source: "name<TAB>pattern".
#include <cstddef>
#include <ostream>
#include <string>
#include <vector>

#include "qrxdata_text.h"

struct TSignatureItem {
  TLocation Where;
  std::string Name;     // as the program sees it
  std::string Pattern;  // as the program sees it
  std::size_t NameLength = 0;     // as written or stored: may be over the capacity
  std::size_t PatternLength = 0;  // likewise
};

struct TSignatureFormat {
  using TItem = TSignatureItem;
  static constexpr const char* Noun = "signatures";
  static constexpr bool FilesCombine = true;  // QRX_SIG.DAT and QRX_SIG2.DAT fill one table
  static const std::size_t RecordSize;

  // Each returns false when the file could not be read as a whole (the failure is reported).
  static bool ReadSource(const std::string& path, std::vector<TItem>& items, TDiagnostics& diagnostics);
  static bool ReadData(const std::string& path, std::vector<TItem>& items, TDiagnostics& diagnostics);
  // Everything the program would reject, cut, drop or pass to an engine that ignores it.
  static void Check(const std::vector<TItem>& items, TDiagnostics& diagnostics);
  static void Write(const std::vector<TItem>& items, std::ostream& out);
  static void Dump(const std::vector<TItem>& items, const std::string& file, std::ostream& out);
};
