#pragma once
// The entries of one folder, by UTF-8 names. Under Windows the listing goes through the W
// functions in the "\\?\" form, so a name in any script and a folder past 260 characters list
// like any other.
#include <string>

namespace QrxPlatform {

enum class TEntryKind {
  File,
  Folder,
  FolderLink,  // a link or junction to a folder: never followed, so no loop and no file seen twice
  Other,       // a volume label, a device, a pipe: nothing to scan
};

struct TFolderEntry {
  std::string Name;
  TEntryKind Kind = TEntryKind::Other;
};

// The entries of one folder (hidden and system ones included, "." and ".." too), in the order
// the system lists them. A folder that cannot be listed has no entries. Closes itself.
class TFolderListing {
 public:
  explicit TFolderListing(const std::string& folder);  // folder ends with a separator
  ~TFolderListing();
  TFolderListing(const TFolderListing&) = delete;
  TFolderListing& operator=(const TFolderListing&) = delete;
  bool Next(TFolderEntry& entry);
  // True when the folder could not be listed (missing, no access, not a folder), or when its
  // listing broke off with an error before its end. A folder that disappears while it is
  // listed ends there: the walk goes on with what follows it.
  bool Failed() const { return Failed_; }

 private:
  bool Failed_ = false;
  std::string Folder_;
  void* Handle_ = nullptr;
#ifdef _WIN32
  bool HavePending_ = false;  // the first entry comes with the opening
  TFolderEntry Pending_;
#endif
};

}  // namespace QrxPlatform
