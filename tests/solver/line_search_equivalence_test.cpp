// The bisection against the plain one, which sums every link's derivative at
// every midpoint: on random volumes where many links do not move (their terms
// are summed once or left out), in every cost family, with penalties, zero
// capacities and terms that are NaN, the step and dif_theta keep their bits.
#include <gtest/gtest.h>

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
    AddLink(0, 1, static_cast<float>(Draw(mt, 20)), capacities[Draw(mt, 4)], 0.15f, static_cast<float>(1 + Draw(mt, 12)),
            types[Draw(mt, 4)]);
    LinkVolume[l] = DrawVolume(mt);
    New_LinkVol[l] = Draw(mt, 2) == 0 ? LinkVolume[l] : DrawVolume(mt);
  }
}

// 3000 random sets of links: the same step and dif_theta, bit for bit (NaN
// sums alike), and among them sums that are NaN.
TEST(LineSearchEquivalence, BisectionMatchesThePlainBisection) {
  std::mt19937 mt(3);
  int nan_sums = 0;
  for (int round = 0; round < 3000; ++round) {
    RandomLinks(mt);
    const float plain = PlainBi_Section();
    const std::uint32_t plain_sum = SumBits(dif_theta);
    dif_theta = 12345.0f;
    const float fast = Bi_Section();
    ASSERT_EQ(Bits(fast), Bits(plain)) << "round " << round;
    ASSERT_EQ(SumBits(dif_theta), plain_sum) << "round " << round;
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

}  // namespace
}  // namespace fw
