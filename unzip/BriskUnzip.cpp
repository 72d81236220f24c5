#include "BriskUnzip.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <unordered_map>

#include "CentralDirectory.h"
#include "FileSystem.h"
#include "MemberNames.h"
#include "UnzipEngine.h"
#include "ZipFormat.h"

// One call's walk: the report it hands to its handler, the handler, whether the members'
// folders are dropped, and for each output path of an unlisted member the suffix number its
// search for a free name goes on from.
struct TUnzipWalk {
  TUnzipReport Report{};
  TUnzipReportHandler Handler = nullptr;
  bool Flat = false;
  std::unordered_map<std::string, int> NextSuffix;
};

namespace {

constexpr size_t kSelectionNameLimit = 255;
constexpr uint16_t kSkippedMethod = 9;

// Installed as the engine's handler while a walk runs without one, so the engine can always report.
void NoReport(int32_t, TUnzipReport*) {}

void CopyFileName(TUnzipReport& report, const char* text) {
  size_t length = std::min(std::strlen(text), sizeof report.FileName - 1);
  std::memcpy(report.FileName, text, length);
  report.FileName[length] = '\0';
}

void FillFromEntry(TUnzipReport& report, const TZipCursor& cursor) {
  report.DateTime = cursor.DateTime;
  report.UnpackedSize = cursor.UnpackedSize;
  report.PackedSize = cursor.PackedSize;
  report.Method = cursor.Method;
  report.Attributes = cursor.Attributes;
  report.Ratio = UnzipRatio(report.PackedSize, report.UnpackedSize);
  report.IsEncrypted = (cursor.Flags & kFlagEncrypted) != 0;
}

bool IsSelected(const char* pattern, const char* storedName) {
  char name[kSelectionNameLimit + 1];
  size_t length = std::min(std::strlen(storedName), kSelectionNameLimit);
  std::memcpy(name, storedName, length);
  name[length] = '\0';
  return MatchesSelection(pattern, name);
}

enum class TMemberFate { Reported, Silent, Fatal };

TMemberFate FateOf(int32_t result) {
  switch (result) {
    // A member's own failure ends that member only: the rest of the archive is still read
    // (and scanned), as the other extractors do.
    case UZ_CRC_MISMATCH:
    case UZ_WRITE_ERROR:
    case UZ_READ_ERROR:
    case UZ_BAD_DATA:
    case UZ_UNSUPPORTED:
    case UZ_ENCRYPTED:
    case UZ_INFLATE_REPEAT_OVERRUN:
      return TMemberFate::Reported;
    case UZ_OVERLAPPING_MEMBERS:
    case UZ_ABORTED:
    case UZ_BUSY:
    case UZ_NO_DIRECTORY:
    case UZ_ARCHIVE_IO:
    case UZ_OPEN_FAILED:
      return TMemberFate::Fatal;
    default:
      return TMemberFate::Silent;
  }
}

std::string TargetFolderOf(const char* text) {
  std::string folder(text);
  std::replace(folder.begin(), folder.end(), '/', '\\');
  if (!folder.empty() && folder.back() != '\\') folder += '\\';
  return folder;
}

// An unlisted member never replaces a file: it takes the first free name of path, "path_2"...
// The search goes on from where the last one for the same path stopped, so that members
// sharing a name cost a probe or two each. Paths are compared without the case of ASCII
// letters, as Windows names them.
std::string FreeName(std::unordered_map<std::string, int>& nextSuffix, const std::string& path) {
  std::string key = path;
  for (char& c : key)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  int& suffix = nextSuffix.try_emplace(key, 1).first->second;
  auto nameWith = [&](int n) { return n == 1 ? path : path + "_" + std::to_string(n); };
  while (QrxPlatform::FileExists(nameWith(suffix))) ++suffix;
  return nameWith(suffix);
}

// Extracts the cursor's member below targetFolder (tests it when targetFolder is null),
// sending its start report (and the report of a member the overwrite query skips). Result
// as the engine's.
int32_t ExtractEntry(TUnzipWalk& walk, TZipCursor& cursor, const char* targetFolder, TUnzipOverwriteQuery overwriteQuery,
                     bool unlisted) {
  TUnzipEngine& engine = UnzipEngine();
  TUnzipReport& report = walk.Report;
  const TUnzipProgress progress{walk.Handler, &report};
  std::string output = targetFolder ? targetFolder + SafeMemberPath(cursor.Name, walk.Flat) : cursor.Name;
  bool isFolder = !output.empty() && output.back() == '\\';
  if (unlisted && targetFolder && !isFolder) output = FreeName(walk.NextSuffix, output);
  FillFromEntry(report, cursor);
  CopyFileName(report, output.c_str());
  report.IsFolder = isFolder;
  report.Status = UZ_REPORT_MEMBER_START;
  if (!(isFolder && walk.Flat)) walk.Handler(UZ_REPORT_MEMBER_START, &report);
  const int64_t localHeader = cursor.LocalHeaderOffset + cursor.OffsetShift;
  if (!targetFolder)
    return engine.ExtractMember(cursor.ArchiveFile, nullptr, localHeader, TBriskUnzip::kAbortKey, &cursor.Facts,
                                progress);
  // Too long for the engine's buffers: refused whole, never cut into another name.
  if (output.size() > static_cast<size_t>(UZ_PATH_MAX)) return UZ_WRITE_ERROR;

  bool exists = QrxPlatform::FileExists(output);
  if (exists && overwriteQuery && !overwriteQuery(&report)) {
    report.Status = UZ_REPORT_PROGRESS;
    report.Method = kSkippedMethod;
    walk.Handler(static_cast<int32_t>(report.UnpackedSize), &report);
    return UZ_OK;
  }
  if (exists) QrxPlatform::SetAttributes(output, 0);  // so a read-only file can be replaced
  int32_t result = engine.ExtractMember(cursor.ArchiveFile, output.c_str(), localHeader, TBriskUnzip::kAbortKey,
                                        &cursor.Facts, progress);
  if (result == UZ_OK) {
    if (isFolder) output.pop_back();
    QrxPlatform::SetAttributes(output, cursor.Attributes);
  }
  return result;
}

}  // namespace

