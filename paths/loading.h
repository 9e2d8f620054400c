// The loadings' work state: the OD pairs grouped by origin, and the routes of
// the pairs noted for adding in record order.
#ifndef FW_PATHS_LOADING_H
#define FW_PATHS_LOADING_H

#include <algorithm>
#include <cstdint>

#include "network/tables.h"
#include "paths/passes.h"

namespace fw {

constexpr int RouteBudget = 1 << 24;                       // most route links noted at once (64 MiB)
constexpr int RouteRoom = std::max(RouteBudget, MaxNodes);  // a route has fewer links than there are nodes: one always fits
constexpr int WalkLanes = 4;                               // routes traced side by side
constexpr int UnreachedRoute = -1;                         // route_start of a pair whose destination has no route

struct LoadingState {
  int route_limit;               // route links noted at once; 0 for RouteRoom (tests use fewer, never below NodeNum)
  int dest_first[MaxNodes + 1];  // first entry of each origin's destinations in `dests`, and of its pairs in `pairs`
  int dests[MaxOdpairs];         // the OD pairs' destinations grouped by origin
  int pairs[MaxOdpairs];         // the OD pairs grouped by origin, in record order within an origin
  int blocks;                    // runs of consecutive pairs that share an origin
  int block_first[MaxOdpairs + 1];  // the first pair of each; block_first[blocks] = OdpairNum
  bool in_blocks;                // whether each origin's pairs form one of them
  int blocked_pairs;             // the pairs they were found for, 0 before any were
  int blocked_origin[MaxOdpairs];  // and those pairs' origins
  int seen[MaxNodes];            // the stamp of the last scan that met the node as an origin
  int seen_stamp;                // the current scan's stamp (1 or more)
  int route_start[MaxOdpairs];   // where each noted pair's route starts in LoadingRoutes.links; UnreachedRoute
  int route_length[MaxOdpairs];  // and its links
  int stretch[MaxNodes];         // the origins of the pairs from the current stretch's first on, each once
  int hops[MaxNodes];            // a breadth-first search's count of links from its root (HopsFrom)
  int queue[MaxNodes];           // that search's queue
  std::uint64_t near_key[MaxNodes];  // keys that are mostly close where nodes are close (KeyNearby)
  LaneStep tree_steps[MaxNodes];  // the tree just built, as a lane's steps (route masks)
  float reach[MaxNodes];         // for an origin, the highest sum on the current costs of the routes last noted for its pairs; Unreached if not known
};
extern LoadingState Loading;

// The loadings' scratch tables: every entry is written before it is read, so
// they are never reset (they are large, and resets are frequent in tests).
struct LoadingScratch {
  int links[RouteRoom];                   // the links of the noted routes
  int traced[WalkLanes][MaxNodes + 1];    // the links of the routes being traced, and room for one more
};
extern LoadingScratch LoadingRoutes;

}  // namespace fw

#endif  // FW_PATHS_LOADING_H
