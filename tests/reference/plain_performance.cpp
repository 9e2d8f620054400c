// The cost functions, objective and line derivative as first written, each
// taking its own power with std::pow. The program's memoised versions must
// give the same bits.
#include <cmath>

#include "network/tables.h"
#include "reference/reference.h"

namespace fw {

float PlainLinkCostFunction(int l) {
  const float v = LinkVolume[l];
  const float c = Capacity[l];
  const float t0 = TravelTime[l];
  const float type = LinkCFType[l];
  if (type == 0.0f) {
    if (v >= c || c <= 0.0f) return Type0Penalty;
    return 1.0f / (c - v);
  }
  if (type == 1.0f) {
    const float ratio = v / c;
    const double power = std::pow(static_cast<double>(ratio), static_cast<double>(b[l]));
    return static_cast<float>((static_cast<double>(a[l]) * power + 1.0) * static_cast<double>(t0));
  }
  if (v >= c || c <= 0.0f) return OtherPenalty;
  return 1.0f / (c - v) + t0;
}

void PlainLinkCostUpdate() {
  for (int l = 0; l < LinkNumber; ++l) LinkCost[l] = PlainLinkCostFunction(l);
}

// Adds a double-precision term to the single-precision running objective.
static float PlainAddTerm(float Z, double term) { return static_cast<float>(static_cast<double>(Z) + term); }

float PlainObjectValue() {
  float Z = 0.0f;
  for (int l = 0; l < LinkNumber; ++l) {
    const float v = LinkVolume[l];
    const float c = Capacity[l];
    const float t0 = TravelTime[l];
    const float type = LinkCFType[l];
    if (type == 1.0f) {
      const float t0v = t0 * v;
      const float coef = a[l] / (1.0f + b[l]);
      const float ratio = v / c;
      const double power = std::pow(static_cast<double>(ratio), static_cast<double>(b[l]));
      Z = PlainAddTerm(Z, static_cast<double>(t0v) * (static_cast<double>(coef) * power + 1.0));
    } else if (c - v <= 0.0f) {
      Z += type == 0.0f ? Type0Penalty : OtherPenalty;
    } else {
      const float ratio = c / (c - v);
      const double log_term = std::log(static_cast<double>(ratio));
      Z = PlainAddTerm(Z, type == 0.0f ? log_term : static_cast<double>(t0 * v) + log_term);
    }
  }
  return Z;
}

float PlainDifferential(float step, int l) {
  const float v = LinkVolume[l];
  const float d = New_LinkVol[l] - v;
  const float x = step * d + v;
  const float c = Capacity[l];
  const float t0 = TravelTime[l];
  const float type = LinkCFType[l];
  if (type == 1.0f) {
    const float t0d = t0 * d;
    const float ratio = x / c;
    const double power = std::pow(static_cast<double>(ratio), static_cast<double>(b[l]));
    return static_cast<float>(static_cast<double>(t0d) * (static_cast<double>(a[l]) * power + 1.0));
  }
  if (type == 0.0f && c == 0.0f) return 0.0f;
  if (c - x <= 0.0f) {
    const float penalty = type == 0.0f ? Type0Penalty : OtherPenalty;
    return d < 0.0f ? -penalty : penalty;
  }
  if (type == 0.0f) return d / (c - x);
  return d / (c - x) + t0 * d;
}

}  // namespace fw
