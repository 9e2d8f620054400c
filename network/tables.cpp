// Definitions of the network tables, and their reset to the state at program
// start. Static storage makes every entry zero at start without running any code.
#include "network/tables.h"

#include <cstring>

#include "paths/paths.h"

namespace fw {

int LinkNumber;
int NodeNum;
int OdpairNum;

float MaxError;
float ObjectError;
int MaxIteration;

int Origin[MaxOdpairs];
int Dest[MaxOdpairs];
float TripVol[MaxOdpairs];

int LinkNum[MaxLinks];
int LinkOrigin[MaxLinks];
int LinkDest[MaxLinks];
float TravelTime[MaxLinks];
float Capacity[MaxLinks];
float a[MaxLinks];
float b[MaxLinks];
float LinkCFType[MaxLinks];
float LinkVolume[MaxLinks];
float LinkCost[MaxLinks];
float New_LinkVol[MaxLinks];

float TimeToNode[MaxNodes];
int ProLinkNumber[MaxNodes];
int tempnode[MaxNodes];

PowerMemo LinkPowers[MaxLinks];

int SearchCount;
int SearchLinks[MaxLinks];
bool SearchMoves[MaxLinks];
float SearchFixed[MaxLinks];
int SearchPowers[MaxLinks];
long long EstimatedSigns;
long long ExactSums;

float theta;
float dif_theta;
float direction_search_time;
float line_search_time;
float TransLinkVolume;

std::FILE* out;
std::FILE* myout;

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
  ResetPathsState();
  Zero(LinkPowers);
  SearchCount = 0;
  Zero(SearchLinks), Zero(SearchMoves), Zero(SearchFixed), Zero(SearchPowers);
  theta = dif_theta = direction_search_time = line_search_time = TransLinkVolume = 0.0f;
  out = myout = nullptr;
}

}  // namespace fw
