// Unit tests of fwgap's figures: the three cost families and their objective
// terms against hand-computed values, the gap figures of small networks worked
// out by hand, and the faults the result and flow file readers report.
#include <gtest/gtest.h>

#include <cmath>
#include <sstream>
#include <string>
#include <vector>

#include "network/tables.h"
#include "support/support.h"
#include "support/tables_test.h"
#include "tools/fwgap/gap.h"

namespace fw {
namespace {

class GapTest : public TablesTest {
 protected:

  // Braess's network, 6 trips from 0 to 1: links 0->2 and 3->1 cost 10v, 0->3
  // and 2->1 cost 50+v, 2->3 costs 10+v (each with its free-flow part as type 1).
  static void Braess() {
    NodeNum = 4;
    AddLink(0, 2, 1e-8f, 1.0f, 1e9f, 1.0f, 1.0f);
    AddLink(0, 3, 50.0f, 1.0f, 0.02f, 1.0f, 1.0f);
    AddLink(2, 1, 50.0f, 1.0f, 0.02f, 1.0f, 1.0f);
    AddLink(2, 3, 10.0f, 1.0f, 0.1f, 1.0f, 1.0f);
    AddLink(3, 1, 1e-8f, 1.0f, 1e9f, 1.0f, 1.0f);
    AddOdPair(0, 1, 6.0f);
  }

  static GapFigures Figures(const std::vector<double>& volume) {
    GapFigures f;
    const Status s = ComputeGap(volume, "input.txt", &f);
    EXPECT_TRUE(s.ok) << s.message;
    return f;
  }

  static std::string ResultError(const std::string& text, int links) {
    std::istringstream in(text);
    ResultFile result;
    const Status s = ReadResultFile(in, "result.txt", links, &result);
    EXPECT_FALSE(s.ok);
    return s.message;
  }

