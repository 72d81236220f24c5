// Record layouts, signatures and method numbers of the ZIP format (PKWARE APPNOTE), as far
// as the extractor reads them.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "File.h"

inline constexpr uint32_t kLocalHeaderSignature = 0x04034B50;      // "PK" 3 4
inline constexpr uint32_t kCentralEntrySignature = 0x02014B50;     // "PK" 1 2
inline constexpr uint32_t kEndRecordSignature = 0x06054B50;        // "PK" 5 6
inline constexpr uint32_t kDataDescriptorSignature = 0x08074B50;   // "PK" 7 8
inline constexpr uint32_t kZip64EndRecordSignature = 0x06064B50;   // "PK" 6 6
inline constexpr uint32_t kZip64LocatorSignature = 0x07064B50;     // "PK" 6 7

inline constexpr int kLocalHeaderSize = 30;
inline constexpr int kCentralEntrySize = 46;
inline constexpr int kEndRecordSize = 22;
inline constexpr int kZip64EndRecordSize = 56;
inline constexpr int kZip64LocatorSize = 20;

inline constexpr uint16_t kFlagEncrypted = 1;
inline constexpr uint16_t kFlagDataDescriptor = 8;

inline constexpr uint16_t kMethodStored = 0;
inline constexpr uint16_t kMethodShrunk = 1;
inline constexpr uint16_t kMethodImploded = 6;
inline constexpr uint16_t kMethodDeflated = 8;
inline constexpr uint16_t kMethodDeflate64 = 9;
inline constexpr uint16_t kMethodBzip2 = 12;
inline constexpr uint16_t kMethodLzma = 14;
inline constexpr uint16_t kMethodZstd = 93;
inline constexpr uint16_t kMethodXz = 95;
inline constexpr uint16_t kMethodAes = 99;  // AES encryption; the real method is in its extra field
// Flag bit 1 of an LZMA member: its data ends with an end-of-stream marker.
inline constexpr uint16_t kFlagLzmaEndMarker = 2;

// A 32-bit size or offset of this value defers to the ZIP64 extra field of its header.
inline constexpr int64_t kZip64Marker = 0xFFFFFFFF;
inline constexpr uint16_t kZip64ExtraId = 0x0001;
inline constexpr uint16_t kUnicodePathExtraId = 0x7075;  // "up"

bool IsSupportedMethod(uint16_t method);
// The method's short name ("deflated", "bzip2"...), or null for a method the extractor does not know.
const char* MethodName(uint16_t method);

inline uint16_t Load16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }
inline uint32_t Load32(const uint8_t* p) { return uint32_t(Load16(p)) | uint32_t(Load16(p + 2)) << 16; }
inline uint64_t Load64(const uint8_t* p) { return uint64_t(Load32(p)) | uint64_t(Load32(p + 4)) << 32; }

// The 64-bit values of a ZIP64 extra field, each present only when its 32-bit field holds
// the marker, in this order. Values the field does not carry keep what they held.
struct TZip64Values {
  int64_t UnpackedSize;
  int64_t PackedSize;
  int64_t LocalHeaderOffset;
};
// Applies the ZIP64 extra field found in extra[0, length) to values; false when there is none.
// A value above 2^62 is damage and is not taken.
bool ApplyZip64Extra(const uint8_t* extra, size_t length, TZip64Values& values);

// The UTF-8 name that a Unicode path field of an entry's extra field gives for its stored name
// (an archiver's way to keep a name whole without setting the UTF-8 flag). Taken only from a
// field of version 1 written for that very name, by the CRC-32 of the stored bytes: a tool
// that renamed the member without knowing the field leaves a stale one behind.
bool FindUnicodePath(const uint8_t* extra, size_t length, std::string_view storedName, std::string& utf8Name);

struct TLocalHeader {
  uint16_t Flags;
  uint16_t Method;
  uint32_t DosDateTime;
  uint32_t Crc32;
  int64_t PackedSize;    // the 32-bit fields, unsigned, or the ZIP64 extra field's values
  int64_t UnpackedSize;
  uint16_t NameLength;
  uint16_t ExtraLength;
};

// Reads the local header at the file's position (the 30 bytes and its ZIP64 values), leaving
// the file after its extra field; false when short or without signature.
bool ReadLocalHeader(QrxPlatform::TFile& archive, TLocalHeader& header);
