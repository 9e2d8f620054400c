// The route tree by label-correcting passes over the link list, reproduced
// link by link: the definition of the tree, which every other way of building
// it must match, and the way out wherever that other way cannot show it does.
#ifndef FW_PATHS_PASSES_H
#define FW_PATHS_PASSES_H

#include <cstddef>
#include <cstdint>

#include "network/tables.h"

namespace fw {

constexpr int RunWords = (MaxLinks + 63) / 64;  // 64-bit words of a per-run bitmap

// The link list cut into runs, maximal stretches of consecutive links with
// one tail node, and the runs a pass is to scan.
struct PassState {
  int run_count;                    // runs of the link list
  int run_first[MaxLinks + 1];      // first link of each run; run_first[run_count] = LinkNumber
  int run_tail[MaxLinks];           // tail node of each run's links
  int node_run_first[MaxNodes + 1]; // position in node_runs of each node's first run
  int node_runs[MaxLinks];          // run indices grouped by tail node
  std::uint64_t scan[2][RunWords + 1];  // runs to examine in this pass and the next; all clear between trees
  int improved[MaxNodes];           // nodes first improved in a pass (where a node may have several runs)
  int node_run[MaxNodes];           // where every node has one run at most: its run, or a spare bit if none
  bool single_runs;                 // every node's links are one run (as when they come sorted by tail)
  bool loops_lower;                 // some link from a node to itself has a negative cost (set with the costs, by IndexLinks)
};
extern PassState PassWork;

// Cuts the link list into runs and groups them by tail. Reads NodeNum,
// LinkNumber and LinkOrigin.
void IndexRuns();

// Builds the tree from `origin` into Trees.nodes by the passes. With
// `bounds`, only nodes whose label is at or below their bound are scanned;
// the bounds must hold over every link between reached nodes: a label above
// the tail's bound offers the head more than the head's bound. Only nodes
// whose label is at most `reach` are scanned either; on costs of 0 or more
// this leaves every node whose least label is at most `reach` as the passes
// over every label leave it (paths/route_tree.cpp), and the others
// unfinished. Nodes the tree does not reach keep their `link`. Returns the
// links relaxed.
long long BuildTreeByPasses(int origin, const float* bounds, float reach);

// The trees of several origins by the passes at once, one origin to a lane
// of 16-float vectors (or of two 8-float ones): the lanes' labels, passes
// and predecessors of a node are one entry, so one vector add relaxes a link
// for every lane.
constexpr int TreeLanes = 16;

struct alignas(64) LaneNode {  // a node's state in the trees of every lane
  float time[TreeLanes];       // its label: as TreeNode::time
  int pass[TreeLanes];         // the pass that set the label; -1 before any
  int link[TreeLanes];         // the index of its predecessor link; RootMark at the origin
};

constexpr int NoTail = -1;  // LaneStep::tail of a node the lane's tree does not reach

struct LaneStep {  // a node's predecessor in one lane's tree, for following its routes
  int link;        // its predecessor: the link's number (TreeLink::number); RootMark at the origin
  int tail;        // the tail of that link; the node itself at the origin; NoTail where not reached
};

struct LaneState {
  LaneNode nodes[MaxNodes];             // the nodes in the trees being built
  LaneStep steps[TreeLanes * MaxNodes];  // the finished trees, lane by lane, NodeNum entries each (LaneSteps)
  alignas(64) unsigned char improved_runs[64 * (RunWords + 1)];  // runs to scan in the next pass, a byte each; all 0 between passes
  int listed[MaxNodes];      // the last pass that listed the node in PassWork.improved
  int origins[TreeLanes];    // the origin of each lane
  int lanes;                 // lanes in use
};
extern LaneState LaneWork;

// Lane k's finished tree, node by node: compact for tracing routes, and the
// trees of a small network share the few pages it touches.
inline LaneStep* LaneSteps(int k) { return LaneWork.steps + static_cast<std::ptrdiff_t>(k) * NodeNum; }

// Whether the processor has the 16-float vector instructions (x86-64
// AVX-512F and BW).
bool Has16Floats();

// Whether BuildTreesByLanes can build the trees of the current index: the
// processor has 16-float vector instructions (x86-64 AVX-512F and BW) or
// 8-float ones (AVX2), and no link from a node to itself has a negative cost.
bool LanesAvailable();

enum class LaneVectors {  // which vectors build the lanes
  Widest,                 // 16-float ones where the processor has them, else 8-float (either way one 8-float one for up to 8 lanes)
  EightFloat,             // 8-float ones, two to a lane vector (one for up to 8 lanes), even where 16-float ones exist
};

// The vectors BuildTreesByLanes uses: Widest, except in tests. A setting, not
// work state: ResetTables leaves it as it is.
extern LaneVectors LaneVectorsUsed;

// Builds the trees from origins[0 .. lanes-1] (at most TreeLanes) into
// LaneWork, each lane exactly as BuildTreeByPasses(origins[k], nullptr,
// reach[k]) builds it. Returns the links relaxed, over every lane.
long long BuildTreesByLanes(const int* origins, const float* reach, int lanes);

}  // namespace fw

#endif  // FW_PATHS_PASSES_H
