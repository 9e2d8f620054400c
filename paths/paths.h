// Minimum-cost route trees and the all-or-nothing loading of OD trips onto them.
#ifndef FW_PATHS_PATHS_H
#define FW_PATHS_PATHS_H

#include "network/status.h"

namespace fw {

// Builds the tree of minimum-cost routes from `origin` on the current LinkCost
// by label-correcting passes over the link list. Reads NodeNum, LinkNumber,
// LinkOrigin, LinkDest, LinkCost, LinkNum; writes TimeToNode, ProLinkNumber,
// tempnode and direction_search_time. Link costs must be 0 or more.
void mcr(int origin);

// Builds a tree from Origin[od] and adds TripVol[od] to LinkVolume along the
// route to Dest[od]. Fails, adding nothing, when that tree does not reach Dest[od].
Status AllOrNothing(int od);

// The auxiliary loading: zeroes New_LinkVol, then adds every OD pair's trips
// along its route, building a tree only when the origin differs from the
// previous pair's. Fails when a pair's destination is not reached.
Status LoadNewLinkVol();

}  // namespace fw

#endif  // FW_PATHS_PATHS_H
