#include <windows.h>

#include <algorithm>

#include "WideText.h"
#include "byte_source.h"

namespace qrx::engine {

std::unique_ptr<FileSource> FileSource::open(const char* path, OpenError& error) {
  // The "\\?\" form reaches any name and any length.
  const std::wstring systemPath = QrxPlatform::SystemPath(path);
  // Others may keep reading, writing or even deleting the file while we scan it.
  HANDLE h = ::CreateFileW(systemPath.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                           nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  if (h == INVALID_HANDLE_VALUE) {
    const DWORD attributes = ::GetFileAttributesW(systemPath.c_str());
    const bool folder = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
    error = folder ? OpenError::NotAFile : OpenError::CannotOpen;
    return nullptr;
  }
  // Device names such as CON or NUL open fine but are no files.
  if (::GetFileType(h) != FILE_TYPE_DISK) {
    ::CloseHandle(h);
    error = OpenError::NotAFile;
    return nullptr;
  }
  LARGE_INTEGER size{};
  ::GetFileSizeEx(h, &size);  // on failure 0: the scan then starts with a small buffer
  error = OpenError::None;
  return std::unique_ptr<FileSource>(new FileSource(reinterpret_cast<std::intptr_t>(h), static_cast<std::uint64_t>(size.QuadPart)));
}

FileSource::~FileSource() { ::CloseHandle(reinterpret_cast<HANDLE>(handle_)); }

std::ptrdiff_t FileSource::read(std::uint8_t* out, std::size_t size) {
  const DWORD want = static_cast<DWORD>(std::min<std::size_t>(size, 1u << 30));
  DWORD got = 0;
  if (!::ReadFile(reinterpret_cast<HANDLE>(handle_), out, want, &got, nullptr)) return -1;
  return static_cast<std::ptrdiff_t>(got);
}

std::string pathFromAnsi(const char* path) {
  const int length = ::MultiByteToWideChar(CP_ACP, 0, path, -1, nullptr, 0);
  if (length <= 1) return {};
  std::wstring wide(static_cast<std::size_t>(length), L'\0');
  ::MultiByteToWideChar(CP_ACP, 0, path, -1, wide.data(), length);
  wide.pop_back();  // the terminating NUL
  return QrxPlatform::Utf8(wide);
}

}  // namespace qrx::engine
