// The objective (sum of the integrals of the link costs), the per-link
// derivative along the search direction, and the memo of link powers they
// share with the cost functions. Each has its own penalty conditions,
// which differ slightly from those of the cost functions; the results depend
// on them as they stand.
#include <cmath>
#include <cstring>

#include "network/tables.h"
#include "performance/performance.h"

namespace fw {

// The bits of a single-precision value, so that equal keys mean equal
// arguments: -0 differs from 0, and a NaN matches only its own bits.
static std::uint32_t Bits(float x) {
  std::uint32_t bits;
  std::memcpy(&bits, &x, sizeof bits);
  return bits;
}

// The power (v/c)^b of a type-1 link, remembered per link. Within a step the
// same power of the same ratio is asked for again and again: by the cost
// update and the objective on the same volumes, by the last bisection
// midpoint on the volumes the step moves to, and by late midpoints whose
// trial volumes round to the same value. Kept here, beside its most frequent
// caller, the line derivative.
static inline double RememberedPower(int l, float ratio) {
  const std::uint32_t r = Bits(ratio);
  const std::uint32_t e = Bits(b[l]);
  PowerMemo& memo = LinkPowers[l];
  if (memo.known && memo.ratio == r && memo.exponent == e) return memo.power;
  memo = PowerMemo{true, r, e, std::pow(static_cast<double>(ratio), static_cast<double>(b[l]))};
  return memo.power;
}

double LinkPower(int l, float ratio) { return RememberedPower(l, ratio); }

// Adds a double-precision term to the single-precision running objective.
static float AddTerm(float Z, double term) { return static_cast<float>(static_cast<double>(Z) + term); }

// The running objective after link l's term is added to Z.
static float AddLinkTerm(float Z, int l) {
  const float v = LinkVolume[l];
  const float c = Capacity[l];
  const float t0 = TravelTime[l];
  const float type = LinkCFType[l];
  if (type == 1.0f) {
    const float t0v = t0 * v;
    const float coef = a[l] / (1.0f + b[l]);
    const float ratio = v / c;
    const double power = RememberedPower(l, ratio);
    return AddTerm(Z, static_cast<double>(t0v) * (static_cast<double>(coef) * power + 1.0));
  }
  if (c - v <= 0.0f) return Z + (type == 0.0f ? Type0Penalty : OtherPenalty);  // penalties are added in single precision
  const float ratio = c / (c - v);
  const double log_term = std::log(static_cast<double>(ratio));
  // Deliberate: the third family adds t0 v to the logarithm before the running sum.
  return AddTerm(Z, type == 0.0f ? log_term : static_cast<double>(t0 * v) + log_term);
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

float Differential(float step, int l) {
  const float type = LinkCFType[l];
  if (type == 1.0f) {
    const PowerTermParts parts = PowerTermAt(step, l);
    const double power = RememberedPower(l, parts.ratio);
    return static_cast<float>(static_cast<double>(parts.t0d) * (static_cast<double>(a[l]) * power + 1.0));
  }
  const float v = LinkVolume[l];
  const float d = New_LinkVol[l] - v;
  const float x = step * d + v;
  const float c = Capacity[l];
  const float t0 = TravelTime[l];
  // Deliberate: a type-0 link of capacity exactly 0 takes no part in the line search.
  if (type == 0.0f && c == 0.0f) return 0.0f;
  if (c - x <= 0.0f) {
    // Deliberate: the penalty keeps its sign even when the volume does not change (d = 0).
    const float penalty = type == 0.0f ? Type0Penalty : OtherPenalty;
    return d < 0.0f ? -penalty : penalty;
  }
  if (type == 0.0f) return d / (c - x);
  return d / (c - x) + t0 * d;
}

}  // namespace fw
