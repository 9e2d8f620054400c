// Fuzz target: arbitrary bytes as the result file fwgap judges, read against
// a fixed network. A file the reader accepts holds one finite volume of 0 or
// more and one finite cost per link, and its figures are computed or refused
// in one line.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>

#include "fuzz/fuzz_support.h"
#include "tools/fwgap/gap.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const bool read = fw::ReadInputText(fw::VolumeNetwork).ok;
  fw::Require(read);
  std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
  fw::ResultFile result;
  fw::Status s = fw::ReadResultFile(in, "result.txt", fw::LinkNumber, &result);
  if (!s.ok) {
    fw::RequireOneLine(s.message);
    return 0;
  }
  fw::Require(std::isfinite(result.objective));
  fw::Require(static_cast<int>(result.volume.size()) == fw::LinkNumber);
  fw::Require(static_cast<int>(result.cost.size()) == fw::LinkNumber);
  for (int l = 0; l < fw::LinkNumber; ++l) {
    const std::size_t k = static_cast<std::size_t>(l);
    fw::Require(std::isfinite(result.volume[k]) && result.volume[k] >= 0.0 && std::isfinite(result.cost[k]));
  }
  fw::GapFigures figures;
  s = fw::ComputeGap(result.volume, "input.txt", &figures);
  if (!s.ok) {
    fw::RequireOneLine(s.message);
    return 0;
  }
  fw::Require(figures.demand == 150.5 && figures.tstt >= 0.0 && figures.sptt >= 0.0);
  return 0;
}
