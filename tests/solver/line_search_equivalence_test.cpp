// The bisection against the plain one, which sums every link's derivative at
// every midpoint: on random volumes where many links do not move (their terms
// are summed once or left out), in every cost family, with penalties, zero
// capacities and terms that are NaN, the step and dif_theta keep their bits.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>

#include "network/tables.h"
#include "reference/reference.h"
#include "solver/solver.h"
#include "support/support.h"

namespace fw {
namespace {

// The bits of a sum, with every NaN alike: x86 hands on the first operand's
// NaN, and which operand of a sum comes first is the compiler's choice (the
// plain bisection itself gives +NaN at -O0 and -NaN at -O2 on one input), so
// the sign of a NaN sum is not part of the results.
std::uint32_t SumBits(float x) { return x != x ? 0x7fc00000u : Bits(x); }

// A volume from a small set, so that many links have y = v.
float DrawVolume(std::mt19937& mt) {
  const float volumes[] = {0.0f, -0.0f, 10.0f, 40.0f, 50.0f, 80.0f, 1.0e30f};
  return volumes[Draw(mt, 7)];
}

// Random links of every family; capacity 0 for some, and huge volumes over
// tiny capacities whose power overflows (0 times infinity is NaN for a link
// that does not move).
void RandomLinks(std::mt19937& mt) {
  ResetTables();
  const float types[] = {1.0f, 1.0f, 0.0f, 2.0f};
  const int links = 1 + Draw(mt, 30);
  for (int l = 0; l < links; ++l) {
    const float capacities[] = {0.0f, 1.0e-30f, 50.0f, 60.0f};
    AddLink(0, 1, static_cast<float>(Draw(mt, 20)), capacities[Draw(mt, 4)], 0.15f, static_cast<float>(Draw(mt, 13)),
            types[Draw(mt, 4)]);
    LinkVolume[l] = DrawVolume(mt);
    New_LinkVol[l] = Draw(mt, 2) == 0 ? LinkVolume[l] : DrawVolume(mt);
  }
}

// Whether Bi_Section gives the plain bisection's step and dif_theta, bit for
// bit (NaN sums alike), on the current links; leaves Bi_Section's dif_theta.
testing::AssertionResult SameStepAsPlain() {
  const float plain = PlainBi_Section();
  const std::uint32_t plain_sum = SumBits(dif_theta);
  dif_theta = 12345.0f;
  const float fast = Bi_Section();
  if (Bits(fast) != Bits(plain) || SumBits(dif_theta) != plain_sum) {
    return testing::AssertionFailure() << "step " << fast << " vs " << plain << ", dif_theta bits " << SumBits(dif_theta) << " vs " << plain_sum;
  }
  return testing::AssertionSuccess();
}

// 3000 random sets of links: the same step and dif_theta, bit for bit (NaN
// sums alike), and among them sums that are NaN.
TEST(LineSearchEquivalence, BisectionMatchesThePlainBisection) {
  std::mt19937 mt(3);
  int nan_sums = 0;
  for (int round = 0; round < 3000; ++round) {
    RandomLinks(mt);
    ASSERT_TRUE(SameStepAsPlain()) << "round " << round;
    nan_sums += dif_theta != dif_theta ? 1 : 0;
  }
  EXPECT_GT(nan_sums, 0);
}

// A link that does not move contributes its penalty at every midpoint, and a
// type-1 link that does not move contributes 0: with the penalty alone the sum
// is +100000 everywhere and the step is the smallest, 2^-20.
TEST(LineSearchEquivalence, LinkThatDoesNotMoveKeepsItsPenalty) {
  ResetTables();
  AddLink(0, 1, 5.0f, 50.0f, 0.15f, 4.0f, 2.0f);
  LinkVolume[0] = New_LinkVol[0] = 60.0f;
  AddLink(0, 1, 5.0f, 50.0f, 0.15f, 4.0f, 1.0f);
  LinkVolume[1] = New_LinkVol[1] = 20.0f;
  EXPECT_EQ(Bi_Section(), 0x1p-20f);
  EXPECT_EQ(dif_theta, 100000.0f);
}

// A type-1 link that does not move but whose power overflows (ratio 1e30 /
// 1e-30 is infinite) has the term 0 x infinity = NaN at every midpoint: every
// sum is NaN, no midpoint counts as negative, and the step is the smallest,
// although the other link's derivative is negative everywhere.
TEST(LineSearchEquivalence, LinkThatDoesNotMoveWithANaNTermKeepsIt) {
  ResetTables();
  AddLink(0, 1, 10.0f, 50.0f, 0.15f, 4.0f, 1.0f);
  LinkVolume[0] = 100.0f;
  New_LinkVol[0] = 0.0f;
  AddLink(0, 1, 5.0f, 1.0e-30f, 0.15f, 4.0f, 1.0f);
  LinkVolume[1] = New_LinkVol[1] = 1.0e30f;
  EXPECT_EQ(Bi_Section(), 0x1p-20f);
  EXPECT_NE(dif_theta, dif_theta);
}

// Many power-law links whose terms nearly cancel: the bisection's sums are
// small against their terms near the sign change, where single-precision
// rounding decides the sign, and large elsewhere. Exponents are mostly whole
// (squared at every midpoint) and some are not (their ends carried between
// midpoints); coefficients include 0, and ratios include negative ones (odd
// powers of them give no estimate, other powers of them are not numbers).
// The step and dif_theta keep their bits, and both ways of deciding a sign
// are used many times.
TEST(LineSearchEquivalence, EstimatedSignsGiveTheSameSteps) {
  std::mt19937 mt(11);
  const long long estimated_before = EstimatedSigns;
  const long long summed_before = ExactSums;
  for (int round = 0; round < 400; ++round) {
    ResetTables();
    const int links = 1 + Draw(mt, 300);
    for (int l = 0; l < links; ++l) {
      const float exponents[] = {1.0f, 2.0f, 3.0f, 4.0f, 4.0f, 5.0f, 16.0f, 4.5f, 0.0f};
      const float coefficients[] = {0.15f, 0.15f, 1.0f, 0.0f};
      AddLink(0, 1, static_cast<float>(1 + Draw(mt, 1000)) / 64.0f, static_cast<float>(100 + Draw(mt, 5000)), coefficients[Draw(mt, 4)],
              exponents[Draw(mt, 9)], 1.0f);
      LinkVolume[l] = static_cast<float>(Draw(mt, 8000)) / 3.0f - (round % 2 == 0 && Draw(mt, 50) == 0 ? 3000.0f : 0.0f);
      New_LinkVol[l] = Draw(mt, 5) == 0 ? LinkVolume[l] : static_cast<float>(Draw(mt, 8000)) / 7.0f;
    }
    ASSERT_TRUE(SameStepAsPlain()) << "round " << round;
  }
  EXPECT_GT(EstimatedSigns - estimated_before, 2000);
  EXPECT_GT(ExactSums - summed_before, 2000);
}

// A few power-law links whose exponents are not whole, so that their ends
// are carried between midpoints, or whole, so that the sum is nearly a
// polynomial in the step, and whose free-flow times or coefficients may be
// negative, so that their terms may fall as the step rises and no other
// step bounds them: the step and dif_theta keep their bits.
TEST(LineSearchEquivalence, TermsThatFallAreNotCarried) {
  std::mt19937 mt(5);
  for (int round = 0; round < 3000; ++round) {
    ResetTables();
    const int links = 2 + Draw(mt, 5);
    for (int l = 0; l < links; ++l) {
      const float sign_t0 = Draw(mt, 3) == 0 ? -1.0f : 1.0f;
      const float sign_a = Draw(mt, 3) == 0 ? -0.1f : 1.0f;
      AddLink(0, 1, sign_t0 * static_cast<float>(1 + Draw(mt, 100)), static_cast<float>(100 + Draw(mt, 500)), sign_a * 0.15f,
              round % 2 == 0 ? 2.5f : 2.0f, 1.0f);
      LinkVolume[l] = static_cast<float>(Draw(mt, 1000));
      New_LinkVol[l] = static_cast<float>(Draw(mt, 1000));
    }
    ASSERT_TRUE(SameStepAsPlain()) << "round " << round;
  }
}

// Terms that do not depend on the step (coefficient 0): 2^24, a hundred
// terms of 0.75 that each vanish into it, -2^24 and -1. Their exact sum is
// +74, but the single-precision sum is -1 at every midpoint, so every step
// moves the lower end, to the largest step 1 - 2^-20. The estimates follow
// the single-precision sum and decide every midpoint; an estimate summed in
// double precision would take the sign of +74 and end at the smallest step.
TEST(LineSearchEquivalence, SumThatRoundsBelowZeroIsNegative) {
  ResetTables();
  const auto add = [](float t0, float from, float to) {
    AddLink(0, 1, t0, 1000.0f, 0.0f, 4.0f, 1.0f);
    LinkVolume[LinkNumber - 1] = from;
    New_LinkVol[LinkNumber - 1] = to;
  };
  add(1.0f, 0.0f, 16777216.0f);
  for (int k = 0; k < 100; ++k) add(1.0f, 0.0f, 0.75f);
  add(1.0f, 16777216.0f, 0.0f);
  add(1.0f, 1.0f, 0.0f);
  const long long summed_before = ExactSums;
  EXPECT_EQ(Bi_Section(), 1.0f - 0x1p-20f);
  EXPECT_EQ(dif_theta, -1.0f);
  EXPECT_EQ(ExactSums - summed_before, 1);  // only the reported sum at the last midpoint
}

// A term exactly halfway between two single-precision values at the first
// midpoint: t0 d = 1, a = 2^-24, exponent 1 and the ratio 1 at step 0.5, so
// 1 + 2^-24, which the sum rounds to 1; then the term -(1 + 2^-23). The
// single-precision sum is -2^-23 there, so the lower end moves to 0.5. The
// estimate cannot tell on which side the library's power puts the first
// term, so its ends are 1 and 1 + 2^-23 and the sum's ends -2^-23 and 0: no
// sign is taken from them, and every midpoint is summed term by term. Above
// 0.5 the first term rounds up and the sum is 0, so every later midpoint
// moves the upper end down, to 0.5 + 2^-20.
TEST(LineSearchEquivalence, TermOnARoundingTieLeavesTheSignToTheSum) {
  ResetTables();
  AddLink(0, 1, 0.5f, 1.0f, 0x1p-24f, 1.0f, 1.0f);
  LinkVolume[0] = 0.0f;
  New_LinkVol[0] = 2.0f;
  AddLink(0, 1, 1.0f + 0x1p-23f, 100.0f, 0.0f, 4.0f, 1.0f);
  LinkVolume[1] = 1.0f;
  New_LinkVol[1] = 0.0f;
  const long long summed_before = ExactSums;
  EXPECT_EQ(Bi_Section(), 0.5f + 0x1p-20f);
  EXPECT_EQ(dif_theta, 0.0f);
  EXPECT_EQ(ExactSums - summed_before, 20);
  EXPECT_TRUE(SameStepAsPlain());
}

// A sum whose sign changes on a rounding tie at step 0.75 (t0 d = 1, a =
// 2^-24 tie_units, ratio s + 0.25, whose power is 1 at 0.75 whatever the
// exponent), then four terms of about 2^-26 that vanish into it, then -(1 +
// closing 2^-23). In exact arithmetic the terms cross 0 half a midpoint's
// width from 0.75, on the side `model`, which is where the estimate of the
// sign change puts it; at the steps around it the first term's ends
// straddle the tie, so the sums of the ends straddle 0 and show no sign.
// The single-precision sum decides.
float StepWithTieAtThreeQuarters(float tie_units, float closing, float model, float exponent) {
  ResetTables();
  AddLink(0, 1, 0.5f, 2.0f, tie_units * 0x1p-24f, exponent, 1.0f);
  LinkVolume[0] = 0.5f;
  New_LinkVol[0] = 2.5f;  // ratio (2 s + 0.5) / 2
  // Exact sum 2^-24 (tie_units (s + 0.25)^exponent - 2 closing) + the four terms: 0 at 0.75 + model.
  const double first = static_cast<double>(tie_units) * std::pow(1.0 + static_cast<double>(model), static_cast<double>(exponent));
  const float vanishing = static_cast<float>((2.0 * static_cast<double>(closing) - first) * 0x1p-26);
  for (int k = 0; k < 4; ++k) {
    AddLink(0, 1, vanishing, 1.0f, 0.0f, 1.0f, 1.0f);
    New_LinkVol[LinkNumber - 1] = 1.0f;
  }
  AddLink(0, 1, 1.0f + closing * 0x1p-23f, 1.0f, 0.0f, 1.0f, 1.0f);
  LinkVolume[LinkNumber - 1] = 1.0f;
  return Bi_Section();
}

// The tie at 0.75 rounds to even: up from 1 + 3 2^-24 to 1 + 2^-22, so the
// sum is 0 from 0.75 on and -2^-23 below, and the step ends just below 0.75;
// down from 1 + 2^-24 to 1, so the sum is -2^-23 up to 0.75 and 0 above,
// and the step ends just above. A sum of ends that straddles 0 taken as a
// sign, on either side, puts the step on the wrong side of 0.75. The first
// term's exponent is whole (a polynomial in the step) or not (a power whose
// ends carry between midpoints).
TEST(LineSearchEquivalence, StepsWhoseEndsStraddleZeroDecideNothing) {
  for (const float exponent : {1.0f, 1.5f}) {
    EXPECT_EQ(StepWithTieAtThreeQuarters(3.0f, 2.0f, 0x1p-21f, exponent), 0.75f - 0x1p-20f) << exponent;
    EXPECT_EQ(dif_theta, -0x1p-23f) << exponent;
    EXPECT_TRUE(SameStepAsPlain()) << exponent;
    EXPECT_EQ(StepWithTieAtThreeQuarters(1.0f, 1.0f, -0x1p-21f, exponent), 0.75f + 0x1p-20f) << exponent;
    EXPECT_EQ(dif_theta, 0.0f) << exponent;
    EXPECT_TRUE(SameStepAsPlain()) << exponent;
  }
}

// Bounds at a step seed the carried terms' bounds for the midpoints above it:
// its lower bounds, never its upper ones. Two terms near step 1, in cells of
// 2^-20. The first, exponent 1.5 and t0 d = 1, is 1 + 2^-24 r^1.5 with r = 1
// at c = 1 - 24 cells: a tie, which rounds down to 1; above c it rounds up to
// 1 + 2^-23, and near c its bounds straddle the tie (1 and 1 + 2^-23). The
// second, exponent 1 and t0 d = -1, is -1 - 2^-8 (1 - s): -1 - 2^-22 below 1 -
// 48 cells, -1 - 2^-23 up to 1 - 16 cells, -1 above. So the sum is below 0 up
// to c (-2^-23 from 1 - 48 cells on) and 0 or more above, and the step ends
// at c + 1 cell. The polynomial puts the sign change at 1 - 16 cells; the
// bounds show no sign at 1 - 17, 18 and 24 cells, their upper ends sum to
// -2^-23 at 1 - 80 cells and their lower ends to 0 at 1 - 15 cells. Between
// these, the first term's upper bound at 1 - 80 cells taken as its lower
// bound would make the sums of -2^-23 look like 0.
TEST(LineSearchEquivalence, BoundsAtAStepBoundTheStepsAboveFromBelow) {
  ResetTables();
  AddLink(0, 1, 2.0f, 1.0f, 0x1p-24f, 1.5f, 1.0f);
  LinkVolume[0] = 0.5f + 12.0f * 0x1p-20f;  // r = (s + 1) / 2 + 12 cells, 1 at c
  New_LinkVol[0] = LinkVolume[0] + 0.5f;
  AddLink(0, 1, 1.0f, 1.0f, 0x1p-8f, 1.0f, 1.0f);
  LinkVolume[1] = 1.0f;  // r = 1 - s
  New_LinkVol[1] = 0.0f;
  EXPECT_EQ(Bi_Section(), 1.0f - 23.0f * 0x1p-20f);
  EXPECT_EQ(dif_theta, 0.0f);
  EXPECT_TRUE(SameStepAsPlain());
}

}  // namespace
}  // namespace fw
