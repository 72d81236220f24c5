// Fuzz target: ExtractFiles on arbitrary bytes taken as a whole archive, into a fresh
// folder, then TestFiles on them. Whatever the archive holds, nothing may be written beside
// that folder, and the test writes nothing at all. Half the inputs (by their last byte's low
// bit) also take the members outside the directory.
#include <cstdint>
#include <string>

#include "BriskUnzip.h"
#include "FileSystem.h"
#include "TempFolder.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string& path = FuzzArchivePath(data, size);
  const std::string scratch = QrxPlatform::MakeTempFolder();
  if (scratch.empty()) __builtin_trap();
  const std::string target = scratch + "/target";
  {
    TBriskUnzip unzip(nullptr);
    unzip.SetZipFileName(path.c_str());
    unzip.SetReportHandler([](int32_t, TUnzipReport*) {});
    unzip.SetExtractHiddenMembers(size > 0 && (data[size - 1] & 1));
    unzip.TestFiles();
    if (CountEntries(scratch.c_str()) != 0) __builtin_trap();  // a test writes nothing
    unzip.SetTargetDirectory(target.c_str());
    unzip.ExtractFiles();
  }
  if (CountEntries(scratch.c_str()) > 1) __builtin_trap();  // only the target folder may be there
  QrxPlatform::RemoveTree(scratch);
  return 0;
}
