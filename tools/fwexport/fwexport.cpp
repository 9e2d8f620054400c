// fwexport: writes the link volumes and costs of a result file in the forms
// other tools read, joined to the TNTP net file the input was imported from:
// a TNTP flow file, a CSV table and a GeoJSON map layer.
#include <cstdio>
#include <string>
#include <vector>

#include "tools/fwexport/export.h"

namespace fw {
namespace {

const char* const kUsage =
    "Usage: fwexport NET.tntp INPUT RESULT [--flow FILE.tntp] [--csv FILE.csv]\n"
    "                [--geojson FILE.geojson --nodes NODES]\n"
    "Writes the link volumes and costs of RESULT (a result file of fwassign for the\n"
    "input file INPUT, imported by tntp2input from NET.tntp) with the net file's\n"
    "node numbers, one link a line in the net file's link order (zones split by\n"
    "tntp2input are joined again):\n"
    "  --flow FILE     a TNTP flow file: 'From To Volume Cost', as fwgap --flow reads\n"
    "  --csv FILE      a CSV table (RFC 4180) with a header row: link (position in the\n"
    "                  net file, from 1), from, to, capacity, free_flow_time, volume,\n"
    "                  cost, volume_capacity\n"
    "  --geojson FILE  a GeoJSON FeatureCollection, one LineString a link with the\n"
    "                  CSV's columns as properties; needs --nodes\n"
    "  --nodes NODES   node coordinates: a TNTP node file (Node X Y) or a GeoJSON\n"
    "                  file of Points with the node number as property id. They are\n"
    "                  written as given; a warning says when they cannot be\n"
    "                  longitude/latitude, where map viewers would misplace them\n"
    "  --help          print this help and exit\n"
    "Each file is written in full or not at all. Exit status 0 on success, 1 on any\n"
    "error (one line on standard error naming the file and line).\n";

struct Options {
  std::vector<std::string> files;  // net, input, result
  std::string flow, csv, geojson, nodes;
  bool help = false;
};

Status ParseOptions(const std::vector<std::string>& args, Options* options) {
  const Status s = ParseCommandLine(args, {{"--flow", &options->flow}, {"--csv", &options->csv},
                                           {"--geojson", &options->geojson}, {"--nodes", &options->nodes}},
                                    &options->files, &options->help);
  if (!s.ok) return s;
  if (options->help) return Status::Ok();
  if (options->files.size() != 3) {
    return Status::Fail("expected a net file, an input file and a result file, got " +
                        std::to_string(options->files.size()) + " file names");
  }
  if (options->flow.empty() && options->csv.empty() && options->geojson.empty()) {
    return Status::Fail("nothing to write: give --flow, --csv or --geojson");
  }
  if (options->geojson.empty() != options->nodes.empty()) return Status::Fail("--geojson and --nodes go together");
  return Status::Ok();
}

// Reads everything first, so a fault leaves no file written; then writes each file asked for.
Status Export(const Options& options) {
  Assignment assignment;
  Status s = LoadAssignment(options.files[0], options.files[1], options.files[2], &assignment);
  if (!s.ok) return s;
  NodeFile nodes;
  if (!options.geojson.empty()) {
    std::string planar;
    s = ReadPlacingNodes(options.nodes, assignment, &nodes, &planar);
    if (!s.ok) return s;
    if (!planar.empty()) {
      std::fprintf(stderr, "fwexport: warning: %s: the coordinates are not longitude/latitude, and map viewers will "
                   "misplace them\n", planar.c_str());
    }
  }
  const std::pair<const std::string*, void (*)(const Assignment&, const NodeFile&, std::ostream&)> files[] = {
      {&options.flow, [](const Assignment& a, const NodeFile&, std::ostream& stream) { WriteFlowFile(a, stream); }},
      {&options.csv, [](const Assignment& a, const NodeFile&, std::ostream& stream) { WriteCsvFile(a, stream); }},
      {&options.geojson, WriteGeoJsonFile}};
  for (const auto& file : files) {
    if (file.first->empty()) continue;
    s = WriteStaged(*file.first, [&](std::ostream& stream) {
      file.second(assignment, nodes, stream);
      return Status::Ok();
    });
    if (!s.ok) break;
  }
  return s;
}

int Run(const std::vector<std::string>& args) {
  Options options;
  Status s = ParseOptions(args, &options);
  if (s.ok && options.help) {
    std::fputs(kUsage, stdout);
    return 0;
  }
  if (!s.ok) s.message += " (see fwexport --help)";
  if (s.ok) s = Export(options);
  return ToolExit("fwexport", s);
}

}  // namespace
}  // namespace fw

int main(int argc, char** argv) { return fw::Run(std::vector<std::string>(argv + 1, argv + argc)); }
