#pragma once
// Files and folders by their UTF-8 paths: existence, creation, attributes and removal. Under
// Windows every call goes to the W functions in the "\\?\" form (any name, any length);
// elsewhere "\" separates folders like "/".
#include <cstdint>
#include <string>

namespace QrxPlatform {

#ifdef _WIN32
inline constexpr char kSeparator = '\\';
#else
inline constexpr char kSeparator = '/';
#endif

bool FileExists(const std::string& path);  // a file, not a folder
bool FolderExists(const std::string& path);
// Creates one folder level; false when it exists already or cannot be made.
bool MakeFolder(const std::string& path);

// One plain deletion: no retry, no change of attributes (a read-only file stays).
bool RemoveFile(const std::string& path);
// Deletes a file of our own making, read-only or not.
bool RemoveOwnFile(const std::string& path);
// Removes an empty folder, or a link to a folder (not what it points to).
bool RemoveFolder(const std::string& path);
// Removes a folder with everything in it, read-only files included; links and junctions inside,
// and the folder itself when it is one, are removed, never followed. False when something stayed.
bool RemoveTree(const std::string& path);

// Sets the MS-DOS attribute byte (read-only 1, hidden 2, system 4, archive 32; 0 = normal).
bool SetAttributes(const std::string& path, uint32_t attributes);
// The absolute form of `path`, in the usual form (not "\\?\"); empty when the system cannot say.
std::string AbsolutePath(const std::string& path);

// The path by which the system knows an existing file or folder, with links, junctions, short
// names and "." or ".." resolved, in the case stored on disk: two spellings of one file give
// the same answer. Empty when it cannot be opened.
std::string FinalPath(const std::string& path);
// True when the final path `path` lies inside the final path `folder`, at any depth. Under
// Windows the case of letters does not count, as it does not for the file system.
bool LiesInside(const std::string& path, const std::string& folder);

}  // namespace QrxPlatform