int8_t UnzipRatio(int64_t packedSize, int64_t unpackedSize) {
  int64_t packed = static_cast<int32_t>(packedSize);
  int64_t unpacked = static_cast<int32_t>(unpackedSize);
  if (packed > 21474836) {
    packed /= 100;
    unpacked /= 100;
  }
  if (unpacked == 0) return 0;
  return static_cast<int8_t>(100 - packed * 100 / unpacked);
}

TBriskUnzip::TBriskUnzip(TComponent* owner) : TComponent(owner) { StoreText(FilesToExtractText, "*.*"); }

TBriskUnzip::~TBriskUnzip() {
  ReportHandler = nullptr;
  OverwriteQuery = nullptr;
  PackedTotalValue = 0;
}

bool TBriskUnzip::StoreText(TShortText& field, const char* value) {
  size_t length = value ? std::strlen(value) : 0;
  if (length > 254) {
    field = TShortText{};
    return false;
  }
  std::memcpy(field.Text, value ? value : "", length);
  field.Text[length] = '\0';
  field.Length = static_cast<uint8_t>(length + 1);  // the stored text ends with its NUL
  return true;
}

bool TBriskUnzip::SetZipFileName(const char* value) { return StoreText(ZipFileNameText, value); }
bool TBriskUnzip::SetTargetDirectory(const char* value) { return StoreText(TargetDirectoryText, value); }
bool TBriskUnzip::SetFilesToExtract(const char* value) {
  // A refused pattern leaves the property empty, which must not select every member.
  SelectionRefused = !StoreText(FilesToExtractText, value);
  return !SelectionRefused;
}
void TBriskUnzip::SetReportHandler(TUnzipReportHandler handler) { ReportHandler = handler; }
void TBriskUnzip::SetOverwriteQuery(TUnzipOverwriteQuery query) { OverwriteQuery = query; }
void TBriskUnzip::SetDontRecurse(bool value) { DontRecurseFlag = value; }
void TBriskUnzip::SetExtractHiddenMembers(bool value) { ExtractHiddenFlag = value; }

