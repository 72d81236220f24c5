#include "qrx_record_file.h"

#include "File.h"

namespace {

// A large stdio buffer: a full table is read in a few hundred system calls, not tens of thousands.
constexpr std::size_t ReadBufferSize = 64 * 1024;

// Any name and any length: the path is UTF-8.
std::FILE* OpenForReading(const char* path) { return QrxPlatform::OpenStdioFile(path, "rb"); }

TRecordFileOpener Opener = OpenForReading;

}  // namespace

TRecordFileOpener ReplaceRecordFileOpener(TRecordFileOpener opener) {
  const TRecordFileOpener previous = Opener;
  Opener = opener != nullptr ? opener : OpenForReading;
  return previous;
}

TRecordFile::TRecordFile(const std::string& path) : File_(Opener(path.c_str())) {
  if (File_) std::setvbuf(File_.get(), nullptr, _IOFBF, ReadBufferSize);
}

TRecordFile::TRead TRecordFile::Read(void* record, std::size_t size) {
  if (std::fread(record, 1, size, File_.get()) == size) return TRead::Record;
  return std::ferror(File_.get()) ? TRead::Error : TRead::End;
}

TRecordFileOutcome ReadRecordFile(const std::string& path, void* buffer, std::size_t recordSize,
                                  const TRecordVisitor& visit) {
  TRecordFile file(path);
  if (!file.IsOpen()) return TRecordFileOutcome::CannotOpen;
  switch (file.Read(buffer, recordSize)) {
    case TRecordFile::TRead::End: return TRecordFileOutcome::NoHeader;
    case TRecordFile::TRead::Error: return TRecordFileOutcome::HeaderError;
    case TRecordFile::TRead::Record: break;
  }
  for (;;) {
    switch (file.Read(buffer, recordSize)) {
      case TRecordFile::TRead::End: return TRecordFileOutcome::Done;
      case TRecordFile::TRead::Error: return TRecordFileOutcome::ReadError;
      case TRecordFile::TRead::Record: break;
    }
    if (!visit(buffer)) return TRecordFileOutcome::Stopped;
  }
}
