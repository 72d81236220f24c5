#include "testkit.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "Crc32.h"
#include "Decoders.h"
#include "File.h"
#include "FileSystem.h"
#include "TempFolder.h"
#include "UnzipEngine.h"

namespace UnzipTestKit {
namespace fs = std::filesystem;

// ---- Files and folders ----

std::string HostPath(const std::string& unixPath) {
#ifdef _WIN32
  std::string path = "Z:" + unixPath;
  std::replace(path.begin(), path.end(), '/', '\\');
  return path;
#else
  return unixPath;
#endif
}

std::string CorpusFolder() { return HostPath(QRX_ZIP_CORPUS); }

// Through the platform layer, so that names in any script and paths of any length work as
// they do in the program.
TBytes ReadFile(const std::string& path) {
  QrxPlatform::TFile file;
  const int64_t size = file.OpenRead(path) ? file.Size() : -1;
  if (size < 0) throw std::runtime_error("cannot read " + path);
  TBytes bytes(static_cast<size_t>(size));
  if (file.Read(bytes.data(), bytes.size()) != size) throw std::runtime_error("cannot read " + path);
  return bytes;
}

bool WriteFile(const std::string& path, const TBytes& bytes) {
  QrxPlatform::TFile file;
  return file.Create(path) && file.Write(bytes.data(), bytes.size()) == static_cast<int64_t>(bytes.size());
}

namespace {

fs::path U8Path(const std::string& utf8) { return fs::path(std::u8string(utf8.begin(), utf8.end())); }

}  // namespace

bool PathExists(const std::string& path) { return QrxPlatform::FileExists(path) || QrxPlatform::FolderExists(path); }

TTempFolder::TTempFolder() {
  Folder = QrxPlatform::MakeTempFolder();
  if (Folder.empty()) throw std::runtime_error("cannot make a temporary folder");
}

TTempFolder::~TTempFolder() { QrxPlatform::RemoveTree(Folder); }

std::string TTempFolder::operator/(const std::string& name) const { return Folder + kSeparator + name; }

std::vector<std::string> TTempFolder::Files() const {
  std::vector<std::string> files;
  for (const auto& entry : fs::recursive_directory_iterator(U8Path(Folder))) {
    if (entry.is_directory()) continue;
    const std::u8string relative = fs::relative(entry.path(), U8Path(Folder)).generic_u8string();
    files.emplace_back(relative.begin(), relative.end());
  }
  std::sort(files.begin(), files.end());
  return files;
}

// ---- The corpus ----

namespace {

std::vector<std::vector<std::string>> ReadTable(const std::string& path) {
  TBytes bytes = ReadFile(path);
  std::string text(bytes.begin(), bytes.end());
  std::vector<std::vector<std::string>> rows;
  std::istringstream lines(text);
  std::string line;
  std::getline(lines, line);  // column names
  while (std::getline(lines, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty()) continue;
    std::vector<std::string> cells;
    std::istringstream fields(line);
    std::string cell;
    while (std::getline(fields, cell, '\t')) cells.push_back(cell);
    rows.push_back(cells);
  }
  return rows;
}

// Undoes the manifest's escapes: \xNN for a byte, \\ for a backslash.
std::string Unescape(const std::string& text) {
  std::string bytes;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\\' && i + 1 < text.size() && text[i + 1] == '\\') {
      bytes += '\\';
      ++i;
    } else if (text[i] == '\\' && i + 3 < text.size() && text[i + 1] == 'x') {
      bytes += static_cast<char>(std::stoi(text.substr(i + 2, 2), nullptr, 16));
      i += 3;
    } else {
      bytes += text[i];
    }
  }
  return bytes;
}

}  // namespace

std::vector<TManifestEntry> ReadManifest() {
  std::vector<TManifestEntry> entries;
  for (const auto& row : ReadTable(CorpusFolder() + "/MANIFEST.tsv")) {
    if (row.size() < 9) throw std::runtime_error("short manifest line: " + row[0]);
    TManifestEntry entry;
    entry.Archive = row[0];
    entry.Member = Unescape(row[1]);
    entry.Method = static_cast<uint16_t>(std::stoi(row[2]));
    entry.Flags = static_cast<uint16_t>(std::stoi(row[3], nullptr, 16));
    entry.PackedSize = std::stoll(row[4]);
    entry.UnpackedSize = std::stoll(row[5]);
    entry.Crc32 = static_cast<uint32_t>(std::stoul(row[6], nullptr, 16));
    entry.Outcome = row[7];
    entry.Sha256 = row[8];
    entries.push_back(entry);
  }
  return entries;
}

