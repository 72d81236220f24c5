#pragma once
// The readable form of the data files: one item a line, fields separated by tabs, "#" comment
// lines and blank lines allowed. Bytes are Windows-1252 and copied as they are, except that a
// backslash starts an escape: "\\" is a backslash, "\xHH" the byte with that hex value. The
// dump writes control characters, DEL, backslashes and a "#" opening a line as escapes, so that
// whatever a data file holds reads back unchanged.
#include <cstddef>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

// Where an item comes from: a line of a source or a record of a data file (header not counted).
struct TLocation {
  std::string File;
  std::size_t Number = 0;
  bool IsRecord = false;
};
std::ostream& operator<<(std::ostream& out, const TLocation& where);

// Collects the problems found in the inputs; each is written at once as "file:line: text".
class TDiagnostics {
 public:
  explicit TDiagnostics(std::ostream& err) : Err_(err) {}
  // The text is the parts written one after the other.
  template <typename... Parts>
  void Error(const TLocation& where, const Parts&... parts) {
    ++Count_;
    ((Err_ << where << ": ") << ... << parts) << '\n';
  }
  // A problem of a whole file rather than of one line or record.
  template <typename... Parts>
  void FileError(const std::string& file, const Parts&... parts) {
    ++Count_;
    ((Err_ << file << ": ") << ... << parts) << '\n';
  }
  std::size_t Count() const { return Count_; }

 private:
  std::ostream& Err_;
  std::size_t Count_ = 0;
};

// One line of a source that holds an item: its number and its raw, still escaped fields.
struct TSourceLine {
  TLocation Where;
  std::vector<std::string> Fields;
};

// Reads `path` and splits its item lines into fields. Returns nothing when the file cannot be
// read (reported).
std::optional<std::vector<TSourceLine>> ReadSourceLines(const std::string& path, TDiagnostics& diagnostics);

// Undoes the escapes of one field; nothing (and an error reported) when an escape is malformed.
std::optional<std::string> Unescape(std::string_view field, const TLocation& where, TDiagnostics& diagnostics);
// The first `count` fields of `line` unescaped; nothing when one is malformed (reported).
std::optional<std::vector<std::string>> UnescapeFields(const TSourceLine& line, std::size_t count,
                                                       TDiagnostics& diagnostics);
// The field as a line of a source shows it; `firstField` also escapes a leading "#".
std::string Escape(std::string_view text, bool firstField);

// Windows-1252 text quoted for a message in UTF-8, control bytes escaped.
std::string Quoted(std::string_view text);
