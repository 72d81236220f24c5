// Win32 implementation of the platform layer, for the product (single-byte A functions).
#include "../../Platform.h"

#include <windows.h>

#include <cstdio>
#include <string>

namespace QrxPlatform {
namespace {

HANDLE AsHandle(intptr_t handle) { return reinterpret_cast<HANDLE>(handle); }

intptr_t OpenWith(const char* path, DWORD access, DWORD share, DWORD disposition) {
  HANDLE h = ::CreateFileA(path, access, share, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
  return reinterpret_cast<intptr_t>(h);
}

// Only a file on disk is read: a pipe, a console or another device, or a folder, is refused.
bool IsDiskFile(HANDLE h) {
  BY_HANDLE_FILE_INFORMATION info;
  return ::GetFileType(h) == FILE_TYPE_DISK && ::GetFileInformationByHandle(h, &info) &&
         !(info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
}

constexpr DWORD kAttributeMask = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                                 FILE_ATTRIBUTE_ARCHIVE;

}  // namespace

bool TFile::OpenRead(const char* path) {
  Close();
  // Shared for deletion too: an archive being scanned must stay removable.
  Handle = OpenWith(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, OPEN_EXISTING);
  if (IsOpen() && !IsDiskFile(AsHandle(Handle))) Close();
  return IsOpen();
}

bool TFile::Create(const char* path) {
  Close();
  Handle = OpenWith(path, GENERIC_WRITE, FILE_SHARE_READ, CREATE_ALWAYS);
  return IsOpen();
}

bool TFile::OpenWrite(const char* path) {
  Close();
  Handle = OpenWith(path, GENERIC_WRITE, FILE_SHARE_READ, OPEN_EXISTING);
  return IsOpen();
}

void TFile::Close() {
  if (Handle != kNoHandle) ::CloseHandle(AsHandle(Handle));
  Handle = kNoHandle;
}

int64_t TFile::Read(void* buffer, size_t count) {
  auto* out = static_cast<char*>(buffer);
  size_t done = 0;
  while (done < count) {
    DWORD got = 0;
    if (!::ReadFile(AsHandle(Handle), out + done, static_cast<DWORD>(count - done), &got, nullptr)) return -1;
    if (got == 0) break;
    done += got;
  }
  return static_cast<int64_t>(done);
}

int64_t TFile::Write(const void* buffer, size_t count) {
  DWORD put = 0;
  if (!::WriteFile(AsHandle(Handle), buffer, static_cast<DWORD>(count), &put, nullptr) || put != count) return -1;
  return static_cast<int64_t>(put);
}

bool TFile::Seek(int64_t position) {
  LARGE_INTEGER to;
  to.QuadPart = position;
  return position >= 0 && ::SetFilePointerEx(AsHandle(Handle), to, nullptr, FILE_BEGIN);
}

int64_t TFile::Size() {
  LARGE_INTEGER size;
  if (!::GetFileSizeEx(AsHandle(Handle), &size)) return -1;
  return size.QuadPart;
}

bool TFile::SetDosTime(uint32_t dosDateTime) {
  FILETIME local, utc;
  if (!::DosDateTimeToFileTime(static_cast<WORD>(dosDateTime >> 16), static_cast<WORD>(dosDateTime & 0xFFFF), &local))
    return false;
  return ::LocalFileTimeToFileTime(&local, &utc) && ::SetFileTime(AsHandle(Handle), nullptr, nullptr, &utc);
}

bool FolderExists(const char* path) {
  DWORD attributes = ::GetFileAttributesA(path);
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool FileExists(const char* path) {
  DWORD attributes = ::GetFileAttributesA(path);
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool MakeFolder(const char* path) { return ::CreateDirectoryA(path, nullptr) || FolderExists(path); }

bool RemoveFile(const char* path) { return ::DeleteFileA(path) != 0; }

bool SetAttributes(const char* path, uint32_t attributes) {
  DWORD wanted = attributes & kAttributeMask;
  return ::SetFileAttributesA(path, wanted ? wanted : FILE_ATTRIBUTE_NORMAL) != 0;
}

bool AbsolutePath(const char* path, char* out, size_t capacity) {
  DWORD length = ::GetFullPathNameA(path, static_cast<DWORD>(capacity), out, nullptr);
  return length > 0 && length < capacity;
}

bool MakeTempFolder(char* out, size_t capacity) {
  char base[MAX_PATH + 1];
  DWORD length = ::GetTempPathA(sizeof base, base);
  if (length == 0 || length > MAX_PATH) return false;
  for (unsigned attempt = 0; attempt < 1000; ++attempt) {
    unsigned tag = (::GetTickCount() + attempt * 7919u + ::GetCurrentProcessId()) % 1000000u;
    int written = std::snprintf(out, capacity, "%sqrx%06u", base, tag);
    if (written <= 0 || static_cast<size_t>(written) >= capacity) return false;
    if (::CreateDirectoryA(out, nullptr)) return true;
    if (::GetLastError() != ERROR_ALREADY_EXISTS) return false;
  }
  return false;
}

bool RemoveTree(const char* path) {
  std::string folder(path);
  WIN32_FIND_DATAA found;
  HANDLE search = ::FindFirstFileA((folder + "\\*").c_str(), &found);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      std::string name = found.cFileName;
      if (name == "." || name == "..") continue;
      std::string entry = folder + "\\" + name;
      ::SetFileAttributesA(entry.c_str(), FILE_ATTRIBUTE_NORMAL);
      if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
        RemoveTree(entry.c_str());
      else
        ::DeleteFileA(entry.c_str());
    } while (::FindNextFileA(search, &found));
    ::FindClose(search);
  }
  return ::RemoveDirectoryA(path) != 0;
}

uint32_t TickCount() { return ::GetTickCount(); }

bool IsKeyHeld(int virtualKey) { return (::GetAsyncKeyState(virtualKey) & 0x8000) != 0; }

void PumpMessages() {
  MSG message;
  while (::PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    ::TranslateMessage(&message);
    ::DispatchMessageA(&message);
  }
}

void ConvertOemToAnsi(char* text) { ::OemToCharA(text, text); }

}  // namespace QrxPlatform