std::vector<TArchiveFacts> ReadArchiveList() {
  std::vector<TArchiveFacts> archives;
  for (const auto& row : ReadTable(CorpusFolder() + "/ARCHIVES.tsv"))
    archives.push_back({row.at(0), row.at(2), row.at(7) == "yes", row.at(8)});
  return archives;
}

namespace {

const std::array<uint32_t, 64> kSha256Rounds = {
    0x428a2f98, 0x71374491, 0xb5c0fbcf, 0xe9b5dba5, 0x3956c25b, 0x59f111f1, 0x923f82a4, 0xab1c5ed5,
    0xd807aa98, 0x12835b01, 0x243185be, 0x550c7dc3, 0x72be5d74, 0x80deb1fe, 0x9bdc06a7, 0xc19bf174,
    0xe49b69c1, 0xefbe4786, 0x0fc19dc6, 0x240ca1cc, 0x2de92c6f, 0x4a7484aa, 0x5cb0a9dc, 0x76f988da,
    0x983e5152, 0xa831c66d, 0xb00327c8, 0xbf597fc7, 0xc6e00bf3, 0xd5a79147, 0x06ca6351, 0x14292967,
    0x27b70a85, 0x2e1b2138, 0x4d2c6dfc, 0x53380d13, 0x650a7354, 0x766a0abb, 0x81c2c92e, 0x92722c85,
    0xa2bfe8a1, 0xa81a664b, 0xc24b8b70, 0xc76c51a3, 0xd192e819, 0xd6990624, 0xf40e3585, 0x106aa070,
    0x19a4c116, 0x1e376c08, 0x2748774c, 0x34b0bcb5, 0x391c0cb3, 0x4ed8aa4a, 0x5b9cca4f, 0x682e6ff3,
    0x748f82ee, 0x78a5636f, 0x84c87814, 0x8cc70208, 0x90befffa, 0xa4506ceb, 0xbef9a3f7, 0xc67178f2};

uint32_t RotateRight(uint32_t x, int n) { return (x >> n) | (x << (32 - n)); }

void Sha256Block(std::array<uint32_t, 8>& state, const uint8_t* block) {
  uint32_t w[64];
  for (int i = 0; i < 16; ++i)
    w[i] = uint32_t(block[4 * i]) << 24 | uint32_t(block[4 * i + 1]) << 16 | uint32_t(block[4 * i + 2]) << 8 | block[4 * i + 3];
  for (int i = 16; i < 64; ++i) {
    uint32_t s0 = RotateRight(w[i - 15], 7) ^ RotateRight(w[i - 15], 18) ^ (w[i - 15] >> 3);
    uint32_t s1 = RotateRight(w[i - 2], 17) ^ RotateRight(w[i - 2], 19) ^ (w[i - 2] >> 10);
    w[i] = w[i - 16] + s0 + w[i - 7] + s1;
  }
  std::array<uint32_t, 8> v = state;
  for (int i = 0; i < 64; ++i) {
    uint32_t s1 = RotateRight(v[4], 6) ^ RotateRight(v[4], 11) ^ RotateRight(v[4], 25);
    uint32_t choice = (v[4] & v[5]) ^ (~v[4] & v[6]);
    uint32_t t1 = v[7] + s1 + choice + kSha256Rounds[i] + w[i];
    uint32_t s0 = RotateRight(v[0], 2) ^ RotateRight(v[0], 13) ^ RotateRight(v[0], 22);
    uint32_t majority = (v[0] & v[1]) ^ (v[0] & v[2]) ^ (v[1] & v[2]);
    std::rotate(v.rbegin(), v.rbegin() + 1, v.rend());
    v[4] += t1;
    v[0] = t1 + s0 + majority;
  }
  for (int i = 0; i < 8; ++i) state[i] += v[i];
}

}  // namespace

