// The power of a power-law link, (v/c)^b, and the single-precision results
// built on it: the library's power, remembered per link, and for a whole
// exponent, repeated squaring wherever the result cannot tell the two apart.
// Shared by the cost function, the objective and the line derivative.
#ifndef FW_PERFORMANCE_POWER_RESULT_H
#define FW_PERFORMANCE_POWER_RESULT_H

#include <cmath>
#include <cstdint>
#include <cstring>

#include "network/tables.h"
#include "performance/performance.h"

namespace fw {

// The bits of a single-precision value, so that equal keys mean equal
// arguments: -0 differs from 0, and a NaN matches only its own bits.
inline std::uint32_t ValueBits(float x) {
  std::uint32_t bits;
  std::memcpy(&bits, &x, sizeof bits);
  return bits;
}

// The power (v/c)^b of a type-1 link, remembered per link. Within a step the
// same power of the same ratio is asked for again and again: by the cost
// update and the objective on the same volumes, by the last bisection
// midpoint on the volumes the step moves to, and by late midpoints whose
// trial volumes round to the same value.
inline double RememberedPower(int l, float ratio) {
  const std::uint32_t r = ValueBits(ratio);
  const std::uint32_t e = ValueBits(b[l]);
  PowerMemo& memo = LinkPowers[l];
  if (memo.known && memo.ratio == r && memo.exponent == e) return memo.power;
  memo = PowerMemo{true, r, e, std::pow(static_cast<double>(ratio), static_cast<double>(b[l]))};
  return memo.power;
}

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
inline float PowerResult(int l, float ratio, Result result) {
  const int n = WholeExponent(b[l]);
  if (n >= 0) {
    const double estimate = WholePower(static_cast<double>(ratio), n);
    if (ratio == 0.0f) return result(estimate);            // (P4)
    if (estimate >= 0x1p-1000 && estimate <= 0x1p1000) {  // (P1)
      const float low = result(estimate * (1.0 - PowerMargin));
      const float high = result(estimate * (1.0 + PowerMargin));
      if (low == low && ValueBits(low) == ValueBits(high)) return low;  // (P3)
    }
  }
  return result(RememberedPower(l, ratio));
}

}  // namespace fw

#endif  // FW_PERFORMANCE_POWER_RESULT_H
