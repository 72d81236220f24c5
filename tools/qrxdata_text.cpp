#include "qrxdata_text.h"

#include <fstream>
#include <iterator>

#include "Text.h"
#include "qrx_console.h"

namespace {

constexpr char HexDigits[] = "0123456789ABCDEF";

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

bool NeedsEscape(unsigned char c) { return c < 0x20 || c == 0x7F || c == '\\'; }

void AppendHexEscape(std::string& out, unsigned char c) {
  out += "\\x";
  out += HexDigits[c >> 4];
  out += HexDigits[c & 15];
}

bool IsBlank(std::string_view line) { return line.find_first_not_of(' ') == std::string_view::npos; }

std::vector<std::string> SplitTabs(std::string_view line) {
  std::vector<std::string> fields;
  for (;;) {
    const std::size_t tab = line.find('\t');
    fields.emplace_back(line.substr(0, tab));
    if (tab == std::string_view::npos) return fields;
    line.remove_prefix(tab + 1);
  }
}

}  // namespace

std::ostream& operator<<(std::ostream& out, const TLocation& where) {
  return out << where.File << (where.IsRecord ? ":record " : ":") << where.Number;
}

std::optional<std::vector<TSourceLine>> ReadSourceLines(const std::string& path, TDiagnostics& diagnostics) {
  std::ifstream in(PathFromUtf8(path), std::ios::binary);
  const std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  if (!in.is_open() || in.bad()) {
    diagnostics.FileError(path, "cannot read the file");
    return std::nullopt;
  }

  std::vector<TSourceLine> lines;
  std::size_t number = 0;
  for (std::size_t start = 0; start < text.size();) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string_view line(text.data() + start, end - start);
    start = end + 1;
    ++number;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (IsBlank(line) || line.front() == '#') continue;
    TSourceLine& item = lines.emplace_back();
    item.Where = TLocation{path, number, false};
    item.Fields = SplitTabs(line);
  }
  return lines;
}

std::optional<std::string> Unescape(std::string_view field, const TLocation& where, TDiagnostics& diagnostics) {
  std::string text;
  for (std::size_t i = 0; i < field.size(); ++i) {
    if (field[i] != '\\') {
      text += field[i];
    } else if (i + 1 < field.size() && field[i + 1] == '\\') {
      text += '\\';
      ++i;
    } else if (i + 3 < field.size() && field[i + 1] == 'x' && HexValue(field[i + 2]) >= 0 &&
               HexValue(field[i + 3]) >= 0) {
      text += static_cast<char>(HexValue(field[i + 2]) * 16 + HexValue(field[i + 3]));
      i += 3;
    } else {
      diagnostics.Error(where, "bad escape ", Quoted(field.substr(i, 4)), R"( (use \\ or \xHH))");
      return std::nullopt;
    }
  }
  return text;
}

std::optional<std::vector<std::string>> UnescapeFields(const TSourceLine& line, std::size_t count,
                                                       TDiagnostics& diagnostics) {
  std::vector<std::string> texts;
  for (std::size_t i = 0; i < count; ++i) {
    auto text = Unescape(line.Fields.at(i), line.Where, diagnostics);
    if (!text) return std::nullopt;
    texts.push_back(std::move(*text));
  }
  return texts;
}

std::string Escape(std::string_view text, bool firstField) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (c == '\\') {
      out += "\\\\";
    } else if (NeedsEscape(c) || (firstField && i == 0 && c == '#')) {
      AppendHexEscape(out, c);
    } else {
      out += text[i];
    }
  }
  return out;
}

std::string Quoted(std::string_view text) {
  std::string out = "'";
  for (const char c : text) {
    if (NeedsEscape(static_cast<unsigned char>(c)) && c != '\\') {
      AppendHexEscape(out, static_cast<unsigned char>(c));
    } else {
      out += c;
    }
  }
  return QrxPlatform::Utf8FromWindows1252(out + "'");
}
