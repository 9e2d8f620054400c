// An assignment as the field looks at it: the links of a TNTP net file joined
// with the volumes and costs of a result file, in TNTP node numbers, and the
// node coordinates that place them. fwexport writes them as flow, CSV and
// GeoJSON files; fwplot draws them. Both write through WriteStaged.
#ifndef FW_TOOLS_FWEXPORT_EXPORT_H
#define FW_TOOLS_FWEXPORT_EXPORT_H

#include <functional>
#include <map>
#include <ostream>
#include <string>
#include <vector>

#include "network/status.h"
#include "tools/fwgap/gap.h"
#include "tools/tntp2input/tntp_reader.h"

namespace fw {

// ---- Files --------------------------------------------------------------------------
// Reads the whole file `path` into *text; fails, naming it, when it cannot be
// opened or read, or when it is empty.
Status ReadWholeFile(const std::string& path, std::string* text);

// Writes a file only once it is complete: `write` fills a temporary file beside
// `path`, which then replaces `path`. When `write` fails or a write does, the
// temporary file is removed and `path` is left as it was.
Status WriteStaged(const std::string& path, const std::function<Status(std::ostream&)>& write);

// ---- Command line ----------------------------------------------------------------------
// An option that takes a value, and where the value goes.
struct ValuedOption {
  const char* name;
  std::string* value;
};

// Reads a command line: the valued options, --help (or -h) into *help, and the
// other arguments, in order, into *positional. Fails on an unknown option or a
// valued one without its value.
Status ParseCommandLine(const std::vector<std::string>& args, const std::vector<ValuedOption>& valued,
                        std::vector<std::string>* positional, bool* help);

// The end of a tool: prints a failure as "tool: message" on standard error; the exit status.
int ToolExit(const char* tool, const Status& s);

// ---- The assignment ---------------------------------------------------------------
// One link of the net file with what the result file says of it.
struct ExportLink {
  const TntpLink* net = nullptr;  // its net-file line: TNTP ends, capacity, free-flow time
  double volume = 0.0;            // from the result file
  double cost = 0.0;
  double saturation = 0.0;        // volume / capacity
};

struct Assignment {
  TntpNet net;
  ResultFile result;
  std::vector<ExportLink> links;  // in net-file order, which is the input's link order
};

// Reads the net file, the input file (into the program's tables, with its
// reader) and the result file, and joins them. The input's links must be the
// net file's, in the same order, once the importer's zone splitting is undone:
// an input node index i below the net's node count is TNTP node i+1, and one at
// or above it is the destination half of zone i - nodes + 1. Any fault is one
// line naming the file (and line).
Status LoadAssignment(const std::string& net_file, const std::string& input_file, const std::string& result_file,
                      Assignment* assignment);

// The TNTP node a 0-based input node index stands for, zone splitting undone
// for a net of `nodes` nodes.
int TntpNode(int index, int nodes);

// ---- Node coordinates -----------------------------------------------------------------
struct NodePoint {
  TntpNumber x, y;  // as the file writes them
  int line = 0;     // where the file gives the node
};

struct NodeFile {
  std::string name;
  std::map<int, NodePoint> nodes;  // by TNTP node number
};

// Reads a TNTP node file ("Node X Y ;" lines, an optional header line, "~"
// comments) or, when its text starts with '{', a GeoJSON FeatureCollection of
// Points whose properties give the node number as "id" (or "ID", "node",
// "Node"). Fails on a malformed line, a repeated node or a file without nodes.
Status ReadNodeFile(const std::string& path, NodeFile* nodes);
// The same for the file's text, read from a file named `name`.
Status ReadNodeText(const std::string& text, const std::string& name, NodeFile* nodes);

// Checks that every link end of `assignment` has a coordinate.
Status CheckNodesCovered(const Assignment& assignment, const NodeFile& nodes);

// Whether the coordinates of the nodes may be longitude/latitude in degrees.
// Empty when they may; otherwise why not, in one line naming the file: a value
// outside -180..180 / -90..90, or a smallest x and smallest y of exactly 0 (a
// planar frame moved to the network's corner, as in the Berlin node files).
std::string PlanarReason(const NodeFile& nodes);

// Reads the node file `path` for `assignment` (ReadNodeFile), checks that it
// places every link end (CheckNodesCovered) and gives its PlanarReason in *planar.
Status ReadPlacingNodes(const std::string& path, const Assignment& assignment, NodeFile* nodes, std::string* planar);

// ---- Written forms ----------------------------------------------------------------------
// TNTP flow file: "From To Volume Cost" header, one line a link in net order.
void WriteFlowFile(const Assignment& assignment, std::ostream& stream);
// CSV (RFC 4180, CRLF line ends) with a header row, one row a link.
void WriteCsvFile(const Assignment& assignment, std::ostream& stream);
// GeoJSON FeatureCollection of LineStrings, one a link, with the CSV's columns as properties.
void WriteGeoJsonFile(const Assignment& assignment, const NodeFile& nodes, std::ostream& stream);

}  // namespace fw

#endif  // FW_TOOLS_FWEXPORT_EXPORT_H
