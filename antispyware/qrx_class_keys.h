#pragma once
// The class registrations under HKEY_CLASSES_ROOT\CLSID, as the antispyware scan lists them.
#include <string>
#include <vector>

// The names of the direct subkeys of HKEY_CLASSES_ROOT\CLSID, in the order in which the
// registry enumerates them, taken at once. The key is opened for reading only, which every
// account may do; when it cannot be (missing), the list is empty.
std::vector<std::string> ListClassKeys();
