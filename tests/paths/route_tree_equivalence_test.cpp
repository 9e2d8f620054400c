// The route trees and loadings against the plain pass method and the loadings
// as first written, on seeded random networks made to produce ties: small
// whole-number costs, parallel links, zero-cost links, self-loops, nodes no
// link reaches, penalty costs and costs near the unreached bound, links in
// random order or sorted by tail, OD lists grouped, interleaved or random.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <vector>

#include "network/tables.h"
#include "paths/loading.h"
#include "paths/passes.h"
#include "paths/paths.h"
#include "paths/route_tree.h"
#include "performance/performance.h"
#include "reference/reference.h"
#include "support/generated_network.h"
#include "support/support.h"

namespace fw {
namespace {

// A link cost of one of the kinds that decide between routes.
float DrawCost(std::mt19937& mt) {
  switch (Draw(mt, 8)) {
    case 0: return 0.0f;                                                  // free link
    case 1: return Draw(mt, 2) == 0 ? Type0Penalty : OtherPenalty;         // penalty
    case 2: return static_cast<float>(30000000 + Draw(mt, 40000000));     // sums near the unreached bound
    case 3: return static_cast<float>(Draw(mt, 1000)) / 7.0f;              // rounded fractions
    case 4: return 16777216.0f + static_cast<float>(Draw(mt, 4));          // where +1 is lost
    default: return static_cast<float>(Draw(mt, 5));                      // small whole numbers: ties
  }
}

// A random network of up to 40 nodes, with costs set directly in LinkCost.
// With `ring`, half of the networks also get a ring of links through every
// node, so that every destination is reached.
void RandomNetwork(std::mt19937& mt, bool ring = false) {
  ResetTables();
  NodeNum = 1 + Draw(mt, 40);
  const int links = Draw(mt, 4 * NodeNum + 1);
  const bool sorted = Draw(mt, 2) == 0;
  std::vector<std::pair<int, int>> ends;
  if (ring && Draw(mt, 2) == 0) {
    for (int n = 0; n < NodeNum; ++n) ends.emplace_back(n, (n + 1) % NodeNum);
  }
  for (int l = 0; l < links; ++l) {
    const int kind = Draw(mt, 10);
    if (kind == 0 && !ends.empty()) {
      ends.push_back(ends.back());  // parallel to the previous link
    } else {
      const int tail = Draw(mt, NodeNum);
      ends.emplace_back(tail, kind == 1 ? tail : Draw(mt, NodeNum));  // a self-loop, or anywhere
    }
  }
  if (sorted) std::stable_sort(ends.begin(), ends.end(), [](auto x, auto y) { return x.first < y.first; });
  for (const auto& [tail, head] : ends) {
    AddLink(tail, head, 1.0f, 1.0f, 0.0f, 1.0f, 1.0f);
    LinkCost[LinkNumber - 1] = DrawCost(mt);
  }
}

// The node tables after a tree, for element-by-element comparison.
struct Tree {
  std::vector<std::uint32_t> time;
  std::vector<int> link;
  std::vector<int> mark;
};

Tree Capture() {
  Tree t;
  for (int n = 0; n < NodeNum; ++n) {
    t.time.push_back(Bits(TimeToNode[n]));
    t.link.push_back(ProLinkNumber[n]);
    t.mark.push_back(tempnode[n]);
  }
  return t;
}

// Gives ProLinkNumber the same leftovers before each method runs.
void SeedPredecessors() {
  for (int n = 0; n < NodeNum; ++n) ProLinkNumber[n] = 1000 + n;
}

// Whether `build` leaves the same labels, predecessors and marks from
// `origin` as the plain pass method, both starting from the same leftover
// predecessors; names the first node that differs.
testing::AssertionResult SameTreeAsPlain(int origin, void (*build)(int)) {
  SeedPredecessors();
  PlainMcr(origin);
  const Tree plain = Capture();
  SeedPredecessors();
  build(origin);
  const Tree fast = Capture();
  for (int n = 0; n < NodeNum; ++n) {
    const std::size_t k = static_cast<std::size_t>(n);
    if (fast.time[k] != plain.time[k] || fast.link[k] != plain.link[k] || fast.mark[k] != plain.mark[k]) {
      return testing::AssertionFailure() << "node " << n << ": label bits " << fast.time[k] << " vs " << plain.time[k] << ", predecessor "
                                         << fast.link[k] << " vs " << plain.link[k] << ", mark " << fast.mark[k] << " vs " << plain.mark[k];
    }
  }
  return testing::AssertionSuccess();
}

// Gives a setting a value while in scope, and its former value back after.
template <typename T, T& Setting>
class SettingScope {
 public:
  explicit SettingScope(T value) : saved_(Setting) { Setting = value; }
  ~SettingScope() { Setting = saved_; }
  SettingScope(const SettingScope&) = delete;
  SettingScope& operator=(const SettingScope&) = delete;

