// The member side of the extraction engine: one process-wide context that extracts one
// member at a time, and the input stream, bit reader, output window and writer it lends
// to the decoders (Decoders.h).
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>

#include "Platform.h"
#include "UnzipTypes.h"

inline constexpr uint32_t UZ_WINDOW_SIZE = 32768;
// PackedToRead and UnpackedExpected when no header gives the size.
inline constexpr int64_t UZ_SIZE_UNKNOWN = 2147483647;

struct TLocalHeader;

// What the central directory says about a member. A member whose local header defers its
// sizes and CRC to a data descriptor (flag bit 3) is extracted with these.
struct TCentralFacts {
  uint32_t Crc32;
  int64_t PackedSize;
  int64_t UnpackedSize;
};

// Where a member's written blocks are reported: the caller's handler, with the report it
// passes; no handler, no reports.
struct TUnzipProgress {
  TUnzipReportHandler Handler = nullptr;
  TUnzipReport* Report = nullptr;
};

class TUnzipEngine {
public:
  TUnzipEngine();
  TUnzipEngine(const TUnzipEngine&) = delete;
  TUnzipEngine& operator=(const TUnzipEngine&) = delete;

  // Extracts the member whose local header is at localHeaderOffset into outputPath (a path
  // ending with "\" or "/" makes a folder); a null outputPath tests the member: it is decoded
  // and checked, nothing is written. central may be null when no directory was read; when
  // given, the member's output may not pass its unpacked size.
  // Result: UZ_OK, a negative result code, or UZ_INFLATE_REPEAT_OVERRUN.
  int32_t ExtractMember(QrxPlatform::TFile& archive, const char* outputPath, int64_t localHeaderOffset,
                        int abortKey, const TCentralFacts* central, const TUnzipProgress& progress = {});

  // ---- Member input, for the decoders ----
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
  void DeliverInputBlock(const uint8_t* from);

  // Fast decoders may read [InputPos, InputEnd) directly: those bytes are real member data
  // (filler comes one byte per refill). Bits in BitBuffer above BitCount must be zero
  // whenever NeedBits runs.
  const uint8_t* InputPos = nullptr;
  const uint8_t* InputEnd = nullptr;
  uint64_t BitBuffer = 0;
  unsigned BitCount = 0;

  // ---- Output ----
  // The 32,768-byte window, zero-filled when a member starts; WindowPos bytes are in it.
  uint8_t* Window = nullptr;
  uint32_t WindowPos = 0;
  // Writes Window[0, n) to the output file, adds it to the CRC and reports the block.
  // False on a write error, or when the member's output would pass its declared size.
  bool FlushOutput(uint32_t n) { return WriteOutput(Window, n); }
  // The same for a decoder's own output buffer.
  bool WriteOutput(const uint8_t* data, uint32_t n);
  // A buffer for a copy that bypasses the input stream (stored members), and its size.
  uint8_t* CopyBuffer(uint32_t& capacity);

  // ---- Member state ----
  bool Aborted = false;
  bool InputExhausted = false;
  int64_t PackedToRead = 0;      // the member's packed size
  int64_t BytesRead = 0;         // member input handed to the decoder (or copied) so far
  int64_t UnpackedExpected = 0;  // the member's declared unpacked size
  uint16_t GeneralFlags = 0;     // general-purpose flags of the local header
  QrxPlatform::TFile* ArchiveFile = nullptr;  // open while a member is extracted

  // Keeps the busy guard's activity mark fresh and services pending window messages.
  void ActivityHook();
  // Recomputes the percentage read; when it changed, samples the abort key.
  void UpdateProgress();

  // The key probe; tests replace it to hold a key down.
  bool (*KeyProbe)(int virtualKey) = QrxPlatform::IsKeyHeld;
  std::atomic<bool> Busy{false};
  std::atomic<uint32_t> LastActivity{0};

private:
  class TBusyScope;
  int32_t ExtractOpenMember(const char* outputPath, int64_t localHeaderOffset, const TCentralFacts* central);
  int32_t CreateOutput(const char* outputPath);
  int32_t RunDecoder(uint16_t method);
  uint32_t TakeDeclaredFacts(const TLocalHeader& header, const TCentralFacts* central);
  uint32_t ReadDescriptorCrc();
  int32_t FinishOutput(const char* outputPath, int32_t result, uint32_t dosDateTime);
  void StartMember(int abortKey);

  std::unique_ptr<uint8_t[]> WindowStorage;
  std::unique_ptr<uint8_t[]> InputStorage;
  QrxPlatform::TFile OutputFile;
  uint32_t RunningCrc = 0;
  int64_t BytesWritten = 0;
  int64_t OutputLimit = 0;        // the most output the member may have
  int64_t InputLimit = 0;         // the most input the decoder may read
  const uint8_t* InputReadEnd = nullptr;  // end of the bytes read into the input buffer
  bool OutputOverflow = false;
  uint32_t FillerBytesTaken = 0;
  uint16_t LastPercentage = 0;
  int AbortKey = 0;
  TUnzipProgress Progress;
};

// The engine context of the process.
TUnzipEngine& UnzipEngine();

// Extracts one member by archive path: opens the archive for the call. Result as ExtractMember,
// or UZ_OPEN_FAILED when the archive cannot be opened.
int32_t UnzipMember(const char* archivePath, const char* outputPath, int64_t localHeaderOffset, int abortKey,
                    const TCentralFacts* central = nullptr, const TUnzipProgress& progress = {});

// Creates every missing folder of path ("\" or "/" separated): 0, or -1 when one cannot be made.
int32_t ForceFolders(const char* path);
