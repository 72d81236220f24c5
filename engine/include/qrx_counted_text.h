#pragma once
// Counted text: a length byte followed by a fixed number of single-byte (Windows-1252)
// characters, the first `Length` of which are the text. The data files, the signature table
// and the engine's result record are made of these, byte for byte.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

template <std::size_t CapacityValue>
struct TCountedText {
  static constexpr std::size_t Capacity = CapacityValue;
  static_assert(Capacity <= 255, "the length is one byte");

  std::uint8_t Length;
  char Text[Capacity];

  // The length as it is used: a stored length over the capacity counts as the capacity.
  std::size_t Size() const { return std::min<std::size_t>(Length, Capacity); }
  std::string_view View() const { return {Text, Size()}; }
  std::string Str() const { return std::string(View()); }

  // Stores `text` cut to the capacity; the bytes after it are cleared.
  void Assign(std::string_view text) {
    const std::size_t size = std::min(text.size(), Capacity);
    Length = static_cast<std::uint8_t>(size);
    if (size != 0) std::memcpy(Text, text.data(), size);  // an empty view may have no data
    std::memset(Text + size, 0, Capacity - size);
  }
};
