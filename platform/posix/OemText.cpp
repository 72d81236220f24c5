#include "../Text.h"

namespace QrxPlatform {

// No system code page here: the ZIP format's own default.
std::string Utf8FromOem(std::string_view text) { return Utf8FromCp437(text); }

}  // namespace QrxPlatform
