// libFuzzer target of one decoder, chosen at build time by QRX_FUZZ_METHOD (1 unshrink,
// 6 explode, 8 inflate): the input becomes the packed data of one member, extracted by the
// real engine from a real file. Input layout:
//   byte 0      general-purpose flags (bits 1 and 2 choose explode's dictionary and literal tree)
//   bytes 1-3   the declared unpacked size, little-endian (up to 16 MiB)
//   the rest    the packed data
// The declared CRC is 0, so a member ends as a CRC mismatch at best; what is checked here is
// that no input crashes, hangs or overruns a buffer (ASan, UBSan).
#include <cstdint>
#include <string>

#include "UnzipEngine.h"
#include "fuzz_support.h"

namespace {

constexpr size_t kParameterBytes = 4;

void Put16(std::string& out, uint32_t value) {
  out += static_cast<char>(value & 0xFF);
  out += static_cast<char>((value >> 8) & 0xFF);
}

void Put32(std::string& out, uint32_t value) {
  Put16(out, value & 0xFFFF);
  Put16(out, value >> 16);
}

// A local header and the data: the engine reads nothing else of a member.
std::string MemberArchive(const uint8_t* data, size_t size) {
  uint16_t flags = data[0] & 6;
  uint32_t declaredSize = data[1] | data[2] << 8 | uint32_t(data[3]) << 16;
  std::string archive;
  Put32(archive, 0x04034B50);
  Put16(archive, 20);
  Put16(archive, flags);
  Put16(archive, QRX_FUZZ_METHOD);
  Put32(archive, 0);  // time and date
  Put32(archive, 0);  // CRC-32
  Put32(archive, static_cast<uint32_t>(size - kParameterBytes));
  Put32(archive, declaredSize);
  Put16(archive, 1);  // name length
  Put16(archive, 0);  // extra length
  archive += 'm';
  archive.append(reinterpret_cast<const char*>(data + kParameterBytes), size - kParameterBytes);
  return archive;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < kParameterBytes) return 0;
  std::string archive = MemberArchive(data, size);
  const std::string& archivePath = FuzzArchivePath(reinterpret_cast<const uint8_t*>(archive.data()), archive.size());
  std::string outputPath = archivePath + ".out";
  UnzipMember(archivePath.c_str(), outputPath.c_str(), 0, 0);
  return 0;
}
