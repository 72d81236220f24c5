// Fuzz target: the directory reader on arbitrary bytes taken as an archive file: the
// archive test, the walk of the central directory, and the component's listing and sizes.
// Half the inputs (by their last byte's low bit) are also searched for members outside the
// directory.
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <unistd.h>

#include "BriskUnzip.h"
#include "CentralDirectory.h"
#include "fuzz_support.h"

namespace {

int64_t ListedMembers = 0;
void CountReport(int32_t, TUnzipReport* report) {
  ListedMembers += report->Status == UZ_REPORT_PROGRESS;
  // The record's name is always terminated within its buffer.
  if (std::memchr(report->FileName, 0, sizeof report->FileName) == nullptr) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string& path = FuzzArchivePath(data, size);
  int64_t prefix = 0;
  if (IsZipArchive(path.c_str(), prefix)) {
    TZipCursor cursor;
    for (int32_t status = OpenCentralDirectory(path.c_str(), cursor, prefix); status == UZ_OK;
         status = NextCentralEntry(cursor)) {
      if (std::strlen(cursor.Name) >= UZ_NAME_CAPACITY) __builtin_trap();
    }
    CloseCentralDirectory(cursor);
  }
  TBriskUnzip unzip(nullptr);
  unzip.SetZipFileName(path.c_str());
  unzip.SetReportHandler(CountReport);
  unzip.SetExtractHiddenMembers(size > 0 && (data[size - 1] & 1));
  unzip.ListFiles();
  unzip.GetUnpackedSize();
  return 0;
}
