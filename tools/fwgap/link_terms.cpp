// Link costs and objective terms in double precision, for judging a result
// rather than producing one. The families and their penalty conditions are the
// program's own (performance/cost_function.cpp and performance/objective.cpp);
// only the arithmetic is wider, from the link attributes as the program read them.
#include <cmath>
#include <cstdlib>

#include "network/cost_family.h"
#include "network/tables.h"
#include "tools/fwgap/gap.h"

namespace fw {

// The link attributes of link l, widened once.
struct LinkTerms {
  double t0, c, coef, power;
  CostFamily family;
};

static LinkTerms Attributes(int l) {
  return LinkTerms{static_cast<double>(TravelTime[l]), static_cast<double>(Capacity[l]), static_cast<double>(a[l]),
                   static_cast<double>(b[l]), FamilyOf(LinkCFType[l])};
}

double GapLinkCost(int l, double v) {
  const LinkTerms k = Attributes(l);
  const bool penalised = v >= k.c || k.c <= 0.0;
  switch (k.family) {
    case CostFamily::PowerLaw:
      return k.t0 * (1.0 + k.coef * std::pow(v / k.c, k.power));
    case CostFamily::Reciprocal:
      return penalised ? static_cast<double>(Type0Penalty) : 1.0 / (k.c - v);
    case CostFamily::ReciprocalPlusTime:
      return penalised ? static_cast<double>(OtherPenalty) : 1.0 / (k.c - v) + k.t0;
  }
  std::abort();  // not reached: every family returns above
}

double GapObjectiveTerm(int l, double v) {
  const LinkTerms k = Attributes(l);
  // The objective charges the penalty once the volume reaches capacity, as the program's does.
  const bool penalised = k.c - v <= 0.0;
  switch (k.family) {
    case CostFamily::PowerLaw:
      return k.t0 * v * (1.0 + k.coef / (k.power + 1.0) * std::pow(v / k.c, k.power));
    case CostFamily::Reciprocal:
      return penalised ? static_cast<double>(Type0Penalty) : std::log(k.c / (k.c - v));
    case CostFamily::ReciprocalPlusTime:
      return penalised ? static_cast<double>(OtherPenalty) : k.t0 * v + std::log(k.c / (k.c - v));
  }
  std::abort();  // not reached: every family returns above
}

double GapObjective(const std::vector<double>& volume) {
  double z = 0.0;
  for (int l = 0; l < LinkNumber; ++l) z += GapObjectiveTerm(l, volume[static_cast<std::size_t>(l)]);
  return z;
}

}  // namespace fw
