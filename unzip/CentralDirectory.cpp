#include "CentralDirectory.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <string>
#include <unordered_map>

#include "FileSystem.h"
#include "Text.h"
#include "ZipFormat.h"

using QrxPlatform::TFile;
using QrxPlatform::Utf8PrefixLength;

namespace {

constexpr int64_t kEndSearchChunk = 65536;
constexpr int64_t kLocalSearchLimit = 262143;
// Real directories, even of 65,535 entries, stay far below this; a larger one is damage, and
// a lying end record must not make the engine load a whole large file.
constexpr int64_t kDirectorySizeLimit = 64 << 20;
constexpr uint16_t kFlagUtf8Names = 0x800;

// a + b, held at the ends of the int64_t range instead of wrapping: a lying archive's sizes
// and offsets reach 2^62 each.
int64_t HeldSum(int64_t a, int64_t b) {
  if (b > 0 && a > INT64_MAX - b) return INT64_MAX;
  if (b < 0 && a < INT64_MIN - b) return INT64_MIN;
  return a + b;
}

bool HasSignature(const std::vector<uint8_t>& bytes, int64_t at, uint32_t signature) {
  return at >= 0 && at + 4 <= static_cast<int64_t>(bytes.size()) && Load32(bytes.data() + at) == signature;
}

// Finds the end record nearest the end of the file; -1 when there is none or reading fails.
int64_t FindEndRecord(TFile& file, int64_t fileSize) {
  std::vector<uint8_t> chunk;
  int64_t chunkEnd = fileSize;
  for (;;) {
    int64_t chunkStart = std::max<int64_t>(0, chunkEnd - kEndSearchChunk);
    chunk.resize(static_cast<size_t>(chunkEnd - chunkStart));
    if (!file.Seek(chunkStart) || file.Read(chunk.data(), chunk.size()) != static_cast<int64_t>(chunk.size())) return -1;
    for (int64_t at = static_cast<int64_t>(chunk.size()) - kEndRecordSize; at >= 0; --at)
      if (Load32(chunk.data() + at) == kEndRecordSignature) return chunkStart + at;
    if (chunkStart == 0) return -1;
    chunkEnd = chunkStart + kEndRecordSize;  // chunks overlap by one end record
  }
}

// Where the directory really starts: at its stated offset, or shifted by bytes put before
// the archive (found through the directory size, or the prefix). -1 when neither holds.
// directoryEnd is the position of the end record that follows the directory.
int64_t LocateDirectory(TFile& file, int64_t directoryEnd, int64_t stated, int64_t size, int64_t prefixLength) {
  for (int64_t candidate : {stated, directoryEnd - size, stated + prefixLength}) {
    if (candidate < 0 || candidate > directoryEnd) continue;
    uint8_t signature[4];
    if (!file.Seek(candidate) || file.Read(signature, 4) != 4) continue;
    uint32_t found = Load32(signature);
    if (found == kCentralEntrySignature || candidate == directoryEnd) return candidate;
  }
  return stated >= 0 && stated <= directoryEnd ? stated : -1;
}

// What the end record says of the directory; the ZIP64 end record's values when a locator
// points to one (its offset may ignore a prefix as the directory's may).
struct TDirectoryFacts {
  int64_t End;      // position of the record right after the directory
  int64_t Offset;   // stated offset of the directory
  int64_t Size;
  int64_t Entries;
};

TDirectoryFacts ReadDirectoryFacts(TFile& file, int64_t endRecord, const uint8_t* endBytes, int64_t prefixLength) {
  TDirectoryFacts facts{endRecord, Load32(endBytes + 16), Load32(endBytes + 12), Load16(endBytes + 10)};
  const int64_t locator = endRecord - kZip64LocatorSize;
  uint8_t bytes[kZip64EndRecordSize];
  if (locator < 0 || !file.Seek(locator) || file.Read(bytes, kZip64LocatorSize) != kZip64LocatorSize ||
      Load32(bytes) != kZip64LocatorSignature)
    return facts;
  const auto stated = static_cast<int64_t>(Load64(bytes + 8) & ((uint64_t(1) << 62) - 1));
  for (int64_t candidate : {stated, stated + prefixLength, locator - kZip64EndRecordSize}) {
    if (candidate < 0 || candidate > locator - kZip64EndRecordSize) continue;
    if (!file.Seek(candidate) || file.Read(bytes, sizeof bytes) != kZip64EndRecordSize ||
        Load32(bytes) != kZip64EndRecordSignature)
      continue;
    const int64_t limit = int64_t(1) << 62;
    if (Load64(bytes + 48) >= uint64_t(limit) || Load64(bytes + 40) >= uint64_t(limit)) break;
    return {candidate, static_cast<int64_t>(Load64(bytes + 48)), static_cast<int64_t>(Load64(bytes + 40)),
            static_cast<int64_t>(std::min<uint64_t>(Load64(bytes + 32), uint64_t(limit)))};
  }
  return facts;
}

// One central-directory entry as stored, its ZIP64 extra field applied.
struct TStoredEntry {
  int64_t Size;  // of the whole entry: fixed part, name, extra field, comment
  const uint8_t* Fixed;
  TZip64Values Wide;
  bool WidePacked, WideUnpacked;  // taken from the ZIP64 field
};

// False when no whole entry starts at the position.
bool ParseEntry(const std::vector<uint8_t>& buffer, int64_t at, TStoredEntry& entry) {
  const int64_t left = static_cast<int64_t>(buffer.size()) - at;
  if (left < kCentralEntrySize || !HasSignature(buffer, at, kCentralEntrySignature)) return false;
  const uint8_t* fixed = buffer.data() + at;
  const int64_t nameLength = Load16(fixed + 28), extraLength = Load16(fixed + 30);
  entry.Size = kCentralEntrySize + nameLength + extraLength + Load16(fixed + 32);
  if (left < entry.Size) return false;
  entry.Fixed = fixed;
  entry.Wide = {Load32(fixed + 24), Load32(fixed + 20), Load32(fixed + 42)};
  ApplyZip64Extra(fixed + kCentralEntrySize + nameLength, static_cast<size_t>(extraLength), entry.Wide);
  entry.WideUnpacked = entry.Wide.UnpackedSize != Load32(fixed + 24);
  entry.WidePacked = entry.Wide.PackedSize != Load32(fixed + 20);
  return true;
}

// The reports carry 32-bit sizes as signed values; ZIP64 ones as they are.
int64_t ReportedPackedSize(const TStoredEntry& stored) {
  return stored.WidePacked ? stored.Wide.PackedSize : static_cast<int32_t>(Load32(stored.Fixed + 20));
}
int64_t ReportedUnpackedSize(const TStoredEntry& stored) {
  return stored.WideUnpacked ? stored.Wide.UnpackedSize : static_cast<int32_t>(Load32(stored.Fixed + 24));
}

// The member's name in UTF-8: as stored when the UTF-8 flag is set, else from a Unicode path
// field when the entry has a valid one, else converted from the MS-DOS code page.
void CopyName(TZipCursor& cursor, std::string_view stored, const uint8_t* extra = nullptr, size_t extraLength = 0) {
  std::string& name = cursor.FullName;
  if (cursor.Flags & kFlagUtf8Names) {
    name.assign(stored);
  } else if (!FindUnicodePath(extra, extraLength, stored, name)) {
    name = QrxPlatform::Utf8FromOem(stored);
  }
  name.resize(std::strlen(name.c_str()));  // a name ends at its first NUL
  std::replace(name.begin(), name.end(), '/', '\\');
  const size_t length = Utf8PrefixLength(name, UZ_NAME_CAPACITY - 1);
  std::memcpy(cursor.Name, name.data(), length);
  cursor.Name[length] = '\0';
}

int64_t FindLocalHeaderIn(TFile& file) {
  int64_t size = file.Size();
  if (size <= 4 || !file.Seek(0)) return -1;
  size = std::min(size, kLocalSearchLimit);
  std::vector<uint8_t> head(static_cast<size_t>(size - size / 4));
  int64_t got = file.Read(head.data(), head.size());
  for (int64_t at = 0; at <= got - 5; ++at)
    if (Load32(head.data() + at) == kLocalHeaderSignature) return at;
  return -1;
}

bool IsFolderPath(const char* path) {
  std::string folder(path);
  if (!folder.empty() && (folder.back() == '\\' || folder.back() == '/')) folder.pop_back();
  return QrxPlatform::FolderExists(folder);
}

// Reads the directory of the cursor's open file into the cursor. Unlike OpenCentralDirectory
// it leaves the file open whatever the result, so that the caller can go on reading it.
int32_t ReadDirectory(TZipCursor& cursor, int64_t prefixLength) {
  cursor.Buffer.clear();
  cursor.Position = 0;
  TFile& file = cursor.ArchiveFile;
  int64_t fileSize = file.Size();
  int64_t endRecord = fileSize > 0 ? FindEndRecord(file, fileSize) : -1;
  uint8_t endBytes[kEndRecordSize];
  if (endRecord < 0 || !file.Seek(endRecord) || file.Read(endBytes, kEndRecordSize) != kEndRecordSize)
    return UZ_ARCHIVE_IO;
  const TDirectoryFacts facts = ReadDirectoryFacts(file, endRecord, endBytes, prefixLength);
  int64_t start = LocateDirectory(file, facts.End, facts.Offset, facts.Size, prefixLength);
  cursor.DirectoryStart = start;
  cursor.DirectoryEnd = facts.End;
  // An empty archive: an end record of an empty directory, one that places it right where it
  // stands or leaves room for a directory before it (one at 30 bytes, after a lone local
  // header, is a damaged archive).
  bool empty = facts.Entries == 0 && facts.Size == 0 && start == facts.End &&
               (facts.Offset == facts.End || facts.Offset + prefixLength == facts.End || facts.End >= kCentralEntrySize);
  if (empty) return UZ_END_OF_DIRECTORY;
  if (endRecord < kCentralEntrySize || start < 0 || endRecord - start > kDirectorySizeLimit) return UZ_NO_DIRECTORY;
  cursor.OffsetShift = start - facts.Offset;
  try {
    cursor.Buffer.assign(static_cast<size_t>(endRecord - start + 4), 0);
  } catch (const std::bad_alloc&) {
    return UZ_NO_DIRECTORY;
  }
  if (!file.Seek(start) || file.Read(cursor.Buffer.data(), cursor.Buffer.size()) != static_cast<int64_t>(cursor.Buffer.size())) {
    cursor.Buffer.clear();
    return UZ_ARCHIVE_IO;
  }
  return UZ_OK;
}

// The directory of the cursor's open file, its first entry in the cursor; any other result
// than UZ_OK closes the cursor.
int32_t EnterDirectory(TZipCursor& cursor, int64_t prefixLength) {
  int32_t status = ReadDirectory(cursor, prefixLength);
  if (status != UZ_OK) {
    CloseCentralDirectory(cursor);
    return status;
  }
  // A first entry that cannot be read is a damaged directory, not an empty one.
  return NextCentralEntry(cursor) == UZ_OK ? UZ_OK : UZ_NO_DIRECTORY;
}

// IsZipArchive on the cursor's open file, which stays open for the directory.
bool RecogniseArchive(TZipCursor& cursor, int64_t& prefixLength) {
  prefixLength = -1;
  TFile& file = cursor.ArchiveFile;
  uint8_t signature[4] = {};
  if (!file.Seek(0) || file.Read(signature, 4) < 0) return false;
  if (Load32(signature) == kLocalHeaderSignature) {
    prefixLength = 0;
    return true;
  }
  prefixLength = FindLocalHeaderIn(file);
  if (prefixLength > 0) return true;
  // A prefix longer than the search, or no local header at all (an empty archive): the end
  // record, wherever it stands, decides.
  int32_t read = ReadDirectory(cursor, 0);
  TStoredEntry first;
  if (read == UZ_OK && ParseEntry(cursor.Buffer, 0, first))
    prefixLength = std::max<int64_t>(0, first.Wide.LocalHeaderOffset + cursor.OffsetShift);
  if (read == UZ_END_OF_DIRECTORY) prefixLength = 0;
  cursor.Buffer.clear();
  return prefixLength >= 0;
}

}  // namespace

