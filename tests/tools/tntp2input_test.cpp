// Unit tests of the TNTP reader and the input-file builder of tntp2input: number
// texts, metadata and line checks with their messages, zone splitting, OD order,
// the written text and the table limits.
#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "network/tables.h"
#include "tools/tntp2input/input_file.h"
#include "tools/tntp2input/tntp_reader.h"

namespace fw {
namespace {

// Four nodes, zones 1 and 2 below the first thru node 3: the Braess network.
const char* const kNet =
    "<NUMBER OF ZONES> 2\n"
    "<NUMBER OF NODES> 4\n"
    "<FIRST THRU NODE> 3\n"
    "<NUMBER OF LINKS> 5\n"
    "<ORIGINAL HEADER>~ Init node Term node ...\n"
    "<END OF METADATA>\n"
    "~ init_node term_node capacity length free_flow_time b power speed toll link_type ;\n"
    "\t1\t3\t25\t100\t0.5\t0.15\t4\t0\t0\t1\t;\n"
    "\t1\t4\t30.0\t100\t50\t0.02\t1\t0\t0\t1\t;\n"
    "\t3\t2\t30\t100\t50\t0.02\t1\t0\t0\t1\t;\n"
    "\t3\t4\t40\t100\t10\t0.1\t1\t0\t0\t1\t;\n"
    "\t4\t2\t25\t100\t0.50\t0.15\t4\t0\t0\t1;\n";

// Origins out of order, an intrazonal and a zero entry, CRLF line ends.
const char* const kTrips =
    "<NUMBER OF ZONES> 2\r\n"
    "<TOTAL OD FLOW> 9.0\r\n"
    "<END OF METADATA>\r\n"
    "Origin 2\r\n"
    "  1 : 3.00;  2 : 1.0;\r\n"
    "Origin 1\r\n"
    "  1 : 0.0;  2 : 6.0\r\n";

Status ReadNet(const std::string& text, TntpNet* net, std::vector<std::string>* warnings) {
  std::istringstream in(text);
  return ReadTntpNet(in, "net.tntp", net, warnings);
}

Status ReadTrips(const std::string& text, const TntpNet& net, TntpTrips* trips) {
  std::istringstream in(text);
  std::vector<std::string> warnings;
  return ReadTntpTrips(in, "trips.tntp", net, trips, &warnings);
}

// The net text with one line replaced (1-based line number).
std::string WithLine(const std::string& text, int line, const std::string& replacement) {
  std::istringstream in(text);
  std::string result, current;
  for (int k = 1; std::getline(in, current); ++k) result += (k == line ? replacement : current) + "\n";
  return result;
}

std::string NetError(const std::string& text) {
  TntpNet net;
  std::vector<std::string> warnings;
  const Status status = ReadNet(text, &net, &warnings);
  EXPECT_FALSE(status.ok);
  return status.message;
}

TEST(ParseTntpNumber, KeepsTheDecimalValueInItsShortestText) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"100.0", "100"},     {"1365.90", "1365.9"}, {"100", "100"},     {"0.15", "0.15"},
      {"25900.20064", "25900.20064"}, {"5.", "5"}, {".50", "0.5"},   {"-0.0", "-0"},
      {"+7", "7"},          {"1.50e3", "1.5e3"},   {"0.00000001", "0.00000001"}, {"2E-05", "2E-05"}};
  for (const auto& [token, text] : cases) {
    TntpNumber number;
    ASSERT_TRUE(ParseTntpNumber(token, &number)) << token;
    EXPECT_EQ(number.text, text) << token;
    EXPECT_EQ(std::stof(number.text), std::stof(token)) << token;
  }
}

TEST(ParseTntpNumber, RejectsWhatIsNoPlainFiniteNumber) {
  for (const std::string token : {"", "-", ".", "abc", "12x", "1e", "1e+", "0x10", "nan", "inf", "1,5",
                                  "1e39", "-4e38", "1.2.3"}) {
    TntpNumber number;
    EXPECT_FALSE(ParseTntpNumber(token, &number)) << token;
  }
}

// The converter writes a number's shortest text as it stands, and the
// program's reader takes tokens of at most 400 characters.
TEST(ParseTntpNumber, RefusesTextsLongerThanTheProgramReads) {
  TntpNumber number;
  const std::string longest = "0." + std::string(398, '1');
  EXPECT_TRUE(ParseTntpNumber(longest, &number));
  EXPECT_EQ(number.text.size(), 400u);
  EXPECT_FALSE(ParseTntpNumber(longest + "1", &number));
  EXPECT_FALSE(ParseTntpNumber(std::string(500, '0') + "25", &number));
  EXPECT_TRUE(ParseTntpNumber("25." + std::string(500, '0'), &number));  // dropped zeros do not count
  EXPECT_EQ(number.text, "25");
}

