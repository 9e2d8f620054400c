// The three cost families at known values, the exact type tests, the
// penalties, and the refusal of negative costs.
#include <gtest/gtest.h>

#include <cstdio>
#include <limits>

#include "network/tables.h"
#include "performance/performance.h"
#include "support/support.h"
#include "support/tables_test.h"

namespace fw {
namespace {

class CostTest : public TablesTest {
 protected:
  // Cost of link l at volume v.
  static float CostAt(int l, float v) {
    LinkVolume[l] = v;
    return LinkCostFunction(l);
  }
};

// Power law t0 (1 + a (v/c)^b): 10 at 0, 11.5 at capacity, 34 at twice capacity.
TEST_F(CostTest, Type1FollowsThePowerLaw) {
  AddLink(0, 1, 10.0f, 50.0f, 0.15f, 4.0f, 1.0f);
  EXPECT_EQ(CostAt(0, 0.0f), 10.0f);
  EXPECT_EQ(CostAt(0, 50.0f), 11.5f);
  EXPECT_EQ(CostAt(0, 100.0f), 34.0f);
}

// The product is rounded to single precision once, at the end: 3 (1 + 2^-24)
// lies 3/4 of a unit above 3 and rounds up; rounding 1 + 2^-24 to single
// first would give exactly 3.
TEST_F(CostTest, Type1RoundsOnceAtTheEnd) {
  AddLink(0, 1, 3.0f, 1.0f, 0x1p-24f, 1.0f, 1.0f);
  EXPECT_EQ(CostAt(0, 1.0f), 3.0f + 0x1p-22f);
}

// Type 0: 1/(c - v) below capacity, 1,000,000 at and over it.
TEST_F(CostTest, Type0ChargesTheReciprocalThenThePenalty) {
  AddLink(0, 1, 10.0f, 50.0f, 0.15f, 4.0f, 0.0f);
  EXPECT_EQ(CostAt(0, 0.0f), 0.02f);
  EXPECT_EQ(CostAt(0, 40.0f), 0.1f);
  EXPECT_EQ(CostAt(0, 50.0f), 1000000.0f);
  EXPECT_EQ(CostAt(0, 75.0f), 1000000.0f);
}

// Every code other than exactly 0.0 and 1.0 selects the third family:
// 1/(c - v) + t0 below capacity, 100,000 at and over it.
TEST_F(CostTest, EveryOtherTypeCodeIsTheThirdFamily) {
  for (const float type : {2.0f, 3.0f, 0.5f, -1.0f, 1.0000001f}) {
    ResetTables();
    AddLink(0, 1, 10.0f, 50.0f, 0.15f, 4.0f, type);
    EXPECT_FLOAT_EQ(CostAt(0, 0.0f), 10.02f) << type;
    EXPECT_FLOAT_EQ(CostAt(0, 40.0f), 10.1f) << type;
    EXPECT_EQ(CostAt(0, 50.0f), 100000.0f) << type;
    EXPECT_EQ(CostAt(0, 51.0f), 100000.0f) << type;
  }
}

// A zero or negative capacity costs the penalty at every volume, even a negative one.
TEST_F(CostTest, NonPositiveCapacityAlwaysCostsThePenalty) {
  AddLink(0, 1, 10.0f, 0.0f, 0.15f, 4.0f, 0.0f);
  AddLink(0, 1, 10.0f, -5.0f, 0.15f, 4.0f, 2.0f);
  for (const float v : {-20.0f, 0.0f, 20.0f}) {
    EXPECT_EQ(CostAt(0, v), 1000000.0f) << v;
    EXPECT_EQ(CostAt(1, v), 100000.0f) << v;
  }
}

// The update evaluates every link in use and nothing past LinkNumber.
TEST_F(CostTest, UpdateCoversExactlyTheLinksInUse) {
  AddLink(0, 1, 10.0f, 50.0f, 0.15f, 4.0f, 1.0f);
  AddLink(0, 1, 10.0f, 50.0f, 0.15f, 4.0f, 0.0f);
  LinkCost[2] = -7.0f;
  LinkVolume[0] = 100.0f;
  LinkCostUpdate();
  EXPECT_EQ(LinkCost[0], 34.0f);
  EXPECT_EQ(LinkCost[1], 0.02f);
  EXPECT_EQ(LinkCost[2], -7.0f);
}

// A negative cost is refused with the link, its cost and the moment named;
// zero costs pass.
TEST_F(CostTest, NegativeCostsAreRefused) {
  AddLink(0, 1, 0.0f, 50.0f, 0.15f, 4.0f, 1.0f);
  AddLink(1, 2, -5.0f, 50.0f, 0.0f, 0.0f, 2.0f);
  LinkCostUpdate();
  LinkNumber = 1;
  EXPECT_TRUE(CheckLinkCosts("now").ok);
  LinkNumber = 2;
  const Status s = CheckLinkCosts("after iteration 3");
  EXPECT_FALSE(s.ok);
  EXPECT_EQ(s.message,
            "link 1 (1 -> 2) has the negative cost -4.98 after iteration 3; route search needs costs of 0 or more");
}

// Infinite and undefined costs are refused as non-finite, with the link and
// the moment named; -inf counts as non-finite, not merely negative.
TEST_F(CostTest, NonFiniteCostsAreRefused) {
  AddLink(0, 1, 10.0f, 50.0f, 0.15f, 4.0f, 1.0f);
  AddLink(1, 2, 10.0f, 50.0f, 0.15f, 4.0f, 1.0f);
  LinkCost[0] = 3.4e38f;  // the largest costs still pass
  for (const float bad : {std::numeric_limits<float>::infinity(), -std::numeric_limits<float>::infinity(),
                          std::numeric_limits<float>::quiet_NaN()}) {
    LinkCost[1] = bad;
    const Status s = CheckLinkCosts("before the first loading");
    EXPECT_FALSE(s.ok);
    char shown[32];
    std::snprintf(shown, sizeof shown, "%g", static_cast<double>(bad));
    EXPECT_EQ(s.message, "link 1 (1 -> 2) has a non-finite cost " + std::string(shown) + " before the first loading");
  }
}

}  // namespace
}  // namespace fw
