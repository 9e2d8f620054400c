// The route tree: a label-correcting method that scans the link list in
// passes. Which links a pass examines, and in what order, decides between
// equal-cost routes, so the rules below are kept exactly.
#include "network/network.h"
#include "network/tables.h"
#include "paths/paths.h"

namespace fw {

void mcr(int origin) {
  const std::clock_t start = ProcessClock();
  for (int n = 0; n < NodeNum; ++n) {
    tempnode[n] = 1;
    TimeToNode[n] = Unreached;
  }
  // Deliberate: ProLinkNumber of the other nodes is left as the last tree set it.
  TimeToNode[origin] = 0.0f;
  ProLinkNumber[origin] = RootMark;
  tempnode[origin] = 0;
  int improved;
  do {
    improved = 0;
    for (int l = 0; l < LinkNumber; ++l) {
      const int i = LinkOrigin[l];
      const int j = LinkDest[l];
      // Deliberate: the mark is read as it stands now, so a node improved
      // earlier in this pass is not scanned again until the next pass.
      if (tempnode[i] != 0) continue;
      const float label = TimeToNode[i] + LinkCost[l];
      if (TimeToNode[j] > label) {  // Deliberate: strict, the first of equal routes stays
        TimeToNode[j] = label;
        ProLinkNumber[j] = LinkNum[l];
        tempnode[j] = 2;
        ++improved;
      }
    }
    for (int n = 0; n < NodeNum; ++n) {
      if (tempnode[n] == 0) {
        tempnode[n] = 1;
      } else if (tempnode[n] == 2) {
        tempnode[n] = 0;
      }
    }
  } while (improved > 0);
  direction_search_time = static_cast<float>(ClockMs(start, ProcessClock()));
}

}  // namespace fw
