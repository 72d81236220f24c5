#include "Crc32.h"

#include <array>
#include <cstring>

namespace {

// Table k gives the CRC of a byte followed by k zero bytes, so sixteen bytes are folded per step.
constexpr size_t kSlices = 16;
using TCrcTables = std::array<std::array<uint32_t, 256>, kSlices>;

constexpr TCrcTables MakeTables() {
  TCrcTables tables{};
  for (uint32_t byte = 0; byte < 256; ++byte) {
    uint32_t crc = byte;
    for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    tables[0][byte] = crc;
  }
  for (size_t k = 1; k < kSlices; ++k)
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
  while (count >= kSlices) {
    uint32_t word0 = LoadLittle32(data) ^ crc, word1 = LoadLittle32(data + 4);
    uint32_t word2 = LoadLittle32(data + 8), word3 = LoadLittle32(data + 12);
    crc = kTables[15][word0 & 0xFF] ^ kTables[14][(word0 >> 8) & 0xFF] ^ kTables[13][(word0 >> 16) & 0xFF] ^
          kTables[12][word0 >> 24] ^ kTables[11][word1 & 0xFF] ^ kTables[10][(word1 >> 8) & 0xFF] ^
          kTables[9][(word1 >> 16) & 0xFF] ^ kTables[8][word1 >> 24] ^ kTables[7][word2 & 0xFF] ^
          kTables[6][(word2 >> 8) & 0xFF] ^ kTables[5][(word2 >> 16) & 0xFF] ^ kTables[4][word2 >> 24] ^
          kTables[3][word3 & 0xFF] ^ kTables[2][(word3 >> 8) & 0xFF] ^ kTables[1][(word3 >> 16) & 0xFF] ^
          kTables[0][word3 >> 24];
    data += kSlices;
    count -= kSlices;
  }
  while (count--) crc = (crc >> 8) ^ kTables[0][(crc ^ *data++) & 0xFF];
  return crc;
}
