// Link performance: the three cost-function families, the objective they
// integrate to, and its derivative along the Frank-Wolfe direction.
#ifndef FW_PERFORMANCE_PERFORMANCE_H
#define FW_PERFORMANCE_PERFORMANCE_H

#include "network/status.h"
#include "network/tables.h"

namespace fw {

// std::pow(ratio, b[l]) with both arguments widened to double: the power of
// link l's type-1 cost, objective and derivative terms. The result is remembered
// per link and given again while the arguments keep their exact bits.
// Reads b[l]; reads and writes LinkPowers[l].
double LinkPower(int l, float ratio);

// Cost of link l at its current volume. The type code selects the family:
// exactly 0.0, exactly 1.0 (power law), anything else (reciprocal plus t0).
// Reads LinkCFType, LinkVolume, Capacity, TravelTime, a, b of link l; writes
// nothing but the power memo.
float LinkCostFunction(int l);

// LinkCost[l] = LinkCostFunction(l) for every link in order.
void LinkCostUpdate();

// Refuses link costs below zero, which would let route search run for ever,
// and costs that are not finite (overflowed or undefined), which route search
// cannot compare. `when` names the moment the costs were evaluated, for the message.
// Reads LinkCost, LinkOrigin, LinkDest; writes nothing.
Status CheckLinkCosts(const char* when);

// The objective of the current volumes: the sum over links of the integral of
// the link's cost from 0 to its volume, added in link order.
// Reads LinkCFType, LinkVolume, Capacity, TravelTime, a, b; writes nothing but
// the power memo.
float ObjectValue();

// The first link whose term turns the running sum of ObjectValue non-finite
// (an infinite or undefined term, or a sum that overflows), or -1 when the
// sum stays finite. Reads what ObjectValue reads; writes nothing.
int ObjectValueBreaksAt();

// Link l's share of the objective's derivative at step size step along the
// direction from LinkVolume to New_LinkVol: cost at the trial volume times the
// link's change of volume. Reads New_LinkVol, LinkVolume, LinkCFType,
// Capacity, TravelTime, a, b of link l; writes nothing but the power memo.
float Differential(float step, int l);

// The single-precision parts of a type-1 link's derivative term at `step`:
// the ratio of the trial volume to the capacity, whose power the term takes,
// and t0 times the change of volume. Reads New_LinkVol, LinkVolume,
// Capacity, TravelTime of link l.
struct PowerTermParts {
  float ratio;
  float t0d;
};
inline PowerTermParts PowerTermAt(float step, int l) {
  const float v = LinkVolume[l];
  const float d = New_LinkVol[l] - v;
  const float x = step * d + v;
  return PowerTermParts{x / Capacity[l], TravelTime[l] * d};
}

// The largest whole exponent whose power is taken by repeated squaring
// (WholePower).
constexpr int MostWholeExponent = 16;

// A power-law exponent as a whole number from 0 to MostWholeExponent; -1 for
// any other value.
inline int WholeExponent(float exponent) {
  if (!(exponent >= 0.0f && exponent <= static_cast<float>(MostWholeExponent))) return -1;
  const int whole = static_cast<int>(exponent);
  return static_cast<float>(whole) == exponent ? whole : -1;
}

// r^n in double precision by repeated squaring, n from 0 to
// MostWholeExponent: the product of the squares its bits select (a square it
// does not select may overflow unread). Where no square underflows or
// overflows, within 2^-49 of the exact power: at most fifteen roundings of
// 2^-53 each, counting the squarings' doubling of the error before them.
inline double WholePower(double r, int n) {
  const double r2 = r * r;
  if (n == 4) return r2 * r2;  // the usual exponent, at once: the same product
  const double r4 = r2 * r2;
  const double r8 = r4 * r4;
  const double r16 = r8 * r8;
  return ((n & 1) != 0 ? r : 1.0) * ((n & 2) != 0 ? r2 : 1.0) * ((n & 4) != 0 ? r4 : 1.0) * ((n & 8) != 0 ? r8 : 1.0) *
         ((n & 16) != 0 ? r16 : 1.0);
}

}  // namespace fw

#endif  // FW_PERFORMANCE_PERFORMANCE_H
