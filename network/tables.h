// The network tables: every value the program knows, from the input counts to
// the solver's latest step. They are process-wide, fixed-size arrays, zero at
// start and alive until exit; every procedure reads and writes them by index.
// Read this file first: the rest of the program is procedures over these tables.
#ifndef FW_NETWORK_TABLES_H
#define FW_NETWORK_TABLES_H

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
extern int tempnode[MaxNodes];       // the passes' scan mark (0 scan, 1 idle, 2 improved); 1 everywhere once a tree ends

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
extern int SearchPowers[MaxLinks];     // the whole exponent 0 to 16 of a moving power-law term, -1 if not taken by squaring
extern long long EstimatedSigns;       // bisection signs taken from bounds on the terms, since the process started
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

// Puts every table, count and solver value back as at program start (zero),
// and the route trees' and loadings' work state with them, for code that
// solves many networks in one process (the tests, the fuzz target). Forgets
// the output files without closing them.
void ResetTables();

}  // namespace fw

#endif  // FW_NETWORK_TABLES_H
