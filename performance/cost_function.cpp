// Link cost functions. Type-1 links follow t0 (1 + a (v/c)^b) with the power
// taken in double precision; the other two families charge 1/(c - v) (plus t0
// for the third) below capacity and a fixed penalty at or over it.
#include <cfloat>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "network/cost_family.h"
#include "network/network.h"
#include "network/tables.h"
#include "performance/performance.h"
#include "performance/power_result.h"

namespace fw {

float LinkCostFunction(int l) {
  const float v = LinkVolume[l];
  const float c = Capacity[l];
  const float t0 = TravelTime[l];
  switch (FamilyOf(LinkCFType[l])) {
    case CostFamily::Reciprocal:
      if (v >= c || c <= 0.0f) return Type0Penalty;
      return 1.0f / (c - v);
    case CostFamily::PowerLaw: {
      // Deliberate: no capacity guard; the ratio is single precision, the rest
      // double precision, rounded once at the end.
      return PowerResult(l, v / c, [l, t0](double power) {
        return static_cast<float>((static_cast<double>(a[l]) * power + 1.0) * static_cast<double>(t0));
      });
    }
    case CostFamily::ReciprocalPlusTime:
      if (v >= c || c <= 0.0f) return OtherPenalty;
      return 1.0f / (c - v) + t0;
  }
  std::abort();  // not reached: every family returns above
}

void LinkCostUpdate() {
  for (int l = 0; l < LinkNumber; ++l) LinkCost[l] = LinkCostFunction(l);
}

Status CheckLinkCosts(const char* when) {
  for (int l = 0; l < LinkNumber; ++l) {
    const float cost = LinkCost[l];
    if (cost >= 0.0f && cost <= FLT_MAX) continue;  // the usual case, and false for NaN
    const std::string link = LinkName(l);
    const std::string shown = ShownReal(cost);
    if (!std::isfinite(cost)) return Status::Fail(link + " has a non-finite cost " + shown + " " + when);
    return Status::Fail(link + " has the negative cost " + shown + " " + when + "; route search needs costs of 0 or more");
  }
  return Status::Ok();
}

}  // namespace fw
