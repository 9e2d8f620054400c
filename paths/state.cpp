// The route trees' and loadings' work state, defined in one place with its
// reset, so that code which only resets the tables links none of the trees.
#include "paths/label_setting.h"
#include "paths/loading.h"
#include "paths/passes.h"
#include "paths/paths.h"
#include "paths/route_tree.h"

namespace fw {

RouteTreeState Trees;
TreeMethod TreeMethodUsed = TreeMethod::Chosen;
TreeTally TreesBuilt;
PassState PassWork;
LaneState LaneWork;  // written before it is read, so never reset (it is large)
LabelState LabelWork;
LoadingState Loading;
LoadingScratch LoadingRoutes;

void ResetPathsState() {
  ResetState(&Trees);
  ResetState(&PassWork);
  ResetState(&LabelWork);
  ResetState(&Loading);
}

}  // namespace fw
