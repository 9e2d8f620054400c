// Definitions of the network tables, and their reset to the state at program
// start. Static storage makes every entry zero at start without running any code.
#include "network/tables.h"

#include <cstring>
#include <iterator>

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
bool LoopsLower;
bool TailsAscend;
std::uint64_t PassNodes[2][NodeWords];
TreeLink TreeLinks[MaxLinks];
TreeNode TreeNodes[MaxNodes + 1];
int OutFirst[MaxNodes + 1];
TreeLink OutLinks[MaxLinks];
float LeastPaidCost;
bool LabelsAllowed;
float BucketWidth;
double BucketsPerUnit;
int BucketMask;
int BucketHead[BucketRing];
std::uint64_t BucketBits[BucketRing / 64];
int ItemNext[MaxBucketItems];
int ItemNode[MaxBucketItems];
float ItemLabel[MaxBucketItems];
float NextOffer[MaxNodes];
float DangerLabel[MaxNodes];
int TightHead[MaxNodes];
int TightNext[MaxLinks];
int TightTail[MaxLinks];
float TightCost[MaxLinks];
int TightCount;
int SettledNodes[MaxNodes];
int SettledCount;
int NeededMark[MaxNodes];
int NeededStamp;
TreeMethod TreeMethodUsed = TreeMethod::Chosen;
int TreesOnIndex;
bool LabelsPay;
long long PassRelaxations;
long long LabelTrees;
long long BoundedPassTrees;
long long PassTrees;
long long PartialTrees;

int KeptTreeSlots = MaxKeptTrees;
int OriginDestFirst[MaxNodes + 1];
int OriginDests[MaxOdpairs];
int KeptTreeOf[MaxNodes];
int KeptTreeOrigin[MaxKeptTrees];
KeptStep KeptRoute[MaxKeptTrees][MaxNodes];

PowerMemo LinkPowers[MaxLinks];

int SearchCount;
int SearchLinks[MaxLinks];
bool SearchMoves[MaxLinks];
float SearchFixed[MaxLinks];
int SearchPowers[MaxLinks];
bool SearchEstimates;
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
  RunCount = 0;
  Zero(RunFirst), Zero(RunTail), Zero(NodeRunFirst), Zero(NodeRuns), Zero(PassRuns), Zero(TreeLinks), Zero(TreeNodes);
  Zero(ScanNodes), Zero(ImprovedNodes), Zero(PassNodes);
  LoopsLower = TailsAscend = false;
  Zero(OutFirst), Zero(OutLinks), Zero(ItemNext), Zero(ItemNode), Zero(ItemLabel), Zero(NextOffer), Zero(DangerLabel), Zero(BucketBits);
  Zero(TightHead), Zero(TightNext), Zero(TightTail), Zero(TightCost), Zero(SettledNodes);
  TightCount = SettledCount = 0;
  Zero(NeededMark);
  NeededStamp = 0;
  Zero(OriginDestFirst), Zero(OriginDests);
  LeastPaidCost = BucketWidth = 0.0f;
  BucketsPerUnit = 0.0;
  LabelsAllowed = false;
  BucketMask = 0;
  std::fill(std::begin(BucketHead), std::end(BucketHead), -1);
  TreesOnIndex = 0;
  LabelsPay = false;
  KeptTreeSlots = MaxKeptTrees;
  Zero(KeptTreeOf), Zero(KeptTreeOrigin), Zero(KeptRoute);
  Zero(LinkPowers);
  SearchCount = 0;
  Zero(SearchLinks), Zero(SearchMoves), Zero(SearchFixed), Zero(SearchPowers);
  SearchEstimates = false;
  theta = dif_theta = direction_search_time = line_search_time = TransLinkVolume = 0.0f;
  out = myout = nullptr;
}

}  // namespace fw
