// The route tree by the plain pass method: every pass examines every link.
// The program's mcr must give the same labels and predecessors.
#include "network/network.h"
#include "network/tables.h"
#include "reference/reference.h"

namespace fw {

void PlainMcr(int origin) {
  const std::clock_t start = ProcessClock();
  for (int n = 0; n < NodeNum; ++n) {
    tempnode[n] = 1;
    TimeToNode[n] = Unreached;
  }
  TimeToNode[origin] = 0.0f;
  ProLinkNumber[origin] = RootMark;
  tempnode[origin] = 0;
  int improved;
  do {
    improved = 0;
    for (int l = 0; l < LinkNumber; ++l) {
      const int i = LinkOrigin[l];
      const int j = LinkDest[l];
      if (tempnode[i] != 0) continue;
      const float label = TimeToNode[i] + LinkCost[l];
      if (TimeToNode[j] > label) {
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
