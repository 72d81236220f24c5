// Method 12: one bzip2 stream ("BZh", blocks, end marker), decoded by libbz2, which checks
// each block's CRC and the stream's.
#include <bzlib.h>

#include "ByteCodec.h"
#include "Decoders.h"
#include "UnzipTypes.h"

namespace {

class TBzip2Codec final : public TByteCodec {
public:
  TBzip2Codec() { Ready = BZ2_bzDecompressInit(&Stream, 0, 0) == BZ_OK; }
  ~TBzip2Codec() override {
    if (Ready) BZ2_bzDecompressEnd(&Stream);
  }
  TBzip2Codec(const TBzip2Codec&) = delete;
  TBzip2Codec& operator=(const TBzip2Codec&) = delete;

  bool IsReady() const { return Ready; }

  TStep Step(TBuffers& buffers, bool) override {
    // The library's counts are 32-bit: the window and the input's blocks are far smaller.
    Stream.next_in = const_cast<char*>(reinterpret_cast<const char*>(buffers.In));
    Stream.avail_in = static_cast<unsigned>(buffers.InSize);
    Stream.next_out = reinterpret_cast<char*>(buffers.Out);
    Stream.avail_out = static_cast<unsigned>(buffers.OutSize);
    const int status = BZ2_bzDecompress(&Stream);
    buffers.In = reinterpret_cast<const uint8_t*>(Stream.next_in);
    buffers.InSize = Stream.avail_in;
    buffers.Out = reinterpret_cast<uint8_t*>(Stream.next_out);
    buffers.OutSize = Stream.avail_out;
    if (status == BZ_STREAM_END) return TStep::Ended;
    return status == BZ_OK ? TStep::Going : TStep::Failed;
  }

private:
  bz_stream Stream{};
  bool Ready = false;
};

}  // namespace

int32_t Bunzip2(TPackedInput& input, TContentOutput& output) {
  TBzip2Codec codec;
  if (!codec.IsReady()) return UZ_BAD_DATA;  // no memory for its state: the member stays unread
  return RunByteCodec(codec, input, output);
}