std::string Sha256Hex(const TBytes& bytes) {
  std::array<uint32_t, 8> state = {0x6a09e667, 0xbb67ae85, 0x3c6ef372, 0xa54ff53a,
                                   0x510e527f, 0x9b05688c, 0x1f83d9ab, 0x5be0cd19};
  TBytes padded(bytes);
  uint64_t bitLength = uint64_t(bytes.size()) * 8;
  padded.push_back(0x80);
  while (padded.size() % 64 != 56) padded.push_back(0);
  for (int i = 7; i >= 0; --i) padded.push_back(static_cast<uint8_t>(bitLength >> (8 * i)));
  for (size_t at = 0; at < padded.size(); at += 64) Sha256Block(state, padded.data() + at);
  std::string hex;
  char digits[9];
  for (uint32_t word : state) {
    std::snprintf(digits, sizeof digits, "%08x", word);
    hex += digits;
  }
  return hex;
}

uint32_t Crc32Of(const TBytes& bytes) { return ::Crc32Of(bytes.data(), bytes.size()); }

// ---- Archives built for a test ----

namespace {

void Put16(TBytes& out, uint32_t value) {
  out.push_back(static_cast<uint8_t>(value));
  out.push_back(static_cast<uint8_t>(value >> 8));
}
void Put32(TBytes& out, uint32_t value) {
  Put16(out, value & 0xFFFF);
  Put16(out, value >> 16);
}
void Put64(TBytes& out, uint64_t value) {
  Put32(out, static_cast<uint32_t>(value));
  Put32(out, static_cast<uint32_t>(value >> 32));
}
void PutBytes(TBytes& out, const TBytes& bytes) { out.insert(out.end(), bytes.begin(), bytes.end()); }
void PutText(TBytes& out, const std::string& text) { out.insert(out.end(), text.begin(), text.end()); }

TBytes PackedOf(const TZipMember& member) {
  if (member.Packed) return *member.Packed;
  return member.Method == 8 ? DeflateFixed(member.Content) : member.Content;
}

uint32_t DeclaredUnpackedSize(const TZipMember& member) {
  return member.UnpackedSize.value_or(static_cast<uint32_t>(member.Content.size()));
}

}  // namespace

TZipMember MakeMember(const std::string& name, const TBytes& content, uint16_t method) {
  TZipMember member;
  member.Name = name;
  member.Content = content;
  member.Method = method;
  return member;
}

void PutZip64Extra(TBytes& out, const std::vector<uint64_t>& values) {
  Put16(out, 1);
  Put16(out, static_cast<uint32_t>(values.size() * 8));
  for (uint64_t value : values) Put64(out, value);
}

