#include "Crc32.h"

#include <array>
#include <cstring>

namespace {

// Table k gives the CRC of a byte followed by k zero bytes, so eight bytes are folded per step.
using TCrcTables = std::array<std::array<uint32_t, 256>, 8>;

constexpr TCrcTables MakeTables() {
  TCrcTables tables{};
  for (uint32_t byte = 0; byte < 256; ++byte) {
    uint32_t crc = byte;
    for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    tables[0][byte] = crc;
  }
  for (size_t k = 1; k < 8; ++k)
    for (uint32_t byte = 0; byte < 256; ++byte)
      tables[k][byte] = (tables[k - 1][byte] >> 8) ^ tables[0][tables[k - 1][byte] & 0xFF];
  return tables;
}

constexpr TCrcTables kTables = MakeTables();

uint32_t LoadLittle32(const uint8_t* p) {
  return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

}  // namespace

uint32_t Crc32Update(uint32_t crc, const uint8_t* data, size_t count) {
  while (count >= 8) {
    uint32_t low = LoadLittle32(data) ^ crc;
    uint32_t high = LoadLittle32(data + 4);
    crc = kTables[7][low & 0xFF] ^ kTables[6][(low >> 8) & 0xFF] ^ kTables[5][(low >> 16) & 0xFF] ^
          kTables[4][low >> 24] ^ kTables[3][high & 0xFF] ^ kTables[2][(high >> 8) & 0xFF] ^
          kTables[1][(high >> 16) & 0xFF] ^ kTables[0][high >> 24];
    data += 8;
    count -= 8;
  }
  while (count--) crc = (crc >> 8) ^ kTables[0][(crc ^ *data++) & 0xFF];
  return crc;
}
