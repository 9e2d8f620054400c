// The run log and result file: the header bytes, the result file's shape,
// and failed opens and writes, each ending the run with one message and
// exit status 1 rather than a silent success.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>

#include "report/report.h"
#include "support/support.h"

namespace fw {
namespace {

const std::string TwoLinks = "0.01 0.5 100 2 2 1\n0 1 100\n0 0 1 10 50 0.15 4 1\n1 0 1 20 80 0.15 4 1\n";

// The header's Korean captions are these UTF-8 bytes; read back as Latin-1
// they are the EUC-KR bytes of the captions.
TEST(RunLogFormat, HeaderBytes) {
  const std::string header(LogHeader);
  EXPECT_EQ(header.substr(0, 25), "\n iteration#             ");
  EXPECT_EQ(header.size(), 25u + 20u + 10u + 12u + 1u + 12u + 1u + 4u);
  std::string latin1;
  for (std::size_t i = 25; i < header.size(); ++i) {
    const unsigned char lead = static_cast<unsigned char>(header[i]);
    if (lead == 0xc2 || lead == 0xc3) {
      latin1 += static_cast<char>(((lead & 0x03) << 6) | (static_cast<unsigned char>(header[++i]) & 0x3f));
    } else {
      latin1 += header[i];
    }
  }
  // EUC-KR for the objective-function value and the number of paths used.
  EXPECT_EQ(latin1, "\xb8\xf1\xc0\xfb\xc7\xd4\xbc\xf6\xb0\xaa          \xbb\xe7\xbf\xeb\xb5\xc8 \xb0\xe6\xb7\xce\xc0\xc7 \xbc\xf6");
  EXPECT_EQ(std::string(LogRule), "\n" + std::string(62, '-'));
  EXPECT_EQ(std::string(LogTableRule), "\n" + std::string(57, '-'));
}

// A two-link result has three lines, each ending in two blanks, and no final line break.
TEST(ResultFile, ThreeLinesWithoutAFinalLineBreak) {
  const ProgramRun run = RunProgram(FixedClockProgramPath(), &TwoLinks);
  ASSERT_EQ(run.exit_status, 0);
  EXPECT_EQ(std::count(run.result.begin(), run.result.end(), '\n'), 2);
  EXPECT_EQ(run.result.substr(run.result.size() - 3), "1  ");
}

// A run log that cannot be written (a full disk) fails the run after the
// result is written; a result file on a full disk fails it too.
TEST(WriteFailure, FullDiskIsReported) {
  for (const char* name_text : {"output.txt", "result.txt"}) {
    const std::string name = name_text;
    const std::string dir = ScratchDir();
    WriteFile(dir + "/output/input.txt", TwoLinks);
    ASSERT_EQ(symlink("/dev/full", (dir + "/output/" + name).c_str()), 0);
    const ProgramRun run = RunIn(dir, ProgramPath());
    EXPECT_EQ(run.exit_status, 1) << name;
    EXPECT_EQ(run.error, "../output/" + name + ": writing failed: No space left on device\n") << name;
  }
}

// A run log or result path that cannot be opened: one message, status 1.
TEST(WriteFailure, UnopenableFilesAreReported) {
  for (const char* name_text : {"output.txt", "result.txt"}) {
    const std::string name = name_text;
    const std::string dir = ScratchDir();
    WriteFile(dir + "/output/input.txt", TwoLinks);
    ASSERT_EQ(mkdir((dir + "/output/" + name).c_str(), 0755), 0);
    const ProgramRun run = RunIn(dir, ProgramPath());
    EXPECT_EQ(run.exit_status, 1) << name;
    const std::string what = name == "output.txt" ? "the run log" : "the result file";
    EXPECT_EQ(run.error, "../output/" + name + ": cannot open " + what + " for writing: Is a directory\n") << name;
  }
}

// An output folder without write permission. Root writes anyway, so under
// root the program runs as the unprivileged user "nobody" (uid 65534).
TEST(WriteFailure, ReadOnlyFolderIsReported) {
  const std::string dir = ScratchDir();
  WriteFile(dir + "/output/input.txt", TwoLinks);
  ASSERT_EQ(chmod(dir.c_str(), 0755), 0);
  ASSERT_EQ(chmod((dir + "/output").c_str(), 0555), 0);
  ProgramRun run;
  if (geteuid() != 0) {
    run = RunIn(dir, ProgramPath());
  } else {
    if (std::system("setpriv --version > /dev/null 2>&1") != 0) GTEST_SKIP() << "setpriv is needed to drop root";
    // A copy inside the scratch folder, which "nobody" can reach wherever the build is.
    const std::string copy = dir + "/fwassign";
    ASSERT_EQ(std::system(("cp '" + ProgramPath() + "' '" + copy + "' && chmod 755 '" + copy + "'").c_str()), 0);
    run = RunIn(dir, "setpriv", "", "--reuid=65534 --regid=65534 --clear-groups '" + copy + "'");
  }
  EXPECT_EQ(run.exit_status, 1);
  EXPECT_EQ(run.error, "../output/output.txt: cannot open the run log for writing: Permission denied\n");
  EXPECT_FALSE(run.output_exists);
}

}  // namespace
}  // namespace fw