TBytes BuildZip(const std::vector<TZipMember>& members, const TZipLayout& layout) {
  TBytes out = layout.Prefix;
  const uint32_t offsetBase = layout.OffsetsIgnorePrefix ? static_cast<uint32_t>(layout.Prefix.size()) : 0;
  const uint32_t marker = 0xFFFFFFFF;
  TBytes central;
  for (const TZipMember& member : members) {
    TBytes packed = PackedOf(member);
    uint32_t crc = member.Crc32.value_or(Crc32Of(member.Content));
    bool deferred = (member.Flags & 8) != 0;
    uint32_t offset = member.CentralOffset.value_or(static_cast<uint32_t>(out.size()) - offsetBase);
    uint32_t localPacked = member.LocalPackedSize.value_or(static_cast<uint32_t>(packed.size()));
    const uint32_t declaredUnpacked = DeclaredUnpackedSize(member);
    TBytes localExtra;
    if (layout.Zip64 && !deferred) PutZip64Extra(localExtra, {declaredUnpacked, localPacked});
    if (member.WriteLocal) {
      Put32(out, 0x04034B50);
      Put16(out, 20);
      Put16(out, member.Flags);
      Put16(out, member.Method);
      Put32(out, member.DosDateTime);
      Put32(out, deferred ? 0 : crc);
      Put32(out, deferred ? 0 : layout.Zip64 ? marker : localPacked);
      Put32(out, deferred ? 0 : layout.Zip64 ? marker : declaredUnpacked);
      Put16(out, static_cast<uint32_t>(member.Name.size()));
      Put16(out, static_cast<uint32_t>(localExtra.size()));
      PutText(out, member.Name);
      PutBytes(out, localExtra);
      PutBytes(out, packed);
      if (deferred) {
        if (member.DescriptorSignature) Put32(out, 0x08074B50);
        Put32(out, crc);
        if (member.Zip64Descriptor) {
          Put64(out, packed.size());
          Put64(out, declaredUnpacked);
        } else {
          Put32(out, static_cast<uint32_t>(packed.size()));
          Put32(out, declaredUnpacked);
        }
      }
    }
    uint32_t unpacked = member.CentralUnpackedSize.value_or(declaredUnpacked);
    TBytes centralExtra;
    if (layout.Zip64) PutZip64Extra(centralExtra, {unpacked, packed.size(), offset});
    PutBytes(centralExtra, member.CentralExtra);
    Put32(central, 0x02014B50);
    Put16(central, 20);  // made by MS-DOS
    Put16(central, 20);
    Put16(central, member.Flags);
    Put16(central, member.Method);
    Put32(central, member.DosDateTime);
    Put32(central, crc);
    Put32(central, layout.Zip64 ? marker : static_cast<uint32_t>(packed.size()));
    Put32(central, layout.Zip64 ? marker : unpacked);
    Put16(central, static_cast<uint32_t>(member.Name.size()));
    Put16(central, static_cast<uint32_t>(centralExtra.size()));
    Put16(central, 0);
    Put16(central, 0);
    Put16(central, 0);
    Put32(central, member.Attributes);
    Put32(central, layout.Zip64 ? marker : offset);
    PutText(central, member.Name);
    PutBytes(central, centralExtra);
  }
  uint32_t centralOffset = static_cast<uint32_t>(out.size()) - offsetBase;
  PutBytes(out, central);
  if (layout.Zip64) {
    uint32_t zip64End = static_cast<uint32_t>(out.size()) - offsetBase;
    Put32(out, 0x06064B50);
    Put32(out, 44), Put32(out, 0);
    Put16(out, 45), Put16(out, 45);
    Put32(out, 0), Put32(out, 0);
    for (uint64_t value : {uint64_t(members.size()), uint64_t(members.size()), uint64_t(central.size()), uint64_t(centralOffset)})
      Put32(out, static_cast<uint32_t>(value)), Put32(out, static_cast<uint32_t>(value >> 32));
    Put32(out, 0x07064B50);
    Put32(out, 0);
    Put32(out, zip64End), Put32(out, 0);
    Put32(out, 1);
  }
  Put32(out, 0x06054B50);
  Put16(out, 0);
  Put16(out, 0);
  Put16(out, layout.Zip64 ? 0xFFFF : static_cast<uint32_t>(members.size()));
  Put16(out, layout.Zip64 ? 0xFFFF : static_cast<uint32_t>(members.size()));
  Put32(out, layout.Zip64 ? marker : static_cast<uint32_t>(central.size()));
  Put32(out, layout.Zip64 ? marker : centralOffset);
  Put16(out, static_cast<uint32_t>(layout.Comment.size()));
  PutText(out, layout.Comment);
  return out;
}

size_t CentralDirectoryOffset(const TBytes& archive) {
  auto load32 = [&](size_t at) {
    return archive[at] | archive[at + 1] << 8 | archive[at + 2] << 16 | size_t(archive[at + 3]) << 24;
  };
  for (size_t at = archive.size() - 22;; --at) {
    if (archive[at] == 'P' && archive[at + 1] == 'K' && archive[at + 2] == 5 && archive[at + 3] == 6) {
      if (load32(at + 12) != 0xFFFFFFFF) return at - load32(at + 12);
      // The size is in the ZIP64 end record, before the locator that precedes this record.
      const size_t zip64End = at - 20 - 56;
      return zip64End - load32(zip64End + 40);
    }
    if (at == 0) throw std::runtime_error("no end record");
  }
}

