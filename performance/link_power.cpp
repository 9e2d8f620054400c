// The power (v/c)^b of a type-1 link, taken by std::pow in double precision and
// remembered per link. Within a step the same power of the same ratio is asked
// for again and again: by the cost update and the objective on the same
// volumes, by the last bisection midpoint on the volumes the step moves to, and
// by late midpoints whose trial volumes round to the same value.
#include <cmath>
#include <cstring>

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

double LinkPower(int l, float ratio) {
  const std::uint32_t r = Bits(ratio);
  const std::uint32_t e = Bits(b[l]);
  PowerMemo& memo = LinkPowers[l];
  if (memo.known && memo.ratio == r && memo.exponent == e) return memo.power;
  memo = PowerMemo{true, r, e, std::pow(static_cast<double>(ratio), static_cast<double>(b[l]))};
  return memo.power;
}

}  // namespace fw
