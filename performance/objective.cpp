// The objective (sum of the integrals of the link costs) and the per-link
// derivative along the search direction; their powers, and the memo of the
// library's, are shared with the cost functions (performance/power_result.h).
// Each has its own penalty conditions, which differ slightly from those of
// the cost functions; the results depend on them as they stand.
#include <cmath>
#include <cstdlib>

#include "network/cost_family.h"
#include "network/tables.h"
#include "performance/performance.h"
#include "performance/power_result.h"

namespace fw {

double LinkPower(int l, float ratio) { return RememberedPower(l, ratio); }

// Adds a double-precision term to the single-precision running objective.
static float AddTerm(float Z, double term) { return static_cast<float>(static_cast<double>(Z) + term); }

// The integral of 1/(c - x) from 0 to v below capacity: ln(c / (c - v)),
// the ratio in single precision.
static double LogTerm(float c, float v) { return std::log(static_cast<double>(c / (c - v))); }

// The running objective after link l's term is added to Z. Penalties are
// added in single precision.
static float AddLinkTerm(float Z, int l) {
  const float v = LinkVolume[l];
  const float c = Capacity[l];
  const float t0 = TravelTime[l];
  switch (FamilyOf(LinkCFType[l])) {
    case CostFamily::PowerLaw: {
      const float t0v = t0 * v;
      const float coef = a[l] / (1.0f + b[l]);
      return PowerResult(l, v / c, [Z, t0v, coef](double power) {
        return AddTerm(Z, static_cast<double>(t0v) * (static_cast<double>(coef) * power + 1.0));
      });
    }
    case CostFamily::Reciprocal:
      if (c - v <= 0.0f) return Z + Type0Penalty;
      return AddTerm(Z, LogTerm(c, v));
    case CostFamily::ReciprocalPlusTime:
      if (c - v <= 0.0f) return Z + OtherPenalty;
      // Deliberate: t0 v is added to the logarithm before the running sum.
      return AddTerm(Z, static_cast<double>(t0 * v) + LogTerm(c, v));
  }
  std::abort();  // not reached: every family returns above
}

float ObjectValue() {
  float Z = 0.0f;
  for (int l = 0; l < LinkNumber; ++l) Z = AddLinkTerm(Z, l);
  return Z;
}

int ObjectValueBreaksAt() {
  float Z = 0.0f;
  for (int l = 0; l < LinkNumber; ++l) {
    Z = AddLinkTerm(Z, l);
    if (!std::isfinite(Z)) return l;
  }
  return -1;
}

// A penalty with the sign of the change of volume d. Deliberate: the penalty
// keeps its sign even when the volume does not change (d = 0).
static float SignedPenalty(float penalty, float d) { return d < 0.0f ? -penalty : penalty; }

float Differential(float step, int l) {
  const float v = LinkVolume[l];
  const float d = New_LinkVol[l] - v;
  const float x = step * d + v;
  const float c = Capacity[l];
  const float t0 = TravelTime[l];
  switch (FamilyOf(LinkCFType[l])) {
    case CostFamily::PowerLaw: {
      const PowerTermParts parts = PowerTermAt(step, l);
      return PowerResult(l, parts.ratio, [l, parts](double power) {
        return static_cast<float>(static_cast<double>(parts.t0d) * (static_cast<double>(a[l]) * power + 1.0));
      });
    }
    case CostFamily::Reciprocal:
      // Deliberate: a type-0 link of capacity exactly 0 takes no part in the line search.
      if (c == 0.0f) return 0.0f;
      if (c - x <= 0.0f) return SignedPenalty(Type0Penalty, d);
      return d / (c - x);
    case CostFamily::ReciprocalPlusTime:
      if (c - x <= 0.0f) return SignedPenalty(OtherPenalty, d);
      return d / (c - x) + t0 * d;
  }
  std::abort();  // not reached: every family returns above
}

}  // namespace fw
