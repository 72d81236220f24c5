#include <algorithm>

#include "Decoders.h"
#include "UnzipEngine.h"

// Method 0: the packed data is the content. It is read straight from the archive into the
// window, a window at a time, bypassing the input buffer.
int32_t CopyStored(TUnzipEngine& engine) {
  while (engine.BytesRead < engine.PackedToRead && !engine.Aborted) {
    auto chunk = static_cast<uint32_t>(std::min<int64_t>(engine.PackedToRead - engine.BytesRead, UZ_WINDOW_SIZE));
    if (engine.ArchiveFile->Read(engine.Window, chunk) != chunk) return UZ_READ_ERROR;
    if (!engine.FlushOutput(chunk)) return UZ_WRITE_ERROR;
    engine.BytesRead += chunk;
    engine.ActivityHook();
    engine.UpdateProgress();
  }
  return engine.Aborted ? UZ_ABORTED : UZ_OK;
}