 private:
  const T saved_;
};
using MethodScope = SettingScope<TreeMethod, TreeMethodUsed>;         // how route trees are built
using LaneVectorsScope = SettingScope<LaneVectors, LaneVectorsUsed>;  // which vectors build the lanes

constexpr TreeMethod AllMethods[] = {TreeMethod::Chosen, TreeMethod::Passes, TreeMethod::Labels, TreeMethod::Lanes};

// Every label, predecessor and mark of mcr matches the plain pass method,
// from every origin of 400 random networks, whichever way the trees are
// built; the predecessors of unreached nodes keep the same leftovers too.
// From least labels, most trees are decided by the labels, and the others
// by the passes on the labels under bounds over every link.
TEST(RouteTreeEquivalence, McrMatchesThePlainPassMethod) {
  for (const TreeMethod method : AllMethods) {
    const MethodScope scope(method);
    const TreeCounts before;
    std::mt19937 mt(20240601);
    for (int network = 0; network < 400; ++network) {
      RandomNetwork(mt);
      for (int origin = 0; origin < NodeNum; ++origin) {
        ASSERT_TRUE(SameTreeAsPlain(origin, mcr)) << "network " << network << " origin " << origin;
      }
    }
    if (method == TreeMethod::Labels) {
      EXPECT_GT(TreesBuilt.label_trees - before.labels, 5000);
      EXPECT_GT(TreesBuilt.bounded_trees - before.bounded, 100);
    }
  }
}

// The loadings' way of building trees: the index is built once, then trees
// from every origin in turn, each starting from what the previous one left.
TEST(RouteTreeEquivalence, TreesInSequenceOnOneIndexMatchThePlainPassMethod) {
  for (const TreeMethod method : AllMethods) {
    const MethodScope scope(method);
    std::mt19937 mt(7);
    for (int network = 0; network < 200; ++network) {
      RandomNetwork(mt);
      IndexLinks();
      for (int round = 0; round < 2 * NodeNum; ++round) {
        const int origin = Draw(mt, NodeNum);
        const std::vector<int> before(ProLinkNumber, ProLinkNumber + NodeNum);
        PlainMcr(origin);
        const Tree plain = Capture();
        std::copy(before.begin(), before.end(), ProLinkNumber);
        RouteTree(origin);
        const Tree fast = Capture();
        ASSERT_EQ(fast.time, plain.time) << "network " << network << " round " << round;
        ASSERT_EQ(fast.link, plain.link) << "network " << network << " round " << round;
        ASSERT_EQ(fast.mark, plain.mark) << "network " << network << " round " << round;
      }
    }
  }
}

// A street grid of 12 to 19 nodes a side whose costs are whole numbers plus
// small fractions, as congestion leaves them: routes around a block often cost
// nearly the same. With `tiny`, the fractions are a few millionths. A few
// links cost 100,000. Indexed for route trees.
void NearlyEqualGrid(std::mt19937& mt, bool tiny) {
  ResetTables();
  const int side = 12 + Draw(mt, 8);
  NodeNum = side * side;
  for (int n = 0; n < NodeNum; ++n) {
    const int row = n / side;
    const int column = n % side;
    if (column + 1 < side) AddLink(n, n + 1, 1.0f, 1.0f, 0.0f, 1.0f, 1.0f), AddLink(n + 1, n, 1.0f, 1.0f, 0.0f, 1.0f, 1.0f);
    if (row + 1 < side) AddLink(n, n + side, 1.0f, 1.0f, 0.0f, 1.0f, 1.0f), AddLink(n + side, n, 1.0f, 1.0f, 0.0f, 1.0f, 1.0f);
  }
  for (int l = 0; l < LinkNumber; ++l) {
    const float whole = static_cast<float>(1 + Draw(mt, 3));
    const float congestion = !tiny ? static_cast<float>(Draw(mt, 1000)) / 65536.0f + static_cast<float>(Draw(mt, 1000)) * 1e-7f
                                   : static_cast<float>(Draw(mt, 4)) / 1048576.0f;
    LinkCost[l] = Draw(mt, 200) == 0 ? 100000.0f : whole + congestion;
  }
  IndexLinks();
}

// Street grids as NearlyEqualGrid makes them.
// On half of the grids the fractions are a few millionths, so that sums of
// different routes fall within rounding of each other, offers just above a
// node's least label are common, and many trees need the bounded passes to
// decide. A few links cost 100,000, so that labels of very different
// sizes meet. Every tree from every origin matches the plain pass
// method.
TEST(RouteTreeEquivalence, NearlyEqualRoutesOnAGridMatchThePlainPassMethod) {
  const MethodScope scope(TreeMethod::Labels);
  const TreeCounts before;
  std::mt19937 mt(31);
  for (int network = 0; network < 6; ++network) {
    NearlyEqualGrid(mt, network % 2 == 1);
    for (int origin = 0; origin < NodeNum; ++origin) {
      ASSERT_TRUE(SameTreeAsPlain(origin, RouteTree)) << "network " << network << " origin " << origin;
    }
  }
  EXPECT_GT(TreesBuilt.label_trees - before.labels, 300);
  EXPECT_GT(TreesBuilt.bounded_trees - before.bounded, 300);
  EXPECT_EQ(TreesBuilt.pass_trees - before.passes, 0);
}

// Whether the tree BuildTreeFor builds from `origin` for the nodes `needed`
// gives each of them, and every node on its route, the plain pass method's
// label and predecessor; names the first node that differs.
testing::AssertionResult SameRoutesAsPlain(int origin, const std::vector<int>& needed) {
  PlainMcr(origin);
  const Tree plain = Capture();
  BuildTreeFor(origin, needed.data(), static_cast<int>(needed.size()), Unreached);
  for (const int destination : needed) {
    const std::size_t d = static_cast<std::size_t>(destination);
    if (!(plain.time[d] < Bits(Unreached))) {
      if (Trees.nodes[destination].time < Unreached) return testing::AssertionFailure() << "node " << destination << " is reached";
      continue;
    }
    for (int node = destination, steps = 0; steps <= NodeNum; ++steps) {
      const std::size_t k = static_cast<std::size_t>(node);
      const TreeNode fast = Trees.nodes[node];
      if (Bits(fast.time) != plain.time[k] || fast.link != plain.link[k]) {
        return testing::AssertionFailure() << "node " << node << " on the route to " << destination << ": label bits " << Bits(fast.time)
                                           << " vs " << plain.time[k] << ", predecessor " << fast.link << " vs " << plain.link[k];
      }
      if (fast.link == RootMark) break;
      if (fast.tail != LinkOrigin[fast.link]) return testing::AssertionFailure() << "node " << node << ": tail " << fast.tail;
      node = fast.tail;
    }
  }
  return testing::AssertionSuccess();
}

// Trees for a loading's needed nodes, from least labels: the settling may
// stop once they are settled, and the routes to them are the plain pass
// method's, on random networks and on the nearly equal grids.
TEST(RouteTreeEquivalence, TreesForNeededNodesMatchThePlainPassMethod) {
  const MethodScope scope(TreeMethod::Labels);
  const long long partial_before = TreesBuilt.partial_trees;
  std::mt19937 mt(404);
  for (int network = 0; network < 300; ++network) {
    if (network % 50 == 49) {
      NearlyEqualGrid(mt, network % 100 == 99);
    } else {
      RandomNetwork(mt, true);
      IndexLinks();
    }
    for (int origin = 0; origin < NodeNum; ++origin) {
      std::vector<int> needed;
      for (int k = 1 + Draw(mt, 3); k > 0; --k) needed.push_back(Draw(mt, NodeNum));
      ASSERT_TRUE(SameRoutesAsPlain(origin, needed)) << "network " << network << " origin " << origin;
    }
  }
  EXPECT_GT(TreesBuilt.partial_trees - partial_before, 800);
}

// An offer exactly at a node's bound. Node 3 (h) is offered D by the origin
// in pass 1 and its least label 1 through node 4 in pass 2, after its own scan
// in pass 2 has offered node 5 (k) fl(D + 1000) = 1001: D is the highest label
// of h whose offer to k stays 1001, which is h's bound. Link 5 from h is thus
// k's predecessor, set in pass 2. From the least labels alone, k's tight links
// come from b (node 2) and h, both reaching 1 in pass 2, and the lower link
// number, 4, would win. The offer at the bound must send the tree to the
// bounded passes.
TEST(RouteTreeEquivalence, OfferAtABoundDecides) {
  const MethodScope scope(TreeMethod::Labels);
  float bound = 1.0f;
  while (std::nextafter(bound, 2.0f) + 1000.0f <= 1001.0f) bound = std::nextafter(bound, 2.0f);
  ASSERT_GT(bound, 1.0f);
  ResetTables();
  NodeNum = 6;
  const struct {
    int tail, head;
    float cost;
  } links[] = {{0, 1, 0.5f}, {0, 3, bound}, {0, 4, 0.5f}, {1, 2, 0.5f}, {2, 5, 1000.0f}, {3, 5, 1000.0f}, {4, 3, 0.5f}};
  for (const auto& l : links) {
    AddLink(l.tail, l.head, 1.0f, 1.0f, 0.0f, 1.0f, 1.0f);
    LinkCost[LinkNumber - 1] = l.cost;
  }
  IndexLinks();
  const TreeCounts before;
  ASSERT_TRUE(SameTreeAsPlain(0, RouteTree));
  EXPECT_EQ(TimeToNode[5], 1001.0f);
  EXPECT_EQ(ProLinkNumber[5], 5);
  EXPECT_EQ(TreesBuilt.bounded_trees - before.bounded, 1);
}

// Least labels need costs that are finite and 0 or more (the run refuses
// others before it builds trees): given a negative or an infinite cost, even
// a tree asked for from least labels is built by the passes, and matches them.
TEST(RouteTreeEquivalence, NegativeOrInfiniteCostsKeepThePasses) {
  const MethodScope scope(TreeMethod::Labels);
  for (const float odd : {-2.0f, std::numeric_limits<float>::infinity()}) {
    ResetTables();
    NodeNum = 3;
    const float costs[] = {5.0f, odd, 4.0f};
    const int ends[][2] = {{0, 1}, {1, 2}, {0, 2}};
    for (int l = 0; l < 3; ++l) {
      AddLink(ends[l][0], ends[l][1], 1.0f, 1.0f, 0.0f, 1.0f, 1.0f);
      LinkCost[l] = costs[l];
    }
    IndexLinks();
    const TreeCounts before;
    ASSERT_TRUE(SameTreeAsPlain(0, RouteTree)) << "cost " << odd;
    EXPECT_EQ(TreesBuilt.pass_trees - before.passes, 1) << "cost " << odd;
    EXPECT_EQ(TreesBuilt.label_trees - before.labels + TreesBuilt.bounded_trees - before.bounded, 0) << "cost " << odd;
  }
}

// Node 1's links are 4 and 6, with link 5 between them improving node 1 in
// pass 2. The pass method skips link 6 in that pass, so node 4 first gets its
// final label 3 through link 3 in pass 3, and link 6's equal offer comes
// later. A method that read node 1's mark once for all its links would take
// link 6.
TEST(RouteTreeEquivalence, NodeImprovedBetweenItsOwnLinksSkipsTheRest) {
  ResetTables();
  NodeNum = 6;
  const struct {
    int tail, head;
    float cost;
  } links[] = {{0, 1, 10}, {0, 2, 1}, {2, 5, 1}, {5, 4, 1}, {1, 3, 1}, {2, 1, 1}, {1, 4, 1}};
  for (const auto& l : links) {
    AddLink(l.tail, l.head, 1.0f, 1.0f, 0.0f, 1.0f, 1.0f);
    LinkCost[LinkNumber - 1] = l.cost;
  }
  mcr(0);
  EXPECT_EQ(TimeToNode[4], 3.0f);
  EXPECT_EQ(ProLinkNumber[4], 3);
  EXPECT_EQ(TimeToNode[3], 3.0f);
  EXPECT_EQ(ProLinkNumber[3], 4);
}

// A loop of negative cost improves its own tail in the middle of the tail's
// links, and the pass method skips the rest of them in that pass. On random
// networks, with links sorted by tail or not, some loops cost -infinity
// (finite negative loops would lower the labels for millions of passes).
TEST(RouteTreeEquivalence, LoopOfNegativeCostStopsItsTailsScan) {
  std::mt19937 mt(99);
  int loops = 0;
  for (int network = 0; network < 300; ++network) {
    RandomNetwork(mt);
    // On half of them the index is first built on costs of 0 or more: it
    // keeps its groupings, but must see the loops turn negative.
    if (network % 2 == 1) mcr(0);
    for (int l = 0; l < LinkNumber; ++l) {
      if (LinkOrigin[l] == LinkDest[l] && Draw(mt, 2) == 0) {
        LinkCost[l] = -std::numeric_limits<float>::infinity();
        ++loops;
      }
    }
    for (int origin = 0; origin < NodeNum; ++origin) {
      ASSERT_TRUE(SameTreeAsPlain(origin, mcr)) << "network " << network << " origin " << origin;
    }
  }
  EXPECT_GT(loops, 100);
}

// A random OD list over the current network: origins few and repeated, in
// groups, interleaved or at random; trips of mixed magnitudes, so that link
// sums depend on the order of addition.
void RandomPairs(std::mt19937& mt) {
  const int origins = 1 + Draw(mt, NodeNum);
  const int pairs = Draw(mt, 60);
  const int order = Draw(mt, 3);
  for (int p = 0; p < pairs; ++p) {
    const int which = order == 0 ? p * origins / (pairs + 1) : order == 1 ? p % origins : Draw(mt, origins);
    const float trips = Draw(mt, 2) == 0 ? static_cast<float>(1 + Draw(mt, 100000)) / 1000.0f : 1000.0f + static_cast<float>(Draw(mt, 9));
    AddOdPair(which, Draw(mt, NodeNum), trips);
  }
}

std::vector<std::uint32_t> VolumeBits(const float* volumes) {
  std::vector<std::uint32_t> bits;
  for (int l = 0; l < LinkNumber; ++l) bits.push_back(Bits(volumes[l]));
  return bits;
}

// The index is built again where a link's tail or head moves, the counts
// staying the same: the trees after the move match the plain pass method.
TEST(RouteTreeEquivalence, LinksThatMoveAreIndexedAgain) {
  std::mt19937 mt(17);
  for (int network = 0; network < 200; ++network) {
    RandomNetwork(mt);
    if (LinkNumber == 0) continue;
    mcr(0);
    const int l = Draw(mt, LinkNumber);
    (network % 2 == 0 ? LinkOrigin : LinkDest)[l] = Draw(mt, NodeNum);
    for (int origin = 0; origin < NodeNum; ++origin) {
      ASSERT_TRUE(SameTreeAsPlain(origin, mcr)) << "network " << network << " origin " << origin;
    }
  }
}

// Every lane of trees built together holds the labels, passes and
// predecessors that the passes from its origin alone leave, each with its
// own reach (some cutting the tree short), and lays out the same routes.
TEST(RouteTreeEquivalence, EveryLaneIsThePassesFromItsOriginAlone) {
  if (!LanesAvailable()) GTEST_SKIP() << "the processor has no 8-float vectors";
  std::mt19937 mt(5);
  int groups = 0;
  for (int network = 0; network < 1000; ++network) {
    const LaneVectorsScope vectors(network % 2 == 0 ? LaneVectors::Widest : LaneVectors::EightFloat);
    RandomNetwork(mt, true);
    IndexLinks();
    if (!LanesAvailable()) continue;  // a loop of negative cost
    const int lanes = 1 + Draw(mt, TreeLanes);
    int origins[TreeLanes];
    float reach[TreeLanes];
    for (int k = 0; k < lanes; ++k) {
      origins[k] = Draw(mt, NodeNum);
      reach[k] = Draw(mt, 3) == 0 ? DrawCost(mt) : Unreached;
    }
    BuildTreesByLanes(origins, reach, lanes);
    ++groups;
    for (int k = 0; k < lanes; ++k) {
      BuildTreeByPasses(origins[k], nullptr, reach[k]);
      for (int n = 0; n < NodeNum; ++n) {
        const TreeNode alone = Trees.nodes[n];
        const LaneStep step = LaneSteps(k)[n];
        const auto where = [&] { return testing::Message() << "network " << network << " lane " << k << " node " << n; };
        if (!(alone.time < Unreached)) {
          ASSERT_EQ(step.tail, NoTail) << where();
          continue;
        }
        ASSERT_EQ(Bits(LaneWork.nodes[n].time[k]), Bits(alone.time)) << where();
        ASSERT_EQ(LaneWork.nodes[n].pass[k], alone.pass) << where();
        ASSERT_EQ(step.link, alone.link) << where();
        ASSERT_EQ(step.tail, alone.tail) << where();
      }
    }
  }
  EXPECT_GT(groups, 600);
}

// Both loadings give the same volumes, bit for bit, as one plain tree per pair
// (initial) or per run of pairs (auxiliary), and the same failure for a
// destination that is not reached.
TEST(LoadingEquivalence, LoadingsMatchThePlainLoadings) {
  for (const TreeMethod method : AllMethods) {
    const MethodScope scope(method);
    const TreeCounts before;
    std::mt19937 mt(99);
    int loaded = 0;
    for (int network = 0; network < 600; ++network) {
      const LaneVectorsScope vectors(network % 2 == 0 ? LaneVectors::Widest : LaneVectors::EightFloat);
      RandomNetwork(mt, true);
      RandomPairs(mt);
      for (int l = 0; l < LinkNumber; ++l) LinkVolume[l] = 0.0f;
      Status plain = Status::Ok();
      for (int od = 0; od < OdpairNum && plain.ok; ++od) plain = PlainAllOrNothing(od);
      const std::vector<std::uint32_t> plain_initial = VolumeBits(LinkVolume);
      for (int l = 0; l < LinkNumber; ++l) LinkVolume[l] = 0.0f;
      const Status fast = LoadInitialLinkVol();
      ASSERT_EQ(fast.ok, plain.ok) << "network " << network;
      ASSERT_EQ(fast.message, plain.message) << "network " << network;
      if (plain.ok) {
        ASSERT_EQ(VolumeBits(LinkVolume), plain_initial) << "network " << network;
      }

      const Status plain_aux = PlainLoadNewLinkVol();
      const std::vector<std::uint32_t> plain_new = VolumeBits(New_LinkVol);
      const Status fast_aux = LoadNewLinkVol();
      ASSERT_EQ(fast_aux.message, plain_aux.message) << "network " << network;
      if (plain_aux.ok) {
        ASSERT_EQ(VolumeBits(New_LinkVol), plain_new) << "network " << network;
      }
      loaded += plain.ok ? 1 : 0;
    }
    EXPECT_GT(loaded, 200);  // most networks load fully, so the volumes are compared
    if (method == TreeMethod::Lanes && LanesAvailable()) {
      EXPECT_GT(TreesBuilt.lane_trees - before.lanes, 1000);
    }
  }
}

// The trees built in lanes leave the node tables as building them one by one
// does: the last tree's labels and predecessors, and at the nodes it does not
// reach, the predecessors of the last earlier tree that reached them; and the
// last tree's time, not a figure left from before.
TEST(LoadingEquivalence, LanesLeaveTheNodeTablesAsTreesOneByOne) {
  if (!LanesAvailable()) GTEST_SKIP() << "the processor has no 8-float vectors";
  std::mt19937 mt(7);
  for (int network = 0; network < 600; ++network) {
    const LaneVectorsScope vectors(network % 2 == 0 ? LaneVectors::Widest : LaneVectors::EightFloat);
    RandomNetwork(mt, true);
    RandomPairs(mt);
    std::vector<int> links[2];
    std::vector<std::uint32_t> labels[2];
    for (const TreeMethod method : {TreeMethod::Passes, TreeMethod::Lanes}) {
      const MethodScope scope(method);
      ResetPathsState();  // no routes noted by the other loading to stop the passes at
      for (int n = 0; n < NodeNum; ++n) ProLinkNumber[n] = RootMark;
      direction_search_time = 7.0f;  // a figure left from before (kept where no tree is built); the test build's clock never moves
      if (!LoadNewLinkVol().ok) break;
      if (OdpairNum > 0) {
        ASSERT_EQ(direction_search_time, 0.0f) << "the last tree's time is not the loading's, network " << network;
      }
      const std::size_t k = method == TreeMethod::Lanes ? 1 : 0;
      links[k].assign(ProLinkNumber, ProLinkNumber + NodeNum);
      for (int n = 0; n < NodeNum; ++n) labels[k].push_back(Bits(TimeToNode[n]));
    }
    ASSERT_EQ(links[1], links[0]) << "network " << network;
    ASSERT_EQ(labels[1], labels[0]) << "network " << network;
  }
}

// Whether, on the network `shape` drawn from `seed`, after the initial
// loading and a cost update, the auxiliary loading gives the plain loading's
// volumes bit for bit; names the first link that differs.
testing::AssertionResult GeneratedLoadsAsPlain(std::uint32_t seed, const NetworkShape& shape) {
  ResetTables();
  GenerateNetwork(seed, shape);
  LinkCostUpdate();
  if (!LoadInitialLinkVol().ok) return testing::AssertionFailure() << "the initial loading fails";
  LinkCostUpdate();
  if (!PlainLoadNewLinkVol().ok) return testing::AssertionFailure() << "the plain loading fails";
  const std::vector<std::uint32_t> plain = VolumeBits(New_LinkVol);
  if (!LoadNewLinkVol().ok) return testing::AssertionFailure() << "the loading fails";
  for (int l = 0; l < LinkNumber; ++l) {
    if (Bits(New_LinkVol[l]) != plain[static_cast<std::size_t>(l)]) return testing::AssertionFailure() << "link " << l << "'s volume differs";
  }
  return testing::AssertionSuccess();
}

// On congested street grids, loadings whose trees come from least labels
// match the plain loadings bit for bit, with the links in order or
// shuffled, their OD pairs interleaved or grouped by origin; most trees stop
// settling once their origin's destinations are settled.
TEST(LoadingEquivalence, GridsLoadFromLeastLabels) {
  const MethodScope scope(TreeMethod::Labels);
  const TreeCounts before;
  const long long partial_before = TreesBuilt.partial_trees;
  for (int shape = 0; shape < 3; ++shape) {
    const bool shuffled = shape == 1;
    const bool interleaved = shape != 2;
    const NetworkShape grid{60, 40, 11000, 300, 100, interleaved, shuffled, false, 3};
    EXPECT_TRUE(GeneratedLoadsAsPlain(16 + static_cast<std::uint32_t>(shape), grid)) << "shape " << shape;
  }
  EXPECT_GT(TreesBuilt.label_trees + TreesBuilt.bounded_trees - before.labels - before.bounded, 250);
  EXPECT_GT(TreesBuilt.partial_trees - partial_before, 150);  // trees that stop at their origin's destinations
}

// On networks built like real ones (node numbers unrelated to position,
// arterials, type-0 links costing about 5e-4 beside BPR links costing 1 to
// 40, or constant costs from 1e-4 to 200,000; on half of them links of cost
// 0, on the other half labels above 2^24), each way of building trees loads
// the same volumes as the plain loadings, bit for bit, early stops included.
TEST(LoadingEquivalence, NetworksBuiltLikeRealOnesLoadAsThePlainLoadings) {
  for (const TreeMethod method : AllMethods) {
    const MethodScope scope(method);
    const TreeCounts before;
    for (int i = 0; i < 4; ++i) {
      NetworkShape shape{20, 15, 1300, 120, 50, i != 3, i % 2 == 1, false, 3};
      shape.permuted = true;
      shape.arterials = 25;
      shape.costs = i < 2 ? Costs::Realistic : Costs::Wide;
      shape.type0 = i < 2 ? 6 : 0;
      shape.zero_cost = i % 2 == 0 ? 3 : 0;
      if (i % 2 == 1) shape.scale = i < 2 ? 524288.0f : 256.0f;
      EXPECT_TRUE(GeneratedLoadsAsPlain(40 + static_cast<std::uint32_t>(i), shape)) << "network " << i;
      if (i % 2 == 1) {  // the last tree's labels
        EXPECT_TRUE(std::any_of(TimeToNode, TimeToNode + NodeNum, [](float t) { return t > 16777216.0f && t < Unreached; }))
            << "network " << i;
      }
    }
    if (method == TreeMethod::Labels) {  // the settling decides the trees, zero-cost links and all
      EXPECT_GT(TreesBuilt.label_trees - before.labels, 0);
    }
    if (method == TreeMethod::Lanes && LanesAvailable()) {
      EXPECT_GT(TreesBuilt.lane_trees - before.lanes, 300);
    }
  }
}

// With room for the routes of only a few pairs at a time, the loadings note
// the routes of a stretch of records, add its pairs, and go on with the
// next stretch: the volumes still match the plain loadings.
TEST(LoadingEquivalence, LittleRoomForRoutesGivesTheSameVolumes) {
  std::mt19937 mt(123);
  for (int network = 0; network < 300; ++network) {
    RandomNetwork(mt, true);
    RandomPairs(mt);
    const Status plain = PlainLoadNewLinkVol();
    const std::vector<std::uint32_t> plain_new = VolumeBits(New_LinkVol);
    Loading.route_limit = 1 + network % 3 * NodeNum;
    const Status fast = LoadNewLinkVol();
    ASSERT_EQ(fast.message, plain.message) << "network " << network;
    if (plain.ok) {
      ASSERT_EQ(VolumeBits(New_LinkVol), plain_new) << "network " << network;
    }
  }
}

// The comparison above has the power to see the order of addition: adding
// the same pairs grouped by origin instead of in record order changes some
// link's volume in some of these networks.
TEST(LoadingEquivalence, OrderOfAdditionIsVisibleInTheVolumes) {
  std::mt19937 mt(99);
  int differing = 0;
  for (int network = 0; network < 600; ++network) {
    RandomNetwork(mt, true);
    RandomPairs(mt);
    if (!PlainLoadNewLinkVol().ok) continue;
    const std::vector<std::uint32_t> record_order = VolumeBits(New_LinkVol);
    std::vector<int> order(static_cast<std::size_t>(OdpairNum));
    for (int od = 0; od < OdpairNum; ++od) order[static_cast<std::size_t>(od)] = od;
    std::stable_sort(order.begin(), order.end(), [](int x, int y) { return Origin[x] < Origin[y]; });
    for (int l = 0; l < LinkNumber; ++l) New_LinkVol[l] = 0.0f;
    for (const int od : order) {
      PlainMcr(Origin[od]);
      for (int node = Dest[od]; ProLinkNumber[node] != RootMark; node = LinkOrigin[ProLinkNumber[node]]) {
        New_LinkVol[ProLinkNumber[node]] += TripVol[od];
      }
    }
    differing += VolumeBits(New_LinkVol) != record_order ? 1 : 0;
  }
  EXPECT_GT(differing, 0);
}

}  // namespace
}  // namespace fw
