#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "byte_source.h"

namespace qrx::engine {

std::unique_ptr<FileSource> FileSource::open(const char* path, OpenError& error) {
  // Non-blocking so that opening a FIFO cannot hang; it is refused below anyway.
  const int fd = ::open(path, O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) {
    error = OpenError::CannotOpen;
    return nullptr;
  }
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    error = OpenError::NotAFile;
    return nullptr;
  }
  ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  error = OpenError::None;
  return std::unique_ptr<FileSource>(new FileSource(fd, static_cast<std::uint64_t>(st.st_size)));
}

FileSource::~FileSource() { ::close(static_cast<int>(handle_)); }

std::ptrdiff_t FileSource::read(std::uint8_t* out, std::size_t size) {
  for (;;) {
    const ssize_t n = ::read(static_cast<int>(handle_), out, size);
    if (n >= 0) return n;
    if (errno != EINTR) return -1;
  }
}

std::string pathFromAnsi(const char* path) { return path; }

}  // namespace qrx::engine
