#include "MemberNames.h"

#include <cstring>
#include <vector>

namespace {

char UpperAscii(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

// Whole-name match; a "*" that fails is retried one character further on. Keeping only
// the last "*" to retry bounds the work by the product of the two lengths.
bool WildcardMatch(const char* pattern, const char* name) {
  const char* star = nullptr;
  const char* retryFrom = nullptr;
  while (*name) {
    if (*pattern == '*') {
      star = pattern++;
      retryFrom = name;
    } else if (*pattern && (*pattern == '?' || UpperAscii(*pattern) == UpperAscii(*name))) {
      ++pattern;
      ++name;
    } else if (star) {
      pattern = star + 1;
      name = ++retryFrom;
    } else {
      return false;
    }
  }
  while (*pattern == '*') ++pattern;
  return *pattern == '\0';
}

bool IsForbiddenInName(unsigned char c) {
  return c < 0x20 || std::strchr("<>:\"|?*", c) != nullptr;
}

bool IsDeviceName(const std::string& component) {
  std::string stem = component.substr(0, component.find('.'));
  for (char& c : stem) c = UpperAscii(c);
  while (!stem.empty() && stem.back() == ' ') stem.pop_back();
  static const char* const kDevices[] = {"CON", "PRN", "AUX", "NUL", "CLOCK$", "CONIN$", "CONOUT$"};
  for (const char* device : kDevices)
    if (stem == device) return true;
  return stem.size() == 4 && (stem.compare(0, 3, "COM") == 0 || stem.compare(0, 3, "LPT") == 0) && stem[3] >= '0' &&
         stem[3] <= '9';
}

// One component made harmless; empty when nothing of it may stay.
std::string SafeComponent(std::string component) {
  // Windows drops trailing dots and spaces, so ". ." or "..." would act as "." or "..".
  while (!component.empty() && (component.back() == '.' || component.back() == ' ')) component.pop_back();
  for (char& c : component)
    if (IsForbiddenInName(static_cast<unsigned char>(c))) c = '_';
  if (!component.empty() && IsDeviceName(component)) component = std::string(1, '_') + component;
  return component;
}

std::vector<std::string> SplitComponents(const char* name) {
  std::vector<std::string> parts(1);
  for (const char* c = name; *c; ++c) {
    if (*c == '\\' || *c == '/')
      parts.emplace_back();
    else
      parts.back() += *c;
  }
  return parts;
}

bool IsDrivePrefix(const std::string& component) {
  return component.size() == 2 && component[1] == ':' && UpperAscii(component[0]) >= 'A' && UpperAscii(component[0]) <= 'Z';
}

}  // namespace

bool MatchesSelection(const char* pattern, const char* storedName) {
  if (*pattern == '\0' || std::strcmp(pattern, "*.*") == 0) return true;
  return WildcardMatch(pattern, storedName);
}

std::string SafeMemberPath(const char* storedName, bool flat) {
  size_t length = std::strlen(storedName);
  bool isFolder = length > 0 && (storedName[length - 1] == '\\' || storedName[length - 1] == '/');
  if (flat) {
    const char* last = storedName;
    for (const char* c = storedName; *c; ++c)
      if (*c == '/' || *c == ':' || *c == '\\') last = c + 1;
    storedName = last;
  }
  std::vector<std::string> parts = SplitComponents(storedName);
  if (!parts.empty() && IsDrivePrefix(parts.front())) parts.erase(parts.begin());
  std::string path;
  for (const std::string& part : parts) {
    std::string safe = SafeComponent(part);
    if (safe.empty()) continue;
    if (!path.empty()) path += '\\';
    path += safe;
  }
  if (isFolder) return path.empty() ? path : path + '\\';
  return path.empty() ? "_" : path;
}
