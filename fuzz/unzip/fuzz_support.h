// Shared by the extractor's fuzz targets: the engine reads files, so each input is written
// to one scratch file of the process first.
#pragma once

#include <dirent.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>

inline const std::string& FuzzArchivePath(const uint8_t* data, size_t size) {
  static const std::string path = "/dev/shm/qrx-fuzz-" + std::to_string(::getpid()) + ".zip";
  FILE* file = std::fopen(path.c_str(), "wb");
  if (!file || std::fwrite(data, 1, size, file) != size || std::fclose(file) != 0) __builtin_trap();
  return path;
}

// Entries of a folder other than "." and "..".
inline int CountEntries(const char* folder) {
  DIR* listing = ::opendir(folder);
  if (!listing) return 0;
  int count = 0;
  while (dirent* entry = ::readdir(listing)) {
    std::string name = entry->d_name;
    count += name != "." && name != "..";
  }
  ::closedir(listing);
  return count;
}
