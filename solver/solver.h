// The equilibrium iteration: line search, the Frank-Wolfe step, the stopping
// test and the whole run.
#ifndef FW_SOLVER_SOLVER_H
#define FW_SOLVER_SOLVER_H

#include "network/status.h"

namespace fw {

// The larger of two reals: the first when it is strictly greater, else the
// second. Max(x, -x) is the magnitude of x throughout the solver.
inline float Max(float first, float second) { return first > second ? first : second; }
// The smaller of two reals: the second when the first is strictly greater, else the first.
inline float Min(float first, float second) { return first > second ? second : first; }

// Step size in (0, 1) where the summed line derivative changes sign, by 20
// bisections. Reads LinkVolume, New_LinkVol and the link attributes; writes
// dif_theta (the sum at the returned step), line_search_time, the line search
// work tables and the power memo.
float Bi_Section();

// The same contract by the secant method; the run does not use it.
// Writes line_search_time.
float Secant();

// One Frank-Wolfe step: auxiliary loading on the current costs, bisection,
// the non-negativity limit, the volume update and the transferred volume.
// `iteration` is the 1-based step number, accepted and not used. Writes
// New_LinkVol, LinkVolume, theta, TransLinkVolume and, through what it calls,
// dif_theta, line_search_time, direction_search_time and the node tables.
Status Assign(int iteration);

// The stopping test: 1 when the transferred volume is within MaxError, or the
// relative change of the objective from `previous` is within ObjectError
// percent; else 0. Reads MaxError, ObjectError, TransLinkVolume and the volumes.
int Convergence(float previous);
// The same test with the objective of the current volumes given as `current`.
int Convergence(float previous, float current);

// One iteration of the run after its stopping test: refuses negative link
// costs, takes the Frank-Wolfe step numbered `iteration` (1-based), evaluates
// the costs of the new volumes and their objective into *objective, and
// refuses them if anything is no longer finite (CheckFinite). Writes what
// Assign and LinkCostUpdate write.
Status Advance(int iteration, float* objective);

// Refuses a state that is no longer finite: the first link with a non-finite
// volume, else the first with a non-finite cost, else a non-finite `objective`
// (the current ObjectValue), naming the link where its sum turns non-finite.
// `when` names the moment, for the message. Reads LinkVolume, LinkCost, the
// link attributes; writes nothing.
Status CheckFinite(float objective, const char* when);

// The run from a network just read up to its run log: the costs at zero
// volume, checked (CheckLinkCosts); every pair loaded all-or-nothing on them;
// the objective of those volumes into *objective, checked (CheckFinite).
// Writes LinkCost, LinkVolume and what the loading writes.
Status LoadInitial(float* objective);

// The run log from the initial volumes, whose objective is `objective`: the
// iteration-0 line, Frank-Wolfe steps (Advance) until the stopping test holds
// or `most_steps` are taken, and the stop reason. Writes what Advance writes.
Status Iterate(float objective, int most_steps);

// The whole run: read the input, load, iterate, write the run log and the
// result file. The only caller is the program entry, which prints a failure.
Status Run();

}  // namespace fw

#endif  // FW_SOLVER_SOLVER_H
