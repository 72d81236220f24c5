#include "qrx_console.h"

#include <cstdarg>
#include <cstring>

#ifdef _WIN32
#include <io.h>
#include <windows.h>
// After windows.h, which it needs.
#include <shellapi.h>

#include "WideText.h"
#endif

namespace {

#ifdef _WIN32
// The console behind `stream`, or nullptr when it goes to a file or a pipe.
HANDLE ConsoleOf(std::FILE* stream) {
  const auto handle = reinterpret_cast<HANDLE>(::_get_osfhandle(::_fileno(stream)));
  DWORD mode = 0;
  return handle != INVALID_HANDLE_VALUE && ::GetConsoleMode(handle, &mode) ? handle : nullptr;
}
#endif

}  // namespace

#ifdef _WIN32
std::vector<std::string> ProgramArguments(int, char**) {
  // The runtime's argv went through the ANSI code page: a name outside it came as "?".
  int count = 0;
  wchar_t** wide = ::CommandLineToArgvW(::GetCommandLineW(), &count);
  std::vector<std::string> arguments;
  for (int i = 1; wide != nullptr && i < count; ++i) arguments.push_back(QrxPlatform::Utf8(wide[i]));
  ::LocalFree(wide);
  return arguments;
}

void WriteText(std::FILE* stream, std::string_view text) {
  HANDLE console = ConsoleOf(stream);
  if (console == nullptr) {
    std::fwrite(text.data(), 1, text.size(), stream);
    return;
  }
  std::fflush(stream);  // what the stream still holds goes first
  const std::wstring wide = QrxPlatform::Wide(text);
  DWORD written = 0;
  ::WriteConsoleW(console, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr);
}
#else
std::vector<std::string> ProgramArguments(int argc, char** argv) { return {argv + 1, argv + argc}; }

void WriteText(std::FILE* stream, std::string_view text) { std::fwrite(text.data(), 1, text.size(), stream); }
#endif

void PrintText(std::FILE* stream, const char* format, ...) {
  std::va_list arguments;
  va_start(arguments, format);
  std::va_list again;
  va_copy(again, arguments);
  const int length = std::vsnprintf(nullptr, 0, format, arguments);
  va_end(arguments);
  if (length > 0) {
    std::string text(static_cast<std::size_t>(length) + 1, '\0');
    std::vsnprintf(text.data(), text.size(), format, again);
    text.pop_back();  // the terminating NUL
    WriteText(stream, text);
  }
  va_end(again);
}

TConsoleStream::TLineBuffer::int_type TConsoleStream::TLineBuffer::overflow(int_type c) {
  if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
  const char character = traits_type::to_char_type(c);
  xsputn(&character, 1);
  return c;
}

std::streamsize TConsoleStream::TLineBuffer::xsputn(const char* text, std::streamsize count) {
  Pending_.append(text, static_cast<std::size_t>(count));
  const std::size_t lineEnd = Pending_.rfind('\n');
  if (lineEnd != std::string::npos) {
    WriteText(Stream_, std::string_view(Pending_).substr(0, lineEnd + 1));
    Pending_.erase(0, lineEnd + 1);
  }
  return count;
}

int TConsoleStream::TLineBuffer::sync() {
  WriteText(Stream_, Pending_);
  Pending_.clear();
  std::fflush(Stream_);
  return 0;
}

std::filesystem::path PathFromUtf8(std::string_view path) {
  return std::filesystem::path(std::u8string_view(reinterpret_cast<const char8_t*>(path.data()), path.size()));
}

std::string Utf8FromPath(const std::filesystem::path& path) {
  const std::u8string text = path.u8string();
  return std::string(text.begin(), text.end());
}
