// Literal references for the optimised routines: the plain pass method for
// route trees, the loadings with one tree per pair or per run of pairs, and
// the run as first written. Differential and end-to-end tests hold the
// program to them bit for bit.
#ifndef FW_TESTS_REFERENCE_REFERENCE_H
#define FW_TESTS_REFERENCE_REFERENCE_H

#include "network/status.h"

namespace fw {

// LinkCostFunction, LinkCostUpdate, ObjectValue and Differential, each
// taking its powers with std::pow directly.
float PlainLinkCostFunction(int l);
void PlainLinkCostUpdate();
float PlainObjectValue();
float PlainDifferential(float step, int l);

// mcr by full passes over the link list. Reads and writes what mcr does.
void PlainMcr(int origin);

// AllOrNothing on a PlainMcr tree: one tree for this pair.
Status PlainAllOrNothing(int od);

// The auxiliary loading with one PlainMcr tree per run of consecutive pairs
// that share an origin.
Status PlainLoadNewLinkVol();

// Bi_Section summing PlainDifferential over every link at every midpoint.
float PlainBi_Section();

// Assign on PlainLoadNewLinkVol and PlainBi_Section.
Status PlainAssign();

// The whole run on the routines above, with the objective evaluated at every
// point the run sequence names it. OutPut still takes the program's ObjectValue.
Status PlainRun();

}  // namespace fw

#endif  // FW_TESTS_REFERENCE_REFERENCE_H
