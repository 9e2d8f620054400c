// The objective and the line derivative: known values, penalty conditions,
// the order and precision of the running sum, and agreement with the cost
// functions they integrate.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "network/tables.h"
#include "performance/performance.h"
#include "support/support.h"
#include "support/tables_test.h"

namespace fw {
namespace {

using ObjectiveTest = TablesTest;

// Zero volumes on positive capacities give an objective of exactly 0 in every family.
TEST_F(ObjectiveTest, ZeroVolumesGiveZero) {
  AddLink(0, 1, 10.0f, 50.0f, 0.15f, 4.0f, 1.0f);
  AddLink(0, 1, 10.0f, 50.0f, 0.15f, 4.0f, 0.0f);
  AddLink(0, 1, 10.0f, 50.0f, 0.15f, 4.0f, 2.0f);
  EXPECT_EQ(ObjectValue(), 0.0f);
}

// Known terms: 10*50*(1 + 0.03) = 515; ln 5; 400 + ln 5; the penalties at capacity.
TEST_F(ObjectiveTest, KnownTermsOfEachFamily) {
  AddLink(0, 1, 10.0f, 50.0f, 0.15f, 4.0f, 1.0f);
  LinkVolume[0] = 50.0f;
  EXPECT_EQ(ObjectValue(), 515.0f);

  LinkCFType[0] = 0.0f;
  LinkVolume[0] = 40.0f;
  EXPECT_EQ(ObjectValue(), static_cast<float>(std::log(5.0)));
  LinkVolume[0] = 50.0f;
  EXPECT_EQ(ObjectValue(), 1000000.0f);

  LinkCFType[0] = 2.0f;
  LinkVolume[0] = 40.0f;
  EXPECT_EQ(ObjectValue(), static_cast<float>(400.0 + std::log(5.0)));
  LinkVolume[0] = 50.0f;
  EXPECT_EQ(ObjectValue(), 100000.0f);
}

// A type-0 link of capacity 0 adds its penalty to the objective at zero volume.
TEST_F(ObjectiveTest, ZeroCapacityType0AddsItsPenalty) {
  AddLink(0, 1, 10.0f, 0.0f, 0.0f, 0.0f, 0.0f);
  EXPECT_EQ(ObjectValue(), 1000000.0f);
}

// The running sum is stored in single precision after every link: 2^24 + 1 + 1
// stays 2^24 (a double accumulator would give 2^24 + 2).
TEST_F(ObjectiveTest, RunningSumIsRoundedAfterEveryLink) {
  for (const float v : {16777216.0f, 1.0f, 1.0f}) {
    AddLink(0, 1, 1.0f, 1.0f, 0.0f, 1.0f, 1.0f);
    LinkVolume[LinkNumber - 1] = v;
  }
  EXPECT_EQ(ObjectValue(), 16777216.0f);
}

// Below capacity the objective's slope in one link's volume is that link's
// cost, on every branch; a slip in a family's integral (a/(1+b), the
// logarithm's argument, a missing t0 v) breaks it.
TEST_F(ObjectiveTest, SlopeOfTheObjectiveIsTheCost) {
  const float types[] = {1.0f, 0.0f, 2.0f};
  for (const float type : types) {
    for (const float v : {5.0f, 20.0f, 35.0f}) {
      ResetTables();
      AddLink(0, 1, 3.0f, 50.0f, 0.5f, 2.0f, type);
      const float h = 0.25f;
      LinkVolume[0] = v + h;
      const double upper = static_cast<double>(ObjectValue());
      LinkVolume[0] = v - h;
      const double lower = static_cast<double>(ObjectValue());
      LinkVolume[0] = v;
      const double cost = static_cast<double>(LinkCostFunction(0));
      EXPECT_NEAR((upper - lower) / (2.0 * static_cast<double>(h)), cost, 2e-3 * cost) << type << " " << v;
    }
  }
}

class DifferentialTest : public ObjectiveTest {
 protected:
  // Differential(step, 0) with volume v and auxiliary volume y on link 0.
  static float At(float step, float v, float y) {
    LinkVolume[0] = v;
    New_LinkVol[0] = y;
    return Differential(step, 0);
  }
};

// Type 1 at half way from 0 to 100: 10 * 100 * (1 + 0.15) = 1150.
TEST_F(DifferentialTest, Type1IsCostAtTheTrialVolumeTimesTheChange) {
  AddLink(0, 1, 10.0f, 50.0f, 0.15f, 4.0f, 1.0f);
  EXPECT_EQ(At(0.5f, 0.0f, 100.0f), 1150.0f);
  EXPECT_EQ(At(0.25f, 100.0f, 100.0f), 0.0f);
}

// Below capacity: d/(c - x), plus t0 d for the third family.
TEST_F(DifferentialTest, ReciprocalFamiliesBelowCapacity) {
  AddLink(0, 1, 10.0f, 50.0f, 0.0f, 0.0f, 0.0f);
  EXPECT_EQ(At(0.5f, 10.0f, 30.0f), 20.0f / 30.0f);
  LinkCFType[0] = 2.0f;
  EXPECT_EQ(At(0.5f, 10.0f, 30.0f), 20.0f / 30.0f + 200.0f);
}

// At or over capacity the penalty takes the sign of the change, and counts
// positive when the volume does not change at all.
TEST_F(DifferentialTest, PenaltiesTakeTheSignOfTheChange) {
  AddLink(0, 1, 10.0f, 50.0f, 0.0f, 0.0f, 0.0f);
  EXPECT_EQ(At(0.5f, 50.0f, 50.0f), 1000000.0f);
  EXPECT_EQ(At(0.25f, 60.0f, 40.0f), -1000000.0f);
  EXPECT_EQ(At(0.5f, 40.0f, 80.0f), 1000000.0f);
  LinkCFType[0] = 3.0f;
  EXPECT_EQ(At(0.5f, 50.0f, 50.0f), 100000.0f);
  EXPECT_EQ(At(0.25f, 60.0f, 40.0f), -100000.0f);
}

// A type-0 link of capacity exactly 0 takes no part in the line search; a
// third-family one does, with its penalty.
TEST_F(DifferentialTest, ZeroCapacityType0ContributesNothing) {
  AddLink(0, 1, 10.0f, 0.0f, 0.0f, 0.0f, 0.0f);
  for (const float step : {0.0f, 0.5f, 1.0f}) {
    EXPECT_EQ(At(step, 0.0f, 100.0f), 0.0f);
    EXPECT_EQ(At(step, 100.0f, 0.0f), 0.0f);
  }
  LinkCFType[0] = 2.0f;
  EXPECT_EQ(At(0.5f, 0.0f, 100.0f), 100000.0f);
  EXPECT_EQ(At(0.5f, 100.0f, 0.0f), -100000.0f);
}

// The objective, the cost and the derivative read the tables and write none of them.
TEST_F(ObjectiveTest, EvaluationsWriteNoTable) {
  AddLink(0, 1, 10.0f, 50.0f, 0.15f, 4.0f, 1.0f);
  AddLink(0, 1, 10.0f, 50.0f, 0.15f, 4.0f, 0.0f);
  LinkVolume[0] = 30.0f;
  New_LinkVol[1] = 70.0f;
  float volumes[MaxLinks], costs[MaxLinks], auxiliary[MaxLinks];
  std::memcpy(volumes, LinkVolume, sizeof volumes);
  std::memcpy(costs, LinkCost, sizeof costs);
  std::memcpy(auxiliary, New_LinkVol, sizeof auxiliary);
  ObjectValue();
  LinkCostFunction(1);
  Differential(0.5f, 0);
  Differential(0.5f, 1);
  EXPECT_EQ(std::memcmp(volumes, LinkVolume, sizeof volumes), 0);
  EXPECT_EQ(std::memcmp(costs, LinkCost, sizeof costs), 0);
  EXPECT_EQ(std::memcmp(auxiliary, New_LinkVol, sizeof auxiliary), 0);
}

// The first link where the running objective turns non-finite: none for a
// finite sum; an infinite term at its own link; a sum of finite terms that
// overflows at the link that tips it over; a NaN term at its link.
TEST_F(ObjectiveTest, NonFiniteSumIsTracedToItsLink) {
  AddLink(0, 1, 1.0f, 1.0f, 0.0f, 1.0f, 1.0f);  // term t0 v exactly, a being 0
  AddLink(0, 1, 1.0f, 1.0f, 0.0f, 1.0f, 1.0f);
  AddLink(0, 1, 1.0f, 1.0f, 0.0f, 1.0f, 1.0f);
  LinkVolume[0] = 1.0f;
  LinkVolume[1] = 2.0e38f;
  LinkVolume[2] = 2.0e38f;
  LinkNumber = 2;
  EXPECT_EQ(ObjectValueBreaksAt(), -1);
  LinkNumber = 3;
  EXPECT_TRUE(std::isinf(ObjectValue()));
  EXPECT_EQ(ObjectValueBreaksAt(), 2);
  TravelTime[1] = 10.0f;  // 2e39 overflows single precision in t0 v
  EXPECT_EQ(ObjectValueBreaksAt(), 1);
  TravelTime[1] = 1.0f;
  LinkVolume[1] = -1.0f;
  b[1] = 0.5f;  // a negative ratio to a fractional power is undefined
  a[1] = 1.0f;
  EXPECT_TRUE(std::isnan(ObjectValue()));
  EXPECT_EQ(ObjectValueBreaksAt(), 1);
}

}  // namespace
}  // namespace fw
