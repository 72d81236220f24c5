// libFuzzer target of one decoder, chosen at build time by QRX_FUZZ_METHOD (1 unshrink,
// 6 explode, 8 inflate, 9 Deflate64, 12 bzip2, 14 LZMA, 93 Zstandard, 95 XZ): the input becomes the packed data of one member, fed to the decoder
// from memory twice, whole and in pieces of a few bytes. Input layout:
//   byte 0      bits 1 and 2: general-purpose flags (explode's dictionary and literal tree);
//               bits 3-7: the piece size of the second run, minus 1
//   bytes 1-3   the declared unpacked size, little-endian (up to 16 MiB)
//   the rest    the packed data
// Besides crashes, hangs and overruns (ASan, UBSan), it traps when the two runs differ in
// result or output: how the input arrives must not change what is decoded.
#include <cstdint>
#include <vector>

#include "Crc32.h"
#include "Decoders.h"
#include "testkit.h"

namespace {

constexpr size_t kParameterBytes = 4;

// Keeps the count and CRC of what the decoder wrote, not the bytes.
class TCountingSink final : public TContentSink {
public:
  bool Write(const uint8_t* data, uint32_t size) override {
    Count += size;
    Crc = Crc32Update(Crc, data, size);
    return true;
  }
  uint64_t Count = 0;
  uint32_t Crc = 0xFFFFFFFFu;
};

struct TRun {
  int32_t Result;
  uint64_t Count;
  uint32_t Crc;
};

TRun Decode(const uint8_t* packed, size_t size, size_t pieceSize, uint16_t flags, int64_t declaredSize) {
  // The engine's sizes: an input buffer with room for a stored chunk, a window.
  static std::vector<uint8_t> buffer(131072), window(UZ_WIDE_WINDOW_SIZE);
  UnzipTestKit::TMemorySource source(packed, size, pieceSize);
  TPackedInput input(source, buffer.data(), buffer.size(), static_cast<int64_t>(size), nullptr);
  input.PackedSize = static_cast<int64_t>(size);
  input.GeneralFlags = flags;
  TCountingSink sink;
  TContentOutput output(window.data(), sink, declaredSize, WindowSizeOf(QRX_FUZZ_METHOD));
  output.UnpackedSize = declaredSize;
  int32_t result = output.Verdict(DecodeMethod(QRX_FUZZ_METHOD, input, output), 0);
  return {result, sink.Count, sink.Crc};
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < kParameterBytes) return 0;
  uint16_t flags = data[0] & 6;
  size_t pieceSize = (data[0] >> 3) + 1u;
  int64_t declaredSize = data[1] | data[2] << 8 | int64_t(data[3]) << 16;
  const uint8_t* packed = data + kParameterBytes;
  size_t packedSize = size - kParameterBytes;
  TRun whole = Decode(packed, packedSize, SIZE_MAX, flags, declaredSize);
  TRun pieces = Decode(packed, packedSize, pieceSize, flags, declaredSize);
  if (whole.Result != pieces.Result || whole.Count != pieces.Count || whole.Crc != pieces.Crc) __builtin_trap();
  return 0;
}
