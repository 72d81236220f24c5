// The member decoders, one per supported compression method. Each reads the member's packed
// data through the input's bit reader (or, stored and the library-backed methods, its bytes),
// writes through the output's FlushOutput (or WriteOutput) and returns:
//    0  the data was decoded and all output written
//    1  inflate only: a repeat in a dynamic block header ran past the declared lengths
//   -2  writing the output failed
//   -3  the input ran out (InputExhausted), or the stored copy's read came back short
//   -4  the data is not valid for the method
//   -5  the abort check asked to stop (Aborted)
//   -6  unshrink only: the packed size is unknown
#pragma once

#include <cstdint>

#include "MemberStream.h"

int32_t CopyStored(TPackedInput& input, TContentOutput& output);  // method 0
int32_t Unshrink(TPackedInput& input, TContentOutput& output);    // method 1
int32_t Explode(TPackedInput& input, TContentOutput& output);     // method 6
int32_t Inflate(TPackedInput& input, TContentOutput& output);     // method 8
int32_t Inflate64(TPackedInput& input, TContentOutput& output);   // method 9 (wide window)
int32_t Bunzip2(TPackedInput& input, TContentOutput& output);     // method 12
int32_t UnpackLzma(TPackedInput& input, TContentOutput& output);  // method 14
int32_t UnpackZstd(TPackedInput& input, TContentOutput& output);  // method 93
int32_t UnpackXz(TPackedInput& input, TContentOutput& output);    // method 95

// The window the decoder of a method needs: UZ_WINDOW_SIZE or UZ_WIDE_WINDOW_SIZE.
uint32_t WindowSizeOf(uint16_t method);

// The decoder of a method (one of the above): its result, or -6 for any other method.
int32_t DecodeMethod(uint16_t method, TPackedInput& input, TContentOutput& output);
