// All-or-nothing loading: the walk back along the tree, the initial and the
// auxiliary loading, tree reuse, and the refusal of unreached destinations.
#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <random>
#include <vector>

#include "network/tables.h"
#include "paths/paths.h"
#include "paths/route_masks.h"
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

// Route masks at the sizes where their vectors and words end: on random
// trees, a block's volumes equal, bit for bit, those of adding each pair's
// trips link by link in record order, onto volumes already holding sums; a
// block with an unreached destination adds nothing. Networks past the
// masks' sizes are left to the other adds.
TEST_F(LoadingTest, RouteMasksAddAsPairByPair) {
  if (!Has16Floats()) GTEST_SKIP() << "the processor has no 16-float vectors";
  std::mt19937 mt(13);
  const auto draw = [&mt](int n) { return static_cast<int>(mt() % static_cast<unsigned>(n)); };
  for (const int nodes : {1, 2, 16, 17, 31, 32}) {
    for (const int links : {1, 16, 17, 63, 64, 65, 127, 128}) {
      ResetTables();
      NodeNum = nodes;
      LinkNumber = links;
      EXPECT_TRUE(RouteMasksAvailable());
      // A random tree: the nodes in a random order from the origin, each
      // reached one from an earlier reached one over a link of its own,
      // mostly from the last one reached, so that routes grow long (31 links
      // take all five rounds of the masks' pointer jumping).
      std::vector<int> order(nodes);
      std::iota(order.begin(), order.end(), 0);
      std::shuffle(order.begin(), order.end(), mt);
      std::vector<int> numbers(links);
      std::iota(numbers.begin(), numbers.end(), 0);
      std::shuffle(numbers.begin(), numbers.end(), mt);
      const int origin = order[0];
      std::vector<LaneStep> tree(nodes, LaneStep{RootMark, NoTail});
      tree[origin] = LaneStep{RootMark, origin};
      std::vector<int> reached = {origin};
      for (int i = 1; i < nodes && i <= links; ++i) {
        if (draw(8) == 0) continue;
        const int tail = draw(8) != 0 ? reached.back() : reached[draw(static_cast<int>(reached.size()))];
        tree[order[i]] = LaneStep{numbers[i - 1], tail};
        reached.push_back(order[i]);
      }
      for (int trial = 0; trial < 4; ++trial) {
        OdpairNum = 1 + draw(40);
        const bool refused = trial == 3 && static_cast<int>(reached.size()) < nodes;
        for (int od = 0; od < OdpairNum; ++od) {
          Origin[od] = origin;
          Dest[od] = reached[draw(static_cast<int>(reached.size()))];
          TripVol[od] = std::uniform_real_distribution<float>(0.0f, 1.0e4f)(mt) / static_cast<float>(1 + draw(1000));
        }
        if (refused) {
          for (int n = 0; n < nodes; ++n) {
            if (tree[n].tail == NoTail) Dest[draw(OdpairNum)] = n;
          }
        }
        float volume[MaskLinks + 1];
        for (int l = 0; l <= links; ++l) volume[l] = std::uniform_real_distribution<float>(0.0f, 1.0e6f)(mt);
        float expected[MaskLinks + 1];
        std::copy(volume, volume + links + 1, expected);
        for (int od = 0; od < OdpairNum && !refused; ++od) {
          for (int n = Dest[od]; tree[n].link != RootMark; n = tree[n].tail) expected[tree[n].link] += TripVol[od];
        }
        EXPECT_EQ(AddBlockByMasks(tree.data(), 0, OdpairNum, volume), !refused);
        for (int l = 0; l <= links; ++l) EXPECT_EQ(Bits(volume[l]), Bits(expected[l])) << nodes << " nodes, " << links << " links, link " << l;
      }
    }
  }
  NodeNum = MaskNodes + 1;
  EXPECT_FALSE(RouteMasksAvailable());
  NodeNum = MaskNodes;
  LinkNumber = MaskLinks + 1;
  EXPECT_FALSE(RouteMasksAvailable());
}

}  // namespace
}  // namespace fw
