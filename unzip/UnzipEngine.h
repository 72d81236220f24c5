// The member side of the extraction engine: one process-wide context that extracts one
// member at a time, feeding the decoders (Decoders.h) from the archive file and writing
// their output to the member's file.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>

#include "MemberStream.h"
#include "File.h"
#include "UserInput.h"
#include "UnzipTypes.h"
#include "ZipFormat.h"

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

// The engine keeps the window and the input buffer (allocated once, reused by every member)
// and the busy guard over them; each member gets its own input, output, file source and sink.
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

  // Decodes the member whose local header is at localHeaderOffset into sink, which sees at
  // most limit bytes of content (and never more than the member declares). Nothing is
  // written anywhere else; whatever was decoded before a failure has reached the sink.
  // Result as ExtractMember's.
  int32_t DecodeMember(QrxPlatform::TFile& archive, int64_t localHeaderOffset, const TCentralFacts* central,
                       uint64_t limit, TContentSink& sink);

  // Keeps the busy guard's activity mark fresh and services pending window messages.
  void ActivityHook();

  // The key probe; tests replace it to hold a key down.
  bool (*KeyProbe)(int virtualKey) = QrxPlatform::IsKeyHeld;
  std::atomic<bool> Busy{false};
  std::atomic<uint32_t> LastActivity{0};

private:
  class TBusyScope;
  // Where a member's data lies and what it may give, from its local header.
  struct TMemberPlan {
    TLocalHeader Header{};
    int64_t DataStart = 0;
    int64_t PackedSize = 0;
    int64_t InputLimit = 0;
    int64_t OutputLimit = 0;
    int64_t UnpackedSize = 0;  // what the content's size must be
    uint32_t Crc32 = 0;
    bool CrcInDescriptor = false;  // the CRC follows the data and no directory gave it
  };
  int32_t PlanMember(QrxPlatform::TFile& archive, int64_t localHeaderOffset, const TCentralFacts* central,
                     TMemberPlan& plan);
  int32_t DecodePlanned(QrxPlatform::TFile& archive, const TMemberPlan& plan, int abortKey, TContentSink& sink);
  int32_t ExtractOpenMember(QrxPlatform::TFile& archive, const char* outputPath, int64_t localHeaderOffset,
                            int abortKey, const TCentralFacts* central, const TUnzipProgress& progress);

  std::unique_ptr<uint8_t[]> WindowStorage;
  std::unique_ptr<uint8_t[]> InputStorage;
};

// The engine context of the process.
TUnzipEngine& UnzipEngine();

// Extracts one member by archive path: opens the archive for the call. Result as ExtractMember,
// or UZ_OPEN_FAILED when the archive cannot be opened.
int32_t UnzipMember(const char* archivePath, const char* outputPath, int64_t localHeaderOffset, int abortKey,
                    const TCentralFacts* central = nullptr, const TUnzipProgress& progress = {});

// Creates every missing folder of path ("\" or "/" separated): 0, or -1 when one cannot be made.
int32_t ForceFolders(const char* path);
