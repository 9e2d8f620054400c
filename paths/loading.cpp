// All-or-nothing loading: each OD pair's whole trip volume follows the tree
// route from its destination back to its origin. A tree depends only on its
// origin and the link costs, and no cost changes during a loading, so the
// loadings build one tree per distinct origin and add the pairs in record
// order: the single-precision sums depend on that order, not on which tree
// was built when. Where each origin's pairs come in one block, the block is
// added on its tree as soon as it is built. Otherwise each tree's routes to
// its pairs' destinations are noted, and the pairs are added afterwards in
// record order; should the noted routes outgrow their room, the pairs are
// taken in stretches of records whose routes fit, each origin's tree being
// built once a stretch. A tree other than the loading's last need only hold
// the routes to its origin's destinations (BuildTreeFor), and where an
// origin has few destinations against the nodes, the passes stop at the
// highest sum, on the current costs, of the routes the last loading took to
// them, which bounds the least labels of the destinations. Where the
// processor allows it, the trees of the next origins (up to 16) are built
// together by the passes, one to a vector lane (paths/passes.cpp), and taken
// in the same order as trees built one by one. On networks of at most 32
// nodes and 128 links, a block's trips go on with route masks instead of
// link by link (paths/route_masks.cpp).
// A destination the tree did not reach is refused: its predecessor entry
// would belong to an older tree, and following it would load unrelated links
// or never end.
#include "paths/loading.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <string>

#include "network/network.h"
#include "network/tables.h"
#include "paths/passes.h"
#include "paths/paths.h"
#include "paths/route_masks.h"
#include "paths/route_tree.h"

namespace fw {

// The failure of OD pair od, whose destination no route reaches.
static Status Unreachable(int od) {
  return Status::Fail("OD record " + std::to_string(od) + " (origin " + std::to_string(Origin[od]) + ", destination " +
                      std::to_string(Dest[od]) + "): the destination cannot be reached from the origin");
}

struct RouteStep {  // one step of a route back towards its origin
  int link;         // the last link of the route to a node; RootMark at the origin
  int tail;         // the node that link comes from
};

// The route of a pair on the tree just built.
struct TreeLane {
  RouteStep operator()(int n) const { return RouteStep{Trees.nodes[n].link, Trees.nodes[n].tail}; }
  bool Reached(int n) const { return Trees.nodes[n].time < Unreached; }
};

// The route of a pair on lane `k` of the trees built together (LaneWork).
struct LaneTree {
  int k;
  RouteStep operator()(int n) const { return RouteStep{LaneSteps(k)[n].link, LaneSteps(k)[n].tail}; }
  bool Reached(int n) const { return LaneSteps(k)[n].tail != NoTail; }
};

// The route of a pair on the tree in the node tables.
struct PublishedLane {
  RouteStep operator()(int n) const { return RouteStep{ProLinkNumber[n], ProLinkNumber[n] == RootMark ? n : LinkOrigin[ProLinkNumber[n]]}; }
  bool Reached(int n) const { return TimeToNode[n] < Unreached; }
};

// Traces the routes of pairs at(0 .. count-1) on `lane` and hands each to
// take(p, links, length), in list order (links nullptr for a pair whose
// destination has no route); stops where take returns false, and returns
// whether it never did. Tracing a route waits on one load after another, so
// the routes of WalkLanes pairs are traced side by side; a lane without a
// pair stands at the origin, whose step is the root's.
template <typename PairAt, typename Lane, typename Take>
static bool TraceRoutes(int count, PairAt at, Lane lane, Take take) {
  for (int i = 0; i < count; i += WalkLanes) {
    const int pairs = std::min(WalkLanes, count - i);
    int node[WalkLanes];
    int length[WalkLanes];
    bool reached[WalkLanes];
    for (int c = 0; c < WalkLanes; ++c) {
      const int p = at(i + (c < pairs ? c : 0));
      reached[c] = c < pairs && lane.Reached(Dest[p]);
      node[c] = reached[c] ? Dest[p] : Origin[p];
      length[c] = 0;
    }
    for (bool any = true; any;) {
      any = false;
      for (int c = 0; c < WalkLanes; ++c) {
        const RouteStep s = lane(node[c]);
        const bool live = s.link != RootMark;
        LoadingRoutes.traced[c][length[c]] = s.link;
        length[c] += static_cast<int>(live);
        node[c] = s.tail;  // the root's step leads back to the root
        any |= live;
      }
    }
    for (int c = 0; c < pairs; ++c) {
      if (!take(at(i + c), reached[c] ? LoadingRoutes.traced[c] : nullptr, length[c])) return false;
    }
  }
  return true;
}

// TraceRoutes on the tree just built (lane < 0) or on a lane of the trees
// built together.
template <typename PairAt, typename Take>
static bool TraceOn(int lane, int count, PairAt at, Take take) {
  return lane < 0 ? TraceRoutes(count, at, TreeLane{}, take) : TraceRoutes(count, at, LaneTree{lane}, take);
}

// Adds pair p's trips to target[] over links[0 .. length-1]; a route uses a
// link once, so the order of the adds within a pair does not matter.
static void AddTrips(int p, const int* links, int length, float* target) {
  const float trips = TripVol[p];
  for (int k = 0; k < length; ++k) target[links[k]] += trips;
}

// Adds the trips of pairs od .. end-1 to target[] along their routes on
// `lane`, pair by pair in record order; pairs before an unreached
// destination are added before the failure is returned.
template <typename Lane>
static Status WalkPairs(int od, int end, float* target, Lane lane) {
  int unreached = -1;
  TraceRoutes(end - od, [od](int i) { return od + i; }, lane, [&unreached, target](int p, const int* links, int length) {
    if (links == nullptr) {
      unreached = p;
      return false;
    }
    AddTrips(p, links, length, target);
    return true;
  });
  return unreached >= 0 ? Unreachable(unreached) : Status::Ok();
}

Status AllOrNothing(int od) {
  mcr(Origin[od]);
  return WalkPairs(od, od + 1, LinkVolume, PublishedLane{});
}

// Builds a loading's tree from `origin`, for the routes to its pairs'
// destinations. The loading's last tree is built whole, timed into
// direction_search_time (the clock is not read for the others, whose times
// would be overwritten) and left in the node tables.
static void BuildLoadingTree(int origin, const int* needed, int count, bool last, float reach) {
  if (!last) {
    BuildTreeFor(origin, needed, count, reach);
    return;
  }
  const std::clock_t start = ProcessClock();
  BuildTree(origin);
  PublishTree();
  direction_search_time = static_cast<float>(ClockMs(start, ProcessClock()));
}

// The trees a loading builds several at a time, handed out in the order the
// loading takes their origins.
struct LaneTrees {
  int lanes = 0;          // trees built together
  int taken = 0;          // of those, trees handed out
  float share_ms = 0.0f;  // where they include the loading's last tree, their time over their number

