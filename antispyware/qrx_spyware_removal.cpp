#include "qrx_spyware_removal.h"

#include <string>
#include <vector>

#include "FileSystem.h"
#include "RegistryKey.h"
#include "Text.h"

namespace {

using QrxPlatform::TKeyAccess;
using QrxPlatform::TRegistryKey;

// The file part: deletes the file that InProcServer32 names, taken exactly as stored (no quotes
// taken off, no environment reference expanded). True when there was nothing to delete.
bool RemoveServerFile(const std::string& clsid) {
  const TRegistryKey server(HKEY_CLASSES_ROOT, "CLSID\\" + clsid + "\\InProcServer32", TKeyAccess::Full);
  if (!server.IsOpen()) return true;
  const std::string file = server.DefaultText();
  return file.empty() || QrxPlatform::RemoveFile(file);
}

// Deletes the subkey `name` of `parent` after its own subkeys, the last enumerated first.
// Only the deletion of `name` itself counts.
bool DeleteKeyTree(const TRegistryKey& parent, const std::string& name) {
  {
    const TRegistryKey key(parent.Handle(), name, TKeyAccess::Full);
    if (key.IsOpen()) {
      const std::vector<std::string> subkeys = key.SubkeyNames();
      for (auto sub = subkeys.rbegin(); sub != subkeys.rend(); ++sub) DeleteKeyTree(key, *sub);
    }
  }
  return parent.DeleteSubkey(name);
}

// The key part. A CLSID key that cannot be opened for full access removes nothing: false.
bool RemoveClassKey(const std::string& clsid) {
  // An empty identifier would name the CLSID key itself, the registrations of every program.
  if (clsid.empty()) return false;
  const TRegistryKey classes(HKEY_CLASSES_ROOT, "CLSID", TKeyAccess::Full);
  return classes.IsOpen() && DeleteKeyTree(classes, clsid);
}

}  // namespace

bool RemoveSpywareEntry(const TBhoEntry& entry) {
  // The database spells its texts in Windows-1252.
  const std::string clsid = QrxPlatform::Utf8FromWindows1252(entry.Clsid.Str());
  bool fileRemoved = true;
  bool keyRemoved = false;
  try {
    fileRemoved = RemoveServerFile(clsid);
  } catch (...) {
    // Absorbed: the file result keeps what it was.
  }
  try {
    keyRemoved = RemoveClassKey(clsid);
  } catch (...) {
    keyRemoved = false;
  }
  return fileRemoved && keyRemoved;
}
