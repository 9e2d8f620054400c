// Line searches for the Frank-Wolfe step size: bisection (used by the run)
// and the secant method (kept as an alternative with the same contract).
#include <algorithm>
#include <cfloat>
#include <cmath>
#include <limits>

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

// The exponent of a power-law link as a whole number from 0 to
// MostWholeExponent, whose power WholePower can take; else -1 (another
// family, a coefficient that is negative or not finite, another exponent).
static int SquaredExponent(int l) {
  switch (FamilyOf(LinkCFType[l])) {
    case CostFamily::PowerLaw:
      break;
    case CostFamily::Reciprocal:
    case CostFamily::ReciprocalPlusTime:
      return -1;  // no power to take
  }
  if (!(a[l] >= 0.0f && a[l] <= FLT_MAX)) return -1;
  return WholeExponent(b[l]);
}

// Whether link l's term depends on the step. It does not where the volume
// does not move (y = v, so d = 0), since the trial volume step * 0 + v is
// then v whatever the step, nor for a power-law link of exponent 0, whose
// power is 1 at every ratio (even one that is not a number), so that its
// term is t0 d (a + 1) at every step.
static bool TermMoves(int l) {
  if (New_LinkVol[l] - LinkVolume[l] == 0.0f) return false;
  return !(FamilyOf(LinkCFType[l]) == CostFamily::PowerLaw && b[l] == 0.0f);
}

