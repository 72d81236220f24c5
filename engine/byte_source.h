// Where the scanner's bytes come from: a file, or memory in tests and the fuzzer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace qrx::engine {

class ByteSource {
 public:
  virtual ~ByteSource() = default;
  // Up to `size` bytes into `out`: how many were read (0 at the end), or -1 on a read error.
  virtual std::ptrdiff_t read(std::uint8_t* out, std::size_t size) = 0;
  // How many bytes the source expects to deliver, when it knows: the scan sizes its buffer by
  // it. Only a hint: a file may grow or shrink while it is read.
  virtual std::optional<std::uint64_t> expectedSize() const { return std::nullopt; }
};

class MemorySource final : public ByteSource {
 public:
  MemorySource(const std::uint8_t* data, std::size_t size, std::size_t maxRead = SIZE_MAX)
      : data_(data), size_(size), maxRead_(maxRead) {}
  std::ptrdiff_t read(std::uint8_t* out, std::size_t size) override;
  std::optional<std::uint64_t> expectedSize() const override { return size_; }

 private:
  const std::uint8_t* data_;
  std::size_t size_;
  std::size_t maxRead_;  // tests use small values to cut reads short
  std::size_t done_ = 0;
};

enum class OpenError { None, CannotOpen, NotAFile };

// A regular file opened for reading, shared with other readers and writers where the
// platform allows. Implemented once per platform.
class FileSource final : public ByteSource {
 public:
  ~FileSource() override;
  FileSource(const FileSource&) = delete;
  FileSource& operator=(const FileSource&) = delete;

  // Null with `error` set when the path is missing, unreadable, a folder or a device. The path
  // is UTF-8 under Windows, of any length; elsewhere its bytes are the system's name.
  static std::unique_ptr<FileSource> open(const char* path, OpenError& error);
  std::ptrdiff_t read(std::uint8_t* out, std::size_t size) override;
  std::optional<std::uint64_t> expectedSize() const override { return size_; }

 private:
  FileSource(std::intptr_t handle, std::uint64_t size) : handle_(handle), size_(size) {}
  std::intptr_t handle_;
  std::uint64_t size_;  // when opened
};

// A path in the system's ANSI code page in the form FileSource::open takes. Elsewhere than
// under Windows there is no such code page: the bytes are the path.
std::string pathFromAnsi(const char* path);

}  // namespace qrx::engine
