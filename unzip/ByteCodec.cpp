#include "ByteCodec.h"

#include <algorithm>
#include <cstring>

#include "UnzipTypes.h"

namespace {

// The codec is handed blocks of this size, whatever sizes the archive was read in: the
// libraries' results on damaged streams may depend on where their input is cut, and a
// member's result must not depend on how the file system delivers it.
constexpr size_t kCodecBlockSize = 16384;
// Steps in a row that neither take nor give before a codec counts as stuck.
constexpr int kStallLimit = 4;

bool HasInput(const TPackedInput& input) { return input.InputPos != input.InputEnd; }

// Copies up to n of the next packed bytes to `to`: the count, below n only at the data's end.
size_t TakeUpTo(TPackedInput& input, uint8_t* to, size_t n) {
  size_t taken = 0;
  while (taken < n) {
    if (!HasInput(input) && !input.NextBlock()) break;
    const size_t run = std::min(n - taken, static_cast<size_t>(input.InputEnd - input.InputPos));
    std::memcpy(to + taken, input.InputPos, run);
    input.InputPos += run;
    taken += run;
  }
  return taken;
}

bool FlushWindow(TContentOutput& output) {
  const uint32_t filled = output.WindowPos;
  output.WindowPos = 0;
  return output.FlushOutput(filled);
}

}  // namespace

int32_t RunByteCodec(TByteCodec& codec, TPackedInput& input, TContentOutput& output) {
  uint8_t block[kCodecBlockSize];
  size_t blockSize = 0;
  size_t blockPos = 0;
  bool finalInput = false;
  int64_t taken = 0;
  for (int stalls = 0; stalls < kStallLimit;) {
    if (input.Aborted) return UZ_ABORTED;
    if (blockPos == blockSize && !finalInput) {
      blockSize = TakeUpTo(input, block, kCodecBlockSize);
      blockPos = 0;
      finalInput = blockSize < kCodecBlockSize;
    }
    TByteCodec::TBuffers buffers{block + blockPos, blockSize - blockPos, output.Window + output.WindowPos,
                                 output.WindowSize - output.WindowPos, taken};
    const TByteCodec::TStep step = codec.Step(buffers, finalInput);
    const auto took = static_cast<size_t>(buffers.In - (block + blockPos));
    const auto gave = static_cast<uint32_t>(buffers.Out - (output.Window + output.WindowPos));
    blockPos += took;
    taken += static_cast<int64_t>(took);
    output.WindowPos += gave;
    if (step == TByteCodec::TStep::Failed) return UZ_BAD_DATA;
    if (step == TByteCodec::TStep::Ended) return FlushWindow(output) ? UZ_OK : UZ_WRITE_ERROR;
    if (output.WindowPos == output.WindowSize && !FlushWindow(output)) return UZ_WRITE_ERROR;
    stalls = took == 0 && gave == 0 ? stalls + 1 : 0;
  }
  // Stuck: with every packed byte given, the stream was cut short; otherwise its data is bad.
  if (input.Aborted) return UZ_ABORTED;
  return finalInput && blockPos == blockSize ? UZ_READ_ERROR : UZ_BAD_DATA;
}

bool TakePackedBytes(TPackedInput& input, uint8_t* to, size_t n) { return TakeUpTo(input, to, n) == n; }
