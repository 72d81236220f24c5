#pragma once
// What the antivirus tests build on: the EICAR test file, a signature table that finds it,
// and archives holding it in every way the extractor unpacks.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "testkit.h"
#include "tn_sscan.h"

namespace VirusTestKit {

using UnzipTestKit::TBytes;
using UnzipTestKit::TZipMember;

// The standard anti-virus test file, 68 bytes.
TBytes Eicar();
inline constexpr char kEicarSignatureName[] = "EICAR-Test-File";
// One 321-byte signature record that matches Eicar().
std::vector<TSignatureEntry> EicarSignatureTable();
// Eicar() followed by 20,000 spaces: deflated, it shows only once unpacked.
TBytes PaddedEicar();
// PaddedEicar() deflated, the stream cut short right after the codes of its EICAR part.
TBytes DeflatedEicarCutShort();
// Members holding PaddedEicar(): deflated; stored as it is though flagged encrypted (bit 0);
// deflated with a wrong CRC.
TZipMember DeflatedPayload(const std::string& name);
TZipMember PlainlyEncryptedPayload(const std::string& name);
TZipMember CrcDamagedPayload(const std::string& name);

TZipMember StoredMember(const std::string& name, const TBytes& content);
TZipMember DeflatedMember(const std::string& name, const TBytes& content);
TZipMember ShrunkMember(const std::string& name, const TBytes& content);
TZipMember ImplodedMember(const std::string& name, const TBytes& content);
// A member whose data fails its CRC: the extractor drops it and goes on.
TZipMember CrcDamagedMember(const std::string& name);
// A member whose deflate data is corrupt: the extractor drops it and goes on.
TZipMember CorruptDeflateMember(const std::string& name);

TBytes Zip(const std::vector<TZipMember>& members);
// `levels` archives one inside the other, the innermost holding `members`: each of the others
// holds the next as its one stored member "level.zip".
TBytes NestedZip(unsigned levels, const std::vector<TZipMember>& members);

// A member holding `size` zero bytes, deflated to about size / 160 in no time. It declares no
// size until DeclareUnpackedSize gives it its true one in the archive built around it.
TZipMember ZerosMember(const std::string& name, std::uint64_t size);
// An archive whose one member declares `size` zero bytes, and holds them.
TBytes ZerosBomb(const std::string& memberName, std::uint64_t size);

// The unpacked size that the index-th member (in directory order) of an archive Zip made
// declares, in its local header and its directory entry.
void DeclareUnpackedSize(TBytes& archive, std::size_t index, std::uint32_t size);
// The same in the ZIP64 fields of an archive built with TZipLayout::Zip64, the packed size too
// when given.
void DeclareZip64Sizes(TBytes& archive, std::size_t index, std::uint64_t unpacked,
                       std::optional<std::uint64_t> packed = std::nullopt);

// An archive of the extractor's method fixtures (tests/unzip/methods), read whole. Members
// "eicar.com" hold Eicar() and "eicar-text.com" holds it amid text, packed by their method.
TBytes MethodFixture(const std::string& archive);

// A gtest parameter name made of a case's description.
std::string TestNameOf(const std::string& description);

}  // namespace VirusTestKit
