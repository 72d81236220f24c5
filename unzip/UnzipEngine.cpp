#include "UnzipEngine.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "Decoders.h"
#include "FileSystem.h"
#include "ZipFormat.h"

using QrxPlatform::TFile;

namespace {

// Member input is read from the archive in large blocks (the input hands them to the
// decoder in smaller ones, each a step of the progress and of the abort key).
constexpr size_t kInputBufferSize = 131072;
constexpr int64_t kInputBlock = TPackedInput::kBlockSize;

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
    if (!QrxPlatform::FolderExists(folder) && !QrxPlatform::MakeFolder(folder)) return false;
  }
  return true;
}

size_t ParentLength(const char* path) {
  size_t length = std::strlen(path);
  while (length > 0 && !IsSeparator(path[length - 1])) --length;
  return length > 0 ? length - 1 : 0;
}

// The member's packed data, read from the archive file; each read is a sign of life.
class TArchiveSource final : public TPackedSource {
public:
  TArchiveSource(TFile& archive, TUnzipEngine& engine) : Archive(archive), Engine(engine) {}
  size_t Read(uint8_t* to, size_t size) override {
    Engine.ActivityHook();
    int64_t got = Archive.Read(to, size);
    return got > 0 ? static_cast<size_t>(got) : 0;
  }

private:
  TFile& Archive;
  TUnzipEngine& Engine;
};

// Writes the member's content to its output file (none when the member is only tested) and
// reports each block written to the caller's handler.
class TOutputFileSink final : public TContentSink {
public:
  TOutputFileSink(TFile& output, const TUnzipProgress& progress) : Output(output), Progress(progress) {}
  bool Write(const uint8_t* data, uint32_t size) override {
    if (Output.IsOpen() && Output.Write(data, size) != static_cast<int64_t>(size)) return false;
    if (Progress.Handler) {
      Progress.Report->Status = UZ_REPORT_PROGRESS;
      Progress.Handler(static_cast<int32_t>(size), Progress.Report);
    }
    return true;
  }

private:
  TFile& Output;
  const TUnzipProgress& Progress;
};

// Samples the abort key each time the percentage of the packed data taken changes.
class TAbortKeyCheck final : public TAbortCheck {
public:
  TAbortKeyCheck(int abortKey, int64_t packedSize, bool (*keyProbe)(int))
      : AbortKey(abortKey), PackedSize(packedSize), KeyProbe(keyProbe) {}
  bool ShouldStop(int64_t packedBytesTaken) override {
    if (PackedSize <= 0) return false;
    auto percentage = static_cast<uint16_t>(std::min<int64_t>(100, packedBytesTaken * 100 / PackedSize));
    if (percentage == LastPercentage) return false;
    LastPercentage = percentage;
    return AbortKey != 0 && KeyProbe(AbortKey);
  }

private:
  const int AbortKey;
  const int64_t PackedSize;
  bool (*const KeyProbe)(int);
  uint16_t LastPercentage = 0;
};

// A member's CRC and sizes as its local header declares them, or as the directory
// does when the header defers them to a data descriptor.
struct TDeclaredFacts {
  uint32_t Crc32;
  int64_t PackedSize;
  int64_t UnpackedSize;
};

TDeclaredFacts DeclaredFacts(const TLocalHeader& header, const TCentralFacts* central) {
  if (!(header.Flags & kFlagDataDescriptor)) return {header.Crc32, header.PackedSize, header.UnpackedSize};
  // The local header carries no sizes: the directory's are the member's; without a
  // directory the packed data runs until the input ends and its CRC follows it.
  if (central) return {central->Crc32, central->PackedSize, central->UnpackedSize};
  return {0, UZ_SIZE_UNKNOWN, UZ_SIZE_UNKNOWN};
}