int32_t TBriskUnzip::ExtractFiles() {
  if (!*ZipFileName() || !*TargetDirectory()) return UZ_MISSING_ARGUMENT;
  std::string targetFolder = TargetFolderOf(TargetDirectory());
  return ExtractMembers(ZipFileName(), targetFolder.c_str(), DontRecurseFlag);
}

int32_t TBriskUnzip::TestFiles() {
  if (!*ZipFileName()) return UZ_MISSING_ARGUMENT;
  return ExtractMembers(ZipFileName(), nullptr, false);
}

int32_t TBriskUnzip::ExtractMembers(const char* archivePath, const char* targetFolder, bool flat) {
  TZipCursor cursor;
  int32_t status = OpenZipArchive(archivePath, cursor);
  if (status == UZ_NOT_ARCHIVE) return UZ_NOT_ARCHIVE;
  TUnzipWalk walk;
  walk.Flat = flat;
  TUnzipReport& report = walk.Report;
  if (status != UZ_OK && status != UZ_END_OF_DIRECTORY) return UZ_NO_DIRECTORY;
  // Members that share their data with another (or with the directory) are refused when the
  // walk reaches the first of them, before anything of theirs is written.
  const std::vector<bool> overlapping = FindOverlaps(MemberSpans(cursor), cursor.DirectoryStart, cursor.DirectoryEnd);
  if (ReportHandler) {
    const TDirectoryTotals all = DirectoryTotals(cursor);
    report.IsFolder = false;
    report.IsEncrypted = false;
    CopyFileName(report, archivePath);
    report.UnpackedSize = all.Unpacked;
    report.PackedSize = all.Packed;
    report.Ratio = UnzipRatio(all.Packed, all.Unpacked);
    report.Status = UZ_REPORT_ARCHIVE_START;
    ReportHandler(UZ_REPORT_ARCHIVE_START, &report);
  }
  walk.Handler = ReportHandler ? ReportHandler : NoReport;

  TZipCursor unlisted;
  TUnlistedScan scan;
  const bool scanUnlisted = ExtractHiddenFlag && StartUnlistedScan(archivePath, cursor, unlisted, scan);

  TTotals selected;
  int32_t count = 0;
  int32_t fatal = UZ_OK;
  for (size_t index = 0; status == UZ_OK && fatal == UZ_OK; status = NextCentralEntry(cursor), ++index)
    if (TakeIfSelected(cursor, selected)) fatal = WalkMember(walk, cursor, targetFolder, overlapping[index], false, count);
  status = scanUnlisted && fatal == UZ_OK ? NextUnlistedMember(unlisted, scan) : UZ_END_OF_DIRECTORY;
  for (; status == UZ_OK && fatal == UZ_OK; status = NextUnlistedMember(unlisted, scan))
    if (TakeIfSelected(unlisted, selected)) fatal = WalkMember(walk, unlisted, targetFolder, false, true, count);
  CloseCentralDirectory(unlisted);
  if (fatal != UZ_OK) {
    CloseCentralDirectory(cursor);
    return fatal;
  }
  CloseCentralDirectory(cursor);
  SendEndReport(walk, archivePath, selected, UZ_REPORT_ARCHIVE_END);
  return count;
}

int32_t TBriskUnzip::WalkMember(TUnzipWalk& walk, TZipCursor& cursor, const char* targetFolder, bool overlapping,
                                bool unlisted, int32_t& count) {
  TUnzipReport& report = walk.Report;
  int32_t result = UZ_OVERLAPPING_MEMBERS;
  if (!overlapping) {
    result = ExtractEntry(walk, cursor, targetFolder, OverwriteQuery, unlisted);
  } else {
    FillFromEntry(report, cursor);
    CopyFileName(report, cursor.Name);
    report.IsFolder = false;
  }
  if (result == UZ_OK) {
    ++count;
    report.Status = UZ_REPORT_MEMBER_DONE;
    if (!(report.IsFolder && walk.Flat)) walk.Handler(UZ_REPORT_MEMBER_DONE, &report);
    return UZ_OK;
  }
  report.Status = UZ_REPORT_MEMBER_ERROR;
  TMemberFate fate = FateOf(result);
  if (fate == TMemberFate::Reported) walk.Handler(result, &report);
  if (fate != TMemberFate::Fatal) return UZ_OK;
  report.Status = result;
  walk.Handler(UZ_FATAL_REPORT, &report);
  return result;
}

