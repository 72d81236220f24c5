#include "ZipFormat.h"

bool IsSupportedMethod(uint16_t method) {
  return method == kMethodStored || method == kMethodShrunk || method == kMethodImploded || method == kMethodDeflated;
}

bool ReadLocalHeader(QrxPlatform::TFile& archive, TLocalHeader& header) {
  uint8_t raw[kLocalHeaderSize];
  if (archive.Read(raw, sizeof raw) != kLocalHeaderSize || Load32(raw) != kLocalHeaderSignature) return false;
  header.Flags = Load16(raw + 6);
  header.Method = Load16(raw + 8);
  header.DosDateTime = Load32(raw + 10);
  header.Crc32 = Load32(raw + 14);
  header.PackedSize = Load32(raw + 18);
  header.UnpackedSize = Load32(raw + 22);
  header.NameLength = Load16(raw + 26);
  header.ExtraLength = Load16(raw + 28);
  return true;
}
