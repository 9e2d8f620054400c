// Shared test helpers over the network tables.
#include "support/support.h"

#include <cstdio>
#include <cstring>

#include "network/network.h"
#include "network/tables.h"

namespace fw {

template <typename T, std::size_t N>
static void Zero(T (&table)[N]) {
  std::memset(table, 0, sizeof table);
}

void ResetTables() {
  LinkNumber = NodeNum = OdpairNum = 0;
  MaxError = ObjectError = 0.0f;
  MaxIteration = 0;
  Zero(Origin), Zero(Dest), Zero(TripVol);
  Zero(LinkNum), Zero(LinkOrigin), Zero(LinkDest), Zero(TravelTime), Zero(Capacity);
  Zero(a), Zero(b), Zero(LinkCFType), Zero(LinkVolume), Zero(LinkCost), Zero(New_LinkVol);
  Zero(TimeToNode), Zero(ProLinkNumber), Zero(tempnode);
  RunCount = 0;
  Zero(RunFirst), Zero(RunTail), Zero(NodeRunFirst), Zero(NodeRuns), Zero(PassRuns), Zero(TreeLinks), Zero(TreeNodes), Zero(ScanNodes), Zero(ImprovedNodes);
  KeptTreeSlots = MaxKeptTrees;
  Zero(KeptTreeOf), Zero(KeptTreeOrigin), Zero(KeptRoute);
  Zero(LinkPowers);
  SearchCount = 0;
  Zero(SearchLinks), Zero(SearchMoves), Zero(SearchFixed);
  theta = dif_theta = direction_search_time = line_search_time = TransLinkVolume = 0.0f;
  out = myout = nullptr;
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

Status ReadText(const std::string& text) {
  std::FILE* in = std::tmpfile();
  std::fwrite(text.data(), 1, text.size(), in);
  std::rewind(in);
  Status s = ReadNetInfoFrom(in, "input.txt");
  std::fclose(in);
  return s;
}

}  // namespace fw
