#include "../File.h"

#include <windows.h>

#include "../WideText.h"

namespace QrxPlatform {
namespace {

HANDLE AsHandle(intptr_t handle) { return reinterpret_cast<HANDLE>(handle); }

intptr_t OpenWith(const std::string& path, DWORD access, DWORD share, DWORD disposition) {
  HANDLE h = ::CreateFileW(SystemPath(path).c_str(), access, share, nullptr, disposition, FILE_ATTRIBUTE_NORMAL,
                           nullptr);
  return reinterpret_cast<intptr_t>(h);
}

// Only a file on disk is read: a pipe, a console or another device, or a folder, is refused.
bool IsDiskFile(HANDLE h) {
  BY_HANDLE_FILE_INFORMATION info;
  return ::GetFileType(h) == FILE_TYPE_DISK && ::GetFileInformationByHandle(h, &info) &&
         !(info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace

bool TFile::OpenRead(const std::string& path) {
  Close();
  Handle_ = OpenWith(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, OPEN_EXISTING);
  if (IsOpen() && !IsDiskFile(AsHandle(Handle_))) Close();
  return IsOpen();
}

bool TFile::Create(const std::string& path) {
  Close();
  Handle_ = OpenWith(path, GENERIC_WRITE, FILE_SHARE_READ, CREATE_ALWAYS);
  return IsOpen();
}

bool TFile::OpenWrite(const std::string& path) {
  Close();
  Handle_ = OpenWith(path, GENERIC_WRITE, FILE_SHARE_READ, OPEN_EXISTING);
  return IsOpen();
}

void TFile::Close() {
  if (Handle_ != kNoHandle) ::CloseHandle(AsHandle(Handle_));
  Handle_ = kNoHandle;
}

int64_t TFile::Read(void* buffer, size_t count) {
  auto* out = static_cast<char*>(buffer);
  size_t done = 0;
  while (done < count) {
    DWORD got = 0;
    const DWORD want = static_cast<DWORD>(count - done > (1u << 30) ? (1u << 30) : count - done);
    if (!::ReadFile(AsHandle(Handle_), out + done, want, &got, nullptr)) return -1;
    if (got == 0) break;
    done += got;
  }
  return static_cast<int64_t>(done);
}

int64_t TFile::Write(const void* buffer, size_t count) {
  DWORD put = 0;
  if (!::WriteFile(AsHandle(Handle_), buffer, static_cast<DWORD>(count), &put, nullptr) || put != count) return -1;
  return static_cast<int64_t>(put);
}

bool TFile::Seek(int64_t position) {
  LARGE_INTEGER to;
  to.QuadPart = position;
  return position >= 0 && ::SetFilePointerEx(AsHandle(Handle_), to, nullptr, FILE_BEGIN);
}

int64_t TFile::Size() {
  LARGE_INTEGER size;
  if (!::GetFileSizeEx(AsHandle(Handle_), &size)) return -1;
  return size.QuadPart;
}

bool TFile::SetDosTime(uint32_t dosDateTime) {
  FILETIME local, utc;
  if (!::DosDateTimeToFileTime(static_cast<WORD>(dosDateTime >> 16), static_cast<WORD>(dosDateTime & 0xFFFF), &local))
    return false;
  return ::LocalFileTimeToFileTime(&local, &utc) && ::SetFileTime(AsHandle(Handle_), nullptr, nullptr, &utc);
}

std::FILE* OpenStdioFile(const std::string& path, const char* mode) {
  return ::_wfopen(SystemPath(path).c_str(), Wide(mode).c_str());
}

}  // namespace QrxPlatform