int64_t FindLocalHeader(const char* path) {
  TFile file;
  return file.OpenRead(path) ? FindLocalHeaderIn(file) : -1;
}

bool IsZipArchive(const char* path, int64_t& prefixLength) {
  prefixLength = -1;
  TZipCursor cursor;
  return !IsFolderPath(path) && cursor.ArchiveFile.OpenRead(path) && RecogniseArchive(cursor, prefixLength);
}

int32_t OpenCentralDirectory(const char* path, TZipCursor& cursor, int64_t prefixLength) {
  CloseCentralDirectory(cursor);
  if (!cursor.ArchiveFile.OpenRead(path)) return UZ_ARCHIVE_IO;
  return EnterDirectory(cursor, prefixLength);
}

int32_t OpenZipArchive(const char* path, TZipCursor& cursor) {
  CloseCentralDirectory(cursor);
  int64_t prefixLength = -1;
  if (IsFolderPath(path) || !cursor.ArchiveFile.OpenRead(path) || !RecogniseArchive(cursor, prefixLength)) {
    CloseCentralDirectory(cursor);
    return UZ_NOT_ARCHIVE;
  }
  return EnterDirectory(cursor, prefixLength);
}

int32_t NextCentralEntry(TZipCursor& cursor) {
  TStoredEntry stored;
  if (!cursor.ArchiveFile.IsOpen() || !ParseEntry(cursor.Buffer, cursor.Position, stored)) {
    CloseCentralDirectory(cursor);
    return UZ_END_OF_DIRECTORY;
  }
  const uint8_t* entry = stored.Fixed;
  cursor.Flags = Load16(entry + 8);
  cursor.Method = Load16(entry + 10);
  cursor.DateTime = Load32(entry + 12);
  cursor.Facts.Crc32 = Load32(entry + 16);
  cursor.Facts.PackedSize = stored.Wide.PackedSize;
  cursor.Facts.UnpackedSize = stored.Wide.UnpackedSize;
  cursor.PackedSize = ReportedPackedSize(stored);
  cursor.UnpackedSize = ReportedUnpackedSize(stored);
  cursor.Attributes = entry[5] == 0 ? entry[38] : 0;
  cursor.LocalHeaderOffset = stored.Wide.LocalHeaderOffset;
  const size_t nameLength = Load16(entry + 28);
  const uint8_t* name = entry + kCentralEntrySize;
  CopyName(cursor, std::string_view(reinterpret_cast<const char*>(name), nameLength), name + nameLength,
           Load16(entry + 30));
  cursor.Position += stored.Size;
  return UZ_OK;
}

