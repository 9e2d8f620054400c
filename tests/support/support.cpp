// Shared test helpers over the network tables.
#include "support/support.h"

#include <cstdio>

#include "network/network.h"
#include "network/tables.h"

namespace fw {

void AddLink(int tail, int head, float t0, float capacity, float coef, float power, float type) {
  const int l = LinkNumber++;
  LinkNum[l] = l;
  LinkOrigin[l] = tail;
  LinkDest[l] = head;
  TravelTime[l] = t0;
  Capacity[l] = capacity;
  a[l] = coef;
  b[l] = power;
  LinkCFType[l] = type;
}

void AddOdPair(int origin, int dest, float trips) {
  const int od = OdpairNum++;
  Origin[od] = origin;
  Dest[od] = dest;
  TripVol[od] = trips;
}

Status ReadText(const std::string& text) {
  std::FILE* in = std::tmpfile();
  std::fwrite(text.data(), 1, text.size(), in);
  std::rewind(in);
  Status s = ReadNetInfoFrom(in, "input.txt");
  std::fclose(in);
  return s;
}

}  // namespace fw
