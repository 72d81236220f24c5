#pragma once
// Windows only: the folders the system names, as UTF-8 paths ending with a separator; empty
// when the system cannot say.
#include <string>

namespace QrxPlatform {

std::string WindowsFolder();

}  // namespace QrxPlatform