void TBriskUnzip::SendEndReport(TUnzipWalk& walk, const char* archivePath, const TTotals& totals, int32_t code) {
  TUnzipReport& report = walk.Report;
  report.DateTime = 0xFFFFFFFFu;
  report.Attributes = -1;
  report.Method = 0;
  report.IsEncrypted = false;
  report.UnpackedSize = totals.Unpacked;
  report.PackedSize = totals.Packed;
  CopyFileName(report, archivePath);
  report.Ratio = UnzipRatio(totals.Packed, totals.Unpacked);
  report.Status = UZ_REPORT_ARCHIVE_END;
  walk.Handler(code, &report);
}

bool TBriskUnzip::TakeIfSelected(const TZipCursor& cursor, TTotals& selected) const {
  if (SelectionRefused || !IsSelected(FilesToExtract(), cursor.Name)) return false;
  // Counted before extraction: a member that fails still counts in the totals.
  selected.Add(cursor.UnpackedSize, cursor.PackedSize);
  return true;
}

int32_t TBriskUnzip::ListFiles() {
  if (!*ZipFileName() || !ReportHandler) return UZ_MISSING_ARGUMENT;
  TZipCursor cursor;
  int32_t status = OpenZipArchive(ZipFileName(), cursor);
  if (status == UZ_NOT_ARCHIVE) return UZ_NOT_ARCHIVE;
  TUnzipWalk walk;
  walk.Handler = ReportHandler;
  TUnzipReport& report = walk.Report;
  if (status != UZ_OK && status != UZ_END_OF_DIRECTORY) return UZ_NO_DIRECTORY;
  TTotals selected;
  int32_t count = 0;
  auto listMember = [&](const TZipCursor& member) {
    if (!TakeIfSelected(member, selected)) return;
    FillFromEntry(report, member);
    CopyFileName(report, member.Name);
    report.IsFolder = false;
    report.Status = UZ_REPORT_PROGRESS;
    ++count;
    ReportHandler(0, &report);
  };
  // The hidden members that ExtractFiles would take, so that a caller can weigh them too.
  TZipCursor unlisted;
  TUnlistedScan scan;
  const bool scanUnlisted = ExtractHiddenFlag && StartUnlistedScan(ZipFileName(), cursor, unlisted, scan);
  for (; status == UZ_OK; status = NextCentralEntry(cursor)) listMember(cursor);
  if (scanUnlisted)
    while (NextUnlistedMember(unlisted, scan) == UZ_OK) listMember(unlisted);
  CloseCentralDirectory(unlisted);
  CloseCentralDirectory(cursor);
  SendEndReport(walk, ZipFileName(), selected, count);
  return count;
}

TBriskUnzip::TTotals TBriskUnzip::ComputeTotals() const {
  TTotals totals;
  QrxPlatform::TFile file;
  if (!*ZipFileName() || !file.OpenRead(ZipFileName())) return totals;
  int64_t fileSize = std::max<int64_t>(0, file.Size());
  file.Close();
  totals.Unpacked = totals.Packed = fileSize;
  TZipCursor cursor;
  int32_t status = OpenZipArchive(ZipFileName(), cursor);
  if (status == UZ_NOT_ARCHIVE) return totals;
  totals.Packed = 0;
  if (status != UZ_OK && status != UZ_END_OF_DIRECTORY) return totals;
  return DirectoryTotals(cursor);
}

int64_t TBriskUnzip::GetUnpackedSize() {
  const TTotals totals = ComputeTotals();
  PackedTotalValue = totals.Packed;
  return totals.Unpacked;
}

int64_t TBriskUnzip::GetPackedSize() {
  GetUnpackedSize();
  return PackedTotalValue;
}
