// The loadings' work state: the trees kept through one loading, one slot per
// distinct origin, and the OD pairs' destinations grouped by origin.
#ifndef FW_PATHS_LOADING_H
#define FW_PATHS_LOADING_H

#include <algorithm>

#include "network/tables.h"

namespace fw {

constexpr int KeptTreeBudget = 1 << 23;  // most node entries kept at once (64 MiB)
constexpr int MaxKeptTrees = std::min({MaxOdpairs, MaxNodes, KeptTreeBudget / MaxNodes});  // slots
static_assert(MaxKeptTrees >= 1, "room for at least one kept tree");
constexpr int NotReached = -2;  // KeptStep link of a node the tree did not reach

struct KeptStep {  // one step of a kept tree's route back towards its origin
  int link;        // ProLinkNumber of the node; RootMark at the origin, NotReached if unreached
  int tail;        // LinkOrigin of that link: the node the route comes from
};

constexpr int WalkLanes = 4;  // routes traced together

struct LoadingState {
  int slot_limit;                             // trees kept at once; 0 for MaxKeptTrees (tests use fewer)
  int dest_first[MaxNodes + 1];               // first entry of each origin's destinations in `dests`
  int dests[MaxOdpairs];                      // the OD pairs' destinations grouped by origin
  int slot_of[MaxNodes];                      // slot of the node's tree among the kept trees, or -1
  int slot_origin[MaxKeptTrees];              // origin of each kept tree
  KeptStep route[MaxKeptTrees][MaxNodes];     // each kept tree, one step per node
  int traced[WalkLanes][MaxNodes + 1];        // the links of the routes being traced together, and room for one more
};
extern LoadingState Loading;

}  // namespace fw

#endif  // FW_PATHS_LOADING_H
