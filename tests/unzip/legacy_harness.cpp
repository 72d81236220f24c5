#include "legacy_harness.h"

#include <random>
#include <stdexcept>

namespace QrxTest {

TZipMember PackedMember(uint16_t method, uint16_t flags, TBytes packed, TBytes content) {
  TZipMember member = UnzipTestKit::MakeMember("member.bin", content, method);
  member.Flags = flags;
  member.Packed = std::move(packed);
  return member;
}

TBytes FewSymbolBytes(size_t size, uint32_t seed, unsigned alphabet) {
  std::mt19937 random(seed);
  TBytes bytes(size);
  for (auto& byte : bytes) byte = static_cast<uint8_t>(random() % alphabet);
  return bytes;
}

TBytes HostFileHead(const std::string& unixPath, size_t maxSize) {
  TBytes bytes;
  try {
    bytes = UnzipTestKit::ReadFile(UnzipTestKit::HostPath(unixPath));
  } catch (const std::runtime_error&) {
    return {};
  }
  if (bytes.size() > maxSize) bytes.resize(maxSize);
  return bytes;
}

}  // namespace QrxTest
