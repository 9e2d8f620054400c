// Fuzz target: arbitrary bytes as the TNTP flow file fwgap compares a result
// with, read against a fixed network. Volumes the reader accepts are one
// finite value of 0 or more per link, and compare with themselves as equal.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

#include "fuzz/fuzz_support.h"
#include "tools/fwgap/gap.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const bool read = fw::ReadInputText(fw::VolumeNetwork).ok;
  fw::Require(read);
  std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
  std::vector<double> volume;
  const fw::Status s = fw::ReadFlowFile(in, "flow.tntp", "input.txt", &volume);
  if (!s.ok) {
    fw::RequireOneLine(s.message);
    return 0;
  }
  fw::Require(static_cast<int>(volume.size()) == fw::LinkNumber);
  for (const double v : volume) fw::Require(std::isfinite(v) && v >= 0.0);
  const fw::FlowDistance d = fw::CompareFlows(volume, volume);
  fw::Require(d.largest_difference == 0.0 && d.mean_difference == 0.0);
  return 0;
}
