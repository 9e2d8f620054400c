// fwplot: draws a run as SVG pictures that any browser shows: the convergence
// of a run from its run log, and a flow map of its result.
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "tools/fwplot/plot.h"

namespace fw {
namespace {

const char* const kUsage =
    "Usage: fwplot convergence RUNLOG -o FILE.svg [--best OBJECTIVE] [--title TEXT]\n"
    "       fwplot map NET.tntp NODES INPUT RESULT -o FILE.svg [--title TEXT]\n"
    "Draws an SVG picture:\n"
    "  convergence  the objective by iteration from RUNLOG (the run log of fwassign,\n"
    "               output.txt) and the step sizes beneath; with --best (a best-known\n"
    "               objective, e.g. fwgap's 'best-known objective'), the relative\n"
    "               distance to it on a logarithmic axis\n"
    "  map          the links of NET.tntp placed by NODES (a TNTP node file or a\n"
    "               GeoJSON file of Points), each as wide as its volume in RESULT and\n"
    "               coloured by volume/capacity, with a legend and a scale; INPUT is\n"
    "               the input file RESULT was computed from. Longitude/latitude are\n"
    "               drawn with north up and the scale in km; other coordinates as\n"
    "               they are, with a warning\n"
    "  --title TEXT   the picture's title (default: the file name)\n"
    "  --help         print this help and exit\n"
    "The same files give the same bytes. The picture is written in full or not at\n"
    "all. Exit status 0 on success, 1 on any error (one line on standard error\n"
    "naming the file and line).\n";

struct Options {
  std::string kind;                // "convergence" or "map"
  std::vector<std::string> files;
  std::string output, title, best;
  bool help = false;
};

Status ParseOptions(const std::vector<std::string>& args, Options* options) {
  std::vector<std::string> positional;
  const Status s = ParseCommandLine(
      args, {{"-o", &options->output}, {"--title", &options->title}, {"--best", &options->best}}, &positional,
      &options->help);
  if (!s.ok) return s;
  if (!positional.empty()) options->kind = positional.front();
  if (!positional.empty()) options->files.assign(positional.begin() + 1, positional.end());
  if (options->help) return Status::Ok();
  const std::size_t files = options->kind == "convergence" ? 1 : options->kind == "map" ? 4 : 0;
  if (files == 0) return Status::Fail("expected 'convergence' or 'map' first, found '" + options->kind + "'");
  if (options->files.size() != files) {
    return Status::Fail(options->kind + " takes " + std::to_string(files) + " file names, got " +
                        std::to_string(options->files.size()));
  }
  if (options->output.empty()) return Status::Fail("no output file: give -o FILE.svg");
  if (!options->best.empty() && options->kind != "convergence") return Status::Fail("--best belongs to convergence");
  return Status::Ok();
}

// The default title: the file name without its folders.
std::string FileName(const std::string& path) { return path.substr(path.find_last_of('/') + 1); }

Status Convergence(const Options& options) {
  double best = 0.0;
  if (!options.best.empty()) {
    char* end = nullptr;
    best = std::strtod(options.best.c_str(), &end);
    if (*end != '\0' || !(best > 0.0) || best > 1e300) {
      return Status::Fail("--best '" + options.best + "' is not a positive number");
    }
  }
  std::string text;
  Status s = ReadWholeFile(options.files[0], &text);
  if (!s.ok) return s;
  std::istringstream in(text);
  RunLog log;
  s = ReadRunLog(in, options.files[0], &log);
  if (!s.ok) return s;
  const std::string title = options.title.empty() ? "Convergence: " + FileName(options.files[0]) : options.title;
  return WriteStaged(options.output, [&](std::ostream& svg) {
    DrawConvergence(log, best, title, svg);
    return Status::Ok();
  });
}

Status Map(const Options& options) {
  Assignment assignment;
  Status s = LoadAssignment(options.files[0], options.files[2], options.files[3], &assignment);
  if (!s.ok) return s;
  NodeFile nodes;
  std::string planar;
  s = ReadPlacingNodes(options.files[1], assignment, &nodes, &planar);
  if (!s.ok) return s;
  if (!planar.empty()) {
    std::fprintf(stderr, "fwplot: warning: %s: drawn as planar coordinates, the scale in their units\n", planar.c_str());
  }
  const std::string title = options.title.empty() ? "Link volumes: " + FileName(options.files[0]) : options.title;
  return WriteStaged(options.output, [&](std::ostream& svg) {
    DrawFlowMap(assignment, nodes, planar.empty(), title, svg);
    return Status::Ok();
  });
}

int Run(const std::vector<std::string>& args) {
  Options options;
  Status s = ParseOptions(args, &options);
  if (s.ok && options.help) {
    std::fputs(kUsage, stdout);
    return 0;
  }
  if (!s.ok) s.message += " (see fwplot --help)";
  if (s.ok) s = options.kind == "map" ? Map(options) : Convergence(options);
  return ToolExit("fwplot", s);
}

}  // namespace
}  // namespace fw

int main(int argc, char** argv) { return fw::Run(std::vector<std::string>(argv + 1, argv + argc)); }
