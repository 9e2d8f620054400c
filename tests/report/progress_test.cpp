// The progress line: the program run on a pseudo-terminal shows one line that
// is rewritten in place and ended with a line break, with the last step, the
// iteration limit and the objective rule, while the run log and the result
// file stay byte for byte those of a run whose standard error is redirected,
// which shows nothing.
#include <gtest/gtest.h>
#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>

#include "support/support.h"

namespace fw {
namespace {

// Runs `program` in run/ of `dir` with its standard streams on a pseudo-terminal;
// returns what the terminal received, or "exit N" text on a failed exit.
std::string RunOnTerminal(const std::string& dir, const std::string& program) {
  int terminal = -1;
  const pid_t pid = forkpty(&terminal, nullptr, nullptr, nullptr);
  if (pid == 0) {
    if (chdir((dir + "/run").c_str()) == 0) execl(program.c_str(), program.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  EXPECT_GT(pid, 0);
  std::string shown;
  char buffer[4096];
  for (ssize_t got; (got = read(terminal, buffer, sizeof buffer)) > 0;) shown.append(buffer, static_cast<std::size_t>(got));
  close(terminal);
  int status = 0;
  waitpid(pid, &status, 0);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << shown;
  return shown;
}

// Sioux Falls as shipped: MaxIteration 1000, ObjectError 0.0001 percent, which stops it after 260 steps.
std::string SiouxFallsInput() {
  std::string input;
  EXPECT_TRUE(ReadFile(TestSourceDir() + "/../data/SiouxFalls/input.txt", &input));
  return input;
}

// The terminal receives one line, rewritten after carriage returns, whose last
// state is step 260 of 1000 (the run log's objective, its change and the rule's
// tolerance), and one line break (CR LF on the terminal) at the end.
TEST(Progress, OneLineRewrittenOnATerminal) {
  const std::string dir = ScratchDir();
  WriteFile(dir + "/output/input.txt", SiouxFallsInput());
  const std::string shown = RunOnTerminal(dir, ProgramPath());
  ASSERT_GE(shown.size(), 2u);
  EXPECT_EQ(shown.substr(shown.size() - 2), "\r\n");
  EXPECT_EQ(shown.find('\n'), shown.size() - 1) << shown;
  EXPECT_EQ(shown.rfind("\rstep 1/1000  objective ", 0), 0u) << shown;
  const std::string last = shown.substr(shown.rfind('\r', shown.size() - 3) + 1);
  EXPECT_EQ(last.rfind("step 260/1000  objective 4233198.00  change 9.449e-05% (stops at 0.0001%)  ", 0), 0u) << last;
  EXPECT_NE(last.find(" s"), std::string::npos) << last;
}

// The run log and result file of a run on a terminal are those of a run with
// standard error redirected, which prints nothing at all.
TEST(Progress, FilesUnchangedAndSilentWithoutATerminal) {
  const std::string input = SiouxFallsInput();
  const ProgramRun quiet = RunProgram(FixedClockProgramPath(), &input);
  ASSERT_EQ(quiet.exit_status, 0);
  EXPECT_EQ(quiet.error, "");
  EXPECT_EQ(quiet.printed, "");
  const std::string dir = ScratchDir();
  WriteFile(dir + "/output/input.txt", input);
  EXPECT_NE(RunOnTerminal(dir, FixedClockProgramPath()).find("step 260/1000"), std::string::npos);
  std::string output, result;
  ASSERT_TRUE(ReadFile(dir + "/output/output.txt", &output));
  ASSERT_TRUE(ReadFile(dir + "/output/result.txt", &result));
  EXPECT_EQ(output, quiet.output);
  EXPECT_EQ(result, quiet.result);
}

}  // namespace
}  // namespace fw