void CloseCentralDirectory(TZipCursor& cursor) {
  cursor.ArchiveFile.Close();
  cursor.Buffer.clear();
  cursor.Buffer.shrink_to_fit();
  cursor.Position = 0;
}

void TDirectoryTotals::Add(int64_t unpacked, int64_t packed) {
  Unpacked = HeldSum(Unpacked, unpacked);
  Packed = HeldSum(Packed, packed);
}

TDirectoryTotals DirectoryTotals(const TZipCursor& cursor) {
  TDirectoryTotals totals;
  TStoredEntry stored;
  for (int64_t at = 0; ParseEntry(cursor.Buffer, at, stored); at += stored.Size)
    totals.Add(ReportedUnpackedSize(stored), ReportedPackedSize(stored));
  return totals;
}

std::vector<TMemberSpan> MemberSpans(const TZipCursor& cursor) {
  std::vector<TMemberSpan> spans;
  TStoredEntry stored;
  for (int64_t at = 0; ParseEntry(cursor.Buffer, at, stored); at += stored.Size) {
    const int64_t start = stored.Wide.LocalHeaderOffset + cursor.OffsetShift;
    const int64_t header = start + kLocalHeaderSize + Load16(stored.Fixed + 28);
    spans.push_back({start, HeldSum(header, stored.Wide.PackedSize)});
  }
  return spans;
}

