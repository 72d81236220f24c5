#include "virus_testkit.h"

#include "Crc32.h"
#include "implode_encoder.h"
#include "legacy_harness.h"
#include "shrink_encoder.h"

namespace VirusTestKit {

TBytes Eicar() {
  return UnzipTestKit::BytesOf("X5O!P%@AP[4\\PZX54(P^)7CC)7}$EICAR-STANDARD-ANTIVIRUS-TEST-FILE!$H+H*");
}

std::vector<TSignatureEntry> EicarSignatureTable() {
  static const char kHex[] = "0123456789ABCDEF";
  std::string pattern;
  for (std::uint8_t byte : Eicar()) {
    pattern += kHex[byte >> 4];
    pattern += kHex[byte & 15];
  }
  pattern.resize(2 * 40);  // the first 40 bytes: a pattern holds at most 254 characters
  return {MakeSignatureEntry(kEicarSignatureName, pattern)};
}

TZipMember StoredMember(const std::string& name, const TBytes& content) {
  return UnzipTestKit::MakeMember(name, content, 0);
}

TZipMember DeflatedMember(const std::string& name, const TBytes& content) {
  return UnzipTestKit::MakeMember(name, content, 8);
}

TZipMember ShrunkMember(const std::string& name, const TBytes& content) {
  TZipMember member = QrxTest::PackedMember(1, 0, QrxTest::ShrinkData(content), content);
  member.Name = name;
  return member;
}

TZipMember ImplodedMember(const std::string& name, const TBytes& content) {
  const QrxTest::TImplodeOptions options{};
  TZipMember member = QrxTest::PackedMember(6, options.Flags(), QrxTest::ImplodeData(content, options), content);
  member.Name = name;
  return member;
}

TZipMember CrcDamagedMember(const std::string& name) {
  TZipMember member = StoredMember(name, UnzipTestKit::TextBytes(3000, 5));
  member.Crc32 = 0x12345678;
  return member;
}

TZipMember CorruptDeflateMember(const std::string& name) {
  // Block type 3 does not exist.
  TZipMember member = QrxTest::PackedMember(8, 0, TBytes{0x07, 0xFF, 0xFF, 0xFF}, UnzipTestKit::TextBytes(3000, 6));
  member.Name = name;
  return member;
}

TBytes Zip(const std::vector<TZipMember>& members) { return UnzipTestKit::BuildZip(members); }

namespace {

void Put32At(TBytes& bytes, std::size_t at, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

// One fixed-code deflate block: a zero, then matches of 258 bytes at distance 1.
TBytes DeflatedZeros(std::uint64_t size) {
  UnzipTestKit::TBitWriter writer;
  writer.Bits(1, 1);  // last block
  writer.Bits(1, 2);  // fixed codes
  std::uint64_t written = 0;
  while (written < size) {
    if (written > 0 && size - written >= 258) {
      writer.Code(0xC5, 8);  // length 258 (code 285)
      writer.Code(0, 5);     // distance 1
      written += 258;
    } else {
      writer.Code(0x30, 8);  // literal 0
      written += 1;
    }
  }
  writer.Code(0, 7);  // end of block
  writer.AlignToByte();
  return writer.Out;
}

std::uint32_t CrcOfZeros(std::uint64_t size) {
  const TBytes zeros(1 << 20, 0);
  std::uint32_t crc = 0xFFFFFFFFu;
  for (std::uint64_t left = size; left > 0;) {
    const auto n = static_cast<std::uint32_t>(std::min<std::uint64_t>(left, zeros.size()));
    crc = Crc32Update(crc, zeros.data(), n);
    left -= n;
  }
  return crc ^ 0xFFFFFFFFu;
}

}  // namespace

TBytes ZerosBomb(const std::string& memberName, std::uint64_t size) {
  TZipMember member = DeflatedMember(memberName, {});
  member.Packed = DeflatedZeros(size);
  member.Crc32 = CrcOfZeros(size);
  TBytes archive = Zip({member});
  // The builder takes the unpacked size from the content, which is left out here.
  Put32At(archive, 22, static_cast<std::uint32_t>(size));
  Put32At(archive, UnzipTestKit::CentralDirectoryOffset(archive) + 24, static_cast<std::uint32_t>(size));
  return archive;
}

}  // namespace VirusTestKit
