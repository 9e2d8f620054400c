// The reset of the network tables, which lets one process solve many
// networks (the tests, the fuzz target) as if each ran in a fresh program.
#include <gtest/gtest.h>

#include <cstring>

#include "network/tables.h"
#include "paths/label_setting.h"
#include "paths/loading.h"
#include "paths/passes.h"
#include "paths/route_tree.h"

namespace fw {
namespace {

template <typename T, std::size_t N>
void Fill(T (&table)[N]) {
  std::memset(table, 0x5a, sizeof table);
}

// A work-state struct filled with junk, and the test that it is all zero.
template <typename State>
void FillState(State* state) {
  std::memset(static_cast<void*>(state), 0x5a, sizeof *state);
}

template <typename State>
bool StateZero(const State& state) {
  const unsigned char* bytes = reinterpret_cast<const unsigned char*>(&state);
  for (std::size_t i = 0; i < sizeof state; ++i) {
    if (bytes[i] != 0) return false;
  }
  return true;
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
// to its start value, zero, whatever it held; so does the route trees' and
// loadings' work state.
TEST(ResetTables, EverythingReturnsToZero) {
  LinkNumber = NodeNum = OdpairNum = MaxIteration = 7;
  MaxError = ObjectError = theta = dif_theta = direction_search_time = line_search_time = TransLinkVolume = 7.0f;
  Fill(Origin), Fill(Dest), Fill(TripVol);
  Fill(LinkNum), Fill(LinkOrigin), Fill(LinkDest), Fill(TravelTime), Fill(Capacity);
  Fill(a), Fill(b), Fill(LinkCFType), Fill(LinkVolume), Fill(LinkCost), Fill(New_LinkVol);
  Fill(TimeToNode), Fill(ProLinkNumber), Fill(tempnode);
  SearchCount = 7;
  FillState(&Trees), FillState(&PassWork), FillState(&LabelWork), FillState(&Loading);
  Fill(LinkPowers);
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
  EXPECT_EQ(SearchCount, 0);
  EXPECT_TRUE(StateZero(Trees) && StateZero(PassWork) && StateZero(LabelWork) && StateZero(Loading));
  EXPECT_TRUE(AllZero(LinkPowers));
  EXPECT_TRUE(AllZero(SearchLinks) && AllZero(SearchMoves) && AllZero(SearchFixed));
  EXPECT_EQ(out, nullptr);
  EXPECT_EQ(myout, nullptr);
}

}  // namespace
}  // namespace fw
