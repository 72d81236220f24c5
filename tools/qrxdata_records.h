#pragma once
// The data files as the tool sees them: read record by record exactly as the program reads
// them, with each failure reported against the file and record.
#include <cstddef>
#include <functional>
#include <ostream>
#include <string>
#include <unordered_map>
#include <vector>

#include "qrxdata_text.h"

// Reads the entry records of the data file `path` into `buffer` (one record of `recordSize`
// bytes), calling visit(where) after each. False, with the failure reported, when the file
// cannot be opened or a read fails; a file too short for its header has no entries.
bool ReadDataRecords(const std::string& path, void* buffer, std::size_t recordSize,
                     const std::function<void(const TLocation&)>& visit, TDiagnostics& diagnostics);

template <typename Record>
void WriteRecord(const Record& record, std::ostream& out) {
  out.write(reinterpret_cast<const char*>(&record), sizeof record);
}

// Reports what the program silently passes over: a missing header, bytes after the last record.
void CheckRecordLayout(const std::string& path, std::size_t recordSize, TDiagnostics& diagnostics);

// ASCII letters upper-cased, the rest as is: how identifiers are compared.
std::string UpperAscii(std::string text);

// What only the whole list shows: an item whose identity (`identity(item)`, compared without
// regard to ASCII case) repeats an earlier one, and the first item past the table's `capacity`.
struct TListRules {
  const char* Identity;   // "pattern", "CLSID"
  const char* Noun;       // "signature", "entry"
  std::size_t Capacity;
  const char* Overflow;   // what the program does with the items past the capacity
};

template <typename Item, typename Identity>
void CheckList(const std::vector<Item>& items, const TListRules& rules, Identity identity, TDiagnostics& diagnostics) {
  std::unordered_map<std::string, const Item*> seen;
  for (std::size_t i = 0; i < items.size(); ++i) {
    const Item& item = items[i];
    const auto [first, isNew] = seen.emplace(UpperAscii(identity(item)), &item);
    if (!isNew) diagnostics.Error(item.Where, "same ", rules.Identity, " as ", first->second->Where);
    if (i == rules.Capacity) {
      diagnostics.Error(item.Where, rules.Noun, " ", i + 1, " of ", items.size(), ": the table holds ",
                        rules.Capacity, rules.Overflow);
    }
  }
}

// Reports a text longer than its field's capacity (the program would cut it).
void CheckTextLength(const TLocation& where, const char* field, std::size_t length, std::size_t capacity,
                     TDiagnostics& diagnostics);
