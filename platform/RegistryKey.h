#pragma once
// Windows only: one registry key by UTF-8 names, closed with the object. The W functions
// underneath, so a key or a value in any script reads as it is.
#include <windows.h>

#include <string>
#include <vector>

namespace QrxPlatform {

class TRegistryKey {
 public:
  // Opens, never creates, `path` under `parent` for reading, what any account may do;
  // IsOpen() tells whether that worked.
  TRegistryKey(HKEY parent, const std::string& path);
  ~TRegistryKey();
  TRegistryKey(const TRegistryKey&) = delete;
  TRegistryKey& operator=(const TRegistryKey&) = delete;

  bool IsOpen() const { return Key_ != nullptr; }
  HKEY Handle() const { return Key_; }

  // The names of the direct subkeys, in the order the registry enumerates them. A key that
  // goes away during the listing ends it.
  std::vector<std::string> SubkeyNames() const;
  // The default value as text, exactly as stored up to its first NUL; "" when it is missing or
  // not text.
  std::string DefaultText() const;
  // Deletes the subkey `name`, which must have no subkeys of its own. The right to delete is
  // asked of that subkey alone: this key stays open for reading only.
  bool DeleteSubkey(const std::string& name) const;

 private:
  HKEY Key_ = nullptr;
};

}  // namespace QrxPlatform