std::vector<bool> FindOverlaps(const std::vector<TMemberSpan>& spans, int64_t directoryStart, int64_t directoryEnd) {
  // Real archives may overlap their neighbour by a byte or two (a few writers of signed Java
  // archives do); overlap bombs overlap by whole members.
  constexpr int64_t kSlack = 2;
  std::vector<bool> overlapping(spans.size(), false);
  std::vector<size_t> order(spans.size());
  for (size_t i = 0; i < order.size(); ++i) order[i] = i;
  std::sort(order.begin(), order.end(), [&](size_t a, size_t b) { return spans[a].Start < spans[b].Start; });
  size_t reaching = 0;  // of the spans seen, the one that reaches furthest
  for (size_t k = 0; k < order.size(); ++k) {
    const size_t i = order[k];
    if (spans[i].End > directoryStart + kSlack && spans[i].Start < directoryEnd) overlapping[i] = true;
    if (k > 0 && spans[reaching].End > spans[i].Start + kSlack) overlapping[i] = overlapping[reaching] = true;
    if (k == 0 || spans[i].End > spans[reaching].End) reaching = i;
  }
  return overlapping;
}

namespace {

constexpr int64_t kScanChunk = 65536;
// Read past each chunk, so that a local header found in it has its fixed part and its name
// (as far as a cursor keeps it) in memory, and a data descriptor its ZIP64 form.
constexpr int64_t kScanLookahead = kLocalHeaderSize + UZ_NAME_CAPACITY;
constexpr int64_t kDescriptorSize = 16;
constexpr int64_t kZip64DescriptorSize = 24;
// Local headers taken at most: far more members than any caller takes, and a bound on what a
// flood of them costs.
constexpr size_t kUnlistedLimit = 65536;

// Where the member whose local header is at start really ends: header, name, extra field,
// packed data and, with bit 3, a data descriptor.
int64_t ListedMemberEnd(TFile& file, int64_t start, int64_t packedSize, uint16_t flags) {
  TLocalHeader header;
  if (!file.Seek(start) || !ReadLocalHeader(file, header)) return start;
  // The header was read, so start lies in the file: with a size below 2^62 the sum fits.
  int64_t end = start + kLocalHeaderSize + header.NameLength + header.ExtraLength + packedSize;
  return (flags & kFlagDataDescriptor) ? end + kDescriptorSize : end;
}

// The spans by start, those that overlap or touch made one.
std::vector<TMemberSpan> MergeSpans(std::vector<TMemberSpan> spans) {
  std::sort(spans.begin(), spans.end(), [](const TMemberSpan& a, const TMemberSpan& b) { return a.Start < b.Start; });
  std::vector<TMemberSpan> merged;
  for (const TMemberSpan& span : spans) {
    if (!merged.empty() && span.Start <= merged.back().End)
      merged.back().End = std::max(merged.back().End, span.End);
    else
      merged.push_back(span);
  }
  return merged;
}

// The fixed part of a local header in memory, as ReadLocalHeader reads it from the file (which
// also applies a ZIP64 extra field).
TLocalHeader LocalHeaderIn(const uint8_t* raw) {
  return {Load16(raw + 6),  Load16(raw + 8),  Load32(raw + 10), Load32(raw + 14),
          Load32(raw + 18), Load32(raw + 22), Load16(raw + 26), Load16(raw + 28)};
}

// The one pass of StartUnlistedScan over the parts of the file that neither a listed member
// nor the directory holds, in chunks. It meets local headers and data descriptors alike: a
// descriptor at p whose packed size is s ends the open bit-3 member whose data starts at
// p - s. Once no member is open, those found are taken in file order, each unless it lies in
// the data of one taken before it, and the pass goes on after that data.
class TUnlistedPass {
public:
  TUnlistedPass(TFile& file, std::vector<TUnlistedMember>& members) : File(file), Size(file.Size()), Members(members) {}
  void Run(const std::vector<TMemberSpan>& known);

private:
  struct TFound {
    TUnlistedMember Member;
    int64_t DataStart;  // where a descriptor counts the packed size from
  };

