// Fuzz target: ExtractFiles on arbitrary bytes taken as a whole archive, into a fresh
// folder. Whatever the archive holds, nothing may be written beside that folder.
#include <cstdint>
#include <string>

#include "BriskUnzip.h"
#include "Platform.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string& path = FuzzArchivePath(data, size);
  char scratch[1024];
  if (!QrxPlatform::MakeTempFolder(scratch, sizeof scratch)) __builtin_trap();
  std::string target = std::string(scratch) + "/target";
  {
    TBriskUnzip unzip(nullptr);
    unzip.SetZipFileName(path.c_str());
    unzip.SetTargetDirectory(target.c_str());
    unzip.SetReportHandler([](int32_t, TUnzipReport*) {});
    unzip.ExtractFiles();
  }
  if (CountEntries(scratch) > 1) __builtin_trap();  // only the target folder may be there
  QrxPlatform::RemoveTree(scratch);
  return 0;
}
