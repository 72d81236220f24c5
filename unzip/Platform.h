// The few operating-system services the extractor needs. The portable code sees only this
// header; platform/win32 implements it for the product, platform/posix for the native build.
// Paths are single-byte, NUL-terminated; both "\" and "/" separate folders.
#pragma once

#include <cstddef>
#include <cstdint>

namespace QrxPlatform {

// One open file; closes itself. Reads and writes report the bytes moved, -1 on error.
class TFile {
public:
  TFile() = default;
  ~TFile() { Close(); }
  TFile(const TFile&) = delete;
  TFile& operator=(const TFile&) = delete;

  bool OpenRead(const char* path);   // shared for reading and writing by others
  bool Create(const char* path);     // replaces an existing file
  bool OpenWrite(const char* path);  // an existing file, for stamping
  void Close();
  bool IsOpen() const { return Handle != kNoHandle; }

  int64_t Read(void* buffer, size_t count);
  int64_t Write(const void* buffer, size_t count);
  bool Seek(int64_t position);
  int64_t Size();  // -1 on error
  // Sets the last-write time from an MS-DOS date (high 16 bits) and time (low 16), as local time.
  bool SetDosTime(uint32_t dosDateTime);

private:
  static constexpr intptr_t kNoHandle = -1;
  intptr_t Handle = kNoHandle;
};

bool FolderExists(const char* path);
bool FileExists(const char* path);  // a file, not a folder
bool MakeFolder(const char* path);  // one level; true when it exists afterwards
bool RemoveFile(const char* path);
// Sets the MS-DOS attribute byte (read-only 1, hidden 2, system 4, archive 32; 0 = normal).
bool SetAttributes(const char* path, uint32_t attributes);
// Writes the absolute form of path into out (capacity bytes); false when it does not fit.
bool AbsolutePath(const char* path, char* out, size_t capacity);

// Creates a fresh, empty folder in the system's folder for temporary files; its path goes to out.
bool MakeTempFolder(char* out, size_t capacity);
// Removes a folder with everything in it (read-only files included).
bool RemoveTree(const char* path);

uint32_t TickCount();         // milliseconds, wrapping
bool IsKeyHeld(int virtualKey);  // held down at this moment, whichever window has the focus
void PumpMessages();          // services the calling thread's pending window messages
void ConvertOemToAnsi(char* text);   // in place; names stored by MS-DOS tools to the ANSI code page

}  // namespace QrxPlatform
