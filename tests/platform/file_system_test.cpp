// Files and folders on real disks: listings that fail, trees removed without following links,
// and scratch folders that a killed scan leaves behind only until the next clean-up.
#include <gtest/gtest.h>

#ifdef _WIN32
#include <windows.h>
#else
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "FileSystem.h"
#include "FolderListing.h"
#include "TempFolder.h"
#include "testkit.h"

namespace {

using namespace QrxPlatform;
using UnzipTestKit::PathExists;
using UnzipTestKit::TTempFolder;
namespace fs = std::filesystem;

bool Plant(const std::string& path) { return UnzipTestKit::WriteFile(path, {'q', 'r', 'x'}); }

bool PlantReadOnly(const std::string& path) {
  if (!Plant(path)) return false;
  std::error_code error;
  fs::permissions(path, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                  fs::perm_options::remove, error);
  return !error;
}

// A link to a folder; false where the system makes none (Wine makes no symbolic links).
bool MakeFolderLink(const std::string& link, const std::string& target) {
#ifdef _WIN32
  ::CreateSymbolicLinkA(link.c_str(), target.c_str(),
                        SYMBOLIC_LINK_FLAG_DIRECTORY | SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE);
  const DWORD attributes = ::GetFileAttributesA(link.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
#else
  return ::symlink(target.c_str(), link.c_str()) == 0;
#endif
}

std::vector<TFolderEntry> ListAll(TFolderListing& listing) {
  std::vector<TFolderEntry> entries;
  TFolderEntry entry;
  while (listing.Next(entry)) entries.push_back(entry);
  return entries;
}

TEntryKind KindIn(const std::vector<TFolderEntry>& entries, const std::string& name) {
  const auto found = std::find_if(entries.begin(), entries.end(), [&](const TFolderEntry& e) { return e.Name == name; });
  EXPECT_NE(found, entries.end()) << name << " is not listed";
  return found == entries.end() ? TEntryKind::Other : found->Kind;
}

std::string Marker(const std::string& folder) { return folder + kSeparator + kScratchMarkerName; }

// ---- Listings ----

TEST(FolderListingTest, FailsWhereThereIsNoFolderToList) {
  TTempFolder temp;
  ASSERT_TRUE(MakeFolder(temp / "empty"));
  ASSERT_TRUE(Plant(temp / "file.txt"));
  const struct {
    std::string Folder;
    bool Failed;
  } cases[] = {
      {temp / "empty", false},
      {temp / "missing", true},
      {temp / "file.txt", true},
      {temp / "missing" + kSeparator + "deeper", true},
      {temp / std::string(300, 'x'), true},  // a name longer than the system allows
  };
  for (const auto& test : cases) {
    SCOPED_TRACE(test.Folder);
    TFolderListing listing(test.Folder + kSeparator);
    const std::vector<TFolderEntry> entries = ListAll(listing);
    EXPECT_EQ(listing.Failed(), test.Failed);
    // An empty folder still lists "." and "..".
    EXPECT_EQ(entries.size(), test.Failed ? 0u : 2u);
  }
}

TEST(FolderListingTest, TellsFilesFromFolders) {
  TTempFolder temp;
  ASSERT_TRUE(Plant(temp / "file.txt"));
  ASSERT_TRUE(MakeFolder(temp / "folder"));
  TFolderListing listing(temp.Path() + kSeparator);
  const std::vector<TFolderEntry> entries = ListAll(listing);
  EXPECT_FALSE(listing.Failed());
  EXPECT_EQ(KindIn(entries, "file.txt"), TEntryKind::File);
  EXPECT_EQ(KindIn(entries, "folder"), TEntryKind::Folder);
}

TEST(FolderListingTest, TakesALinkToAFolderForALink) {
  TTempFolder temp;
  ASSERT_TRUE(MakeFolder(temp / "target"));
  if (!MakeFolderLink(temp / "link", temp / "target")) GTEST_SKIP() << "no links to folders here";
  TFolderListing listing(temp.Path() + kSeparator);
  EXPECT_EQ(KindIn(ListAll(listing), "link"), TEntryKind::FolderLink);
}

// ---- Removing trees ----

TEST(RemoveTreeTest, RemovesEverythingReadOnlyFilesIncluded) {
  TTempFolder temp;
  const std::string tree = temp / "tree";
  const std::string sub = tree + kSeparator + "sub";
  ASSERT_TRUE(MakeFolder(tree));
  ASSERT_TRUE(MakeFolder(sub));
  ASSERT_TRUE(MakeFolder(tree + kSeparator + "empty"));
  ASSERT_TRUE(Plant(tree + kSeparator + "a.txt"));
  ASSERT_TRUE(PlantReadOnly(tree + kSeparator + "read-only.txt"));
  ASSERT_TRUE(PlantReadOnly(sub + kSeparator + "read-only.txt"));
  ASSERT_TRUE(Plant(temp / "tree.txt"));  // beside the tree, and named like it

  EXPECT_TRUE(RemoveTree(tree));
  EXPECT_FALSE(PathExists(tree));
  EXPECT_TRUE(PathExists(temp / "tree.txt"));
}

TEST(RemoveTreeTest, CopesWithADeepTree) {
  constexpr int kDepth = 60;  // as deep as a Windows path of single-byte names allows
  TTempFolder temp;
  const std::string tree = temp / "tree";
  std::string folder = tree;
  ASSERT_TRUE(MakeFolder(folder));
  for (int level = 0; level < kDepth; ++level) {
    folder += std::string(1, kSeparator) + "d";
    ASSERT_TRUE(MakeFolder(folder)) << level;
  }
  ASSERT_TRUE(Plant(folder + kSeparator + "bottom.txt"));

  EXPECT_TRUE(RemoveTree(tree));
  EXPECT_FALSE(PathExists(tree));
}

TEST(RemoveTreeTest, RemovesLinksWithoutFollowingThem) {
  TTempFolder temp;
  const std::string outside = temp / "outside";
  const std::string tree = temp / "tree";
  ASSERT_TRUE(MakeFolder(outside));
  ASSERT_TRUE(Plant(outside + kSeparator + "keep.txt"));
  ASSERT_TRUE(MakeFolder(tree));
  ASSERT_TRUE(MakeFolder(tree + kSeparator + "sub"));
  if (!MakeFolderLink(tree + kSeparator + "link", outside)) GTEST_SKIP() << "no links to folders here";
  ASSERT_TRUE(MakeFolderLink(tree + kSeparator + "sub" + kSeparator + "link", outside));
  ASSERT_TRUE(MakeFolderLink(temp / "top-link", outside));

  EXPECT_TRUE(RemoveTree(tree));
  EXPECT_FALSE(PathExists(tree));
  EXPECT_TRUE(RemoveTree(temp / "top-link"));
  EXPECT_FALSE(PathExists(temp / "top-link"));
  EXPECT_TRUE(PathExists(outside + kSeparator + "keep.txt"));
}

#ifdef _WIN32
TEST(RemoveTreeTest, AnswersFalseWhenAFileStaysAndRemovesTheRest) {
  TTempFolder temp;
  const std::string tree = temp / "tree";
  ASSERT_TRUE(MakeFolder(tree));
  ASSERT_TRUE(Plant(tree + kSeparator + "a.txt"));
  ASSERT_TRUE(Plant(tree + kSeparator + "z.txt"));
  const std::string held = tree + kSeparator + "held.txt";
  HANDLE file = ::CreateFileA(held.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);

  EXPECT_FALSE(RemoveTree(tree));
  EXPECT_TRUE(PathExists(held));
  EXPECT_FALSE(PathExists(tree + kSeparator + "a.txt"));
  EXPECT_FALSE(PathExists(tree + kSeparator + "z.txt"));
  ::CloseHandle(file);
}
#endif

// ---- Scratch folders ----

TEST(ScratchFolderNameTest, IsTnAndADecimalNumberBelow65000) {
  const struct {
    const char* Name;
    bool Scratch;
  } cases[] = {
      {"TN0", true},      {"TN7", true},      {"TN123", true},    {"TN64999", true},  {"TN65000", false},
      {"TN70000", false}, {"TN99999", false}, {"TN100000", false}, {"TN00012", false}, {"TN012", false},
      {"TN00", false},    {"TN", false},      {"TNX", false},     {"TN12a", false},   {"TN-1", false},
      {"TN 1", false},    {"tn12", false},    {"XTN12", false},   {"", false},
  };
  for (const auto& test : cases) EXPECT_EQ(IsScratchFolderName(test.Name), test.Scratch) << test.Name;
}

TEST(ScratchFolderTest, MakesItsFolderWithAMarkerAndRemovesItWithAllItHolds) {
  TTempFolder temp;
  const std::string path = temp / "TN1";
  {
    TScratchFolder scratch;
    ASSERT_TRUE(scratch.Create(path));
    EXPECT_EQ(scratch.Path(), path);
    EXPECT_TRUE(PathExists(Marker(path)));
    ASSERT_TRUE(MakeFolder(path + kSeparator + "sub"));
    ASSERT_TRUE(PlantReadOnly(path + kSeparator + "sub" + kSeparator + "member.txt"));
  }
  EXPECT_FALSE(PathExists(path));
}

TEST(ScratchFolderTest, LeavesATakenNameAlone) {
  TTempFolder temp;
  TScratchFolder live;
  ASSERT_TRUE(live.Create(temp / "TN1"));
  ASSERT_TRUE(MakeFolder(temp / "TN2"));
  const struct {
    std::string Folder;
    bool Marked;
  } taken[] = {
      {temp / "TN1", true},   // a live scan's
      {temp / "TN2", false},  // another program's
  };
  for (const auto& test : taken) {
    SCOPED_TRACE(test.Folder);
    const std::string content = test.Folder + kSeparator + "content.txt";
    ASSERT_TRUE(Plant(content));
    {
      TScratchFolder second;
      EXPECT_FALSE(second.Create(test.Folder));
    }
    EXPECT_TRUE(PathExists(content));
    EXPECT_EQ(PathExists(Marker(test.Folder)), test.Marked);
  }
}

TEST(RemoveAbandonedScratchFoldersTest, RemovesOnlyMarkedScratchFoldersThatNoLiveScanHolds) {
  TTempFolder temp;
  const struct {
    const char* Name;
    bool Marked;
    bool Removed;
  } folders[] = {
      {"TN0", true, true},       {"TN1", true, true},       {"TN64999", true, true},
      {"TN123", false, false},   // another program's
      {"TNX", true, false},      {"TN00012", true, false},  {"TN70000", true, false},
      {"TN65000", true, false},  {"XTN5", true, false},
  };
  for (const auto& folder : folders) {
    const std::string path = temp / folder.Name;
    ASSERT_TRUE(MakeFolder(path));
    ASSERT_TRUE(PlantReadOnly(path + kSeparator + "member.txt"));
    if (folder.Marked) {
      ASSERT_TRUE(Plant(Marker(path)));
    }
  }
  TScratchFolder live;
  ASSERT_TRUE(live.Create(temp / "TN2"));
  ASSERT_TRUE(Plant(temp / "TN3"));  // a file, not a folder
  ASSERT_TRUE(MakeFolder(temp / "TN4"));
  ASSERT_TRUE(MakeFolder(Marker(temp / "TN4")));  // a folder, not a marker

  EXPECT_EQ(RemoveAbandonedScratchFolders(temp.Path() + kSeparator), 3);
  for (const auto& folder : folders) EXPECT_NE(PathExists(temp / folder.Name), folder.Removed) << folder.Name;
  EXPECT_TRUE(PathExists(Marker(temp / "TN2")));
  EXPECT_TRUE(PathExists(temp / "TN3"));
  EXPECT_TRUE(PathExists(Marker(temp / "TN4")));
  EXPECT_EQ(RemoveAbandonedScratchFolders(temp.Path() + kSeparator), 0);
}

TEST(RemoveAbandonedScratchFoldersTest, PassesOverALinkNamedLikeAScratchFolder) {
  TTempFolder temp;
  const std::string outside = temp / "outside";
  ASSERT_TRUE(MakeFolder(outside));
  ASSERT_TRUE(Plant(Marker(outside)));
  if (!MakeFolderLink(temp / "TN1", outside)) GTEST_SKIP() << "no links to folders here";

  EXPECT_EQ(RemoveAbandonedScratchFolders(temp.Path() + kSeparator), 0);
  EXPECT_TRUE(PathExists(Marker(temp / "TN1")));
}

// Another process that makes a scratch folder and holds it until it is killed, as a scan is.
class TScratchHolder {
 public:
  explicit TScratchHolder(const std::string& folder);
  ~TScratchHolder() { Kill(); }
  TScratchHolder(const TScratchHolder&) = delete;
  TScratchHolder& operator=(const TScratchHolder&) = delete;
  bool Holds() const { return Holds_; }  // the folder is made and its marker held
  void Kill();

 private:
  bool Holds_ = false;
#ifdef _WIN32
  PROCESS_INFORMATION Process_{};
#else
  pid_t Child_ = -1;
#endif
};

#ifdef _WIN32
// The holder is this test program again, running only the child's test below.
constexpr char kHeldFolderVariable[] = "QRX_TEST_HELD_SCRATCH_FOLDER";
constexpr char kReadyEventVariable[] = "QRX_TEST_SCRATCH_READY_EVENT";

TScratchHolder::TScratchHolder(const std::string& folder) {
  SECURITY_ATTRIBUTES inherited{sizeof inherited, nullptr, TRUE};
  HANDLE ready = ::CreateEventA(&inherited, TRUE, FALSE, nullptr);
  char program[MAX_PATH];
  ::GetModuleFileNameA(nullptr, program, sizeof program);
  std::string command = std::string("\"") + program +
                        "\" --gtest_brief=1 --gtest_also_run_disabled_tests --gtest_filter=ScratchHolderChild.*";
  ::SetEnvironmentVariableA(kHeldFolderVariable, folder.c_str());
  ::SetEnvironmentVariableA(kReadyEventVariable, std::to_string(reinterpret_cast<std::uintptr_t>(ready)).c_str());
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  const bool started =
      ::CreateProcessA(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &Process_);
  ::SetEnvironmentVariableA(kHeldFolderVariable, nullptr);
  ::SetEnvironmentVariableA(kReadyEventVariable, nullptr);
  if (started) {
    const HANDLE awaited[] = {ready, Process_.hProcess};
    Holds_ = ::WaitForMultipleObjects(2, awaited, FALSE, INFINITE) == WAIT_OBJECT_0;
  }
  ::CloseHandle(ready);
}

void TScratchHolder::Kill() {
  if (!Process_.hProcess) return;
  ::TerminateProcess(Process_.hProcess, 1);
  ::WaitForSingleObject(Process_.hProcess, INFINITE);
  ::CloseHandle(Process_.hThread);
  ::CloseHandle(Process_.hProcess);
  Process_ = {};
}

TEST(ScratchHolderChild, DISABLED_HoldsAScratchFolderUntilKilled) {
  const char* folder = std::getenv(kHeldFolderVariable);
  const char* ready = std::getenv(kReadyEventVariable);
  ASSERT_TRUE(folder && ready) << "runs only as a TScratchHolder";
  TScratchFolder scratch;
  ASSERT_TRUE(scratch.Create(folder));
  ::SetEvent(reinterpret_cast<HANDLE>(std::strtoull(ready, nullptr, 10)));
  ::Sleep(INFINITE);
}
#else
TScratchHolder::TScratchHolder(const std::string& folder) {
  int channel[2];
  if (::pipe(channel) != 0) return;
  Child_ = ::fork();
  if (Child_ == 0) {
    TScratchFolder scratch;
    const char made = scratch.Create(folder) ? 1 : 0;
    if (::write(channel[1], &made, 1) != 1) ::_exit(1);
    for (;;) ::pause();
  }
  ::close(channel[1]);
  char made = 0;
  Holds_ = Child_ > 0 && ::read(channel[0], &made, 1) == 1 && made;
  ::close(channel[0]);
}

void TScratchHolder::Kill() {
  if (Child_ <= 0) return;
  ::kill(Child_, SIGKILL);
  ::waitpid(Child_, nullptr, 0);
  Child_ = -1;
}
#endif

TEST(RemoveAbandonedScratchFoldersTest, TakesTheFolderOfAKilledScanAtTheNextCleanUp) {
  TTempFolder temp;
  const std::string folder = temp / "TN42";
  TScratchHolder holder(folder);
  ASSERT_TRUE(holder.Holds());

  EXPECT_EQ(RemoveAbandonedScratchFolders(temp.Path() + kSeparator), 0);
  EXPECT_TRUE(PathExists(Marker(folder)));
  holder.Kill();
  EXPECT_TRUE(PathExists(Marker(folder)));
  EXPECT_EQ(RemoveAbandonedScratchFolders(temp.Path() + kSeparator), 1);
  EXPECT_FALSE(PathExists(folder));
}

}  // namespace
