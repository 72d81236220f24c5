#include "qrxdata_bho.h"

#include <cstdio>
#include <optional>

#include "qrxdata_records.h"
#include "tn_bho_file.h"
#include "tns_signature_file.h"

const std::size_t TBhoFormat::RecordSize = BhoRecordSize;

namespace {

constexpr char HeaderInfo[] = "Quorvex browser helper object and toolbar database";

// The form of the subkey names of HKEY_CLASSES_ROOT\CLSID: {XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}.
bool IsClassIdentifier(const std::string& text) {
  constexpr std::string_view Form = "{HHHHHHHH-HHHH-HHHH-HHHH-HHHHHHHHHHHH}";
  if (text.size() != Form.size()) return false;
  for (std::size_t i = 0; i < Form.size(); ++i) {
    if (Form[i] == 'H' ? !IsHexDigit(text[i]) : text[i] != Form[i]) return false;
  }
  return true;
}

void CheckItem(const TBhoItem& item, TDiagnostics& diagnostics) {
  if (item.Kind != std::string{ToolbarKind} && item.Kind != std::string{SpywareKind}) {
    diagnostics.Error(item.Where, "kind ", Quoted(item.Kind), " is neither T (toolbar) nor S (spyware)");
  }
  CheckTextLength(item.Where, "CLSID", item.ClsidLength, decltype(TBhoEntry::Clsid)::Capacity, diagnostics);
  if (item.ClsidLength <= decltype(TBhoEntry::Clsid)::Capacity && !IsClassIdentifier(item.Clsid)) {
    diagnostics.Error(item.Where, "CLSID ", Quoted(item.Clsid), " is not of the form {XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}");
  }
  CheckTextLength(item.Where, "info", item.InfoLength, decltype(TBhoEntry::Info)::Capacity, diagnostics);
  if (item.DisplayNameLength == 0) diagnostics.Error(item.Where, "empty display name");
  CheckTextLength(item.Where, "display name", item.DisplayNameLength, decltype(TBhoEntry::DisplayName)::Capacity,
                  diagnostics);
}

std::optional<std::uint8_t> ParseSpare(const std::string& field) {
  if (!IsHexPair(field)) return std::nullopt;
  return static_cast<std::uint8_t>(std::stoi(field, nullptr, 16));
}

TBhoEntry MakeRecord(char kind, std::string_view clsid, std::string_view info, std::string_view displayName,
                     std::uint8_t spare) {
  TBhoEntry record;
  record.Kind = kind;
  record.Spare = spare;
  record.Clsid.Assign(clsid);
  record.Info.Assign(info);
  record.DisplayName.Assign(displayName);
  EncodeBhoRecord(record);
  return record;
}

}  // namespace

bool TBhoFormat::ReadSource(const std::string& path, std::vector<TItem>& items, TDiagnostics& diagnostics) {
  const auto lines = ReadSourceLines(path, diagnostics);
  if (!lines) return false;
  for (const TSourceLine& line : *lines) {
    if (line.Fields.size() != 4 && line.Fields.size() != 5) {
      diagnostics.Error(line.Where, "expected kind, CLSID, info and display name separated by tabs, and an optional spare byte");
      continue;
    }
    const auto texts = UnescapeFields(line, 4, diagnostics);
    std::optional<std::uint8_t> spare = 0;
    if (line.Fields.size() == 5 && !(spare = ParseSpare(line.Fields[4]))) {
      diagnostics.Error(line.Where, "spare byte ", Quoted(line.Fields[4]), " is not two hexadecimal digits");
    }
    if (!texts || !spare) continue;
    const std::string& clsid = (*texts)[1];
    const std::string& info = (*texts)[2];
    const std::string& displayName = (*texts)[3];
    items.push_back({line.Where, (*texts)[0], clsid, info, displayName, clsid.size(), info.size(), displayName.size(),
                     *spare});
  }
  return true;
}

bool TBhoFormat::ReadData(const std::string& path, std::vector<TItem>& items, TDiagnostics& diagnostics) {
  TBhoEntry record;
  return ReadDataRecords(path, &record, sizeof record, [&](const TLocation& where) {
    const std::size_t clsidLength = record.Clsid.Length;
    DecodeBhoRecord(record);
    items.push_back({where, std::string{record.Kind}, record.Clsid.Str(), record.Info.Str(),
                     record.DisplayName.Str(), clsidLength, record.Info.Length, record.DisplayName.Length,
                     record.Spare});
  }, diagnostics);
}

void TBhoFormat::Check(const std::vector<TItem>& items, TDiagnostics& diagnostics) {
  for (const TItem& item : items) CheckItem(item, diagnostics);
  const TListRules rules{"CLSID", "entry", BhoSlots, " and the program refuses the file"};
  CheckList(items, rules, [](const TItem& item) { return item.Clsid; }, diagnostics);
}

void TBhoFormat::Write(const std::vector<TItem>& items, std::ostream& out) {
  WriteRecord(MakeRecord('H', "", HeaderInfo, "", 0), out);
  for (const TItem& item : items) {
    WriteRecord(MakeRecord(item.Kind.at(0), item.Clsid, item.Info, item.DisplayName, item.Spare), out);
  }
}

void TBhoFormat::Dump(const std::vector<TItem>& items, const std::string& file, std::ostream& out) {
  out << "# " << file << ": " << items.size() << " entries\n# kind\tCLSID\tinfo\tdisplay name[\tspare byte]\n";
  for (const TItem& item : items) {
    out << Escape(item.Kind, true) << '\t' << Escape(item.Clsid, false) << '\t' << Escape(item.Info, false) << '\t'
        << Escape(item.DisplayName, false);
    if (item.Spare != 0) {
      char spare[3];
      std::snprintf(spare, sizeof spare, "%02X", item.Spare);
      out << '\t' << spare;
    }
    out << '\n';
  }
}
