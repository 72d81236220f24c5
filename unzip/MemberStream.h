// One member's data on its way through a decoder (Decoders.h): the packed input with its bit
// reader, fed by a byte source, and the content output with its window, written to a sink.
// The engine feeds them from the archive file and writes to the output file; a test or a
// fuzzer can feed them from memory.
#pragma once

#include <cstddef>
#include <cstdint>

inline constexpr uint32_t UZ_WINDOW_SIZE = 32768;
// Deflate64's window, the largest a decoder asks for.
inline constexpr uint32_t UZ_WIDE_WINDOW_SIZE = 65536;
// A packed or unpacked size no header gives.
inline constexpr int64_t UZ_SIZE_UNKNOWN = 2147483647;

// Where a member's packed bytes come from.
class TPackedSource {
public:
  virtual ~TPackedSource() = default;
  // Reads up to size bytes (size > 0): the count read, 0 once the bytes end or cannot be read.
  virtual size_t Read(uint8_t* to, size_t size) = 0;
};

// Where a member's content goes.
class TContentSink {
public:
  virtual ~TContentSink() = default;
  virtual bool Write(const uint8_t* data, uint32_t size) = 0;
};

// Hears how much packed data the decoder has taken, after each block of it; true stops the
// decoder (it ends with -5).
class TAbortCheck {
public:
  virtual ~TAbortCheck() = default;
  virtual bool ShouldStop(int64_t packedBytesTaken) = 0;
};

// The member's packed data, handed to the decoder in blocks of at most kBlockSize bytes.
class TPackedInput {
public:
  static constexpr size_t kBlockSize = 4096;
  // At most limit bytes are taken from source, read into buffer (capacity bytes, at least
  // kBlockSize); abortCheck may be null.
  TPackedInput(TPackedSource& source, uint8_t* buffer, size_t capacity, int64_t limit, TAbortCheck* abortCheck);
  TPackedInput(const TPackedInput&) = delete;
  TPackedInput& operator=(const TPackedInput&) = delete;

  // Past the member's packed data the reader hands out zero filler bytes, one at a time, and
  // sets InputExhausted once more than a few were taken; decoders check it and end with -3.
  uint8_t NextInputByte() {
    if (InputPos == InputEnd) RefillInput();
    return *InputPos++;
  }
  // Makes at least n bits (n <= 56) available in BitBuffer, least significant bit first.
  void NeedBits(unsigned n) {
    while (BitCount < n) {
      BitBuffer |= uint64_t(NextInputByte()) << BitCount;
      BitCount += 8;
    }
  }
  uint32_t PeekBits(unsigned n) const { return uint32_t(BitBuffer & ((uint64_t(1) << n) - 1)); }
  void DropBits(unsigned n) {
    BitBuffer >>= n;
    BitCount -= n;
  }
  // For decoders that take whole bytes (the reference libraries), in place of NextInputByte:
  // moves [InputPos, InputEnd) to the next block of packed data; false once the data ends
  // (no filler is handed out).
  bool NextBlock();
  uint32_t ReadBits(unsigned n) {
    NeedBits(n);
    uint32_t value = PeekBits(n);
    DropBits(n);
    return value;
  }
  void AlignToByte() { DropBits(BitCount % 8); }
  // True when the bits taken from the stream reach into the filler past the packed data.
  bool ConsumedPastEnd() const { return uint64_t(FillerBytesTaken) * 8 > BitCount; }
  void RefillInput();

  // For a copy that bypasses the bit reader (stored members): the next n bytes (n at most the
  // buffer's capacity), or null when the packed data ends first.
  const uint8_t* TakeBytes(uint32_t n);

  // Fast decoders may read [InputPos, InputEnd) directly: those bytes are real member data
  // (filler comes one byte per refill). Bits in BitBuffer above BitCount must be zero
  // whenever NeedBits runs.
  const uint8_t* InputPos = nullptr;
  const uint8_t* InputEnd = nullptr;
  uint64_t BitBuffer = 0;
  unsigned BitCount = 0;

  bool Aborted = false;
  bool InputExhausted = false;
  int64_t PackedSize = UZ_SIZE_UNKNOWN;  // what the member declares
  uint16_t GeneralFlags = 0;              // general-purpose flags of the local header
  int64_t BytesTaken = 0;                 // packed bytes handed to the decoder (or copied) so far

private:
  void DeliverBlock(const uint8_t* from);
  void CountTaken(int64_t n);

  TPackedSource& Source;
  uint8_t* const Buffer;
  const size_t Capacity;
  const int64_t Limit;
  TAbortCheck* const Check;
  const uint8_t* ReadEnd = nullptr;  // end of the bytes read into the buffer
  uint32_t FillerBytesTaken = 0;
};

// The member's content: decoders build it in the window and write it out through the sink,
// which sees at most limit bytes; the CRC covers everything the decoder wrote.
class TContentOutput {
public:
  // window: windowSize bytes (UZ_WINDOW_SIZE, or UZ_WIDE_WINDOW_SIZE for Deflate64),
  // zero-filled here (a match may reach before the first byte).
  TContentOutput(uint8_t* window, TContentSink& sink, int64_t limit, uint32_t windowSize = UZ_WINDOW_SIZE);
  TContentOutput(const TContentOutput&) = delete;
  TContentOutput& operator=(const TContentOutput&) = delete;

  // Writes Window[0, n) out. False when the sink fails, or when the member's content would
  // pass its limit (Overflowed then tells).
  bool FlushOutput(uint32_t n) { return WriteOutput(Window, n); }
  // The same for a decoder's own output buffer.
  bool WriteOutput(const uint8_t* data, uint32_t n);
  // The member's result from its decoder's: content past the limit is damaged data whatever
  // the decoder said, and content decoded whole must have the CRC the member declares and,
  // when it declares one, its unpacked size.
  int32_t Verdict(int32_t decoderResult, uint32_t declaredCrc) const;

  // The most content the sink will take: no decoder needs a dictionary larger than this.
  int64_t Limit() const { return OutputLimit; }

  uint8_t* const Window;
  const uint32_t WindowSize;
  uint32_t WindowPos = 0;
  int64_t UnpackedSize = UZ_SIZE_UNKNOWN;  // what the member declares

private:
  TContentSink& Sink;
  const int64_t OutputLimit;
  int64_t BytesWritten = 0;
  uint32_t RunningCrc = 0xFFFFFFFFu;
  bool Overflow = false;
};
