// fwexport and fwplot as a user runs them: import, solve, export and draw the
// shipped networks; the flow file read back by fwgap; the pictures rendered by
// a real SVG renderer (rsvg-convert) and their pixels looked at; bad inputs.
#include <gtest/gtest.h>
#include <zlib.h>

#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "support/support.h"

namespace fw {
namespace {

std::string Quoted(const std::string& path) { return "'" + path + "'"; }
std::string Data(const std::string& name) { return Quoted(TestSourceDir() + "/../data/" + name); }

// Runs a tool in run/ of `dir`; ../ is the scratch directory.
ProgramRun Tool(const std::string& dir, const std::string& tool, const std::string& args) {
  return RunIn(dir, tool, "", args);
}

// Imports data/NAME and solves it for `steps` steps into ../output of a fresh scratch directory.
std::string Solved(const std::string& name, int steps) {
  const std::string dir = ScratchDir();
  const ProgramRun import = Tool(dir, FW_TNTP2INPUT_PATH,
                                 Data(name + "/" + name + "_net.tntp") + " " + Data(name + "/" + name + "_trips.tntp") +
                                     " --max-error -1 --object-error -1 --max-iteration " + std::to_string(steps) +
                                     " -o ../output/input.txt");
  EXPECT_EQ(import.exit_status, 0) << import.error;
  EXPECT_EQ(Tool(dir, ProgramPath(), "").exit_status, 0);
  return dir;
}

// An RGBA picture decoded from a PNG file.
struct Pixels {
  std::uint32_t width = 0, height = 0;
  std::vector<std::array<std::uint8_t, 4>> rgba;
};

std::uint32_t Big(const std::string& bytes, std::size_t at) {
  std::uint32_t value = 0;
  for (std::size_t k = 0; k < 4; ++k) value = value << 8 | static_cast<std::uint8_t>(bytes[at + k]);
  return value;
}

// Decodes an 8-bit RGB or RGBA PNG, as rsvg-convert writes them; false for anything else.
bool DecodePng(const std::string& png, Pixels* pixels) {
  if (png.compare(0, 8, "\x89PNG\r\n\x1a\n") != 0) return false;
  std::string packed;
  std::size_t channels = 0;
  for (std::size_t at = 8; at + 12 <= png.size();) {
    const std::uint32_t length = Big(png, at);
    const std::string type = png.substr(at + 4, 4);
    if (type == "IHDR") {
      pixels->width = Big(png, at + 8);
      pixels->height = Big(png, at + 12);
      if (png[at + 16] != 8 || (png[at + 17] != 2 && png[at + 17] != 6) || png[at + 20] != 0) return false;
      channels = png[at + 17] == 6 ? 4 : 3;  // RGBA or RGB, 8 bits, not interlaced
    }
    if (type == "IDAT") packed += png.substr(at + 8, length);
    at += 12 + length;
  }
  if (channels == 0) return false;
  const std::size_t row = 1 + channels * static_cast<std::size_t>(pixels->width);
  std::vector<std::uint8_t> raw(row * pixels->height);
  uLongf size = static_cast<uLongf>(raw.size());
  if (uncompress(raw.data(), &size, reinterpret_cast<const Bytef*>(packed.data()), static_cast<uLong>(packed.size())) != Z_OK ||
      size != raw.size()) {
    return false;
  }
  // Undo the per-row filters (none, sub, up, average, Paeth).
  for (std::size_t y = 0; y < pixels->height; ++y) {
    std::uint8_t* line = &raw[y * row + 1];
    const std::uint8_t* above = y > 0 ? &raw[(y - 1) * row + 1] : nullptr;
    const int filter = raw[y * row];
    for (std::size_t i = 0; i + 1 < row; ++i) {
      const int left = i >= channels ? line[i - channels] : 0, up = above != nullptr ? above[i] : 0;
      const int corner = i >= channels && above != nullptr ? above[i - channels] : 0;
      const int p = left + up - corner, pa = std::abs(p - left), pb = std::abs(p - up), pc = std::abs(p - corner);
      const int paeth = pa <= pb && pa <= pc ? left : pb <= pc ? up : corner;
      const int add[] = {0, left, up, (left + up) / 2, paeth};
      line[i] = static_cast<std::uint8_t>(line[i] + (filter >= 0 && filter <= 4 ? add[filter] : 0));
    }
    for (std::size_t x = 0; x < pixels->width; ++x) {
      const std::uint8_t* p = line + channels * x;
      pixels->rgba.push_back({p[0], p[1], p[2], static_cast<std::uint8_t>(channels == 4 ? p[3] : 255)});
    }
  }
  return true;
}

// Renders `svg` with rsvg-convert; the picture must be as large as the SVG says.
Pixels Render(const std::string& dir, const std::string& svg) {
  Pixels pixels;
  const ProgramRun run = Tool(dir, FW_RSVG_CONVERT, Quoted(svg) + " -o ../picture.png");
  EXPECT_EQ(run.exit_status, 0) << run.error;
  std::string png, text;
  EXPECT_TRUE(ReadFile(dir + "/picture.png", &png));
  EXPECT_TRUE(DecodePng(png, &pixels));
  EXPECT_TRUE(ReadFile(svg, &text));
  const std::string size = text.substr(text.find(" width=\""), text.find(" viewBox") - text.find(" width=\""));
  EXPECT_EQ(size, " width=\"" + std::to_string(pixels.width) + ".0\" height=\"" + std::to_string(pixels.height) + ".0\"");
  return pixels;
}

// How many opaque pixels have exactly the colour `hex` ("#rrggbb").
int Count(const Pixels& pixels, const std::string& hex) {
  const unsigned long value = std::stoul(hex.substr(1), nullptr, 16);
  int count = 0;
  for (const auto& p : pixels.rgba) {
    count += p[0] == (value >> 16 & 255) && p[1] == (value >> 8 & 255) && p[2] == (value & 255) && p[3] == 255;
  }
  return count;
}

// Pixels that are clearly coloured, by their strongest channel: 0 red, 1 green, 2 blue.
std::array<int, 3> Coloured(const Pixels& pixels) {
  std::array<int, 3> count{};
  for (const auto& p : pixels.rgba) {
    const int strongest = p[0] > p[1] && p[0] > p[2] ? 0 : p[1] > p[2] ? 1 : 2;
    if (p[3] == 255 && p[strongest] - std::min({p[0], p[1], p[2]}) > 60) ++count[static_cast<std::size_t>(strongest)];
  }
  return count;
}

// fwgap's "name: value" lines.
std::map<std::string, std::string> Figures(const std::string& printed) {
  std::map<std::string, std::string> figures;
  for (std::size_t at = 0, end; (end = printed.find('\n', at)) != std::string::npos; at = end + 1) {
    const std::string line = printed.substr(at, end - at);
    figures[line.substr(0, line.find(": "))] = line.substr(line.find(": ") + 2);
  }
  return figures;
}

const std::string RunFiles = " ../output/input.txt ../output/result.txt";

// Anaheim's zones are split on import; its flow file, written with the net
// file's node numbers, is read back by fwgap as the same volumes.
TEST(Pictures, FlowFileRoundTripsThroughFwgap) {
  const std::string dir = Solved("Anaheim", 10);
  const ProgramRun exported = Tool(dir, FW_FWEXPORT_PATH, Data("Anaheim/Anaheim_net.tntp") + RunFiles + " --flow ../flow.tntp");
  ASSERT_EQ(exported.exit_status, 0) << exported.error;
  EXPECT_EQ(exported.error, "");
  const ProgramRun gap = Tool(dir, FW_FWGAP_PATH, RunFiles + " --flow ../flow.tntp");
  ASSERT_EQ(gap.exit_status, 0) << gap.error;
  const auto figures = Figures(gap.printed);
  EXPECT_EQ(figures.at("largest volume difference"), "0");
  EXPECT_EQ(figures.at("mean volume difference"), "0");
  EXPECT_EQ(figures.at("objective relative difference"), "0");
  std::string flow;
  ASSERT_TRUE(ReadFile(dir + "/flow.tntp", &flow));
  EXPECT_EQ(flow.find("\n1 \t117 \t"), 23u) << flow.substr(0, 60);  // Anaheim_net.tntp's first link, 1 -> 117
}

// Both pictures of Sioux Falls, rendered: as large as the SVG says, the map
// showing every volume/capacity class of the run, the convergence picture its
// three series (blue objective, red distance, green steps); drawn again, the
// same bytes.
TEST(Pictures, SiouxFallsRendered) {
  if (std::string(FW_RSVG_CONVERT).empty()) GTEST_SKIP() << "rsvg-convert not found (Debian: librsvg2-bin)";
  const std::string dir = Solved("SiouxFalls", 100);
  const std::string map_args = " map " + Data("SiouxFalls/SiouxFalls_net.tntp") + " " +
                               Data("SiouxFalls/SiouxFalls_node.tntp") + RunFiles + " -o ../map.svg";
  ProgramRun run = Tool(dir, FW_FWPLOT_PATH, map_args);
  ASSERT_EQ(run.exit_status, 0) << run.error;
  EXPECT_EQ(run.error, "");
  const Pixels map = Render(dir, dir + "/map.svg");
  EXPECT_EQ(map.width, 1000u);
  for (const char* colour : {"#1a9641", "#a6d96a", "#fdb140", "#e34a33", "#7f0000"}) {
    EXPECT_GT(Count(map, colour), 500) << colour;
  }
  EXPECT_GT(Count(map, "#ffffff"), static_cast<int>(map.rgba.size() / 2));
  run = Tool(dir, FW_FWPLOT_PATH, " convergence ../output/output.txt --best 4231335.333 -o ../convergence.svg");
  ASSERT_EQ(run.exit_status, 0) << run.error;
  const std::array<int, 3> series = Coloured(Render(dir, dir + "/convergence.svg"));
  for (const int pixels : series) EXPECT_GT(pixels, 150);
  std::string first, second;
  ASSERT_TRUE(ReadFile(dir + "/map.svg", &first));
  ASSERT_EQ(Tool(dir, FW_FWPLOT_PATH, map_args).exit_status, 0);
  ASSERT_TRUE(ReadFile(dir + "/map.svg", &second));
  EXPECT_EQ(first, second);
}

// Bad inputs: one line on standard error naming the file (and line), exit
// status 1, and the output file as it was (absent, or the old one).
TEST(Pictures, BadInputsLeaveNoFile) {
  const std::string dir = Solved("SiouxFalls", 2);
  WriteFile(dir + "/nodes.tntp", "Node X Y ;\n1 -96.7 43.6 ;\n");
  WriteFile(dir + "/empty.txt", "\n");
  WriteFile(dir + "/old.tntp", "old");
  const std::string sioux = Data("SiouxFalls/SiouxFalls_net.tntp");
  const struct {
    std::string tool, args, error;
  } cases[] = {
      {FW_FWEXPORT_PATH, Data("Anaheim/Anaheim_net.tntp") + RunFiles + " --flow ../old.tntp",
       "fwexport: ../output/input.txt: 76 links, but " + TestSourceDir() + "/../data/Anaheim/Anaheim_net.tntp has 914\n"},
      {FW_FWEXPORT_PATH, sioux + " ../output/input.txt ../empty.txt --csv ../out.csv",
       "fwexport: ../empty.txt: the file is empty\n"},
      {FW_FWEXPORT_PATH, sioux + RunFiles + " --geojson ../out.geojson --nodes ../nodes.tntp",
       "fwexport: ../nodes.tntp: no coordinates for node 2 (a link end at line 10 of the net file)\n"},
      {FW_FWPLOT_PATH, " map " + sioux + " ../nodes.tntp" + RunFiles + " -o ../out.svg",
       "fwplot: ../nodes.tntp: no coordinates for node 2 (a link end at line 10 of the net file)\n"},
      {FW_FWPLOT_PATH, " convergence ../output/result.txt -o ../out.svg",
       "fwplot: ../output/result.txt:1: not a run log of fwassign: expected its ' iteration#' header\n"},
      {FW_FWPLOT_PATH, " convergence ../missing.txt -o ../out.svg",
       "fwplot: ../missing.txt: cannot open: No such file or directory\n"},
  };
  for (const auto& c : cases) {
    const ProgramRun run = Tool(dir, c.tool, c.args);
    EXPECT_EQ(run.exit_status, 1) << c.args;
    EXPECT_EQ(run.error, c.error);
  }
  std::string text;
  EXPECT_TRUE(ReadFile(dir + "/old.tntp", &text));
  EXPECT_EQ(text, "old");
  for (const char* name : {"/out.csv", "/out.geojson", "/out.svg"}) EXPECT_FALSE(ReadFile(dir + name, &text)) << name;
}

// Planar coordinates are written as given, with a warning naming the first node out of range.
TEST(Pictures, PlanarCoordinatesWarn) {
  const std::string dir = Solved("SiouxFalls", 2);
  std::string nodes = "Node X Y ;\n";
  for (int node = 1; node <= 24; ++node) nodes += std::to_string(node) + " " + std::to_string(1000 * node) + " 5.5 ;\n";
  WriteFile(dir + "/nodes.tntp", nodes);
  const ProgramRun run = Tool(dir, FW_FWEXPORT_PATH, Data("SiouxFalls/SiouxFalls_net.tntp") + RunFiles +
                                                         " --geojson ../links.geojson --nodes ../nodes.tntp");
  ASSERT_EQ(run.exit_status, 0) << run.error;
  EXPECT_EQ(run.error, "fwexport: warning: ../nodes.tntp:2: node 1 at (1000, 5.5) lies outside longitude -180..180, "
                       "latitude -90..90: the coordinates are not longitude/latitude, and map viewers will misplace them\n");
  std::string json;
  ASSERT_TRUE(ReadFile(dir + "/links.geojson", &json));
  EXPECT_NE(json.find("\"coordinates\":[[1000,5.5],[2000,5.5]]"), std::string::npos);
}

}  // namespace
}  // namespace fw
