#include "SystemInfo.h"

#include <windows.h>

unsigned LogicalProcessorCount() {
  SYSTEM_INFO info;
  GetSystemInfo(&info);
  return info.dwNumberOfProcessors;
}

unsigned OsMajorVersion() {
  OSVERSIONINFOA version{};
  version.dwOSVersionInfoSize = sizeof version;
  return GetVersionExA(&version) ? version.dwMajorVersion : 0;
}
