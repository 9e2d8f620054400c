// fwgap's figures: how close a result file is to equilibrium, recomputed in
// double precision from its link volumes on the network of an input file, and
// how far it lies from best-known volumes given in a TNTP flow file.
#ifndef FW_TOOLS_FWGAP_GAP_H
#define FW_TOOLS_FWGAP_GAP_H

#include <istream>
#include <string>
#include <vector>

#include "network/status.h"

namespace fw {

// ---- Link terms, in double precision --------------------------------------------
// Cost of link l at volume v: the program's three families with the penalty
// conditions of its cost function. Reads the attribute tables of link l; writes nothing.
double GapLinkCost(int l, double v);

// Link l's term of the objective at volume v: the integral of its cost from 0
// to v, or the family's penalty where the program's objective charges one.
// Reads the attribute tables of link l; writes nothing.
double GapObjectiveTerm(int l, double v);

// The objective of one volume per link, added in link order. Reads LinkNumber
// and the link attribute tables; writes nothing.
double GapObjective(const std::vector<double>& volume);

// ---- Convergence figures ------------------------------------------------------------
struct GapFigures {
  double demand = 0.0;          // total trips of all OD pairs
  double tstt = 0.0;            // total system travel time: volume times cost, summed over links
  double sptt = 0.0;            // shortest-path total: trips times least route cost, summed over pairs
  double relative_gap = 0.0;    // (tstt - sptt) / tstt
  double average_excess = 0.0;  // (tstt - sptt) / demand
  double objective = 0.0;       // GapObjective of the volumes
  double node_imbalance = 0.0;  // largest |outflow - inflow - trips leaving + trips arriving| at a node
};

// The figures of `volume` (one entry per link) on the network in the tables,
// with link costs recomputed from the volumes. Fails, naming the input file
// `input`, when a cost is negative or not finite or a destination has no route.
// Reads the count, OD and link attribute tables; writes nothing.
Status ComputeGap(const std::vector<double>& volume, const std::string& input, GapFigures* figures);

// ---- Files ---------------------------------------------------------------------------
// Reads the input file `name` into the tables with the program's own reader and checks.
Status ReadInputFile(const std::string& name);

// What the program's result file holds.
struct ResultFile {
  double objective = 0.0;     // the objective on the first line
  std::vector<double> volume;  // volume column, one entry per link
  std::vector<double> cost;    // printed cost column, one entry per link
};

// Reads a result file that must hold exactly `links` link lines numbered 0 up.
// `name` names the file in messages ("name:line: what is wrong").
Status ReadResultFile(std::istream& in, const std::string& name, int links, ResultFile* result);

// Reads the volumes of a TNTP flow file ("From To Volume Cost" lines in TNTP
// link order) and checks them against the links in the tables: the same count,
// and each line's From and To matching the link's tail and head (a head may
// instead be a node beyond the file's node numbers: a zone split in two).
// Reads LinkNumber, LinkOrigin, LinkDest; writes nothing.
Status ReadFlowFile(std::istream& in, const std::string& name, const std::string& input, std::vector<double>* volume);

// ---- Distance to best-known volumes ---------------------------------------------------
struct FlowDistance {
  double best_objective = 0.0;        // GapObjective of the best-known volumes
  double largest_difference = 0.0;    // largest |volume - best| over links
  double mean_difference = 0.0;       // mean |volume - best| over links
  double objective_difference = 0.0;  // (objective - best objective) / best objective
};

// Compares `volume` with `best`, both one entry per link.
// Reads LinkNumber and the link attribute tables; writes nothing.
FlowDistance CompareFlows(const std::vector<double>& volume, const std::vector<double>& best);

// num / den, but 0 when num is 0 (a network without trips or without cost has no gap).
double Ratio(double num, double den);

}  // namespace fw

#endif  // FW_TOOLS_FWGAP_GAP_H
