#include "tn_bho_file.h"

#include "Text.h"
#include "qrx_datakeys.h"
#include "qrx_record_file.h"

namespace {

// 22 MB of zero pages until written: reserved for the whole run without a heap allocation.
TBhoEntry Table[BhoSlots];
std::int32_t Count = 0;

void AddToBytes(char* text, std::size_t length, std::uint8_t delta) {
  for (std::size_t i = 0; i < length; ++i) {
    text[i] = static_cast<char>(static_cast<std::uint8_t>(text[i]) + delta);  // wraps modulo 256
  }
}

// One entry record: decoded and stored while there is a free slot.
bool TakeBhoRecord(void* buffer) {
  if (Count == BhoSlots) return false;
  TBhoEntry& record = *static_cast<TBhoEntry*>(buffer);
  DecodeBhoRecord(record);
  Table[Count++] = record;
  return true;
}

}  // namespace

void DecodeBhoText(char* text, std::size_t length) {
  AddToBytes(text, length, static_cast<std::uint8_t>(256 - BhoShift));
}

void EncodeBhoText(char* text, std::size_t length) { AddToBytes(text, length, BhoShift); }

void DecodeBhoRecord(TBhoEntry& record) {
  DecodeBhoText(record.Clsid);
  DecodeBhoText(record.Info);
  DecodeBhoText(record.DisplayName);
}

void EncodeBhoRecord(TBhoEntry& record) {
  EncodeBhoText(record.Clsid);
  EncodeBhoText(record.Info);
  EncodeBhoText(record.DisplayName);
}

std::string BhoDisplayName(const TBhoEntry& entry) {
  return QrxPlatform::Utf8FromWindows1252(entry.DisplayName.View());
}

const TBhoEntry* BhoTable() { return Table; }

std::int32_t BhoCount() { return Count; }

std::int32_t ReadBhoFile(const std::string& path) {
  Count = 0;
  TBhoEntry buffer;
  switch (ReadRecordFile(path, &buffer, sizeof buffer, TakeBhoRecord)) {
    case TRecordFileOutcome::Done: return BhoReadOk;
    case TRecordFileOutcome::Stopped: return BhoTooMany;
    // A read that fails once the table is full is still one entry too many.
    case TRecordFileOutcome::ReadError: return Count == BhoSlots ? BhoTooMany : BhoReadFailed;
    case TRecordFileOutcome::CannotOpen:
    case TRecordFileOutcome::NoHeader:
    case TRecordFileOutcome::HeaderError: return BhoCannotOpen;
  }
  return BhoCannotOpen;
}
