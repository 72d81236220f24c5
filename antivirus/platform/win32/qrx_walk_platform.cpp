// Win32 implementation of the walk's file-system services (single-byte A functions).
#include "../../qrx_walk_platform.h"

#include <windows.h>

namespace QrxWalkPlatform {
namespace {

// The attribute bit that MS-DOS gave volume labels; a listing may still carry it.
constexpr DWORD kVolumeLabel = 0x8;

TFolderEntry EntryOf(const WIN32_FIND_DATAA& found) {
  TFolderEntry entry;
  entry.Name = found.cFileName;
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
  WIN32_FIND_DATAA found;
  HANDLE handle = ::FindFirstFileA((folder + "*.*").c_str(), &found);
  if (handle == INVALID_HANDLE_VALUE) return;
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
  WIN32_FIND_DATAA found;
  if (!Handle_ || !::FindNextFileA(Handle_, &found)) return false;
  entry = EntryOf(found);
  return true;
}

bool EraseFile(const std::string& path) { return ::DeleteFileA(path.c_str()) != 0; }

bool RemoveScratchFile(const std::string& path) {
  if (::DeleteFileA(path.c_str())) return true;
  // Members are unpacked with their stored attributes, read-only among them.
  return ::SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL) && ::DeleteFileA(path.c_str());
}

bool MakeFolder(const std::string& path) { return ::CreateDirectoryA(path.c_str(), nullptr) != 0; }

bool RemoveFolder(const std::string& path) {
  if (::RemoveDirectoryA(path.c_str())) return true;
  return ::SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL) && ::RemoveDirectoryA(path.c_str());
}

std::string TempFolder() {
  char buffer[MAX_PATH + 1];
  const DWORD length = ::GetTempPathA(sizeof buffer, buffer);
  if (length == 0 || length > MAX_PATH) return "?";
  std::string folder(buffer, length);
  if (folder.back() != kSeparator) folder += kSeparator;
  return folder;
}

}  // namespace QrxWalkPlatform
