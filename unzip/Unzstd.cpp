// Method 93: Zstandard frames, decoded by libzstd. A member may hold several frames one after
// the other (parallel writers make them): decoding goes on past a frame's end while the
// member's declared packed data lasts. A frame asking for a window above the library's
// default bound (128 MiB) is refused rather than given the memory.
#include <zstd.h>

#include "ByteCodec.h"
#include "Decoders.h"
#include "UnzipTypes.h"

namespace {

class TZstdCodec final : public TByteCodec {
public:
  explicit TZstdCodec(const TPackedInput& input) : Input(input), Stream(ZSTD_createDStream()) {}
  ~TZstdCodec() override { ZSTD_freeDStream(Stream); }
  TZstdCodec(const TZstdCodec&) = delete;
  TZstdCodec& operator=(const TZstdCodec&) = delete;

  bool IsReady() const { return Stream != nullptr; }

  TStep Step(TBuffers& buffers, bool) override {
    ZSTD_inBuffer in{buffers.In, buffers.InSize, 0};
    ZSTD_outBuffer out{buffers.Out, buffers.OutSize, 0};
    const size_t status = ZSTD_decompressStream(Stream, &out, &in);
    buffers.In += in.pos;
    buffers.InSize -= in.pos;
    buffers.Out += out.pos;
    buffers.OutSize -= out.pos;
    if (ZSTD_isError(status)) return TStep::Failed;
    if (status != 0) return TStep::Going;
    // A frame ended and all its content is out: another may follow within the member.
    const int64_t consumed = buffers.TakenBefore + static_cast<int64_t>(in.pos);
    const bool moreFrames = Input.PackedSize != UZ_SIZE_UNKNOWN && consumed < Input.PackedSize;
    return moreFrames ? TStep::Going : TStep::Ended;
  }

private:

  const TPackedInput& Input;
  ZSTD_DStream* const Stream;
};

}  // namespace

int32_t UnpackZstd(TPackedInput& input, TContentOutput& output) {
  TZstdCodec codec(input);
  if (!codec.IsReady()) return UZ_BAD_DATA;  // no memory for its state: the member stays unread
  return RunByteCodec(codec, input, output);
}
