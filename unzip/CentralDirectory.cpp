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
int64_t LocateDirectory(TFile& file, int64_t endRecord, const uint8_t* endBytes, int64_t prefixLength) {
  int64_t stated = Load32(endBytes + 16);
  int64_t size = Load32(endBytes + 12);
  for (int64_t candidate : {stated, endRecord - size, stated + prefixLength}) {
    if (candidate < 0 || candidate > endRecord) continue;
    uint8_t signature[4];
    if (!file.Seek(candidate) || file.Read(signature, 4) != 4) continue;
    uint32_t found = Load32(signature);
    if (found == kCentralEntrySignature || (found == kEndRecordSignature && candidate == endRecord)) return candidate;
  }
  return stated <= endRecord ? stated : -1;
}

void CopyName(TZipCursor& cursor, const uint8_t* stored, size_t length) {
  length = std::min<size_t>(length, UZ_NAME_CAPACITY - 1);
  std::memcpy(cursor.Name, stored, length);
  cursor.Name[length] = '\0';
  for (char* c = cursor.Name; *c; ++c)
    if (*c == '/') *c = '\\';
  if (!(cursor.Flags & kFlagUtf8Names)) QrxPlatform::ConvertOemToAnsi(cursor.Name);
}

}  // namespace

int64_t FindLocalHeader(const char* path) {
  TFile file;
  if (!file.OpenRead(path)) return -1;
  int64_t size = file.Size();
  if (size <= 4) return -1;
  size = std::min(size, kLocalSearchLimit);
  std::vector<uint8_t> head(static_cast<size_t>(size - size / 4));
  int64_t got = file.Read(head.data(), head.size());
  for (int64_t at = 0; at <= got - 5; ++at)
    if (Load32(head.data() + at) == kLocalHeaderSignature) return at;
  return -1;
}

bool IsZipArchive(const char* path, int64_t& prefixLength) {
  prefixLength = -1;
  std::string folder(path);
  if (!folder.empty() && (folder.back() == '\\' || folder.back() == '/')) folder.pop_back();
  if (QrxPlatform::FolderExists(folder.c_str())) return false;
  TFile file;
  uint8_t signature[4] = {};
  if (!file.OpenRead(path) || file.Read(signature, 4) < 0) return false;
  file.Close();
  if (Load32(signature) == kLocalHeaderSignature) {
    prefixLength = 0;
    return true;
  }
  prefixLength = FindLocalHeader(path);
  return prefixLength > 0;
}

int32_t OpenCentralDirectory(const char* path, TZipCursor& cursor, int64_t prefixLength) {
  CloseCentralDirectory(cursor);
  TFile& file = cursor.ArchiveFile;
  if (!file.OpenRead(path)) return UZ_ARCHIVE_IO;
  int64_t fileSize = file.Size();
  int64_t endRecord = fileSize > 0 ? FindEndRecord(file, fileSize) : -1;
  uint8_t endBytes[kEndRecordSize];
  if (endRecord < 0 || !file.Seek(endRecord) || file.Read(endBytes, kEndRecordSize) != kEndRecordSize) {
    file.Close();
    return UZ_ARCHIVE_IO;
  }
  int64_t start = endRecord >= kCentralEntrySize ? LocateDirectory(file, endRecord, endBytes, prefixLength) : -1;
  if (start < 0 || endRecord - start > kDirectorySizeLimit) {
    file.Close();
    return UZ_NO_DIRECTORY;
  }
  cursor.OffsetShift = start - Load32(endBytes + 16);
  try {
    cursor.Buffer.assign(static_cast<size_t>(endRecord - start + 4), 0);
  } catch (const std::bad_alloc&) {
    file.Close();
    return UZ_NO_DIRECTORY;
  }
  if (!file.Seek(start) || file.Read(cursor.Buffer.data(), cursor.Buffer.size()) != static_cast<int64_t>(cursor.Buffer.size())) {
    CloseCentralDirectory(cursor);
    return UZ_ARCHIVE_IO;
  }
  cursor.Position = 0;
  return NextCentralEntry(cursor);
}

int32_t NextCentralEntry(TZipCursor& cursor) {
  const int64_t at = cursor.Position;
  const int64_t left = static_cast<int64_t>(cursor.Buffer.size()) - at;
  const uint8_t* entry = cursor.Buffer.data() + at;
  if (!cursor.ArchiveFile.IsOpen() || left < kCentralEntrySize || !HasSignature(cursor.Buffer, at, kCentralEntrySignature)) {
    CloseCentralDirectory(cursor);
    return UZ_END_OF_DIRECTORY;
  }
  const int64_t nameLength = Load16(entry + 28);
  const int64_t entrySize = kCentralEntrySize + nameLength + Load16(entry + 30) + Load16(entry + 32);
  if (left < entrySize) {
    CloseCentralDirectory(cursor);
    return UZ_END_OF_DIRECTORY;
  }
  cursor.Flags = Load16(entry + 8);
  cursor.Method = Load16(entry + 10);
  cursor.DateTime = Load32(entry + 12);
  cursor.Facts.Crc32 = Load32(entry + 16);
  cursor.Facts.PackedSize = Load32(entry + 20);
  cursor.Facts.UnpackedSize = Load32(entry + 24);
  cursor.PackedSize = static_cast<int32_t>(Load32(entry + 20));
  cursor.UnpackedSize = static_cast<int32_t>(Load32(entry + 24));
  cursor.Attributes = entry[5] == 0 ? entry[38] : 0;
  cursor.LocalHeaderOffset = Load32(entry + 42);
  CopyName(cursor, entry + kCentralEntrySize, static_cast<size_t>(nameLength));
  cursor.Position = static_cast<int32_t>(at + entrySize);
  return UZ_OK;
}

void CloseCentralDirectory(TZipCursor& cursor) {
  cursor.ArchiveFile.Close();
  cursor.Buffer.clear();
  cursor.Buffer.shrink_to_fit();
  cursor.Position = 0;
}
