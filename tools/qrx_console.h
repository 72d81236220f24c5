#pragma once
// What the console programs share with the system: their arguments, their output and the
// names of the files they open, all in UTF-8. Under Windows the arguments come from the wide
// command line, so that a name in any script arrives whole, and text bound for a console goes
// out through the wide console call; to a file or a pipe it goes as UTF-8 bytes. Elsewhere the
// bytes pass through as they are.
#include <cstdio>
#include <filesystem>
#include <ostream>
#include <streambuf>
#include <string>
#include <string_view>
#include <vector>

// The arguments after the program's name.
std::vector<std::string> ProgramArguments(int argc, char** argv);

// Writes `text` to `stream`, standard output or standard error.
void WriteText(std::FILE* stream, std::string_view text);

// std::fprintf through WriteText. The format check follows the runtime's own printf.
#ifdef __MINGW_PRINTF_FORMAT
#define QRX_PRINTF_FORMAT __MINGW_PRINTF_FORMAT
#else
#define QRX_PRINTF_FORMAT printf
#endif
void PrintText(std::FILE* stream, const char* format, ...) __attribute__((format(QRX_PRINTF_FORMAT, 2, 3)));
#undef QRX_PRINTF_FORMAT

// An output stream over WriteText. It hands over whole lines (and the rest when flushed), so a
// character is never cut between two writes.
class TConsoleStream : public std::ostream {
 public:
  explicit TConsoleStream(std::FILE* stream) : std::ostream(&Buffer_), Buffer_(stream) {}
  ~TConsoleStream() override { flush(); }

 private:
  class TLineBuffer : public std::streambuf {
   public:
    explicit TLineBuffer(std::FILE* stream) : Stream_(stream) {}

   protected:
    int_type overflow(int_type c) override;
    std::streamsize xsputn(const char* text, std::streamsize count) override;
    int sync() override;

   private:
    std::FILE* Stream_;
    std::string Pending_;
  };
  TLineBuffer Buffer_;
};

// A UTF-8 path as std::filesystem and the file streams take it, and back.
std::filesystem::path PathFromUtf8(std::string_view path);
std::string Utf8FromPath(const std::filesystem::path& path);
