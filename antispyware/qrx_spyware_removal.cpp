#include "qrx_spyware_removal.h"

#include <string>
#include <vector>

#include "FileSystem.h"
#include "KnownFolders.h"
#include "RegistryKey.h"
#include "Text.h"

namespace {

using QrxPlatform::TRegistryKey;

// The server file that InProcServer32 names, taken exactly as stored (no quotes taken off, no
// environment reference expanded); empty when the key or its text value is missing.
std::string ServerFile(const std::string& clsid) {
  const TRegistryKey server(HKEY_CLASSES_ROOT, "CLSID\\" + clsid + "\\InProcServer32");
  return server.IsOpen() ? server.DefaultText() : std::string();
}

// Compared by the paths the system resolves, so that a short name, a link or another case of
// letters does not take a system file out of the folder it lies in; and by the paths as written,
// should the system not resolve one.
bool IsSharedSystemFile(const std::string& file) {
  const std::string final = QrxPlatform::FinalPath(file), absolute = QrxPlatform::AbsolutePath(file);
  for (const std::string& folder : QrxPlatform::SharedSystemFolders()) {
    const std::string finalFolder = QrxPlatform::FinalPath(folder);
    if (!final.empty() && !finalFolder.empty() && QrxPlatform::LiesInside(final, finalFolder)) return true;
    if (!absolute.empty() && QrxPlatform::LiesInside(absolute, folder)) return true;
  }
  return false;
}

// Deletes the subkey `name` of `parent` after its own subkeys, the last enumerated first.
// Only the deletion of `name` itself counts.
bool DeleteKeyTree(const TRegistryKey& parent, const std::string& name) {
  {
    const TRegistryKey key(parent.Handle(), name);
    if (key.IsOpen()) {
      const std::vector<std::string> subkeys = key.SubkeyNames();
      for (auto sub = subkeys.rbegin(); sub != subkeys.rend(); ++sub) DeleteKeyTree(key, *sub);
    }
  }
  return parent.DeleteSubkey(name);
}

// The key part: false when the key could not be deleted (missing, or no right to).
bool RemoveClassKey(const std::string& clsid) {
  // An empty identifier would name the CLSID key itself, the registrations of every program.
  if (clsid.empty()) return false;
  const TRegistryKey classes(HKEY_CLASSES_ROOT, "CLSID");
  return classes.IsOpen() && DeleteKeyTree(classes, clsid);
}

}  // namespace

TSpywareRemoval RemoveSpywareEntry(const TBhoEntry& entry) {
  try {
    // The database spells its texts in Windows-1252.
    const std::string clsid = QrxPlatform::Utf8FromWindows1252(entry.Clsid.Str());
    const std::string file = clsid.empty() ? std::string() : ServerFile(clsid);
    const bool present = !file.empty() && QrxPlatform::FileExists(file);
    const bool keepFile = present && IsSharedSystemFile(file);
    if (present && !keepFile && !QrxPlatform::RemoveFile(file)) return TSpywareRemoval::Failed;
    if (!RemoveClassKey(clsid)) return TSpywareRemoval::Failed;
    return keepFile ? TSpywareRemoval::RegistrationRemoved : TSpywareRemoval::Removed;
  } catch (...) {
    return TSpywareRemoval::Failed;
  }
}
