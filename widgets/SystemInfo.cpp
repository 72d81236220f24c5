#include "SystemInfo.h"

#include <windows.h>

unsigned LogicalProcessorCount() {
  SYSTEM_INFO info;
  GetSystemInfo(&info);
  return info.dwNumberOfProcessors;
}

unsigned OsMajorVersion() {
  OSVERSIONINFOW version{};
  version.dwOSVersionInfoSize = sizeof version;
  return GetVersionExW(&version) ? version.dwMajorVersion : 0;
}
