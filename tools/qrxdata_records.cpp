#include "qrxdata_records.h"

#include <filesystem>
#include <system_error>

#include "qrx_console.h"
#include "qrx_record_file.h"

bool ReadDataRecords(const std::string& path, void* buffer, std::size_t recordSize,
                     const std::function<void(const TLocation&)>& visit, TDiagnostics& diagnostics) {
  std::size_t number = 0;
  const auto outcome = ReadRecordFile(path, buffer, recordSize, [&](void*) {
    visit(TLocation{path, ++number, true});
    return true;
  });
  switch (outcome) {
    case TRecordFileOutcome::CannotOpen: diagnostics.FileError(path, "cannot open the file"); return false;
    case TRecordFileOutcome::HeaderError: diagnostics.FileError(path, "cannot read the header record"); return false;
    case TRecordFileOutcome::ReadError: diagnostics.Error({path, number + 1, true}, "read error"); return false;
    default: return true;
  }
}

void CheckRecordLayout(const std::string& path, std::size_t recordSize, TDiagnostics& diagnostics) {
  std::error_code error;
  const auto size = std::filesystem::file_size(PathFromUtf8(path), error);
  if (error) return;  // reported by the reading
  if (size < recordSize) {
    diagnostics.FileError(path, "no header record: the file is shorter than one record of ", recordSize, " bytes");
  } else if (size % recordSize != 0) {
    diagnostics.FileError(path, size % recordSize, " bytes after the last whole record are ignored");
  }
}

void CheckTextLength(const TLocation& where, const char* field, std::size_t length, std::size_t capacity,
                     TDiagnostics& diagnostics) {
  if (length <= capacity) return;
  diagnostics.Error(where, field, " of ", length, " characters is longer than ", capacity);
}

std::string UpperAscii(std::string text) {
  for (char& c : text) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return text;
}
