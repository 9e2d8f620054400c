// Refused input end to end on the built program: one line on standard error,
// exit status 1, and the output files of an earlier run left as they were.
#include <gtest/gtest.h>

#include "network/tables.h"
#include "support/support.h"

namespace fw {
namespace {

const std::string OldOutput = "run log of an earlier run\n";
const std::string OldResult = "result of an earlier run";

// Runs the program on `input` over existing output files and checks the refusal.
void ExpectRefused(const std::string& input, const std::string& message) {
  const ProgramRun run = RunProgram(ProgramPath(), &input, &OldOutput, &OldResult);
  EXPECT_EQ(run.exit_status, 1) << input;
  EXPECT_EQ(run.error, message + "\n") << input;
  EXPECT_EQ(run.output, OldOutput) << input;
  EXPECT_EQ(run.result, OldResult) << input;
}

// One case of every refusal rule.
TEST(InputRejection, EachRuleStopsBeforeAnyOutputIsTouched) {
  const std::string p = "../output/input.txt: ";
  ExpectRefused("0.01 0.5 100 2 2 1\n0 1 100\n0 0 1 10 50 0.15 4 1\n",
                p + "the file ends in link record 1, before field LinkNum");
  ExpectRefused("0.01 0.5 100 2 2 1\n0 1 x\n", p + "OD record 0, field TripVol: expected a number, found \"x\"");
  ExpectRefused("0.01 0.5 100 -2 2 1\n", p + "header, field LinkNumber: -2 is negative");
  const std::string nodes = std::to_string(MaxNodes + 1);
  ExpectRefused("0.01 0.5 100 2 " + nodes + " 1\n",
                p + "header, field NodeNum: " + nodes + " exceeds the table capacity of " + std::to_string(MaxNodes) + " nodes");
  ExpectRefused("0.01 0.5 100 0 2 1\n0 5 100\n",
                p + "OD record 0, field Dest: node 5 is out of range: expected 0..1 (NodeNum is 2)");
  ExpectRefused("0.01 0.5 100 1 2 0\n3 0 1 10 50 0.15 4 1\n",
                p + "link record 0, field LinkNum: 3 differs from the record position 0");
  ExpectRefused("0.01 0.5 100 1 2 0\n0 0 1 10 50 nan 4 1\n",
                p + "link record 0, field a: \"nan\" is not a finite single-precision number");
  ExpectRefused("0.01 0.5 100 1 2.0 0\n", p + "header, field NodeNum: expected a whole number, found the real \"2.0\"");
  ExpectRefused("0.01 0.5 100 1 2 0\n0 0 1 10 0 0.15 4 1\n",
                p + "link record 0, field Capacity: a type-1 link needs a capacity above 0, found 0");
}

// No input file: the fixed message without a line break, and no run log created.
TEST(InputRejection, MissingInputCreatesNoOutput) {
  const ProgramRun run = RunProgram(ProgramPath(), nullptr);
  EXPECT_EQ(run.exit_status, 1);
  EXPECT_EQ(run.error, "Error Opening File.");
  EXPECT_FALSE(run.output_exists);
  EXPECT_FALSE(run.result_exists);
}

}  // namespace
}  // namespace fw
