// TZipReader: an archive read member by member for a scanner. The archive is opened once and
// its directory read once; the members come in turn, the listed ones first and then those that
// local headers show outside them, and each is decoded on request into the caller's sink.
// Nothing is written to disk and no member name is ever used as a path.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "CentralDirectory.h"
#include "MemberStream.h"

struct TZipMemberInfo {
  std::string Name;            // as stored, whole ("\" for "/"), converted as the directory reader converts names
  uint16_t Method = 0;
  uint16_t Flags = 0;
  uint64_t UnpackedSize = 0;   // what the member declares
  bool SizeKnown = true;       // false: found outside the directory with its sizes in no descriptor
  bool IsFolder = false;       // a folder entry: its name ends with a separator and it declares no content
  bool Listed = true;          // false: found outside the directory
  bool Overlapping = false;    // its data reach into another member's or into the directory
};

class TZipReader {
public:
  TZipReader() = default;
  ~TZipReader();
  TZipReader(const TZipReader&) = delete;
  TZipReader& operator=(const TZipReader&) = delete;

  // UZ_OK; UZ_NOT_ARCHIVE for a file that is no ZIP archive (or no regular file); UZ_NO_DIRECTORY
  // or UZ_ARCHIVE_IO for an archive whose directory cannot be read: its members are then the
  // ones its local headers show.
  int32_t Open(const std::string& path);
  // The next member; false when there are no more.
  bool Next(TZipMemberInfo& member);
  // Decodes the member Next gave last into sink, at most limit bytes of it. UZ_OK or a member's
  // failure (Decoders.h, UnzipTypes.h); what was decoded before a failure has reached the sink.
  int32_t Decode(uint64_t limit, TContentSink& sink);
  // True when the directory ended at a damaged entry, before the end its end record gives.
  bool DirectoryCutShort() const { return CutShort; }

private:
  enum class TPhase { Listed, Unlisted, Done };
  bool NextListed(TZipMemberInfo& member);
  bool NextUnlisted(TZipMemberInfo& member);
  static void Describe(const TZipCursor& cursor, bool listed, TZipMemberInfo& member);

  TZipCursor Directory;
  TZipCursor Unlisted;
  TUnlistedScan Scan;
  std::vector<bool> Overlaps;  // by listed member, in stored order
  size_t ListedIndex = 0;
  bool FirstListedPending = false;  // opening the directory brought its first entry
  bool ScanUnlisted = false;
  bool CutShort = false;
  TPhase Phase = TPhase::Done;
  TZipCursor* Current = nullptr;
};