uint32_t ReadDescriptorCrc(TPackedInput& input) {
  input.AlignToByte();
  uint32_t value = input.ReadBits(16);
  value |= input.ReadBits(16) << 16;
  if (value == kDataDescriptorSignature) {
    value = input.ReadBits(16);
    value |= input.ReadBits(16) << 16;
  }
  return value;
}

int32_t CreateOutput(TFile& output, const char* outputPath) {
  if (!outputPath) return UZ_OK;  // a test: nothing is written
  bool isFolder = EndsWithSeparator(outputPath);
  if (!isFolder && output.Create(outputPath)) return UZ_OK;
  // A folder entry is done when its folder exists; one that cannot be made is not reported done.
  if (isFolder) return MakeFolderChain(outputPath, std::strlen(outputPath) - 1) ? UZ_OK : UZ_WRITE_ERROR;
  size_t parent = ParentLength(outputPath);
  if (parent > 0 && MakeFolderChain(outputPath, parent) && output.Create(outputPath)) return UZ_OK;
  return UZ_WRITE_ERROR;
}

int32_t FinishOutput(TFile& output, const char* outputPath, int32_t result, uint32_t dosDateTime) {
  if (!outputPath) return result;
  if (result == UZ_OK) {
    // A stamp that cannot be set leaves the file's own time: the content is what counts.
    output.SetDosTime(dosDateTime);
    output.Close();
    return UZ_OK;
  }
  output.Close();
  QrxPlatform::RemoveFile(outputPath);
  return result;
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
  // A running extraction is never taken over, however long it has been quiet: the window and
  // the input buffer are the ones a second caller would overwrite.
  TBusyScope busy(*this);
  if (!busy.Acquired) return UZ_BUSY;
  if (outputPath && std::strlen(outputPath) > static_cast<size_t>(UZ_PATH_MAX)) return UZ_WRITE_ERROR;
  return ExtractOpenMember(archive, outputPath, localHeaderOffset, abortKey, central, progress);
}

int32_t TUnzipEngine::DecodeMember(TFile& archive, int64_t localHeaderOffset, const TCentralFacts* central,
                                   uint64_t limit, TContentSink& sink) {
  TBusyScope busy(*this);
  if (!busy.Acquired) return UZ_BUSY;
  TMemberPlan plan;
  if (int32_t planned = PlanMember(archive, localHeaderOffset, central, plan); planned != UZ_OK) return planned;
  plan.OutputLimit = static_cast<int64_t>(std::min<uint64_t>(uint64_t(plan.OutputLimit), limit));
  return DecodePlanned(archive, plan, 0, sink);
}

// Reads the member's local header and works out where its data lies and how much of it, and
// of its content, may be taken.
int32_t TUnzipEngine::PlanMember(TFile& archive, int64_t localHeaderOffset, const TCentralFacts* central,
                                 TMemberPlan& plan) {
  if (!archive.Seek(localHeaderOffset)) return UZ_READ_ERROR;
  if (!ReadLocalHeader(archive, plan.Header)) return UZ_BAD_DATA;
  const TLocalHeader& header = plan.Header;
  TDeclaredFacts declared = DeclaredFacts(header, central);
  // Encryption is told first: an encrypted member stays unreadable whatever its method.
  if (header.Flags & kFlagEncrypted) return UZ_ENCRYPTED;
  if (!IsSupportedMethod(header.Method)) return UZ_UNSUPPORTED;
  plan.DataStart = localHeaderOffset + kLocalHeaderSize + header.NameLength + header.ExtraLength;
  // The decoders may read on past the declared packed data to the end of the block it ends in,
  // so that a member whose header understates its packed size still decodes, but never past
  // the archive's end: a header may claim more packed data than the archive holds.
  const int64_t available = std::max<int64_t>(0, archive.Size() - plan.DataStart);
  if (declared.PackedSize != UZ_SIZE_UNKNOWN) declared.PackedSize = std::min(declared.PackedSize, available);
  plan.PackedSize = declared.PackedSize;
  plan.InputLimit = std::min(available, (declared.PackedSize + 2) / kInputBlock * kInputBlock + kInputBlock);
  // The directory is what the walk trusts: a member never writes more than it declares, and
  // content of another size than the directory's is damaged.
  plan.OutputLimit = central ? std::min(central->UnpackedSize, declared.UnpackedSize) : declared.UnpackedSize;
  plan.UnpackedSize = central ? central->UnpackedSize : declared.UnpackedSize;
  plan.Crc32 = declared.Crc32;
  plan.CrcInDescriptor = (header.Flags & kFlagDataDescriptor) && !central;
  return UZ_OK;
}

