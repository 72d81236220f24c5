#include "qrx_class_keys.h"

#include "RegistryKey.h"

std::vector<std::string> ListClassKeys() {
  const QrxPlatform::TRegistryKey classes(HKEY_CLASSES_ROOT, "CLSID");
  return classes.IsOpen() ? classes.SubkeyNames() : std::vector<std::string>{};
}
