// Benchmarks of the program against the run as first written (tests/reference):
// whole runs on three generated networks at the table capacities (a grid, one
// built like a real network, one with costs of very different sizes), with
// the program's speed-up as a counter; route trees at the capacities; and one
// Frank-Wolfe iteration on Sioux Falls and Anaheim. All in one thread; the
// figures to read are CPU times.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <algorithm>
#include <ctime>
#include <string>
#include <vector>

#include "network/network.h"
#include "network/tables.h"
#include "paths/paths.h"
#include "paths/route_tree.h"
#include "performance/performance.h"
#include "reference/reference.h"
#include "solver/solver.h"
#include "support/generated_network.h"
#include "support/support.h"

namespace fw {
namespace {

// The network at the standard capacities: a 74 x 50 grid (3,700 nodes),
// 17,000 links, 1,500 OD pairs from 600 origins, interleaved so that no two
// consecutive pairs share an origin; 5 iterations after the initial loading.
const NetworkShape CapacityShape{74, 50, 17000, 1500, 600, true, false, false, 5};
static_assert(MaxLinks >= 17000 && MaxNodes >= 3700 && MaxOdpairs >= 1500, "the tables hold the network at the capacities");

// The same capacities built like a real network: node numbers unrelated to
// position, a quarter of the links arterials, BPR costs from 1 to 40, 6 %
// type-0 links costing about 2e-4 to 7e-4 and 3 % links of cost 0.
NetworkShape RealisticShape() {
  NetworkShape shape = CapacityShape;
  shape.permuted = true;
  shape.arterials = 25;
  shape.costs = Costs::Realistic;
  shape.type0 = 6;
  shape.zero_cost = 3;
  return shape;
}

// The grid with constant costs from 1e-4 to 200,000 (1 % of the links below
// 1e-3) and 1,000 origins, node numbers unrelated to position.
NetworkShape WideCostShape() {
  NetworkShape shape = CapacityShape;
  shape.origins = 1000;
  shape.permuted = true;
  shape.costs = Costs::Wide;
  return shape;
}

// A network of the whole-run cases, and what its plain run left.
struct Capacity {
  std::uint32_t seed;          // of the generator
  NetworkShape shape;          // of the generated network
  std::string dir;             // scratch directory whose output/input.txt holds the network
  double plain_seconds = 0.0;  // processor time of one plain whole run, for the program's speed-up
  std::string plain_result;    // the plain run's result file, which the program's must equal
};

Capacity networks[] = {{2024, CapacityShape, "", 0.0, ""}, {2025, RealisticShape(), "", 0.0, ""}, {2026, WideCostShape(), "", 0.0, ""}};

// The scratch directory of network `k`, its input written on first use.
const std::string& CapacityDir(int k) {
  Capacity& c = networks[k];
  if (c.dir.empty()) {
    ResetTables();
    GenerateNetwork(c.seed, c.shape);
    c.dir = ScratchDir();
    WriteFile(c.dir + "/output/input.txt", InputText());
  }
  return c.dir;
}

// Counts, as shares of the trees built since `before`, the trees taken from
// least labels and those built by the bounded passes.
void TreeKinds(benchmark::State& state, const TreeCounts& before) {
  const double labels = static_cast<double>(TreesBuilt.label_trees - before.labels);
  const double bounded = static_cast<double>(TreesBuilt.bounded_trees - before.bounded);
  const double all = labels + bounded + static_cast<double>(TreesBuilt.pass_trees - before.passes);
  if (all == 0.0) return;
  state.counters["from_labels"] = labels / all;
  state.counters["bounded_passes"] = bounded / all;
}

// Runs `run` from network k's run/ folder; returns its processor time in
// seconds and leaves its result file in *result.
double TimeRun(Status (*run)(), int k, benchmark::State& state, std::string* result) {
  ResetTables();
  if (chdir((CapacityDir(k) + "/run").c_str()) != 0) state.SkipWithError("cannot enter the run directory");
  const std::clock_t start = std::clock();
  const Status s = run();
  const double seconds = static_cast<double>(std::clock() - start) / static_cast<double>(CLOCKS_PER_SEC);
  if (!s.ok) state.SkipWithError(s.message.c_str());
  ReadFile(CapacityDir(k) + "/output/result.txt", result);
  return seconds;
}

// The whole run as first written on network k, from reading the input to
// writing the result.
void CapacityPlainRun(benchmark::State& state, int k) {
  for (auto _ : state) networks[k].plain_seconds = TimeRun(PlainRun, k, state, &networks[k].plain_result);
}

// The program's whole run on the same input; `speedup` is the plain run's
// time over this one's. The result files must be equal.
void CapacityRun(benchmark::State& state, int k) {
  const TreeCounts before;
  double seconds = 0.0;
  for (auto _ : state) {
    std::string result;
    seconds += TimeRun(Run, k, state, &result);
    if (result != networks[k].plain_result) state.SkipWithError("the result file differs from the plain run's");
  }
  TreeKinds(state, before);
  if (networks[k].plain_seconds > 0.0) {
    state.counters["speedup"] = networks[k].plain_seconds / (seconds / static_cast<double>(state.iterations()));
  }
}

// The capacity network after its initial loading, costs evaluated on the
// loaded volumes; returns the distinct origins in record order.
std::vector<int> LoadedCapacityNetwork() {
  ResetTables();
  GenerateNetwork(2024, CapacityShape);
  LinkCostUpdate();
  static_cast<void>(LoadInitialLinkVol());
  LinkCostUpdate();
  std::vector<int> origins;
  std::vector<bool> seen(static_cast<std::size_t>(NodeNum), false);
  for (int od = 0; od < OdpairNum; ++od) {
    if (!seen[static_cast<std::size_t>(Origin[od])]) origins.push_back(Origin[od]);
    seen[static_cast<std::size_t>(Origin[od])] = true;
  }
  return origins;
}

// One route tree by the plain pass method, cycling through the origins.
void CapacityPlainTree(benchmark::State& state) {
  const std::vector<int> origins = LoadedCapacityNetwork();
  std::size_t k = 0;
  for (auto _ : state) PlainMcr(origins[k++ % origins.size()]);
  state.SetItemsProcessed(state.iterations());
}

// One route tree as a loading builds it, on an index built once.
void CapacityTree(benchmark::State& state) {
  const std::vector<int> origins = LoadedCapacityNetwork();
  IndexLinks();
  std::size_t k = 0;
  const TreeCounts before;
  for (auto _ : state) RouteTree(origins[k++ % origins.size()]);
  state.SetItemsProcessed(state.iterations());
  TreeKinds(state, before);
}

// Reads a shipped network and performs its initial loading as the run does.
void LoadShipped(const std::string& name) {
  ResetTables();
  std::FILE* in = std::fopen((TestSourceDir() + "/../data/" + name + "/input.txt").c_str(), "r");
  if (in == nullptr || !ReadNetInfoFrom(in, "input.txt").ok) std::abort();
  std::fclose(in);
  LinkCostUpdate();
  static_cast<void>(LoadInitialLinkVol());
  LinkCostUpdate();
}

constexpr int StepsPerRun = 30;  // iterations before the network is loaded afresh

// One Frank-Wolfe iteration as the run as first written performs it: the
// stopping test's objective, the cost check, the previous objective, the step
// on the plain loadings and bisection, the cost update and the new objective.
void PlainIteration(benchmark::State& state, const std::string& name) {
  int step = StepsPerRun;
  float previous = 0.0f;
  for (auto _ : state) {
    if (step == StepsPerRun) {
      state.PauseTiming();
      LoadShipped(name);
      step = 0;
      state.ResumeTiming();
    }
    benchmark::DoNotOptimize(Convergence(previous, PlainObjectValue()));
    benchmark::DoNotOptimize(CheckLinkCosts("after a step"));
    previous = PlainObjectValue();
    static_cast<void>(PlainAssign());
    PlainLinkCostUpdate();
    benchmark::DoNotOptimize(PlainObjectValue());
    ++step;
  }
}

// One Frank-Wolfe iteration as the program performs it: the stopping test on
// the objective already known, then Advance. The counter `estimated_signs`
// is the share of the bisection's sums that an estimate stood in for (the
// signs taken from estimates, over those and the sums computed term by term).
void Iteration(benchmark::State& state, const std::string& name) {
  const TreeCounts before;
  const long long estimated = EstimatedSigns;
  const long long summed = ExactSums;
  int step = StepsPerRun;
  float objective = 0.0f;
  float previous = 0.0f;
  for (auto _ : state) {
    if (step == StepsPerRun) {
      state.PauseTiming();
      LoadShipped(name);
      objective = ObjectValue();
      step = 0;
      state.ResumeTiming();
    }
    benchmark::DoNotOptimize(Convergence(previous, objective));
    previous = objective;
    static_cast<void>(Advance(++step, &objective));
  }
  TreeKinds(state, before);
  const double signs = static_cast<double>(EstimatedSigns - estimated);
  if (signs + static_cast<double>(ExactSums - summed) > 0.0) {
    state.counters["estimated_signs"] = signs / (signs + static_cast<double>(ExactSums - summed));
  }
}

// Each plain run once (it takes 10 to 20 s), before the program's runs that
// compare with it.
BENCHMARK_CAPTURE(CapacityPlainRun, Grid, 0)->Name("Capacity/PlainRun")->Unit(benchmark::kSecond)->Iterations(1);
BENCHMARK_CAPTURE(CapacityRun, Grid, 0)->Name("Capacity/Run")->Unit(benchmark::kSecond)->Iterations(3);
BENCHMARK_CAPTURE(CapacityPlainRun, Realistic, 1)->Name("Realistic/PlainRun")->Unit(benchmark::kSecond)->Iterations(1);
BENCHMARK_CAPTURE(CapacityRun, Realistic, 1)->Name("Realistic/Run")->Unit(benchmark::kSecond)->Iterations(3);
BENCHMARK_CAPTURE(CapacityPlainRun, WideCosts, 2)->Name("WideCosts/PlainRun")->Unit(benchmark::kSecond)->Iterations(1);
BENCHMARK_CAPTURE(CapacityRun, WideCosts, 2)->Name("WideCosts/Run")->Unit(benchmark::kSecond)->Iterations(3);
BENCHMARK(CapacityPlainTree)->Name("Capacity/PlainTree")->Unit(benchmark::kMicrosecond);
BENCHMARK(CapacityTree)->Name("Capacity/Tree")->Unit(benchmark::kMicrosecond);
// The least of several repetitions: on a shared machine, other work only ever
// adds time. The iterations report it beside the mean and the median.
double Least(const std::vector<double>& times) { return *std::min_element(times.begin(), times.end()); }

// An iteration benchmark in microseconds, repeated five times, reported by
// its aggregates.
void Repeated(benchmark::internal::Benchmark* b) {
  b->Unit(benchmark::kMicrosecond)->Repetitions(5)->ComputeStatistics("min", Least)->DisplayAggregatesOnly(true);
}

BENCHMARK_CAPTURE(PlainIteration, SiouxFalls, std::string("SiouxFalls"))->Name("SiouxFalls/PlainIteration")->Apply(Repeated);
BENCHMARK_CAPTURE(Iteration, SiouxFalls, std::string("SiouxFalls"))->Name("SiouxFalls/Iteration")->Apply(Repeated);
BENCHMARK_CAPTURE(PlainIteration, Anaheim, std::string("Anaheim"))->Name("Anaheim/PlainIteration")->Apply(Repeated);
BENCHMARK_CAPTURE(Iteration, Anaheim, std::string("Anaheim"))->Name("Anaheim/Iteration")->Apply(Repeated);

}  // namespace
}  // namespace fw

BENCHMARK_MAIN();
