// The route tree: labels and predecessors, the within-pass rules that decide
// between equal routes, ties, and the unreached bound.
#include <gtest/gtest.h>

#include "network/tables.h"
#include "paths/paths.h"
#include "paths/route_tree.h"
#include "support/support.h"
#include "support/tables_test.h"

namespace fw {
namespace {

class RouteTreeTest : public TablesTest {
 protected:
  // A link whose cost is fixed at `cost`.
  static void Link(int tail, int head, float cost) {
    AddLink(tail, head, 0.0f, 1.0f, 0.0f, 0.0f, 1.0f);
    LinkCost[LinkNumber - 1] = cost;
  }
};

// Links 0: 0->1 (5), 1: 1->2 (1), 2: 0->2 (10). Pass 1 labels node 2 with 10
// through link 2 (node 1 is not scanned in the pass that improved it); pass 2
// improves it to 6 through link 1.
TEST_F(RouteTreeTest, LaterPassImprovesThroughANodeImprovedEarlier) {
  NodeNum = 3;
  Link(0, 1, 5.0f);
  Link(1, 2, 1.0f);
  Link(0, 2, 10.0f);
  mcr(0);
  EXPECT_EQ(TimeToNode[0], 0.0f);
  EXPECT_EQ(TimeToNode[1], 5.0f);
  EXPECT_EQ(TimeToNode[2], 6.0f);
  EXPECT_EQ(ProLinkNumber[0], RootMark);
  EXPECT_EQ(ProLinkNumber[1], 0);
  EXPECT_EQ(ProLinkNumber[2], 1);
  for (int n = 0; n < 3; ++n) EXPECT_EQ(tempnode[n], 1) << n;
}

// The same network with link 1 costing 5: both routes to node 2 cost 10. The
// direct link, found in pass 1, keeps the node; a method that scanned node 1
// in the pass that improved it would have taken link 1.
TEST_F(RouteTreeTest, NodeImprovedInAPassIsNotScannedInThatPass) {
  NodeNum = 3;
  Link(0, 1, 5.0f);
  Link(1, 2, 5.0f);
  Link(0, 2, 10.0f);
  mcr(0);
  EXPECT_EQ(TimeToNode[2], 10.0f);
  EXPECT_EQ(ProLinkNumber[2], 2);
}

// Parallel links of equal cost: the lower-numbered one is the predecessor;
// within one pass a label can improve twice and the last improvement counts.
TEST_F(RouteTreeTest, TiesKeepTheFirstAndImprovementsTheLast) {
  NodeNum = 3;
  Link(0, 1, 4.0f);
  Link(0, 1, 4.0f);
  Link(0, 2, 9.0f);
  Link(0, 2, 7.0f);
  Link(0, 2, 7.0f);
  mcr(0);
  EXPECT_EQ(ProLinkNumber[1], 0);
  EXPECT_EQ(TimeToNode[2], 7.0f);
  EXPECT_EQ(ProLinkNumber[2], 3);
}

// An origin without outgoing links labels only itself; the other nodes keep
// the unreached label and whatever predecessor an earlier tree left.
TEST_F(RouteTreeTest, OriginWithoutOutgoingLinks) {
  NodeNum = 3;
  Link(1, 2, 1.0f);
  ProLinkNumber[2] = 42;
  mcr(2);
  EXPECT_EQ(TimeToNode[2], 0.0f);
  EXPECT_EQ(ProLinkNumber[2], RootMark);
  EXPECT_EQ(TimeToNode[0], Unreached);
  EXPECT_EQ(TimeToNode[1], Unreached);
  mcr(0);
  EXPECT_EQ(TimeToNode[2], Unreached);
  EXPECT_EQ(ProLinkNumber[2], RootMark);
}

// A route costing 100,000,000 or more leaves its node unreached; just below, it is reached.
TEST_F(RouteTreeTest, UnreachedBound) {
  NodeNum = 4;
  Link(0, 1, 60000000.0f);
  Link(1, 2, 40000000.0f);
  Link(0, 3, 99999992.0f);
  mcr(0);
  EXPECT_EQ(TimeToNode[1], 60000000.0f);
  EXPECT_EQ(TimeToNode[2], Unreached);
  EXPECT_EQ(TimeToNode[3], 99999992.0f);
}

// Labels are single-precision sums along the route: 2^24 + 1 + 1 stays 2^24,
// so the three-link route beats the direct link of cost 2^24 + 2 (in exact
// arithmetic the two would tie and the direct link would stay).
TEST_F(RouteTreeTest, LabelsAreSinglePrecisionSums) {
  NodeNum = 4;
  Link(0, 1, 16777216.0f);
  Link(1, 2, 1.0f);
  Link(2, 3, 1.0f);
  Link(0, 3, 16777218.0f);
  mcr(0);
  EXPECT_EQ(TimeToNode[3], 16777216.0f);
  EXPECT_EQ(ProLinkNumber[3], 2);
}

// The predecessor recorded is the link's number from the input.
TEST_F(RouteTreeTest, RecordsTheLinkNumber) {
  NodeNum = 2;
  Link(0, 1, 1.0f);
  LinkNum[0] = 7;
  mcr(0);
  EXPECT_EQ(ProLinkNumber[1], 7);
}

// Feeds `chooser` `trees` trees, each taking `passes` or `labels` seconds by
// its way; returns how many were taken from least labels.
int LabelTrees(MethodChooser* chooser, int trees, double passes, double labels) {
  int count = 0;
  for (int k = 0; k < trees; ++k) {
    const bool use_labels = chooser->UseLabels();
    count += static_cast<int>(use_labels);
    chooser->Record(use_labels, use_labels ? labels : passes);
  }
  return count;
}

// The chooser tries each way three times, alternating, then keeps to the
// faster; a first tree slowed tenfold (a cold start) does not count. The
// slower way builds a tree once the faster has spent 64 of its trees' time,
// so ten times slower about 1 tree in 641; when the costs turn, the choice
// follows within a few trees.
TEST(MethodChooserTest, KeepsToTheFasterWayAndFollowsAChange) {
  MethodChooser chooser{};
  const bool first[] = {false, true, false, true, false, true};
  for (int k = 0; k < 6; ++k) {
    ASSERT_EQ(chooser.UseLabels(), first[k]) << k;
    chooser.Record(first[k], k == 0 ? 1e-3 : first[k] ? 2e-4 : 1e-4);
  }
  EXPECT_EQ(LabelTrees(&chooser, 200, 1e-4, 2e-4), 1);  // 128 trees by the passes, then one probe
  LabelTrees(&chooser, 20000, 1e-6, 1e-5);              // the averages settle
  const int probes = LabelTrees(&chooser, 32100, 1e-6, 1e-5);
  EXPECT_GE(probes, 45);
  EXPECT_LE(probes, 55);
  // The passes slow down to 5e-5 a tree: least labels take over.
  EXPECT_GE(LabelTrees(&chooser, 1000, 5e-5, 1e-5), 950);
  EXPECT_TRUE(chooser.UseLabels());
}

// A first group of trees slowed by first touches of the tables is one of
// the first samples, whose least counts: the ways alternate sample by
// sample, and after three of each the faster keeps the trees, where a group
// counted as 16 first samples would leave the slow group's time as the
// passes' average and hand the next trees to least labels.
TEST(MethodChooserTest, AColdFirstGroupIsOneOfTheFirstSamples) {
  MethodChooser chooser{};
  for (int k = 0; k < 6; ++k) {
    const bool labels = chooser.UseLabels();
    ASSERT_EQ(labels, k % 2 == 1) << k;
    if (labels) {
      chooser.Record(true, 2e-6);
    } else {
      chooser.Record(false, k == 0 ? 4e-6 : 2e-7, 16);
    }
  }
  EXPECT_EQ(LabelTrees(&chooser, 100, 2e-7, 2e-6), 0);
}

}  // namespace
}  // namespace fw
