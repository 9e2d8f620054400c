// The route tree: a label-correcting method in passes over the link list.
// Which links a pass examines, and in what order, decides between equal-cost
// routes, so the passes are reproduced exactly. A full scan of the link list
// acts only on the links out of nodes marked 0, so each pass visits just
// those links, in index order, and leaves the rest unread. The link list is
// cut into runs of consecutive links that share a tail node; a pass marks the
// runs of its nodes in a bitmap and reads the bitmap from the lowest bit.
#include "network/network.h"
#include "network/tables.h"
#include "paths/paths.h"

namespace fw {

// Cuts the link list into runs: RunCount, RunFirst, RunTail.
static void CutRuns() {
  RunCount = 0;
  for (int l = 0; l < LinkNumber; ++l) {
    if (l == 0 || LinkOrigin[l] != LinkOrigin[l - 1]) {
      RunFirst[RunCount] = l;
      RunTail[RunCount++] = LinkOrigin[l];
    }
  }
  RunFirst[RunCount] = LinkNumber;
}

void IndexLinkRuns() {
  for (int l = 0; l < LinkNumber; ++l) TreeLinks[l] = TreeLink{LinkDest[l], LinkCost[l], LinkNum[l]};
  CutRuns();
  for (int n = 0; n < NodeNum; ++n) NodeRunFirst[n] = 0;
  for (int r = 0; r < RunCount; ++r) ++NodeRunFirst[RunTail[r]];
  for (int n = 1; n < NodeNum; ++n) NodeRunFirst[n] += NodeRunFirst[n - 1];  // now the end of each group
  NodeRunFirst[NodeNum] = RunCount;
  // Filled from the back, each entry of NodeRunFirst ends at the start of its group.
  for (int r = RunCount - 1; r >= 0; --r) NodeRuns[--NodeRunFirst[RunTail[r]]] = r;
}

// Marks in PassRuns the runs of the nodes scan[0 .. count-1]. Most nodes
// have one run (all of them when the links come sorted by tail node).
static void MarkPassRuns(const int* scan, int count) {
  for (int s = 0; s < count; ++s) {
    const int first = NodeRunFirst[scan[s]];
    const int last = NodeRunFirst[scan[s] + 1];
    if (last - first == 1) {
      PassRuns[NodeRuns[first] >> 6] |= std::uint64_t{1} << (NodeRuns[first] & 63);
      continue;
    }
    for (int k = first; k < last; ++k) PassRuns[NodeRuns[k] >> 6] |= std::uint64_t{1} << (NodeRuns[k] & 63);
  }
}

// Pass `pass` over the marked runs in index order, clearing the marks. The
// nodes listed for it were improved in the previous pass, so a run's tail is
// marked 0 while its last improvement is that pass; once improved in this
// pass it is marked 2. A node's mark cannot change inside its own run (only a
// link into the node could change it, and a loop of cost 0 or more improves
// nothing), so it is read once per run. The links of a run are relaxed
// without branches, since whether a label improves is hard to predict: a link
// that improves nothing writes into the spare entry. Nodes improved for the
// first time in this pass are listed in improved_nodes; returns their number.
static int Pass(int pass, int* improved_nodes) {
  int improved = 0;
  const int words = (RunCount + 63) >> 6;
  for (int w = 0; w < words; ++w) {
    std::uint64_t bits = PassRuns[w];
    PassRuns[w] = 0;
    for (; bits != 0; bits &= bits - 1) {
      const int r = (w << 6) + __builtin_ctzll(bits);
      const TreeNode from = TreeNodes[RunTail[r]];
      // Deliberate: the mark is read as it stands now, so a node improved
      // earlier in this pass is not scanned again until the next pass.
      if (from.improved != pass - 1) continue;
      for (int l = RunFirst[r]; l < RunFirst[r + 1]; ++l) {
        const TreeLink link = TreeLinks[l];
        const TreeNode to = TreeNodes[link.head];
        const float label = from.time + link.cost;
        const bool better = to.time > label;  // Deliberate: strict, the first of equal routes stays
        improved_nodes[improved] = link.head;
        improved += static_cast<int>(better & (to.improved != pass));
        TreeNodes[better ? link.head : SpareNode] = TreeNode{label, link.number, pass};
      }
    }
  }
  return improved;
}

void SeedTrees() {
  for (int n = 0; n < NodeNum; ++n) TreeNodes[n].link = ProLinkNumber[n];
}

void BuildTree(int origin) {
  // Deliberate: the predecessor of a node this tree does not reach is left as
  // the last tree set it.
  for (int n = 0; n < NodeNum; ++n) {
    TreeNodes[n].time = Unreached;
    TreeNodes[n].improved = -1;
  }
  TreeNodes[origin] = TreeNode{0.0f, RootMark, 0};
  // The passes go on while the previous one improved a label; the nodes it
  // improved are the ones the next scans. The two node lists swap roles.
  int* scan = ScanNodes;
  int* improved = ImprovedNodes;
  scan[0] = origin;
  for (int pass = 1, count = 1; count > 0; ++pass) {
    MarkPassRuns(scan, count);
    count = Pass(pass, improved);
    int* const next = improved;
    improved = scan;
    scan = next;
  }
}

void PublishTree() {
  // After the last pass, which improved nothing, every mark is 1.
  for (int n = 0; n < NodeNum; ++n) {
    TimeToNode[n] = TreeNodes[n].time;
    ProLinkNumber[n] = TreeNodes[n].link;
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
  IndexLinkRuns();
  RouteTree(origin);
  direction_search_time = static_cast<float>(ClockMs(start, ProcessClock()));
}

}  // namespace fw
