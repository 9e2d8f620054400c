// All-or-nothing loading: the walk back along the tree, the initial and the
// auxiliary loading, tree reuse, and the refusal of unreached destinations.
#include <gtest/gtest.h>

#include "network/tables.h"
#include "paths/paths.h"
#include "paths/route_tree.h"
#include "performance/performance.h"
#include "support/support.h"
#include "support/tables_test.h"

namespace fw {
namespace {

using LoadingTest = TablesTest;

// Two parallel links 0->1 (costs 10 and 20 at zero volume): all 100 trips on the cheaper.
TEST_F(LoadingTest, InitialLoadingUsesTheCheaperParallelLink) {
  AddTwoLinks();
  LinkCostUpdate();
  ASSERT_TRUE(AllOrNothing(0).ok);
  EXPECT_EQ(LinkVolume[0], 100.0f);
  EXPECT_EQ(LinkVolume[1], 0.0f);
}

// A chain 0->1->2->3 with a pair 0->3 and a pair 2->2: every link of the
// route gets the trips once; the pair with equal ends loads nothing.
TEST_F(LoadingTest, WalkLoadsEveryLinkOfTheRouteOnce) {
  NodeNum = 4;
  for (int n = 0; n < 3; ++n) AddLink(n, n + 1, 1.0f, 10.0f, 0.0f, 1.0f, 1.0f);
  AddOdPair(0, 3, 2.5f);
  AddOdPair(2, 2, 1000.0f);
  LinkCostUpdate();
  ASSERT_TRUE(AllOrNothing(0).ok);
  ASSERT_TRUE(AllOrNothing(1).ok);
  for (int l = 0; l < 3; ++l) EXPECT_EQ(LinkVolume[l], 2.5f) << l;
}

// The auxiliary loading zeroes New_LinkVol and adds every pair, whether the
// pairs of one origin come together or apart; it builds one tree per distinct
// origin, so the node tables afterwards belong to the last new origin (1).
// The pairs' origins change between loadings, as they may between runs in
// one process: the second loading must not take the first one's blocks.
TEST_F(LoadingTest, AuxiliaryLoadingBuildsOneTreePerOrigin) {
  struct Order {
    int origins[3];
    int last_root;
  };
  NodeNum = 3;
  AddLink(0, 1, 1.0f, 10.0f, 0.0f, 1.0f, 1.0f);
  AddLink(1, 2, 1.0f, 10.0f, 0.0f, 1.0f, 1.0f);
  AddLink(0, 2, 5.0f, 10.0f, 0.0f, 1.0f, 1.0f);
  for (int od = 0; od < 3; ++od) AddOdPair(0, 2, 0.0f);
  for (const Order order : {Order{{0, 0, 1}, 1}, Order{{0, 1, 0}, 1}}) {
    for (int od = 0; od < 3; ++od) {
      Origin[od] = order.origins[od];
      TripVol[od] = Origin[od] == 0 ? 3.0f : 4.0f;
    }
    New_LinkVol[0] = 99.0f;
    LinkCostUpdate();
    const TreeTally before = TreesBuilt;
    ASSERT_TRUE(LoadNewLinkVol().ok);
    EXPECT_EQ(TreesBuilt.label_trees + TreesBuilt.bounded_trees + TreesBuilt.pass_trees - before.label_trees - before.bounded_trees - before.pass_trees, 2);
    EXPECT_EQ(New_LinkVol[0], 6.0f);
    EXPECT_EQ(New_LinkVol[1], 10.0f);
    EXPECT_EQ(New_LinkVol[2], 0.0f);
    EXPECT_EQ(LinkVolume[0], 0.0f);
    EXPECT_EQ(ProLinkNumber[order.last_root], RootMark);
  }
}

// A destination the current tree did not reach is refused, even when an
// earlier tree left a route to it: following that stale route would load the
// wrong links.
TEST_F(LoadingTest, UnreachedDestinationIsRefusedNotFollowed) {
  NodeNum = 3;
  AddLink(0, 2, 1.0f, 10.0f, 0.0f, 1.0f, 1.0f);
  AddOdPair(0, 2, 5.0f);
  AddOdPair(1, 2, 7.0f);
  LinkCostUpdate();
  ASSERT_TRUE(AllOrNothing(0).ok);
  const Status s = AllOrNothing(1);
  EXPECT_FALSE(s.ok);
  EXPECT_EQ(s.message, "OD record 1 (origin 1, destination 2): the destination cannot be reached from the origin");
  EXPECT_EQ(LinkVolume[0], 5.0f);
  const Status aux = LoadNewLinkVol();
  EXPECT_EQ(aux.message, s.message);
}

// The passes stop at the highest sum of the routes the last loading noted
// for an origin's pairs, but only routes that still lead from the origin to
// the pair's destination count. Here the pairs of origin 0 are sent from
// node 1 to node 19 of a chain between two loadings: the route noted to
// node 1 no longer bounds them, and the tree must still reach node 19.
TEST_F(LoadingTest, ANotedRouteBoundsOnlyThePairItLeadsTo) {
  struct PassesOnly {
    PassesOnly() { TreeMethodUsed = TreeMethod::Passes; }
    ~PassesOnly() { TreeMethodUsed = TreeMethod::Chosen; }
  } passes_only;
  NodeNum = 20;
  for (int n = 0; n + 1 < NodeNum; ++n) AddLink(n, n + 1, 1.0f, 10.0f, 0.0f, 1.0f, 1.0f);
  AddOdPair(0, 1, 5.0f);
  AddOdPair(10, 11, 1.0f);  // between the pairs of origin 0, so the routes are noted
  AddOdPair(0, 1, 5.0f);
  LinkCostUpdate();
  ASSERT_TRUE(LoadNewLinkVol().ok);
  EXPECT_EQ(New_LinkVol[0], 10.0f);
  Dest[0] = Dest[2] = 19;
  const Status s = LoadNewLinkVol();
  ASSERT_TRUE(s.ok) << s.message;
  EXPECT_EQ(New_LinkVol[0], 10.0f);
  EXPECT_EQ(New_LinkVol[10], 11.0f);
  EXPECT_EQ(New_LinkVol[18], 10.0f);
}

// On a chain of 40 nodes with a shortcut 0 -> 5, origins 0, 10 and 20 each
// send trips 5 nodes along. Between two loadings the shortcut turns dear, so
// origin 0's route grows from one link to five: the second loading's trees
// from 0 and 10 still stop at the routes the first loading took (that from
// 20 is the last, and whole), whether the pairs come in blocks or
// interleaved. Reading those routes only after this loading began noting its
// own would find origin 10's overwritten, and its tree would not stop.
TEST_F(LoadingTest, TheNextLoadingsPassesStopAtTheNotedRoutes) {
  struct PassesOnly {
    PassesOnly() { TreeMethodUsed = TreeMethod::Passes; }
    ~PassesOnly() { TreeMethodUsed = TreeMethod::Chosen; }
  } passes_only;
  for (const bool interleaved : {false, true}) {
    ResetTables();
    NodeNum = 40;
    for (int n = 0; n + 1 < NodeNum; ++n) AddLink(n, n + 1, 1.0f, 10.0f, 0.0f, 1.0f, 1.0f);
    AddLink(0, 5, 1.0f, 10.0f, 0.0f, 1.0f, 1.0f);  // link 39
    AddOdPair(0, 5, 2.0f);
    AddOdPair(10, 15, 1.0f);
    if (interleaved) AddOdPair(0, 5, 2.0f);
    AddOdPair(20, 25, 1.0f);
    LinkCostUpdate();
    ASSERT_TRUE(LoadNewLinkVol().ok);
    ASSERT_EQ(New_LinkVol[39], interleaved ? 4.0f : 2.0f);
    TravelTime[39] = 100.0f;
    LinkCostUpdate();
    const long long before = TreesBuilt.reach_trees;
    ASSERT_TRUE(LoadNewLinkVol().ok);
    EXPECT_EQ(TreesBuilt.reach_trees - before, 2) << interleaved;
    EXPECT_EQ(New_LinkVol[39], 0.0f) << interleaved;
    EXPECT_EQ(New_LinkVol[4], interleaved ? 4.0f : 2.0f) << interleaved;
    EXPECT_EQ(New_LinkVol[14], 1.0f) << interleaved;
  }
}

}  // namespace
}  // namespace fw
