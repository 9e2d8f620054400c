// All-or-nothing loading: each OD pair's whole trip volume follows the tree
// route from its destination back to its origin. A tree depends only on its
// origin and the link costs, and no cost changes during a loading, so the
// loadings build one tree per distinct origin, keep it, and then add the pairs
// in record order: the single-precision sums depend on that order, not on
// which tree was built when. Where each origin's pairs come in one block, the
// block is added on its tree as soon as it is built, and nothing is kept. A
// tree other than the loading's last need only hold the routes to its
// origin's destinations (BuildTreeFor). A destination the tree did not reach is refused:
// its predecessor entry would belong to an older tree, and following it would
// load unrelated links or never end.
#include "paths/loading.h"

#include <algorithm>
#include <string>

#include "network/network.h"
#include "network/tables.h"
#include "paths/paths.h"
#include "paths/route_tree.h"

namespace fw {

// The failure of OD pair od, whose destination no route reaches.
static Status Unreachable(int od) {
  return Status::Fail("OD record " + std::to_string(od) + " (origin " + std::to_string(Origin[od]) + ", destination " +
                      std::to_string(Dest[od]) + "): the destination cannot be reached from the origin");
}

// The route of a pair on the tree just built.
struct TreeLane {
  KeptStep operator()(int n) const { return KeptStep{Trees.nodes[n].link, Trees.nodes[n].tail}; }
  bool Reached(int n) const { return Trees.nodes[n].time < Unreached; }
};

// The route of a pair on its origin's kept tree.
struct KeptLane {
  const KeptStep* route;
  KeptStep operator()(int n) const { return route[n]; }
  bool Reached(int n) const { return route[n].link != NotReached; }
};

// The route of a pair on the tree in the node tables.
struct PublishedLane {
  KeptStep operator()(int n) const { return KeptStep{ProLinkNumber[n], ProLinkNumber[n] == RootMark ? n : LinkOrigin[ProLinkNumber[n]]}; }
  bool Reached(int n) const { return TimeToNode[n] < Unreached; }
};

// Adds the trips of pairs od .. end-1 to target[] along their routes, where
// lane_of(p) gives pair p's route: step(n) is the last link of the route to
// node n (RootMark at the origin) and the node it comes from. Tracing a
// route waits on one load after another, so the routes of WalkLanes pairs
// are traced side by side and their links noted; the trips are then added
// pair by pair, so that each link's single-precision sum still takes the
// pairs in record order (a route uses a link once, so the order of the adds
// within a pair does not matter). Pairs before an unreached destination are
// added before the failure is returned.
template <typename LaneOf>
static Status WalkPairs(int od, int end, float* target, LaneOf lane_of) {
  using Lane = decltype(lane_of(od));
  for (; od < end; od += WalkLanes) {
    Lane lane[WalkLanes];
    int node[WalkLanes];
    int length[WalkLanes];
    int pairs = std::min(WalkLanes, end - od);
    int unreached = -1;
    for (int c = 0; c < pairs; ++c) {
      lane[c] = lane_of(od + c);
      if (!lane[c].Reached(Dest[od + c])) {
        unreached = od + c;
        pairs = c;
        break;
      }
    }
    for (int c = 0; c < WalkLanes; ++c) {
      length[c] = 0;
      if (c < pairs) {
        node[c] = Dest[od + c];
      } else {  // an idle lane stands at an origin, whose step is the root's
        lane[c] = lane_of(od);
        node[c] = Origin[od];
      }
    }
    for (bool any = pairs > 0; any;) {
      any = false;
      for (int c = 0; c < WalkLanes; ++c) {
        const KeptStep s = lane[c](node[c]);
        const bool live = s.link != RootMark;
        Loading.traced[c][length[c]] = s.link;
        length[c] += static_cast<int>(live);
        node[c] = s.tail;  // the root's step leads back to the root
        any |= live;
      }
    }
    for (int c = 0; c < pairs; ++c) {
      const float trips = TripVol[od + c];
      for (int k = 0; k < length[c]; ++k) target[Loading.traced[c][k]] += trips;
    }
    if (unreached >= 0) return Unreachable(unreached);
  }
  return Status::Ok();
}

Status AllOrNothing(int od) {
  mcr(Origin[od]);
  return WalkPairs(od, od + 1, LinkVolume, [](int) { return PublishedLane{}; });
}

// Gives a kept-tree slot to each distinct origin of the pairs from `od` on, in
// the order they first appear, until the slots run out; records the slots in
// Loading.slot_of and Loading.slot_origin, their number in *slots, and returns the end of
// the pairs they serve.
static int GroupOrigins(int od, int* slots) {
  int kept = 0;
  for (; od < OdpairNum; ++od) {
    const int o = Origin[od];
    if (Loading.slot_of[o] >= 0) continue;
    if (kept == (Loading.slot_limit > 0 ? Loading.slot_limit : MaxKeptTrees)) break;
    Loading.slot_of[o] = kept;
    Loading.slot_origin[kept++] = o;
  }
  *slots = kept;
  return od;
}

// Builds a loading's tree from `origin`, for the routes to needed[0 ..
// count-1]. The loading's last tree is built whole, timed into
// direction_search_time (the clock is not read for the others, whose times
// would be overwritten) and left in the node tables.
static void BuildLoadingTree(int origin, const int* needed, int count, bool last) {
  if (!last) {
    BuildTreeFor(origin, needed, count);
    return;
  }
  const std::clock_t start = ProcessClock();
  BuildTree(origin);
  PublishTree();
  direction_search_time = static_cast<float>(ClockMs(start, ProcessClock()));
}

// Builds the tree of every kept origin and copies its routes into its slot.
// When `last` is set, the final tree is the loading's last.
static void KeepTrees(int slots, bool last) {
  for (int k = 0; k < slots; ++k) {
    const int origin = Loading.slot_origin[k];
    BuildLoadingTree(origin, Loading.dests + Loading.dest_first[origin], Loading.dest_first[origin + 1] - Loading.dest_first[origin], last && k == slots - 1);
    KeptStep* route = Loading.route[k];
    for (int n = 0; n < NodeNum; ++n) {
      const TreeNode node = Trees.nodes[n];
      route[n] = node.time < Unreached ? KeptStep{node.link, node.tail} : KeptStep{NotReached, n};
    }
  }
}

// Whether each origin's pairs come as one block of consecutive records.
// Uses Loading.slot_of as marks and leaves it all -1.
static bool OriginsInBlocks() {
  bool blocks = true;
  for (int od = 0; od < OdpairNum; ++od) {
    if (od > 0 && Origin[od] == Origin[od - 1]) continue;
    blocks &= Loading.slot_of[Origin[od]] == -1;
    Loading.slot_of[Origin[od]] = 0;
  }
  for (int n = 0; n < NodeNum; ++n) Loading.slot_of[n] = -1;
  return blocks;
}

// Adds the pairs to target[] block by block, each on its origin's tree as it
// is built: the records' order is kept without keeping any tree.
static Status LoadBlocks(float* target) {
  for (int od = 0; od < OdpairNum;) {
    int end = od;
    while (end < OdpairNum && Origin[end] == Origin[od]) ++end;
    BuildLoadingTree(Origin[od], Dest + od, end - od, end == OdpairNum);
    const Status s = WalkPairs(od, end, target, [](int) { return TreeLane{}; });
    if (!s.ok) return s;
    od = end;
  }
  return Status::Ok();
}

// Groups the pairs' destinations by origin: Loading.dest_first, Loading.dests.
static void ListDestinations() {
  GroupByKey(OdpairNum, NodeNum, [](int od) { return Origin[od]; }, [](int od) { return Dest[od]; }, Loading.dest_first, Loading.dests);
}

// Adds every OD pair's trips to target[] in record order, on trees built once
// per distinct origin (once per group of origins when there are more distinct
// origins than slots, and without keeping them when each origin's pairs come
// in one block).
static Status LoadPairs(float* target) {
  IndexLinks();
  SeedTrees();
  for (int n = 0; n < NodeNum; ++n) Loading.slot_of[n] = -1;
  if (OriginsInBlocks()) return LoadBlocks(target);
  ListDestinations();
  int od = 0;
  while (od < OdpairNum) {
    int slots = 0;
    const int end = GroupOrigins(od, &slots);
    KeepTrees(slots, end == OdpairNum);
    // Deliberate: the trips are added pair by pair in record order, whatever
    // order the trees were built in; the single-precision sums depend on it.
    const Status s = WalkPairs(od, end, target, [](int p) { return KeptLane{Loading.route[Loading.slot_of[Origin[p]]]}; });
    if (!s.ok) return s;
    od = end;
    for (int k = 0; k < slots; ++k) Loading.slot_of[Loading.slot_origin[k]] = -1;
  }
  return Status::Ok();
}

Status LoadInitialLinkVol() { return LoadPairs(LinkVolume); }

Status LoadNewLinkVol() {
  for (int l = 0; l < LinkNumber; ++l) New_LinkVol[l] = 0.0f;
  return LoadPairs(New_LinkVol);
}

}  // namespace fw
