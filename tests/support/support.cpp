// Shared test helpers over the network tables.
#include "support/support.h"

#include <cstdio>
#include <cstring>

#include "network/network.h"
#include "network/tables.h"

namespace fw {

int Draw(std::mt19937& mt, int n) { return static_cast<int>(mt() % static_cast<std::uint32_t>(n)); }

std::uint32_t Bits(float x) {
  std::uint32_t bits;
  std::memcpy(&bits, &x, sizeof bits);
  return bits;
}

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

void AddTwoLinks() {
  NodeNum = 2;
  AddLink(0, 1, 10.0f, 50.0f, 0.15f, 4.0f, 1.0f);
  AddLink(0, 1, 20.0f, 80.0f, 0.15f, 4.0f, 1.0f);
  AddOdPair(0, 1, 100.0f);
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
