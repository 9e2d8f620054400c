// The whole run end to end on the built program: the two-link example figure
// by figure, each stop message and its precedence, the iteration limit, an
// empty network, and the two faults the run refuses (an unreachable
// destination, a negative link cost).
#include <gtest/gtest.h>

#include <regex>

#include "support/support.h"

namespace fw {
namespace {

// The two-link example with other run parameters.
std::string TwoLinksWith(const std::string& header) {
  return header + TwoLinkInput.substr(TwoLinkInput.find('\n'));
}

ProgramRun Solve(const std::string& input) {
  const ProgramRun run = RunProgram(FixedClockProgramPath(), &input);
  EXPECT_EQ(run.exit_status, 0) << run.error;
  EXPECT_EQ(run.error, "");
  return run;
}

// The iteration lines of a run log, "   k                objective ..." each.
std::vector<std::string> IterationLines(const std::string& log) {
  std::vector<std::string> lines;
  const std::regex line("\n   [0-9]+                [^\n]*");
  for (std::sregex_iterator it(log.begin(), log.end(), line), end; it != end; ++it) lines.push_back(it->str());
  return lines;
}

// Every figure of the example: iteration 0 at 1480.00; step 1 with theta
// 0.19635 to objective 1357.30, volumes 80.3647 and 19.6353 at equal costs
// 20.0109; step 2 with theta 2^-20 (0.00000) and the transferred-volume stop.
// The whole files are compared with the golden copies, whose remaining digits
// (dif_theta, the last volume digits) were recomputed independently by
// tests/golden/two_links/check_by_hand.py.
TEST(Run, TwoLinkExampleFigureByFigure) {
  const ProgramRun run = Solve(TwoLinkInput);
  const std::vector<std::string> lines = IterationLines(run.output);
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0], "\n   0                1480.00 ");
  EXPECT_EQ(lines[1].substr(0, 61), "\n   1                1357.30         0.19635          0.00012");
  EXPECT_EQ(lines[2].substr(0, 61), "\n   2                1357.30         0.00000          0.00021");
  EXPECT_NE(run.output.find("\n MaxError 0.010000 TranslinkVolume 0.00\n"), std::string::npos);
  EXPECT_EQ(run.result, "1357.300  \n0\t80.364716\t20.011  \n1\t19.635277\t20.011  ");
  EXPECT_NE(run.output.find("\n  0       0            1           80.364716       20.0109"), std::string::npos);
  EXPECT_NE(run.output.find("\n  1       0            1           19.635277       20.0109"), std::string::npos);

  std::string golden_output, golden_result;
  ASSERT_TRUE(ReadFile(TestSourceDir() + "/golden/two_links/output.txt", &golden_output));
  ASSERT_TRUE(ReadFile(TestSourceDir() + "/golden/two_links/result.txt", &golden_result));
  EXPECT_EQ(run.output, golden_output);
  EXPECT_EQ(run.result, golden_result);
}

// MaxIteration 0: no step; the iteration-limit message; the initial
// all-or-nothing volumes with costs re-evaluated on them (34 and 20).
TEST(Run, NoStepsReportsTheInitialLoading) {
  const ProgramRun run = Solve(TwoLinksWith("0.01 0.5 0 2 2 1"));
  EXPECT_EQ(IterationLines(run.output).size(), 1u);
  EXPECT_NE(run.output.find("\n   0                1480.00 \n Reach MaxIter\n\n\n"), std::string::npos);
  EXPECT_EQ(run.result, "1480.000  \n0\t100.000000\t34.000  \n1\t0.000000\t20.000  ");
  std::string golden;
  ASSERT_TRUE(ReadFile(TestSourceDir() + "/golden/no_steps/output.txt", &golden));
  EXPECT_EQ(run.output, golden);
}

// The objective changes by 8.3 % in step 1: within a tolerance of 10 % the
// run stops there with the objective message showing the tolerance itself.
TEST(Run, StopsByTheObjectiveRule) {
  const ProgramRun run = Solve(TwoLinksWith("0.01 10 100 2 2 1"));
  EXPECT_EQ(IterationLines(run.output).size(), 2u);
  EXPECT_NE(run.output.find("\n ObjectError 10.00000\n\n\n"), std::string::npos);
}

// With both rules disabled the run takes MaxIteration steps and says so.
TEST(Run, StopsByTheIterationLimit) {
  const ProgramRun run = Solve(TwoLinksWith("-1 -1 3 2 2 1"));
  const std::vector<std::string> lines = IterationLines(run.output);
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(lines[3].substr(0, 8), "\n   3   ");
  EXPECT_NE(run.output.find(lines[3] + "\n Reach MaxIter\n\n\n"), std::string::npos);
  EXPECT_NE(run.output.find("\n MaxError= -1.000000\n ObjectError()= -1.000000\n MaxIteration= 3\n"),
            std::string::npos);
}