namespace {

const uint16_t kLengthBase[29] = {3,  4,  5,  6,  7,  8,  9,  10, 11,  13,  15,  17,  19,  23, 27,
                                  31, 35, 43, 51, 59, 67, 83, 99, 115, 131, 163, 195, 227, 258};
const uint16_t kDistanceBase[30] = {1,   2,   3,   4,   5,   7,    9,    13,   17,   25,   33,   49,   65,    97,    129,
                                    193, 257, 385, 513, 769, 1025, 1537, 2049, 3073, 4097, 6145, 8193, 12289, 16385, 24577};

void FixedLitLen(TBitWriter& out, unsigned symbol) {
  if (symbol < 144) out.Code(0x30 + symbol, 8);
  else if (symbol < 256) out.Code(0x190 + symbol - 144, 9);
  else if (symbol < 280) out.Code(symbol - 256, 7);
  else out.Code(0xC0 + symbol - 280, 8);
}

unsigned ExtraBitsOfLength(unsigned index) { return (index < 8 || index == 28) ? 0 : (index - 4) / 4; }
unsigned ExtraBitsOfDistance(unsigned index) { return index < 4 ? 0 : (index - 2) / 2; }

void WriteMatch(TBitWriter& out, unsigned length, unsigned distance) {
  unsigned l = 28;
  while (kLengthBase[l] > length) --l;
  FixedLitLen(out, 257 + l);
  out.Bits(length - kLengthBase[l], ExtraBitsOfLength(l));
  unsigned d = 29;
  while (kDistanceBase[d] > distance) --d;
  out.Code(d, 5);
  out.Bits(distance - kDistanceBase[d], ExtraBitsOfDistance(d));
}

}  // namespace

TBytes DeflateFixed(const TBytes& content) {
  TBitWriter out;
  out.Bits(1, 1);  // last block
  out.Bits(1, 2);  // fixed codes
  std::vector<int64_t> lastAt(1 << 16, -1);
  auto hashAt = [&](size_t at) { return (content[at] << 8 ^ content[at + 1] << 4 ^ content[at + 2]) & 0xFFFF; };
  for (size_t at = 0; at < content.size();) {
    unsigned best = 0, distance = 0;
    if (at + 3 <= content.size()) {
      int64_t candidate = lastAt[hashAt(at)];
      lastAt[hashAt(at)] = static_cast<int64_t>(at);
      if (candidate >= 0 && at - candidate <= 32768) {
        unsigned length = 0;
        while (length < 258 && at + length < content.size() && content[candidate + length] == content[at + length]) ++length;
        if (length >= 3) best = length, distance = static_cast<unsigned>(at - candidate);
      }
    }
    if (best) {
      WriteMatch(out, best, distance);
      at += best;
    } else {
      FixedLitLen(out, content[at++]);
    }
  }
  FixedLitLen(out, 256);
  return out.Out;
}

TBytes RandomBytes(size_t size, uint32_t seed) {
  TBytes bytes(size);
  uint32_t state = seed * 2654435761u + 1;
  for (auto& byte : bytes) {
    state ^= state << 13;
    state ^= state >> 17;
    state ^= state << 5;
    byte = static_cast<uint8_t>(state);
  }
  return bytes;
}

TBytes TextBytes(size_t size, uint32_t seed) {
  static const char* const kWords[] = {"scan ", "archive ", "member ", "folder ", "virus ", "window ",
                                       "deflate ", "report ", "signature\n", "quorvex "};
  TBytes random = RandomBytes(size, seed), text;
  for (size_t i = 0; text.size() < size; ++i) {
    const char* word = kWords[random[i % size] % 10];
    text.insert(text.end(), word, word + std::strlen(word));
  }
  text.resize(size);
  return text;
}

TBytes BytesOf(const std::string& text) { return TBytes(text.begin(), text.end()); }

void TBitWriter::Bits(uint32_t value, unsigned count) {
  for (unsigned i = 0; i < count; ++i) {
    if (Used == 0) Out.push_back(0);
    Out.back() |= static_cast<uint8_t>(((value >> i) & 1) << Used);
    Used = (Used + 1) % 8;
  }
}

void TBitWriter::Code(uint32_t code, unsigned length) {
  for (unsigned i = length; i-- > 0;) Bits((code >> i) & 1, 1);
}

void TBitWriter::AlignToByte() { Used = 0; }

