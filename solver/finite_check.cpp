// The check between the steps of a run that every volume, cost and the
// objective are still finite. Trips or capacities near the single-precision
// limit, or exponents that overflow, can push them to infinity or NaN; the run
// stops there with the first link concerned rather than print them as results.
#include <cmath>
#include <string>

#include "network/network.h"
#include "network/tables.h"
#include "performance/performance.h"
#include "solver/solver.h"

namespace fw {

Status CheckFinite(float objective, const char* when) {
  for (int l = 0; l < LinkNumber; ++l) {
    if (!std::isfinite(LinkVolume[l])) {
      return Status::Fail(LinkName(l) + " has a non-finite volume " + ShownReal(LinkVolume[l]) + " " + when);
    }
  }
  for (int l = 0; l < LinkNumber; ++l) {
    if (!std::isfinite(LinkCost[l])) {
      return Status::Fail(LinkName(l) + " has a non-finite cost " + ShownReal(LinkCost[l]) + " " + when);
    }
  }
  if (std::isfinite(objective)) return Status::Ok();
  std::string message = "the objective is non-finite (" + ShownReal(objective) + ") " + when;
  const int l = ObjectValueBreaksAt();
  if (l >= 0) message += ": its sum first turns non-finite at " + LinkName(l);
  return Status::Fail(message);
}

}  // namespace fw
