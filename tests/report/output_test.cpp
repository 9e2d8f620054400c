// The run log and result file: the header bytes, the result file's shape and
// its replacement, and failed opens, writes and renames, each ending the run
// with one message and exit status 1 rather than a silent success.
#include <dirent.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "report/fixed_format.h"
#include "report/report.h"
#include "support/support.h"

namespace fw {
namespace {

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
// The lines written without printf are printf's, byte for byte: every
// conversion of the program's formats, on values of every magnitude and
// kind, halfway cases of the last decimal (which printf rounds to even) and
// the extreme whole numbers.
TEST(RunLogFormat, FixedFormatIsPrintfs) {
  std::mt19937_64 random(20261208);
  std::vector<double> reals = {0.0, -0.0, 0.125, 0.375, 2.5, -2.5, 0.0000005, 1e-300, 5e-324, 1e300, -1e308, 123456789.125, 0.3,
                               std::numeric_limits<double>::infinity(), -std::numeric_limits<double>::infinity(),
                               std::numeric_limits<double>::quiet_NaN(), -std::numeric_limits<double>::quiet_NaN()};
  for (int k = 0; k < 3000; ++k) {
    double x = 0.0;
    const std::uint64_t bits = random();
    std::memcpy(&x, &bits, sizeof x);
    reals.push_back(x);
    reals.push_back(static_cast<double>(static_cast<float>(std::ldexp(static_cast<double>(random() % 100000), static_cast<int>(random() % 60) - 40))));
    reals.push_back(static_cast<double>(random() % 2000001) / 8.0 - 125000.0);  // ties at one, two and three decimals
  }
  const std::vector<int> wholes = {0, -1, 7, 12345, std::numeric_limits<int>::max(), std::numeric_limits<int>::min()};
  const char* const formats[] = {LogIteration, LogTableRow, ResultRow, "%.0f|%.9f|%d|%f|%.3f|%.1f|%.4f|%.6f"};
  char expected[FormatRoom];
  char written[FormatRoom];
  for (std::size_t k = 0; k < reals.size(); ++k) {
    const int n = wholes[k % wholes.size()];
    const double a = reals[k];
    const double b = reals[(k * 7 + 1) % reals.size()];
    const double c = reals[(k * 13 + 2) % reals.size()];
    const double d = reals[(k * 31 + 3) % reals.size()];
    const double e = reals[(k * 61 + 4) % reals.size()];
    const auto check = [&](const char* format, std::size_t length, int printed) {
      ASSERT_EQ(std::string(written, length), std::string(expected, static_cast<std::size_t>(printed))) << format << " " << a;
    };
    check(formats[0], FormatFixed(written, formats[0], {n, a, b, c, d, e}), std::snprintf(expected, FormatRoom, formats[0], n, a, b, c, d, e));
    check(formats[1], FormatFixed(written, formats[1], {n, n / 3, 5, a, b}), std::snprintf(expected, FormatRoom, formats[1], n, n / 3, 5, a, b));
    check(formats[2], FormatFixed(written, formats[2], {n, a, b}), std::snprintf(expected, FormatRoom, formats[2], n, a, b));
    check(formats[3], FormatFixed(written, formats[3], {a, b, n, c, d, e, a, b}), std::snprintf(expected, FormatRoom, formats[3], a, b, n, c, d, e, a, b));
  }
}

TEST(ResultFile, ThreeLinesWithoutAFinalLineBreak) {
  const ProgramRun run = RunProgram(FixedClockProgramPath(), &TwoLinkInput);
  ASSERT_EQ(run.exit_status, 0);
  EXPECT_EQ(std::count(run.result.begin(), run.result.end(), '\n'), 2);
  EXPECT_EQ(run.result.substr(run.result.size() - 3), "1  ");
}

// The names in a folder, sorted, without "." and "..".
std::vector<std::string> Entries(const std::string& dir) {
  std::vector<std::string> names;
  DIR* folder = opendir(dir.c_str());
  if (folder == nullptr) return names;
  while (const dirent* entry = readdir(folder)) {
    const std::string name = entry->d_name;
    if (name != "." && name != "..") names.push_back(name);
  }
  closedir(folder);
  std::sort(names.begin(), names.end());
  return names;
}

const std::vector<std::string> InputAndOutputs = {"input.txt", "output.txt", "result.txt"};

// Runs the program in `dir` without the power of root, which writes anywhere:
// as the unprivileged user "nobody" (uid 65534) when the tests run as root.
// False when that is impossible here.
bool RunUnprivileged(const std::string& dir, ProgramRun* run) {
  if (geteuid() != 0) {
    *run = RunIn(dir, ProgramPath());
    return true;
  }
  if (std::system("setpriv --version > /dev/null 2>&1") != 0) return false;
  // A copy inside the scratch folder, which "nobody" can reach wherever the build is.
  const std::string copy = dir + "/fwassign";
  if (std::system(("cp '" + ProgramPath() + "' '" + copy + "' && chmod 755 '" + copy + "'").c_str()) != 0) return false;
  *run = RunIn(dir, "setpriv", "", "--reuid=65534 --regid=65534 --clear-groups '" + copy + "'");
  return true;
}

// A run log that cannot be written (a full disk) fails the run after the
// result is written, with one message.
TEST(WriteFailure, FullDiskIsReported) {
  const std::string dir = ScratchDir();
  WriteFile(dir + "/output/input.txt", TwoLinkInput);
  ASSERT_EQ(symlink("/dev/full", (dir + "/output/output.txt").c_str()), 0);
  const ProgramRun run = RunIn(dir, ProgramPath());
  EXPECT_EQ(run.exit_status, 1);
  EXPECT_EQ(run.error, "../output/output.txt: writing failed: No space left on device\n");
}

// A run log path that cannot be opened (a directory): one message, status 1.
TEST(WriteFailure, UnopenableRunLogIsReported) {
  const std::string dir = ScratchDir();
  WriteFile(dir + "/output/input.txt", TwoLinkInput);
  ASSERT_EQ(mkdir((dir + "/output/output.txt").c_str(), 0755), 0);
  const ProgramRun run = RunIn(dir, ProgramPath());
  EXPECT_EQ(run.exit_status, 1);
  EXPECT_EQ(run.error, "../output/output.txt: cannot open the run log for writing: Is a directory\n");
}

// A result.txt that is a directory, empty or not, cannot be replaced: one
// message naming result.txt, status 1, the directory untouched and no
// temporary file left behind.
TEST(WriteFailure, ResultDirectoryIsNotReplaced) {
  for (const bool empty : {true, false}) {
    const std::string dir = ScratchDir();
    WriteFile(dir + "/output/input.txt", TwoLinkInput);
    ASSERT_EQ(mkdir((dir + "/output/result.txt").c_str(), 0755), 0);
    if (!empty) WriteFile(dir + "/output/result.txt/kept.txt", "kept");
    const ProgramRun run = RunIn(dir, ProgramPath());
    EXPECT_EQ(run.exit_status, 1) << empty;
    EXPECT_EQ(run.error, "../output/result.txt: cannot be replaced by the new result: Is a directory\n") << empty;
    EXPECT_EQ(Entries(dir + "/output"), InputAndOutputs) << empty;
    EXPECT_EQ(Entries(dir + "/output/result.txt"), empty ? std::vector<std::string>{} : std::vector<std::string>{"kept.txt"});
  }
}

// A result that cannot be written in full (the file size limit stands in for
// a full disk; the signal it raises is ignored, so the write fails) leaves
// the old result.txt whole and no temporary file behind.
TEST(WriteFailure, FailedResultWriteKeepsTheOldResult) {
  std::string input = "0.01 0.5 1 200 2 1\n0 1 100\n";
  for (int l = 0; l < 200; ++l) input += std::to_string(l) + " 0 1 10 50 0.15 4 1\n";
  const std::string dir = ScratchDir();
  WriteFile(dir + "/output/input.txt", input);
  WriteFile(dir + "/output/result.txt", "result of an earlier run");
  // Two blocks: room for the message on standard error, not for 200 result lines.
  const ProgramRun run =
      RunIn(dir, "sh", "", "-c 'trap \"\" XFSZ; ulimit -f 2 && exec \"" + ProgramPath() + "\"'");
  EXPECT_EQ(run.exit_status, 1);
  EXPECT_EQ(run.error, "../output/result.txt: writing failed: File too large\n");
  EXPECT_EQ(run.result, "result of an earlier run");
  EXPECT_EQ(Entries(dir + "/output"), InputAndOutputs);
}

// A result.txt that is a link is replaced by the new file, as any file is;
// the link's target, here an ordinary file and /dev/full, stays untouched.
TEST(ResultFile, LinkIsReplacedAndItsTargetKept) {
  for (const std::string target : {"target.txt", "/dev/full"}) {
    const std::string dir = ScratchDir();
    WriteFile(dir + "/output/input.txt", TwoLinkInput);
    WriteFile(dir + "/target.txt", "target of the link");
    const std::string path = target[0] == '/' ? target : dir + "/" + target;
    ASSERT_EQ(symlink(path.c_str(), (dir + "/output/result.txt").c_str()), 0);
    const ProgramRun run = RunIn(dir, FixedClockProgramPath());
    EXPECT_EQ(run.exit_status, 0) << target << run.error;
    struct stat info;
    ASSERT_EQ(lstat((dir + "/output/result.txt").c_str(), &info), 0);
    EXPECT_TRUE(S_ISREG(info.st_mode)) << target;
    std::string golden;
    ASSERT_TRUE(ReadFile(TestSourceDir() + "/golden/two_links/result.txt", &golden));
    EXPECT_EQ(run.result, golden) << target;
    std::string kept;
    EXPECT_TRUE(ReadFile(dir + "/target.txt", &kept));
    EXPECT_EQ(kept, "target of the link");
    EXPECT_EQ(Entries(dir + "/output"), InputAndOutputs) << target;
  }
}

// A new result file gets the permissions of any new file, 0666 less the
// umask, and no temporary file outlives the run.
TEST(ResultFile, OrdinaryPermissionsAndNoTemporaryLeft) {
  for (const mode_t mask : {022, 002}) {
    const std::string dir = ScratchDir();
    WriteFile(dir + "/output/input.txt", TwoLinkInput);
    char umask_text[8];
    std::snprintf(umask_text, sizeof umask_text, "%03o", static_cast<unsigned>(mask));
    const ProgramRun run =
        RunIn(dir, "sh", "", "-c 'umask " + std::string(umask_text) + " && exec \"" + ProgramPath() + "\"'");
    EXPECT_EQ(run.exit_status, 0) << run.error;
    struct stat info;
    ASSERT_EQ(stat((dir + "/output/result.txt").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0666 & ~mask) << umask_text;
    EXPECT_EQ(Entries(dir + "/output"), InputAndOutputs);
  }
}

// An output folder without write permission: the run log cannot be created.
TEST(WriteFailure, ReadOnlyFolderIsReported) {
  const std::string dir = ScratchDir();
  WriteFile(dir + "/output/input.txt", TwoLinkInput);
  ASSERT_EQ(chmod(dir.c_str(), 0755), 0);
  ASSERT_EQ(chmod((dir + "/output").c_str(), 0555), 0);
  ProgramRun run;
  if (!RunUnprivileged(dir, &run)) GTEST_SKIP() << "setpriv is needed to drop root";
  EXPECT_EQ(run.exit_status, 1);
  EXPECT_EQ(run.error, "../output/output.txt: cannot open the run log for writing: Permission denied\n");
  EXPECT_FALSE(run.output_exists);
}

// A read-only folder whose run log is writable: the log is written, but the
// result's temporary file cannot be created beside result.txt, which stays
// as it was.
TEST(WriteFailure, ResultThatCannotBeStagedKeepsTheOldResult) {
  const std::string dir = ScratchDir();
  WriteFile(dir + "/output/input.txt", TwoLinkInput);
  WriteFile(dir + "/output/output.txt", "");
  WriteFile(dir + "/output/result.txt", "result of an earlier run");
  ASSERT_EQ(chmod(dir.c_str(), 0755), 0);
  ASSERT_EQ(chmod((dir + "/output/output.txt").c_str(), 0666), 0);
  ASSERT_EQ(chmod((dir + "/output").c_str(), 0555), 0);
  ProgramRun run;
  if (!RunUnprivileged(dir, &run)) GTEST_SKIP() << "setpriv is needed to drop root";
  EXPECT_EQ(run.exit_status, 1);
  EXPECT_EQ(run.error, "../output/result.txt: cannot create a temporary file beside it: Permission denied\n");
  EXPECT_EQ(run.result, "result of an earlier run");
  EXPECT_NE(run.output.find("\n MaxError 0.010000 TranslinkVolume 0.00"), std::string::npos);
}

}  // namespace
}  // namespace fw
