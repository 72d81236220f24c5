#include <algorithm>

#include "Decoders.h"
#include "UnzipTypes.h"

namespace {

// A stored member is copied in chunks of this size, each a step of the progress.
constexpr uint32_t kStoredChunk = 32768;

}  // namespace

// Method 0: the packed data is the content. It is copied in large chunks, bypassing the bit
// reader.
int32_t CopyStored(TPackedInput& input, TContentOutput& output) {
  while (input.BytesTaken < input.PackedSize && !input.Aborted) {
    auto chunk = static_cast<uint32_t>(std::min<int64_t>(input.PackedSize - input.BytesTaken, kStoredChunk));
    const uint8_t* data = input.TakeBytes(chunk);
    if (!data) return UZ_READ_ERROR;
    if (!output.WriteOutput(data, chunk)) return UZ_WRITE_ERROR;
  }
  return input.Aborted ? UZ_ABORTED : UZ_OK;
}
