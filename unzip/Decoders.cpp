#include "Decoders.h"

#include "UnzipTypes.h"
#include "ZipFormat.h"

int32_t DecodeMethod(uint16_t method, TPackedInput& input, TContentOutput& output) {
  switch (method) {
    case kMethodStored:
      return CopyStored(input, output);
    case kMethodShrunk:
      return Unshrink(input, output);
    case kMethodImploded:
      return Explode(input, output);
    case kMethodDeflated:
      return Inflate(input, output);
    default:
      return UZ_UNSUPPORTED;
  }
}
