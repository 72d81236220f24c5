#include "UnzipEngine.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "Crc32.h"
#include "Decoders.h"
#include "ZipFormat.h"

using QrxPlatform::TFile;

namespace {

// Member input is read from the archive in large blocks, and handed to the decoders in
// blocks of kInputBlock bytes: each block is a step of the progress and of the abort key.
constexpr size_t kInputBufferSize = 131072;
constexpr int64_t kInputBlock = 4096;
// A stored member is copied in chunks of this size, each a step of the progress.
constexpr uint32_t kStoredChunk = 32768;
// Filler bytes a decoder may take past the packed data before the input counts as run out:
// a table lookup may look a little ahead of the bits it finally uses.
constexpr uint32_t kFillerSlack = 8;
const uint8_t kFillerByte = 0;

bool EndsWithSeparator(const char* path) {
  size_t length = std::strlen(path);
  return length > 0 && (path[length - 1] == '\\' || path[length - 1] == '/');
}

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

// Creates each folder of path[0, length) that is missing, from the root down: every prefix
// that ends before a separator, then the whole range. False at the first one that cannot be made.
bool MakeFolderChain(const char* path, size_t length) {
  std::string prefix(path, length);
  for (size_t i = 1; i <= length; ++i) {
    if (i < length && !IsSeparator(prefix[i])) continue;
    if (IsSeparator(prefix[i - 1])) continue;  // root or doubled separator
    std::string folder = prefix.substr(0, i);
    if (folder.size() == 2 && folder[1] == ':') continue;  // a bare drive
    if (!QrxPlatform::FolderExists(folder.c_str()) && !QrxPlatform::MakeFolder(folder.c_str())) return false;
  }
  return true;
}

size_t ParentLength(const char* path) {
  size_t length = std::strlen(path);
  while (length > 0 && !IsSeparator(path[length - 1])) --length;
  return length > 0 ? length - 1 : 0;
}

}  // namespace

// Holds the engine's busy flag for one member; the test and the setting are one atomic step.
class TUnzipEngine::TBusyScope {
public:
  explicit TBusyScope(TUnzipEngine& engine) : Engine(engine) {
    bool expected = false;
    Acquired = Engine.Busy.compare_exchange_strong(expected, true);
  }
  ~TBusyScope() {
    if (Acquired) Engine.Busy.store(false);
  }
  TBusyScope(const TBusyScope&) = delete;
  TBusyScope& operator=(const TBusyScope&) = delete;
  bool Acquired = false;

private:
  TUnzipEngine& Engine;
};

TUnzipEngine::TUnzipEngine() = default;

TUnzipEngine& UnzipEngine() {
  static TUnzipEngine engine;
  return engine;
}

int32_t TUnzipEngine::ExtractMember(TFile& archive, const char* outputPath, int64_t localHeaderOffset, int abortKey,
                                    const TCentralFacts* central, const TUnzipProgress& progress) {
  // A running extraction is never taken over, however long it has been quiet: the context
  // it uses is the one a second caller would overwrite.
  TBusyScope busy(*this);
  if (!busy.Acquired) return UZ_BUSY;
  if (outputPath && std::strlen(outputPath) > static_cast<size_t>(UZ_PATH_MAX)) return UZ_WRITE_ERROR;
  if (!WindowStorage) {
    WindowStorage.reset(new uint8_t[UZ_WINDOW_SIZE]);
    InputStorage.reset(new uint8_t[kInputBufferSize]);
  }
  Window = WindowStorage.get();
  std::memset(Window, 0, UZ_WINDOW_SIZE);
  ArchiveFile = &archive;
  Progress = progress;
  StartMember(abortKey);
  int32_t result = ExtractOpenMember(outputPath, localHeaderOffset, central);
  OutputFile.Close();
  ArchiveFile = nullptr;
  Progress = TUnzipProgress{};
  return result;
}

void TUnzipEngine::StartMember(int abortKey) {
  WindowPos = 0;
  InputPos = InputEnd = nullptr;
  BitBuffer = 0;
  BitCount = 0;
  Aborted = false;
  InputExhausted = false;
  BytesRead = 0;
  BytesWritten = 0;
  OutputLimit = 0;
  InputLimit = 0;
  InputReadEnd = nullptr;
  OutputOverflow = false;
  FillerBytesTaken = 0;
  LastPercentage = 0;
  RunningCrc = 0xFFFFFFFFu;
  AbortKey = abortKey;
}

