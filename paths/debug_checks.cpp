// The tree checks of a build with FW_DEBUG_CHECKS (see paths/debug_checks.h).
// Each failure names the fact, the origin and the node, and aborts.
#ifdef FW_DEBUG_CHECKS
#include "paths/debug_checks.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>

#include "paths/label_setting.h"
#include "paths/passes.h"
#include "paths/route_tree.h"

namespace fw {

static void Require(bool holds, const char* fact, int origin, int node) {
  if (holds) return;
  std::fprintf(stderr, "route tree check failed: %s (origin %d, node %d)\n", fact, origin, node);
  std::abort();
}

// The predecessor of reached node n is a tight link, from a tail of one pass
// less where `passes_rise` (in a tree from least labels; the passes may take
// a tail's offer from above its least label where it rounds to the same).
static void CheckPredecessor(int origin, int n, bool passes_rise) {
  const TreeNode node = Trees.nodes[n];
  if (n == origin) {
    Require(node.link == RootMark && node.time == 0.0f, "the origin is the root", origin, n);
    return;
  }
  // The program reads link numbers equal to positions; only tests give others.
  if (!(node.link >= 0 && node.link < LinkNumber && LinkNum[node.link] == node.link)) return;
  Require(LinkDest[node.link] == n, "the predecessor link ends at its node", origin, n);
  Require(LinkOrigin[node.link] == node.tail, "the route's tail is the predecessor's tail", origin, n);
  const TreeNode tail = Trees.nodes[node.tail];
  Require(tail.time + Trees.links[node.link].cost == node.time, "the predecessor link is tight", origin, n);
  Require(!passes_rise || node.pass == tail.pass + 1, "passes rise by one along predecessor links", origin, n);
}

// Whether node n was settled in the current tree from least labels.
static bool Settled(int n) {
  const LabelState& s = LabelWork;
  return s.settled_at[n] < s.settled_count && s.settled[s.settled_at[n]] == n;
}

void CheckLabelTree(int origin, float floor) {
  const LabelState& s = LabelWork;
  for (int k = 0; k < s.settled_count; ++k) {
    const int n = s.settled[k];
    CheckPredecessor(origin, n, true);
    if (n != origin) Require(s.bound[n] >= Trees.nodes[n].time && s.bound[n] < floor, "the bound lies between the label and the floor", origin, n);
  }
  for (int l = 0; l < LinkNumber; ++l) {
    const int tail = LinkOrigin[l];
    const int head = LinkDest[l];
    if (!Settled(head)) continue;
    const float offer = Trees.nodes[tail].time + Trees.links[l].cost;
    const float label = Trees.nodes[head].time;
    Require(offer >= label, "no link offers a node less than its label", origin, head);
    if (head == origin || !Settled(tail)) continue;
    if (offer == label) {
      const float above = std::nextafter(s.bound[tail], std::numeric_limits<float>::infinity());
      Require(above + Trees.links[l].cost > s.bound[head], "a label above a tail's bound offers more than the head's bound", origin, head);
    } else {
      Require(offer > s.bound[head], "every other offer from a least label is above the bound", origin, head);
    }
  }
}

void CheckPassTree(int origin, float reach) {
  const auto within = [reach](int n) { return Trees.nodes[n].time < Unreached && Trees.nodes[n].time <= reach; };
  for (int n = 0; n < NodeNum; ++n) {
    if (within(n)) CheckPredecessor(origin, n, false);
  }
  for (int l = 0; l < LinkNumber; ++l) {
    const int head = LinkDest[l];
    if (!within(head)) continue;
    Require(Trees.nodes[LinkOrigin[l]].time + Trees.links[l].cost >= Trees.nodes[head].time, "no link offers a node less than its label",
            origin, head);
  }
}

void CheckLaneTrees(const float* reach) {
  static TreeNode saved[MaxNodes];
  std::copy(Trees.nodes, Trees.nodes + NodeNum, saved);
  const LaneState& s = LaneWork;
  for (int k = 0; k < s.lanes; ++k) {
    const int origin = s.origins[k];
    BuildTreeByPasses(origin, nullptr, reach[k]);
    for (int n = 0; n < NodeNum; ++n) {
      const TreeNode node = Trees.nodes[n];
      const float time = s.nodes[n].time[k];
      Require(node.time < Unreached ? std::memcmp(&time, &node.time, sizeof time) == 0 : !(time < Unreached), "the lane's label is the passes'", origin, n);
      if (!(node.time < Unreached)) continue;
      const int l = s.nodes[n].link[k];
      Require(s.nodes[n].pass[k] == node.pass, "the lane's pass is the passes'", origin, n);
      Require(l == RootMark ? node.link == RootMark : node.link == Trees.links[l].number && node.tail == LinkOrigin[l], "the lane's predecessor is the passes'",
              origin, n);
    }
  }
  std::copy(saved, saved + NodeNum, Trees.nodes);
}

}  // namespace fw
#endif
