#include "../FileSystem.h"

#include <windows.h>

#include "../FolderListing.h"
#include "../WideText.h"

namespace QrxPlatform {
namespace {

DWORD AttributesOf(const std::string& path) { return ::GetFileAttributesW(SystemPath(path).c_str()); }

constexpr DWORD kAttributeMask = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                                 FILE_ATTRIBUTE_ARCHIVE;

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
        RemoveOwnFile(path);
      }
    }
  }
  return RemoveFolder(folder);
}

}  // namespace

bool FileExists(const std::string& path) {
  const DWORD attributes = AttributesOf(path);
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool FolderExists(const std::string& path) {
  const DWORD attributes = AttributesOf(path);
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool MakeFolder(const std::string& path) { return ::CreateDirectoryW(SystemPath(path).c_str(), nullptr) != 0; }

bool RemoveFile(const std::string& path) { return ::DeleteFileW(SystemPath(path).c_str()) != 0; }

bool RemoveOwnFile(const std::string& path) {
  const std::wstring target = SystemPath(path);
  if (::DeleteFileW(target.c_str())) return true;
  return ::SetFileAttributesW(target.c_str(), FILE_ATTRIBUTE_NORMAL) && ::DeleteFileW(target.c_str());
}

bool RemoveFolder(const std::string& path) {
  const std::wstring target = SystemPath(path);
  if (::RemoveDirectoryW(target.c_str())) return true;
  return ::SetFileAttributesW(target.c_str(), FILE_ATTRIBUTE_NORMAL) && ::RemoveDirectoryW(target.c_str());
}

bool RemoveTree(const std::string& path) {
  // A listing through a junction would list its target.
  const DWORD attributes = AttributesOf(path);
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT)) return RemoveFolder(path);
  return RemoveFolderWithContent(path);
}

bool SetAttributes(const std::string& path, uint32_t attributes) {
  const DWORD wanted = attributes & kAttributeMask;
  return ::SetFileAttributesW(SystemPath(path).c_str(), wanted ? wanted : FILE_ATTRIBUTE_NORMAL) != 0;
}

std::string FinalPath(const std::string& path) {
  // Opened for its name only: no right to read or write is asked, so a file in use still
  // answers; a folder needs the backup flag to be opened at all.
  HANDLE handle = ::CreateFileW(SystemPath(path).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return {};
  std::wstring final(MAX_PATH, L'\0');
  DWORD length = ::GetFinalPathNameByHandleW(handle, final.data(), static_cast<DWORD>(final.size()), 0);
  if (length >= final.size()) {
    final.resize(length + 1);
    length = ::GetFinalPathNameByHandleW(handle, final.data(), static_cast<DWORD>(final.size()), 0);
  }
  ::CloseHandle(handle);
  if (length == 0 || length >= final.size()) return {};
  final.resize(length);
  return Utf8(final);
}

bool LiesInside(const std::string& path, const std::string& folder) {
  std::wstring inner = Wide(path), outer = Wide(folder);
  if (!outer.empty() && outer.back() != L'\\') outer += L'\\';
  if (inner.size() <= outer.size()) return false;
  return ::CompareStringOrdinal(inner.c_str(), static_cast<int>(outer.size()), outer.c_str(),
                                static_cast<int>(outer.size()), TRUE) == CSTR_EQUAL;
}

std::string AbsolutePath(const std::string& path) {
  std::wstring full(MAX_PATH, L'\0');
  const std::wstring wide = Wide(path);
  for (;;) {
    const DWORD length = ::GetFullPathNameW(wide.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
    if (length == 0) return {};
    if (length < full.size()) return Utf8(std::wstring_view(full.data(), length));
    full.resize(length + 1);
  }
}

}  // namespace QrxPlatform
