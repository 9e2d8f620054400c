// The power memo: every power it gives is std::pow's own for the arguments of
// that call, and the cost function, objective and line derivative built on it
// give the bits of their plain versions, however the arguments change between
// calls.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <random>

#include "network/tables.h"
#include "performance/performance.h"
#include "reference/reference.h"
#include "support/support.h"
#include "support/tables_test.h"

namespace fw {
namespace {

std::uint64_t DoubleBits(double x) {
  std::uint64_t bits;
  std::memcpy(&bits, &x, sizeof bits);
  return bits;
}

// The bits of a result, with every NaN alike: which NaN an operation on two
// NaNs hands on depends on the compiler's order of operands, so the sign of a
// NaN is not part of the results.
std::uint32_t ResultBits(float x) { return x != x ? 0x7fc00000u : fw::Bits(x); }

using LinkPowerTest = TablesTest;

// A ratio of -0 after +0 with an odd negative exponent: std::pow gives -inf and
// +inf, so a memo that compared the ratios as numbers would answer wrongly.
TEST_F(LinkPowerTest, SignOfZeroIsPartOfTheKey) {
  AddLink(0, 1, 1.0f, 1.0f, 1.0f, -1.0f, 1.0f);
  EXPECT_EQ(LinkPower(0, 0.0f), std::numeric_limits<double>::infinity());
  EXPECT_EQ(LinkPower(0, -0.0f), -std::numeric_limits<double>::infinity());
}

// The same ratio with a changed exponent is a new power: 2^4, then 2^3.
TEST_F(LinkPowerTest, ExponentIsPartOfTheKey) {
  AddLink(0, 1, 1.0f, 1.0f, 1.0f, 4.0f, 1.0f);
  EXPECT_EQ(LinkPower(0, 2.0f), 16.0);
  b[0] = 3.0f;
  EXPECT_EQ(LinkPower(0, 2.0f), 8.0);
}

// A fresh table holds no power: the first call for ratio 0 and exponent 0
// (the zero bits of an empty entry) gives std::pow(0, 0) = 1, not the empty 0.
TEST_F(LinkPowerTest, EmptyEntryIsNotAResult) {
  AddLink(0, 1, 1.0f, 1.0f, 1.0f, 0.0f, 1.0f);
  EXPECT_EQ(LinkPower(0, 0.0f), 1.0);
}

// Random calls over a few links, with ratios and exponents drawn from small
// sets so that most calls repeat an earlier key: each result has the bits of
// std::pow of its own arguments.
TEST_F(LinkPowerTest, EveryResultIsStdPowOfItsArguments) {
  for (int l = 0; l < 5; ++l) AddLink(0, 1, 1.0f, 1.0f, 1.0f, 4.0f, 1.0f);
  const float ratios[] = {0.0f, -0.0f, 0.5f, 1.25f, 3.0e38f, -2.0f, std::numeric_limits<float>::quiet_NaN(), 1e-30f};
  const float exponents[] = {4.0f, 1.0f, -1.0f, 0.0f, 2.5f};
  std::mt19937 mt(5);
  for (int call = 0; call < 20000; ++call) {
    const int l = Draw(mt, 5);
    if (Draw(mt, 8) == 0) b[l] = exponents[Draw(mt, 5)];
    const float ratio = ratios[Draw(mt, 8)];
    const double expected = std::pow(static_cast<double>(ratio), static_cast<double>(b[l]));
    ASSERT_EQ(DoubleBits(LinkPower(l, ratio)), DoubleBits(expected)) << "call " << call;
  }
}

// The cost function, the objective and the derivative against their plain
// versions over random changes of volumes, exponents and capacities between
// calls, in every cost family: the same bits each time (NaNs alike).
TEST_F(LinkPowerTest, CostObjectiveAndDerivativeMatchTheirPlainVersions) {
  std::mt19937 mt(11);
  const float types[] = {1.0f, 1.0f, 1.0f, 0.0f, 2.0f};
  for (int l = 0; l < 6; ++l) AddLink(0, 1, static_cast<float>(1 + l), 50.0f, 0.15f, 4.0f, types[l % 5]);
  for (int round = 0; round < 5000; ++round) {
    const int l = Draw(mt, LinkNumber);
    switch (Draw(mt, 4)) {
      case 0: LinkVolume[l] = static_cast<float>(Draw(mt, 12)) * 10.0f; break;
      case 1: New_LinkVol[l] = static_cast<float>(Draw(mt, 12)) * 10.0f; break;
      case 2: b[l] = static_cast<float>(Draw(mt, 5)); break;
      default: Capacity[l] = static_cast<float>(Draw(mt, 3)) * 50.0f; break;
    }
    const float step = static_cast<float>(1 + Draw(mt, 1023)) / 1024.0f;
    const int k = Draw(mt, LinkNumber);
    ASSERT_EQ(ResultBits(LinkCostFunction(k)), ResultBits(PlainLinkCostFunction(k))) << "round " << round;
    ASSERT_EQ(ResultBits(ObjectValue()), ResultBits(PlainObjectValue())) << "round " << round;
    ASSERT_EQ(ResultBits(Differential(step, k)), ResultBits(PlainDifferential(step, k))) << "round " << round;
  }
}

// A whole exponent's cost is settled without the library's power only far
// from a single-precision rounding: where t0 (1 + a r^4) lies within 2^-38
// of a value halfway between two floats, the library must decide (its power
// is trusted to 2^-37), and well away from one it must not be needed. Which
// way was taken shows in the memo, which only the library's power fills.
TEST_F(LinkPowerTest, WholeExponentsNearARoundingGoToTheLibrary) {
  AddLink(0, 1, 1.0f, 1.0f, 1.0f, 4.0f, 1.0f);  // cost 1 + r^4 at the volume r
  int near = 0;
  int far = 0;
  float r = 0.75f;
  for (int i = 0; i < (1 << 18); ++i, r = std::nextafter(r, 1.0f)) {
    const double cost = std::pow(static_cast<double>(r), 4.0) + 1.0;  // in [1.3, 2): floats 2^-23 apart
    const double halfway = (std::floor(cost * 0x1p23 - 0.5) + 0.5) * 0x1p-23;
    const double gap = std::min(cost - halfway, halfway + 0x1p-23 - cost);
    const bool is_near = gap < 0x1p-38;
    if (!is_near && (gap < 0x1p-30 || i % 256 != 0)) continue;
    LinkVolume[0] = r;
    LinkPowers[0].known = false;
    ASSERT_EQ(ResultBits(LinkCostFunction(0)), ResultBits(PlainLinkCostFunction(0))) << r;
    EXPECT_EQ(LinkPowers[0].known, is_near) << r;
    (is_near ? near : far) += 1;
  }
  EXPECT_GE(near, 4);
  EXPECT_GE(far, 500);
}

}  // namespace
}  // namespace fw
