#pragma once
// Reading a data file as a plain sequence of fixed-size records: a header record first, then
// the entries. Bytes after the last whole record are never read.
//
// Errors in the data-file layer: reading returns an outcome code (TRecordFileOutcome here, the
// codecs' own codes above it); only a pattern unit that is not hexadecimal throws
// ConversionError. Nothing here shows anything.
#include <cstddef>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>

enum class TRecordFileOutcome {
  Done,          // every whole record was read (bytes after the last one ignored)
  CannotOpen,    // the file could not be opened
  NoHeader,      // the file ends before its header record is whole
  HeaderError,   // reading the header record failed
  ReadError,     // reading an entry record failed; the records before it were delivered
  Stopped,       // the visitor asked to stop
};

class TRecordFile {
 public:
  enum class TRead { Record, End, Error };

  explicit TRecordFile(const std::string& path);
  bool IsOpen() const { return File_ != nullptr; }
  // Reads the next `size` bytes. A short read at the end of the file (a partial last record
  // included) is End, not an error.
  TRead Read(void* record, std::size_t size);

 private:
  struct TCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
  };
  std::unique_ptr<std::FILE, TCloser> File_;
};

// How data files are opened for reading: by their UTF-8 paths, through the platform's stdio in
// the program. Tests put in streams whose reads fail part way, as a failing disk's would.
using TRecordFileOpener = std::FILE* (*)(const char* path);
// Puts `opener` in force (nullptr restores the program's) and returns the previous one.
TRecordFileOpener ReplaceRecordFileOpener(TRecordFileOpener opener);

// The record handed over is in the caller's buffer of `recordSize` bytes and is only valid
// during the call; returning false stops the reading.
using TRecordVisitor = std::function<bool(void* record)>;

// Opens `path`, reads and skips its header record, then hands each entry record to `visit`.
// `buffer` holds one record. The file is closed before returning, whatever happens.
TRecordFileOutcome ReadRecordFile(const std::string& path, void* buffer, std::size_t recordSize,
                                  const TRecordVisitor& visit);
