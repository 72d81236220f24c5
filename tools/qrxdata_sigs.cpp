#include "qrxdata_sigs.h"

#include "pattern.h"
#include "qrxdata_records.h"
#include "tns_signature_file.h"

const std::size_t TSignatureFormat::RecordSize = SignatureRecordSize;

namespace {

constexpr char HeaderName[] = "Quorvex signatures";

// The units of `pattern` that the engine finds meaningless (a wildcard pair such as "G?").
void ReportMeaninglessUnits(const TLocation& where, std::string_view pattern, TDiagnostics& diagnostics) {
  for (std::size_t i = 0; i + 1 < pattern.size(); i += 2) {
    const std::string_view unit = pattern.substr(i, 2);
    if (qrx::engine::parsePattern(unit).status == qrx::engine::PatternStatus::BadUnit) {
      diagnostics.Error(where, "unit ", i / 2 + 1, " ", Quoted(unit), " means nothing to the engine: it ignores the signature");
    }
  }
}

// What the program's loader stops at, then what makes the engine ignore the signature.
void CheckPattern(const TLocation& where, const std::string& pattern, TDiagnostics& diagnostics) {
  if (pattern.size() % 2 != 0) {
    diagnostics.Error(where, "pattern of odd length: its last character ", Quoted(pattern.substr(pattern.size() - 1)),
                      " belongs to no unit");
  }
  bool loaderStops = false;
  ForEachCheckedUnit(pattern, [&](std::size_t number, std::string_view unit) {
    if (IsHexPair(unit)) return;
    loaderStops = true;
    diagnostics.Error(where, "unit ", number, " ", Quoted(unit),
                      " is not two hexadecimal digits (the program stops loading at '$", unit, "')");
  });
  if (loaderStops) return;
  switch (qrx::engine::parsePattern(pattern).status) {
    case qrx::engine::PatternStatus::Empty:
      diagnostics.Error(where, "no byte to look for: the engine ignores the signature");
      break;
    case qrx::engine::PatternStatus::NoAnchor:
      diagnostics.Error(where, "no piece between gaps holds two exact bytes: the engine ignores the signature");
      break;
    case qrx::engine::PatternStatus::BadUnit: ReportMeaninglessUnits(where, pattern, diagnostics); break;
    case qrx::engine::PatternStatus::Ok:
    case qrx::engine::PatternStatus::TooLong: break;  // the length is reported on its own
  }
}

void CheckItem(const TSignatureItem& item, TDiagnostics& diagnostics) {
  if (item.NameLength == 0) diagnostics.Error(item.Where, "empty name");
  CheckTextLength(item.Where, "name", item.NameLength, decltype(TSignatureEntry::Name)::Capacity, diagnostics);
  CheckTextLength(item.Where, "pattern", item.PatternLength, decltype(TSignatureEntry::Pattern)::Capacity, diagnostics);
  CheckPattern(item.Where, item.Pattern, diagnostics);
}

TSignatureEntry MakeRecord(std::string_view name, std::string_view pattern) {
  TSignatureEntry record = MakeSignatureEntry(name, pattern);
  ScrambleSignatureRecord(record);
  return record;
}

}  // namespace

bool TSignatureFormat::ReadSource(const std::string& path, std::vector<TItem>& items, TDiagnostics& diagnostics) {
  const auto lines = ReadSourceLines(path, diagnostics);
  if (!lines) return false;
  for (const TSourceLine& line : *lines) {
    if (line.Fields.size() != 2) {
      diagnostics.Error(line.Where, "expected a name, a tab and a pattern");
      continue;
    }
    const auto texts = UnescapeFields(line, 2, diagnostics);
    if (!texts) continue;
    const std::string& name = (*texts)[0];
    const std::string& pattern = (*texts)[1];
    items.push_back({line.Where, name, pattern, name.size(), pattern.size()});
  }
  return true;
}

bool TSignatureFormat::ReadData(const std::string& path, std::vector<TItem>& items, TDiagnostics& diagnostics) {
  TSignatureEntry record;
  return ReadDataRecords(path, &record, sizeof record, [&](const TLocation& where) {
    const std::size_t nameLength = record.Name.Length;
    const std::size_t patternLength = record.Pattern.Length;
    UnscrambleSignatureRecord(record);
    items.push_back({where, record.Name.Str(), record.Pattern.Str(), nameLength, patternLength});
  }, diagnostics);
}

void TSignatureFormat::Check(const std::vector<TItem>& items, TDiagnostics& diagnostics) {
  for (const TItem& item : items) CheckItem(item, diagnostics);
  const TListRules rules{"pattern", "signature", MaxStoredSignatures, ", the rest would be dropped"};
  CheckList(items, rules, [](const TItem& item) { return item.Pattern; }, diagnostics);
}

void TSignatureFormat::Write(const std::vector<TItem>& items, std::ostream& out) {
  WriteRecord(MakeRecord(HeaderName, ""), out);
  for (const TItem& item : items) WriteRecord(MakeRecord(item.Name, item.Pattern), out);
}

void TSignatureFormat::Dump(const std::vector<TItem>& items, const std::string& file, std::ostream& out) {
  out << "# " << file << ": " << items.size() << " signatures\n# name\tpattern\n";
  for (const TItem& item : items) out << Escape(item.Name, true) << '\t' << Escape(item.Pattern, false) << '\n';
}
