// Minimum-cost route trees and the all-or-nothing loading of OD trips onto them.
#ifndef FW_PATHS_PATHS_H
#define FW_PATHS_PATHS_H

#include "network/status.h"

namespace fw {

// Builds the tree of minimum-cost routes from `origin` on the current LinkCost
// with the predecessors of label-correcting passes over the link list. Reads
// NodeNum, LinkNumber, LinkOrigin, LinkDest, LinkCost, LinkNum; writes
// TimeToNode, ProLinkNumber, tempnode, direction_search_time and the route
// trees' work state.
void mcr(int origin);

// Indexes the current links for route trees: copies their costs (the trees
// of one loading all use the costs of its start), groups the links by tail
// and by head (the copies so grouped wait for GroupLinks), cuts the link list into runs for the passes (again only where
// the nodes or the links' ends changed since the last call), and notes
// whether the costs allow trees from least labels. Reads NodeNum,
// LinkNumber, LinkOrigin, LinkDest, LinkCost and LinkNum.
void IndexLinks();

// Fills Trees.out_links and Trees.in_links with the links of the index
// IndexLinks last built, once after each call: only trees from least labels
// and the ordering of origins read them, and most loadings need neither.
void GroupLinks();

// The tree of mcr, untimed, on the index IndexLinks built for the current
// links: SeedTrees, BuildTree and PublishTree. Writes TimeToNode,
// ProLinkNumber, tempnode and the route trees' work state; leaves every
// mark at 1.
void RouteTree(int origin);

// The three steps of RouteTree, for callers that build several trees and
// need only the last in the node tables. SeedTrees takes ProLinkNumber as
// the predecessors that unreached nodes keep; BuildTree builds a tree in
// Trees.nodes (paths/route_tree.h), where the nodes it does not reach keep the predecessors the
// previous tree left (as ProLinkNumber would); PublishTree copies the tree
// into TimeToNode, ProLinkNumber and tempnode.
void SeedTrees();
void BuildTree(int origin);
void PublishTree();

// BuildTree for a loading that follows only the routes to needed[0 ..
// count-1]: their labels and predecessors, and those of every node on their
// routes, are the tree's; other nodes may be left unfinished (a tree from
// least labels may stop once the needed nodes are settled, and the passes
// skip labels above `reach`, which must be at least the needed nodes'
// labels: Unreached where no such bound is known). Not for a tree that is
// published.
void BuildTreeFor(int origin, const int* needed, int count, float reach);

// Whether a loading is to build its next trees several at a time, with
// BuildTreesFor: they are built by the passes where the processor allows it,
// and the tree method does not choose a tree from least labels next.
bool LanesChosen();

// BuildTreeFor for up to TreeLanes origins at once, by the passes, into
// LaneWork (paths/passes.h): origins[k] with counts[k] needed nodes and the
// reach reach[k]. Call LanesTaken once the trees have been used.
void BuildTreesFor(const int* origins, const int* counts, const float* reach, int lanes);

// Leaves the predecessors of Trees.nodes as building the trees of lanes 0 ..
// taken-1 one after another would have, for the nodes no later tree reaches.
void LanesTaken(int taken);

// Leaves the tree of lane k in Trees.nodes, as if the trees of lanes 0 .. k
// had been built one after another, and publishes it (PublishTree).
void PublishLane(int k);

// Groups items 0 .. count-1 by their key, 0 .. keys-1, keeping their order
// within a key: grouped[first[k] .. first[k+1]-1] are value(i) for the items
// of key k. `first` has keys + 1 entries.
template <typename Key, typename Value, typename T>
void GroupByKey(int count, int keys, Key key, Value value, int* first, T* grouped) {
  for (int k = 0; k <= keys; ++k) first[k] = 0;
  for (int i = 0; i < count; ++i) ++first[key(i) + 1];
  for (int k = 0; k < keys; ++k) first[k + 1] += first[k];
  for (int i = 0; i < count; ++i) grouped[first[key(i)]++] = value(i);
  for (int k = keys; k > 0; --k) first[k] = first[k - 1];  // each entry was moved to the next key's start
  first[0] = 0;
}

// Puts the route trees' and loadings' work state back as at program start
// (ResetTables calls it); the count of trees built and the tree method stay.
void ResetPathsState();

// Builds a tree from Origin[od] and adds TripVol[od] to LinkVolume along the
// route to Dest[od]. Fails, adding nothing, when that tree does not reach Dest[od].
Status AllOrNothing(int od);

// The initial loading: adds every OD pair's trips to LinkVolume along its
// route on the current costs, pair by pair in record order, with one tree per
// distinct origin. The same volumes as AllOrNothing(od) for every od in order.
// Fails when a pair's destination is not reached.
Status LoadInitialLinkVol();

// The auxiliary loading: zeroes New_LinkVol, then adds every OD pair's trips
// along its route, pair by pair in record order, with one tree per distinct
// origin. Fails when a pair's destination is not reached.
Status LoadNewLinkVol();

}  // namespace fw

#endif  // FW_PATHS_PATHS_H
