// TN_SSCAN.DLL, the scanning engine: its three exports, their records, codes and limits. The
// engine and the program's binding both include this header, so the contract is written once.
//
// initscan(table, count)
//   Primes the engine with `count` signature records (TSignatureEntry) starting at `table`.
//   The engine copies what it needs: the table may change or go afterwards. A later call
//   replaces the signatures. Records beyond the TN_MAX_SIGNATURES-th are not read: the
//   program's table never holds more. Signatures whose pattern cannot be matched sensibly
//   (empty, a unit that means nothing, no piece with two exact bytes) are left out.
//   The pattern language is described in PATTERNS.md beside the engine.
//   Returns TN_INIT_OK, or TN_INIT_BAD_ARGUMENT (count below 0, or no table for a count above 0),
//   or TN_INIT_INTERNAL_ERROR (out of memory). A count of 0 is a valid empty set: every file
//   is then clean. After a failure the engine is not initialised.
//
// scanfileutf8(path, result)
//   Scans the file at `path` (NUL-terminated UTF-8) and fills `result`. Any name opens,
//   whatever its script, and paths may run past 260 characters; a relative path is taken from
//   the current folder. Under Windows bytes that are no UTF-8 are read as U+FFFD; elsewhere
//   the bytes are the path, as the system takes it.
//   0 and 1 mean the file was scanned; every other code means it was not.
//   When several signatures occur in the file, the one whose occurrence ends first wins, ties
//   going to the lower slot. Empty files are clean. The name in `result` is the signature
//   record's own, in Windows-1252 like every text of the records.
//
// scanfile(path, result)
//   The same for a path in the system's ANSI code page, as callers written for the single-byte
//   Windows functions hold it: it reaches only the names that code page can spell. Long paths
//   work here too. Outside Windows the two are one.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <type_traits>

#include "qrx_counted_text.h"

#ifdef _WIN32
#define TN_SSCAN_CALL __stdcall
#else
#define TN_SSCAN_CALL
#endif

// Codes of initscan.
#define TN_INIT_OK 0
#define TN_INIT_BAD_ARGUMENT 3
#define TN_INIT_INTERNAL_ERROR 6

// Codes of scanfileutf8 and scanfile.
#define TN_SCAN_CLEAN 0            // scanned, no signature occurs
#define TN_SCAN_INFECTED 1         // scanned, result->FoundName names the signature
#define TN_SCAN_NOT_INITIALISED 2  // initscan was never called or failed
#define TN_SCAN_BAD_ARGUMENT 3     // path or result missing, or an empty path
#define TN_SCAN_CANNOT_OPEN 4      // missing, access denied, a folder or a device
#define TN_SCAN_READ_ERROR 5       // opened, but a read failed before the verdict
#define TN_SCAN_INTERNAL_ERROR 6   // out of memory

// The most signatures a table holds, and so the most initscan reads.
inline constexpr std::int32_t TN_MAX_SIGNATURES = 37999;

// One signature: 321 bytes, no padding. A counted text's length above its capacity is read
// as the capacity, so a damaged record never makes the reader run into the next field.
struct TSignatureEntry {
  TCountedText<64> Name;
  TCountedText<254> Pattern;
  std::uint8_t PairCount;  // pattern length / 2; the engine reads the length itself

  void SetPairCount() { PairCount = static_cast<std::uint8_t>(Pattern.Size() / 2); }
};
static_assert(sizeof(TSignatureEntry) == 321);
static_assert(offsetof(TSignatureEntry, Pattern) == 65);
static_assert(offsetof(TSignatureEntry, PairCount) == 320);
static_assert(std::is_trivially_copyable_v<TSignatureEntry>);

// A record with the given texts (each cut to its capacity), PairCount set, spare bytes cleared.
inline TSignatureEntry MakeSignatureEntry(std::string_view name, std::string_view pattern) {
  TSignatureEntry entry;
  entry.Name.Assign(name);
  entry.Pattern.Assign(pattern);
  entry.SetPairCount();
  return entry;
}

// The verdict on one file: 66 bytes, no padding. For codes 0 and 1 the engine writes both
// fields: Found 1 with the signature's name, or Found 0 with an empty name.
struct TScanFileResult {
  std::uint8_t Found;
  TCountedText<64> FoundName;
};
static_assert(sizeof(TScanFileResult) == 66);
static_assert(offsetof(TScanFileResult, FoundName) == 1);

extern "C" {
std::int32_t TN_SSCAN_CALL initscan(const void* table, std::int32_t count);
std::int32_t TN_SSCAN_CALL scanfileutf8(const char* path, TScanFileResult* result);
std::int32_t TN_SSCAN_CALL scanfile(const char* path, TScanFileResult* result);
}
