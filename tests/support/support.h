// Helpers shared by the tests: building small networks in the process-wide
// tables directly, and running the built program in scratch folders.
#ifndef FW_TESTS_SUPPORT_SUPPORT_H
#define FW_TESTS_SUPPORT_SUPPORT_H

#include <cstdint>
#include <random>
#include <string>

#include "network/status.h"
#include "network/tables.h"
#include "paths/route_tree.h"  // ResetTables, the route tree counts

namespace fw {

// A draw in 0 .. n-1 from raw std::mt19937 output (distributions differ
// between standard libraries, raw output does not).
int Draw(std::mt19937& mt, int n);

// The bits of a single-precision value, for element-by-element comparisons.
std::uint32_t Bits(float x);

// Appends link LinkNumber with the given attributes and number = position.
void AddLink(int tail, int head, float t0, float capacity, float coef, float power, float type);

// Appends OD pair OdpairNum.
void AddOdPair(int origin, int dest, float trips);

// The two-link example as an input file: parallel BPR links 0->1 (t0 10 and
// 20, capacity 50 and 80, a 0.15, b 4), 100 trips from node 0 to node 1,
// MaxError 0.01, ObjectError 0.5, MaxIteration 100. Its run is in tests/golden/two_links.
inline const std::string TwoLinkInput =
    "0.01 0.5 100 2 2 1\n"
    "0 1 100\n"
    "0 0 1 10 50 0.15 4 1\n"
    "1 0 1 20 80 0.15 4 1\n";

// Adds the two-link example's network to the tables: NodeNum, its two
// links and its pair (the run parameters are left as they are).
void AddTwoLinks();

// Reads `text` as a whole input file through the reader, under the name "input.txt".
Status ReadText(const std::string& text);

// The outcome of running a program in a scratch run directory.
struct ProgramRun {
  int exit_status = -1;    // exit status, or -1 when it did not exit normally
  std::string error;       // everything written on standard error
  std::string printed;     // everything written on standard output
  std::string output;      // ../output/output.txt afterwards ("" when absent)
  std::string result;      // ../output/result.txt afterwards ("" when absent)
  bool output_exists = false;
  bool result_exists = false;
};

// A fresh scratch directory with run/ and output/ inside; removed at exit of the test process.
std::string ScratchDir();

// Writes `input` as output/input.txt of a fresh scratch directory (unless
// `input` is null), creates each of output/output.txt and output/result.txt
// that is given non-null, runs `program` in run/ and collects what it left.
ProgramRun RunProgram(const std::string& program, const std::string* input, const std::string* old_output = nullptr,
                      const std::string* old_result = nullptr, const std::string& stdin_text = "");

// Runs `program` with shell-ready `args` in run/ of an existing scratch
// directory laid out as above, feeding it `stdin_text`.
ProgramRun RunIn(const std::string& dir, const std::string& program, const std::string& stdin_text = "",
                 const std::string& args = "");

// Reads a whole regular file; false when there is none at `path`.
bool ReadFile(const std::string& path, std::string* text);
// Writes a whole file.
void WriteFile(const std::string& path, const std::string& text);

// The program under test, as built beside the tests.
std::string ProgramPath();
// The same program linked with a clock that never moves, for byte-exact logs.
std::string FixedClockProgramPath();
// The reference program (the run as first written), also on the fixed clock.
std::string PlainProgramPath();
// The source folder of the tests (for golden files and shipped data).
std::string TestSourceDir();

// How many route trees each way of building them has built so far, in this process.
struct TreeCounts {
  long long labels = TreesBuilt.label_trees;
  long long bounded = TreesBuilt.bounded_trees;
  long long passes = TreesBuilt.pass_trees;
  long long partial = TreesBuilt.partial_trees;
  long long lanes = TreesBuilt.lane_trees;
};

}  // namespace fw

#endif  // FW_TESTS_SUPPORT_SUPPORT_H
