#pragma once
// The program's one text encoding is UTF-8 in std::string. These convert it to and from what
// the system and the file formats speak: UTF-16 at Windows calls, Windows-1252 in the data files,
// the OEM code page in ZIP member names.
//
// The UTF-8 is the generalised form that also carries unpaired UTF-16 surrogates (as three
// bytes each): Windows accepts such names, and a file named so must come back from a listing
// under a name that opens it again. Bytes that are no UTF-8 become U+FFFD.
#include <string>
#include <string_view>

namespace QrxPlatform {

std::u16string Utf16FromUtf8(std::string_view utf8);
std::string Utf8FromUtf16(std::u16string_view utf16);

// Windows-1252, as the data files store their texts. The five bytes the code page leaves
// undefined stand for the control characters of the same number, as Windows maps them.
std::string Utf8FromWindows1252(std::string_view text);
// Code page 437, the MS-DOS code page of ZIP member names without the UTF-8 flag.
std::string Utf8FromCp437(std::string_view text);
// A member name of an MS-DOS tool: the system's OEM code page under Windows, 437 elsewhere.
std::string Utf8FromOem(std::string_view text);

// The length of the longest start of `text` of at most `limit` bytes that ends between two
// characters: a text cut to a fixed capacity there never ends in half a character.
std::size_t Utf8PrefixLength(std::string_view text, std::size_t limit);

// True when `text` is valid UTF-8 (surrogates excluded), as a ZIP member name must be when its
// UTF-8 flag is set.
bool IsValidUtf8(std::string_view text);

}  // namespace QrxPlatform
