// Reads that fail part way through a data file, as on a failing disk: the loaders stop there
// and say so, keeping what the failure leaves them.
#include <gtest/gtest.h>

#ifdef __GLIBC__
#include <sys/types.h>

#include <cstdio>
#include <string>

#include "data_test_files.h"
#include "qrx_record_file.h"
#include "tn_bho_file.h"
#include "tns_signature_file.h"

namespace {

// Files opened while a TFailingReads is in force read normally up to FailAt, then fail.
class TFailingReads {
 public:
  explicit TFailingReads(long failAt) : Previous_(ReplaceRecordFileOpener(&Open)) { FailAt = failAt; }
  ~TFailingReads() { ReplaceRecordFileOpener(Previous_); }

 private:
  static inline long FailAt = 0;

  struct TStream {
    std::FILE* File;
    long Position;
  };

  static ssize_t Read(void* cookie, char* buffer, size_t size) {
    auto* stream = static_cast<TStream*>(cookie);
    const long left = FailAt - stream->Position;
    if (left <= 0) return -1;
    const size_t got = std::fread(buffer, 1, std::min<size_t>(size, static_cast<size_t>(left)), stream->File);
    stream->Position += static_cast<long>(got);
    return static_cast<ssize_t>(got);
  }

  static int Close(void* cookie) {
    auto* stream = static_cast<TStream*>(cookie);
    std::fclose(stream->File);
    delete stream;
    return 0;
  }

  static std::FILE* Open(const char* path) {
    std::FILE* file = std::fopen(path, "rb");
    if (file == nullptr) return nullptr;
    return fopencookie(new TStream{file, 0}, "rb", {&Read, nullptr, nullptr, &Close});
  }

  TRecordFileOpener Previous_;
};

class ReadErrorTest : public ::testing::Test {
 protected:
  TTempDir Dir;
};

TEST_F(ReadErrorTest, SignatureFileFailsAndItsTableIsReleased) {
  const std::string path = Dir.Write("QRX_SIG.DAT", NumberedSignatureFile(300, "R"));
  for (const long failAt : {0L, 100L * 321 + 5}) {
    TFailingReads failing(failAt);
    EXPECT_FALSE(LoadSignatureFile(path)) << failAt;
    EXPECT_EQ(SignatureTable(), nullptr);
  }
}

TEST_F(ReadErrorTest, SecondSignatureFileKeepsWhatWasReadBeforeTheFailure) {
  ASSERT_TRUE(LoadSignatureFile(Dir.Write("QRX_SIG.DAT", SignatureFile({{"A", "4142"}}))));
  const std::string second = Dir.Write("QRX_SIG2.DAT", NumberedSignatureFile(300, "R"));
  TFailingReads failing(251L * 321 + 5);  // the header and 250 signatures are whole
  EXPECT_FALSE(AppendSignatureFile(second));
  EXPECT_EQ(SignatureCount(), 251);
  EXPECT_EQ(SignatureTable()[250].Name.Str(), "R250");
}

struct TBhoReadErrorCase {
  const char* Label;
  int Entries;
  long FailAt;
  std::int32_t Result;
  std::int32_t Count;
};

TEST_F(ReadErrorTest, DatabaseReadErrorsGiveTheirCodes) {
  const TBhoReadErrorCase cases[] = {
      {"header unreadable", 10, 0, BhoCannotOpen, 0},
      {"entry 250 unreadable", 300, 250L * 555 + 1, BhoReadFailed, 249},
      {"failure after a full table is still too many", 40001, 40001L * 555 + 1, BhoTooMany, 40000},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Label);
    const std::string path = Dir.Write("qrx_bhotb.dat", NumberedBhoFile(c.Entries));
    TFailingReads failing(c.FailAt);
    EXPECT_EQ(ReadBhoFile(path), c.Result);
    EXPECT_EQ(BhoCount(), c.Count);
    if (c.Count > 0) {
      EXPECT_EQ(BhoTable()[c.Count - 1].Clsid.Str(), NumberedClsid(c.Count));
    }
  }
}

}  // namespace
#endif
