// Unit tests of fwexport's and fwplot's pieces: the join of net, input and
// result with the zone splitting undone, the written forms, node files and the
// test for longitude/latitude, the projection, the run log reader, the tick
// labels and the staged writing that leaves nothing behind on failure.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <sstream>
#include <string>

#include "support/support.h"
#include "tools/fwexport/export.h"
#include "tools/fwplot/plot.h"

namespace fw {
namespace {

const std::string TinyNet = TestSourceDir() + "/tools/data/tiny_net.tntp";

// The tiny net (zones 1 and 2 split: node 2 arrives as index 5) as tntp2input writes it.
const char* const TinyInput =
    "0.01 0.0001 1000 5 6 1\n0 5 6\n0 0 2 0.5 25 0.15 4 1\n1 0 3 50 30 0.02 1 1\n2 2 5 50 30 0.02 1 1\n"
    "3 2 3 10 40 0.1 1 1\n4 3 5 0.5 25 0.15 4 1\n";
const char* const TinyResult = "300.000  \n0\t4.000000\t0.5\n1\t2.000000\t50.0\n2\t3.500000\t50.2\n"
                               "3\t0.500000\t10.0\n4\t2.500000\t0.6  ";

class ExportTest : public testing::Test {
 protected:
  void SetUp() override {
    ResetTables();
    dir_ = ScratchDir();
  }
  std::string File(const std::string& name, const std::string& text) {
    WriteFile(dir_ + "/" + name, text);
    return dir_ + "/" + name;
  }
  Status Load(const std::string& input, Assignment* assignment) {
    return LoadAssignment(TinyNet, File("input.txt", input), File("result.txt", TinyResult), assignment);
  }
  std::string dir_;
};

// Links into a split zone arrive at index nodes + zone - 1 and leave it as
// flow-file lines with the zone's own number, in the net file's order and with
// the result's digits.
TEST_F(ExportTest, FlowFileUndoesTheZoneSplitting) {
  Assignment assignment;
  const Status s = Load(TinyInput, &assignment);
  ASSERT_TRUE(s.ok) << s.message;
  std::ostringstream flow;
  WriteFlowFile(assignment, flow);
  EXPECT_EQ(flow.str(), "From \tTo \tVolume \tCost \n1 \t3 \t4.000000 \t0.500 \n1 \t4 \t2.000000 \t50.000 \n"
                        "3 \t2 \t3.500000 \t50.200 \n3 \t4 \t0.500000 \t10.000 \n4 \t2 \t2.500000 \t0.600 \n");
  EXPECT_EQ(TntpNode(5, 4), 2);
  EXPECT_EQ(TntpNode(3, 4), 4);
}

// A link whose head is another node, an arrival half beyond the split zones,
// or a different link count is refused naming the net file and its line.
TEST_F(ExportTest, InputThatIsNotTheNetIsRefused) {
  Assignment assignment;
  std::string input = TinyInput;
  Status s = Load(input.replace(input.find("2 2 5"), 5, "2 2 3"), &assignment);
  EXPECT_EQ(s.message.rfind(TinyNet + ":10: link 3 -> 2 does not match link 2 of ", 0), 0u) << s.message;
  input = TinyInput;
  s = Load(input.replace(input.find("0 0 2 0.5"), 5, "0 0 4"), &assignment);  // index 4: the arrival half of zone 1
  EXPECT_EQ(s.message.rfind(TinyNet + ":8: link 1 -> 3 does not match", 0), 0u) << s.message;
  s = Load("0.01 0.0001 1000 1 6 1\n0 5 6\n0 0 2 0.5 25 0.15 4 1\n", &assignment);
  EXPECT_EQ(s.message, dir_ + "/input.txt: 1 links, but " + TinyNet + " has 5") << s.message;
}

// CSV rows end in CRLF under a header row, and GeoJSON coordinates keep the
// node file's digits (trailing zeros dropped) in [x, y] order.
TEST_F(ExportTest, CsvAndGeoJsonRows) {
  Assignment assignment;
  ASSERT_TRUE(Load(TinyInput, &assignment).ok);
  std::ostringstream csv;
  WriteCsvFile(assignment, csv);
  EXPECT_EQ(csv.str().substr(0, csv.str().find("\r\n3,")),
            "link,from,to,capacity,free_flow_time,volume,cost,volume_capacity\r\n"
            "1,1,3,25,0.5,4.000000,0.500,0.16\r\n2,1,4,30,50,2.000000,50.000,0.0666667");
  NodeFile nodes;
  ASSERT_TRUE(ReadNodeFile(File("n.tntp", "Node X Y ;\n1 -96.50 43.1 ;\n2 -96.4 43.2;\n3 -96.3 43.0 ;\n"
                                          "4\t-96.2\t43.25\t;\n"), &nodes).ok);
  ASSERT_TRUE(CheckNodesCovered(assignment, nodes).ok);
  std::ostringstream json;
  WriteGeoJsonFile(assignment, nodes, json);
  EXPECT_NE(json.str().find("{\"link\":3,\"from\":3,\"to\":2,\"capacity\":30,\"free_flow_time\":50,\"volume\":3.500000,"
                            "\"cost\":50.200,\"volume_capacity\":0.116667},\"geometry\":{\"type\":\"LineString\","
                            "\"coordinates\":[[-96.3,43],[-96.4,43.2]]}}"),
            std::string::npos) << json.str();
}

// A GeoJSON node file (Anaheim's layout) gives nodes by properties.id; a
// node missing, repeated or malformed is named with its file and line.
TEST_F(ExportTest, NodeFilesAndTheirFaults) {
  NodeFile nodes;
  Status s = ReadNodeFile(File("n.geojson", "{\n\"type\": \"FeatureCollection\",\n\"features\": [\n"
                                            "{ \"type\": \"Feature\", \"properties\": { \"id\": 2 }, \"geometry\": { "
                                            "\"type\": \"Point\", \"coordinates\": [ -117.88, 33.87 ] } }\n]\n}\n"),
                          &nodes);
  ASSERT_TRUE(s.ok) << s.message;
  EXPECT_EQ(nodes.nodes.at(2).x.text, "-117.88");
  EXPECT_EQ(nodes.nodes.at(2).line, 4);
  Assignment assignment;
  ASSERT_TRUE(Load(TinyInput, &assignment).ok);
  EXPECT_EQ(CheckNodesCovered(assignment, nodes).message,
            dir_ + "/n.geojson: no coordinates for node 1 (a link end at line 8 of the net file)");
  EXPECT_EQ(ReadNodeFile(File("d.tntp", "Node X Y\n1 0 0\n2 1 1\n1 2 2\n"), &nodes).message,
            dir_ + "/d.tntp:4: node 1 again (first at line 2)");
  EXPECT_EQ(ReadNodeFile(File("b.tntp", "1 0 0\n2 1x 1\n"), &nodes).message,
            dir_ + "/b.tntp:2: expected 'node x y ;', found '2 1x 1'");
  EXPECT_EQ(ReadNodeFile(File("j.geojson", "{\"features\": [\n{\"properties\": {\"id\": 1},\n\"geometry\": 5\n"),
                         &nodes).message,
            dir_ + "/j.geojson:4: expected ',' or '}' in a JSON object");
  EXPECT_EQ(ReadNodeFile(File("p.geojson", "{\"features\": [\n{\"properties\": {\"id\": 1}, \"geometry\": 5}]}"), &nodes)
                .message,
            dir_ + "/p.geojson:2: node 1 is not a Point with two numeric coordinates");
  // A line break in a key, even escaped, would break the message quoting it.
  EXPECT_EQ(ReadNodeText("{\"feat\\\nures\": []}", "k.geojson", &nodes).message, "k.geojson:1: control character inside a JSON string");
  // A text of blanks only has no first character to tell the two formats by.
  EXPECT_EQ(ReadNodeText("  \r\n\t \n", "w.tntp", &nodes).message, "w.tntp: no node coordinates in the file");
}

// Sioux Falls' node file may be longitude/latitude; Chicago-Sketch's values
// are out of range, and a frame with its corner at exactly (0, 0) is Berlin's.
TEST_F(ExportTest, CoordinatesThatCannotBeLongitudeLatitude) {
  NodeFile nodes;
  ASSERT_TRUE(ReadNodeFile(TestSourceDir() + "/../data/SiouxFalls/SiouxFalls_node.tntp", &nodes).ok);
  EXPECT_EQ(PlanarReason(nodes), "");
  ASSERT_TRUE(ReadNodeFile(File("chicago.tntp", "node X Y ;\n1 690309 1976022 ;\n2 683649 1973025 ;\n"), &nodes).ok);
  EXPECT_EQ(PlanarReason(nodes), dir_ + "/chicago.tntp:2: node 1 at (690309, 1976022) lies outside longitude "
                                        "-180..180, latitude -90..90");
  ASSERT_TRUE(ReadNodeFile(File("berlin.tntp", "1 0.000 5.1 ;\n2 7.0 0.0000 ;\n3 2 2 ;\n"), &nodes).ok);
  EXPECT_NE(PlanarReason(nodes).find("both exactly 0"), std::string::npos);
  ASSERT_TRUE(ReadNodeFile(File("south.tntp", "1 0.5 -0.5 ;\n2 -0.1 0 ;\n"), &nodes).ok);
  EXPECT_EQ(PlanarReason(nodes), "");
}

// Longitude is narrowed by cos(latitude): a 2 x 1 degree box at latitude 60
// is square and fills a square picture, with north up.
TEST_F(ExportTest, ProjectionKeepsAspectWithNorthUp) {
  Assignment assignment;
  ASSERT_TRUE(Load(TinyInput, &assignment).ok);
  NodeFile nodes;
  ASSERT_TRUE(ReadNodeFile(File("n.tntp", "1 10 59.5\n2 12 59.5\n3 10 60.5\n4 12 60.5\n"), &nodes).ok);
  const Projection p = FitProjection(assignment, nodes, true, 10.0, 20.0, 100.0, 100.0);
  EXPECT_NEAR(p.X(10.0), 10.0, 1e-9);
  EXPECT_NEAR(p.X(12.0), 110.0, 1e-3);  // 2 cos(60 deg) = 1 degree of latitude wide
  EXPECT_NEAR(p.Y(60.5), 20.0, 1e-9);
  EXPECT_NEAR(p.Y(59.5), 120.0, 1e-9);
  const Projection planar = FitProjection(assignment, nodes, false, 0.0, 0.0, 100.0, 100.0);
  EXPECT_NEAR(planar.X(12.0) - planar.X(10.0), 100.0, 1e-9);
  EXPECT_NEAR(planar.Y(59.5) - planar.Y(60.5), 50.0, 1e-9);  // the box is twice as wide as high, centred
  EXPECT_NEAR(planar.Y(60.5), 25.0, 1e-9);
}

// The iteration lines of a run log are read up to the stop reason; a result
// file or a log without iteration 0 is not a run log.
TEST(RunLogTest, IterationLinesAndNonLogs) {
  std::istringstream log(
      "\n iteration#   x  y\n--------\n   0                100.50 \n   1                90.25         0.50000          "
      "-1.00000      0.000000       0.000000\n   2                80.00         0.25000          -0.50000      0.000000  "
      "     0.000000\n Reach MaxIter\n\n\n  link#\n  3 0 0 1.0 1.0\n");
  RunLog run;
  ASSERT_TRUE(ReadRunLog(log, "output.txt", &run).ok);
  EXPECT_EQ(run.objective, (std::vector<double>{100.5, 90.25, 80.0}));
  EXPECT_EQ(run.step[2], 0.25);
  std::istringstream result("4231812.100  \n0\t1.0\t2.0  ");
  EXPECT_EQ(ReadRunLog(result, "result.txt", &run).message,
            "result.txt:1: not a run log of fwassign: expected its ' iteration#' header");
  std::istringstream cut("\n iteration#\n----\n   1   5.0\n");
  EXPECT_EQ(ReadRunLog(cut, "cut.txt", &run).message, "cut.txt:5: expected the iteration-0 line '0 objective'");
}

// Tick labels carry the decimals their step needs and group thousands.
TEST(SvgTextTest, TicksAndLabels) {
  EXPECT_EQ(NiceTicks(4.1e6, 4.95e6, 5), (std::vector<double>{4.2e6, 4.4e6, 4.6e6, 4.8e6}));
  EXPECT_EQ(TickLabel(4200000.0, 200000.0), "4,200,000");
  EXPECT_EQ(TickLabel(-1234.5, 0.5), "-1,234.5");
  EXPECT_EQ(TickLabel(0.05, 0.05), "0.05");
  EXPECT_EQ(XmlText("a<b & \"c\""), "a&lt;b &amp; &quot;c&quot;");
}

// A writer that fails, or a target that cannot be replaced, leaves the old
// file as it was and no temporary file beside it.
TEST_F(ExportTest, StagedWritingLeavesNothingOnFailure) {
  const std::string target = File("out.csv", "old");
  Status s = WriteStaged(target, [](std::ostream& stream) {
    stream << "part";
    return Status::Fail("stopped");
  });
  EXPECT_EQ(s.message, "stopped");
  std::string text;
  ASSERT_TRUE(ReadFile(target, &text));
  EXPECT_EQ(text, "old");
  EXPECT_TRUE(WriteStaged(dir_ + "/run", [](std::ostream&) { return Status::Ok(); }).message.find("cannot be replaced") !=
              std::string::npos);
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(dir_)) names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"out.csv", "output", "run"}));
}

}  // namespace
}  // namespace fw
