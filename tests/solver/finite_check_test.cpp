// The check between steps that volumes, costs and the objective are finite:
// what it refuses, in which order, and how the message names the link.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>

#include "network/tables.h"
#include "performance/performance.h"
#include "solver/solver.h"
#include "support/support.h"
#include "support/tables_test.h"

namespace fw {
namespace {

constexpr float Inf = std::numeric_limits<float>::infinity();
constexpr float NaN = std::numeric_limits<float>::quiet_NaN();

class FiniteCheckTest : public TablesTest {
 protected:
  void SetUp() override {
    TablesTest::SetUp();
    AddLink(0, 1, 10.0f, 50.0f, 0.15f, 4.0f, 1.0f);
    AddLink(1, 2, 20.0f, 80.0f, 0.15f, 4.0f, 1.0f);
    AddLink(2, 3, 30.0f, 90.0f, 0.15f, 4.0f, 1.0f);
    LinkVolume[0] = 40.0f;
    LinkVolume[1] = 10.0f;
    LinkCostUpdate();
  }
};

// A finite state passes, with the largest single-precision values included.
TEST_F(FiniteCheckTest, FiniteStatePasses) {
  EXPECT_TRUE(CheckFinite(ObjectValue(), "after iteration 1").ok);
  LinkCost[2] = std::numeric_limits<float>::max();
  EXPECT_TRUE(CheckFinite(-std::numeric_limits<float>::max(), "after iteration 1").ok);
}

// The first link with a non-finite volume is named, before any cost or the objective.
TEST_F(FiniteCheckTest, VolumeIsNamedFirst) {
  LinkVolume[1] = Inf;
  LinkVolume[2] = NaN;
  LinkCost[0] = NaN;
  const Status s = CheckFinite(Inf, "after iteration 2");
  EXPECT_FALSE(s.ok);
  EXPECT_EQ(s.message, "link 1 (1 -> 2) has a non-finite volume inf after iteration 2");
}

// With finite volumes, the first non-finite cost is named.
TEST_F(FiniteCheckTest, CostIsNamedNext) {
  LinkCost[2] = -Inf;
  const Status s = CheckFinite(NaN, "after the initial loading");
  EXPECT_EQ(s.message, "link 2 (2 -> 3) has a non-finite cost -inf after the initial loading");
}

// A non-finite objective names the link whose term makes the sum non-finite:
// here t0 v of link 2 overflows, though its volume and cost are finite.
TEST_F(FiniteCheckTest, ObjectiveNamesTheLinkWhereItBreaks) {
  TravelTime[2] = 1.0e30f;
  LinkVolume[2] = 1.0e10f;
  LinkCost[2] = 1.0e30f;
  const float objective = ObjectValue();
  ASSERT_TRUE(std::isinf(objective));
  const Status s = CheckFinite(objective, "after iteration 4");
  EXPECT_EQ(s.message, "the objective is non-finite (inf) after iteration 4: its sum first turns non-finite at link 2 (2 -> 3)");
}

// The check reads the tables and writes none of them.
TEST_F(FiniteCheckTest, WritesNoTable) {
  LinkVolume[2] = NaN;
  float volumes[MaxLinks], costs[MaxLinks];
  std::memcpy(volumes, LinkVolume, sizeof volumes);
  std::memcpy(costs, LinkCost, sizeof costs);
  CheckFinite(NaN, "now");
  EXPECT_EQ(std::memcmp(volumes, LinkVolume, sizeof volumes), 0);
  EXPECT_EQ(std::memcmp(costs, LinkCost, sizeof costs), 0);
}

}  // namespace
}  // namespace fw
