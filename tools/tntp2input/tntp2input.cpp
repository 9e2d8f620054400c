// tntp2input: converts a TNTP network and trip table into the program's input
// file, written to standard output or to the file named by -o.
#include <cerrno>
#include <cstring>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "tools/tntp2input/input_file.h"
#include "tools/tntp2input/tntp_reader.h"

namespace fw {
namespace {

const char* const kUsage =
    "Usage: tntp2input NET.tntp TRIPS.tntp [options]\n"
    "Converts a TNTP network and trip table into the input file of fwassign.\n"
    "\n"
    "Options:\n"
    "  -o FILE               write to FILE instead of standard output\n"
    "  --max-error X         MaxError: tolerance on the volume a step moves (default 0.01)\n"
    "  --object-error X      ObjectError: tolerance, in percent, on the relative change\n"
    "                        of the objective (default 0.0001)\n"
    "  --max-iteration N     MaxIteration: most Frank-Wolfe steps (default 1000)\n"
    "  --split-zones yes|no  split every zone below <FIRST THRU NODE> into an origin node\n"
    "                        and a destination node, so no path passes through a zone\n"
    "                        (default yes)\n"
    "  --ignore-limits       write the file even if it exceeds the program's tables\n"
    "  --help                print this help and exit\n"
    "\n"
    "Numbers are written as the TNTP files state them. Exit status 0 on success,\n"
    "1 on any error.\n";

struct Options {
  std::string net_file;
  std::string trips_file;
  std::string output_file;  // empty: standard output
  RunParameters run;
  bool split_zones = true;
  bool ignore_limits = false;
  bool help = false;
};

// Reads the command line into *options; a failure says which argument is wrong.
Status ParseOptions(const std::vector<std::string>& args, Options* options) {
  std::vector<std::string> files;
  for (std::size_t i = 0; i < args.size(); ++i) {
    std::string name = args[i];
    std::string value;
    bool has_value = false;
    const std::size_t equals = name.find('=');
    if (name.compare(0, 2, "--") == 0 && equals != std::string::npos) {
      value = name.substr(equals + 1);
      name = name.substr(0, equals);
      has_value = true;
    }
    const bool takes_value = name == "-o" || name == "--max-error" || name == "--object-error" ||
                             name == "--max-iteration" || name == "--split-zones";
    if (takes_value && !has_value) {
      if (i + 1 == args.size()) return Status::Fail("option " + name + " needs a value");
      value = args[++i];
    } else if (!takes_value && has_value) {
      return Status::Fail("option " + name + " takes no value");
    }
    TntpNumber number;
    if (name == "--help" || name == "-h") {
      options->help = true;
    } else if (name == "--ignore-limits") {
      options->ignore_limits = true;
    } else if (name == "-o") {
      options->output_file = value;
    } else if (name == "--max-error" || name == "--object-error") {
      if (!ParseTntpNumber(value, &number)) {
        return Status::Fail("option " + name + " '" + value + "' is not a number");
      }
      (name == "--max-error" ? options->run.max_error : options->run.object_error) = number.text;
    } else if (name == "--max-iteration") {
      if (value.empty() || value.size() > 9 || value.find_first_not_of("0123456789") != std::string::npos) {
        return Status::Fail("option --max-iteration '" + value + "' is not a whole number 0..999999999");
      }
      options->run.max_iteration = std::to_string(std::stol(value));
    } else if (name == "--split-zones") {
      if (value != "yes" && value != "no") {
        return Status::Fail("option --split-zones '" + value + "': expected yes or no");
      }
      options->split_zones = value == "yes";
    } else if (name.size() > 1 && name[0] == '-') {
      return Status::Fail("unknown option " + name);
    } else {
      files.push_back(name);
    }
  }
  if (options->help) return Status::Ok();
  if (files.size() != 2) {
    return Status::Fail("expected a net file and a trip file, got " + std::to_string(files.size()) + " file names");
  }
  options->net_file = files[0];
  options->trips_file = files[1];
  return Status::Ok();
}

int Fail(const std::string& message) {
  std::cerr << "tntp2input: " << message << '\n';
  return 1;
}

int Run(const std::vector<std::string>& args) {
  Options options;
  Status status = ParseOptions(args, &options);
  if (!status.ok) return Fail(status.message + " (see tntp2input --help)");
  if (options.help) {
    std::cout << kUsage;
    return 0;
  }

  std::vector<std::string> warnings;
  auto print_warnings = [&warnings]() {
    for (const std::string& warning : warnings) std::cerr << "tntp2input: warning: " << warning << '\n';
    warnings.clear();
  };
  TntpNet net;
  std::ifstream net_in(options.net_file);
  if (!net_in) return Fail("cannot open " + options.net_file + ": " + std::strerror(errno));
  status = ReadTntpNet(net_in, options.net_file, &net, &warnings);
  print_warnings();
  if (!status.ok) return Fail(status.message);

  TntpTrips trips;
  std::ifstream trips_in(options.trips_file);
  if (!trips_in) return Fail("cannot open " + options.trips_file + ": " + std::strerror(errno));
  status = ReadTntpTrips(trips_in, options.trips_file, net, &trips, &warnings);
  print_warnings();
  if (!status.ok) return Fail(status.message);

  const InputFile input = BuildInput(net, trips, options.run, options.split_zones);
  status = CheckTables(input);
  if (!status.ok) {
    if (!options.ignore_limits) return Fail(status.message + ", or pass --ignore-limits");
    std::cerr << "tntp2input: warning: " << status.message << "; written anyway (--ignore-limits)\n";
  }

  if (options.output_file.empty()) {
    WriteInput(input, std::cout);
    std::cout.flush();
    if (!std::cout) return Fail("cannot write to standard output");
    return 0;
  }
  std::ofstream out(options.output_file, std::ios::binary);
  if (!out) return Fail("cannot create " + options.output_file + ": " + std::strerror(errno));
  WriteInput(input, out);
  out.close();
  if (!out) return Fail("cannot write " + options.output_file + ": " + std::strerror(errno));
  return 0;
}

}  // namespace
}  // namespace fw

int main(int argc, char** argv) { return fw::Run(std::vector<std::string>(argv + 1, argv + argc)); }
