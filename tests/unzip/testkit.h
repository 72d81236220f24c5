// Test kit of the ZIP extractor: the ZIP corpus and its manifest, scratch folders,
// archives built member by member, a small deflate writer and a report recorder.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "MemberStream.h"
#include "UnzipTypes.h"

namespace UnzipTestKit {

using TBytes = std::vector<uint8_t>;

// ---- Files and folders ----

#ifdef _WIN32
inline constexpr char kSeparator = '\\';
#else
inline constexpr char kSeparator = '/';
#endif

// A path of the machine running the tests as the program under test spells it (under Wine
// the Unix root is drive Z:).
std::string HostPath(const std::string& unixPath);
// The folder of the ZIP corpus (tests/data/zip), as HostPath gives it.
std::string CorpusFolder();
// Paths are UTF-8, as everywhere in the program.
TBytes ReadFile(const std::string& path);
bool WriteFile(const std::string& path, const TBytes& bytes);
bool PathExists(const std::string& path);  // a file or a folder

// A fresh folder below the system's folder for temporary files, removed with all it holds.
class TTempFolder {
public:
  TTempFolder();
  ~TTempFolder();
  TTempFolder(const TTempFolder&) = delete;
  TTempFolder& operator=(const TTempFolder&) = delete;
  const std::string& Path() const { return Folder; }
  // The path of name inside the folder ("\" or "/" inside name are kept).
  std::string operator/(const std::string& name) const;
  // Every file below the folder, as paths relative to it with "/" separators, sorted.
  std::vector<std::string> Files() const;

private:
  std::string Folder;
};

// ---- The corpus ----

struct TManifestEntry {
  std::string Archive;
  std::string Member;  // the stored name's bytes
  uint16_t Method = 0;
  uint16_t Flags = 0;
  int64_t PackedSize = 0;
  int64_t UnpackedSize = 0;
  uint32_t Crc32 = 0;
  std::string Outcome;  // ok, unsupported, encrypted or bad
  std::string Sha256;
};
std::vector<TManifestEntry> ReadManifest();

struct TArchiveFacts {
  std::string Archive;
  std::string Recognised;  // yes, local-only or no
  bool Zip64 = false;
  std::string DirectoryEntries;  // the count, or "-" when the directory is unreadable
};
std::vector<TArchiveFacts> ReadArchiveList();

std::string Sha256Hex(const TBytes& bytes);
uint32_t Crc32Of(const TBytes& bytes);

// ---- Archives built for a test ----

struct TZipMember {
  std::string Name;
  TBytes Content;
  uint16_t Method = 8;                 // 0 stored or 8 deflated (fixed codes); others take Packed as given
  std::optional<TBytes> Packed;        // the packed data as it is to be stored, when not made from Content
  uint16_t Flags = 0;                  // bit 3: sizes and CRC follow the data
  bool DescriptorSignature = true;     // with bit 3: the descriptor begins with "PK" 7 8
  std::optional<uint32_t> Crc32;       // declared CRC when not Content's
  std::optional<uint32_t> LocalPackedSize;  // what the local header claims, when not the truth
  std::optional<uint32_t> UnpackedSize;    // what the headers (or the descriptor) claim, when not the truth
  std::optional<uint32_t> CentralUnpackedSize;  // what the directory claims, when not UnpackedSize
  bool Zip64Descriptor = false;        // with bit 3: the descriptor's sizes take 8 bytes each
  std::optional<uint32_t> CentralOffset;  // where the directory says the local header is
  bool WriteLocal = true;              // false: only a directory entry (with CentralOffset)
  uint8_t Attributes = 0;              // MS-DOS attributes (host MS-DOS)
  uint32_t DosDateTime = 0x5A8C6000;   // 2025-04-12 12:00:00
  TBytes CentralExtra;                 // more extra fields for the directory entry
};

TZipMember MakeMember(const std::string& name, const TBytes& content, uint16_t method = 8);

struct TZipLayout {
  TBytes Prefix;                 // bytes before the first local header
  bool OffsetsIgnorePrefix = false;  // stored offsets count from the first local header
  std::string Comment;
  bool Zip64 = false;  // every size and offset in ZIP64 extra fields, ZIP64 end record and locator
};

TBytes BuildZip(const std::vector<TZipMember>& members, const TZipLayout& layout = {});
// Position of the central directory and of the end record in an archive BuildZip made.
size_t CentralDirectoryOffset(const TBytes& archive);

// Extracts the one member of an archive built around it with UnzipMember (handing over the
// central directory's facts when passCentral) into a missing subfolder of a scratch folder.
struct TSingleResult {
  int32_t Result = 0;
  bool OutputExists = false;
  TBytes Output;
};
TSingleResult ExtractSingle(const TZipMember& member, bool passCentral = true);

// ---- One member's packed data decoded from memory ----

// Hands out the bytes, at most readSize of them per read.
class TMemorySource final : public TPackedSource {
public:
  TMemorySource(const uint8_t* bytes, size_t size, size_t readSize) : Bytes(bytes), Size(size), ReadSize(readSize) {}
  size_t Read(uint8_t* to, size_t size) override;

private:
  const uint8_t* const Bytes;
  const size_t Size;
  const size_t ReadSize;
  size_t Position = 0;
};

// What a decoder is fed and how: the member declares Content's size and CRC (and Packed's
// size unless PackedSize says otherwise); the source, the sink and the abort check can be
// made to misbehave.
struct TMemberFeed {
  uint16_t Method = 8;
  uint16_t Flags = 0;                  // general-purpose flags (explode's bits 1 and 2)
  TBytes Packed;
  TBytes Content;
  std::optional<int64_t> PackedSize;   // declared, when not Packed's size (UZ_SIZE_UNKNOWN: none)
  std::optional<int64_t> OutputLimit;  // the most content the sink may see, when not Content's size
  size_t ReadSize = SIZE_MAX;          // the most bytes one read of the source hands out
  std::optional<size_t> SinkFailsAt;   // the sink refuses the write that would take it past this
  std::optional<int64_t> StopAfter;    // the abort check stops once this many packed bytes were taken
};

TMemberFeed FeedOf(uint16_t method, TBytes packed, TBytes content, uint16_t flags = 0);

struct TDecoded {
  int32_t Result = 0;    // the member's result: the decoder's, judged by the content's size and CRC
  TBytes Output;         // what the sink accepted
  bool WroteAfterFailure = false;  // a write came after the sink refused one
};
TDecoded DecodeFromMemory(const TMemberFeed& feed);

// Writes a bit stream least significant bit first, as deflate reads it.
class TBitWriter {
public:
  void Bits(uint32_t value, unsigned count);
  void Code(uint32_t code, unsigned length);  // a Huffman code, most significant bit first
  void AlignToByte();
  TBytes Out;

private:
  unsigned Used = 0;
};

// A deflate stream of one fixed-code block with greedy LZ77 matches.
TBytes DeflateFixed(const TBytes& content);
// Deterministic test content.
TBytes RandomBytes(size_t size, uint32_t seed);
TBytes TextBytes(size_t size, uint32_t seed);
TBytes BytesOf(const std::string& text);

// ---- Reports ----

struct TRecordedReport {
  int32_t Code;
  int32_t Status;
  std::string FileName;
  int64_t UnpackedSize;
  int64_t PackedSize;
  uint16_t Method;
  int8_t Ratio;
  uint32_t DateTime;
  bool IsFolder;
};
// Every report since the last ClearReports, in order.
extern std::vector<TRecordedReport> Recorded;
void ClearReports();
void RecordReport(int32_t code, TUnzipReport* report);
// The statuses of the recorded reports, a run of block reports (-1001) counted once.
std::vector<int32_t> StatusSequence();

}  // namespace UnzipTestKit
