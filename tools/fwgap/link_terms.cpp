// Link costs and objective terms in double precision, for judging a result
// rather than producing one. The families and their penalty conditions are the
// program's own (performance/cost_function.cpp and performance/objective.cpp);
// only the arithmetic is wider, from the link attributes as the program read them.
#include <cmath>

#include "network/tables.h"
#include "tools/fwgap/gap.h"

namespace fw {

// The link attributes of link l, widened once.
struct LinkTerms {
  double t0, c, coef, power;
  float type;
};

static LinkTerms Attributes(int l) {
  return LinkTerms{static_cast<double>(TravelTime[l]), static_cast<double>(Capacity[l]), static_cast<double>(a[l]),
                   static_cast<double>(b[l]), LinkCFType[l]};
}

double GapLinkCost(int l, double v) {
  const LinkTerms k = Attributes(l);
  if (k.type == 1.0f) return k.t0 * (1.0 + k.coef * std::pow(v / k.c, k.power));
  const bool penalised = v >= k.c || k.c <= 0.0;
  if (k.type == 0.0f) return penalised ? static_cast<double>(Type0Penalty) : 1.0 / (k.c - v);
  return penalised ? static_cast<double>(OtherPenalty) : 1.0 / (k.c - v) + k.t0;
}

double GapObjectiveTerm(int l, double v) {
  const LinkTerms k = Attributes(l);
  if (k.type == 1.0f) return k.t0 * v * (1.0 + k.coef / (k.power + 1.0) * std::pow(v / k.c, k.power));
  // The objective charges the penalty once the volume reaches capacity, as the program's does.
  if (k.c - v <= 0.0) return static_cast<double>(k.type == 0.0f ? Type0Penalty : OtherPenalty);
  const double log_term = std::log(k.c / (k.c - v));
  return k.type == 0.0f ? log_term : k.t0 * v + log_term;
}

double GapObjective(const std::vector<double>& volume) {
  double z = 0.0;
  for (int l = 0; l < LinkNumber; ++l) z += GapObjectiveTerm(l, volume[static_cast<std::size_t>(l)]);
  return z;
}

}  // namespace fw
