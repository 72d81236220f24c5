// The real qrxdata program, started as the build starts it: exit status, messages, output files.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "data_test_files.h"

namespace {

// The path of the program as this system names it (the Windows build's tests run under Wine,
// where the build machine's folders are on drive Z:).
std::string ProgramPath() {
  std::string path = QRXDATA_PROGRAM;
#ifdef _WIN32
  if (!path.empty() && path[0] == '/') path = "Z:" + path;
  for (char& c : path) c = c == '/' ? '\\' : c;
#endif
  return path;
}

struct TRun {
  int Status;
  std::string Output;
};

// Runs qrxdata with `args`, stdout and stderr together in `log`.
TRun RunProgram(const std::string& args, const std::string& log) {
  std::string command = "\"" + ProgramPath() + "\" " + args + " > \"" + log + "\" 2>&1";
#ifdef _WIN32
  command = "\"" + command + "\"";  // cmd /c keeps the inner quotes only inside an outer pair
  const int status = std::system(command.c_str());
#else
  const int raw = std::system(command.c_str());
  const int status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
#endif
  return {status, ReadFile(log)};
}

std::string Quote(const std::string& path) { return "\"" + path + "\""; }

TEST(QrxDataProgramTest, BuildsAndRefusesAsTheBuildExpects) {
  TTempDir dir;
  WriteFile(dir / "good.txt", "# test\nEICAR-Test-File\t58354F21\n");
  WriteFile(dir / "bad.txt", "Good\t4142\nBad\t4D5G\n");

  const TRun good = RunProgram("build-sigs " + Quote(dir / "good.txt") + " " + Quote(dir / "QRX_SIG.DAT"), dir / "log");
  EXPECT_EQ(good.Status, 0) << good.Output;
  EXPECT_EQ(ReadFile(dir / "QRX_SIG.DAT").size(), 2u * 321u);

  const TRun bad = RunProgram("build-sigs " + Quote(dir / "bad.txt") + " " + Quote(dir / "QRX_SIG.DAT"), dir / "log");
  EXPECT_EQ(bad.Status, 1);
  EXPECT_NE(bad.Output.find("bad.txt:2: unit 2 '5G' is not two hexadecimal digits"), std::string::npos) << bad.Output;
  EXPECT_EQ(ReadFile(dir / "QRX_SIG.DAT").size(), 2u * 321u) << "the earlier output stays whole";
  EXPECT_FALSE(std::filesystem::exists(dir / "QRX_SIG.DAT.part"));

  const TRun dump = RunProgram("dump " + Quote(dir / "QRX_SIG.DAT"), dir / "log");
  EXPECT_EQ(dump.Status, 0);
  EXPECT_NE(dump.Output.find("\nEICAR-Test-File\t58354F21\n"), std::string::npos) << "LF only, on every system";

  EXPECT_EQ(RunProgram("check", dir / "log").Status, 2);
}

}  // namespace