int32_t TUnzipEngine::DecodePlanned(TFile& archive, const TMemberPlan& plan, int abortKey, TContentSink& sink) {
  if (!WindowStorage) {
    WindowStorage.reset(new uint8_t[UZ_WIDE_WINDOW_SIZE]);
    InputStorage.reset(new uint8_t[kInputBufferSize]);
  }
  if (!archive.Seek(plan.DataStart)) return UZ_READ_ERROR;
  ActivityHook();
  TArchiveSource source(archive, *this);
  TAbortKeyCheck abortCheck(abortKey, plan.PackedSize, KeyProbe);
  TPackedInput input(source, InputStorage.get(), kInputBufferSize, plan.InputLimit, &abortCheck);
  input.PackedSize = plan.PackedSize;
  input.GeneralFlags = plan.Header.Flags;
  TContentOutput output(WindowStorage.get(), sink, plan.OutputLimit, WindowSizeOf(plan.Header.Method));
  output.UnpackedSize = plan.UnpackedSize;

  int32_t result = DecodeMethod(plan.Header.Method, input, output);
  // A decoder that fails keeps its last content in the window: it goes out too, since a
  // scanner must see every byte the member gave before it failed.
  if (result != UZ_OK && result != UZ_WRITE_ERROR) output.FlushOutput(output.WindowPos);
  const uint32_t expectedCrc = result == UZ_OK && plan.CrcInDescriptor ? ReadDescriptorCrc(input) : plan.Crc32;
  return output.Verdict(result, expectedCrc);
}

int32_t TUnzipEngine::ExtractOpenMember(TFile& archive, const char* outputPath, int64_t localHeaderOffset,
                                        int abortKey, const TCentralFacts* central, const TUnzipProgress& progress) {
  TMemberPlan plan;
  if (int32_t planned = PlanMember(archive, localHeaderOffset, central, plan); planned != UZ_OK) return planned;
  TFile outputFile;
  if (int32_t created = CreateOutput(outputFile, outputPath);
      created != UZ_OK || (outputPath && EndsWithSeparator(outputPath)))
    return created;
  TOutputFileSink sink(outputFile, progress);
  const int32_t result = DecodePlanned(archive, plan, abortKey, sink);
  return FinishOutput(outputFile, outputPath, result, plan.Header.DosDateTime);
}

void TUnzipEngine::ActivityHook() {
  LastActivity.store(QrxPlatform::TickCount());
  QrxPlatform::PumpMessages();
}

int32_t UnzipMember(const char* archivePath, const char* outputPath, int64_t localHeaderOffset, int abortKey,
                    const TCentralFacts* central, const TUnzipProgress& progress) {
  TFile archive;
  if (!archive.OpenRead(archivePath)) return UZ_OPEN_FAILED;
  return UnzipEngine().ExtractMember(archive, outputPath, localHeaderOffset, abortKey, central, progress);
}

int32_t ForceFolders(const char* path) {
  if (*path == '\0') return -1;
  const std::string absolute = QrxPlatform::AbsolutePath(path);
  size_t length = absolute.size();
  while (length > 1 && IsSeparator(absolute[length - 1])) --length;
  return length > 0 && MakeFolderChain(absolute.c_str(), length) ? 0 : -1;
}
