// Methods 14 and 95, both decoded by liblzma.
//
// LZMA (14): a 4-byte header (the encoder's version, then the size of the properties, 5)
// and the 5 property bytes come before a raw LZMA stream. The stream stops at the member's
// unpacked size, or at an end marker, which flag bit 1 announces; both are accepted, since
// writers set the bit inconsistently.
//
// XZ (95): one complete .xz stream, with its own checks, filters (the branch converters of
// executables included) and index.
//
// Neither is given more memory than its content needs: the LZMA dictionary is cut to the
// most content the member may give, and an XZ stream asking for more than kXzMemoryLimit is
// refused.
#include <lzma.h>

#include <algorithm>
#include <cstdlib>

#include "ByteCodec.h"
#include "Decoders.h"
#include "UnzipTypes.h"
#include "ZipFormat.h"

namespace {

constexpr size_t kLzmaHeaderSize = 4;
constexpr size_t kLzmaPropertiesSize = 5;
constexpr uint64_t kXzMemoryLimit = uint64_t(256) << 20;

class TLzmaCodec final : public TByteCodec {
public:
  TLzmaCodec() = default;
  ~TLzmaCodec() override { lzma_end(&Stream); }
  TLzmaCodec(const TLzmaCodec&) = delete;
  TLzmaCodec& operator=(const TLzmaCodec&) = delete;

  lzma_stream& Raw() { return Stream; }

  TStep Step(TBuffers& buffers, bool finalInput) override {
    Stream.next_in = buffers.In;
    Stream.avail_in = buffers.InSize;
    Stream.next_out = buffers.Out;
    Stream.avail_out = buffers.OutSize;
    const lzma_ret status = lzma_code(&Stream, finalInput ? LZMA_FINISH : LZMA_RUN);
    buffers.In = Stream.next_in;
    buffers.InSize = Stream.avail_in;
    buffers.Out = Stream.next_out;
    buffers.OutSize = Stream.avail_out;
    switch (status) {
      case LZMA_STREAM_END: return TStep::Ended;
      case LZMA_OK: return TStep::Going;
      // No progress possible: with the input at its end, the stream was cut short.
      case LZMA_BUF_ERROR: return finalInput ? TStep::Going : TStep::Failed;
      default: return TStep::Failed;
    }
  }

private:
  lzma_stream Stream = LZMA_STREAM_INIT;
};

// The LZMA filter for the member's property bytes, or false when they are not valid.
bool DecodeLzmaProperties(const uint8_t* properties, const TContentOutput& output, lzma_filter& filter) {
  filter.id = LZMA_FILTER_LZMA1;
  if (lzma_properties_decode(&filter, nullptr, properties, kLzmaPropertiesSize) != LZMA_OK) return false;
  auto* options = static_cast<lzma_options_lzma*>(filter.options);
  const auto most = static_cast<uint64_t>(std::max<int64_t>(output.Limit(), 0));
  const uint64_t needed = std::min<uint64_t>(most, options->dict_size);
  options->dict_size = static_cast<uint32_t>(std::max<uint64_t>(LZMA_DICT_SIZE_MIN, needed));
  filter.id = LZMA_FILTER_LZMA1EXT;
  options->ext_flags = LZMA_LZMA1EXT_ALLOW_EOPM;
  lzma_set_ext_size(*options, output.UnpackedSize == UZ_SIZE_UNKNOWN ? UINT64_MAX : uint64_t(output.UnpackedSize));
  return true;
}

}  // namespace

int32_t UnpackLzma(TPackedInput& input, TContentOutput& output) {
  uint8_t header[kLzmaHeaderSize + kLzmaPropertiesSize];
  if (!TakePackedBytes(input, header, sizeof header)) return UZ_READ_ERROR;
  if (Load16(header + 2) != kLzmaPropertiesSize) return UZ_BAD_DATA;
  lzma_filter filters[2] = {{}, {LZMA_VLI_UNKNOWN, nullptr}};
  if (!DecodeLzmaProperties(header + kLzmaHeaderSize, output, filters[0])) return UZ_BAD_DATA;
  TLzmaCodec codec;
  const lzma_ret ready = lzma_raw_decoder(&codec.Raw(), filters);
  std::free(filters[0].options);  // the decoder keeps its own copy
  if (ready != LZMA_OK) return UZ_BAD_DATA;
  return RunByteCodec(codec, input, output);
}

int32_t UnpackXz(TPackedInput& input, TContentOutput& output) {
  TLzmaCodec codec;
  if (lzma_stream_decoder(&codec.Raw(), kXzMemoryLimit, 0) != LZMA_OK) return UZ_BAD_DATA;
  return RunByteCodec(codec, input, output);
}