TEST(ReadTntpNet, ReadsMetadataAndLinks) {
  TntpNet net;
  std::vector<std::string> warnings;
  ASSERT_TRUE(ReadNet(kNet, &net, &warnings).ok);
  EXPECT_TRUE(warnings.empty());
  EXPECT_EQ(net.nodes, 4);
  EXPECT_EQ(net.zones, 2);
  EXPECT_EQ(net.first_thru_node, 3);
  ASSERT_EQ(net.links.size(), 5u);
  EXPECT_EQ(net.links[2].line, 10);
  EXPECT_EQ(net.links[2].tail, 3);
  EXPECT_EQ(net.links[2].head, 2);
  EXPECT_EQ(net.links[1].capacity.text, "30");
  EXPECT_EQ(net.links[4].free_flow_time.text, "0.5");
  EXPECT_EQ(net.links[4].power.text, "4");
}

TEST(ReadTntpNet, NamesFileLineAndValueOfEachFault) {
  const std::string net = kNet;
  EXPECT_EQ(NetError(WithLine(net, 2, "")), "net.tntp: missing <NUMBER OF NODES> in the metadata");
  EXPECT_EQ(NetError(WithLine(net, 6, "")),
            "net.tntp:8: expected a metadata line '<TAG> value', found '1\t3\t25\t100\t0.5\t0.15\t4\t0\t0\t1\t;'"
            " (is <END OF METADATA> missing?)");
  EXPECT_EQ(NetError(WithLine(net, 5, "<NUMBER OF ZONES> 2")), "net.tntp:5: <NUMBER OF ZONES> repeated (first at line 1)");
  EXPECT_EQ(NetError(WithLine(net, 1, "<NUMBER OF ZONES> 5")), "net.tntp:1: <NUMBER OF ZONES> 5 exceeds <NUMBER OF NODES> 4");
  EXPECT_EQ(NetError(WithLine(net, 3, "<FIRST THRU NODE> 6")), "net.tntp:3: <FIRST THRU NODE> 6 is beyond the last node 4");
  EXPECT_EQ(NetError(WithLine(net, 4, "<NUMBER OF LINKS> many")),
            "net.tntp:4: <NUMBER OF LINKS> 'many' is not a count (expected a whole number 0..1000000000)");
  EXPECT_EQ(NetError(WithLine(net, 4, "<NUMBER OF LINKS> 4")),
            "net.tntp:12: link line beyond the 4 links of <NUMBER OF LINKS> (line 4)");
  EXPECT_EQ(NetError(WithLine(net, 9, "1 4 30 100 50 0.02 1 0 0 1 ; 2")), "net.tntp:9: text '2' after the ';' that ends the link line");
  EXPECT_EQ(NetError(WithLine(net, 9, "0 4 30 100 50 0.02 1 0 0 1 ;")), "net.tntp:9: init_node '0' is not a node number 1..4");
  EXPECT_EQ(NetError(WithLine(net, 9, "1 4.0 30 100 50 0.02 1 0 0 1 ;")), "net.tntp:9: term_node '4.0' is not a node number 1..4");
  EXPECT_EQ(NetError(WithLine(net, 9, "1 4 0.0 100 50 0.02 1 0 0 1 ;")),
            "net.tntp:9: capacity 0 must be positive: the BPR cost divides by it");
  EXPECT_EQ(NetError(WithLine(net, 9, "1 4 30 100 50 0.02 -1 0 0 1 ;")), "net.tntp:9: power -1 must not be negative");
  EXPECT_EQ(NetError(WithLine(net, 9, "1 4 30 100 50 0.02 1 0 0 x ;")),
            "net.tntp:9: link_type 'x' is not a number (expected decimal digits, finite in single precision, at most 400 characters)");
}

