#include "signature_entry.h"

#include <algorithm>
#include <cstring>

namespace qrx::engine {
namespace {

std::string_view countedText(const std::uint8_t* field, std::size_t capacity) {
  const std::size_t length = std::min<std::size_t>(field[0], capacity);
  return {reinterpret_cast<const char*>(field + 1), length};
}

void writeCountedText(std::uint8_t* field, std::size_t capacity, std::string_view text) {
  const std::size_t length = std::min(text.size(), capacity);
  std::memset(field, 0, capacity + 1);
  field[0] = static_cast<std::uint8_t>(length);
  std::memcpy(field + 1, text.data(), length);
}

}  // namespace

std::string_view entryName(const std::uint8_t* entry) {
  return countedText(entry + kNameOffset, kNameCapacity);
}

std::string_view entryPattern(const std::uint8_t* entry) {
  return countedText(entry + kPatternOffset, kPatternCapacity);
}

void writeEntry(std::uint8_t* entry, std::string_view name, std::string_view pattern) {
  writeCountedText(entry + kNameOffset, kNameCapacity, name);
  writeCountedText(entry + kPatternOffset, kPatternCapacity, pattern);
  entry[kPairCountOffset] = static_cast<std::uint8_t>(std::min(pattern.size(), kPatternCapacity) / 2);
}

}  // namespace qrx::engine
