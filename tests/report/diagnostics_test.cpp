// The developer diagnostics in a child process: their exact output, the
// characters they take from standard input, and how they end.
#include <gtest/gtest.h>

#include "support/support.h"

namespace fw {
namespace {

const std::string TwoLinks = "0.01 0.5 100 2 2 1\n0 1 100\n0 0 1 10 50 0.15 4 1\n1 0 1 20.5 80 0.15 4 1\n";

ProgramRun Diagnose(const std::string& input, const std::string& routine, const std::string& keys) {
  const std::string dir = ScratchDir();
  WriteFile(dir + "/output/input.txt", input);
  return RunIn(dir, FW_DIAGNOSTICS_PATH, keys, routine);
}

// The link dump: caption and one row per link, one key per row and one more,
// then it returns to its caller (which reads the fourth key here).
TEST(Diagnostics, LinkDumpTakesOneKeyPerLinkAndOneMore) {
  const ProgramRun run = Diagnose(TwoLinks, "links", "abcd");
  EXPECT_EQ(run.exit_status, 0);
  EXPECT_EQ(run.printed,
            "LinkNum[count],LinkOrigin[count],LinkDest[count],TravelTime[count],Capacity[count]"
            "\n 0, 0, 1, 10.00, 50.00\n 1, 0, 1, 20.50, 80.00[returned, next input byte 100]");
}

// The tree dump prints its caption only, takes one key and ends with status 1.
TEST(Diagnostics, TreeDumpPrintsItsCaptionAndEnds) {
  const ProgramRun run = Diagnose(TwoLinks, "tree", "x");
  EXPECT_EQ(run.exit_status, 1);
  EXPECT_EQ(run.printed, " Initial MCR result \n node#, time from origin, preceding link#,  NextLinkNum#");
}

// The incremental loading routes each pair on the costs of the volumes loaded
// so far: the first 150.5 trips take link 0 (cost 10), which then costs about
// 133, so the next 50 take link 1. The initial loading of a run would put all
// 200.5 on link 0. Numbers print with two significant digits (150.5 as
// 1.5e+02), widths apply to the next item only.
TEST(Diagnostics, IncrementalLoadingDump) {
  const std::string input = "0.01 0.5 100 2 2 2\n0 1 150.5\n0 1 50\n0 0 1 10 50 0.15 4 1\n1 0 1 20 80 0.15 4 1\n";
  const ProgramRun run = Diagnose(input, "loading", "x");
  EXPECT_EQ(run.exit_status, 1);
  EXPECT_EQ(run.printed,
            " \xc2\xb8\xc2\xb5\xc3\x85\xc2\xa9\xc2\xb9\xc3\xb8\xc3\x88\xc2\xa3    "
            "\xc2\xb8\xc2\xb5\xc3\x85\xc2\xa9\xc2\xb1\xc2\xb3\xc3\x85\xc3\xab\xc2\xb7\xc2\xae     "
            "\xc2\xb8\xc2\xb5\xc3\x85\xc2\xa9\xc3\x85\xc3\xab\xc3\x87\xc3\xa0\xc2\xbd\xc3\x83\xc2\xb0\xc2\xa3 \n"
            "  01.5e+021.3e+02\n"
            "  1 50 20\n");
}

}  // namespace
}  // namespace fw
