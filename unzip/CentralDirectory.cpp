#include "CentralDirectory.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <string>

#include "ZipFormat.h"

using QrxPlatform::TFile;

namespace {

constexpr int64_t kEndSearchChunk = 65536;
constexpr int64_t kLocalSearchLimit = 262143;
// Real directories, even of 65,535 entries, stay far below this; a larger one is damage, and
// a lying end record must not make the engine load a whole large file.
constexpr int64_t kDirectorySizeLimit = 64 << 20;
constexpr uint16_t kFlagUtf8Names = 0x800;

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

void CopyName(TZipCursor& cursor, const uint8_t* stored, size_t length) {
  length = std::min<size_t>(length, UZ_NAME_CAPACITY - 1);
  if (length > 0) std::memcpy(cursor.Name, stored, length);
  cursor.Name[length] = '\0';
  for (char* c = cursor.Name; *c; ++c)
    if (*c == '/') *c = '\\';
  if (!(cursor.Flags & kFlagUtf8Names)) QrxPlatform::ConvertOemToAnsi(cursor.Name);
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
  return QrxPlatform::FolderExists(folder.c_str());
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
  CopyName(cursor, entry + kCentralEntrySize, Load16(entry + 28));
  cursor.Position += stored.Size;
  return UZ_OK;
}

void CloseCentralDirectory(TZipCursor& cursor) {
  cursor.ArchiveFile.Close();
  cursor.Buffer.clear();
  cursor.Buffer.shrink_to_fit();
  cursor.Position = 0;
}

TDirectoryTotals DirectoryTotals(const TZipCursor& cursor) {
  TDirectoryTotals totals;
  TStoredEntry stored;
  for (int64_t at = 0; ParseEntry(cursor.Buffer, at, stored); at += stored.Size) {
    totals.Unpacked += ReportedUnpackedSize(stored);
    totals.Packed += ReportedPackedSize(stored);
  }
  return totals;
}

std::vector<TMemberSpan> MemberSpans(const TZipCursor& cursor) {
  std::vector<TMemberSpan> spans;
  TStoredEntry stored;
  for (int64_t at = 0; ParseEntry(cursor.Buffer, at, stored); at += stored.Size) {
    const int64_t start = stored.Wide.LocalHeaderOffset + cursor.OffsetShift;
    spans.push_back({start, start + kLocalHeaderSize + Load16(stored.Fixed + 28) + stored.Wide.PackedSize});
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

// Where the member whose local header is at start really ends: header, name, extra field,
// packed data and, with bit 3, a data descriptor.
int64_t ListedMemberEnd(TFile& file, int64_t start, int64_t packedSize, uint16_t flags) {
  TLocalHeader header;
  if (!file.Seek(start) || !ReadLocalHeader(file, header)) return start;
  int64_t end = start + kLocalHeaderSize + header.NameLength + header.ExtraLength + packedSize;
  return (flags & kFlagDataDescriptor) ? end + 16 : end;
}

// The known span that holds position at, or null.
const TMemberSpan* SpanHolding(const std::vector<TMemberSpan>& known, int64_t at) {
  auto after = std::upper_bound(known.begin(), known.end(), at,
                                [](int64_t position, const TMemberSpan& span) { return position < span.Start; });
  if (after == known.begin()) return nullptr;
  --after;
  return at < after->End ? &*after : nullptr;
}

// The next local-header signature at or after from that no known span holds; -1 at the end.
int64_t NextFreeSignature(TFile& file, const std::vector<TMemberSpan>& known, int64_t from) {
  std::vector<uint8_t> chunk(static_cast<size_t>(kScanChunk));
  const int64_t size = file.Size();
  while (from + kLocalHeaderSize <= size) {
    if (const TMemberSpan* span = SpanHolding(known, from)) {
      from = span->End;
      continue;
    }
    const int64_t want = std::min(kScanChunk, size - from);
    if (!file.Seek(from) || file.Read(chunk.data(), static_cast<size_t>(want)) != want) return -1;
    int64_t at = 0;
    for (; at + 4 <= want; ++at) {
      if (Load32(chunk.data() + at) != kLocalHeaderSignature) continue;
      if (const TMemberSpan* span = SpanHolding(known, from + at)) {
        at = span->End - from - 1;  // jump over the known member
        if (at + 4 > want) break;
        continue;
      }
      return from + at;
    }
    from += std::max<int64_t>(1, std::min(at, want - 3));
  }
  return -1;
}

// The data descriptor that ends a member whose data starts at dataStart: its signature, the
// CRC and the sizes, where the packed size is the distance from dataStart. False when none
// is found before limit.
bool FindDescriptor(TFile& file, int64_t dataStart, int64_t limit, TCentralFacts& facts) {
  std::vector<uint8_t> chunk(static_cast<size_t>(kScanChunk) + 24);
  for (int64_t from = dataStart; from < limit; from += kScanChunk) {
    const int64_t want = std::min<int64_t>(kScanChunk + 24, limit - from);
    if (!file.Seek(from) || file.Read(chunk.data(), static_cast<size_t>(want)) != want) return false;
    for (int64_t at = 0; at + 16 <= want && at < kScanChunk; ++at) {
      const uint8_t* d = chunk.data() + at;
      if (Load32(d) != kDataDescriptorSignature) continue;
      const int64_t packed = from + at - dataStart;
      if (Load32(d + 8) == uint64_t(packed)) {
        facts = {Load32(d + 4), packed, Load32(d + 12)};
        return true;
      }
      if (at + 24 <= want && Load64(d + 8) == uint64_t(packed)) {
        facts = {Load32(d + 4), packed, static_cast<int64_t>(Load64(d + 16) & ((uint64_t(1) << 62) - 1))};
        return true;
      }
    }
  }
  return false;
}

}  // namespace

bool StartUnlistedScan(const char* path, const TZipCursor& directory, TZipCursor& cursor, TUnlistedScan& scan) {
  CloseCentralDirectory(cursor);
  if (!cursor.ArchiveFile.OpenRead(path)) return false;
  scan.Known.clear();
  TStoredEntry stored;
  for (int64_t at = 0; ParseEntry(directory.Buffer, at, stored); at += stored.Size) {
    const int64_t start = stored.Wide.LocalHeaderOffset + directory.OffsetShift;
    const int64_t end = ListedMemberEnd(cursor.ArchiveFile, start, stored.Wide.PackedSize, Load16(stored.Fixed + 8));
    scan.Known.push_back({start, std::max(end, start + 4)});
  }
  scan.Known.push_back({directory.DirectoryStart, directory.DirectoryEnd + kEndRecordSize});
  std::sort(scan.Known.begin(), scan.Known.end(),
            [](const TMemberSpan& a, const TMemberSpan& b) { return a.Start < b.Start; });
  scan.From = 0;
  return true;
}

int32_t NextUnlistedMember(TZipCursor& cursor, TUnlistedScan& scan) {
  TFile& file = cursor.ArchiveFile;
  for (;;) {
    const int64_t at = file.IsOpen() ? NextFreeSignature(file, scan.Known, scan.From) : -1;
    if (at < 0) {
      CloseCentralDirectory(cursor);
      return UZ_END_OF_DIRECTORY;
    }
    scan.From = at + 4;
    TLocalHeader header;
    if (!file.Seek(at) || !ReadLocalHeader(file, header)) continue;
    std::vector<uint8_t> name(header.NameLength);
    if (!file.Seek(at + kLocalHeaderSize) || file.Read(name.data(), name.size()) != static_cast<int64_t>(name.size()))
      continue;
    const int64_t dataStart = at + kLocalHeaderSize + header.NameLength + header.ExtraLength;
    TCentralFacts facts{header.Crc32, header.PackedSize, header.UnpackedSize};
    int64_t dataEnd = dataStart + header.PackedSize;
    if (header.Flags & kFlagDataDescriptor) {
      const TMemberSpan* next = nullptr;
      for (const TMemberSpan& span : scan.Known)
        if (span.Start >= dataStart && (!next || span.Start < next->Start)) next = &span;
      if (!FindDescriptor(file, dataStart, next ? next->Start : file.Size(), facts)) facts = {0, 0, 0};
      dataEnd = dataStart + facts.PackedSize + 16;
    }
    scan.From = std::max(scan.From, dataEnd);
    cursor.Flags = header.Flags;
    cursor.Method = header.Method;
    cursor.DateTime = header.DosDateTime;
    cursor.Facts = facts;
    cursor.PackedSize = facts.PackedSize;
    cursor.UnpackedSize = facts.UnpackedSize;
    cursor.Attributes = 0;
    cursor.LocalHeaderOffset = at;
    cursor.OffsetShift = 0;
    CopyName(cursor, name.data(), name.size());
    return UZ_OK;
  }
}
