// Definitions of the network tables. Static storage makes every entry zero at
// program start without running any code.
#include "network/tables.h"

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

int RunCount;
int RunFirst[MaxLinks + 1];
int RunTail[MaxLinks];
int NodeRunFirst[MaxNodes + 1];
int NodeRuns[MaxLinks];
std::uint64_t PassRuns[RunWords];
int ScanNodes[MaxNodes];
int ImprovedNodes[MaxNodes];
TreeLink TreeLinks[MaxLinks];
TreeNode TreeNodes[MaxNodes + 1];

int KeptTreeSlots = MaxKeptTrees;
int KeptTreeOf[MaxNodes];
int KeptTreeOrigin[MaxKeptTrees];
KeptStep KeptRoute[MaxKeptTrees][MaxNodes];

PowerMemo LinkPowers[MaxLinks];

int SearchCount;
int SearchLinks[MaxLinks];
bool SearchMoves[MaxLinks];
float SearchFixed[MaxLinks];

float theta;
float dif_theta;
float direction_search_time;
float line_search_time;
float TransLinkVolume;

std::FILE* out;
std::FILE* myout;

}  // namespace fw
