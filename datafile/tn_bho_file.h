#pragma once
// The browser helper object and toolbar database qrx_bhotb.dat and the table it is read into.
//
// The file is a plain sequence of 555-byte records laid out like TBhoEntry: a header record
// (skipped, but it must be there), then one record per entry. In the three texts every byte is
// stored as (plain + BhoShift) modulo 256; the length bytes, Kind and Spare are stored plain.
#include <cstddef>
#include <cstdint>
#include <string>
#include <type_traits>

#include "qrx_counted_text.h"

// One database entry, copied whole wherever it goes (the threat list embeds it): 555 bytes.
struct TBhoEntry {
  char Kind;           // ToolbarKind for a toolbar; any other value is spyware
  std::uint8_t Spare;  // carried along, never interpreted
  TCountedText<40> Clsid;
  TCountedText<255> Info;
  TCountedText<255> DisplayName;
};
static_assert(sizeof(TBhoEntry) == 555);
static_assert(offsetof(TBhoEntry, Clsid) == 2);
static_assert(offsetof(TBhoEntry, Info) == 43);
static_assert(offsetof(TBhoEntry, DisplayName) == 299);
static_assert(std::is_trivially_copyable_v<TBhoEntry>);

inline constexpr std::size_t BhoRecordSize = sizeof(TBhoEntry);
inline constexpr char ToolbarKind = 'T';
inline constexpr char SpywareKind = 'S';  // what the tool writes; the program only tests for ToolbarKind
inline constexpr std::int32_t BhoSlots = 40000;

// The results of ReadBhoFile.
inline constexpr std::int32_t BhoReadOk = 0;
inline constexpr std::int32_t BhoCannotOpen = -1;  // missing, unopenable, or no readable header
inline constexpr std::int32_t BhoReadFailed = -2;  // reading an entry record failed
inline constexpr std::int32_t BhoTooMany = -3;     // more entries than BhoSlots

// Shifts every character of `text` down by BhoShift, modulo 256, in place. A stored length over
// the capacity becomes the capacity.
void DecodeBhoText(char* text, std::size_t length);
// The inverse, for writing a file.
void EncodeBhoText(char* text, std::size_t length);

template <std::size_t Capacity>
void DecodeBhoText(TCountedText<Capacity>& text) {
  text.Length = static_cast<std::uint8_t>(text.Size());
  DecodeBhoText(text.Text, text.Length);
}

template <std::size_t Capacity>
void EncodeBhoText(TCountedText<Capacity>& text) {
  text.Length = static_cast<std::uint8_t>(text.Size());
  EncodeBhoText(text.Text, text.Length);
}

// Decodes (encodes) the three texts of a record in place; Kind and Spare stay as they are.
void DecodeBhoRecord(TBhoEntry& record);
void EncodeBhoRecord(TBhoEntry& record);

inline bool IsToolbar(const TBhoEntry& entry) { return entry.Kind == ToolbarKind; }

// The display name as the program shows it: the record's Windows-1252 text in UTF-8.
std::string BhoDisplayName(const TBhoEntry& entry);

// The table: slot k (1-based) is BhoTable()[k - 1]; BhoCount() slots are filled. It lives, in
// place, for the whole program.
const TBhoEntry* BhoTable();
std::int32_t BhoCount();

// Reads the database at `path` into the table and returns one of the BhoRead codes above.
// Entries read before a failure stay in the table.
std::int32_t ReadBhoFile(const std::string& path);
