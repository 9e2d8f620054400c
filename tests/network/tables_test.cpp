// The reset of the network tables, which lets one process solve many
// networks (the tests, the fuzz target) as if each ran in a fresh program.
#include <gtest/gtest.h>

#include <cstring>

#include "network/tables.h"

namespace fw {
namespace {

template <typename T, std::size_t N>
void Fill(T (&table)[N]) {
  std::memset(table, 0x5a, sizeof table);
}

template <typename T, std::size_t N>
bool AllZero(const T (&table)[N]) {
  const unsigned char* bytes = reinterpret_cast<const unsigned char*>(table);
  for (std::size_t i = 0; i < sizeof table; ++i) {
    if (bytes[i] != 0) return false;
  }
  return true;
}

// Every table, count, run parameter, solver value and file handle goes back
// to its start value, zero but for the kept-tree slots, whatever it held.
TEST(ResetTables, EverythingReturnsToZero) {
  LinkNumber = NodeNum = OdpairNum = MaxIteration = 7;
  MaxError = ObjectError = theta = dif_theta = direction_search_time = line_search_time = TransLinkVolume = 7.0f;
  Fill(Origin), Fill(Dest), Fill(TripVol);
  Fill(LinkNum), Fill(LinkOrigin), Fill(LinkDest), Fill(TravelTime), Fill(Capacity);
  Fill(a), Fill(b), Fill(LinkCFType), Fill(LinkVolume), Fill(LinkCost), Fill(New_LinkVol);
  Fill(TimeToNode), Fill(ProLinkNumber), Fill(tempnode);
  RunCount = SearchCount = KeptTreeSlots = 7;
  Fill(RunFirst), Fill(RunTail), Fill(NodeRunFirst), Fill(NodeRuns), Fill(PassRuns), Fill(TreeLinks), Fill(TreeNodes);
  Fill(ScanNodes), Fill(ImprovedNodes), Fill(KeptTreeOf), Fill(KeptTreeOrigin), Fill(KeptRoute), Fill(LinkPowers);
  Fill(SearchLinks), Fill(SearchMoves), Fill(SearchFixed);
  out = myout = stderr;
  ResetTables();
  EXPECT_EQ(LinkNumber + NodeNum + OdpairNum + MaxIteration, 0);
  for (const float value : {MaxError, ObjectError, theta, dif_theta, direction_search_time, line_search_time, TransLinkVolume}) {
    EXPECT_EQ(value, 0.0f);
  }
  EXPECT_TRUE(AllZero(Origin) && AllZero(Dest) && AllZero(TripVol));
  EXPECT_TRUE(AllZero(LinkNum) && AllZero(LinkOrigin) && AllZero(LinkDest) && AllZero(TravelTime) && AllZero(Capacity));
  EXPECT_TRUE(AllZero(a) && AllZero(b) && AllZero(LinkCFType) && AllZero(LinkVolume) && AllZero(LinkCost) &&
              AllZero(New_LinkVol));
  EXPECT_TRUE(AllZero(TimeToNode) && AllZero(ProLinkNumber) && AllZero(tempnode));
  EXPECT_EQ(RunCount + SearchCount, 0);
  EXPECT_EQ(KeptTreeSlots, MaxKeptTrees);  // all slots, as at start
  EXPECT_TRUE(AllZero(RunFirst) && AllZero(RunTail) && AllZero(NodeRunFirst) && AllZero(NodeRuns) && AllZero(PassRuns) &&
              AllZero(TreeLinks) && AllZero(TreeNodes));
  EXPECT_TRUE(AllZero(ScanNodes) && AllZero(ImprovedNodes) && AllZero(KeptTreeOf) && AllZero(KeptTreeOrigin) &&
              AllZero(KeptRoute) && AllZero(LinkPowers));
  EXPECT_TRUE(AllZero(SearchLinks) && AllZero(SearchMoves) && AllZero(SearchFixed));
  EXPECT_EQ(out, nullptr);
  EXPECT_EQ(myout, nullptr);
}

}  // namespace
}  // namespace fw
