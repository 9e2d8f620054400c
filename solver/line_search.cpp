// Line searches for the Frank-Wolfe step size: bisection (used by the run)
// and the secant method (kept as an alternative with the same contract).
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

// Lists the terms of the bisection's sums. A link whose volume does not move
// (y = v, so d = 0) has the same term at every step, since its trial volume
// step * 0 + v is v whatever the step: it is evaluated once. A constant term of
// 0 or -0 is left out, since adding it to a single-precision sum that starts
// at +0 never changes the sum. Writes SearchCount, SearchLinks, SearchMoves,
// SearchFixed.
static void ListSearchTerms() {
  int count = 0;
  for (int l = 0; l < LinkNumber; ++l) {
    const bool moves = !(New_LinkVol[l] - LinkVolume[l] == 0.0f);
    const float fixed = moves ? 0.0f : Differential(0.5f, l);
    if (!moves && fixed == 0.0f) continue;
    SearchLinks[count] = l;
    SearchMoves[count] = moves;
    SearchFixed[count++] = fixed;
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

float Bi_Section() {
  float lo = 0.0f;
  float hi = 1.0f;
  float width = 1.0f;
  float mid = 0.0f;
  const std::clock_t start = ProcessClock();
  ListSearchTerms();
  while (static_cast<double>(width) > 0.000001) {
    mid = (lo + hi) / 2.0f;
    dif_theta = ListedSum(mid);
    if (dif_theta < 0.0f) {
      lo = mid;
    } else {
      hi = mid;  // a zero derivative moves the upper end too
    }
    width = Max(hi - lo, lo - hi);
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