int32_t TUnzipEngine::ExtractOpenMember(const char* outputPath, int64_t localHeaderOffset,
                                        const TCentralFacts* central) {
  TLocalHeader header;
  if (!ArchiveFile->Seek(localHeaderOffset)) return UZ_READ_ERROR;
  if (!ReadLocalHeader(*ArchiveFile, header)) return UZ_BAD_DATA;
  uint32_t expectedCrc = TakeDeclaredFacts(header, central);
  GeneralFlags = header.Flags;
  // Encryption is told first: an encrypted member stays unreadable whatever its method.
  if (header.Flags & kFlagEncrypted) return UZ_ENCRYPTED;
  if (!IsSupportedMethod(header.Method)) return UZ_UNSUPPORTED;
  const int64_t dataStart = localHeaderOffset + kLocalHeaderSize + header.NameLength + header.ExtraLength;
  if (!ArchiveFile->Seek(dataStart)) return UZ_READ_ERROR;
  // The decoders may read on past the declared packed data to the end of the block it ends in,
  // so that a member whose header understates its packed size still decodes, but never past
  // the archive's end: a header may claim more packed data than the archive holds.
  const int64_t available = std::max<int64_t>(0, ArchiveFile->Size() - dataStart);
  if (PackedToRead != UZ_SIZE_UNKNOWN) PackedToRead = std::min(PackedToRead, available);
  InputLimit = std::min(available, (PackedToRead + 2) / kInputBlock * kInputBlock + kInputBlock);
  // The directory is what the walk trusts: a member never writes more than it declares.
  OutputLimit = central ? std::min(central->UnpackedSize, UnpackedExpected) : UnpackedExpected;

  if (int32_t created = CreateOutput(outputPath); created != UZ_OK || (outputPath && EndsWithSeparator(outputPath)))
    return created;
  ActivityHook();
  int32_t result = RunDecoder(header.Method);
  if (result == UZ_OK && (header.Flags & kFlagDataDescriptor) && !central) expectedCrc = ReadDescriptorCrc();
  if (OutputOverflow) result = UZ_BAD_DATA;
  if (result == UZ_OK && ~RunningCrc != expectedCrc) result = UZ_CRC_MISMATCH;
  return FinishOutput(outputPath, result, header.DosDateTime);
}

uint32_t TUnzipEngine::TakeDeclaredFacts(const TLocalHeader& header, const TCentralFacts* central) {
  PackedToRead = header.PackedSize;
  UnpackedExpected = header.UnpackedSize;
  if (!(header.Flags & kFlagDataDescriptor)) return header.Crc32;
  // The local header carries no sizes: the directory's are the member's; without a
  // directory the packed data runs until the input ends and its CRC follows it.
  PackedToRead = central ? central->PackedSize : UZ_SIZE_UNKNOWN;
  UnpackedExpected = central ? central->UnpackedSize : UZ_SIZE_UNKNOWN;
  return central ? central->Crc32 : 0;
}

uint32_t TUnzipEngine::ReadDescriptorCrc() {
  AlignToByte();
  uint32_t value = ReadBits(16);
  value |= ReadBits(16) << 16;
  if (value == kDataDescriptorSignature) {
    value = ReadBits(16);
    value |= ReadBits(16) << 16;
  }
  return value;
}

int32_t TUnzipEngine::CreateOutput(const char* outputPath) {
  if (!outputPath) return UZ_OK;  // a test: nothing is written
  bool isFolder = EndsWithSeparator(outputPath);
  if (!isFolder && OutputFile.Create(outputPath)) return UZ_OK;
  // A folder entry is done when its folder exists; one that cannot be made is not reported done.
  if (isFolder) return MakeFolderChain(outputPath, std::strlen(outputPath) - 1) ? UZ_OK : UZ_WRITE_ERROR;
  size_t parent = ParentLength(outputPath);
  if (parent > 0 && MakeFolderChain(outputPath, parent) && OutputFile.Create(outputPath)) return UZ_OK;
  return UZ_WRITE_ERROR;
}

