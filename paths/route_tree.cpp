// The route tree: the tree of least-cost routes from one origin, with the
// predecessors the label-correcting passes over the link list choose
// (paths/passes.cpp). Most trees are found instead by settling least labels
// in order (paths/label_setting.cpp), which shows tree by tree that the
// passes would choose the same; where it cannot, the passes decide, on the
// labels that can still matter.
#include "paths/route_tree.h"

#include <algorithm>
#include <limits>

#include "network/network.h"
#include "paths/debug_checks.h"
#include "paths/label_setting.h"
#include "paths/passes.h"
#include "paths/paths.h"

namespace fw {


void IndexLinks() {
  RouteTreeState& t = Trees;
  for (int l = 0; l < LinkNumber; ++l) t.links[l] = TreeLink{LinkDest[l], LinkCost[l], LinkNum[l]};
  GroupByKey(LinkNumber, NodeNum, [](int l) { return LinkOrigin[l]; }, [&t](int l) { return t.links[l]; }, t.out_first, t.out_links);
  GroupByKey(LinkNumber, NodeNum, [](int l) { return LinkDest[l]; }, [](int l) { return TreeLink{LinkOrigin[l], LinkCost[l], LinkNum[l]}; },
             t.in_first, t.in_links);
  t.labels_allowed = true;
  t.least_paid_cost = 0.0f;
  for (int l = 0; l < LinkNumber; ++l) {
    const float cost = t.links[l].cost;
    if (cost > 0.0f && (t.least_paid_cost == 0.0f || cost < t.least_paid_cost)) t.least_paid_cost = cost;
    t.labels_allowed &= cost >= 0.0f && cost < std::numeric_limits<float>::infinity();
  }
  IndexRuns();
  t.trees_on_index = 0;
  t.labels_pay = false;
}

void SeedTrees() {
  for (int n = 0; n < NodeNum; ++n) Trees.nodes[n].link = ProLinkNumber[n];
}

// Least labels pay unless the passes relax each link barely more than once,
// as on small or tree-like networks. The first tree on each index is built
// by the passes and decides: the later ones take least labels if it relaxed
// more than LabelsPayAbove tenths of the links.
constexpr long long LabelsPayAbove = 22;

// A tree by the passes, on every label or (`bounds`) on those under them.
static void BuildByPasses(int origin, const float* bounds, bool counted) {
  const long long relaxed = BuildTreeByPasses(origin, bounds);
  if (counted) TreesBuilt.relaxations += relaxed;
  if (Trees.labels_allowed) CheckPassTree(origin);
}

void BuildTree(int origin) { BuildTreeFor(origin, nullptr, 0); }

void BuildTreeFor(int origin, const int* needed, int count) {
  RouteTreeState& t = Trees;
  const bool first = t.trees_on_index++ == 0;
  const bool labels = t.labels_allowed && (TreeMethodUsed == TreeMethod::Labels || (TreeMethodUsed == TreeMethod::Chosen && !first && t.labels_pay));
  if (!labels) {
    ++TreesBuilt.pass_trees;
    const long long before = TreesBuilt.relaxations;
    BuildByPasses(origin, nullptr, true);
    if (first) t.labels_pay = 10 * (TreesBuilt.relaxations - before) > LabelsPayAbove * LinkNumber;
    return;
  }
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
      BuildByPasses(origin, LabelWork.bound, false);
      return;
    case LabelOutcome::Undecided:
      ++TreesBuilt.pass_trees;
      BuildByPasses(origin, nullptr, false);
      return;
  }
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