  static Status ReadFlow(const std::string& text, std::vector<double>* volume) {
    std::istringstream in(text);
    return ReadFlowFile(in, "flow.tntp", "input.txt", volume);
  }
};

// Type 1, t0 (1 + a (v/c)^b): 34 at twice capacity; its integral 1480 = 10 * 100 * (1 + 0.03 * 16).
TEST_F(GapTest, Type1CostAndObjective) {
  AddLink(0, 1, 10.0f, 50.0f, 0.15f, 4.0f, 1.0f);
  EXPECT_NEAR(GapLinkCost(0, 100.0), 34.0, 1e-5);
  EXPECT_NEAR(GapObjectiveTerm(0, 100.0), 1480.0, 1e-4);
  EXPECT_EQ(GapObjectiveTerm(0, 0.0), 0.0);
}

// Type 0, 1/(c - v), integral ln(c / (c - v)); 1,000,000 in both at and over capacity.
TEST_F(GapTest, Type0CostObjectiveAndPenalty) {
  AddLink(0, 1, 3.0f, 10.0f, 0.15f, 4.0f, 0.0f);
  EXPECT_DOUBLE_EQ(GapLinkCost(0, 6.0), 0.25);
  EXPECT_DOUBLE_EQ(GapObjectiveTerm(0, 6.0), std::log(2.5));
  for (const double v : {10.0, 12.0}) {
    EXPECT_EQ(GapLinkCost(0, v), 1000000.0) << v;
    EXPECT_EQ(GapObjectiveTerm(0, v), 1000000.0) << v;
  }
}

// Every other type code, 1/(c - v) + t0, integral t0 v + ln(c / (c - v)); 100,000 at capacity.
TEST_F(GapTest, ThirdFamilyForEveryOtherCode) {
  for (const float type : {2.0f, 0.5f, -1.0f, 1.0000001f}) {
    ResetTables();
    AddLink(0, 1, 3.0f, 10.0f, 0.15f, 4.0f, type);
    EXPECT_DOUBLE_EQ(GapLinkCost(0, 6.0), 3.25) << type;
    EXPECT_DOUBLE_EQ(GapObjectiveTerm(0, 6.0), 18.0 + std::log(2.5)) << type;
    EXPECT_EQ(GapLinkCost(0, 10.0), 100000.0) << type;
    EXPECT_EQ(GapObjectiveTerm(0, 11.0), 100000.0) << type;
  }
}

// Below capacity each objective term is the integral of its cost: its central
// difference matches the cost at several volumes, in every family.
TEST_F(GapTest, ObjectiveTermsIntegrateTheCosts) {
  for (const float type : {1.0f, 0.0f, 2.0f}) {
    ResetTables();
    AddLink(0, 1, 7.0f, 40.0f, 0.5f, 3.5f, type);
    for (const double v : {1.0, 13.0, 27.5, 39.0}) {
      const double h = 1e-4;
      const double slope = (GapObjectiveTerm(0, v + h) - GapObjectiveTerm(0, v - h)) / (2.0 * h);
      EXPECT_NEAR(slope, GapLinkCost(0, v), 1e-6 * GapLinkCost(0, v)) << type << " at " << v;
    }
  }
}

// All trips on link 0: costs 34 and 20, TSTT 3400, SPTT 2000, gap 1400/3400,
// AEC 14, objective 1480; at the equilibrium both costs are 20.0109 and the gap vanishes.
TEST_F(GapTest, TwoLinkFiguresByHand) {
  AddTwoLinks();
  const GapFigures f = Figures({100.0, 0.0});
  EXPECT_NEAR(f.tstt, 3400.0, 1e-4);
  EXPECT_NEAR(f.sptt, 2000.0, 1e-9);
  EXPECT_NEAR(f.relative_gap, 1400.0 / 3400.0, 1e-7);
  EXPECT_NEAR(f.average_excess, 14.0, 1e-5);
  EXPECT_NEAR(f.objective, 1480.0, 1e-4);
  EXPECT_EQ(f.demand, 100.0);
  EXPECT_EQ(f.node_imbalance, 0.0);
  const GapFigures e = Figures({80.364716, 19.635277});
  EXPECT_NEAR(e.sptt, 2001.09, 0.01);
  EXPECT_GE(e.relative_gap, 0.0);
  EXPECT_LT(e.relative_gap, 1e-6);
}

// Braess: at equilibrium 2 trips on each of the three routes, all costing 92
// (TSTT = SPTT = 552, objective 386); with all 6 trips on the middle route the
// costs are 60, 50, 50, 16, 60: TSTT 816, SPTT 6 * 110, AEC 26.
TEST_F(GapTest, BraessFiguresByHand) {
  Braess();
  const GapFigures e = Figures({4.0, 2.0, 2.0, 2.0, 4.0});
  EXPECT_NEAR(e.tstt, 552.0, 1e-4);
  EXPECT_NEAR(e.sptt, 552.0, 1e-4);
  EXPECT_NEAR(e.objective, 386.0, 1e-4);
  EXPECT_LT(std::fabs(e.relative_gap), 1e-7);
  const GapFigures m = Figures({6.0, 0.0, 0.0, 6.0, 6.0});
  EXPECT_NEAR(m.tstt, 816.0, 1e-4);
  EXPECT_NEAR(m.sptt, 660.0, 1e-4);
  EXPECT_NEAR(m.relative_gap, 156.0 / 816.0, 1e-7);
  EXPECT_NEAR(m.average_excess, 26.0, 1e-5);
}

// SPTT takes the least route, here two links (1 + 7) rather than the direct
// link (9), and each pair its own origin's tree although origins alternate.
TEST_F(GapTest, ShortestPathTotalUsesLeastRoutesPerOrigin) {
  NodeNum = 3;
  AddLink(0, 2, 9.0f, 1.0f, 0.0f, 1.0f, 1.0f);
  AddLink(1, 2, 7.0f, 1.0f, 0.0f, 1.0f, 1.0f);
  AddLink(0, 1, 1.0f, 1.0f, 0.0f, 1.0f, 1.0f);
  AddOdPair(0, 2, 1.0f);
  AddOdPair(1, 2, 2.0f);
  AddOdPair(0, 1, 4.0f);
  EXPECT_EQ(Figures({1.0, 2.0, 4.0}).sptt, 8.0 + 14.0 + 4.0);
}

// Volumes that do not carry the trips show as an imbalance at the nodes; no
// trips at all give a gap and AEC of 0 rather than 0/0.
TEST_F(GapTest, NodeImbalanceAndEmptyDemand) {
  AddTwoLinks();
  EXPECT_EQ(Figures({50.0, 20.0}).node_imbalance, 30.0);
  TripVol[0] = 0.0f;
  const GapFigures f = Figures({0.0, 0.0});
  EXPECT_EQ(f.relative_gap, 0.0);
  EXPECT_EQ(f.average_excess, 0.0);
}

// A destination without route and a negative cost are refused with the file and the culprit.
TEST_F(GapTest, RefusesUnreachableDestinationsAndNegativeCosts) {
  AddTwoLinks();
  AddOdPair(1, 0, 5.0f);
  GapFigures f;
  Status s = ComputeGap({1.0, 1.0}, "input.txt", &f);
  EXPECT_EQ(s.message, "input.txt: OD record 1: no route from node 1 to node 0");
  TravelTime[1] = -2.0f;
  s = ComputeGap({0.0, 0.0}, "input.txt", &f);
  EXPECT_EQ(s.message, "input.txt: link 1 (0 -> 1) costs -2 at volume 0; shortest routes need finite costs of 0 or more");
}

// The program's result file, last line with or without a line break.
TEST_F(GapTest, ReadsResultFiles) {
  for (const std::string end : {"", "\n"}) {
    std::istringstream in("1357.300  \n0\t80.364716\t20.011  \n1\t19.635277\t20.011  " + end);
    ResultFile r;
    const Status s = ReadResultFile(in, "result.txt", 2, &r);
    ASSERT_TRUE(s.ok) << s.message;
    EXPECT_EQ(r.objective, 1357.3);
    EXPECT_EQ(r.volume, (std::vector<double>{80.364716, 19.635277}));
    EXPECT_EQ(r.cost, (std::vector<double>{20.011, 20.011}));
  }
}

// Result faults name the file and line: counts, indices, fields, negative volumes.
TEST_F(GapTest, ResultFaultsNameTheLine) {
  const std::string two = "5.000  \n0\t1.0\t2.0  \n1\t3.0\t4.0  ";
  EXPECT_EQ(ResultError(two, 3), "result.txt:3: the file ends after 2 link lines; the input has 3 links");
  EXPECT_EQ(ResultError(two, 1), "result.txt:3: link line 1 is one too many: the input has 1 links");
  EXPECT_EQ(ResultError("", 0), "result.txt:1: the file is empty; expected the objective");
  EXPECT_EQ(ResultError("x\n0\t1\t2", 1), "result.txt:1: expected the objective alone, found 'x' in 1 fields");
  EXPECT_EQ(ResultError("5\n1\t1\t2", 1), "result.txt:2: link index '1', expected 0");
  EXPECT_EQ(ResultError("5\n0\t1", 1), "result.txt:2: expected 3 fields (index volume cost), found 2");
  EXPECT_EQ(ResultError("5\n0\t1e\t2", 1), "result.txt:2: volume '1e' is not a number");
  EXPECT_EQ(ResultError("5\n0\t-1\t2", 1), "result.txt:2: volume -1 is negative");
  EXPECT_EQ(ResultError("5\n0\t1\tnan", 1), "result.txt:2: cost 'nan' is not a number");
}

// A flow file: header skipped, links matched by their ends, a split zone's
// destination (node 2 here, beyond the file's nodes 1..2) accepted as the head.
TEST_F(GapTest, ReadsFlowFiles) {
  NodeNum = 3;
  AddLink(0, 1, 1.0f, 1.0f, 0.0f, 1.0f, 1.0f);
  AddLink(1, 2, 1.0f, 1.0f, 0.0f, 1.0f, 1.0f);
  std::vector<double> volume;
  const Status s = ReadFlow("From \tTo \tVolume \tCost \n1 \t2 \t4.5 \t1 \n2 \t1 \t0 \t1 \n", &volume);
  ASSERT_TRUE(s.ok) << s.message;
  EXPECT_EQ(volume, (std::vector<double>{4.5, 0.0}));
}

// Flow faults name the file and line: a different link count, a link whose ends differ, a bad field.
TEST_F(GapTest, FlowFaultsNameTheLine) {
  AddTwoLinks();
  const std::string header = "From To Volume Cost\n";
  std::vector<double> v;
  EXPECT_EQ(ReadFlow(header + "1 2 3 4\n", &v).message, "flow.tntp:2: the file ends after 1 link lines; input.txt has 2 links");
  EXPECT_EQ(ReadFlow(header + "1 2 3 4\n1 2 3 4\n1 2 3 4\n", &v).message,
            "flow.tntp:4: link line 3 is one too many: input.txt has 2 links");
  EXPECT_EQ(ReadFlow(header + "1 2 3 4\n2 1 3 4\n", &v).message,
            "flow.tntp:3: link 2 -> 1 does not match link 1 of input.txt, which runs from node 0 to 1 (counting from 0)");
  EXPECT_EQ(ReadFlow(header + "1 2 3 4\n1 x 3 4\n", &v).message, "flow.tntp:3: To 'x' is not a node number 1 or more");
  EXPECT_EQ(ReadFlow(header + "1 2\n", &v).message, "flow.tntp:2: expected 4 fields (From To Volume Cost), found 2");
}

// Distance to best-known volumes: largest and mean absolute difference and the
// relative objective difference (1480 against 1000 * (1 + 0.03 * (1/2)^4)).
TEST_F(GapTest, ComparesWithBestKnownVolumes) {
  AddTwoLinks();
  const FlowDistance e = CompareFlows({100.0, 0.0}, {25.0, 75.0});
  EXPECT_EQ(e.largest_difference, 75.0);
  EXPECT_EQ(e.mean_difference, 75.0);
  EXPECT_NEAR(e.best_objective, 250.0 * (1.0 + 0.03 / 16.0) + 1500.0 * (1.0 + 0.03 * std::pow(75.0 / 80.0, 4.0)), 1e-4);
  EXPECT_NEAR(e.objective_difference, 1480.0 / e.best_objective - 1.0, 1e-7);
}

}  // namespace
}  // namespace fw
