// The member decoders, one per supported compression method. Each reads the member's data
// through the engine's input stream and bit reader, writes through FlushOutput (or
// WriteOutput) and returns:
//    0  the data was decoded and all output written
//    1  inflate only: a repeat in a dynamic block header ran past the declared lengths
//   -2  writing the output failed
//   -3  the input ran out (InputExhausted), or the stored copy's read came back short
//   -4  the data is not valid for the method
//   -5  the abort key was seen (Aborted)
//   -6  unshrink only: the packed size is unknown
#pragma once

#include <cstdint>

class TUnzipEngine;

int32_t CopyStored(TUnzipEngine& engine);  // method 0
int32_t Unshrink(TUnzipEngine& engine);    // method 1
int32_t Explode(TUnzipEngine& engine);     // method 6
int32_t Inflate(TUnzipEngine& engine);     // method 8
