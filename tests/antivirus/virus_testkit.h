#pragma once
// What the antivirus tests build on: the EICAR test file, a signature table that finds it,
// and archives holding it in every way the extractor unpacks.
#include <cstdint>
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

TZipMember StoredMember(const std::string& name, const TBytes& content);
TZipMember DeflatedMember(const std::string& name, const TBytes& content);
TZipMember ShrunkMember(const std::string& name, const TBytes& content);
TZipMember ImplodedMember(const std::string& name, const TBytes& content);
// A member whose data fails its CRC: the extractor drops it and goes on.
TZipMember CrcDamagedMember(const std::string& name);
// A member whose deflate data is corrupt: the extractor drops it and goes on.
TZipMember CorruptDeflateMember(const std::string& name);

TBytes Zip(const std::vector<TZipMember>& members);
// An archive whose one member declares `size` zero bytes, deflated to about size / 160.
TBytes ZerosBomb(const std::string& memberName, std::uint64_t size);

}  // namespace VirusTestKit
