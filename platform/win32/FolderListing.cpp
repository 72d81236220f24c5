#include "../FolderListing.h"

#include <windows.h>

#include "../WideText.h"

namespace QrxPlatform {
namespace {

// The attribute bit that MS-DOS gave volume labels; a listing may still carry it.
constexpr DWORD kVolumeLabel = 0x8;

TFolderEntry EntryOf(const WIN32_FIND_DATAW& found) {
  TFolderEntry entry;
  entry.Name = Utf8(found.cFileName);
  const DWORD attributes = found.dwFileAttributes;
  if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
    entry.Kind = (attributes & FILE_ATTRIBUTE_REPARSE_POINT) ? TEntryKind::FolderLink : TEntryKind::Folder;
  } else {
    entry.Kind = (attributes & kVolumeLabel) ? TEntryKind::Other : TEntryKind::File;
  }
  return entry;
}

}  // namespace

TFolderListing::TFolderListing(const std::string& folder) : Folder_(folder) {
  WIN32_FIND_DATAW found;
  HANDLE handle = ::FindFirstFileExW((SystemPath(folder) + L"*").c_str(), FindExInfoBasic, &found,
                                     FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH);
  if (handle == INVALID_HANDLE_VALUE) {
    // Not found: a folder without even "." and "..", as the root of an empty drive.
    Failed_ = ::GetLastError() != ERROR_FILE_NOT_FOUND;
    return;
  }
  Handle_ = handle;
  Pending_ = EntryOf(found);
  HavePending_ = true;
}

TFolderListing::~TFolderListing() {
  if (Handle_) ::FindClose(Handle_);
}

bool TFolderListing::Next(TFolderEntry& entry) {
  if (HavePending_) {
    HavePending_ = false;
    entry = std::move(Pending_);
    return true;
  }
  if (!Handle_) return false;
  WIN32_FIND_DATAW found;
  if (!::FindNextFileW(Handle_, &found)) {
    if (::GetLastError() != ERROR_NO_MORE_FILES) Failed_ = true;
    return false;
  }
  entry = EntryOf(found);
  return true;
}

}  // namespace QrxPlatform
