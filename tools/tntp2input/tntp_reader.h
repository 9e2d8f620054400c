// Reading of TNTP network and trip-table files into plain records. Every number
// keeps the text it was written with, so the converter can pass it on unchanged
// and the program reads exactly the value the TNTP file states.
#ifndef FW_TOOLS_TNTP_READER_H
#define FW_TOOLS_TNTP_READER_H

#include <istream>
#include <string>
#include <vector>

#include "network/status.h"

namespace fw {

// A number from a TNTP file: its decimal text in the shortest form of the same
// value (no trailing fraction zeros, no '+'), and the value it denotes.
struct TntpNumber {
  std::string text;
  double value = 0.0;
};

// One link line of a net file; tail and head are the file's 1-based node numbers.
struct TntpLink {
  int line = 0;
  int tail = 0;
  int head = 0;
  TntpNumber capacity, length, free_flow_time, b, power, speed, toll, link_type;
};

// The metadata and links of a net file.
struct TntpNet {
  int nodes = 0;
  int zones = 0;            // 0: the file does not state it
  int first_thru_node = 1;  // nodes below it may only start or end a path
  int declared_links = 0;
  std::vector<TntpLink> links;
};

// One "dest : volume;" entry of a trip table, with the origin of its block.
struct TntpTrip {
  int line = 0;
  int origin = 0;
  int dest = 0;
  TntpNumber volume;
};

struct TntpTrips {
  int zones = 0;  // the zone count the entries were checked against
  std::vector<TntpTrip> entries;
};

// Checks that token is a plain decimal number (digits, optional sign, point and
// exponent) whose single-precision reading is finite and whose shortest text
// the program's reader takes (at most MaxTokenLength characters), and fills *number.
bool ParseTntpNumber(const std::string& token, TntpNumber* number);

// Reads a net file. file names the source in messages; what the program's
// input format cannot express is appended to *warnings as one-line texts.
Status ReadTntpNet(std::istream& in, const std::string& file, TntpNet* net,
                   std::vector<std::string>* warnings);

// Reads a trip table whose zones must agree with net (read before). Zone numbers
// are checked against the net's zone count, or the trip file's if the net has none.
Status ReadTntpTrips(std::istream& in, const std::string& file, const TntpNet& net,
                     TntpTrips* trips, std::vector<std::string>* warnings);

}  // namespace fw

#endif  // FW_TOOLS_TNTP_READER_H
