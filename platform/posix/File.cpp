#include "../File.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <ctime>

#include "NativePath.h"

namespace QrxPlatform {
namespace {

int Descriptor(intptr_t handle) { return static_cast<int>(handle); }

// Only a regular file is opened: a folder, a FIFO or a device is refused. Opened without
// blocking first, so that a FIFO nobody writes to cannot hang the caller in the open itself.
bool OpenWith(intptr_t& handle, const std::string& path, int flags) {
  int fd = ::open(NativePath(path).c_str(), flags | O_CLOEXEC | O_NONBLOCK, 0644);
  if (fd < 0) return false;
  struct stat info {};
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) ||
      ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK) != 0) {
    ::close(fd);
    return false;
  }
  handle = fd;
  return true;
}

}  // namespace

bool TFile::OpenRead(const std::string& path) {
  Close();
  return OpenWith(Handle_, path, O_RDONLY);
}

bool TFile::Create(const std::string& path) {
  Close();
  return OpenWith(Handle_, path, O_WRONLY | O_CREAT | O_TRUNC);
}

bool TFile::OpenWrite(const std::string& path) {
  Close();
  return OpenWith(Handle_, path, O_WRONLY);
}

void TFile::Close() {
  if (Handle_ != kNoHandle) ::close(Descriptor(Handle_));
  Handle_ = kNoHandle;
}

int64_t TFile::Read(void* buffer, size_t count) {
  auto* out = static_cast<char*>(buffer);
  size_t done = 0;
  while (done < count) {
    ssize_t got = ::read(Descriptor(Handle_), out + done, count - done);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return -1;
    if (got == 0) break;
    done += static_cast<size_t>(got);
  }
  return static_cast<int64_t>(done);
}

int64_t TFile::Write(const void* buffer, size_t count) {
  auto* in = static_cast<const char*>(buffer);
  size_t done = 0;
  while (done < count) {
    ssize_t put = ::write(Descriptor(Handle_), in + done, count - done);
    if (put < 0 && errno == EINTR) continue;
    if (put <= 0) return -1;
    done += static_cast<size_t>(put);
  }
  return static_cast<int64_t>(done);
}

bool TFile::Seek(int64_t position) {
  return position >= 0 && ::lseek(Descriptor(Handle_), static_cast<off_t>(position), SEEK_SET) == position;
}

int64_t TFile::Size() {
  struct stat info {};
  if (::fstat(Descriptor(Handle_), &info) != 0) return -1;
  return static_cast<int64_t>(info.st_size);
}

bool TFile::SetDosTime(uint32_t dosDateTime) {
  uint32_t time = dosDateTime & 0xFFFF, date = dosDateTime >> 16;
  struct tm local {};
  local.tm_year = static_cast<int>((date >> 9) + 80);
  local.tm_mon = static_cast<int>(((date >> 5) & 15)) - 1;
  local.tm_mday = static_cast<int>(date & 31);
  local.tm_hour = static_cast<int>(time >> 11);
  local.tm_min = static_cast<int>((time >> 5) & 63);
  local.tm_sec = static_cast<int>((time & 31) * 2);
  local.tm_isdst = -1;
  time_t stamp = ::mktime(&local);
  if (stamp == static_cast<time_t>(-1)) return false;
  struct timespec times[2] = {{stamp, 0}, {stamp, 0}};
  return ::futimens(Descriptor(Handle_), times) == 0;
}

std::FILE* OpenStdioFile(const std::string& path, const char* mode) {
  return std::fopen(NativePath(path).c_str(), mode);
}

}  // namespace QrxPlatform
