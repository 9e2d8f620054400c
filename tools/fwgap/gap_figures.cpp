// The convergence figures of a set of link volumes: total system travel time,
// the shortest-path total from one Dijkstra tree per origin on the recomputed
// costs, the relative gap and average excess cost, the objective, the node
// flow balance, and the distance to best-known volumes.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <limits>
#include <queue>
#include <string>
#include <utility>

#include "network/tables.h"
#include "paths/paths.h"
#include "tools/fwgap/gap.h"

namespace fw {

namespace {

// Links by tail node: the links leaving node n are order[first[n] .. first[n+1]).
struct ForwardStar {
  std::vector<int> first;
  std::vector<int> order;
};

}  // namespace

// A table index as a vector subscript.
static std::size_t At(int index) { return static_cast<std::size_t>(index); }

// A figure as the report prints it.
static std::string Number(double x) {
  char text[32];
  std::snprintf(text, sizeof text, "%.10g", x);
  return text;
}

// Groups the links by tail node, keeping link order within a node. Reads
// NodeNum, LinkNumber, LinkOrigin; writes nothing.
static ForwardStar BuildForwardStar() {
  ForwardStar star{std::vector<int>(At(NodeNum) + 1), std::vector<int>(At(LinkNumber))};
  GroupByKey(LinkNumber, NodeNum, [](int l) { return LinkOrigin[l]; }, [](int l) { return l; }, star.first.data(),
             star.order.data());
  return star;
}

// Least route cost from `origin` to every node on `cost`; infinity where no route reaches.
static std::vector<double> LeastCosts(const ForwardStar& star, const std::vector<double>& cost, int origin) {
  const double unreached = std::numeric_limits<double>::infinity();
  std::vector<double> label(At(NodeNum), unreached);
  using Entry = std::pair<double, int>;
  std::priority_queue<Entry, std::vector<Entry>, std::greater<Entry>> heap;
  label[At(origin)] = 0.0;
  heap.push({0.0, origin});
  while (!heap.empty()) {
    const auto [d, node] = heap.top();
    heap.pop();
    if (d > label[At(node)]) continue;  // an entry superseded by a shorter route
    for (int k = star.first[At(node)]; k < star.first[At(node) + 1]; ++k) {
      const int l = star.order[At(k)];
      const double through = d + cost[At(l)];
      if (through < label[At(LinkDest[l])]) {
        label[At(LinkDest[l])] = through;
        heap.push({through, LinkDest[l]});
      }
    }
  }
  return label;
}

// The recomputed link costs; fails on a cost that route search cannot use.
static Status LinkCosts(const std::vector<double>& volume, const std::string& input, std::vector<double>* cost) {
  for (int l = 0; l < LinkNumber; ++l) {
    const double c = GapLinkCost(l, volume[At(l)]);
    if (!(c >= 0.0) || !std::isfinite(c)) {
      return Status::Fail(input + ": link " + std::to_string(l) + " (" + std::to_string(LinkOrigin[l]) + " -> " +
                          std::to_string(LinkDest[l]) + ") costs " + Number(c) + " at volume " + Number(volume[At(l)]) +
                          "; shortest routes need finite costs of 0 or more");
    }
    cost->push_back(c);
  }
  return Status::Ok();
}

// Trips times least route cost, summed over OD pairs in record order. Pairs
// are visited by origin so that each distinct origin needs one tree.
static Status ShortestPathTotal(const std::vector<double>& cost, const std::string& input, double* sptt) {
  const ForwardStar star = BuildForwardStar();
  std::vector<int> by_origin(At(OdpairNum));
  for (int od = 0; od < OdpairNum; ++od) by_origin[At(od)] = od;
  std::stable_sort(by_origin.begin(), by_origin.end(), [](int x, int y) { return Origin[x] < Origin[y]; });
  std::vector<double> least(At(OdpairNum));
  std::vector<double> tree;
  for (std::size_t k = 0; k < by_origin.size(); ++k) {
    const int od = by_origin[k];
    if (k == 0 || Origin[od] != Origin[by_origin[k - 1]]) tree = LeastCosts(star, cost, Origin[od]);
    least[At(od)] = tree[At(Dest[od])];
    if (std::isinf(least[At(od)])) {
      return Status::Fail(input + ": OD record " + std::to_string(od) + ": no route from node " + std::to_string(Origin[od]) +
                          " to node " + std::to_string(Dest[od]));
    }
  }
  *sptt = 0.0;
  for (int od = 0; od < OdpairNum; ++od) *sptt += static_cast<double>(TripVol[od]) * least[At(od)];
  return Status::Ok();
}

// The largest violation of flow conservation: at each node the volume leaving
// minus the volume arriving must equal the trips starting there minus those ending there.
static double NodeImbalance(const std::vector<double>& volume) {
  std::vector<double> excess(At(NodeNum), 0.0);
  for (int l = 0; l < LinkNumber; ++l) {
    excess[At(LinkOrigin[l])] += volume[At(l)];
    excess[At(LinkDest[l])] -= volume[At(l)];
  }
  for (int od = 0; od < OdpairNum; ++od) {
    excess[At(Origin[od])] -= static_cast<double>(TripVol[od]);
    excess[At(Dest[od])] += static_cast<double>(TripVol[od]);
  }
  double largest = 0.0;
  for (const double e : excess) largest = std::fmax(largest, std::fabs(e));
  return largest;
}

Status ComputeGap(const std::vector<double>& volume, const std::string& input, GapFigures* figures) {
  std::vector<double> cost;
  Status s = LinkCosts(volume, input, &cost);
  if (!s.ok) return s;
  GapFigures f;
  s = ShortestPathTotal(cost, input, &f.sptt);
  if (!s.ok) return s;
  for (int od = 0; od < OdpairNum; ++od) f.demand += static_cast<double>(TripVol[od]);
  for (int l = 0; l < LinkNumber; ++l) f.tstt += volume[At(l)] * cost[At(l)];
  f.relative_gap = Ratio(f.tstt - f.sptt, f.tstt);
  f.average_excess = Ratio(f.tstt - f.sptt, f.demand);
  f.objective = GapObjective(volume);
  f.node_imbalance = NodeImbalance(volume);
  *figures = f;
  return Status::Ok();
}

double Ratio(double num, double den) { return num == 0.0 ? 0.0 : num / den; }

FlowDistance CompareFlows(const std::vector<double>& volume, const std::vector<double>& best) {
  FlowDistance d;
  double total = 0.0;
  for (int l = 0; l < LinkNumber; ++l) {
    const double difference = std::fabs(volume[At(l)] - best[At(l)]);
    d.largest_difference = std::fmax(d.largest_difference, difference);
    total += difference;
  }
  d.mean_difference = Ratio(total, static_cast<double>(LinkNumber));
  d.best_objective = GapObjective(best);
  d.objective_difference = Ratio(GapObjective(volume) - d.best_objective, d.best_objective);
  return d;
}

}  // namespace fw
