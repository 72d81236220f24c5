#include "Decoders.h"

#include "UnzipTypes.h"
#include "ZipFormat.h"

namespace {

struct TMethodDecoder {
  uint16_t Method;
  int32_t (*Decode)(TPackedInput& input, TContentOutput& output);
};

constexpr TMethodDecoder kDecoders[] = {
    {kMethodStored, CopyStored}, {kMethodShrunk, Unshrink},     {kMethodImploded, Explode},
    {kMethodDeflated, Inflate},  {kMethodDeflate64, Inflate64}, {kMethodBzip2, Bunzip2},
    {kMethodLzma, UnpackLzma},   {kMethodZstd, UnpackZstd},     {kMethodXz, UnpackXz},
};

}  // namespace

uint32_t WindowSizeOf(uint16_t method) { return method == kMethodDeflate64 ? UZ_WIDE_WINDOW_SIZE : UZ_WINDOW_SIZE; }

int32_t DecodeMethod(uint16_t method, TPackedInput& input, TContentOutput& output) {
  for (const TMethodDecoder& decoder : kDecoders)
    if (decoder.Method == method) return decoder.Decode(input, output);
  return UZ_UNSUPPORTED;
}
