// The Frank-Wolfe step and the stopping test.
#include <gtest/gtest.h>

#include <cmath>

#include "network/tables.h"
#include "performance/performance.h"
#include "solver/solver.h"
#include "support/support.h"
#include "support/tables_test.h"

namespace fw {
namespace {

using AssignTest = TablesTest;

// When the auxiliary volumes equal the current ones nothing moves and the
// transferred volume is 0.
TEST_F(AssignTest, NothingMovesWhenAlreadyAllOrNothing) {
  AddTwoLinks();
  LinkVolume[0] = 100.0f;
  LinkCostUpdate();
  LinkCost[0] = 1.0f;  // the loaded link stays the cheaper one
  ASSERT_TRUE(Assign(1).ok);
  EXPECT_EQ(LinkVolume[0], 100.0f);
  EXPECT_EQ(LinkVolume[1], 0.0f);
  EXPECT_EQ(TransLinkVolume, 0.0f);
  EXPECT_EQ(theta, 0x1p-20f);
}

// A negative trip volume would take link 0 (v = 10, y = -10) below zero at the
// bisection's step near 0.75, so the step is cut to 10 / 20 = 0.5 and link 0
// ends at exactly 0. Link 1 (v = 0, y = 10) then moves to 5. The transferred
// volume is measured against the moved volumes: 0.5 |-10 - 0| + 0.5 |10 - 5| = 7.5.
TEST_F(AssignTest, NonNegativityLimitCutsTheStep) {
  NodeNum = 4;
  AddLink(0, 1, 0.875f, 1.0f, 0.0f, 1.0f, 1.0f);   // derivative -20 * 0.875
  AddLink(2, 3, 1.0f, 10.0f, 1.0f, 1.0f, 1.0f);    // derivative 10 (1 + step)
  AddOdPair(0, 1, -10.0f);
  AddOdPair(2, 3, 10.0f);
  LinkVolume[0] = 10.0f;
  LinkCostUpdate();
  ASSERT_TRUE(Assign(1).ok);
  EXPECT_EQ(New_LinkVol[0], -10.0f);
  EXPECT_EQ(New_LinkVol[1], 10.0f);
  EXPECT_NEAR(static_cast<double>(dif_theta), 0.0, 1e-4);
  EXPECT_EQ(theta, 0.5f);
  EXPECT_EQ(LinkVolume[0], 0.0f);
  EXPECT_EQ(LinkVolume[1], 5.0f);
  EXPECT_EQ(TransLinkVolume, 7.5f);
}

// The stopping test: the transferred-volume rule, the objective rule taken
// relative to the previous objective with its sign, and NaN making a rule false.
TEST_F(AssignTest, ConvergenceRules) {
  AddLink(0, 1, 10.0f, 50.0f, 0.15f, 4.0f, 1.0f);
  LinkVolume[0] = 50.0f;  // objective 515
  MaxError = 0.01f;
  ObjectError = 1.0f;
  TransLinkVolume = 0.02f;
  EXPECT_EQ(Convergence(520.0f), 1);   // 0.96 % change
  EXPECT_EQ(Convergence(530.0f), 0);   // 2.8 % change
  EXPECT_EQ(Convergence(0.0f), 0);     // +infinity
  EXPECT_EQ(Convergence(-530.0f), 1);  // negative previous: negative relative change
  TransLinkVolume = 0.01f;
  EXPECT_EQ(Convergence(0.0f), 1);
  TransLinkVolume = NAN;
  EXPECT_EQ(Convergence(0.0f), 0);
  LinkVolume[0] = 0.0f;  // objective 0, previous 0: 0/0 is NaN
  TransLinkVolume = 1.0f;
  ObjectError = 1e30f;
  EXPECT_EQ(Convergence(0.0f), 0);
}

}  // namespace
}  // namespace fw
