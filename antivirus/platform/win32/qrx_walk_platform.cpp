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

// Empties a folder, descending into real folders only, then removes it.
bool RemoveFolderWithContent(const std::string& folder) {
  {
    TFolderListing listing(folder + kSeparator);
    TFolderEntry entry;
    while (listing.Next(entry)) {
      if (entry.Name == "." || entry.Name == "..") continue;
      const std::string path = folder + kSeparator + entry.Name;
      if (entry.Kind == TEntryKind::Folder) {
        RemoveFolderWithContent(path);
      } else if (entry.Kind == TEntryKind::FolderLink) {
        RemoveFolder(path);
      } else {
        RemoveScratchFile(path);
      }
    }
  }
  return RemoveFolder(folder);
}

}  // namespace

TFolderListing::TFolderListing(const std::string& folder) : Folder_(folder) {
  WIN32_FIND_DATAA found;
  HANDLE handle = ::FindFirstFileA((folder + "*.*").c_str(), &found);
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
  WIN32_FIND_DATAA found;
  if (!::FindNextFileA(Handle_, &found)) {
    if (::GetLastError() != ERROR_NO_MORE_FILES) Failed_ = true;
    return false;
  }
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

bool RemoveTree(const std::string& path) {
  // A listing through a junction would list its target.
  const DWORD attributes = ::GetFileAttributesA(path.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT)) return RemoveFolder(path);
  return RemoveFolderWithContent(path);
}

TScratchFolder::~TScratchFolder() {
  if (Marker_ == -1) return;
  ::CloseHandle(reinterpret_cast<HANDLE>(Marker_));
  RemoveTree(Path_);
}

bool TScratchFolder::Create(const std::string& path) {
  if (!MakeFolder(path)) return false;
  // Shared for reading only: no other process can delete the marker while it is open, and a
  // killed process's handles close with it. That is how the clean-up tells the two apart.
  HANDLE marker = ::CreateFileA((path + kSeparator + kScratchMarkerName).c_str(), GENERIC_READ | GENERIC_WRITE,
                                FILE_SHARE_READ, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (marker == INVALID_HANDLE_VALUE) {
    RemoveFolder(path);
    return false;
  }
  Marker_ = reinterpret_cast<std::intptr_t>(marker);
  Path_ = path;
  return true;
}

int RemoveAbandonedScratchFolders(const std::string& tempFolder) {
  int removed = 0;
  TFolderListing listing(tempFolder);
  TFolderEntry entry;
  while (listing.Next(entry)) {
    if (entry.Kind != TEntryKind::Folder || !IsScratchFolderName(entry.Name)) continue;
    const std::string folder = tempFolder + entry.Name;
    // The deletion fails while a live scan holds the marker open, and when there is none.
    if (::DeleteFileA((folder + kSeparator + kScratchMarkerName).c_str()) && RemoveTree(folder)) ++removed;
  }
  return removed;
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
