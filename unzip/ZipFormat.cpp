#include "ZipFormat.h"

#include <vector>

#include "Crc32.h"
#include "Text.h"

bool IsSupportedMethod(uint16_t method) { return method != kMethodAes && MethodName(method) != nullptr; }

const char* MethodName(uint16_t method) {
  switch (method) {
    case kMethodStored: return "stored";
    case kMethodShrunk: return "shrunk";
    case kMethodImploded: return "imploded";
    case kMethodDeflated: return "deflated";
    case kMethodDeflate64: return "deflate64";
    case kMethodBzip2: return "bzip2";
    case kMethodLzma: return "lzma";
    case kMethodZstd: return "zstd";
    case kMethodXz: return "xz";
    case kMethodAes: return "aes";
    default: return nullptr;
  }
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
  if (header.PackedSize != kZip64Marker && header.UnpackedSize != kZip64Marker) return true;
  std::vector<uint8_t> tail(size_t(header.NameLength) + header.ExtraLength);
  if (archive.Read(tail.data(), tail.size()) != static_cast<int64_t>(tail.size())) return true;
  TZip64Values values{header.UnpackedSize, header.PackedSize, 0};
  const uint8_t* extra = tail.data() + header.NameLength;
  for (size_t at = 0; at + 4 <= header.ExtraLength; at += 4 + Load16(extra + at + 2)) {
    size_t size = Load16(extra + at + 2);
    if (Load16(extra + at) != kZip64ExtraId || at + 4 + size > header.ExtraLength || size < 16) continue;
    // A local header's ZIP64 field carries both sizes, even when only one field is marked.
    values.UnpackedSize = values.PackedSize = kZip64Marker;
    break;
  }
  ApplyZip64Extra(extra, header.ExtraLength, values);
  header.UnpackedSize = values.UnpackedSize;
  header.PackedSize = values.PackedSize;
  return true;
}

bool FindUnicodePath(const uint8_t* extra, size_t length, std::string_view storedName, std::string& utf8Name) {
  for (size_t at = 0; at + 4 <= length;) {
    const size_t size = Load16(extra + at + 2);
    const uint8_t* field = extra + at + 4;
    at += 4 + size;
    // Version, CRC-32 of the stored name, then the name itself.
    if (Load16(field - 4) != kUnicodePathExtraId || at > length || size < 5 || field[0] != 1) continue;
    if (Load32(field + 1) != Crc32Of(storedName.data(), storedName.size())) continue;
    const std::string_view name(reinterpret_cast<const char*>(field + 5), size - 5);
    if (!QrxPlatform::IsValidUtf8(name)) continue;
    utf8Name.assign(name);
    return true;
  }
  return false;
}

bool ApplyZip64Extra(const uint8_t* extra, size_t length, TZip64Values& values) {
  for (size_t at = 0; at + 4 <= length;) {
    const size_t size = Load16(extra + at + 2);
    const uint8_t* field = extra + at + 4;
    at += 4 + size;
    if (Load16(field - 4) != kZip64ExtraId || at > length) continue;
    size_t used = 0;
    for (int64_t* value : {&values.UnpackedSize, &values.PackedSize, &values.LocalHeaderOffset}) {
      if (*value != kZip64Marker || used + 8 > size) continue;
      uint64_t wide = Load64(field + used);
      used += 8;
      if (wide < (uint64_t(1) << 62)) *value = static_cast<int64_t>(wide);
    }
    return true;
  }
  return false;
}
