// Files and folders named in any script, and paths past 260 characters: made by the system's
// own calls, then listed, opened, changed and removed through the platform layer.
#include <gtest/gtest.h>

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <string>
#include <vector>

#include "File.h"
#include "FileSystem.h"
#include "FolderListing.h"
#include "testkit.h"

namespace {

using namespace QrxPlatform;
using UnzipTestKit::TTempFolder;

const char* const kNames[] = {"вирус.com", "病毒.com", "😀 virus.com", "données été.txt", "Ελληνικά_ß.exe"};

// The file made by the system's own call, not through the layer under test: a name the layer
// misreads would then not find it.
bool MakeFileDirectly(const std::string& utf8Path, const std::string& content) {
#ifdef _WIN32
  wchar_t wide[1024];
  const int length = ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8Path.c_str(), -1, wide, 1024);
  if (length <= 0) return false;
  const std::wstring path = std::wstring(L"\\\\?\\") + wide;
  HANDLE file = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  const bool ok = ::WriteFile(file, content.data(), static_cast<DWORD>(content.size()), &written, nullptr);
  ::CloseHandle(file);
  return ok && written == content.size();
#else
  const int file = ::open(utf8Path.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0644);
  if (file < 0) return false;
  const bool ok = ::write(file, content.data(), content.size()) == static_cast<ssize_t>(content.size());
  ::close(file);
  return ok;
#endif
}

std::vector<std::string> NamesIn(const std::string& folder) {
  TFolderListing listing(folder + kSeparator);
  std::vector<std::string> names;
  TFolderEntry entry;
  while (listing.Next(entry))
    if (entry.Name != "." && entry.Name != "..") names.push_back(entry.Name);
  EXPECT_FALSE(listing.Failed()) << folder;
  std::sort(names.begin(), names.end());
  return names;
}

std::string ContentOf(const std::string& path) {
  TFile file;
  if (!file.OpenRead(path)) return "<cannot open>";
  std::string content(static_cast<size_t>(std::max<int64_t>(file.Size(), 0)), '\0');
  return file.Read(content.data(), content.size()) == static_cast<int64_t>(content.size()) ? content : "<short>";
}

TEST(NamesTest, FilesNamedInAnyScriptListOpenAndGo) {
  TTempFolder temp;
  for (const char* name : kNames) {
    SCOPED_TRACE(name);
    const std::string path = temp / name;
    ASSERT_TRUE(MakeFileDirectly(path, name));
    EXPECT_EQ(NamesIn(temp.Path()), std::vector<std::string>{name});
    EXPECT_TRUE(FileExists(path));
    EXPECT_FALSE(FolderExists(path));
    EXPECT_EQ(ContentOf(path), name);
    EXPECT_TRUE(SetAttributes(path, 1));
    EXPECT_TRUE(RemoveOwnFile(path));
    EXPECT_FALSE(FileExists(path));
  }
}

TEST(NamesTest, AFolderNamedInAnyScriptKeepsItsContentReachable) {
  TTempFolder temp;
  for (const char* name : kNames) {
    SCOPED_TRACE(name);
    const std::string folder = temp / name;
    ASSERT_TRUE(MakeFolder(folder));
    const std::string inner = folder + kSeparator + name;
    ASSERT_TRUE(MakeFileDirectly(inner, "payload"));
    EXPECT_EQ(NamesIn(folder), std::vector<std::string>{name});
    EXPECT_EQ(ContentOf(inner), "payload");
    EXPECT_TRUE(RemoveTree(folder));
    EXPECT_FALSE(FolderExists(folder));
  }
}

TEST(NamesTest, PathsPastTheOldLimitWorkLikeShortOnes) {
  TTempFolder temp;
  // Six levels of 60 characters: past 360 characters before the file's own name.
  std::string folder = temp.Path();
  for (int level = 0; level < 6; ++level) {
    folder += kSeparator + std::string(48, static_cast<char>('a' + level)) + "_папка_";
    ASSERT_TRUE(MakeFolder(folder)) << level;
  }
  const std::string path = folder + kSeparator + "вирус.com";
  ASSERT_GT(path.size(), 300u);
  {
    TFile file;
    ASSERT_TRUE(file.Create(path));
    ASSERT_EQ(file.Write("deep", 4), 4);
  }
  EXPECT_EQ(NamesIn(folder), std::vector<std::string>{"вирус.com"});
  EXPECT_EQ(ContentOf(path), "deep");
  EXPECT_TRUE(FileExists(path));
  EXPECT_TRUE(RemoveFile(path));
  EXPECT_FALSE(FileExists(path));
  ASSERT_TRUE(MakeFileDirectly(path, "again"));
  EXPECT_TRUE(RemoveTree(temp / std::string(48, 'a') + "_папка_"));
  EXPECT_EQ(NamesIn(temp.Path()), std::vector<std::string>{});
}

}  // namespace