TEST(ReadTntpNet, WarnsOfCostTermsTheInputCannotHold) {
  std::string net = WithLine(kNet, 5, "<TOLL FACTOR> 0.5\n<DISTANCE FACTOR> 0.0\n<LINK COST> conical");
  net = WithLine(net, 11, "1 4 30 100 50 0.02 1 0 2.50 1 ;");  // links now start at line 10
  net = WithLine(net, 13, "3 4 40 100 10 0.1 1 0 1 1 ;");
  TntpNet read;
  std::vector<std::string> warnings;
  ASSERT_TRUE(ReadNet(net, &read, &warnings).ok);
  ASSERT_EQ(warnings.size(), 3u);
  EXPECT_EQ(warnings[0], "net.tntp:5: <TOLL FACTOR> 0.5 is ignored: tolls do not enter the link costs of the input format");
  EXPECT_EQ(warnings[1], "net.tntp:7: metadata <LINK COST> is not understood and is ignored; the links are converted as BPR costs");
  EXPECT_EQ(warnings[2], "net.tntp:11: toll 2.5 on this link and 1 more is ignored: the input format has no toll term");

  // With tolls weighted zero they change nothing, but lengths weighted nonzero do.
  net = WithLine(net, 5, "<TOLL FACTOR> 0");
  net = WithLine(net, 6, "<DISTANCE FACTOR> 1e-3");
  net = WithLine(net, 7, "");
  warnings.clear();
  ASSERT_TRUE(ReadNet(net, &read, &warnings).ok);
  ASSERT_EQ(warnings.size(), 1u);
  EXPECT_EQ(warnings[0], "net.tntp:6: <DISTANCE FACTOR> 1e-3 is ignored: link lengths do not enter the link costs of the input format");
}

// A BPR coefficient below the single-precision range (Barcelona has some near
// 1e-71) would silently vanish in the program: the first such link is named.
TEST(ReadTntpNet, WarnsOfValuesBelowSinglePrecision) {
  std::string net = WithLine(kNet, 10, "1 4 30 100 50 4.3e-71 1 0 0 1 ;");
  net = WithLine(net, 12, "3 4 40 100 1e-39 0.1 1 0 0 1 ;");
  TntpNet read;
  std::vector<std::string> warnings;
  ASSERT_TRUE(ReadNet(net, &read, &warnings).ok);
  ASSERT_EQ(warnings.size(), 1u);
  EXPECT_EQ(warnings[0], "net.tntp:10: b 4.3e-71 on this link and 1 more lies below the single-precision range: the "
                         "program reads such values as 0 or with lost digits");
}

TEST(ReadTntpTrips, ReadsEntriesAndRejectsFaultyOnes) {
  TntpNet net;
  std::vector<std::string> warnings;
  ASSERT_TRUE(ReadNet(kNet, &net, &warnings).ok);
  TntpTrips trips;
  ASSERT_TRUE(ReadTrips(kTrips, net, &trips).ok);
  ASSERT_EQ(trips.entries.size(), 4u);
  EXPECT_EQ(trips.entries[0].origin, 2);
  EXPECT_EQ(trips.entries[0].volume.text, "3");
  EXPECT_EQ(trips.entries[3].line, 7);
  EXPECT_EQ(trips.entries[3].dest, 2);
  EXPECT_EQ(trips.entries[3].volume.text, "6");

  const std::string trips_text = kTrips;
  const std::vector<std::pair<std::string, std::string>> faults = {
      {WithLine(trips_text, 1, "<NUMBER OF ZONES> 3"), "trips.tntp:1: <NUMBER OF ZONES> 3 differs from the net file's 2"},
      {WithLine(trips_text, 4, ""), "trips.tntp:5: trip entry '1 : 3.00;  2 : 1.0;' before the first 'Origin' line"},
      {WithLine(trips_text, 4, "Origin 0"), "trips.tntp:4: origin '0' is not a zone 1..2"},
      {WithLine(trips_text, 5, "1 : 3.0; 1 : 2.0;"), "trips.tntp:5: second entry from 2 to 1 (first at line 5)"},
      {WithLine(trips_text, 5, "1 3.0;"), "trips.tntp:5: expected 'destination : volume;', found '1 3.0'"},
      {WithLine(trips_text, 5, "1 : 3.0 2 : 1.0;"), "trips.tntp:5: trip volume '3.0 2 : 1.0' is not a number (expected decimal digits, finite in single precision, at most 400 characters)"},
  };
  for (const auto& [text, message] : faults) {
    const Status status = ReadTrips(text, net, &trips);
    EXPECT_FALSE(status.ok);
    EXPECT_EQ(status.message, message);
  }
  net.zones = 0;  // neither file states the zones
  EXPECT_EQ(ReadTrips(WithLine(trips_text, 1, ""), net, &trips).message,
            "trips.tntp: missing <NUMBER OF ZONES> here and in the net file");
}

class BuildInputTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::vector<std::string> warnings;
    ASSERT_TRUE(ReadNet(kNet, &net_, &warnings).ok);
    ASSERT_TRUE(ReadTrips(kTrips, net_, &trips_).ok);
  }
  TntpNet net_;
  TntpTrips trips_;
};

TEST_F(BuildInputTest, SplitsZonesBelowTheFirstThruNode) {
  const InputFile input = BuildInput(net_, trips_, RunParameters{}, true);
  EXPECT_EQ(input.node_num, 6);
  // Links leave zones from indices 0 and 1 and reach them at 4 + 0 and 4 + 1.
  const std::vector<std::pair<int, int>> ends = {{0, 2}, {0, 3}, {2, 5}, {2, 3}, {3, 5}};
  ASSERT_EQ(input.links.size(), ends.size());
  for (std::size_t k = 0; k < ends.size(); ++k) {
    EXPECT_EQ(std::make_pair(input.links[k].tail, input.links[k].head), ends[k]) << k;
  }
  ASSERT_EQ(input.ods.size(), 2u);  // zero and intrazonal entries dropped, origin 1 first
  EXPECT_EQ(input.ods[0].origin, 0);
  EXPECT_EQ(input.ods[0].dest, 5);
  EXPECT_EQ(input.ods[0].volume, "6");
  EXPECT_EQ(input.ods[1].origin, 1);
  EXPECT_EQ(input.ods[1].dest, 4);
}

TEST_F(BuildInputTest, WritesThePlainMappingWithoutSplitting) {
  RunParameters run;
  run.max_error = "-1";
  run.max_iteration = "20";
  std::ostringstream out;
  WriteInput(BuildInput(net_, trips_, run, false), out);
  EXPECT_EQ(out.str(),
            "-1 0.0001 20 5 4 2\n"
            "0 1 6\n"
            "1 0 3\n"
            "0 0 2 0.5 25 0.15 4 1\n"
            "1 0 3 50 30 0.02 1 1\n"
            "2 2 1 50 30 0.02 1 1\n"
            "3 2 3 10 40 0.1 1 1\n"
            "4 3 1 0.5 25 0.15 4 1\n");
}

// A pair is dropped exactly when the program would read its trips as 0. The
// first volume lies just above 2^-150, half the least subnormal single: read
// straight into single precision, as the program reads it, it is 2^-149, but
// its double is exactly 2^-150, which rounds to 0 (ties to even).
TEST_F(BuildInputTest, KeepsThePairsThatTheProgramReadsAsTrips) {
  const std::string trips =
      "<NUMBER OF ZONES> 2\n<END OF METADATA>\nOrigin 1\n"
      "  2 : 7.006492321624085354618648617098812818809845171247370503743407059579926351687188885967332887e-46;\n"
      "Origin 2\n  1 : 7e-46;\n";
  ASSERT_TRUE(ReadTrips(trips, net_, &trips_).ok);
  const InputFile input = BuildInput(net_, trips_, RunParameters{}, true);
  ASSERT_EQ(input.ods.size(), 1u);
  EXPECT_EQ(input.ods[0].origin, 0);
  EXPECT_EQ(std::strtof(input.ods[0].volume.c_str(), nullptr), 0x1p-149f);
}

TEST(CheckTables, ReportsEveryCountAndTheOptionsToRaise) {
  InputFile input;
  input.node_num = MaxNodes;
  input.links.resize(MaxLinks);
  input.ods.resize(MaxOdpairs);
  EXPECT_TRUE(CheckTables(input).ok);

  input.node_num = MaxNodes + 1;
  input.ods.resize(MaxOdpairs + 7);
  const Status status = CheckTables(input);
  EXPECT_FALSE(status.ok);
  const std::string n = std::to_string(MaxNodes + 1);
  const std::string od = std::to_string(MaxOdpairs + 7);
  EXPECT_EQ(status.message, "network too large for the program's tables: " + std::to_string(MaxLinks) +
                                " links (table holds " + std::to_string(MaxLinks) + "), " + n +
                                " nodes (table holds " + std::to_string(MaxNodes) + "), " + od +
                                " OD pairs (table holds " + std::to_string(MaxOdpairs) +
                                "); rebuild with the CMake options -DFW_MAX_NODES=" + n + " -DFW_MAX_ODPAIRS=" + od);
}

}  // namespace
}  // namespace fw