  void ScanTo(int64_t end);
  const uint8_t* BytesAt(int64_t at);
  void TakeHeader(int64_t at, const uint8_t* raw);
  void TakeDescriptor(int64_t at, const uint8_t* raw);
  void Complete(int64_t dataStart, const TCentralFacts& facts);
  void Settle();
  bool Done() const { return Failed || (Found == kUnlistedLimit && Open.empty()); }

  TFile& File;
  const int64_t Size;
  std::vector<TUnlistedMember>& Members;
  std::vector<uint8_t> Chunk;
  int64_t ChunkStart = -kScanChunk;  // none read yet
  int64_t Position = 0;              // the next byte looked at
  int64_t Limit = 0;                 // end of the free part being scanned, at most the file's
  int64_t From = 0;                  // end of the data of the last member taken
  std::vector<TFound> Pending;       // found since no member was last open
  std::unordered_multimap<int64_t, size_t> Open;  // Pending's bit-3 members by data start
  size_t Found = 0;
  bool Failed = false;
};

void TUnlistedPass::Run(const std::vector<TMemberSpan>& known) {
  for (const TMemberSpan& span : known) {
    ScanTo(span.Start);
    // A member's data never run into a listed member or the directory: the open ones get no
    // descriptor.
    Open.clear();
    Settle();
    Position = std::max({Position, span.End, From});
  }
  ScanTo(Size);
  Open.clear();
  Settle();
}

void TUnlistedPass::ScanTo(int64_t end) {
  Limit = std::min(end, Size);    // a listed member may claim to start past the file's end
  end = std::min(end, Size - 3);  // a signature's four bytes lie in the file
  while (Position < end && !Done()) {
    const uint8_t* bytes = BytesAt(Position);
    if (!bytes) return;
    // Both signatures begin with "P": the bytes before the next one in the chunk are passed over.
    const int64_t left = std::min(end, ChunkStart + kScanChunk) - Position;
    const auto* p = static_cast<const uint8_t*>(std::memchr(bytes, 'P', static_cast<size_t>(left)));
    if (!p) {
      Position += left;
      continue;
    }
    Position += p - bytes;
    const uint32_t signature = Load32(p);
    if (signature == kLocalHeaderSignature) TakeHeader(Position, p);
    if (signature == kDataDescriptorSignature) TakeDescriptor(Position, p);
    ++Position;
    if (Open.empty() && !Pending.empty()) {
      Settle();
      Position = std::max(Position, From);
    }
  }
}

// The file's bytes from at on: to the end of the chunk that holds at and its lookahead, or to
// the file's end. Null when they cannot be read.
const uint8_t* TUnlistedPass::BytesAt(int64_t at) {
  if (at - ChunkStart >= kScanChunk) {
    Chunk.resize(static_cast<size_t>(std::min(kScanChunk + kScanLookahead, Size - at)));
    if (!File.Seek(at) || File.Read(Chunk.data(), Chunk.size()) != static_cast<int64_t>(Chunk.size())) {
      Failed = true;
      return nullptr;
    }
    ChunkStart = at;
  }
  return Chunk.data() + (at - ChunkStart);
}

void TUnlistedPass::TakeHeader(int64_t at, const uint8_t* raw) {
  if (Found == kUnlistedLimit || at + kLocalHeaderSize > Size) return;
  TLocalHeader header = LocalHeaderIn(raw);
  if (at + kLocalHeaderSize + header.NameLength > Size) return;
  const bool deferred = header.Flags & kFlagDataDescriptor;
  // ZIP64 sizes wait in the extra field; with bit 3 the descriptor tells them anyway.
  const bool wide = header.PackedSize == kZip64Marker || header.UnpackedSize == kZip64Marker;
  if (!deferred && wide && (!File.Seek(at) || !ReadLocalHeader(File, header))) return;
  ++Found;
  const auto* name = reinterpret_cast<const char*>(raw + kLocalHeaderSize);
  TFound found{{at, {header.Crc32, header.PackedSize, header.UnpackedSize}, header.DosDateTime, header.Flags,
                header.Method, std::string(name, std::min<size_t>(header.NameLength, UZ_NAME_CAPACITY - 1))},
               at + kLocalHeaderSize + header.NameLength + header.ExtraLength};
  if (deferred) {
    found.Member.Facts = {0, 0, 0};  // until its descriptor turns up
    Open.emplace(found.DataStart, Pending.size());
  }
  Pending.push_back(std::move(found));
}

// A descriptor lies whole before the end of the free part; either form may fit its member.
void TUnlistedPass::TakeDescriptor(int64_t at, const uint8_t* raw) {
  if (at + kDescriptorSize <= Limit) {
    const uint32_t packed = Load32(raw + 8);
    Complete(at - packed, {Load32(raw + 4), packed, Load32(raw + 12)});
  }
  if (at + kZip64DescriptorSize > Limit) return;
  const uint64_t packed = Load64(raw + 8);
  const auto unpacked = static_cast<int64_t>(Load64(raw + 16) & ((uint64_t(1) << 62) - 1));
  if (packed <= uint64_t(at))
    Complete(at - static_cast<int64_t>(packed), {Load32(raw + 4), static_cast<int64_t>(packed), unpacked});
}

void TUnlistedPass::Complete(int64_t dataStart, const TCentralFacts& facts) {
  const auto [first, last] = Open.equal_range(dataStart);
  for (auto it = first; it != last; ++it) Pending[it->second].Member.Facts = facts;
  Open.erase(first, last);
}

void TUnlistedPass::Settle() {
  for (TFound& found : Pending) {
    if (found.Member.LocalHeader < From) continue;
    // Data start and packed size lie below 2^62: the end cannot overflow.
    const bool deferred = found.Member.Flags & kFlagDataDescriptor;
    const int64_t dataEnd = found.DataStart + found.Member.Facts.PackedSize + (deferred ? kDescriptorSize : 0);
    From = std::max(found.Member.LocalHeader + 4, dataEnd);
    Members.push_back(std::move(found.Member));
  }
  Pending.clear();
}

}  // namespace

