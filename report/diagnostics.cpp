// Developer diagnostics: dumps of the link records, of a route tree and of an
// incremental loading on standard output, each waiting for a key. The run
// never calls them; two of them end the process, as their contract says.
#include <cstdio>
#include <cstdlib>
#include <iomanip>
#include <iostream>

#include "network/tables.h"
#include "paths/paths.h"
#include "performance/performance.h"
#include "report/report.h"

namespace fw {

void ReadNetInfoTest() {
  std::printf("LinkNum[count],LinkOrigin[count],LinkDest[count],TravelTime[count],Capacity[count]");
  for (int l = 0; l < LinkNumber; ++l) {
    std::printf("\n %d, %d, %d, %.2f, %.2f", LinkNum[l], LinkOrigin[l], LinkDest[l],
                static_cast<double>(TravelTime[l]), static_cast<double>(Capacity[l]));
    std::getchar();
  }
  std::getchar();
}

void mcrTest() {
  mcr(0);
  std::printf(" Initial MCR result \n node#, time from origin, preceding link#,  NextLinkNum#");
  std::getchar();
  std::exit(1);
}

void AllOrNothingTest() {
  for (int od = 0; od < OdpairNum; ++od) {
    // Deliberate: costs follow the volumes loaded so far, unlike the run's initial loading.
    LinkCostUpdate();
    const Status s = AllOrNothing(od);
    if (!s.ok) {
      std::fprintf(stderr, "%s\n", s.message.c_str());
      std::exit(1);
    }
  }
  LinkCostUpdate();
  // Korean captions: link number, link traffic volume, link travel time.
  std::printf(" \xc2\xb8\xc2\xb5\xc3\x85\xc2\xa9\xc2\xb9\xc3\xb8\xc3\x88\xc2\xa3    "
              "\xc2\xb8\xc2\xb5\xc3\x85\xc2\xa9\xc2\xb1\xc2\xb3\xc3\x85\xc3\xab\xc2\xb7\xc2\xae     "
              "\xc2\xb8\xc2\xb5\xc3\x85\xc2\xa9\xc3\x85\xc3\xab\xc3\x87\xc3\xa0\xc2\xbd\xc3\x83\xc2\xb0\xc2\xa3 \n");
  std::fflush(stdout);
  for (int l = 0; l < LinkNumber; ++l) {
    // Width applies to the next item only; precision 2 is two significant digits.
    std::cout << std::setw(3) << std::setprecision(2) << l << std::setw(3) << LinkVolume[l] << std::setw(3)
              << LinkCost[l] << "\n";
  }
  std::cout.flush();
  std::getchar();
  std::exit(1);
}

}  // namespace fw
