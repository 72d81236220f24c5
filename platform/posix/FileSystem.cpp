#include "../FileSystem.h"

#include <ftw.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>

#include "NativePath.h"

namespace QrxPlatform {

bool FileExists(const std::string& path) {
  struct stat info {};
  return ::stat(NativePath(path).c_str(), &info) == 0 && !S_ISDIR(info.st_mode);
}

bool FolderExists(const std::string& path) {
  struct stat info {};
  return ::stat(NativePath(path).c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool MakeFolder(const std::string& path) { return ::mkdir(NativePath(path).c_str(), 0755) == 0; }

bool RemoveFile(const std::string& path) { return ::unlink(NativePath(path).c_str()) == 0; }

// A read-only file goes with its folder's write right here.
bool RemoveOwnFile(const std::string& path) { return RemoveFile(path); }

bool RemoveFolder(const std::string& path) {
  const std::string native = NativePath(path);
  struct stat status;
  if (::lstat(native.c_str(), &status) == 0 && S_ISLNK(status.st_mode)) return ::unlink(native.c_str()) == 0;
  return ::rmdir(native.c_str()) == 0;
}

bool RemoveTree(const std::string& path) {
  // Depth first, links taken as entries of their own. An entry that will not go is passed
  // over, so that all the rest goes; it shows as the folder that stays.
  auto removeEntry = [](const char* entry, const struct stat*, int, FTW*) {
    ::remove(entry);
    return 0;
  };
  const std::string native = NativePath(path);
  struct stat status;
  return ::nftw(native.c_str(), removeEntry, 16, FTW_DEPTH | FTW_PHYS) == 0 && ::lstat(native.c_str(), &status) != 0;
}

bool SetAttributes(const std::string& path, uint32_t attributes) {
  // Only a file's read-only bit has a POSIX meaning; folders keep their modes.
  const std::string native = NativePath(path);
  struct stat info {};
  if (::stat(native.c_str(), &info) != 0) return false;
  const mode_t mode = (attributes & 1) ? 0444 : 0644;
  if (S_ISDIR(info.st_mode) || (info.st_mode & 0777) == mode) return true;
  return ::chmod(native.c_str(), mode) == 0;
}

std::string FinalPath(const std::string& path) {
  char* resolved = ::realpath(NativePath(path).c_str(), nullptr);
  if (!resolved) return {};
  std::string final(resolved);
  std::free(resolved);
  return final;
}

bool LiesInside(const std::string& path, const std::string& folder) {
  const std::string outer = !folder.empty() && folder.back() == '/' ? folder : folder + '/';
  return path.size() > outer.size() && path.compare(0, outer.size(), outer) == 0;
}

std::string AbsolutePath(const std::string& path) {
  const std::string native = NativePath(path);
  if (native.empty() || native[0] == '/') return native;
  char cwd[PATH_MAX];
  if (!::getcwd(cwd, sizeof cwd)) return {};
  return std::string(cwd) + "/" + native;
}

}  // namespace QrxPlatform
