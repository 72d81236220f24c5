// The 321-byte signature record the program hands to initscan, and its counted texts.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace qrx::engine {

inline constexpr std::size_t kEntrySize = 321;
inline constexpr std::size_t kNameCapacity = 64;
inline constexpr std::size_t kPatternCapacity = 254;
inline constexpr std::size_t kNameOffset = 0;
inline constexpr std::size_t kPatternOffset = 65;
inline constexpr std::size_t kPairCountOffset = 320;

// The table holds at most this many filled slots; initscan never reads past them.
inline constexpr std::size_t kMaxSignatures = 37999;

// Views of the texts of one record. A length byte above its field's capacity is read as
// the capacity, so a damaged record never makes us read into the next field.
std::string_view entryName(const std::uint8_t* entry);
std::string_view entryPattern(const std::uint8_t* entry);

// Writes a record for name and pattern (each cut to its capacity), with the pair count set.
void writeEntry(std::uint8_t* entry, std::string_view name, std::string_view pattern);

}  // namespace qrx::engine