int32_t TUnzipEngine::RunDecoder(uint16_t method) {
  switch (method) {
    case kMethodStored:
      return CopyStored(*this);
    case kMethodShrunk:
      return Unshrink(*this);
    case kMethodImploded:
      return Explode(*this);
    case kMethodDeflated:
      return Inflate(*this);
    default:
      return UZ_UNSUPPORTED;
  }
}

int32_t TUnzipEngine::FinishOutput(const char* outputPath, int32_t result, uint32_t dosDateTime) {
  if (!outputPath) return result;
  if (result == UZ_OK) {
    // A stamp that cannot be set leaves the file's own time: the content is what counts.
    OutputFile.SetDosTime(dosDateTime);
    OutputFile.Close();
    return UZ_OK;
  }
  OutputFile.Close();
  QrxPlatform::RemoveFile(outputPath);
  return result;
}

void TUnzipEngine::RefillInput() {
  if (InputEnd != nullptr && InputEnd < InputReadEnd) {
    DeliverInputBlock(InputEnd);
    return;
  }
  int64_t left = InputLimit - BytesRead;
  if (left > 0 && !InputExhausted) {
    ActivityHook();
    size_t want = static_cast<size_t>(std::min<int64_t>(left, kInputBufferSize));
    int64_t got = ArchiveFile->Read(InputStorage.get(), want);
    if (got > 0) {
      InputReadEnd = InputStorage.get() + got;
      DeliverInputBlock(InputStorage.get());
      return;
    }
    InputExhausted = true;  // read error, or the archive ends before the member's data
  }
  if (++FillerBytesTaken > kFillerSlack) InputExhausted = true;
  InputPos = &kFillerByte;
  InputEnd = InputPos + 1;
  InputReadEnd = nullptr;
}

void TUnzipEngine::DeliverInputBlock(const uint8_t* from) {
  InputPos = from;
  InputEnd = from + std::min<int64_t>(kInputBlock, InputReadEnd - from);
  BytesRead += InputEnd - InputPos;
  UpdateProgress();
}

uint8_t* TUnzipEngine::CopyBuffer(uint32_t& capacity) {
  capacity = kStoredChunk;
  return InputStorage.get();
}

bool TUnzipEngine::WriteOutput(const uint8_t* data, uint32_t n) {
  if (n == 0) return true;
  RunningCrc = Crc32Update(RunningCrc, data, n);
  // Output past the declared size is damaged data: a lying header cannot fill the disk.
  if (BytesWritten + n > OutputLimit) {
    OutputOverflow = true;
    return false;
  }
  if (OutputFile.IsOpen() && OutputFile.Write(data, n) != static_cast<int64_t>(n)) return false;
  BytesWritten += n;
  if (Progress.Handler) {
    Progress.Report->Status = UZ_REPORT_PROGRESS;
    Progress.Handler(static_cast<int32_t>(n), Progress.Report);
  }
  return true;
}

void TUnzipEngine::ActivityHook() {
  LastActivity.store(QrxPlatform::TickCount());
  QrxPlatform::PumpMessages();
}

void TUnzipEngine::UpdateProgress() {
  if (PackedToRead <= 0) return;
  auto percentage = static_cast<uint16_t>(std::min<int64_t>(100, BytesRead * 100 / PackedToRead));
  if (percentage == LastPercentage) return;
  LastPercentage = percentage;
  if (AbortKey != 0 && KeyProbe(AbortKey)) Aborted = true;
}

int32_t UnzipMember(const char* archivePath, const char* outputPath, int64_t localHeaderOffset, int abortKey,
                    const TCentralFacts* central, const TUnzipProgress& progress) {
  TFile archive;
  if (!archive.OpenRead(archivePath)) return UZ_OPEN_FAILED;
  return UnzipEngine().ExtractMember(archive, outputPath, localHeaderOffset, abortKey, central, progress);
}

int32_t ForceFolders(const char* path) {
  char absolute[1024];
  if (*path == '\0' || !QrxPlatform::AbsolutePath(path, absolute, sizeof absolute)) return -1;
  size_t length = std::strlen(absolute);
  while (length > 1 && IsSeparator(absolute[length - 1])) --length;
  return MakeFolderChain(absolute, length) ? 0 : -1;
}
