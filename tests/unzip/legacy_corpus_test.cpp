// The real shrunk and imploded members of the ZIP corpus (written by PKZIP 0.8 to 1.10
// and other MS-DOS tools), each extracted through the engine and checked against the
// manifest's content hash. None of them may be refused.
#include <gtest/gtest.h>

#include <set>

#include "CentralDirectory.h"
#include "legacy_harness.h"

namespace QrxTest {
namespace {

using UnzipTestKit::TManifestEntry;

bool IsLegacyMethod(uint16_t method) { return method == 1 || method == 6; }

std::string StoredForm(std::string name) {
  for (char& c : name)
    if (c == '/') c = '\\';
  return name;
}

// Extracts the member of the open directory cursor and checks it against the manifest.
void CheckMember(TZipCursor& cursor, const TManifestEntry& expected, const UnzipTestKit::TTempFolder& folder) {
  SCOPED_TRACE(expected.Archive + " : " + expected.Member);
  std::string output = folder / "member.out";
  int32_t result = UnzipEngine().ExtractMember(cursor.ArchiveFile, output.c_str(),
                                               int64_t(cursor.LocalHeaderOffset) + cursor.OffsetShift, 0, &cursor.Facts);
  ASSERT_EQ(result, UZ_OK);
  TBytes content = UnzipTestKit::ReadFile(output);
  EXPECT_EQ(int64_t(content.size()), expected.UnpackedSize);
  EXPECT_EQ(UnzipTestKit::Sha256Hex(content), expected.Sha256);
}

TEST(LegacyCorpus, EveryShrunkAndImplodedMemberMatchesItsHash) {
  std::set<std::string> archives;
  std::vector<TManifestEntry> legacy;
  for (const TManifestEntry& entry : UnzipTestKit::ReadManifest()) {
    if (!IsLegacyMethod(entry.Method)) continue;
    ASSERT_EQ(entry.Outcome, "ok") << entry.Archive << " : " << entry.Member;
    legacy.push_back(entry);
    archives.insert(entry.Archive);
  }
  ASSERT_GE(legacy.size(), 30u) << "the corpus lost its shrunk and imploded members";

  int checked = 0;
  UnzipTestKit::TTempFolder folder;
  for (const std::string& archive : archives) {
    std::string path = UnzipTestKit::CorpusFolder() + UnzipTestKit::kSeparator + archive;
    TZipCursor cursor;
    ASSERT_EQ(OpenCentralDirectory(path.c_str(), cursor), UZ_OK) << archive;
    do {
      if (!IsLegacyMethod(cursor.Method)) continue;
      for (const TManifestEntry& entry : legacy) {
        if (entry.Archive != archive || StoredForm(entry.Member) != cursor.Name) continue;
        CheckMember(cursor, entry, folder);
        ++checked;
      }
    } while (NextCentralEntry(cursor) == UZ_OK);
    CloseCentralDirectory(cursor);
  }
  EXPECT_EQ(checked, int(legacy.size()));
}

}  // namespace
}  // namespace QrxTest
