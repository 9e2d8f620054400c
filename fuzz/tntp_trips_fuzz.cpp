// Fuzz target: arbitrary bytes as a TNTP trip table, read against two fixed
// nets, one that states its zones and one that leaves them to the trip file.
// A table the reader accepts must keep what the converter relies on, and the
// input file converted from it must be one the program's reader accepts,
// with one OD pair for every trip between distinct zones that is not zero.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <set>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "fuzz/fuzz_support.h"
#include "tools/tntp2input/input_file.h"
#include "tools/tntp2input/tntp_reader.h"

namespace fw {
namespace {

// Six nodes, nodes 1 to 4 zones (stated or not), one link each way between
// consecutive nodes.
TntpNet FixedNet(bool zones_stated) {
  std::string text = "<NUMBER OF NODES> 6\n<NUMBER OF LINKS> 10\n<FIRST THRU NODE> 5\n";
  if (zones_stated) text += "<NUMBER OF ZONES> 4\n";
  text += "<END OF METADATA>\n";
  for (int n = 1; n < 6; ++n) {
    text += std::to_string(n) + " " + std::to_string(n + 1) + " 100 1 2 0.15 4 0 0 1 ;\n";
    text += std::to_string(n + 1) + " " + std::to_string(n) + " 100 1 2 0.15 4 0 0 1 ;\n";
  }
  std::istringstream in(text);
  TntpNet net;
  std::vector<std::string> warnings;
  Require(ReadTntpNet(in, "net.tntp", &net, &warnings).ok && warnings.empty());
  return net;
}

void CheckTrips(const TntpNet& net, const TntpTrips& trips) {
  Require(trips.zones >= 1 && trips.zones <= net.nodes);
  Require(net.zones == 0 || trips.zones == net.zones);
  std::set<std::pair<int, int>> pairs;
  for (const TntpTrip& trip : trips.entries) {
    Require(trip.origin >= 1 && trip.origin <= trips.zones && trip.dest >= 1 && trip.dest <= trips.zones);
    Require(trip.volume.value >= 0.0);
    Require(pairs.insert({trip.origin, trip.dest}).second);
  }
}

// The converted file as the program reads it.
void CheckConverted(const TntpNet& net, const TntpTrips& trips) {
  const InputFile input = BuildInput(net, trips, RunParameters{}, true);
  if (!CheckTables(input).ok) return;
  std::ostringstream text;
  WriteInput(input, text);
  const Status s = ReadInputText(text.str());
  Require(s.ok);
  int kept = 0;
  for (const TntpTrip& trip : trips.entries) {
    kept += static_cast<int>(trip.origin != trip.dest && std::strtof(trip.volume.text.c_str(), nullptr) != 0.0f);
  }
  Require(OdpairNum == kept);
  for (int od = 0; od < OdpairNum; ++od) Require(TripVol[od] > 0.0f && Origin[od] != Dest[od]);
}

void ReadAgainst(const TntpNet& net, const std::string& bytes) {
  std::istringstream in(bytes);
  TntpTrips trips;
  std::vector<std::string> warnings;
  const Status s = ReadTntpTrips(in, "trips.tntp", net, &trips, &warnings);
  for (const std::string& warning : warnings) RequireOneLine(warning);
  if (!s.ok) {
    RequireOneLine(s.message);
    return;
  }
  CheckTrips(net, trips);
  CheckConverted(net, trips);
}

}  // namespace
}  // namespace fw

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const fw::TntpNet stated = fw::FixedNet(true);
  static const fw::TntpNet unstated = fw::FixedNet(false);
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  fw::ReadAgainst(stated, bytes);
  fw::ReadAgainst(unstated, bytes);
  return 0;
}
