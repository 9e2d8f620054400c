// The loadings as first written: a tree per pair in the initial loading, a
// tree per run of consecutive pairs with one origin in the auxiliary loading.
#include <string>

#include "network/tables.h"
#include "reference/reference.h"

namespace fw {

// Adds TripVol[od] to target[] along the current tree's route to Dest[od].
static Status PlainWalk(int od, float* target) {
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

Status PlainAllOrNothing(int od) {
  PlainMcr(Origin[od]);
  return PlainWalk(od, LinkVolume);
}

Status PlainLoadNewLinkVol() {
  for (int l = 0; l < LinkNumber; ++l) New_LinkVol[l] = 0.0f;
  int tree_origin = RootMark;
  for (int od = 0; od < OdpairNum; ++od) {
    if (Origin[od] != tree_origin) {
      PlainMcr(Origin[od]);
      tree_origin = Origin[od];
    }
    Status s = PlainWalk(od, New_LinkVol);
    if (!s.ok) return s;
  }
  return Status::Ok();
}

}  // namespace fw
