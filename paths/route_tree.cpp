// The route tree: the tree of least-cost routes from one origin, with the
// predecessors the label-correcting passes over the link list choose
// (paths/passes.cpp). A loading has the passes build the trees of up to 16
// origins at once, in vector lanes, where the processor allows it; a tree may
// also be found by settling least labels in order (paths/label_setting.cpp),
// which shows tree by tree that the passes would choose the same; where it
// cannot, the passes decide, on the labels that can still matter. Which way
// builds the next trees is chosen by their times (MethodChooser).
#include "paths/route_tree.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <limits>

#include "network/network.h"
#include "paths/debug_checks.h"
#include "paths/label_setting.h"
#include "paths/passes.h"
#include "paths/paths.h"

namespace fw {


// Whether the nodes and links are those the index was last built for: the
// same counts, and each link with the same tail and head. Notes them for the
// next call where they are not.
static bool SameLinks() {
  RouteTreeState& t = Trees;
  const std::size_t bytes = sizeof(int) * static_cast<std::size_t>(LinkNumber);
  if (t.indexed && t.indexed_nodes == NodeNum && t.indexed_links == LinkNumber && std::memcmp(t.indexed_tail, LinkOrigin, bytes) == 0 &&
      std::memcmp(t.indexed_head, LinkDest, bytes) == 0) {
    return true;
  }
  std::memcpy(t.indexed_tail, LinkOrigin, bytes);
  std::memcpy(t.indexed_head, LinkDest, bytes);
  t.indexed_nodes = NodeNum;
  t.indexed_links = LinkNumber;
  t.indexed = true;
  return false;
}

void IndexLinks() {
  RouteTreeState& t = Trees;
  // The groupings and the runs depend only on the links' ends, which stay
  // the same from one loading to the next; the entries, costs and numbers,
  // are copied anew.
  if (!SameLinks()) {
    GroupByKey(LinkNumber, NodeNum, [](int l) { return LinkOrigin[l]; }, [](int l) { return l; }, t.out_first, t.out_index);
    GroupByKey(LinkNumber, NodeNum, [](int l) { return LinkDest[l]; }, [](int l) { return l; }, t.in_first, t.in_index);
    IndexRuns();
  }
  for (int l = 0; l < LinkNumber; ++l) t.links[l] = TreeLink{LinkDest[l], LinkCost[l], LinkNum[l]};
  t.grouped = false;  // the copies by tail and by head wait until a tree needs them (GroupLinks)
  t.labels_allowed = true;
  t.least_paid_cost = 0.0f;
  bool loops_lower = false;
  for (int l = 0; l < LinkNumber; ++l) {
    const float cost = t.links[l].cost;
    if (cost > 0.0f && (t.least_paid_cost == 0.0f || cost < t.least_paid_cost)) t.least_paid_cost = cost;
    t.labels_allowed &= cost >= 0.0f && cost < std::numeric_limits<float>::infinity();
    loops_lower |= LinkOrigin[l] == LinkDest[l] && cost < 0.0f;
  }
  PassWork.loops_lower = loops_lower;
}

void GroupLinks() {
  RouteTreeState& t = Trees;
  if (t.grouped) return;
  for (int k = 0; k < LinkNumber; ++k) {
    const int by_tail = t.out_index[k];
    const int by_head = t.in_index[k];
    t.out_links[k] = TreeLink{LinkDest[by_tail], LinkCost[by_tail], LinkNum[by_tail]};
    t.in_links[k] = TreeLink{LinkOrigin[by_head], LinkCost[by_head], LinkNum[by_head]};
  }
  t.grouped = true;
}

void SeedTrees() {
  for (int n = 0; n < NodeNum; ++n) Trees.nodes[n].link = ProLinkNumber[n];
}

bool MethodChooser::UseLabels() const {
  // The first samples of each way, often slowed by first touches of the
  // tables or, from least labels, by a bucket width not yet fitted to the
  // labels, alternate.
  if (samples[0] < FirstSamples || samples[1] < FirstSamples) return samples[1] < samples[0];
  const bool faster = average[1] < average[0];
  return spent >= ProbeShare * average[faster ? 0 : 1] ? !faster : faster;
}

void MethodChooser::Record(bool labels, double seconds, int trees) {
  const int way = labels ? 1 : 0;
  double& mean = average[way];
  const bool was_faster = samples[0] >= FirstSamples && samples[1] >= FirstSamples && mean <= average[1 - way];
  if (samples[way]++ == 0) {
    mean = seconds;
  } else if (samples[way] <= FirstSamples) {
    mean = std::min(mean, seconds);  // the least of the first samples
  } else {
    // Other work on the machine, and the first touches of the tables, only
    // ever add time: a faster tree pulls the average down at once, a slower
    // one only so far. Trees built together count one by one.
    for (int k = 0; k < trees; ++k) {
      mean = seconds < mean ? (mean + seconds) / 2.0 : mean + (std::min(seconds, 4.0 * mean) - mean) / 8.0;
    }
  }
  spent = was_faster ? spent + seconds * static_cast<double>(trees) : 0.0;
}

// A tree by the passes, on every label, on those under `bounds` or on those
// at most `reach`.
static void BuildByPasses(int origin, const float* bounds, float reach, bool counted) {
  const long long relaxed = BuildTreeByPasses(origin, bounds, reach);
  if (counted) TreesBuilt.relaxations += relaxed;
  if (Trees.labels_allowed) CheckPassTree(origin, reach);
}

// A tree from least labels; the passes decide where the labels alone do not.
static void BuildFromLabels(int origin, const int* needed, int count) {
  switch (BuildTreeFromLabels(origin, needed, count)) {
    case LabelOutcome::Partial:
      ++TreesBuilt.partial_trees;
      ++TreesBuilt.label_trees;
      return;
    case LabelOutcome::Decided:
      ++TreesBuilt.label_trees;
      return;
    case LabelOutcome::Bounded:
      ++TreesBuilt.bounded_trees;
      BuildByPasses(origin, LabelWork.bound, Unreached, false);
      return;
    case LabelOutcome::Undecided:
      ++TreesBuilt.pass_trees;
      BuildByPasses(origin, nullptr, Unreached, false);
      return;
  }
}

void BuildTree(int origin) { BuildTreeFor(origin, nullptr, 0, Unreached); }

// The reach the passes of a tree for `count` needed nodes stop at: `reach`
// where it is known and labels are 0 or more (see BuildTreeFor), else
// Unreached. Counts the trees that stop at one.
static float ReachUsed(int count, float reach) {
  const bool within = count > 0 && Trees.labels_allowed && reach < Unreached;
  TreesBuilt.reach_trees += static_cast<long long>(within);
  return within ? reach : Unreached;
}

// (The passes within a reach.) On costs of 0 or more, a label above `reach`
// offers every head more than `reach`: the bound `reach` on every node holds
// over every link, as in (10) of paths/label_setting.cpp, and the passes that
// skip labels above it change the labels at or below it, and the marks of
// the nodes holding them, exactly as the passes over every label do. A needed
// node's least label, and those of the nodes on its route, are at most
// `reach`, so their labels, passes and predecessors are the tree's.
void BuildTreeFor(int origin, const int* needed, int count, float reach) {
  RouteTreeState& t = Trees;
  const bool chosen = TreeMethodUsed == TreeMethod::Chosen && t.labels_allowed;
  const bool labels = t.labels_allowed && (TreeMethodUsed == TreeMethod::Labels || (chosen && t.chooser.UseLabels()));
  const auto start = std::chrono::steady_clock::now();
  if (labels) {
    BuildFromLabels(origin, needed, count);
  } else {
    ++TreesBuilt.pass_trees;
    BuildByPasses(origin, nullptr, ReachUsed(count, reach), true);
  }
  if (chosen) t.chooser.Record(labels, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
}

bool LanesChosen() {
  if (!LanesAvailable()) return false;
  switch (TreeMethodUsed) {
    case TreeMethod::Lanes:
      return true;
    case TreeMethod::Chosen:
      return !Trees.labels_allowed || !Trees.chooser.UseLabels();
    case TreeMethod::Passes:
    case TreeMethod::Labels:
      return false;
  }
  return false;
}

void BuildTreesFor(const int* origins, const int* counts, const float* reach, int lanes) {
  RouteTreeState& t = Trees;
  float lane_reach[TreeLanes];
  for (int k = 0; k < lanes; ++k) lane_reach[k] = ReachUsed(counts[k], reach[k]);
  const auto start = std::chrono::steady_clock::now();
  TreesBuilt.relaxations += BuildTreesByLanes(origins, lane_reach, lanes);
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  TreesBuilt.pass_trees += lanes;
  TreesBuilt.lane_trees += lanes;
  if (TreeMethodUsed == TreeMethod::Chosen && t.labels_allowed) t.chooser.Record(false, seconds / static_cast<double>(lanes), lanes);
  CheckLaneTrees(lane_reach);
}

void LanesTaken(int taken) {
  for (int n = 0; n < NodeNum; ++n) {
    int k = taken - 1;
    while (k >= 0 && LaneSteps(k)[n].tail == NoTail) --k;
    if (k < 0) continue;
    Trees.nodes[n].link = LaneSteps(k)[n].link;
    Trees.nodes[n].tail = LaneSteps(k)[n].tail;
  }
}

void PublishLane(int k) {
  LanesTaken(k + 1);
  for (int n = 0; n < NodeNum; ++n) {
    Trees.nodes[n].time = LaneWork.nodes[n].time[k];
    Trees.nodes[n].pass = LaneWork.nodes[n].pass[k];
  }
  PublishTree();
}

void PublishTree() {
  // After the last pass, which improved nothing, every mark is 1.
  for (int n = 0; n < NodeNum; ++n) {
    TimeToNode[n] = Trees.nodes[n].time;
    ProLinkNumber[n] = Trees.nodes[n].link;
    tempnode[n] = 1;
  }
}

void RouteTree(int origin) {
  SeedTrees();
  BuildTree(origin);
  PublishTree();
}

void mcr(int origin) {
  const std::clock_t start = ProcessClock();
  IndexLinks();
  RouteTree(origin);
  direction_search_time = static_cast<float>(ClockMs(start, ProcessClock()));
}

}  // namespace fw
