// The bridge between the member stream and a decoder that takes bytes and gives bytes, as
// the reference libraries do (bzip2, LZMA, XZ, Zstandard): the packed data goes in block by
// block, the content comes out through the window, used as a plain output buffer and written
// out each time it fills.
#pragma once

#include <cstddef>
#include <cstdint>

#include "MemberStream.h"

// One library decoder over one member.
class TByteCodec {
public:
  enum class TStep { Going, Ended, Failed };
  struct TBuffers {
    const uint8_t* In;
    size_t InSize;
    uint8_t* Out;
    size_t OutSize;
    int64_t TakenBefore;  // packed bytes the codec took in the steps before this one
  };
  virtual ~TByteCodec() = default;
  // Decodes what it can of buffers.In into buffers.Out and advances both past what it took
  // and gave. finalInput: no packed data follows buffers.In. Ended once the content is whole.
  virtual TStep Step(TBuffers& buffers, bool finalInput) = 0;
};

// Runs codec over the member's packed data into output. Result as the decoders' (Decoders.h):
// -3 when the packed data ends before the codec's stream does, -4 when the codec fails.
int32_t RunByteCodec(TByteCodec& codec, TPackedInput& input, TContentOutput& output);

// Takes the next n packed bytes into to, for a header a method puts before its stream; false
// when the packed data ends first.
bool TakePackedBytes(TPackedInput& input, uint8_t* to, size_t n);
