// Every archive of the ZIP corpus, every member checked against the manifest: the content
// hash of each "ok" member, the right refusal for "unsupported" and "encrypted", no output
// for "bad". Members are extracted one by one through the engine, so that a fatal member
// does not hide the ones after it; then the whole archive goes through TBriskUnzip.
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "BriskUnzip.h"
#include "CentralDirectory.h"
#include "FileSystem.h"
#include "UnzipEngine.h"
#include "ZipFormat.h"
#include "testkit.h"

namespace {

using namespace UnzipTestKit;

std::map<std::string, std::vector<TManifestEntry>> ManifestByArchive() {
  std::map<std::string, std::vector<TManifestEntry>> byArchive;
  for (const TManifestEntry& entry : ReadManifest()) byArchive[entry.Archive].push_back(entry);
  return byArchive;
}

bool IsAscii(const std::string& text) {
  for (char c : text)
    if (static_cast<unsigned char>(c) >= 0x80) return false;
  return true;
}

std::string StoredForm(std::string name) {
  for (char& c : name)
    if (c == '/') c = '\\';
  return name.substr(0, UZ_NAME_CAPACITY - 1);
}

// Members that the other tools call bad but whose local header is right about their data
// (bit 3 clear): the extractor follows the local header, as the format has it.
bool LocalHeaderVouches(const TManifestEntry& entry) {
  return entry.Archive == "libzip-incons-central-crc.zip" && entry.Member == "a";
}

void CheckMember(TZipCursor& cursor, const TManifestEntry& expected, const TTempFolder& folder, int index) {
  SCOPED_TRACE(expected.Archive + " : " + expected.Member);
  bool isFolder = !expected.Member.empty() && expected.Member.back() == '/';
  std::string name = std::to_string(index);
  if (isFolder) name += '\\';
  std::string output = folder / name;
  int32_t result = UnzipEngine().ExtractMember(cursor.ArchiveFile, output.c_str(),
                                               int64_t(cursor.LocalHeaderOffset) + cursor.OffsetShift, 0, &cursor.Facts);
  if (LocalHeaderVouches(expected)) {
    EXPECT_EQ(result, UZ_OK);
  } else if (expected.Outcome == "ok") {
    ASSERT_EQ(result, UZ_OK);
    if (isFolder) {
      EXPECT_TRUE(QrxPlatform::FolderExists(output));
    } else {
      TBytes content = ReadFile(output);
      EXPECT_EQ(static_cast<int64_t>(content.size()), expected.UnpackedSize);
      EXPECT_EQ(Sha256Hex(content), expected.Sha256);
    }
  } else {
    int32_t refusal = expected.Outcome == "unsupported" ? UZ_UNSUPPORTED
                      : expected.Outcome == "encrypted" ? UZ_ENCRYPTED
                                                        : result;
    EXPECT_EQ(result, refusal);
    EXPECT_NE(result, UZ_OK);
    EXPECT_FALSE(PathExists(output)) << "a refused member left output";
  }
}

// Extracts every entry by itself and checks it against its manifest line.
void CheckEachMember(const std::string& path, const std::vector<TManifestEntry>& expected) {
  int64_t prefix = 0;
  ASSERT_TRUE(IsZipArchive(path.c_str(), prefix));
  TZipCursor cursor;
  ASSERT_EQ(OpenCentralDirectory(path.c_str(), cursor, prefix), UZ_OK);
  TTempFolder folder;
  size_t index = 0;
  for (int32_t status = UZ_OK; status == UZ_OK; status = NextCentralEntry(cursor), ++index) {
    ASSERT_LT(index, expected.size()) << "more directory entries than manifest lines";
    if (IsAscii(expected[index].Member)) {
      EXPECT_STREQ(cursor.Name, StoredForm(expected[index].Member).c_str());
    }
    EXPECT_EQ(cursor.Method, expected[index].Method);
    CheckMember(cursor, expected[index], folder, static_cast<int>(index));
  }
  EXPECT_EQ(index, expected.size()) << "fewer directory entries than manifest lines";
}

struct TWalk {
  int32_t Result;
  std::vector<std::string> Files;  // below the target folder
  bool WroteBesideTarget;
};

TWalk WalkWhole(const std::string& path) {
  TTempFolder scratch;
  std::string target = scratch / "target";
  TBriskUnzip unzip(nullptr);
  unzip.SetZipFileName(path.c_str());
  unzip.SetTargetDirectory(target.c_str());
  ClearReports();
  unzip.SetReportHandler(RecordReport);
  TWalk walk{unzip.ExtractFiles(), {}, false};
  for (const std::string& file : scratch.Files()) {
    if (file.rfind("target/", 0) == 0)
      walk.Files.push_back(file.substr(7));
    else
      walk.WroteBesideTarget = true;
  }
  return walk;
}

bool IsFatal(int32_t result) {
  for (int32_t fatal : {UZ_READ_ERROR, UZ_BAD_DATA, UZ_ABORTED, UZ_BUSY, UZ_NO_DIRECTORY, UZ_ARCHIVE_IO, UZ_OPEN_FAILED})
    if (result == fatal) return true;
  return false;
}

TEST(Corpus, EveryArchiveAndMemberMatchesTheManifest) {
  auto manifest = ManifestByArchive();
  std::vector<TArchiveFacts> archives = ReadArchiveList();
  ASSERT_GT(archives.size(), 90u) << "corpus missing at " << CorpusFolder();
  for (const TArchiveFacts& archive : archives) {
    SCOPED_TRACE(archive.Archive);
    std::string path = CorpusFolder() + "/" + archive.Archive;
    const auto& expected = manifest[archive.Archive];
    TWalk walk = WalkWhole(path);
    EXPECT_FALSE(walk.WroteBesideTarget);
    if (expected.empty() && archive.DirectoryEntries == "0") {
      // An empty archive: an archive of no members.
      EXPECT_EQ(walk.Result, 0);
      EXPECT_TRUE(walk.Files.empty());
      continue;
    }
    if (expected.empty()) {
      // No readable directory: refused before any member, nothing written.
      EXPECT_TRUE(walk.Result == UZ_NOT_ARCHIVE || walk.Result == UZ_NO_DIRECTORY) << walk.Result;
      EXPECT_TRUE(walk.Files.empty());
      continue;
    }
    CheckEachMember(path, expected);
    EXPECT_TRUE(walk.Result >= 0 || IsFatal(walk.Result)) << walk.Result;
    EXPECT_LE(walk.Files.size(), expected.size());
  }
}

// Archives every member of which is "ok" (ZIP64 ones included) extract whole through the
// component: the count is the number of members.
TEST(Corpus, CleanArchivesExtractWholeThroughTheComponent) {
  auto manifest = ManifestByArchive();
  int checked = 0;
  for (const auto& [archive, members] : manifest) {
    bool clean = true;
    for (const TManifestEntry& member : members)
      clean = clean && member.Outcome == "ok" && member.Method != 1 && member.Method != 6 && member.UnpackedSize > 0 &&
              IsAscii(member.Member) && member.Member.find("..") == std::string::npos;
    if (!clean) continue;
    SCOPED_TRACE(archive);
    TWalk walk = WalkWhole(CorpusFolder() + "/" + archive);
    EXPECT_EQ(walk.Result, static_cast<int32_t>(members.size()));
    EXPECT_EQ(StatusSequence().back(), UZ_REPORT_ARCHIVE_END);
    ++checked;
  }
  EXPECT_GT(checked, 20);
}

}  // namespace
