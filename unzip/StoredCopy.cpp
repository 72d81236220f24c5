#include <algorithm>

#include "Decoders.h"
#include "UnzipEngine.h"

// Method 0: the packed data is the content. It is read straight from the archive in large
// chunks, bypassing the input stream.
int32_t CopyStored(TUnzipEngine& engine) {
  uint32_t capacity = 0;
  uint8_t* buffer = engine.CopyBuffer(capacity);
  while (engine.BytesRead < engine.PackedToRead && !engine.Aborted) {
    auto chunk = static_cast<uint32_t>(std::min<int64_t>(engine.PackedToRead - engine.BytesRead, capacity));
    if (engine.ArchiveFile->Read(buffer, chunk) != chunk) return UZ_READ_ERROR;
    if (!engine.WriteOutput(buffer, chunk)) return UZ_WRITE_ERROR;
    engine.BytesRead += chunk;
    engine.ActivityHook();
    engine.UpdateProgress();
  }
  return engine.Aborted ? UZ_ABORTED : UZ_OK;
}
