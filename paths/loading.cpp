// All-or-nothing loading: each OD pair's whole trip volume follows the tree
// route from its destination back to its origin. A destination the current
// tree did not reach is refused: its predecessor entry would belong to an
// older tree, and following it would load unrelated links or never end.
#include <string>

#include "network/tables.h"
#include "paths/paths.h"

namespace fw {

// Adds TripVol[od] to target[] along the current tree's route to Dest[od].
static Status Walk(int od, float* target) {
  int node = Dest[od];
  if (!(TimeToNode[node] < Unreached)) {
    return Status::Fail("OD record " + std::to_string(od) + " (origin " + std::to_string(Origin[od]) + ", destination " +
                        std::to_string(node) + "): the destination cannot be reached from the origin");
  }
  const float trips = TripVol[od];
  while (ProLinkNumber[node] != RootMark) {
    const int k = ProLinkNumber[node];
    target[k] += trips;
    node = LinkOrigin[k];
  }
  return Status::Ok();
}

Status AllOrNothing(int od) {
  mcr(Origin[od]);
  return Walk(od, LinkVolume);
}

Status LoadNewLinkVol() {
  for (int l = 0; l < LinkNumber; ++l) New_LinkVol[l] = 0.0f;
  int tree_origin = RootMark;
  for (int od = 0; od < OdpairNum; ++od) {
    // Deliberate: only a run of consecutive pairs with one origin shares a tree.
    if (Origin[od] != tree_origin) {
      mcr(Origin[od]);
      tree_origin = Origin[od];
    }
    Status s = Walk(od, New_LinkVol);
    if (!s.ok) return s;
  }
  return Status::Ok();
}

}  // namespace fw