  // The lane holding the tree of `origin`, if it is the next one waiting; -1 if not.
  int Take(int origin) { return taken < lanes && LaneWork.origins[taken] == origin ? taken++ : -1; }
  // Builds the trees of origins[0 .. count-1] together (count >= 1); timed
  // where they include the loading's last tree.
  void Build(const int* origins, const int* counts, const float* reach, int count, bool with_last) {
    const std::clock_t start = with_last ? ProcessClock() : std::clock_t{0};
    BuildTreesFor(origins, counts, reach, count);
    if (with_last) share_ms = static_cast<float>(ClockMs(start, ProcessClock()) / count);
    lanes = count;
    taken = 0;
  }
  // Leaves the loading's last tree, in lane k, in the node tables, as
  // BuildLoadingTree does, with its share of the lanes' time; that ends the
  // use of the trees built together.
  void Publish(int k) {
    PublishLane(k);
    direction_search_time = share_ms;
    lanes = taken = 0;
  }
  // Ends the use of the trees built together: the trees taken count as built one by one.
  void Done() {
    if (lanes > 0) LanesTaken(taken);
    lanes = taken = 0;
  }
};

// A new stamp for marking origins in Loading.seen.
static int NewStamp() {
  LoadingState& g = Loading;
  if (g.seen_stamp == std::numeric_limits<int>::max()) {
    std::fill(g.seen, g.seen + MaxNodes, 0);
    g.seen_stamp = 0;
  }
  return ++g.seen_stamp;
}

// Whether each origin's pairs come as one block of consecutive records;
// notes the blocks in Loading.block_first. The origins seldom change between
// loadings (only tests change them), so the blocks are found again only
// where they did.
static bool OriginsInBlocks() {
  LoadingState& g = Loading;
  const std::size_t bytes = sizeof(int) * static_cast<std::size_t>(OdpairNum);
  if (g.blocked_pairs == OdpairNum && OdpairNum > 0 && std::memcmp(g.blocked_origin, Origin, bytes) == 0) return g.in_blocks;
  const int stamp = NewStamp();
  bool blocks = true;
  g.blocks = 0;
  for (int od = 0; od < OdpairNum; ++od) {
    if (od > 0 && Origin[od] == Origin[od - 1]) continue;
    blocks &= g.seen[Origin[od]] != stamp;
    g.seen[Origin[od]] = stamp;
    g.block_first[g.blocks++] = od;
  }
  g.block_first[g.blocks] = OdpairNum;
  std::memcpy(g.blocked_origin, Origin, bytes);
  g.blocked_pairs = OdpairNum;
  g.in_blocks = blocks;
  return blocks;
}

// The sum, on the current costs, of the route noted for pair p, added link
// by link from the origin as a label is; Unreached unless the entries noted
// for it (perhaps by an earlier loading, on another network, or overwritten
// since) form a route from its origin to its destination. Any such route's
// sum is at least the destination's least label.
static float NotedRouteSum(int p) {
  const int start = Loading.route_start[p];
  const int length = Loading.route_length[p];
  if (start < 0 || length < 0 || length >= NodeNum || start > RouteRoom - length) return Unreached;
  const int* const links = LoadingRoutes.links + start;
  int node = Origin[p];
  float sum = 0.0f;
  for (int k = length - 1; k >= 0; --k) {  // the links were noted from the destination back
    const int l = links[k];
    if (l < 0 || l >= LinkNumber || LinkOrigin[l] != node) return Unreached;
    sum += Trees.links[l].cost;
    node = LinkDest[l];
  }
  return node == Dest[p] ? sum : Unreached;
}

// Whether the passes are to stop at the sums of an origin's `count` noted
// routes: where its pairs are many against the nodes, their routes span
// most of the network, and noting them and summing them costs more than the
// passes would spare.
static bool WorthReaching(int count) { return count > 0 && 16 * count < NodeNum; }

// Notes links[0 .. length-1] as pair p's route at `used` in the route store,
// if it fits; returns the store's entries in use after it.
static int NoteRoute(int p, const int* links, int length, int used) {
  if (length > RouteRoom - used) {
    Loading.route_start[p] = UnreachedRoute;
    return used;
  }
  std::copy(links, links + length, LoadingRoutes.links + used);
  Loading.route_start[p] = used;
  Loading.route_length[p] = length;
  return used + length;
}

// The reach of an origin whose pairs are at(0 .. count-1): the highest sum
// of their noted routes; Unreached where one has none, or where they are
// not worth it.
template <typename PairAt>
static float ReachOf(int count, PairAt at) {
  float reach = WorthReaching(count) ? 0.0f : Unreached;
  for (int k = 0; k < count && reach < Unreached; ++k) reach = std::max(reach, NotedRouteSum(at(k)));
  return reach;
}

// Builds together the trees of block `block` and of the blocks after it, as
// many as there are lanes (the loading's last tree whole).
static void BuildBlockLanes(int block, LaneTrees* group) {
  const LoadingState& g = Loading;
  int origins[TreeLanes];
  int counts[TreeLanes];
  float reach[TreeLanes];
  int lanes = 0;
  for (; lanes < TreeLanes && block < g.blocks; ++block) {
    const int od = g.block_first[block];
    origins[lanes] = Origin[od];
    counts[lanes] = g.block_first[block + 1] - od;
    reach[lanes++] = block + 1 < g.blocks ? g.reach[Origin[od]] : Unreached;  // the last tree is whole
  }
  group->Build(origins, counts, reach, lanes, block == g.blocks);
}

// The tree just built, as a lane's steps, for AddBlockByMasks.
static const LaneStep* TreeSteps() {
  LaneStep* const steps = Loading.tree_steps;
  for (int n = 0; n < NodeNum; ++n) {
    const TreeNode& node = Trees.nodes[n];
    steps[n] = node.time < Unreached ? LaneStep{node.link, node.tail} : LaneStep{RootMark, NoTail};
  }
  return steps;
}

// Adds the pairs to target[] block by block, each on its origin's tree as it
// is built: the records' order is kept without noting any route, except
// those the next loading's passes may stop at (WorthReaching). On small
// networks the blocks are added with route masks, where no route is noted.
static Status LoadBlocks(float* target) {
  LoadingState& g = Loading;
  // The reaches first: noting this loading's routes overwrites the last's.
  for (int block = 0; block < g.blocks; ++block) {
    const int od = g.block_first[block];
    g.reach[Origin[od]] = ReachOf(g.block_first[block + 1] - od, [od](int k) { return od + k; });
  }
  int used = 0;
  LaneTrees group;
  const bool masks = RouteMasksAvailable();
  for (int block = 0; block < g.blocks; ++block) {
    const int od = g.block_first[block];
    const int end = g.block_first[block + 1];
    const bool note = WorthReaching(end - od);
    int lane = group.Take(Origin[od]);
    if (lane < 0) {
      group.Done();
      if (end < OdpairNum && LanesChosen()) {
        BuildBlockLanes(block, &group);
        lane = group.Take(Origin[od]);
      } else {
        BuildLoadingTree(Origin[od], Dest + od, end - od, end == OdpairNum, Loading.reach[Origin[od]]);
      }
    }
    if (lane >= 0 && end == OdpairNum) group.Publish(lane);
    if (masks && !note && AddBlockByMasks(lane >= 0 ? LaneSteps(lane) : TreeSteps(), od, end, target)) continue;
    int unreached = -1;
    TraceOn(lane, end - od, [od](int i) { return od + i; }, [&](int p, const int* links, int length) {
      if (links == nullptr) {
        unreached = p;
        return false;
      }
      AddTrips(p, links, length, target);
      if (note) used = NoteRoute(p, links, length, used);
      return true;
    });
    if (unreached >= 0) {
      group.Done();
      return Unreachable(unreached);
    }
  }
  group.Done();
  return Status::Ok();
}

// Groups the pairs and their destinations by origin: Loading.dest_first,
// Loading.dests and Loading.pairs.
static void GroupPairs() {
  GroupByKey(OdpairNum, NodeNum, [](int od) { return Origin[od]; }, [](int od) { return Dest[od]; }, Loading.dest_first, Loading.dests);
  GroupByKey(OdpairNum, NodeNum, [](int od) { return Origin[od]; }, [](int od) { return od; }, Loading.dest_first, Loading.pairs);
}

// Puts the origins of the pairs from `od` on into Loading.stretch, each once,
// in the order they first appear; returns how many.
static int StretchOrigins(int od) {
  LoadingState& g = Loading;
  const int stamp = NewStamp();
  int count = 0;
  for (; od < OdpairNum; ++od) {
    if (g.seen[Origin[od]] == stamp) continue;
    g.seen[Origin[od]] = stamp;
    g.stretch[count++] = Origin[od];
  }
  return count;
}

// Loading.hops: the fewest links from `root` to every node, the links taken
// either way (NodeNum where none leads); returns the node farthest from it.
static int HopsFrom(int root) {
  LoadingState& g = Loading;
  const RouteTreeState& t = Trees;
  std::fill(g.hops, g.hops + NodeNum, NodeNum);
  g.hops[root] = 0;
  g.queue[0] = root;
  int queued = 1;
  const auto visit = [&g, &queued](int m, int hops) {
    if (g.hops[m] <= hops) return;
    g.hops[m] = hops;
    g.queue[queued++] = m;
  };
  for (int at = 0; at < queued; ++at) {
    const int n = g.queue[at];
    for (int k = t.out_first[n]; k < t.out_first[n + 1]; ++k) visit(t.out_links[k].head, g.hops[n] + 1);
    for (int k = t.in_first[n]; k < t.in_first[n + 1]; ++k) visit(t.in_links[k].head, g.hops[n] + 1);
  }
  return g.queue[queued - 1];
}

// Gives every node a key in Loading.near_key such that nodes of close keys
// mostly lie close together in the network, whatever their numbers: the
// trees of such origins' passes scan much the same runs. A node's hop counts
// from two far-apart nodes, A and B, serve as its coordinates (close nodes
// have close counts from both), and the key is its place on a Z-order curve
// through them, interleaving their bits.
static void KeyNearby() {
  LoadingState& g = Loading;
  GroupLinks();
  const int far_a = HopsFrom(0);
  const int far_b = HopsFrom(far_a);
  std::copy(g.hops, g.hops + NodeNum, g.near_key);
  HopsFrom(far_b);
  for (int n = 0; n < NodeNum; ++n) {
    std::uint64_t key = 0;
    for (int bit = 0; bit < 32; ++bit) {
      key |= ((g.near_key[n] >> bit) & 1u) << (2 * bit);
      key |= ((static_cast<std::uint64_t>(g.hops[n]) >> bit) & 1u) << (2 * bit + 1);
    }
    g.near_key[n] = key;
  }
}

// The pairs of `origin` among pairs od .. end-1: Loading.pairs[*from .. *to-1].
static void PairsBetween(int origin, int od, int end, int* from, int* to) {
  const int* const first = Loading.pairs + Loading.dest_first[origin];
  const int* const last = Loading.pairs + Loading.dest_first[origin + 1];
  *from = static_cast<int>(std::lower_bound(first, last, od) - Loading.pairs);
  *to = static_cast<int>(std::lower_bound(first, last, end) - Loading.pairs);
}

// Builds together the trees of stretch origins i .. limit-1 that have pairs
// among pairs od .. end-1, as many as there are lanes, that of the last,
// limit-1, whole.
static void BuildStretchLanes(int i, int limit, int od, int end, LaneTrees* group) {
  const LoadingState& g = Loading;
  int origins[TreeLanes];
  int counts[TreeLanes];
  float reach[TreeLanes];
  int lanes = 0;
  bool with_last = false;
  for (; i < limit && lanes < TreeLanes; ++i) {
    const int origin = g.stretch[i];
    int from = 0;
    int to = 0;
    PairsBetween(origin, od, end, &from, &to);
    if (from == to) continue;
    with_last = i == limit - 1;
    origins[lanes] = origin;
    counts[lanes] = g.dest_first[origin + 1] - g.dest_first[origin];
    reach[lanes++] = with_last ? Unreached : g.reach[origin];  // the last tree is whole
  }
  group->Build(origins, counts, reach, lanes, with_last);
}

// Notes the routes of a stretch of pairs from `od` on: each origin's tree is
// built once and the routes of its pairs noted, until the room runs out.
// Returns the end of the stretch, the first pair whose route was not noted;
// every pair before it has its route. Where the routes of every pair left
// must fit (each has fewer links than there are nodes), the trees are built
// nearby origins together (KeyNearby), and the last new origin's tree last;
// otherwise in the order the origins first appear.
static int NoteRoutes(int od) {
  LoadingState& g = Loading;
  const int room = g.route_limit > 0 ? std::max(g.route_limit, NodeNum) : RouteRoom;
  const int origins = StretchOrigins(od);
  if (static_cast<long long>(OdpairNum - od) * (NodeNum - 1) <= room) {
    std::stable_sort(g.stretch, g.stretch + origins - 1, [&g](int x, int y) { return g.near_key[x] < g.near_key[y]; });
  }
  int end = OdpairNum;
  int used = 0;
  LaneTrees group;
  for (int i = 0; i < origins; ++i) {
    const int origin = g.stretch[i];
    int from = 0;
    int to = 0;
    // Deliberate: `end` falls as the room runs out; an origin first met
    // before it still has every pair before it noted.
    PairsBetween(origin, od, end, &from, &to);
    if (from == to) continue;
    const bool last = i == origins - 1;
    int lane = group.Take(origin);
    if (lane < 0) {
      group.Done();
      if (!last && LanesChosen()) {
        BuildStretchLanes(i, origins, od, end, &group);
        lane = group.Take(origin);
      } else {
        const int first = g.dest_first[origin];
        BuildLoadingTree(origin, g.dests + first, g.dest_first[origin + 1] - first, last && end == OdpairNum, g.reach[origin]);
      }
    }
    if (lane >= 0 && last && end == OdpairNum) group.Publish(lane);
    TraceOn(lane, to - from, [from](int k) { return Loading.pairs[from + k]; }, [&](int q, const int* links, int length) {
      if (links == nullptr) {
        g.route_start[q] = UnreachedRoute;
        return true;
      }
      if (length > room - used) {
        end = q;
        return false;
      }
      used = NoteRoute(q, links, length, used);
      return true;
    });
  }
  group.Done();
  return end;
}

// Loading.reach of every origin, from the routes the last loading noted
// (unknown where they are not worth it).
static void FindReaches() {
  LoadingState& g = Loading;
  for (int origin = 0; origin < NodeNum; ++origin) {
    const int* const pairs = g.pairs + g.dest_first[origin];
    g.reach[origin] = ReachOf(g.dest_first[origin + 1] - g.dest_first[origin], [pairs](int k) { return pairs[k]; });
  }
}

// Adds every OD pair's trips to target[] in record order, on trees built once
// per distinct origin (once per stretch of records when the routes outgrow
// their room).
static Status LoadPairs(float* target) {
  IndexLinks();
  SeedTrees();
  if (OriginsInBlocks()) return LoadBlocks(target);
  GroupPairs();
  KeyNearby();
  FindReaches();
  for (int od = 0; od < OdpairNum;) {
    const int end = NoteRoutes(od);
    // Deliberate: the trips are added pair by pair in record order, whatever
    // order the trees were built in; the single-precision sums depend on it.
    for (; od < end; ++od) {
      if (Loading.route_start[od] == UnreachedRoute) return Unreachable(od);
      AddTrips(od, LoadingRoutes.links + Loading.route_start[od], Loading.route_length[od], target);
    }
  }
  return Status::Ok();
}

Status LoadInitialLinkVol() { return LoadPairs(LinkVolume); }

Status LoadNewLinkVol() {
  for (int l = 0; l < LinkNumber; ++l) New_LinkVol[l] = 0.0f;
  return LoadPairs(New_LinkVol);
}

}  // namespace fw