// Lists the terms of the bisection's sums. A term that does not depend on
// the step is evaluated once. A constant term of 0 or -0 is left out, since
// adding it to a single-precision sum that starts at +0 never changes the
// sum. Writes SearchCount, SearchLinks, SearchMoves, SearchFixed and
// SearchPowers.
static void ListSearchTerms() {
  int count = 0;
  for (int l = 0; l < LinkNumber; ++l) {
    const bool moves = TermMoves(l);
    const float fixed = moves ? 0.0f : Differential(0.5f, l);
    if (!moves && fixed == 0.0f) continue;
    SearchLinks[count] = l;
    SearchMoves[count] = moves;
    SearchFixed[count] = fixed;
    SearchPowers[count++] = moves ? SquaredExponent(l) : -1;
  }
  SearchCount = count;
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

// ---- Signs from the ends of the terms ---------------------------------------------------
//
// Until the last midpoint, the bisection needs only the sign of each sum, and
// most of a sum's cost is the library power of each moving power-law term.
// So each term is pinned between two ends, cheaper to find than the term, and
// the sign is taken where the ends show it. Ends at two steps either side of
// the sign change decide most midpoints at once (8). At a midpoint between
// them, a whole exponent's power is estimated by repeated squaring; any
// other power-law term keeps ends that hold over the whole interval of the
// bisection, and only the terms whose ends are too far apart to show the
// sign are evaluated: in a network, most of the sum's change along the step
// comes from a few links. The results are the same bits, whatever the ends:
// they only spare powers. The argument:
//
// (1) Terms. A moving power-law term at step s is t(s) = fl(T(s)), with
//     T(s) = t0d (a P(s) + 1) in double precision, P(s) the library power of
//     the ratio r(s) = fl(fl(s d) + v) / c, and t0d = fl(t0 d).
//
// (2) Evaluations. The library's power is taken to be within 2^-37 of the
//     exact power of r(s) (a usable library is within a few 2^-53), and a
//     whole exponent's power by repeated squaring (WholePower) is within
//     2^-49 of it (at most sixteen roundings of 2^-53 each, counting the
//     squarings' doubling). With T*(s) the value of T(s) for the exact power
//     and exact operations: as a, P and the estimate are 0 or more, a P + 1
//     has no cancellation, so both T(s) and an evaluation E of T at s, by
//     either way, are within 2^-36.9 |T*(s)| of T*(s).
//
// (3) Ends at the step evaluated. So T(s) is within 2^-35.9 |E| of E, and as
//     rounding to single precision is monotone, t(s) lies between fl(E - m)
//     and fl(E + m) with m = 2^-35 |E| (the margin leaves room for rounding E
//     - m and E + m).
//
// (4) Terms that never fall. Where t0, a, b and c are finite, t0, a and b are
//     0 or more, c is above 0, and the trial volumes at steps 0 and 1 are 0
//     or more, T* never falls as s rises: rounding is monotone, so the trial
//     volume moves with d from step 0 to step 1 and stays 0 or more, r(s)
//     moves the same way, r^b does too (b >= 0, r >= 0), and t0d has the
//     sign of d.
//
// (5) Ends carried over. For such a term, an evaluation E at s1 and any s >=
//     s1: T(s) >= T*(s) - 2^-36.9 |T*(s)| >= T*(s1) - 2^-36.9 |T*(s1)| (x -
//     e|x| never falls as x rises) >= E - 2^-35.8 |E|, so t(s) >= fl(E - m)
//     with m = 2^-35 |E|; likewise t(s) <= fl(E + m) for s <= s1. A carried
//     term keeps the lower end of its latest evaluation at or below the
//     interval's lower end, and the upper end of its latest at or above its
//     upper end (none, +infinity, until one is made); both hold at every
//     midpoint inside.
//
// (6) Sums. Summing the lower ends in the sum's order, and the upper ends,
//     pins the sum between the two, since rounded addition never gives a
//     lower sum for higher terms. The sign is taken when both are finite and
//     agree on it: then every term is finite, so the sum is not a NaN. Terms
//     with no cheaper ends are computed as the sum computes them, and are
//     both their ends.
//
// (7) What is evaluated. At each midpoint the carried terms whose ends are at
//     least a threshold apart are evaluated; while the sign stays open, the
//     threshold drops below the widest ends left, so every round evaluates
//     at least one more term, and when none is left the sign is left to the
//     sum. The threshold a midpoint ends with starts the next. A round
//     costs a pass over the ends, about as much as a few dozen powers, so
//     the threshold drops by a factor of 8 a round rather than term by term.
//
// (8) Steps that bound the sign change. Where every moving term never falls
//     (4), (5) holds for the ends of an evaluation at any step p: the upper
//     ends at p bound their terms at every step up to p, the lower ends at
//     every step from p. So by (6), where the upper ends at p sum below 0,
//     the sum is negative at every step up to p, and where the lower ends
//     at p sum to 0 or more, it is 0 or more at every step from p. Two such
//     steps a < b close around the sign change decide every midpoint outside
//     (a, b) without evaluating a term, and the ends at a and b hold at the
//     midpoints between them, which the carried terms may take as theirs:
//     the lower ends at a, the upper ends at b. In exact arithmetic the sum
//     is a sum of powers of a ratio that moves linearly with the step:
//     expanded about a step, a polynomial, exact for whole exponents and
//     close near that step for others, whose sign change (found in double
//     precision) places a and b. The polynomial only chooses where to
//     evaluate; a step whose ends do not show its sign is not used.
//
// (9) Sums the ends pin. Where a term's two ends at a step are the same
//     value with the same sign, that is the term, by (3) (or it is a fixed
//     or summed term, its own ends). Where every term is pinned so, the sum
//     of the lower ends, added in the sum's order, is the sum at that step
//     bit for bit. The last midpoint is a whole multiple of 2^-20 next to
//     the sign change, mostly one of the steps of (8): its sum is then
//     taken from there.

enum class Sign { Negative, NotNegative, Unknown };

enum class TermKind : unsigned char {
  Ends,     // fixed, or carried (5): its ends are in TermEnds
  Squared,  // a whole exponent's power, estimated at every midpoint (3)
  Summed,   // computed at every midpoint as the sum computes it
};

// The ends of the terms of one bisection, by term (as SearchLinks).
struct TermEnds {
  TermKind kind[MaxLinks];
  float lower[MaxLinks];        // a term of kind Ends: its lower end at the current midpoint
  float upper[MaxLinks];        // and its upper end
  float kept_lower[MaxLinks];   // (5): a carried term's ends at the interval's ends, by entry of
  float kept_upper[MaxLinks];   //      `evaluated`, while lower and upper hold the midpoint's
  int evaluated_at[MaxLinks];   // the midpoint (from 0) at which a carried term was last evaluated; -1 if none
  int evaluated[MaxLinks];      // the carried terms evaluated at the current midpoint
  int evaluated_count;
  int carried[MaxLinks];        // (4): the terms whose ends carry over between midpoints
  int carried_count;
  bool none_fall;               // (4): no moving term may fall as the step rises
  float at_lower[MaxLinks];     // every term's ends in the last sum of ends
  float at_upper[MaxLinks];
  bool pinned;                  // (9): whether the ends in the last sum of ends pinned every term
};
// Work tables of Bi_Section, each entry written before it is read.
static TermEnds Ends;

constexpr double EndsMargin = 0x1p-35;  // (3), (5): of the evaluated term, on either side

// (3): the ends of power-law term k at `step` from the power `power` of its
// ratio `parts.ratio`.
static inline void EndsOf(int k, PowerTermParts parts, double power, float* lower, float* upper) {
  const double term = static_cast<double>(parts.t0d) * (static_cast<double>(a[SearchLinks[k]]) * power + 1.0);
  const double margin = std::fabs(term) * EndsMargin;
  *lower = static_cast<float>(term - margin);
  *upper = static_cast<float>(term + margin);
}

// (3): the ends of term k at `step` from its whole exponent's power by
// repeated squaring. False where the power is not a number 0 or more, or one
// the library might overflow on where the estimate does not.
static inline bool SquaredEnds(float step, int k, float* lower, float* upper) {
  const PowerTermParts parts = PowerTermAt(step, SearchLinks[k]);
  const double power = WholePower(static_cast<double>(parts.ratio), SearchPowers[k]);
  EndsOf(k, parts, power, lower, upper);
  return power >= 0.0 && power <= 1.0e300;
}

// (3), (5): the ends of a carried term k at `step` from the library's power.
static void LibraryEnds(float step, int k, float* lower, float* upper) {
  const PowerTermParts parts = PowerTermAt(step, SearchLinks[k]);
  EndsOf(k, parts, LinkPower(SearchLinks[k], parts.ratio), lower, upper);
}

// (4): whether the moving term of link l never falls as the step rises: a
// power-law term with the signs and finite values that this needs.
static bool NeverFalls(int l) {
  if (FamilyOf(LinkCFType[l]) != CostFamily::PowerLaw) return false;
  const float v = LinkVolume[l];
  const float d = New_LinkVol[l] - v;
  const float at_one = 1.0f * d + v;  // the trial volume at step 1, as PowerTermAt takes it
  const auto finite_from_zero = [](float x) { return x >= 0.0f && x <= FLT_MAX; };
  return finite_from_zero(TravelTime[l]) && finite_from_zero(a[l]) && finite_from_zero(b[l]) && finite_from_zero(Capacity[l]) &&
         Capacity[l] > 0.0f && finite_from_zero(v) && finite_from_zero(at_one) && std::fabs(d) <= FLT_MAX;
}

// Sorts the terms for a bisection over [0, 1]. A power-law term with a
// whole exponent is squared at every midpoint: squaring costs little more
// than reading its ends would. Any other power-law term that never falls (4)
// is carried: its lower end is its value at step 0 (its trial volume is then
// its volume, whose power the memo mostly holds from the cost update), and
// it has no upper end yet. The fixed terms are their own ends, and the other
// moving terms are summed.
static void StartEnds() {
  TermEnds& e = Ends;
  e.carried_count = 0;
  e.none_fall = true;
  for (int k = 0; k < SearchCount; ++k) {
    float ignored = 0.0f;
    const bool never_falls = SearchMoves[k] && NeverFalls(SearchLinks[k]);
    e.none_fall &= !SearchMoves[k] || never_falls;
    if (!SearchMoves[k]) {
      e.kind[k] = TermKind::Ends;
      e.lower[k] = e.upper[k] = SearchFixed[k];
    } else if (SearchPowers[k] >= 0) {
      e.kind[k] = TermKind::Squared;
    } else if (never_falls) {
      LibraryEnds(0.0f, k, &e.lower[k], &ignored);
      e.kind[k] = TermKind::Ends;
      e.upper[k] = std::numeric_limits<float>::infinity();
      e.evaluated_at[k] = -1;
      e.carried[e.carried_count++] = k;
    } else {
      e.kind[k] = TermKind::Summed;
    }
  }
}

// (7): evaluates at `step` the carried terms not yet evaluated at midpoint
// number `midpoint` whose ends are at least `limit` apart, keeping their
// interval's ends. Returns the widest ends left.
static float EvaluateWide(float step, int midpoint, float limit) {
  TermEnds& e = Ends;
  float widest = 0.0f;
  for (int i = 0; i < e.carried_count; ++i) {
    const int k = e.carried[i];
    if (e.evaluated_at[k] == midpoint) continue;
    const float width = e.upper[k] - e.lower[k];
    if (width < limit) {
      widest = std::max(widest, width);
      continue;
    }
    e.evaluated_at[k] = midpoint;
    e.kept_lower[e.evaluated_count] = e.lower[k];
    e.kept_upper[e.evaluated_count] = e.upper[k];
    e.evaluated[e.evaluated_count++] = k;
    LibraryEnds(step, k, &e.lower[k], &e.upper[k]);
  }
  return widest;
}

// (6): the sums of the terms' lower ends and of their upper ends at `step`,
// in the sum's order. A carried term takes its ends over the interval, or
// with `evaluate` (8) its ends evaluated at `step`; every term's ends are
// left in Ends.at_lower and Ends.at_upper, and Ends.pinned tells whether
// each term's two ends are the same (9). False if an estimate is not usable.
static bool SumEnds(float step, bool evaluate, float* low, float* high) {
  TermEnds& e = Ends;
  float lower_sum = 0.0f;
  float upper_sum = 0.0f;
  bool usable = true;
  bool pinned = true;
  for (int k = 0; k < SearchCount; ++k) {
    float lower = e.lower[k];
    float upper = e.upper[k];
    if (e.kind[k] == TermKind::Squared) {
      usable &= SquaredEnds(step, k, &lower, &upper);
    } else if (e.kind[k] == TermKind::Summed) {
      lower = upper = Differential(step, SearchLinks[k]);
    } else if (evaluate && SearchMoves[k]) {
      LibraryEnds(step, k, &lower, &upper);
    }
    e.at_lower[k] = lower;
    e.at_upper[k] = upper;
    pinned &= lower == upper && std::signbit(lower) == std::signbit(upper);
    lower_sum += lower;
    upper_sum += upper;
  }
  e.pinned = usable && pinned;
  *low = lower_sum;
  *high = upper_sum;
  return usable;
}

// The sign of ListedSum(step) at midpoint number `midpoint` where the ends
// show it (6), evaluating the carried terms as (7) says from `*threshold`;
// else Unknown. On a sign, leaves in *threshold the one to start the next
// midpoint with, and the carried ends at the midpoint for MoveEnds.
static Sign EndsSign(float step, int midpoint, float* threshold) {
  for (float limit = *threshold;;) {
    const float widest = EvaluateWide(step, midpoint, limit);
    float low = 0.0f;
    float high = 0.0f;
    if (!SumEnds(step, false, &low, &high)) return Sign::Unknown;
    if (std::fabs(low) <= FLT_MAX && std::fabs(high) <= FLT_MAX && (low >= 0.0f || high < 0.0f)) {
      *threshold = limit;
      return low >= 0.0f ? Sign::NotNegative : Sign::Negative;
    }
    if (widest == 0.0f) return Sign::Unknown;  // nothing left that could narrow the sum
    limit = std::min(limit, widest) / 8.0f;
  }
}

// C(n, j) for n and j from 0 to MostWholeExponent.
struct Binomials {
  double of[MostWholeExponent + 1][MostWholeExponent + 1];
  constexpr Binomials() : of() {
    for (int n = 0; n <= MostWholeExponent; ++n) {
      of[n][0] = 1.0;
      for (int j = 1; j <= n; ++j) of[n][j] = of[n - 1][j - 1] + (j < n ? of[n - 1][j] : 0.0);
    }
  }
};
constexpr Binomials Binomial;

// Terms after the first of the expansion of a power that is not whole.
constexpr int ExpansionTerms = 4;

// (8): where the sum changes sign, estimated from the polynomial in u = s -
// centre that its terms make in exact arithmetic near `centre`: a moving
// term is t0 d (a r^n + 1) with r = R + u D, R = (v + centre d) / c and D =
// d / c. A whole exponent's power is expanded exactly by the binomial
// theorem; any other is R^b (1 + u D / R)^b, whose expansion is taken to
// ExpansionTerms terms after the first, with R^b the library's power of the
// ratio at the centre: close near the centre only. Such a term with R = 0
// is left out. *rough tells whether any term was taken so. Every moving term
// is a power-law term that never falls (4). Returns a step in [0, 1], or -1
// where the polynomial is not a number.
static double SignChangeNear(float centre, bool* rough) {
  double coef[MostWholeExponent + 1] = {};
  double fourth[5] = {};  // the terms of exponent 4
  int degree = 0;
  *rough = false;
  for (int k = 0; k < SearchCount; ++k) {
    if (!SearchMoves[k]) {
      coef[0] += static_cast<double>(SearchFixed[k]);
      continue;
    }
    const int l = SearchLinks[k];
    const double per_capacity = 1.0 / static_cast<double>(Capacity[l]);
    const double d = static_cast<double>(New_LinkVol[l] - LinkVolume[l]);
    const double t0d = static_cast<double>(TravelTime[l]) * d;
    const double ratio = (static_cast<double>(LinkVolume[l]) + static_cast<double>(centre) * d) * per_capacity;
    const double slope = d * per_capacity;
    coef[0] += t0d;
    const int n = SearchPowers[k];
    if (n == 4) {
      // The usual exponent, with the binomials 1 4 6 4 1, in registers.
      const double f = static_cast<double>(a[l]) * t0d;
      const double r2 = ratio * ratio;
      const double s2 = slope * slope;
      fourth[0] += f * r2 * r2;
      fourth[1] += 4.0 * f * r2 * ratio * slope;
      fourth[2] += 6.0 * f * r2 * s2;
      fourth[3] += 4.0 * f * ratio * s2 * slope;
      fourth[4] += f * s2 * s2;
      degree = std::max(degree, 4);
      continue;
    }
    if (n >= 0) {
      // a t0 d (R + u D)^n, term by term of the binomial expansion.
      double ratio_power[MostWholeExponent + 1];
      ratio_power[0] = 1.0;
      for (int j = 1; j <= n; ++j) ratio_power[j] = ratio_power[j - 1] * ratio;
      double factor = static_cast<double>(a[l]) * t0d;  // times D^j
      for (int j = 0; j <= n; ++j) {
        coef[j] += factor * Binomial.of[n][j] * ratio_power[n - j];
        factor *= slope;
      }
      degree = std::max(degree, n);
      continue;
    }
    *rough = true;
    if (!(ratio > 0.0)) continue;
    const double exponent = static_cast<double>(b[l]);
    double factor = static_cast<double>(a[l]) * t0d * LinkPower(l, PowerTermAt(centre, l).ratio);
    for (int j = 0; j <= ExpansionTerms; ++j) {
      coef[j] += factor;
      factor *= (slope / ratio) * (exponent - static_cast<double>(j)) / static_cast<double>(j + 1);
    }
    degree = std::max(degree, ExpansionTerms);
  }
  for (int j = 0; j < 5; ++j) coef[j] += fourth[j];
  // A sign change of the polynomial on [-centre, 1 - centre], by Newton's
  // method kept inside a bracket (the value at u need not rise with u where
  // an expansion is cut short).
  double low = -static_cast<double>(centre);
  double high = 1.0 - static_cast<double>(centre);
  double u = 0.0;
  for (int round = 0; round < 60 && high - low > 0x1p-30; ++round) {
    double value = 0.0;
    double slope = 0.0;
    for (int j = degree; j >= 0; --j) {
      slope = slope * u + value;
      value = value * u + coef[j];
    }
    if (!(value == value)) return -1.0;
    (value < 0.0 ? low : high) = u;
    const double newton = u - value / slope;
    const bool inside = newton > low && newton < high;
    // Newton's steps mostly close in from one side, leaving the bracket
    // wide: a step far below the grid of the midpoints ends the search.
    if (inside && std::fabs(newton - u) < 0x1p-40) {
      u = newton;
      break;
    }
    u = inside ? newton : (low + high) / 2.0;
  }
  return std::min(1.0, std::max(0.0, static_cast<double>(centre) + u));
}

// (9): the sums the ends pinned, at the steps they were summed at.
struct KnownSums {
  static constexpr int Room = 8;  // steps BoundSignChange may try
  float step[Room];
  float sum[Room];
  int count;

  void Add(float at, float value) {
    if (count == Room) return;
    step[count] = at;
    sum[count++] = value;
  }
  // The sum at `at`, if known.
  bool Find(float at, float* value) const {
    for (int i = 0; i < count; ++i) {
      if (step[i] == at) {
        *value = sum[i];
        return true;
      }
    }
    return false;
  }
};

// (8): steps around the sign change of the sum whose ends show their signs:
// *below, where the sum is negative at every step up to it (-1 if none), and
// *above, where it is 0 or more at every step from it (2 if none). Every
// midpoint is a whole multiple of the last one's half-width 2^-20, so the
// multiples either side of the estimated sign change would decide them
// all; where one does not show its sign, a multiple further out is tried.
// The lower ends at *below start the carried terms' lower ends, and the
// upper ends at *above their upper ends: the ends are asked for only at the
// midpoints between the two. The sums the ends pin (9) go to `known`.
static void BoundSignChange(float* below, float* above, KnownSums* known) {
  *below = -1.0f;
  *above = 2.0f;
  known->count = 0;
  if (!Ends.none_fall) return;
  bool rough = false;
  double change = SignChangeNear(0.0f, &rough);
  // An expansion that is not exact is close only near its centre: once more
  // about the estimate.
  if (rough && change > 0.0) change = SignChangeNear(static_cast<float>(change), &rough);
  if (change < 0.0) return;
  TermEnds& e = Ends;
  const double grid = 0x1p-20;
  const double nearest_below = std::floor(change / grid);
  const double tries[] = {0.0, 1.0, 7.0, 63.0};
  for (int side = 0; side < 2; ++side) {
    for (double further : tries) {
      if (side == 0 ? *below >= 0.0f : *above <= 1.0f) break;
      const float step = static_cast<float>((side == 0 ? nearest_below - further : nearest_below + 1.0 + further) * grid);
      if (!(step > 0.0f && step < 1.0f)) break;
      float low = 0.0f;
      float high = 0.0f;
      if (!SumEnds(step, true, &low, &high)) return;
      if (e.pinned) known->Add(step, low);
      if (high < 0.0f && low >= -FLT_MAX && step > *below) {
        *below = step;
        for (int i = 0; i < e.carried_count; ++i) e.lower[e.carried[i]] = e.at_lower[e.carried[i]];
      }
      if (low >= 0.0f && high <= FLT_MAX && step < *above) {
        *above = step;
        for (int i = 0; i < e.carried_count; ++i) e.upper[e.carried[i]] = e.at_upper[e.carried[i]];
      }
    }
  }
}

// (5): after the sign at a midpoint, the carried terms evaluated there keep
// the midpoint's lower ends where it becomes the interval's lower end, and
// its upper ends where it becomes the upper end; their other ends go back to
// those of the interval.
static void MoveEnds(Sign sign) {
  TermEnds& e = Ends;
  for (int i = 0; i < e.evaluated_count; ++i) {
    const int k = e.evaluated[i];
    if (sign == Sign::Negative) {
      e.upper[k] = e.kept_upper[i];
    } else {
      e.lower[k] = e.kept_lower[i];
    }
  }
}

float Bi_Section() {
  float lo = 0.0f;
  float hi = 1.0f;
  float width = 1.0f;
  float mid = 0.0f;
  const std::clock_t start = ProcessClock();
  ListSearchTerms();
  bool summed = false;  // whether dif_theta holds the sum at mid
  StartEnds();
  float below = -1.0f;
  float above = 2.0f;
  KnownSums known;
  BoundSignChange(&below, &above, &known);
  // Once the ends leave a sign open, the midpoints are close to the sign
  // change, and later ends seldom decide: the sums are computed.
  bool estimate = true;
  float threshold = std::numeric_limits<float>::infinity();
  for (int midpoint = 0; static_cast<double>(width) > 0.000001; ++midpoint) {
    mid = (lo + hi) / 2.0f;
    Ends.evaluated_count = 0;  // no carried term evaluated at this midpoint yet
    Sign sign = mid <= below ? Sign::Negative : mid >= above ? Sign::NotNegative : Sign::Unknown;
    if (sign == Sign::Unknown && estimate) sign = EndsSign(mid, midpoint, &threshold);
    summed = sign == Sign::Unknown;
    estimate &= !summed;
    if (summed) {
      dif_theta = ListedSum(mid);
      sign = dif_theta < 0.0f ? Sign::Negative : Sign::NotNegative;
      ++ExactSums;
    } else {
      MoveEnds(sign);
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
    // The reported sum is always the one computed term by term, or its bits (9).
    if (!known.Find(mid, &dif_theta)) dif_theta = ListedSum(mid);
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
