// The objective (sum of the integrals of the link costs), the per-link
// derivative along the search direction, and the memo of link powers they
// share with the cost functions. Each has its own penalty conditions,
// which differ slightly from those of the cost functions; the results depend
// on them as they stand.
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "network/cost_family.h"
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

// ---- Whole exponents without the library's power -------------------------------------------
//
// Every use of a power-law link's power P rounds a double-precision
// expression of P to single precision: the cost, the derivative term, and
// the objective's running sum after the link's term. With a whole exponent,
// the result is mostly settled without the library's power:
//
// (P1) Bounds. The library's power is taken to be within 2^-37 of the exact
//      power of its arguments (a usable library is within a few 2^-53), and
//      WholePower is within 2^-49 of it where no square underflows or
//      overflows, which holds where its result E lies in [2^-1000, 2^1000]
//      (the squares lie between 1 and E). So the library's power lies in
//      [E (1 - 2^-36), E (1 + 2^-36)]: 2^-36 exceeds 2^-37 + 2^-49, with
//      room for the rounding of the two products.
// (P2) Monotone results. Each expression only multiplies P by a value,
//      adds a value to it, and rounds, in some order, with the other values
//      fixed: no such step ever reverses the order of two arguments one way
//      and not the other (rounding is monotone, and a product either keeps
//      or reverses the order of all of them), so the result is monotone in P.
// (P3) Settled. So where the result has the same bits at both ends of
//      (P1)'s interval and is a number, the library's power gives those bits
//      too: a monotone function is constant between two equal values, and a
//      single-precision zero keeps the sign of what it rounds (a value
//      between two zeros of one sign is a zero of that sign, or rounds to
//      one). Elsewhere, in about one case in 2^11, the library decides.
// (P4) Zero. A ratio of 0 (a link without volume) has the power WholePower
//      gives exactly: +-0 to a whole exponent above 0 is +0, or +-0 where the
//      exponent is odd, and anything to the exponent 0 is 1, as the C
//      standard's annex for IEEE arithmetic has the library's power give.
constexpr double PowerMargin = 0x1p-36;

// result(P) for link l's power P of `ratio`, where result is monotone in P (P2).
template <typename Result>
static float PowerResult(int l, float ratio, Result result) {
  const int n = WholeExponent(b[l]);
  if (n >= 0) {
    const double estimate = WholePower(static_cast<double>(ratio), n);
    if (ratio == 0.0f) return result(estimate);            // (P4)
    if (estimate >= 0x1p-1000 && estimate <= 0x1p1000) {  // (P1)
      const float low = result(estimate * (1.0 - PowerMargin));
      const float high = result(estimate * (1.0 + PowerMargin));
      if (low == low && Bits(low) == Bits(high)) return low;  // (P3)
    }
  }
  return result(RememberedPower(l, ratio));
}

float PowerLawCost(int l, float ratio, float t0) {
  return PowerResult(l, ratio, [l, t0](double power) {
    return static_cast<float>((static_cast<double>(a[l]) * power + 1.0) * static_cast<double>(t0));
  });
}

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
