// One Frank-Wolfe step and the stopping test between steps.
#include <cmath>

#include "network/network.h"
#include "network/tables.h"
#include "paths/paths.h"
#include "performance/performance.h"
#include "solver/solver.h"

namespace fw {

Status Assign(int iteration) {
  static_cast<void>(iteration);
  TransLinkVolume = 0.0f;
  Status s = LoadNewLinkVol();
  if (!s.ok) return s;
  theta = Bi_Section();
  // A derivative sum of +inf and -inf terms is NaN; the bisection would take it
  // for "not negative" and the log would show a NaN whose sign depends on the
  // compiler. The step is meaningless there, so the run stops.
  if (std::isnan(dif_theta)) {
    return Status::Fail("the line derivative sums to nan at the step " + ShownReal(theta) +
                        ": a link's derivative term overflows single precision");
  }
  // Keep every volume non-negative: each link is tested with the step left by
  // the links before it.
  for (int l = 0; l < LinkNumber; ++l) {
    const float v = LinkVolume[l];
    const float y = New_LinkVol[l];
    if ((y - v) * theta + v < 0.0f) theta = v / (v - y);
  }
  for (int l = 0; l < LinkNumber; ++l) {
    const float v = LinkVolume[l];
    const float y = New_LinkVol[l];
    const float moved = (y - v) * theta + v;
    LinkVolume[l] = moved;
    // Deliberate: measured against the volume already moved, so a link adds
    // theta (1 - theta) |y - v|, not theta |y - v|.
    const float transferred = theta * (y - moved);
    TransLinkVolume += Max(transferred, -transferred);
  }
  return Status::Ok();
}

int Convergence(float previous) { return Convergence(previous, ObjectValue()); }

int Convergence(float previous, float current) {
  const float change = Max(current - previous, previous - current);
  // Deliberate: divided by the previous objective with its sign, not its magnitude.
  const float relative = change / previous * 100.0f;
  // Ordered comparisons: a NaN on either side makes a rule false.
  if (MaxError >= TransLinkVolume) return 1;
  if (ObjectError >= relative) return 1;
  return 0;
}

}  // namespace fw
