// The program's input file as built from a TNTP net and trip table: the run
// parameters, OD records grouped by origin and link records in net-file order.
#ifndef FW_TOOLS_INPUT_FILE_H
#define FW_TOOLS_INPUT_FILE_H

#include <ostream>
#include <string>
#include <vector>

#include "network/status.h"
#include "tools/tntp2input/tntp_reader.h"

namespace fw {

// Header values, kept as the text to write.
struct RunParameters {
  std::string max_error = "0.01";       // MaxError
  std::string object_error = "0.0001";  // ObjectError, percent
  std::string max_iteration = "1000";   // MaxIteration
};

struct InputOd {
  int origin = 0;  // 0-based node index
  int dest = 0;
  std::string volume;
};

// A type-1 (BPR) link: cost t0 * (1 + a * (v / capacity)^b).
struct InputLink {
  int tail = 0;  // 0-based node indices
  int head = 0;
  std::string t0, capacity, a, b;
};

struct InputFile {
  RunParameters run;
  int node_num = 0;
  std::vector<InputOd> ods;
  std::vector<InputLink> links;
};

// How many nodes are split into an origin node and a destination node: those
// numbered below <FIRST THRU NODE>, or none when splitting is off.
int SplitCount(const TntpNet& net, bool split_zones);

// Builds the input file. Node i of the TNTP files becomes index i-1; a split node
// keeps that index for its outgoing links and trips leaving it, and gets index
// nodes + i-1 for its incoming links and trips ending there, so no path can pass
// through it. Only nonzero trips between distinct zones become OD records.
InputFile BuildInput(const TntpNet& net, const TntpTrips& trips, const RunParameters& run,
                     bool split_zones);

// Ok when the file fits the program's tables; otherwise a one-line message with
// the counts, the capacities and the CMake options that raise them.
Status CheckTables(const InputFile& input);

// Writes the file: one record per line, fields separated by single blanks.
void WriteInput(const InputFile& input, std::ostream& stream);

}  // namespace fw

#endif  // FW_TOOLS_INPUT_FILE_H