bool StartUnlistedScan(const char* path, const TZipCursor& directory, TZipCursor& cursor, TUnlistedScan& scan) {
  CloseCentralDirectory(cursor);
  if (!cursor.ArchiveFile.OpenRead(path)) return false;
  std::vector<TMemberSpan> known;
  TStoredEntry stored;
  for (int64_t at = 0; ParseEntry(directory.Buffer, at, stored); at += stored.Size) {
    const int64_t start = stored.Wide.LocalHeaderOffset + directory.OffsetShift;
    const int64_t end = ListedMemberEnd(cursor.ArchiveFile, start, stored.Wide.PackedSize, Load16(stored.Fixed + 8));
    known.push_back({start, std::max(end, start + 4)});
  }
  known.push_back({directory.DirectoryStart, directory.DirectoryEnd + kEndRecordSize});
  scan = {};
  TUnlistedPass(cursor.ArchiveFile, scan.Members).Run(MergeSpans(std::move(known)));
  return true;
}

int32_t NextUnlistedMember(TZipCursor& cursor, TUnlistedScan& scan) {
  if (!cursor.ArchiveFile.IsOpen() || scan.Next == scan.Members.size()) {
    CloseCentralDirectory(cursor);
    return UZ_END_OF_DIRECTORY;
  }
  const TUnlistedMember& member = scan.Members[scan.Next++];
  cursor.Flags = member.Flags;
  cursor.Method = member.Method;
  cursor.DateTime = member.DateTime;
  cursor.Facts = member.Facts;
  cursor.PackedSize = member.Facts.PackedSize;
  cursor.UnpackedSize = member.Facts.UnpackedSize;
  cursor.Attributes = 0;
  cursor.LocalHeaderOffset = member.LocalHeader;
  cursor.OffsetShift = 0;
  CopyName(cursor, member.Name);
  return UZ_OK;
}
