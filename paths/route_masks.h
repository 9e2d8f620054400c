// Adding a block of OD pairs' trips on small networks with route masks: the
// tree's predecessor tables sit in vector registers, the links of every
// node's route are found at once as a mask, and the trips go onto the
// volumes, held in vector registers, one masked vector add per sixteen links.
#ifndef FW_PATHS_ROUTE_MASKS_H
#define FW_PATHS_ROUTE_MASKS_H

#include "paths/passes.h"

namespace fw {

constexpr int MaskNodes = 32;   // most nodes: a tree's tables fit in two 16-int vectors each
constexpr int MaskLinks = 128;  // most links: a route fits in two 64-bit masks, the volumes in eight 16-float vectors

// Whether AddBlockByMasks can add on the current network: the processor has
// the 16-float vector instructions, and NodeNum and LinkNumber are at most
// MaskNodes and MaskLinks.
bool RouteMasksAvailable();

// Adds the trips of pairs od .. end-1, which share one origin, to target[]
// along their routes on the tree tree[0 .. NodeNum-1] (a node's predecessor
// link and that link's tail; NoTail where the tree did not reach it): pair
// by pair in record order, exactly as adding each pair's trips to each link
// of its route in turn. Returns false, having added nothing, where some
// pair's destination was not reached.
bool AddBlockByMasks(const LaneStep* tree, int od, int end, float* target);

}  // namespace fw

#endif  // FW_PATHS_ROUTE_MASKS_H
