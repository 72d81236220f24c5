#include "MemberStream.h"

#include <algorithm>
#include <cstring>

#include "Crc32.h"
#include "UnzipTypes.h"

namespace {

// Filler bytes a decoder may take past the packed data before the input counts as run out:
// a table lookup may look a little ahead of the bits it finally uses.
constexpr uint32_t kFillerSlack = 8;
const uint8_t kFillerByte = 0;

}  // namespace

TPackedInput::TPackedInput(TPackedSource& source, uint8_t* buffer, size_t capacity, int64_t limit,
                           TAbortCheck* abortCheck)
    : Source(source), Buffer(buffer), Capacity(capacity), Limit(limit), Check(abortCheck) {}

bool TPackedInput::NextBlock() {
  if (InputEnd != nullptr && InputEnd < ReadEnd) {
    DeliverBlock(InputEnd);
    return true;
  }
  // Every byte read is handed out by now: BytesTaken is also what was read.
  int64_t left = Limit - BytesTaken;
  if (left <= 0 || InputExhausted) return false;
  size_t got = Source.Read(Buffer, static_cast<size_t>(std::min<int64_t>(left, static_cast<int64_t>(Capacity))));
  if (got == 0) {
    InputExhausted = true;  // a read error, or the source ends before the member's data
    return false;
  }
  ReadEnd = Buffer + got;
  DeliverBlock(Buffer);
  return true;
}

void TPackedInput::RefillInput() {
  if (NextBlock()) return;
  if (++FillerBytesTaken > kFillerSlack) InputExhausted = true;
  InputPos = &kFillerByte;
  InputEnd = InputPos + 1;
  ReadEnd = nullptr;
}

void TPackedInput::DeliverBlock(const uint8_t* from) {
  InputPos = from;
  InputEnd = from + std::min<ptrdiff_t>(kBlockSize, ReadEnd - from);
  CountTaken(InputEnd - InputPos);
}

const uint8_t* TPackedInput::TakeBytes(uint32_t n) {
  if (n > Capacity || Limit - BytesTaken < n) return nullptr;
  for (uint32_t filled = 0; filled < n;) {
    size_t got = Source.Read(Buffer + filled, n - filled);
    if (got == 0) return nullptr;
    filled += static_cast<uint32_t>(got);
  }
  CountTaken(n);
  return Buffer;
}

void TPackedInput::CountTaken(int64_t n) {
  BytesTaken += n;
  if (Check && Check->ShouldStop(BytesTaken)) Aborted = true;
}

TContentOutput::TContentOutput(uint8_t* window, TContentSink& sink, int64_t limit, uint32_t windowSize)
    : Window(window), WindowSize(windowSize), Sink(sink), OutputLimit(limit) {
  std::memset(Window, 0, WindowSize);
}

bool TContentOutput::WriteOutput(const uint8_t* data, uint32_t n) {
  if (n == 0) return true;
  RunningCrc = Crc32Update(RunningCrc, data, n);
  // Output past the limit is damaged data: a lying header cannot fill the disk. What fits
  // still goes out, so that a scanner sees all the member may give.
  if (BytesWritten + n > OutputLimit) {
    Overflow = true;
    const auto fits = static_cast<uint32_t>(std::max<int64_t>(0, OutputLimit - BytesWritten));
    if (fits > 0 && Sink.Write(data, fits)) BytesWritten += fits;
    return false;
  }
  if (!Sink.Write(data, n)) return false;
  BytesWritten += n;
  return true;
}

int32_t TContentOutput::Verdict(int32_t decoderResult, uint32_t declaredCrc) const {
  if (Overflow) return UZ_BAD_DATA;
  if (decoderResult != UZ_OK) return decoderResult;
  if (~RunningCrc != declaredCrc) return UZ_CRC_MISMATCH;
  // A CRC that matches content of another size vouches for that content, not for the member.
  if (UnpackedSize != UZ_SIZE_UNKNOWN && BytesWritten != UnpackedSize) return UZ_BAD_DATA;
  return UZ_OK;
}
