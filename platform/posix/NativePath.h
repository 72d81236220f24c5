#pragma once
// The POSIX twin reads "\" as a folder separator like "/", so that the extractor's
// Windows-style paths name the same files in the native build.
#include <string>

namespace QrxPlatform {

inline std::string NativePath(const std::string& path) {
  std::string native(path);
  for (char& c : native)
    if (c == '\\') c = '/';
  return native;
}

}  // namespace QrxPlatform
