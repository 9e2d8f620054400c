// Line searches for the Frank-Wolfe step size: bisection (used by the run)
// and the secant method (kept as an alternative with the same contract).
#include <algorithm>
#include <cfloat>
#include <cmath>

#include "network/cost_family.h"
#include "network/network.h"
#include "network/tables.h"
#include "performance/performance.h"
#include "solver/solver.h"

namespace fw {

// The line derivative summed over all links in order, in single precision.
static float DerivativeSum(float step) {
  float sum = 0.0f;
  for (int l = 0; l < LinkNumber; ++l) sum += Differential(step, l);
  return sum;
}

// The largest whole exponent whose power the estimates take by repeated
// squaring: at most eight roundings in double precision.
constexpr int MostEstimatedExponent = 16;

// The exponent of a power-law link as a whole number from 0 to
// MostEstimatedExponent, where its term can be estimated; else -1 (another
// family, a coefficient that is negative or not finite, another exponent).
static int EstimatedExponent(int l) {
  switch (FamilyOf(LinkCFType[l])) {
    case CostFamily::PowerLaw:
      break;
    case CostFamily::Reciprocal:
    case CostFamily::ReciprocalPlusTime:
      return -1;  // no power to estimate
  }
  if (!(a[l] >= 0.0f && a[l] <= FLT_MAX)) return -1;
  const float exponent = b[l];
  if (!(exponent >= 0.0f && exponent <= static_cast<float>(MostEstimatedExponent)) || exponent != std::floor(exponent)) return -1;
  return static_cast<int>(exponent);
}

// Lists the terms of the bisection's sums. A link whose volume does not move
// (y = v, so d = 0) has the same term at every step, since its trial volume
// step * 0 + v is v whatever the step: it is evaluated once. A constant term of
// 0 or -0 is left out, since adding it to a single-precision sum that starts
// at +0 never changes the sum. Writes SearchCount, SearchLinks, SearchMoves,
// SearchFixed, SearchPowers and SearchEstimates: the signs are estimated
// when at least half of the moving terms can be.
static void ListSearchTerms() {
  int count = 0;
  int moving = 0;
  int estimated = 0;
  for (int l = 0; l < LinkNumber; ++l) {
    const bool moves = !(New_LinkVol[l] - LinkVolume[l] == 0.0f);
    const float fixed = moves ? 0.0f : Differential(0.5f, l);
    if (!moves && fixed == 0.0f) continue;
    SearchLinks[count] = l;
    SearchMoves[count] = moves;
    SearchFixed[count] = fixed;
    const int exponent = moves ? EstimatedExponent(l) : -1;
    SearchPowers[count++] = exponent;
    moving += static_cast<int>(moves);
    estimated += static_cast<int>(exponent >= 0);
  }
  SearchCount = count;
  SearchEstimates = 2 * estimated >= moving && estimated > 0;
}

// The line derivative summed over all links in order at `step`, from the
// listed terms; the same sum, bit for bit, as DerivativeSum (a sum that is NaN
// may carry either sign, there as here: x86 hands on the NaN of whichever
// operand the compiler puts first).
static float ListedSum(float step) {
  // Deliberate: the terms in link order, as the sum over every link adds them;
  // only terms that cannot change a sum are missing.
  float sum = 0.0f;
  for (int k = 0; k < SearchCount; ++k) sum += SearchMoves[k] ? Differential(step, SearchLinks[k]) : SearchFixed[k];
  return sum;
}

// ---- Signs from estimates ----------------------------------------------------------
//
// Until the last midpoint, the bisection needs only the sign of each sum,
// and most of a sum's cost is the library power of each moving power-law
// term. Where the exponent is a whole number, the power is estimated by
// repeated squaring in double precision instead, which pins each term
// between two single-precision values; summing the lower ends and the upper
// ends as the sum itself is summed pins the sum, since rounded addition
// never gives a lower sum for higher terms. The sign is taken when the two
// ends agree on it. Otherwise, and always at the last midpoint, the sum is
// computed term by term with the library power. The results are therefore
// the same bits, whatever the estimates; they only spare powers.
//
// The ends. A power-law term is t = fl(T) with T = t0d (a P + 1) in double
// precision and P the library power; the estimate is T' = t0d (a P' + 1).
// The estimated power P' is within 2^-49 of the exact power (at most sixteen
// roundings of 2^-53 each, counting the squarings' doubling), and the
// library's is taken to be within 2^-37 of it (a usable library is within a
// few 2^-53). As a, P and P' are 0 or more, a P + 1 has no cancellation, so T
// is within 2^-36.9 |T'| of T', and t lies between the roundings of
// T' - 2^-36 |T'| and T' + 2^-36 |T'| (rounding to single precision never
// goes down for a higher value). A term that is not a power-law term with a
// whole exponent is computed as the sum computes it, and is both its ends.

enum class Sign { Negative, NotNegative, Unknown };

// r^n in double precision by repeated squaring, n from 0 to 16: the
// product of the squares its bits select (a square it does not select may
// overflow unread).
static double WholePower(double r, int n) {
  const double r2 = r * r;
  const double r4 = r2 * r2;
  const double r8 = r4 * r4;
  const double r16 = r8 * r8;
  return ((n & 1) != 0 ? r : 1.0) * ((n & 2) != 0 ? r2 : 1.0) * ((n & 4) != 0 ? r4 : 1.0) * ((n & 8) != 0 ? r8 : 1.0) *
         ((n & 16) != 0 ? r16 : 1.0);
}

// The sign of ListedSum(step) where the estimates show it; else Unknown.
static Sign EstimatedSign(float step) {
  constexpr double Margin = 0x1p-36;  // of the estimated term, on either side
  float low = 0.0f;   // the sum of the lower ends, in the sum's order
  float high = 0.0f;  // the sum of the upper ends
  bool usable = true;
  for (int k = 0; k < SearchCount; ++k) {
    const int l = SearchLinks[k];
    if (!SearchMoves[k] || SearchPowers[k] < 0) {
      const float term = SearchMoves[k] ? Differential(step, l) : SearchFixed[k];
      low += term;
      high += term;
      continue;
    }
    const PowerTermParts parts = PowerTermAt(step, l);
    const double power = WholePower(static_cast<double>(parts.ratio), SearchPowers[k]);
    // Not an odd power of a negative ratio, nor one that is not a number, nor
    // one so large that the library's might overflow where the estimate does not.
    usable &= power >= 0.0 && power <= 1.0e300;
    const double term = static_cast<double>(parts.t0d) * (static_cast<double>(a[l]) * power + 1.0);
    const double margin = std::fabs(term) * Margin;
    low += static_cast<float>(term - margin);
    high += static_cast<float>(term + margin);
  }
  // A sum that is not finite (or a term that is not) gives no sign.
  if (!usable || !(std::fabs(low) <= FLT_MAX && std::fabs(high) <= FLT_MAX)) return Sign::Unknown;
  if (low >= 0.0f) return Sign::NotNegative;
  if (high < 0.0f) return Sign::Negative;
  return Sign::Unknown;
}

float Bi_Section() {
  float lo = 0.0f;
  float hi = 1.0f;
  float width = 1.0f;
  float mid = 0.0f;
  const std::clock_t start = ProcessClock();
  ListSearchTerms();
  bool summed = false;  // whether dif_theta holds the sum at mid
  // Once an estimate leaves the sign open, the midpoints are close to the
  // sign change, and later estimates seldom decide: the sums are computed.
  bool estimate = SearchEstimates;
  while (static_cast<double>(width) > 0.000001) {
    mid = (lo + hi) / 2.0f;
    Sign sign = estimate ? EstimatedSign(mid) : Sign::Unknown;
    summed = sign == Sign::Unknown;
    estimate &= !summed;
    if (summed) {
      dif_theta = ListedSum(mid);
      sign = dif_theta < 0.0f ? Sign::Negative : Sign::NotNegative;
      ++ExactSums;
    } else {
      ++EstimatedSigns;
    }
    if (sign == Sign::Negative) {
      lo = mid;
    } else {
      hi = mid;  // a zero derivative moves the upper end too
    }
    width = Max(hi - lo, lo - hi);
  }
  if (!summed) {
    dif_theta = ListedSum(mid);  // the reported sum is always the one computed term by term
    ++ExactSums;
  }
  line_search_time = static_cast<float>(ClockMs(start, ProcessClock()));
  // Deliberate: the last midpoint, not the centre of the final interval; the results depend on it.
  return mid;
}

float Secant() {
  float x0 = 0.0f;
  float x1 = 1.0f;
  const std::clock_t start = ProcessClock();
  float g0 = DerivativeSum(x0);
  float g1 = DerivativeSum(x1);
  while (static_cast<double>(Max(x1 - x0, x0 - x1)) > 0.00001) {
    if (g0 == g1) {
      x1 = x0;  // no slope to follow: ends the search at x0
      continue;
    }
    const float xn = x1 - ((x1 - x0) * g1) / (g1 - g0);
    if (xn > Max(x0, x1) || xn < Min(x0, x1)) {
      // Outside the bracket: move halfway towards the new point from the nearer end.
      if (Max(xn - x0, x0 - xn) > Max(xn - x1, x1 - xn)) {
        x0 = x1;
        g0 = g1;
        x1 = (x1 + xn) / 2.0f;
      } else {
        x1 = (x0 + xn) / 2.0f;
      }
    } else {
      x0 = x1;
      g0 = g1;
      x1 = xn;
    }
    g1 = DerivativeSum(x1);
  }
  line_search_time = static_cast<float>(ClockMs(start, ProcessClock()));
  return x1;
}

}  // namespace fw
