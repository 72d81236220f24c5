#pragma once
// One open file, by its UTF-8 path. Under Windows the path goes to the W functions in its
// "\\?\" form, so any name and any length opens; elsewhere "\" separates folders like "/", so
// the extractor's Windows-style paths work in the native build too.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

namespace QrxPlatform {

// Closes itself. Reads and writes report the bytes moved, -1 on error.
class TFile {
 public:
  TFile() = default;
  ~TFile() { Close(); }
  TFile(const TFile&) = delete;
  TFile& operator=(const TFile&) = delete;

  // A regular file only: a folder, a device or a pipe is refused. Shared for reading, writing
  // and deletion by others: a file being scanned stays removable.
  bool OpenRead(const std::string& path);
  bool Create(const std::string& path);     // replaces an existing file
  bool OpenWrite(const std::string& path);  // an existing file, for stamping
  void Close();
  bool IsOpen() const { return Handle_ != kNoHandle; }

  int64_t Read(void* buffer, size_t count);
  int64_t Write(const void* buffer, size_t count);
  bool Seek(int64_t position);
  int64_t Size();  // -1 on error
  // Sets the last-write time from an MS-DOS date (high 16 bits) and time (low 16), as local time.
  bool SetDosTime(uint32_t dosDateTime);

 private:
  static constexpr intptr_t kNoHandle = -1;
  intptr_t Handle_ = kNoHandle;
};

// A C stream on the file at `path` (mode as std::fopen's), for readers written over stdio.
std::FILE* OpenStdioFile(const std::string& path, const char* mode);

}  // namespace QrxPlatform
