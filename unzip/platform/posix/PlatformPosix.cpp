// POSIX implementation of the platform layer, for the native build (tests, fuzzing,
// benchmarks). "\" separates folders like "/", so the engine's Windows-style paths work.
#include "../../Platform.h"

#include <fcntl.h>
#include <ftw.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>

namespace QrxPlatform {
namespace {

std::string NativePath(const char* path) {
  std::string native(path);
  for (char& c : native)
    if (c == '\\') c = '/';
  return native;
}

int Descriptor(intptr_t handle) { return static_cast<int>(handle); }

// Only a regular file is opened: a folder, a FIFO or a device is refused. Opened without
// blocking first, so that a FIFO nobody writes to cannot hang the caller in the open itself.
bool OpenWith(intptr_t& handle, const char* path, int flags) {
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

bool TFile::OpenRead(const char* path) {
  Close();
  return OpenWith(Handle, path, O_RDONLY);
}

bool TFile::Create(const char* path) {
  Close();
  return OpenWith(Handle, path, O_WRONLY | O_CREAT | O_TRUNC);
}

bool TFile::OpenWrite(const char* path) {
  Close();
  return OpenWith(Handle, path, O_WRONLY);
}

void TFile::Close() {
  if (Handle != kNoHandle) ::close(Descriptor(Handle));
  Handle = kNoHandle;
}

int64_t TFile::Read(void* buffer, size_t count) {
  auto* out = static_cast<char*>(buffer);
  size_t done = 0;
  while (done < count) {
    ssize_t got = ::read(Descriptor(Handle), out + done, count - done);
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
    ssize_t put = ::write(Descriptor(Handle), in + done, count - done);
    if (put < 0 && errno == EINTR) continue;
    if (put <= 0) return -1;
    done += static_cast<size_t>(put);
  }
  return static_cast<int64_t>(done);
}

bool TFile::Seek(int64_t position) {
  return position >= 0 && ::lseek(Descriptor(Handle), static_cast<off_t>(position), SEEK_SET) == position;
}

int64_t TFile::Size() {
  struct stat info {};
  if (::fstat(Descriptor(Handle), &info) != 0) return -1;
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
  return ::futimens(Descriptor(Handle), times) == 0;
}

bool FolderExists(const char* path) {
  struct stat info {};
  return ::stat(NativePath(path).c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool FileExists(const char* path) {
  struct stat info {};
  return ::stat(NativePath(path).c_str(), &info) == 0 && !S_ISDIR(info.st_mode);
}

bool MakeFolder(const char* path) {
  return ::mkdir(NativePath(path).c_str(), 0755) == 0 || FolderExists(path);
}

bool RemoveFile(const char* path) { return ::unlink(NativePath(path).c_str()) == 0; }

bool SetAttributes(const char* path, uint32_t attributes) {
  // Only a file's read-only bit has a POSIX meaning; folders keep their modes.
  std::string native = NativePath(path);
  struct stat info {};
  if (::stat(native.c_str(), &info) != 0) return false;
  mode_t mode = (attributes & 1) ? 0444 : 0644;
  if (S_ISDIR(info.st_mode) || (info.st_mode & 0777) == mode) return true;
  return ::chmod(native.c_str(), mode) == 0;
}

bool AbsolutePath(const char* path, char* out, size_t capacity) {
  std::string native = NativePath(path);
  if (native.empty()) return false;
  if (native[0] != '/') {
    char cwd[PATH_MAX];
    if (!::getcwd(cwd, sizeof cwd)) return false;
    native = std::string(cwd) + "/" + native;
  }
  if (native.size() + 1 > capacity) return false;
  std::memcpy(out, native.c_str(), native.size() + 1);
  return true;
}

bool MakeTempFolder(char* out, size_t capacity) {
  const char* base = std::getenv("TMPDIR");
  std::string pattern = std::string(base && *base ? base : "/tmp") + "/qrx-XXXXXX";
  if (pattern.size() + 1 > capacity) return false;
  std::memcpy(out, pattern.c_str(), pattern.size() + 1);
  return ::mkdtemp(out) != nullptr;
}

bool RemoveTree(const char* path) {
  auto removeEntry = [](const char* entry, const struct stat*, int, struct FTW*) { return ::remove(entry); };
  return ::nftw(NativePath(path).c_str(), removeEntry, 16, FTW_DEPTH | FTW_PHYS) == 0;
}

uint32_t TickCount() {
  struct timespec now {};
  ::clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<uint32_t>(static_cast<uint64_t>(now.tv_sec) * 1000u + static_cast<uint64_t>(now.tv_nsec) / 1000000u);
}

bool IsKeyHeld(int) { return false; }  // no console key state here; tests install a probe

void PumpMessages() {}

// File names are bytes here: stored names are kept as they are.
void ConvertOemToAnsi(char*) {}

}  // namespace QrxPlatform
