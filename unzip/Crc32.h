// CRC-32 of ZIP (reflected polynomial 0xEDB88320). The running value starts at 0xFFFFFFFF
// and is complemented at the end.
#pragma once

#include <cstddef>
#include <cstdint>

uint32_t Crc32Update(uint32_t running, const uint8_t* data, size_t count);

inline uint32_t Crc32Of(const void* data, size_t count) {
  return ~Crc32Update(0xFFFFFFFFu, static_cast<const uint8_t*>(data), count);
}
