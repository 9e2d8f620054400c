// Building and writing the program's input file from TNTP records, and checking
// it against the capacities of the program's tables.
#include "tools/tntp2input/input_file.h"

#include <algorithm>
#include <cstdlib>

#include "network/tables.h"

namespace fw {

int SplitCount(const TntpNet& net, bool split_zones) {
  return split_zones && net.first_thru_node > 1 ? net.first_thru_node - 1 : 0;
}

InputFile BuildInput(const TntpNet& net, const TntpTrips& trips, const RunParameters& run,
                     bool split_zones) {
  const int split = SplitCount(net, split_zones);
  // Index of TNTP node number where a link or trip arrives.
  auto arrival = [&net, split](int node) { return node <= split ? net.nodes + node - 1 : node - 1; };

  InputFile input;
  input.run = run;
  input.node_num = net.nodes + split;

  std::vector<const TntpTrip*> kept;
  for (const TntpTrip& trip : trips.entries) {
    // A volume that the program reads as zero would be a pair without demand.
    // The program reads the text straight into single precision; rounding the
    // double-precision value once more may round the other way.
    if (trip.origin != trip.dest && std::strtof(trip.volume.text.c_str(), nullptr) != 0.0f) kept.push_back(&trip);
  }
  std::stable_sort(kept.begin(), kept.end(), [](const TntpTrip* x, const TntpTrip* y) {
    return x->origin != y->origin ? x->origin < y->origin : x->dest < y->dest;
  });
  for (const TntpTrip* trip : kept) {
    input.ods.push_back(InputOd{trip->origin - 1, arrival(trip->dest), trip->volume.text});
  }

  for (const TntpLink& link : net.links) {
    input.links.push_back(InputLink{link.tail - 1, arrival(link.head), link.free_flow_time.text,
                                    link.capacity.text, link.b.text, link.power.text});
  }
  return input;
}

Status CheckTables(const InputFile& input) {
  struct Table {
    long long count;
    int capacity;
    const char* what;
    const char* option;
  };
  const Table tables[] = {
      {static_cast<long long>(input.links.size()), MaxLinks, "links", "FW_MAX_LINKS"},
      {input.node_num, MaxNodes, "nodes", "FW_MAX_NODES"},
      {static_cast<long long>(input.ods.size()), MaxOdpairs, "OD pairs", "FW_MAX_ODPAIRS"},
  };
  std::string counts;
  std::string raise;
  for (const Table& table : tables) {
    counts += (counts.empty() ? "" : ", ") + std::to_string(table.count) + " " + table.what +
              " (table holds " + std::to_string(table.capacity) + ")";
    if (table.count > table.capacity) {
      raise += std::string(raise.empty() ? "" : " ") + "-D" + table.option + "=" + std::to_string(table.count);
    }
  }
  if (raise.empty()) return Status::Ok();
  return Status::Fail("network too large for the program's tables: " + counts +
                      "; rebuild with the CMake options " + raise);
}

void WriteInput(const InputFile& input, std::ostream& stream) {
  stream << input.run.max_error << ' ' << input.run.object_error << ' ' << input.run.max_iteration << ' '
      << input.links.size() << ' ' << input.node_num << ' ' << input.ods.size() << '\n';
  for (const InputOd& od : input.ods) {
    stream << od.origin << ' ' << od.dest << ' ' << od.volume << '\n';
  }
  for (std::size_t k = 0; k < input.links.size(); ++k) {
    const InputLink& link = input.links[k];
    stream << k << ' ' << link.tail << ' ' << link.head << ' ' << link.t0 << ' ' << link.capacity << ' '
        << link.a << ' ' << link.b << " 1\n";
  }
}

}  // namespace fw
