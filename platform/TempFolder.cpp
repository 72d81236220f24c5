#include "TempFolder.h"

#include "FolderListing.h"

namespace QrxPlatform {

int RemoveAbandonedScratchFolders(const std::string& tempFolder) {
  int removed = 0;
  TFolderListing listing(tempFolder);
  TFolderEntry entry;
  while (listing.Next(entry)) {
    if (entry.Kind == TEntryKind::Folder && IsScratchFolderName(entry.Name) &&
        RemoveIfAbandoned(tempFolder + entry.Name))
      ++removed;
  }
  return removed;
}

}  // namespace QrxPlatform
