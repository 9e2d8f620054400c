// fwgap: reads an input file and the result file the program wrote for it and
// prints how close the result is to equilibrium, one figure a line, and with
// --flow its distance to the best-known volumes of a TNTP flow file.
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "network/tables.h"
#include "tools/fwgap/gap.h"

namespace fw {
namespace {

const char* const Usage =
    "Usage: fwgap INPUT RESULT [--flow FLOW.tntp]\n"
    "Recomputes, in double precision from the link volumes of RESULT (a result\n"
    "file of fwassign) on the network of INPUT (its input file), how close the\n"
    "volumes are to user equilibrium:\n"
    "  total demand, total system travel time (TSTT: volume x cost over links),\n"
    "  shortest-path total (SPTT: trips x least route cost over OD pairs),\n"
    "  relative gap (TSTT - SPTT) / TSTT, average excess cost (TSTT - SPTT) / demand,\n"
    "  objective (integral of the link costs), the objective RESULT states, the\n"
    "  largest difference between its cost column and the recomputed costs, and the\n"
    "  largest flow-conservation error at a node.\n"
    "With --flow FLOW.tntp (a TNTP flow file whose lines follow the input's links):\n"
    "  the objective of those volumes, the largest and mean absolute difference of\n"
    "  link volumes, and the relative difference of the objective.\n"
    "Each line is 'name: value' with the value printed as %.10g. Exit status 0 on\n"
    "success, 1 on any error.\n";

// The line format of every figure.
constexpr const char* FigureLine = "%s: %.10g\n";

struct Options {
  std::string input;
  std::string result;
  std::string flow;  // empty: no comparison
  bool help = false;
};

// Reads the command line into *options; a failure says which argument is wrong.
Status ParseOptions(const std::vector<std::string>& args, Options* options) {
  std::vector<std::string> files;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg == "--help" || arg == "-h") {
      options->help = true;
    } else if (arg == "--flow") {
      if (i + 1 == args.size()) return Status::Fail("option --flow needs a file name");
      options->flow = args[++i];
    } else if (arg.compare(0, 7, "--flow=") == 0) {
      options->flow = arg.substr(7);
    } else if (arg.size() > 1 && arg[0] == '-') {
      return Status::Fail("unknown option " + arg);
    } else {
      files.push_back(arg);
    }
  }
  if (options->help) return Status::Ok();
  if (files.size() != 2) {
    return Status::Fail("expected an input file and a result file, got " + std::to_string(files.size()) + " file names");
  }
  options->input = files[0];
  options->result = files[1];
  return Status::Ok();
}

// The largest |printed cost - recomputed cost| over links.
double LargestCostDifference(const ResultFile& result) {
  double largest = 0.0;
  for (int l = 0; l < LinkNumber; ++l) {
    const std::size_t k = static_cast<std::size_t>(l);
    largest = std::fmax(largest, std::fabs(result.cost[k] - GapLinkCost(l, result.volume[k])));
  }
  return largest;
}

// One figure line on standard output.
void Print(const char* name, double value) { std::printf(FigureLine, name, value); }

// Reads the three files and prints the figures; nothing is printed unless all are read.
Status Report(const Options& options) {
  Status s = ReadInputFile(options.input);
  if (!s.ok) return s;
  std::ifstream result_in(options.result);
  if (!result_in) return Status::Fail("cannot open " + options.result + ": " + std::strerror(errno));
  ResultFile result;
  s = ReadResultFile(result_in, options.result, LinkNumber, &result);
  if (!s.ok) return s;
  std::vector<double> best;
  if (!options.flow.empty()) {
    std::ifstream flow_in(options.flow);
    if (!flow_in) return Status::Fail("cannot open " + options.flow + ": " + std::strerror(errno));
    s = ReadFlowFile(flow_in, options.flow, options.input, &best);
    if (!s.ok) return s;
  }
  GapFigures f;
  s = ComputeGap(result.volume, options.input, &f);
  if (!s.ok) return s;
  Print("total demand", f.demand);
  Print("total system travel time", f.tstt);
  Print("shortest-path total", f.sptt);
  Print("relative gap", f.relative_gap);
  Print("average excess cost", f.average_excess);
  Print("objective", f.objective);
  Print("result objective", result.objective);
  Print("largest cost difference", LargestCostDifference(result));
  Print("largest node imbalance", f.node_imbalance);
  if (!options.flow.empty()) {
    const FlowDistance d = CompareFlows(result.volume, best);
    Print("best-known objective", d.best_objective);
    Print("largest volume difference", d.largest_difference);
    Print("mean volume difference", d.mean_difference);
    Print("objective relative difference", d.objective_difference);
  }
  if (std::fflush(stdout) != 0 || std::ferror(stdout)) return Status::Fail("cannot write to standard output");
  return Status::Ok();
}

// The whole tool: options, report, and the one error line; returns the exit status.
int Run(const std::vector<std::string>& args) {
  Options options;
  Status s = ParseOptions(args, &options);
  if (s.ok && options.help) {
    std::fputs(Usage, stdout);
    return 0;
  }
  if (!s.ok) s.message += " (see fwgap --help)";
  if (s.ok) s = Report(options);
  if (s.ok) return 0;
  std::fprintf(stderr, "fwgap: %s\n", s.message.c_str());
  return 1;
}

}  // namespace
}  // namespace fw

int main(int argc, char** argv) { return fw::Run(std::vector<std::string>(argv + 1, argv + argc)); }
