#pragma once
// Windows only: the folders the system names, as UTF-8 paths ending with a separator; empty
// when the system cannot say.
#include <string>
#include <vector>

namespace QrxPlatform {

std::string WindowsFolder();

// The folders whose files Windows itself or every program may need: the Windows folder, the
// system folders and the program files shared by programs ("Common Files", both views of them
// on a 64-bit system). Those the system names; one it cannot name is left out.
std::vector<std::string> SharedSystemFolders();

}  // namespace QrxPlatform
