// Hostile input end to end on the built program: files made by other tools,
// by hand or by accident. Each is either solved, with nothing non-finite in
// the result, or stopped with exactly one line on standard error and exit
// status 1; never a crash, a signal or a hang (a watchdog kills a run that
// takes minutes, which then fails here).
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "network/tables.h"
#include "support/support.h"

namespace fw {
namespace {

const std::string P = "../output/input.txt: ";
const std::string OldOutput = "run log of an earlier run\n";
const std::string OldResult = "result of an earlier run";

// The two-link network with one record line replaced: 0 header, 1 OD record, 2 and 3 links.
std::string TwoLinksWithLine(int line, const std::string& text) {
  std::string replaced;
  std::istringstream lines(TwoLinkInput);
  int number = 0;
  for (std::string original; std::getline(lines, original); ++number) replaced += (number == line ? text : original) + "\n";
  return replaced;
}

std::string Golden(const std::string& name) {
  std::string text;
  EXPECT_TRUE(ReadFile(TestSourceDir() + "/golden/" + name + "/result.txt", &text)) << name;
  return text;
}

// Runs the program in `dir` under a watchdog that kills it after two minutes.
ProgramRun Watched(const std::string& dir) { return RunIn(dir, "timeout", "", "-s KILL 120 '" + ProgramPath() + "'"); }

// Runs the program on `input` over the files of an earlier run.
ProgramRun RunOn(const std::string& input) {
  const std::string dir = ScratchDir();
  WriteFile(dir + "/output/input.txt", input);
  WriteFile(dir + "/output/output.txt", OldOutput);
  WriteFile(dir + "/output/result.txt", OldResult);
  return Watched(dir);
}

struct Hostile {
  const char* what;     // the kind of input, for failure messages
  std::string input;    // the whole input file
  std::string error;    // the one line expected on standard error; empty: the run must succeed
  std::string result;   // the expected result file of a solved run; empty: checked for shape only
  bool mid_run = false; // refused after the run log was opened (the result file is still kept)
};

// Checks one case: refused with its line and the old files kept, or solved
// with a result of one line per link and nothing non-finite in it.
void Check(const Hostile& c, int links) {
  const ProgramRun run = RunOn(c.input);
  if (!c.error.empty()) {
    EXPECT_EQ(run.exit_status, 1) << c.what;
    EXPECT_EQ(run.error, c.error + "\n") << c.what;
    if (!c.mid_run) {
      EXPECT_EQ(run.output, OldOutput) << c.what;
    }
    EXPECT_EQ(run.result, OldResult) << c.what;
    return;
  }
  EXPECT_EQ(run.exit_status, 0) << c.what;
  EXPECT_EQ(run.error, "") << c.what;
  EXPECT_EQ(std::count(run.result.begin(), run.result.end(), '\n'), links) << c.what;
  EXPECT_EQ(run.result.find("nan"), std::string::npos) << c.what;
  EXPECT_EQ(run.result.find("inf"), std::string::npos) << c.what;
  if (!c.result.empty()) {
    EXPECT_EQ(run.result, c.result) << c.what;
  }
}

// Files that are empty, blank, or stop after the header.
TEST(HostileInput, EmptyAndTruncatedFiles) {
  const std::vector<Hostile> cases = {
      {"empty file", "", P + "the file ends in header, before field MaxError", ""},
      {"blanks only", " \t\r\n\v\f\n", P + "the file ends in header, before field MaxError", ""},
      {"header alone", "0.01 0.5 100 2 2 1\n", P + "the file ends in OD record 0, before field Origin", ""},
      {"header cut short", "0.01 0.5 100", P + "the file ends in header, before field LinkNumber", ""},
  };
  for (const Hostile& c : cases) Check(c, 2);
}

// Counts far beyond the tables or beyond 32 bits; a huge iteration limit is
// harmless because the run converges first.
TEST(HostileInput, HugeCounts) {
  const std::vector<Hostile> cases = {
      {"LinkNumber at INT_MAX", "0.01 0.5 100 2147483647 2 1\n",
       P + "header, field LinkNumber: 2147483647 exceeds the table capacity of " + std::to_string(MaxLinks) + " links", ""},
      {"NodeNum at INT_MAX", "0.01 0.5 100 2 2147483647 1\n",
       P + "header, field NodeNum: 2147483647 exceeds the table capacity of " + std::to_string(MaxNodes) + " nodes", ""},
      {"OdpairNum past 32 bits", "0.01 0.5 100 2 2 99999999999999999999\n",
       P + "header, field OdpairNum: \"99999999999999999999\" does not fit a 32-bit whole number", ""},
      {"MaxIteration at INT_MAX", TwoLinksWithLine(0, "0.01 0.5 2147483647 2 2 1"), "", Golden("two_links")},
  };
  for (const Hostile& c : cases) Check(c, 2);
}

// A negative value in each field in turn: counts, nodes and link numbers are
// refused by the reader, a negative free-flow time or a cost pushed below 0
// by the cost check, a negative exponent because it makes a zero-volume cost
// infinite; the rest are solved as the cost families define them.
TEST(HostileInput, NegativeValueInEveryField) {
  const std::string no_steps = Golden("no_steps");
  const std::vector<Hostile> cases = {
      // Neither rule can hold, so the run takes all 5 steps; checked for shape.
      {"MaxError and ObjectError", TwoLinksWithLine(0, "-0.01 -0.5 5 2 2 1"), "", ""},
      // No step is taken: the initial loading is the result.
      {"MaxIteration", TwoLinksWithLine(0, "0.01 0.5 -5 2 2 1"), "", no_steps},
      {"LinkNumber", TwoLinksWithLine(0, "0.01 0.5 100 -2 2 1"), P + "header, field LinkNumber: -2 is negative", ""},
      {"NodeNum", TwoLinksWithLine(0, "0.01 0.5 100 2 -2 1"), P + "header, field NodeNum: -2 is negative", ""},
      {"OdpairNum", TwoLinksWithLine(0, "0.01 0.5 100 2 2 -1"), P + "header, field OdpairNum: -1 is negative", ""},
      {"Origin", TwoLinksWithLine(1, "-1 1 100"),
       P + "OD record 0, field Origin: node -1 is out of range: expected 0..1 (NodeNum is 2)", ""},
      {"Dest", TwoLinksWithLine(1, "0 -1 100"),
       P + "OD record 0, field Dest: node -1 is out of range: expected 0..1 (NodeNum is 2)", ""},
      // -100 trips on link 0 (cost 10 (1 + 0.15 (-2)^4) = 34, objective -1000 (1 + 0.03 * 16));
      // the non-negativity limit cuts the first step to 0 and the objective rule stops the run.
      {"TripVol", TwoLinksWithLine(1, "0 1 -100"), "", "-1480.000  \n0\t-100.000000\t34.000  \n1\t0.000000\t20.000  "},
      {"LinkNum", TwoLinksWithLine(2, "-1 0 1 10 50 0.15 4 1"),
       P + "link record 0, field LinkNum: -1 differs from the record position 0", ""},
      {"LinkOrigin", TwoLinksWithLine(2, "0 -1 1 10 50 0.15 4 1"),
       P + "link record 0, field LinkOrigin: node -1 is out of range: expected 0..1 (NodeNum is 2)", ""},
      {"LinkDest", TwoLinksWithLine(2, "0 0 -1 10 50 0.15 4 1"),
       P + "link record 0, field LinkDest: node -1 is out of range: expected 0..1 (NodeNum is 2)", ""},
      {"TravelTime", TwoLinksWithLine(2, "0 0 1 -10 50 0.15 4 1"),
       "link 0 (0 -> 1) has the negative cost -10 before the first loading; route search needs costs of 0 or more", ""},
      {"Capacity of a type-1 link", TwoLinksWithLine(2, "0 0 1 10 -50 0.15 4 1"),
       P + "link record 0, field Capacity: a type-1 link needs a capacity above 0, found -50", ""},
      // A type-0 link with a negative capacity always costs its penalty.
      {"Capacity of a type-0 link", TwoLinksWithLine(2, "0 0 1 10 -50 0.15 4 0"), "", ""},
      // A negative coefficient lowers the cost with the volume: solved while
      // costs stay at 0 or more, refused once 100 trips make it 10 (1 - 0.15 * 16).
      {"a, small", TwoLinksWithLine(2, "0 0 1 10 50 -0.01 4 1"), "", ""},
      {"a, large", TwoLinksWithLine(2, "0 0 1 10 50 -0.15 4 1"),
       "link 0 (0 -> 1) has the negative cost -14 after the initial loading; route search needs costs of 0 or more", "", true},
      {"b", TwoLinksWithLine(2, "0 0 1 10 50 0.15 -4 1"),
       "link 0 (0 -> 1) has a non-finite cost inf before the first loading", ""},
      // Any type other than 0 and 1 is the third family.
      {"LinkCFType", TwoLinksWithLine(2, "0 0 1 10 50 0.15 4 -1"), "", ""},
  };
  for (const Hostile& c : cases) Check(c, 2);
}

// Values near the single-precision limits and exponents beyond them: refused
// when read, refused when the run turns them non-finite (naming the moment
// and the link), or solved when they stay finite.
TEST(HostileInput, SinglePrecisionLimits) {
  const std::vector<Hostile> cases = {
      {"overflowing trips", TwoLinksWithLine(1, "0 1 1e39"),
       P + "OD record 0, field TripVol: \"1e39\" is not a finite single-precision number", ""},
      {"overflowing negative capacity", TwoLinksWithLine(2, "0 0 1 10 -1e39 0.15 4 1"),
       P + "link record 0, field Capacity: \"-1e39\" is not a finite single-precision number", ""},
      {"exponent with hundreds of digits", TwoLinksWithLine(1, "0 1 1e" + std::string(300, '9')),
       P + "OD record 0, field TripVol: \"1e" + std::string(38, '9') + "...\" is not a finite single-precision number", ""},
      // 1e-50 rounds to 0, which a type-1 link cannot have as capacity.
      {"underflowing capacity", TwoLinksWithLine(2, "0 0 1 10 1e-50 0.15 4 1"),
       P + "link record 0, field Capacity: a type-1 link needs a capacity above 0, found 0", ""},
      // t0 v = 10 * 1e38 overflows in the first term of the objective.
      {"1e38 trips", TwoLinksWithLine(1, "0 1 1e38"),
       "the objective is non-finite (inf) after the initial loading: its sum first turns non-finite at link 0 (0 -> 1)", ""},
      // Two pairs of 3e38 trips both take link 0, whose volume overflows.
      {"trips that overflow when added", "0.01 0.5 100 2 2 2\n0 1 3e38\n0 1 3e38\n0 0 1 10 50 0.15 4 1\n1 0 1 20 80 0.15 4 1\n",
       "link 0 (0 -> 1) has a non-finite volume inf after the initial loading", ""},
      // (v/c)^1e38 overflows once link 0 carries 100 trips on a capacity of 50.
      {"exponent 1e38", TwoLinksWithLine(2, "0 0 1 10 50 0.15 1e38 1"),
       "the objective is non-finite (inf) after the initial loading: its sum first turns non-finite at link 0 (0 -> 1)", ""},
      // 1 / (c - 0) overflows on the smallest subnormal capacity.
      {"subnormal type-0 capacity", TwoLinksWithLine(2, "0 0 1 10 1e-45 0.15 4 0"),
       "link 0 (0 -> 1) has a non-finite cost inf before the first loading", ""},
      // Step 1 moves about 1e-4 trips onto link 1, whose (v/c)^8 on a capacity of 1e-10 overflows.
      {"cost overflowing during the run", TwoLinksWithLine(3, "1 0 1 20 1e-10 0.15 8 1"),
       "link 1 (0 -> 1) has a non-finite cost inf after iteration 1", "", true},
      // Capacities of 1e38 and 1e-38: link 0 costs exactly 10, all trips stay
      // there, the step moves nothing and the transferred-volume rule stops the run.
      {"capacities near the limits", "0.01 0.5 100 2 2 1\n0 1 100\n0 0 1 10 1e38 0.15 4 1\n1 0 1 20 1e-38 0.15 4 1\n", "",
       "1000.000  \n0\t100.000000\t10.000  \n1\t0.000000\t20.000  "},
      // MaxError 1e38 holds before any step: the initial loading is the result.
      {"MaxError 1e38", TwoLinksWithLine(0, "1e38 0.5 100 2 2 1"), "", Golden("no_steps")},
      {"ObjectError 1e38", TwoLinksWithLine(0, "0.01 1e38 100 2 2 1"), "", ""},
  };
  for (const Hostile& c : cases) Check(c, 2);
}

// Bytes that are not text, a 10 MB token, and byte-order marks.
TEST(HostileInput, GarbageHugeTokensAndByteOrderMarks) {
  std::mt19937 random(20261208);
  std::string noise;
  for (int i = 0; i < 4096; ++i) noise += static_cast<char>(random() & 0xff);
  const std::string token(10 << 20, '7');
  const std::string bom = "\xef\xbb\xbf";
  const std::vector<Hostile> cases = {
      {"binary bytes", "\xff\xfe\x01garbage 2 3", P + "header, field MaxError: expected a number, found \"\\xff\\xfe\\x01garbage\"", ""},
      {"a NUL byte", std::string("0.01") + '\0' + " 0.5 100 2 2 1", P + "header, field MaxError: expected a number, found a token with a NUL byte", ""},
      {"10 MB token", token, P + "header, field MaxError: a token of more than 400 bytes is not a number", ""},
      {"10 MB token in a link", TwoLinksWithLine(3, "1 0 1 20 " + token), P + "link record 1, field Capacity: a token of more than 400 bytes is not a number", ""},
      {"10 MB of blanks between records", TwoLinksWithLine(1, std::string(10 << 20, ' ') + "0 1 100"), "", Golden("two_links")},
      {"byte-order mark", bom + TwoLinkInput, "", Golden("two_links")},
      {"byte-order mark and CRLF", bom + "0.01 0.5 100 2 2 1\r\n0 1 100\r\n0 0 1 10 50 0.15 4 1\r\n1 0 1 20 80 0.15 4 1\r\n", "", Golden("two_links")},
      {"byte-order mark alone", bom, P + "the file ends in header, before field MaxError", ""},
      {"byte-order mark inside", TwoLinksWithLine(1, bom + "0 1 100"), P + "OD record 0, field Origin: expected a whole number, found \"\\xef\\xbb\\xbf0\"", ""},
  };
  for (const Hostile& c : cases) Check(c, 2);

  // Seeded noise: the first token cannot be read as MaxError.
  const ProgramRun run = RunOn(noise);
  EXPECT_EQ(run.exit_status, 1);
  EXPECT_EQ(run.error.rfind(P + "header, field MaxError: ", 0), 0u) << run.error;
  EXPECT_EQ(std::count(run.error.begin(), run.error.end(), '\n'), 1);
  EXPECT_EQ(run.result, OldResult);
}

// The input path names a directory: opening succeeds on Linux, reading fails,
// and the message says so.
TEST(HostileInput, InputIsADirectory) {
  const std::string dir = ScratchDir();
  ASSERT_EQ(mkdir((dir + "/output/input.txt").c_str(), 0755), 0);
  const ProgramRun run = Watched(dir);
  EXPECT_EQ(run.exit_status, 1);
  EXPECT_EQ(run.error, P + "cannot be read: Is a directory\n");
  EXPECT_FALSE(run.output_exists);
  EXPECT_FALSE(run.result_exists);
}

// An input that never ends (a link to /dev/zero) is refused at its first
// token instead of being read for ever.
TEST(HostileInput, EndlessInputIsRefusedAtOnce) {
  const std::string dir = ScratchDir();
  ASSERT_EQ(symlink("/dev/zero", (dir + "/output/input.txt").c_str()), 0);
  const ProgramRun run = Watched(dir);
  EXPECT_EQ(run.exit_status, 1);
  EXPECT_EQ(run.error, P + "header, field MaxError: a token of more than 400 bytes is not a number\n");
  EXPECT_FALSE(run.output_exists);
}

}  // namespace
}  // namespace fw
