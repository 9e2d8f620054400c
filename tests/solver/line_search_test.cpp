// Line searches: the bisection's extremes, a sign change at a known point,
// the step always an odd multiple of 2^-20, and the secant method.
#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "network/tables.h"
#include "performance/performance.h"
#include "solver/solver.h"
#include "support/support.h"
#include "support/tables_test.h"

namespace fw {
namespace {

class LineSearchTest : public TablesTest {
 protected:
  // A type-1 link whose derivative is t0 d (1 + a (x/c)^b), x = v + step d.
  static void Link(float v, float y, float t0, float coef, float capacity) {
    AddLink(0, 1, t0, capacity, coef, 1.0f, 1.0f);
    LinkVolume[LinkNumber - 1] = v;
    New_LinkVol[LinkNumber - 1] = y;
  }
  static float SumAt(float step) {
    float sum = 0.0f;
    for (int l = 0; l < LinkNumber; ++l) sum += Differential(step, l);
    return sum;
  }
};

// A derivative that is never negative (here zero everywhere) drives every
// midpoint down: the result is the first odd multiple, 2^-20.
TEST_F(LineSearchTest, NonNegativeDerivativeGivesTheSmallestStep) {
  Link(30.0f, 30.0f, 1.0f, 0.0f, 1.0f);
  EXPECT_EQ(Bi_Section(), 0x1p-20f);
  EXPECT_EQ(dif_theta, 0.0f);
}

// A derivative negative everywhere gives the last midpoint below 1, 1 - 2^-20.
TEST_F(LineSearchTest, NegativeDerivativeGivesTheLargestStep) {
  Link(10.0f, 0.0f, 1.0f, 0.0f, 1.0f);
  EXPECT_EQ(Bi_Section(), 1.0f - 0x1p-20f);
  EXPECT_EQ(dif_theta, -10.0f);
}

// Derivative 10 (1 + step) - 13 changes sign at 0.3: the 20th midpoint lies
// within 2^-20 of it, and dif_theta holds the sum at the returned step.
TEST_F(LineSearchTest, FindsAKnownSignChange) {
  Link(0.0f, 10.0f, 1.0f, 1.0f, 10.0f);
  Link(13.0f, 0.0f, 1.0f, 0.0f, 1.0f);
  const float step = Bi_Section();
  EXPECT_NEAR(static_cast<double>(step), 0.3, std::ldexp(1.0, -20));
  EXPECT_EQ(dif_theta, SumAt(step));
}

// On random networks the step is always an odd multiple of 2^-20 in (0, 1):
// the last midpoint, never the centre of the final interval.
TEST_F(LineSearchTest, StepIsAlwaysAnOddMultipleOfTheFinestWidth) {
  std::mt19937 random(20261208);
  for (int trial = 0; trial < 200; ++trial) {
    ResetTables();
    for (int l = 0; l < 5; ++l) {
      Link(static_cast<float>(random() % 100), static_cast<float>(random() % 100), 1.0f + static_cast<float>(random() % 5),
           static_cast<float>(random() % 3), 50.0f);
    }
    const float step = Bi_Section();
    const double units = std::ldexp(static_cast<double>(step), 20);
    EXPECT_EQ(units, std::floor(units)) << trial;
    EXPECT_EQ(std::fmod(units, 2.0), 1.0) << trial;
  }
}

// The secant method: no slope (equal sums at 0 and 1) returns 0; a linear
// derivative gives its root.
TEST_F(LineSearchTest, SecantMethod) {
  Link(30.0f, 40.0f, 1.0f, 0.0f, 1.0f);
  EXPECT_EQ(Secant(), 0.0f);
  ResetTables();
  Link(0.0f, 10.0f, 1.0f, 1.0f, 10.0f);
  Link(13.0f, 0.0f, 1.0f, 0.0f, 1.0f);
  EXPECT_NEAR(static_cast<double>(Secant()), 0.3, 1e-5);
}

// A derivative 15 - 10 step whose root, 1.5, lies beyond the unit interval:
// every secant point falls outside the bracket, so each step moves halfway
// towards it from the nearer end, and the search ends next to the root.
TEST_F(LineSearchTest, SecantFollowsARootOutsideTheBracket) {
  AddLink(0, 1, 1.0f, 10.0f, -1.0f, 1.0f, 1.0f);  // 10 (1 - step)
  New_LinkVol[0] = 10.0f;
  Link(0.0f, 5.0f, 1.0f, 0.0f, 1.0f);              // 5
  EXPECT_NEAR(static_cast<double>(Secant()), 1.5, 2e-5);
}

// Max and Min return the first or second operand by the strict comparison:
// with a NaN, Max gives the second and Min the first.
TEST(MaxMin, StrictComparisonDecides) {
  EXPECT_EQ(Max(2.0f, -3.0f), 2.0f);
  EXPECT_EQ(Max(-3.0f, 2.0f), 2.0f);
  EXPECT_EQ(Min(2.0f, -3.0f), -3.0f);
  EXPECT_TRUE(std::isnan(Max(1.0f, NAN)));
  EXPECT_EQ(Max(NAN, 1.0f), 1.0f);
  EXPECT_TRUE(std::isnan(Min(NAN, 1.0f)));
  EXPECT_EQ(Min(1.0f, NAN), 1.0f);
}

}  // namespace
}  // namespace fw
