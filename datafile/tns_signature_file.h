#pragma once
// The signature files QRX_SIG.DAT and QRX_SIG2.DAT and the signature table they are read into.
//
// A file is a plain sequence of 321-byte records laid out like the engine's TSignatureEntry
// (tn_sscan.h, which the table hands to the engine as it is): a header record
// (skipped), then one record per signature. The name and pattern texts are stored XOR
// SignatureKey; the length bytes and PairCount are stored plain, and PairCount is recomputed on
// loading. A pattern is read as units of two characters; a unit holding "?", a space or ":" is
// the engine's business, every other unit must be two hexadecimal digits.
#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

#include "tn_sscan.h"

inline constexpr std::size_t SignatureRecordSize = sizeof(TSignatureEntry);
// The table holds as many signatures as the engine reads, in one slot more than that: the last
// slot is never written.
inline constexpr std::int32_t MaxStoredSignatures = TN_MAX_SIGNATURES;
inline constexpr std::int32_t SignatureSlots = MaxStoredSignatures + 1;

// Raised by CheckHexPair. The message is UTF-8, like every text of the program.
class ConversionError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Undoes the scrambling of both texts in place; a stored length over the capacity becomes the capacity.
void UnscrambleSignatureRecord(TSignatureEntry& record);
// The inverse, for writing a file (XOR with the key undoes itself).
void ScrambleSignatureRecord(TSignatureEntry& record);

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
