#pragma once
// Windows only: the program's UTF-8 texts at the wide (W) system calls, and its paths in the
// form that the W file functions take past 260 characters.
#include <string>
#include <string_view>

namespace QrxPlatform {

std::wstring Wide(std::string_view utf8);
std::string Utf8(std::wstring_view wide);

// A UTF-8 path as the W file functions take it: absolute, in the "\\?\" form that lifts the
// 260-character limit ("\\?\UNC\server\share\..." for a share). Names are kept exactly, trailing
// dots and spaces included, since the walk hands back what the listing gave; only "." and ".."
// components and doubled separators are resolved, and "/" is read as "\". A relative path is
// made absolute against the current folder; a path already in "\\?\" or "\\.\" form passes as
// it is.
std::wstring SystemPath(std::string_view utf8Path);

}  // namespace QrxPlatform
