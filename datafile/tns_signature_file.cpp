#include "tns_signature_file.h"

#include <memory>

#include "qrx_datakeys.h"
#include "qrx_record_file.h"

namespace {

std::unique_ptr<TSignatureEntry[]> Table;
std::int32_t Count = 0;   // records read, stored or not
std::int32_t Stored = 0;  // slots filled

template <std::size_t Capacity>
void XorText(TCountedText<Capacity>& text) {
  text.Length = static_cast<std::uint8_t>(text.Size());
  for (std::size_t i = 0; i < text.Length; ++i) text.Text[i] = static_cast<char>(text.Text[i] ^ SignatureKey);
}

// One record of a file: counted, checked, and stored while there is a free slot.
bool TakeSignatureRecord(void* buffer) {
  TSignatureEntry& record = *static_cast<TSignatureEntry*>(buffer);
  ++Count;
  UnscrambleSignatureRecord(record);
  record.SetPairCount();
  ForEachCheckedUnit(record.Pattern.View(), [](std::size_t, std::string_view unit) { CheckHexPair(unit); });
  if (Stored < MaxStoredSignatures) Table[Stored++] = record;
  return true;
}

bool ReadSignatureRecords(const std::string& path) {
  TSignatureEntry buffer;
  switch (ReadRecordFile(path, &buffer, sizeof buffer, TakeSignatureRecord)) {
    case TRecordFileOutcome::Done:
    case TRecordFileOutcome::NoHeader:  // too short for a header: no signatures, not an error
      return true;
    default:
      return false;
  }
}

}  // namespace

void UnscrambleSignatureRecord(TSignatureEntry& record) {
  XorText(record.Name);
  XorText(record.Pattern);
}

void ScrambleSignatureRecord(TSignatureEntry& record) { UnscrambleSignatureRecord(record); }

void RaiseConversionError(std::string_view unit) {
  throw ConversionError("'$" + std::string(unit) + "' n'est pas une valeur entière correcte");
}

const TSignatureEntry* SignatureTable() { return Table.get(); }

std::int32_t SignatureCount() { return Count; }

std::int32_t FilledSignatureSlots() { return Table ? Stored : 0; }

bool LoadSignatureFile(const std::string& path) {
  // Reserved in one piece before the first record, whatever the file's size; never cleared,
  // since only the filled slots are read.
  Table = std::make_unique_for_overwrite<TSignatureEntry[]>(SignatureSlots);
  Count = 0;
  Stored = 0;
  const bool ok = ReadSignatureRecords(path);
  if (!ok) Table.reset();
  return ok;
}

bool AppendSignatureFile(const std::string& path) { return Table && ReadSignatureRecords(path); }
