// Fuzz target: arbitrary bytes as the node file that fwexport and fwplot
// place links by (a TNTP node file or a GeoJSON file of points). A file the
// reader accepts names at least one node, each at a line of the file, and the
// check for planar coordinates answers in one line or not at all.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz/fuzz_support.h"
#include "tools/fwexport/export.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  fw::NodeFile nodes;
  const fw::Status s = fw::ReadNodeText(text, "nodes.tntp", &nodes);
  if (!s.ok) {
    fw::RequireOneLine(s.message);
    return 0;
  }
  fw::Require(!nodes.nodes.empty());
  for (const auto& node : nodes.nodes) fw::Require(node.second.line >= 1);
  const std::string planar = fw::PlanarReason(nodes);
  if (!planar.empty()) fw::RequireOneLine(planar);
  return 0;
}
