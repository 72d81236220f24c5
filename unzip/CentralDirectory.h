// The directory side of the engine: recognising a ZIP archive (with or without a prefix
// before it) and reading its central directory entry by entry.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "File.h"
#include "UnzipEngine.h"
#include "UnzipTypes.h"

// The central-directory cursor: open from a successful OpenCentralDirectory until
// NextCentralEntry gives a non-zero result or CloseCentralDirectory is called.
struct TZipCursor {
  std::vector<uint8_t> Buffer;  // the central directory, up to the end record's signature
  int64_t Position = 0;
  uint32_t DateTime = 0;        // MS-DOS time (low 16 bits) and date (high 16 bits)
  int64_t UnpackedSize = 0;     // the 32-bit fields taken as signed, as the reports carry them
  int64_t PackedSize = 0;
  int64_t LocalHeaderOffset = 0;  // as stored (ZIP64 extra field applied)
  char Name[UZ_NAME_CAPACITY] = {};  // "/" turned into "\", converted from the OEM code page
  std::string FullName;              // the same, however long; Name holds its first 259 characters
  uint16_t Method = 0;
  uint8_t Attributes = 0;       // MS-DOS attribute byte when made on MS-DOS, else 0
  uint16_t Flags = 0;
  TCentralFacts Facts{};        // CRC and the sizes as unsigned values, for the extraction
  // What to add to a stored offset to get the file position: non-zero when bytes were put
  // before the archive without its offsets being adjusted.
  int64_t OffsetShift = 0;
  // File positions of the directory's first byte and of the end record that closes it (the
  // ZIP64 one when there is one): no member's data may reach into [DirectoryStart, end).
  int64_t DirectoryStart = 0;
  int64_t DirectoryEnd = 0;
  QrxPlatform::TFile ArchiveFile;
};

// Where one member lies in the archive file, as far as the directory tells: its local header
// and at least its packed data.
struct TMemberSpan {
  int64_t Start;
  int64_t End;
};

// A member that a local header shows outside the directory's members (a first archive
// concatenated in front of the listed one, say).
struct TUnlistedMember {
  int64_t LocalHeader;  // its file position
  // From the local header or, with bit 3, from the data descriptor that follows the data;
  // without one found the member's size is 0, so any output is refused.
  TCentralFacts Facts;
  uint32_t DateTime;
  uint16_t Flags;
  uint16_t Method;
  std::string Name;     // as stored, at most UZ_NAME_CAPACITY - 1 bytes of it
};

// The scan for unlisted members: StartUnlistedScan opens the cursor on the archive and finds
// them all in one pass over the file; NextUnlistedMember then fills the cursor with each in
// turn, as NextCentralEntry does.
struct TUnlistedScan {
  std::vector<TUnlistedMember> Members;  // in file order
  size_t Next = 0;
};

// True when path names a ZIP archive: a local header at its start or within the search of
// FindLocalHeader, or else an end record, wherever it stands, that places a directory (or
// an empty one). prefixLength gets the position of the first local header (0 for an
// ordinary or an empty archive, -1 when it is not an archive).
bool IsZipArchive(const char* path, int64_t& prefixLength);
// Position of the first local-header signature within the first three quarters of the
// file's first 256 KiB, or -1.
int64_t FindLocalHeader(const char* path);
// UZ_OK with the first entry in the cursor; UZ_END_OF_DIRECTORY for an empty archive (its
// end record and no entry); UZ_NO_DIRECTORY or UZ_ARCHIVE_IO (cursor closed). prefixLength
// helps to place a directory whose offsets ignore a prefix.
int32_t OpenCentralDirectory(const char* path, TZipCursor& cursor, int64_t prefixLength = 0);
// IsZipArchive and OpenCentralDirectory in one, on one opening of the file: UZ_NOT_ARCHIVE,
// or OpenCentralDirectory's result.
int32_t OpenZipArchive(const char* path, TZipCursor& cursor);
// UZ_OK with the next entry, or UZ_END_OF_DIRECTORY (also for a damaged entry); any
// non-zero result closes the cursor.
int32_t NextCentralEntry(TZipCursor& cursor);
void CloseCentralDirectory(TZipCursor& cursor);

// The sums of the reported sizes (as the cursor gives them) of every entry of an open
// cursor's directory, without moving the cursor; zero for a closed one.
struct TDirectoryTotals {
  int64_t Unpacked = 0;
  int64_t Packed = 0;
  // Adds one member's sizes; a sum that would pass INT64_MAX is held there (ZIP64 sizes
  // reach 2^62 each).
  void Add(int64_t unpacked, int64_t packed);
};
TDirectoryTotals DirectoryTotals(const TZipCursor& cursor);

// The spans of every entry of an open cursor's directory, in stored order, without moving
// the cursor. A span's end counts only the local header's fixed part, the directory's name
// length and the packed size: real members are never shorter.
std::vector<TMemberSpan> MemberSpans(const TZipCursor& cursor);
// Opens the cursor on the archive whose directory is read and finds its unlisted members,
// among the first 65,536 local headers outside the listed ones; false when it cannot be opened.
bool StartUnlistedScan(const char* path, const TZipCursor& directory, TZipCursor& cursor, TUnlistedScan& scan);
// UZ_OK with the next unlisted member in the cursor, or UZ_END_OF_DIRECTORY (cursor closed).
// A local header inside the data of a member handed out before it is no member.
int32_t NextUnlistedMember(TZipCursor& cursor, TUnlistedScan& scan);

// For each span, whether its bytes reach into another member's or into the directory
// [directoryStart, directoryEnd) by more than the slack real archives show.
std::vector<bool> FindOverlaps(const std::vector<TMemberSpan>& spans, int64_t directoryStart, int64_t directoryEnd);
