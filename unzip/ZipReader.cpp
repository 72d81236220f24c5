#include "ZipReader.h"

#include <algorithm>
#include <limits>

#include "UnzipEngine.h"
#include "ZipFormat.h"

namespace {

// Where an unreadable directory is taken to lie: past any file, so that the search for members
// outside it covers the whole archive.
constexpr int64_t kNoDirectory = std::numeric_limits<int64_t>::max() / 4;

}  // namespace

TZipReader::~TZipReader() {
  CloseCentralDirectory(Directory);
  CloseCentralDirectory(Unlisted);
}

int32_t TZipReader::Open(const std::string& path) {
  const int32_t status = OpenZipArchive(path.c_str(), Directory);
  if (status == UZ_NOT_ARCHIVE) return status;
  if (status == UZ_OK) {
    Overlaps = FindOverlaps(MemberSpans(Directory), Directory.DirectoryStart, Directory.DirectoryEnd);
    FirstListedPending = true;
  } else if (status != UZ_END_OF_DIRECTORY) {
    // The members are still there, each behind its local header.
    Directory.DirectoryStart = Directory.DirectoryEnd = kNoDirectory;
  }
  ScanUnlisted = StartUnlistedScan(path.c_str(), Directory, Unlisted, Scan);
  Phase = TPhase::Listed;
  return status == UZ_END_OF_DIRECTORY ? UZ_OK : status;
}

bool TZipReader::Next(TZipMemberInfo& member) {
  Current = nullptr;
  if (Phase == TPhase::Listed && NextListed(member)) return true;
  if (Phase == TPhase::Listed) Phase = ScanUnlisted ? TPhase::Unlisted : TPhase::Done;
  if (Phase == TPhase::Unlisted && NextUnlisted(member)) return true;
  Phase = TPhase::Done;
  return false;
}

bool TZipReader::NextListed(TZipMemberInfo& member) {
  if (FirstListedPending) {
    FirstListedPending = false;
  } else {
    if (!Directory.ArchiveFile.IsOpen()) return false;
    // Entries end where the record after the directory begins; an entry that cannot be read
    // before that point is damage, and the entries after it are lost to the directory.
    const int64_t unread = Directory.DirectoryEnd - Directory.DirectoryStart - Directory.Position;
    if (NextCentralEntry(Directory) != UZ_OK) {
      CutShort = unread > 0;
      return false;
    }
  }
  Describe(Directory, true, member);
  member.Overlapping = ListedIndex < Overlaps.size() && Overlaps[ListedIndex];
  ++ListedIndex;
  Current = &Directory;
  return true;
}

bool TZipReader::NextUnlisted(TZipMemberInfo& member) {
  if (NextUnlistedMember(Unlisted, Scan) != UZ_OK) return false;
  Describe(Unlisted, false, member);
  Current = &Unlisted;
  return true;
}

void TZipReader::Describe(const TZipCursor& cursor, bool listed, TZipMemberInfo& member) {
  member.Name = cursor.FullName;
  member.Method = cursor.Method;
  member.Flags = cursor.Flags;
  member.UnpackedSize = static_cast<uint64_t>(std::max<int64_t>(0, cursor.Facts.UnpackedSize));
  // A member outside the directory that defers its sizes to a descriptor none was found for.
  member.SizeKnown = listed || !(cursor.Flags & kFlagDataDescriptor) || cursor.Facts.PackedSize != 0 ||
                     cursor.Facts.UnpackedSize != 0;
  member.IsFolder = !member.Name.empty() && member.Name.back() == '\\' && member.SizeKnown && member.UnpackedSize == 0;
  member.Listed = listed;
  member.Overlapping = false;
}

int32_t TZipReader::Decode(uint64_t limit, TContentSink& sink) {
  if (!Current) return UZ_READ_ERROR;
  TZipCursor& cursor = *Current;
  TZipMemberInfo member;
  Describe(cursor, Current == &Directory, member);
  const TCentralFacts* facts = member.SizeKnown ? &cursor.Facts : nullptr;
  return UnzipEngine().DecodeMember(cursor.ArchiveFile, cursor.LocalHeaderOffset + cursor.OffsetShift, facts, limit,
                                    sink);
}
