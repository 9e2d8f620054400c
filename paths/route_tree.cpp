// The route tree: a label-correcting method in passes over the link list.
// Which links a pass examines, and in what order, decides between equal-cost
// routes. A full scan acts only on the links out of nodes marked 0, so each
// pass visits exactly those links, in index order, and leaves the rest unread.
// The link list is cut into runs of consecutive links that share a tail node,
// so a pass marks the runs out of its nodes in a bitmap and lists their links
// in index order by reading the bitmap from the lowest bit.
#include <cstring>

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
  for (int l = 0; l < LinkNumber; ++l) TreeLinks[l] = TreeLink{LinkOrigin[l], LinkDest[l], LinkCost[l], LinkNum[l]};
  CutRuns();
  for (int n = 0; n < NodeNum; ++n) NodeRunFirst[n] = 0;
  for (int r = 0; r < RunCount; ++r) ++NodeRunFirst[RunTail[r]];
  for (int n = 1; n < NodeNum; ++n) NodeRunFirst[n] += NodeRunFirst[n - 1];  // now the end of each group
  NodeRunFirst[NodeNum] = RunCount;
  // Filled from the back, each entry of NodeRunFirst ends at the start of its group.
  for (int r = RunCount - 1; r >= 0; --r) NodeRuns[--NodeRunFirst[RunTail[r]]] = r;
}

// Marks 0 the nodes scan[0 .. count-1] for pass `pass` and their runs in PassRuns.
static void MarkPassRuns(int pass, const int* scan, int count) {
  for (int s = 0; s < count; ++s) {
    const int i = scan[s];
    TreeNodes[i].scanning = pass;
    for (int k = NodeRunFirst[i]; k < NodeRunFirst[i + 1]; ++k) {
      const int r = NodeRuns[k];
      PassRuns[r >> 6] |= std::uint64_t{1} << (r & 63);
    }
  }
}

// Lists in PassLinks, in index order, the links of the runs marked in
// PassRuns, clearing the marks; returns the number listed.
static int ListPassLinks() {
  int count = 0;
  const int words = (RunCount + 63) >> 6;
  for (int w = 0; w < words; ++w) {
    std::uint64_t bits = PassRuns[w];
    PassRuns[w] = 0;
    while (bits != 0) {
      const int r = (w << 6) + __builtin_ctzll(bits);
      bits &= bits - 1;
      const int l = RunFirst[r];
      const int length = RunFirst[r + 1] - l;
      // Four entries are written whatever the length (the table has room), so
      // that the short runs of a road network need no loop.
      for (int k = 0; k < 4; ++k) PassLinks[count + k] = l + k;
      for (int k = 4; k < length; ++k) PassLinks[count + k] = l + k;
      count += length;
    }
  }
  return count;
}

// Pass `pass` over the listed links, improving labels as a full scan of the
// link list would. A node's mark is 0 while its `scanning` is this pass, and 2
// once it is improved in this pass, which also clears `scanning`. Written
// without branches, since whether a label improves is hard to predict: a link
// that improves nothing writes into the spare entry. Nodes improved for the
// first time in this pass are listed in improved_nodes; returns their number.
static int Pass(int pass, int count, int* improved_nodes) {
  int improved = 0;
  for (int k = 0; k < count; ++k) {
    const TreeLink link = TreeLinks[PassLinks[k]];
    const TreeNode from = TreeNodes[link.tail];
    const TreeNode to = TreeNodes[link.head];
    const float label = from.time + link.cost;
    // Deliberate: the mark is read as it stands now, so a node improved
    // earlier in this pass is not scanned again until the next pass; and the
    // comparison is strict, so the first of equal routes stays.
    const bool better = (from.scanning == pass) & (to.time > label);
    improved_nodes[improved] = link.head;
    improved += static_cast<int>(better & (to.improved != pass));
    TreeNodes[better ? link.head : SpareNode] = TreeNode{label, link.number, 0, pass};
  }
  return improved;
}

void RouteTree(int origin) {
  // Deliberate: ProLinkNumber of the nodes this tree does not reach is left as
  // the last tree set it.
  for (int n = 0; n < NodeNum; ++n) TreeNodes[n] = TreeNode{Unreached, ProLinkNumber[n], 0, 0};
  TreeNodes[origin].time = 0.0f;
  TreeNodes[origin].link = RootMark;
  // The passes go on while the previous one improved a label; the nodes it
  // improved are the ones the next scans. The two node lists swap roles.
  int* scan = ScanNodes;
  int* improved = ImprovedNodes;
  scan[0] = origin;
  for (int pass = 1, count = 1; count > 0; ++pass) {
    MarkPassRuns(pass, scan, count);
    count = Pass(pass, ListPassLinks(), improved);
    int* const next = improved;
    improved = scan;
    scan = next;
  }
  // After the last pass, which improved nothing, every mark is 1.
  for (int n = 0; n < NodeNum; ++n) {
    TimeToNode[n] = TreeNodes[n].time;
    ProLinkNumber[n] = TreeNodes[n].link;
    tempnode[n] = 1;
  }
}

void mcr(int origin) {
  const std::clock_t start = ProcessClock();
  IndexLinkRuns();
  RouteTree(origin);
  direction_search_time = static_cast<float>(ClockMs(start, ProcessClock()));
}

}  // namespace fw
