// The cost functions, objective and line derivative as first written, each
// taking its own power with std::pow. The program's memoised versions must
// give the same bits.
#include <cmath>
#include <cstdlib>

#include "network/cost_family.h"
#include "network/tables.h"
#include "reference/reference.h"

namespace fw {

float PlainLinkCostFunction(int l) {
  const float v = LinkVolume[l];
  const float c = Capacity[l];
  const float t0 = TravelTime[l];
  switch (FamilyOf(LinkCFType[l])) {
    case CostFamily::Reciprocal:
      if (v >= c || c <= 0.0f) return Type0Penalty;
      return 1.0f / (c - v);
    case CostFamily::PowerLaw: {
      const float ratio = v / c;
      const double power = std::pow(static_cast<double>(ratio), static_cast<double>(b[l]));
      return static_cast<float>((static_cast<double>(a[l]) * power + 1.0) * static_cast<double>(t0));
    }
    case CostFamily::ReciprocalPlusTime:
      if (v >= c || c <= 0.0f) return OtherPenalty;
      return 1.0f / (c - v) + t0;
  }
  std::abort();
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
    switch (FamilyOf(LinkCFType[l])) {
      case CostFamily::PowerLaw: {
        const float t0v = t0 * v;
        const float coef = a[l] / (1.0f + b[l]);
        const float ratio = v / c;
        const double power = std::pow(static_cast<double>(ratio), static_cast<double>(b[l]));
        Z = PlainAddTerm(Z, static_cast<double>(t0v) * (static_cast<double>(coef) * power + 1.0));
        break;
      }
      case CostFamily::Reciprocal:
        if (c - v <= 0.0f) {
          Z += Type0Penalty;
        } else {
          Z = PlainAddTerm(Z, std::log(static_cast<double>(c / (c - v))));
        }
        break;
      case CostFamily::ReciprocalPlusTime:
        if (c - v <= 0.0f) {
          Z += OtherPenalty;
        } else {
          Z = PlainAddTerm(Z, static_cast<double>(t0 * v) + std::log(static_cast<double>(c / (c - v))));
        }
        break;
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
  switch (FamilyOf(LinkCFType[l])) {
    case CostFamily::PowerLaw: {
      const float t0d = t0 * d;
      const float ratio = x / c;
      const double power = std::pow(static_cast<double>(ratio), static_cast<double>(b[l]));
      return static_cast<float>(static_cast<double>(t0d) * (static_cast<double>(a[l]) * power + 1.0));
    }
    case CostFamily::Reciprocal:
      if (c == 0.0f) return 0.0f;
      if (c - x <= 0.0f) return d < 0.0f ? -Type0Penalty : Type0Penalty;
      return d / (c - x);
    case CostFamily::ReciprocalPlusTime:
      if (c - x <= 0.0f) return d < 0.0f ? -OtherPenalty : OtherPenalty;
      return d / (c - x) + t0 * d;
  }
  std::abort();
}

}  // namespace fw
