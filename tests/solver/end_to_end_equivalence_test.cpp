// The program against the reference program (the run as first written: plain
// route trees, one tree per pair or per run of pairs, the plain bisection, the
// objective evaluated everywhere the run sequence names it, powers taken
// afresh), both on the fixed clock: the same run log, result file, messages
// and exit status, byte for byte, on generated networks of several sizes and
// on the shipped ones.
#include <gtest/gtest.h>

#include <algorithm>

#include "network/tables.h"
#include "performance/performance.h"
#include "reference/reference.h"
#include "support/generated_network.h"
#include "support/support.h"

namespace fw {
namespace {

// Runs both programs on `input` and compares everything they leave; returns
// the program's exit status.
int ExpectSameRun(const std::string& input, const std::string& what) {
  const ProgramRun fast = RunProgram(FixedClockProgramPath(), &input);
  const ProgramRun plain = RunProgram(PlainProgramPath(), &input);
  EXPECT_EQ(fast.exit_status, plain.exit_status) << what;
  EXPECT_EQ(fast.error, plain.error) << what;
  EXPECT_EQ(fast.output_exists, plain.output_exists) << what;
  EXPECT_EQ(fast.result_exists, plain.result_exists) << what;
  EXPECT_TRUE(fast.output == plain.output) << what << ": run logs differ";
  EXPECT_TRUE(fast.result == plain.result) << what << ": result files differ";
  return fast.exit_status;
}

std::string Generated(std::uint32_t seed, const NetworkShape& shape) {
  ResetTables();
  GenerateNetwork(seed, shape);
  return InputText();
}

// Grids from 3 x 3 to 25 x 25 with links sorted by tail, OD lists grouped by
// origin and interleaved: every run completes and both programs agree.
TEST(EndToEndEquivalence, GeneratedNetworksOfSeveralSizes) {
  const NetworkShape shapes[] = {
      {3, 3, 30, 6, 3, false, false, false, 30},
      {8, 8, 300, 40, 12, false, false, false, 25},
      {8, 8, 300, 40, 12, true, false, false, 25},
      {25, 25, 2700, 250, 80, false, false, false, 15},
      {25, 25, 2700, 250, 80, true, false, false, 15},
  };
  std::uint32_t seed = 1;
  for (const NetworkShape& shape : shapes) {
    const std::string what = "grid " + std::to_string(shape.columns) + "x" + std::to_string(shape.rows) +
                             (shape.interleaved ? " interleaved" : " grouped");
    const std::string input = Generated(seed++, shape);
    const ProgramRun run = RunProgram(FixedClockProgramPath(), &input);
    ASSERT_EQ(run.exit_status, 0) << what << ": " << run.error;
    ExpectSameRun(input, what);
  }
}

// Links in random order (a node's links in several runs) and links of cost
// types 0 and 2 among the BPR links.
TEST(EndToEndEquivalence, ShuffledLinksAndMixedCostTypes) {
  for (std::uint32_t seed = 10; seed < 14; ++seed) {
    const NetworkShape shape{12, 10, 560, 90, 25, seed % 2 == 0, true, true, 20};
    ExpectSameRun(Generated(seed, shape), "seed " + std::to_string(seed));
  }
}

// Networks built like real ones, 120 nodes: every combination of node numbers
// unrelated to position or not, links in random order or sorted by tail, OD
// lists interleaved or grouped, BPR costs from 1 to 40 beside type-0 links
// costing about 5e-4 or constant costs from 1e-4 to 200,000, and every t0
// scaled so that labels exceed 2^24 or not; most have arterials and 5 % links
// of cost 0. Every run completes and both programs agree. The tallies check
// that the traits are there (1 % of a wide network's links are cheap, so not
// every one has them; labels above 2^24 need the larger scale).
TEST(EndToEndEquivalence, NetworksBuiltLikeRealOnes) {
  int zero = 0;    // networks with links of cost 0
  int cheap = 0;   // networks with links costing more than 0 and less than 1e-3
  int large = 0;   // networks whose first tree has labels above 2^24
  for (int i = 0; i < 32; ++i) {
    NetworkShape shape{12, 10, 560, 90, 10 + 3 * i, (i & 1) != 0, (i & 2) != 0, false, 10};
    shape.permuted = (i & 4) != 0;
    shape.costs = (i & 8) != 0 ? Costs::Wide : Costs::Realistic;
    shape.type0 = shape.costs == Costs::Realistic ? 6 : 0;
    shape.zero_cost = 5;
    shape.arterials = i % 3 == 0 ? 0 : 25;
    if ((i & 16) != 0) shape.scale = shape.costs == Costs::Wide ? 1024.0f : 1048576.0f;
    const std::string input = Generated(100 + static_cast<std::uint32_t>(i), shape);
    LinkCostUpdate();
    zero += std::any_of(LinkCost, LinkCost + LinkNumber, [](float c) { return c == 0.0f; }) ? 1 : 0;
    cheap += std::any_of(LinkCost, LinkCost + LinkNumber, [](float c) { return c > 0.0f && c < 0.001f; }) ? 1 : 0;
    PlainMcr(Origin[0]);
    large += std::any_of(TimeToNode, TimeToNode + NodeNum, [](float t) { return t > 16777216.0f && t < Unreached; }) ? 1 : 0;
    const std::string what = "network " + std::to_string(i);
    EXPECT_EQ(ExpectSameRun(input, what), 0) << what;
  }
  EXPECT_EQ(zero, 32);
  EXPECT_GE(cheap, 16);
  EXPECT_GE(large, 8);
}

// The shipped Sioux Falls and Anaheim inputs, run to their own stopping rules.
TEST(EndToEndEquivalence, ShippedNetworks) {
  for (const char* name : {"SiouxFalls", "Anaheim"}) {
    std::string input;
    ASSERT_TRUE(ReadFile(TestSourceDir() + "/../data/" + name + "/input.txt", &input)) << name;
    ExpectSameRun(input, name);
  }
}

// A destination no route reaches (node 9 has no links in): both programs stop
// with the same message and status, in the initial loading.
TEST(EndToEndEquivalence, UnreachableDestination) {
  ResetTables();
  GenerateNetwork(5, NetworkShape{3, 3, 24, 6, 3, true, false, false, 10});
  NodeNum = 10;
  AddOdPair(Origin[0], 9, 1.0f);
  const std::string input = InputText();
  const ProgramRun run = RunProgram(FixedClockProgramPath(), &input);
  EXPECT_EQ(run.exit_status, 1);
  EXPECT_NE(run.error.find("OD record 6"), std::string::npos) << run.error;
  ExpectSameRun(input, "unreachable");
}

}  // namespace
}  // namespace fw