// Precedence: when both rules hold the transferred-volume message wins (step 1
// moves 31.56 and changes the objective by 8.3 %); when the limit is reached
// the limit message wins over the objective rule.
TEST(Run, StopMessagePrecedence) {
  const ProgramRun both = Solve(TwoLinksWith("40 10 100 2 2 1"));
  EXPECT_EQ(IterationLines(both.output).size(), 2u);
  EXPECT_NE(both.output.find("\n MaxError 40.000000 TranslinkVolume 31.56\n"), std::string::npos);
  const ProgramRun limit = Solve(TwoLinksWith("0.01 10 1 2 2 1"));
  EXPECT_EQ(IterationLines(limit.output).size(), 2u);
  EXPECT_NE(limit.output.find("\n Reach MaxIter\n"), std::string::npos);
}

// No links: one step (nothing to move), an empty link table, and a result
// file holding the objective 0.000 alone.
TEST(Run, EmptyNetwork) {
  const ProgramRun run = Solve("0.01 0.5 10 0 0 0\n");
  EXPECT_EQ(run.result, "0.000  ");
  std::string golden;
  ASSERT_TRUE(ReadFile(TestSourceDir() + "/golden/empty/output.txt", &golden));
  EXPECT_EQ(run.output, golden);
}

// A destination no route reaches stops the run during the initial loading,
// before the run log exists.
TEST(Run, UnreachableDestinationStopsBeforeAnyOutput) {
  const std::string input = "0.01 0.5 10 1 3 2\n0 1 5\n2 1 5\n0 0 1 1 10 0.15 4 1\n";
  const ProgramRun run = RunProgram(ProgramPath(), &input);
  EXPECT_EQ(run.exit_status, 1);
  EXPECT_EQ(run.error,
            "OD record 1 (origin 2, destination 1): the destination cannot be reached from the origin (initial "
            "loading)\n");
  EXPECT_FALSE(run.output_exists);
  EXPECT_FALSE(run.result_exists);
}

// A negative cost stops the run instead of letting route search run for ever:
// at once when the free-flow cost is negative, and after the initial loading
// when a negative coefficient turns a loaded link's cost negative.
TEST(Run, NegativeCostsStopTheRun) {
  const std::string at_start = "0.01 0.5 10 1 2 1\n0 1 5\n0 0 1 -5 50 0 0 2\n";
  const ProgramRun first = RunProgram(ProgramPath(), &at_start);
  EXPECT_EQ(first.exit_status, 1);
  EXPECT_EQ(first.error,
            "link 0 (0 -> 1) has the negative cost -4.98 before the first loading; route search needs costs of 0 or "
            "more\n");
  EXPECT_FALSE(first.output_exists);

  const std::string later = "0.01 0.5 10 2 2 1\n0 1 100\n0 0 1 10 50 -1 1 1\n1 1 0 10 50 0 1 1\n";
  const ProgramRun second = RunProgram(ProgramPath(), &later);
  EXPECT_EQ(second.exit_status, 1);
  EXPECT_EQ(second.error,
            "link 0 (0 -> 1) has the negative cost -10 after the initial loading; route search needs costs of 0 or "
            "more\n");
}

// Two links whose derivative terms overflow to +inf and -inf at the same
// trial step make the line derivative NaN: the run stops there (its sign,
// and so the logged text, would depend on the compiler) while every volume,
// cost and objective is still finite.
TEST(Run, NanLineDerivativeStopsTheRun) {
  const std::string input = "0.01 0.5 1 2 2 1\n0 1 1000\n0 0 1 1 0.25 1 10 1\n1 0 1 2 0.019 1 10 1\n";
  const ProgramRun run = RunProgram(ProgramPath(), &input);
  EXPECT_EQ(run.exit_status, 1);
  // The step lies where the second link's term starts to overflow, near 0.063.
  EXPECT_TRUE(std::regex_match(run.error, std::regex("the line derivative sums to nan at the step 0\\.063[0-9]*: a link's "
                                                     "derivative term overflows single precision \\(iteration 1\\)\n")))
      << run.error;
  EXPECT_EQ(run.output.find("nan"), std::string::npos);
  EXPECT_FALSE(run.result_exists);
}

// The real clock changes nothing but the timing figures: the same input run
// twice gives the same files once they are masked.
TEST(Run, RepeatedRunsDifferOnlyInTimings) {
  std::string input;
  ASSERT_TRUE(ReadFile(TestSourceDir() + "/../data/SiouxFalls/input.txt", &input));
  const ProgramRun first = RunProgram(ProgramPath(), &input);
  const ProgramRun second = RunProgram(ProgramPath(), &input);
  ASSERT_EQ(first.exit_status, 0);
  ASSERT_EQ(second.exit_status, 0);
  const std::regex timings("(      [0-9.]+       [0-9.]+\n|CPU TIME = [0-9.]+ )");
  EXPECT_EQ(std::regex_replace(first.output, timings, "#"), std::regex_replace(second.output, timings, "#"));
  EXPECT_EQ(first.result, second.result);
}

}  // namespace
}  // namespace fw
