// The network tables: every value the program knows, from the input counts to
// the solver's latest step. They are process-wide, fixed-size arrays, zero at
// start and alive until exit; every procedure reads and writes them by index.
// Read this file first: the rest of the program is procedures over these tables.
#ifndef FW_NETWORK_TABLES_H
#define FW_NETWORK_TABLES_H

#include <algorithm>
#include <cfloat>
#include <cstdint>
#include <cstdio>
#include <limits>

// Results are defined to the bit in IEEE single precision evaluated as such;
// a platform with wider float registers must not build silently.
static_assert(std::numeric_limits<float>::is_iec559, "IEEE single precision required");
static_assert(FLT_EVAL_METHOD == 0, "float expressions must be evaluated in float");

#ifndef FW_MAX_LINKS
#define FW_MAX_LINKS 17000
#endif
#ifndef FW_MAX_NODES
#define FW_MAX_NODES 3700
#endif
#ifndef FW_MAX_ODPAIRS
#define FW_MAX_ODPAIRS 1500
#endif

namespace fw {

// ---- Capacities -----------------------------------------------------------
constexpr int MaxLinks = FW_MAX_LINKS;      // entries of every per-link table
constexpr int MaxNodes = FW_MAX_NODES;      // entries of every per-node table
constexpr int MaxOdpairs = FW_MAX_ODPAIRS;  // entries of every per-OD table

// ---- Constants shared by the cost function, objective and derivative -------
constexpr float Type0Penalty = 1000000.0f;     // cost of a type-0 link at or over capacity
constexpr float OtherPenalty = 100000.0f;      // cost of a third-family link at or over capacity
constexpr float Unreached = 100000000.0f;      // label of a node no route has reached
constexpr int RootMark = -1;                   // ProLinkNumber of the tree's origin

// ---- Counts -----------------------------------------------------------------
extern int LinkNumber;  // links in use
extern int NodeNum;     // nodes in use
extern int OdpairNum;   // OD pairs in use

// ---- Run parameters (input header) --------------------------------------------
extern float MaxError;     // tolerance on TransLinkVolume
extern float ObjectError;  // tolerance, percent, on the relative change of the objective
extern int MaxIteration;   // most Frank-Wolfe steps

// ---- Demand, one entry per OD pair ----------------------------------------------
extern int Origin[MaxOdpairs];     // origin node index
extern int Dest[MaxOdpairs];       // destination node index
extern float TripVol[MaxOdpairs];  // trips of the pair

// ---- Links, one entry per link ------------------------------------------------------
extern int LinkNum[MaxLinks];        // link number from the input; equals the position
extern int LinkOrigin[MaxLinks];     // tail node index
extern int LinkDest[MaxLinks];       // head node index
extern float TravelTime[MaxLinks];   // t0: free-flow travel time
extern float Capacity[MaxLinks];     // c: capacity
extern float a[MaxLinks];            // coefficient of the type-1 power term
extern float b[MaxLinks];            // exponent of the type-1 power term
extern float LinkCFType[MaxLinks];   // cost-function type code: 0.0, 1.0, anything else
extern float LinkVolume[MaxLinks];   // v: current link flow
extern float LinkCost[MaxLinks];     // cost at the current flow
extern float New_LinkVol[MaxLinks];  // y: auxiliary flow of the current step

// ---- Route tree from the most recent origin, one entry per node ----------------------
extern float TimeToNode[MaxNodes];   // best path cost from the origin; Unreached if none
extern int ProLinkNumber[MaxNodes];  // LinkNum of the last link of that path; RootMark at the origin
extern int tempnode[MaxNodes];       // scan mark: 0 scan this pass, 1 idle, 2 improved this pass

// ---- Route-tree work tables: the link list cut into runs by tail, and one pass --------
// A run is a maximal stretch of consecutive links with the same tail node.
constexpr int RunWords = (MaxLinks + 63) / 64;  // 64-bit words of the per-run pass bitmap
extern int RunCount;                        // runs of the link list
extern int RunFirst[MaxLinks + 1];          // first link of each run; RunFirst[RunCount] = LinkNumber
extern int RunTail[MaxLinks];               // tail node of each run's links
extern int NodeRunFirst[MaxNodes + 1];      // position in NodeRuns of each node's first run
extern int NodeRuns[MaxLinks];              // run indices grouped by tail node
extern std::uint64_t PassRuns[RunWords];    // runs to examine in the current pass; all clear between passes
extern int ScanNodes[MaxNodes];             // nodes marked 0 for a pass (the lists swap roles each pass)
extern int ImprovedNodes[MaxNodes];         // nodes marked 2 so far in a pass
constexpr int NodeWords = (MaxNodes + 63) / 64;  // 64-bit words of a per-node bitmap
extern bool LoopsLower;                     // some link from a node to itself has a negative cost
extern bool TailsAscend;                    // every node's links are consecutive, the tails ascend with the index, no loop lowers
extern std::uint64_t PassNodes[2][NodeWords];  // nodes to scan in this pass and the next; all clear between trees
struct TreeLink {  // a link as the route tree reads it, packed into one entry
  int head;        // LinkDest
  float cost;      // LinkCost when the index was built
  int number;      // LinkNum
};
struct TreeNode {  // a node's state during a tree, packed into one entry
  float time;      // TimeToNode
  int link;        // ProLinkNumber
  int improved;    // the latest pass that improved the label: the mark is 2 in that pass, 0 in the next
  int tail;        // the tail of that link, the node the route comes from (set with link)
};
extern TreeLink TreeLinks[MaxLinks];        // the links with the costs of the current loading
constexpr int SpareNode = MaxNodes;         // TreeNodes entry that takes the writes of links that improve nothing
extern TreeNode TreeNodes[MaxNodes + 1];    // the nodes of the tree being built, and the spare

// ---- Route trees from least labels: labels settled bucket by bucket ---------------------
// A bucket holds the labels in [k w, (k+1) w) for the bucket width w; the buckets form a
// ring of BucketMask + 1 lists, and an item waits in its list until its round comes.
constexpr int BucketRing = 1 << 16;                      // most lists in the ring
constexpr int MaxBucketItems = MaxLinks + MaxNodes + 2;  // items alive at once in one tree
extern int OutFirst[MaxNodes + 1];                 // first entry of each node's links in OutLinks
extern TreeLink OutLinks[MaxLinks];                // the links grouped by tail node, in index order within a node
extern float LeastPaidCost;                        // least link cost above 0 in TreeLinks; 0 if none
extern bool LabelsAllowed;                         // every cost in TreeLinks is finite and 0 or more
extern float BucketWidth;                          // w
extern double BucketsPerUnit;                      // 1 / w
extern int BucketMask;                             // lists in the ring (a power of two, 64 or more), less 1
extern int BucketHead[BucketRing];                 // first item of each list; -1 if empty
extern std::uint64_t BucketBits[BucketRing / 64];  // one bit per list: set while it holds items
extern int ItemNext[MaxBucketItems];               // next item in the same list; -1 at the end
extern int ItemNode[MaxBucketItems];               // node whose label the item carries
extern float ItemLabel[MaxBucketItems];            // the label it carries; stale once the node's label drops
extern float NextOffer[MaxNodes];                  // least offer into the node above its least label
extern float DangerLabel[MaxNodes];                // labels above it cannot decide any label or predecessor
extern int TightHead[MaxNodes];                    // first tight link into each node; -1 if none
extern int TightNext[MaxLinks];                    // next tight link into the same node; -1 at the end
extern int TightTail[MaxLinks];                    // tail of each tight link
extern float TightCost[MaxLinks];                  // cost of each tight link
extern int TightCount;                             // tight links recorded in this tree
extern int SettledNodes[MaxNodes];                 // reached nodes in the order they were settled
extern int SettledCount;                           // nodes in SettledNodes
extern int NeededMark[MaxNodes];                   // NeededStamp while the node is needed and not yet settled
extern int NeededStamp;                            // the mark of the current tree's needed nodes (1 or more)
enum class TreeMethod {  // how the route trees are built
  Chosen,                // by the passes or from least labels, whichever the first tree on the index shows cheaper
  Passes,                // always by the passes
  Labels,                // always from least labels (by the bounded passes where labels alone do not decide)
};
extern TreeMethod TreeMethodUsed;   // Chosen, except in tests
extern int TreesOnIndex;            // trees built since the link index was built
extern bool LabelsPay;              // the first tree on the index chose least labels
extern long long PassRelaxations;   // links relaxed by the first tree on each index (and by passes in link order), since the process started
extern long long LabelTrees;        // trees taken from least labels, since the process started
extern long long BoundedPassTrees;  // trees by the passes on the labels under DangerLabel
extern long long PassTrees;         // trees by all the passes
extern long long PartialTrees;      // trees from least labels settled only as far as their needed nodes

// ---- Trees kept through one loading, one slot per distinct origin ----------------------
constexpr int KeptTreeBudget = 1 << 23;  // most node entries kept at once (64 MiB)
constexpr int MaxKeptTrees = std::min({MaxOdpairs, MaxNodes, KeptTreeBudget / MaxNodes});  // slots
static_assert(MaxKeptTrees >= 1, "room for at least one kept tree");
constexpr int NotReached = -2;           // KeptStep link of a node the tree did not reach
struct KeptStep {  // one step of a kept tree's route back towards its origin
  int link;        // ProLinkNumber of the node; RootMark at the origin, NotReached if unreached
  int tail;        // LinkOrigin of that link: the node the route comes from
};
extern int KeptTreeSlots;                          // trees a loading keeps at once: MaxKeptTrees (tests use fewer)
extern int OriginDestFirst[MaxNodes + 1];          // first entry of each origin's destinations in OriginDests
extern int OriginDests[MaxOdpairs];                // the OD pairs' destinations grouped by origin
extern int KeptTreeOf[MaxNodes];                   // slot of the node's tree among the kept trees, or -1
extern int KeptTreeOrigin[MaxKeptTrees];           // origin of each kept tree
extern KeptStep KeptRoute[MaxKeptTrees][MaxNodes];  // each kept tree, one step per node

// ---- Power memo: the last power (v/c)^b taken for each link -----------------------------
struct PowerMemo {         // one link's last power, keyed by the exact bits of its arguments
  bool known;              // false until a power has been taken for the link
  std::uint32_t ratio;     // bits of the single-precision ratio it was taken of
  std::uint32_t exponent;  // bits of the exponent b it was taken with
  double power;            // std::pow of the two, widened to double
};
extern PowerMemo LinkPowers[MaxLinks];  // read and written by LinkPower only

// ---- Line search work tables: the terms of the bisection's derivative sums ---------------
extern int SearchCount;                // terms in each sum
extern int SearchLinks[MaxLinks];      // the link of each term, in index order
extern bool SearchMoves[MaxLinks];     // true: the term depends on the step; false: it is SearchFixed
extern float SearchFixed[MaxLinks];    // the term of a link whose volume does not move
extern int SearchPowers[MaxLinks];     // the whole exponent 0 to 16 of a moving power-law term, -1 if not estimated
extern bool SearchEstimates;           // the signs of the sums are estimated first (most moving terms can be)
extern long long EstimatedSigns;       // bisection signs taken from estimates, since the process started
extern long long ExactSums;            // bisection sums computed term by term, since the process started

// ---- Solver values reported in the run log ------------------------------------------
extern float theta;                  // step size of the latest step, after the non-negativity limit
extern float dif_theta;              // summed line derivative at the last bisection midpoint
extern float direction_search_time;  // milliseconds of the latest route tree
extern float line_search_time;       // milliseconds of the latest line search
extern float TransLinkVolume;        // volume moved by the latest step

// ---- Output files -------------------------------------------------------------------
extern std::FILE* out;    // the run log, open while the run writes it
extern std::FILE* myout;  // the result file's temporary, open while OutPut writes it

// Puts every table, count and solver value back as at program start (zero,
// and every kept-tree slot in use), for code that solves many networks in one
// process (the tests, the fuzz target). Forgets the output files without
// closing them.
void ResetTables();

}  // namespace fw

#endif  // FW_NETWORK_TABLES_H
