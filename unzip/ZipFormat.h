// Record layouts, signatures and method numbers of the ZIP format (PKWARE APPNOTE), as far
// as the extractor reads them.
#pragma once

#include <cstdint>

#include "Platform.h"

inline constexpr uint32_t kLocalHeaderSignature = 0x04034B50;      // "PK" 3 4
inline constexpr uint32_t kCentralEntrySignature = 0x02014B50;     // "PK" 1 2
inline constexpr uint32_t kEndRecordSignature = 0x06054B50;        // "PK" 5 6
inline constexpr uint32_t kDataDescriptorSignature = 0x08074B50;   // "PK" 7 8

inline constexpr int kLocalHeaderSize = 30;
inline constexpr int kCentralEntrySize = 46;
inline constexpr int kEndRecordSize = 22;

inline constexpr uint16_t kFlagEncrypted = 1;
inline constexpr uint16_t kFlagDataDescriptor = 8;

inline constexpr uint16_t kMethodStored = 0;
inline constexpr uint16_t kMethodShrunk = 1;
inline constexpr uint16_t kMethodImploded = 6;
inline constexpr uint16_t kMethodDeflated = 8;

// A 32-bit size or offset of this value defers to a ZIP64 record, which the extractor refuses.
inline constexpr int64_t kZip64Marker = 0xFFFFFFFF;

bool IsSupportedMethod(uint16_t method);

inline uint16_t Load16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }
inline uint32_t Load32(const uint8_t* p) { return uint32_t(Load16(p)) | uint32_t(Load16(p + 2)) << 16; }

struct TLocalHeader {
  uint16_t Flags;
  uint16_t Method;
  uint32_t DosDateTime;
  uint32_t Crc32;
  int64_t PackedSize;    // the 32-bit fields, unsigned
  int64_t UnpackedSize;
  uint16_t NameLength;
  uint16_t ExtraLength;
};

// Reads the 30-byte local header at the file's position; false when short or without signature.
bool ReadLocalHeader(QrxPlatform::TFile& archive, TLocalHeader& header);
