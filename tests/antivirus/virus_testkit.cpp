#include "virus_testkit.h"

#include <array>
#include <cctype>

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

TBytes PaddedEicar() {
  TBytes payload = Eicar();
  payload.resize(payload.size() + 20000, ' ');
  return payload;
}

// The two streams agree up to the end of the EICAR part (no match of the fixed deflate reaches
// across it), where the stream of EICAR alone stops.
TBytes DeflatedEicarCutShort() {
  TBytes stream = UnzipTestKit::DeflateFixed(PaddedEicar());
  stream.resize(UnzipTestKit::DeflateFixed(Eicar()).size());
  return stream;
}

TZipMember DeflatedPayload(const std::string& name) { return DeflatedMember(name, PaddedEicar()); }

TZipMember PlainlyEncryptedPayload(const std::string& name) {
  TZipMember member = StoredMember(name, PaddedEicar());
  member.Flags |= 1;
  return member;
}

TZipMember CrcDamagedPayload(const std::string& name) {
  TZipMember member = DeflatedPayload(name);
  member.Crc32 = ~UnzipTestKit::Crc32Of(PaddedEicar());
  return member;
}

TBytes Zip(const std::vector<TZipMember>& members) { return UnzipTestKit::BuildZip(members); }

TBytes NestedZip(unsigned levels, const std::vector<TZipMember>& members) {
  TBytes archive = Zip(members);
  for (unsigned level = 1; level < levels; ++level) archive = Zip({StoredMember("level.zip", archive)});
  return archive;
}

namespace {

constexpr std::uint32_t kCrcPolynomial = 0xEDB88320u;  // reflected

std::uint64_t GetAt(const TBytes& bytes, std::size_t at, int size) {
  std::uint64_t value = 0;
  for (int i = size; i-- > 0;) value = value << 8 | bytes.at(at + i);
  return value;
}

void PutAt(TBytes& bytes, std::size_t at, int size, std::uint64_t value) {
  for (int i = 0; i < size; ++i) bytes.at(at + i) = static_cast<std::uint8_t>(value >> (8 * i));
}

// One fixed-code deflate block, a zero then matches of 258 bytes at distance 1, written bit by bit.
TBytes DeflatedZerosBitByBit(std::uint64_t size) {
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

// The same stream made fast: the matches take 13 bits each from bit 11 on, so from the third
// byte the stream repeats every 13 bytes (8 matches), and a long stream is a short one with
// that period inserted as often as needed.
TBytes DeflatedZeros(std::uint64_t size) {
  constexpr std::uint64_t kMatchesPerPeriod = 8, kPeriodBytes = 13, kPeriodAt = 2;
  const std::uint64_t matches = size > 0 ? (size - 1) / 258 : 0;
  const std::uint64_t kept = 2 * kMatchesPerPeriod + matches % kMatchesPerPeriod;
  if (matches <= kept) return DeflatedZerosBitByBit(size);
  const TBytes shortStream = DeflatedZerosBitByBit(size - (matches - kept) * 258);
  const auto period = shortStream.begin() + kPeriodAt;
  TBytes stream(shortStream.begin(), period);
  stream.reserve(shortStream.size() + (matches - kept) / kMatchesPerPeriod * kPeriodBytes);
  for (std::uint64_t n = 0; n < (matches - kept) / kMatchesPerPeriod; ++n) {
    stream.insert(stream.end(), period, period + kPeriodBytes);
  }
  stream.insert(stream.end(), period, shortStream.end());
  return stream;
}

// The CRC register is changed linearly by a zero bit: the change for `size` zero bytes is that
// matrix (over GF(2), one column a bit) raised to 8 * size, by repeated squaring.
using TBitMatrix = std::array<std::uint32_t, 32>;

std::uint32_t Times(const TBitMatrix& matrix, std::uint32_t vector) {
  std::uint32_t product = 0;
  for (int bit = 0; vector != 0; ++bit, vector >>= 1) {
    if (vector & 1) product ^= matrix[bit];
  }
  return product;
}

TBitMatrix Squared(const TBitMatrix& matrix) {
  TBitMatrix square;
  for (int bit = 0; bit < 32; ++bit) square[bit] = Times(matrix, matrix[bit]);
  return square;
}

std::uint32_t CrcOfZeros(std::uint64_t size) {
  TBitMatrix power;  // one zero bit
  power[0] = kCrcPolynomial;
  for (int bit = 1; bit < 32; ++bit) power[bit] = 1u << (bit - 1);
  std::uint32_t crc = 0xFFFFFFFFu;
  for (std::uint64_t bits = 8 * size; bits != 0; bits >>= 1, power = Squared(power)) {
    if (bits & 1) crc = Times(power, crc);
  }
  return crc ^ 0xFFFFFFFFu;
}

// Where the index-th directory entry of an archive begins.
std::size_t DirectoryEntryAt(const TBytes& archive, std::size_t index) {
  std::size_t at = UnzipTestKit::CentralDirectoryOffset(archive);
  for (std::size_t n = 0; n < index; ++n) {
    at += 46 + GetAt(archive, at + 28, 2) + GetAt(archive, at + 30, 2) + GetAt(archive, at + 32, 2);
  }
  return at;
}

// Where the values of the ZIP64 extra field of a header begin: right after its name.
std::size_t Zip64ValuesAt(const TBytes& archive, std::size_t header, std::size_t fixedSize, std::size_t nameLengthAt) {
  return header + fixedSize + GetAt(archive, header + nameLengthAt, 2) + 4;
}

}  // namespace

TZipMember ZerosMember(const std::string& name, std::uint64_t size) {
  TZipMember member = DeflatedMember(name, {});
  member.Packed = DeflatedZeros(size);
  member.Crc32 = CrcOfZeros(size);
  return member;
}

TBytes ZerosBomb(const std::string& memberName, std::uint64_t size) {
  TBytes archive = Zip({ZerosMember(memberName, size)});
  DeclareUnpackedSize(archive, 0, static_cast<std::uint32_t>(size));
  return archive;
}

void DeclareUnpackedSize(TBytes& archive, std::size_t index, std::uint32_t size) {
  const std::size_t entry = DirectoryEntryAt(archive, index);
  PutAt(archive, entry + 24, 4, size);
  PutAt(archive, GetAt(archive, entry + 42, 4) + 22, 4, size);
}

void DeclareZip64Sizes(TBytes& archive, std::size_t index, std::uint64_t unpacked,
                       std::optional<std::uint64_t> packed) {
  const std::size_t central = Zip64ValuesAt(archive, DirectoryEntryAt(archive, index), 46, 28);
  const std::size_t local = Zip64ValuesAt(archive, GetAt(archive, central + 16, 8), 30, 26);
  for (const std::size_t values : {central, local}) {
    PutAt(archive, values, 8, unpacked);
    if (packed) PutAt(archive, values + 8, 8, *packed);
  }
}

std::string TestNameOf(const std::string& description) {
  std::string name = description;
  for (char& c : name) {
    if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
  }
  return name;
}

TBytes MethodFixture(const std::string& archive) {
  return UnzipTestKit::ReadFile(UnzipTestKit::HostPath(QRX_METHOD_FIXTURES) + UnzipTestKit::kSeparator + archive);
}

}  // namespace VirusTestKit
