// TBriskUnzip: unpacks the members of a ZIP archive into a folder and reports every step
// to its host's handler. Everything runs synchronously on the calling thread: when an
// operation returns, all its reports have been delivered.
#pragma once

#include <cstdint>

#include "Component.h"
#include "UnzipTypes.h"

struct TDirectoryTotals;
struct TZipCursor;
struct TUnzipWalk;

class TBriskUnzip : public TComponent {
public:
  explicit TBriskUnzip(TComponent* owner);
  ~TBriskUnzip() override;

  // The number of members that ended with result 0 (folders and skipped members included),
  // or a negative result code.
  virtual int32_t ExtractFiles();
  // Reports each selected member; the number of them, or a negative result code.
  virtual int32_t ListFiles();
  // Total unpacked size of all members (a file that is not an archive: its own size);
  // leaves the packed total in PackedTotal.
  virtual int64_t GetUnpackedSize();
  virtual int64_t GetPackedSize();
  // The text properties hold at most 254 characters; a longer value is refused, leaves the
  // property empty and gives false. A refused FilesToExtract selects no member.
  virtual bool SetZipFileName(const char* value);
  virtual bool SetTargetDirectory(const char* value);
  virtual bool SetFilesToExtract(const char* value);
  virtual void SetReportHandler(TUnzipReportHandler handler);
  virtual void SetOverwriteQuery(TUnzipOverwriteQuery query);
  virtual void SetDontRecurse(bool value);
  // Decodes every selected member and checks its CRC without creating any file or folder;
  // reports as ExtractFiles does, with the stored names. No target folder is needed.
  virtual int32_t TestFiles();
  // Off by default. When set, ListFiles, ExtractFiles and TestFiles also take the members that local
  // headers show outside the directory's members and the directory (such as a first
  // archive concatenated in front of the listed one), after the listed ones: named by their
  // local headers, selected by FilesToExtract, bounded by their local sizes, reported and
  // counted like the others. One whose name is taken by a file already there gets "_2",
  // "_3"... appended, so that it never replaces a listed member's output.
  virtual void SetExtractHiddenMembers(bool value);
  bool ExtractHiddenMembers() const { return ExtractHiddenFlag; }

  const char* ZipFileName() const { return ZipFileNameText.Text; }
  const char* TargetDirectory() const { return TargetDirectoryText.Text; }
  const char* FilesToExtract() const { return FilesToExtractText.Text; }
  bool DontRecurse() const { return DontRecurseFlag; }
  int64_t PackedTotal() const { return PackedTotalValue; }

  static constexpr int kAbortKey = 27;  // Escape

private:
  // A length byte and up to 255 characters, kept NUL-terminated.
  struct TShortText {
    uint8_t Length = 0;
    char Text[256] = {};
  };
  using TTotals = TDirectoryTotals;
  static bool StoreText(TShortText& field, const char* value);
  // Whether the pattern selects the cursor's member; a selected one adds to the totals.
  bool TakeIfSelected(const TZipCursor& cursor, TTotals& selected) const;
  // The totals GetUnpackedSize answers.
  TTotals ComputeTotals() const;
  int32_t ExtractMembers(const char* archivePath, const char* targetFolder, bool flat);
  // Extracts (or tests) one selected member and reports its outcome; 0, or the fatal result
  // that ends the walk.
  int32_t WalkMember(TUnzipWalk& walk, TZipCursor& cursor, const char* targetFolder, bool overlapping, bool unlisted,
                     int32_t& count);
  static void SendEndReport(TUnzipWalk& walk, const char* archivePath, const TTotals& totals, int32_t code);

  TShortText ZipFileNameText;
  TShortText TargetDirectoryText;
  TShortText FilesToExtractText;
  TUnzipReportHandler ReportHandler = nullptr;
  TUnzipOverwriteQuery OverwriteQuery = nullptr;
  int64_t PackedTotalValue = 0;
  bool DontRecurseFlag = false;
  bool ExtractHiddenFlag = false;
  bool SelectionRefused = false;
};
