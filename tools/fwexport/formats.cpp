// The written forms of an assignment. Volumes and costs keep the digits of the
// result file (six and three decimals), so a flow file read back gives the
// result's volumes exactly; capacities, free-flow times and coordinates are
// the text of the net and node files.
#include <cstdio>
#include <string>

#include "tools/fwexport/export.h"

namespace fw {

// The result file's own formats for a volume and a cost.
static std::string Volume(double volume) {
  char text[64];
  std::snprintf(text, sizeof text, "%.6f", volume);
  return text;
}

static std::string Cost(double cost) {
  char text[64];
  std::snprintf(text, sizeof text, "%.3f", cost);
  return text;
}

static std::string Saturation(double saturation) {
  char text[64];
  std::snprintf(text, sizeof text, "%.6g", saturation);
  return text;
}

void WriteFlowFile(const Assignment& assignment, std::ostream& stream) {
  stream << "From \tTo \tVolume \tCost \n";
  for (const ExportLink& link : assignment.links) {
    stream << link.net->tail << " \t" << link.net->head << " \t" << Volume(link.volume) << " \t" << Cost(link.cost)
        << " \n";
  }
}

// The columns of the CSV and the GeoJSON properties, in order.
static const char* const kColumns[] = {"link", "from", "to", "capacity", "free_flow_time", "volume", "cost",
                                       "volume_capacity"};

// Link k's values in the order of kColumns; all are numbers, so no CSV field needs quotes.
static std::vector<std::string> Values(const ExportLink& link, std::size_t k) {
  return {std::to_string(k + 1),      std::to_string(link.net->tail), std::to_string(link.net->head),
          link.net->capacity.text,    link.net->free_flow_time.text,  Volume(link.volume),
          Cost(link.cost),            Saturation(link.saturation)};
}

void WriteCsvFile(const Assignment& assignment, std::ostream& stream) {
  for (const char* column : kColumns) stream << (column == kColumns[0] ? "" : ",") << column;
  stream << "\r\n";
  for (std::size_t k = 0; k < assignment.links.size(); ++k) {
    const std::vector<std::string> values = Values(assignment.links[k], k);
    for (std::size_t c = 0; c < values.size(); ++c) stream << (c == 0 ? "" : ",") << values[c];
    stream << "\r\n";
  }
}

void WriteGeoJsonFile(const Assignment& assignment, const NodeFile& nodes, std::ostream& stream) {
  stream << "{\"type\":\"FeatureCollection\",\"features\":[";
  for (std::size_t k = 0; k < assignment.links.size(); ++k) {
    const ExportLink& link = assignment.links[k];
    const NodePoint& from = nodes.nodes.at(link.net->tail);
    const NodePoint& to = nodes.nodes.at(link.net->head);
    stream << (k == 0 ? "\n" : ",\n") << "{\"type\":\"Feature\",\"properties\":{";
    const std::vector<std::string> values = Values(link, k);
    for (std::size_t c = 0; c < values.size(); ++c) stream << (c == 0 ? "\"" : ",\"") << kColumns[c] << "\":" << values[c];
    stream << "},\"geometry\":{\"type\":\"LineString\",\"coordinates\":[[" << from.x.text << "," << from.y.text << "],["
        << to.x.text << "," << to.y.text << "]]}}";
  }
  stream << "\n]}\n";
}

}  // namespace fw