TSingleResult ExtractSingle(const TZipMember& member, bool passCentral) {
  TTempFolder folder;
  std::string archive = folder / "single.zip";
  TBytes zip = BuildZip({member});
  WriteFile(archive, zip);
  TBytes packed = member.Packed.value_or(member.Method == 8 ? DeflateFixed(member.Content) : member.Content);
  TCentralFacts facts{member.Crc32.value_or(Crc32Of(member.Content)), static_cast<int64_t>(packed.size()),
                      member.CentralUnpackedSize.value_or(DeclaredUnpackedSize(member))};
  std::string output = folder / (std::string("out") + kSeparator + "member.bin");
  TSingleResult single;
  single.Result = UnzipMember(archive.c_str(), output.c_str(), 0, 0, passCentral ? &facts : nullptr);
  single.OutputExists = PathExists(output);
  if (single.OutputExists) single.Output = ReadFile(output);
  return single;
}

// ---- One member's packed data decoded from memory ----

size_t TMemorySource::Read(uint8_t* to, size_t size) {
  size_t n = std::min({size, ReadSize, Size - Position});
  if (n > 0) std::memcpy(to, Bytes + Position, n);
  Position += n;
  return n;
}

namespace {

class TMemorySink final : public TContentSink {
public:
  TMemorySink(TDecoded& decoded, std::optional<size_t> failsAt) : Decoded(decoded), FailsAt(failsAt) {}
  bool Write(const uint8_t* data, uint32_t size) override {
    Decoded.WroteAfterFailure |= Failed;
    if (FailsAt && Decoded.Output.size() + size > *FailsAt) Failed = true;
    if (Failed) return false;
    Decoded.Output.insert(Decoded.Output.end(), data, data + size);
    return true;
  }

private:
  TDecoded& Decoded;
  const std::optional<size_t> FailsAt;
  bool Failed = false;
};

class TStopAfter final : public TAbortCheck {
public:
  explicit TStopAfter(std::optional<int64_t> limit) : Limit(limit) {}
  bool ShouldStop(int64_t packedBytesTaken) override { return Limit && packedBytesTaken >= *Limit; }

private:
  const std::optional<int64_t> Limit;
};

}  // namespace

TMemberFeed FeedOf(uint16_t method, TBytes packed, TBytes content, uint16_t flags) {
  TMemberFeed feed;
  feed.Method = method;
  feed.Flags = flags;
  feed.Packed = std::move(packed);
  feed.Content = std::move(content);
  return feed;
}

TDecoded DecodeFromMemory(const TMemberFeed& feed) {
  // The engine's own sizes: an input buffer room for a stored chunk, a window.
  std::vector<uint8_t> buffer(131072), window(UZ_WIDE_WINDOW_SIZE);
  TDecoded decoded;
  TMemorySource source(feed.Packed.data(), feed.Packed.size(), feed.ReadSize);
  TStopAfter stop(feed.StopAfter);
  TPackedInput input(source, buffer.data(), buffer.size(), static_cast<int64_t>(feed.Packed.size()), &stop);
  input.PackedSize = feed.PackedSize.value_or(static_cast<int64_t>(feed.Packed.size()));
  input.GeneralFlags = feed.Flags;
  TMemorySink sink(decoded, feed.SinkFailsAt);
  TContentOutput output(window.data(), sink, feed.OutputLimit.value_or(static_cast<int64_t>(feed.Content.size())),
                        WindowSizeOf(feed.Method));
  output.UnpackedSize = static_cast<int64_t>(feed.Content.size());
  decoded.Result = output.Verdict(DecodeMethod(feed.Method, input, output), Crc32Of(feed.Content));
  return decoded;
}

// ---- Reports ----

std::vector<TRecordedReport> Recorded;

void ClearReports() { Recorded.clear(); }

void RecordReport(int32_t code, TUnzipReport* report) {
  Recorded.push_back({code, report->Status, report->FileName, report->UnpackedSize, report->PackedSize, report->Method,
                      report->Ratio, report->DateTime, report->IsFolder});
}

std::vector<int32_t> StatusSequence() {
  std::vector<int32_t> statuses;
  for (const TRecordedReport& report : Recorded) {
    bool block = report.Status == UZ_REPORT_PROGRESS;
    if (block && !statuses.empty() && statuses.back() == UZ_REPORT_PROGRESS) continue;
    statuses.push_back(report.Status);
  }
  return statuses;
}

}  // namespace UnzipTestKit
