#pragma once
// The signature files QRX_SIG.DAT and QRX_SIG2.DAT and the signature table they are read into.
//
// A file is a plain sequence of 321-byte records laid out like TSignatureEntry: a header record
// (skipped), then one record per signature. The name and pattern texts are stored XOR
// SignatureKey; the length bytes and PairCount are stored plain, and PairCount is recomputed on
// loading. A pattern is read as units of two characters; a unit holding "?", a space or ":" is
// the engine's business, every other unit must be two hexadecimal digits.
#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <type_traits>

#include "qrx_counted_text.h"

// One signature as the scanning engine reads it: 321 bytes, no padding.
struct TSignatureEntry {
  TCountedText<64> Name;
  TCountedText<254> Pattern;
  std::uint8_t PairCount;  // pattern length div 2
};
static_assert(sizeof(TSignatureEntry) == 321);
static_assert(offsetof(TSignatureEntry, Pattern) == 65);
static_assert(offsetof(TSignatureEntry, PairCount) == 320);
static_assert(std::is_trivially_copyable_v<TSignatureEntry>);

inline constexpr std::size_t SignatureRecordSize = sizeof(TSignatureEntry);
inline constexpr std::int32_t SignatureSlots = 38000;
// The last slot is never written, so the table holds one signature less than its slots.
inline constexpr std::int32_t MaxStoredSignatures = SignatureSlots - 1;

// Raised by CheckHexPair. The message is in Windows-1252 in the Windows build.
class ConversionError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Undoes the scrambling of both texts in place; a stored length over the capacity becomes the capacity.
void UnscrambleSignatureRecord(TSignatureEntry& record);
// The inverse, for writing a file (XOR with the key undoes itself).
void ScrambleSignatureRecord(TSignatureEntry& record);

// A plain entry with the given texts (cut to their capacities), PairCount set, spare bytes cleared.
TSignatureEntry MakeSignatureEntry(std::string_view name, std::string_view pattern);

// Inline: the loader runs these on every unit of every signature at start-up.
inline bool IsHexDigit(char c) { return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f'); }
inline bool IsSkippedUnitChar(char c) { return c == '?' || c == ' ' || c == ':'; }
// A unit is left to the engine when either of its characters is "?", a space or ":".
inline bool IsSkippedUnit(std::string_view unit) {
  return unit.size() == 2 && (IsSkippedUnitChar(unit[0]) || IsSkippedUnitChar(unit[1]));
}
inline bool IsHexPair(std::string_view unit) { return unit.size() == 2 && IsHexDigit(unit[0]) && IsHexDigit(unit[1]); }
// Raises ConversionError "'$XY' n'est pas une valeur entière correcte" for the unit "XY".
[[noreturn]] void RaiseConversionError(std::string_view unit);
// Raises the conversion error unless `unit` is two hexadecimal digits.
inline void CheckHexPair(std::string_view unit) {
  if (!IsHexPair(unit)) RaiseConversionError(unit);
}

// Calls visit(unitNumber, unit) for every unit of `pattern` that is not skipped, in order, units
// numbered from 1. An odd last character belongs to no unit.
template <typename Visit>
void ForEachCheckedUnit(std::string_view pattern, Visit&& visit) {
  for (std::size_t i = 0; i + 1 < pattern.size(); i += 2) {
    const std::string_view unit = pattern.substr(i, 2);
    if (!IsSkippedUnit(unit)) visit(i / 2 + 1, unit);
  }
}

// The table: slot k (1-based) is SignatureTable()[k - 1]. Null until a file is loaded and after
// a failed LoadSignatureFile. Once loaded it stays in place and unchanged until the program ends.
const TSignatureEntry* SignatureTable();
// Signature records read so far (headers not counted), stored or not.
std::int32_t SignatureCount();
// The slots actually filled: what the engine may be told about the table's extent.
std::int32_t FilledSignatureSlots();

// Reserves the table, resets the count and reads `path` into it. True when the file could be
// opened and every record read; on false the table is released. A bad pattern unit raises
// ConversionError out of the call, with the table kept as filled so far.
bool LoadSignatureFile(const std::string& path);
// Reads `path` and appends its signatures after those already in the table. True when the file
// could be opened and every record read; the signatures appended before a failure stay. False
// without reading when no table is loaded.
bool AppendSignatureFile(const std::string& path);
