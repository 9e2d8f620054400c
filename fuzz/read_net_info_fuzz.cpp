// Fuzz target: arbitrary bytes as the input file. The reader checks them; a
// network it accepts must keep every promise the solver relies on, and is then
// solved for a few steps by the run's own procedures, the run log and result
// lines going to /dev/null, so nothing in an output folder is touched. The
// shared-tree initial loading must match its pair-by-pair definition, and a
// finished solve must keep the promises of the step.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "network/cost_family.h"
#include "network/network.h"
#include "network/tables.h"
#include "paths/paths.h"
#include "paths/route_tree.h"
#include "performance/performance.h"
#include "report/report.h"
#include "solver/solver.h"

namespace fw {
namespace {

constexpr int StepCap = 3;         // most Frank-Wolfe steps per input
constexpr double WorkCap = 2.0e6;  // most link and node visits one loading may need

// A broken promise of the reader: abort, so that the fuzzer keeps the input.
void Require(bool holds) {
  if (!holds) std::abort();
}

// What the reader promises of every network it accepts: counts within the
// tables, nodes within NodeNum, link numbers equal to positions, finite
// reals, and a capacity above 0 on every type-1 link.
void CheckAccepted() {
  Require(LinkNumber >= 0 && LinkNumber <= MaxLinks);
  Require(NodeNum >= 0 && NodeNum <= MaxNodes);
  Require(OdpairNum >= 0 && OdpairNum <= MaxOdpairs);
  Require(std::isfinite(MaxError) && std::isfinite(ObjectError));
  for (int od = 0; od < OdpairNum; ++od) {
    Require(Origin[od] >= 0 && Origin[od] < NodeNum && Dest[od] >= 0 && Dest[od] < NodeNum);
    Require(std::isfinite(TripVol[od]));
  }
  for (int l = 0; l < LinkNumber; ++l) {
    Require(LinkNum[l] == l);
    Require(LinkOrigin[l] >= 0 && LinkOrigin[l] < NodeNum && LinkDest[l] >= 0 && LinkDest[l] < NodeNum);
    Require(std::isfinite(TravelTime[l]) && std::isfinite(Capacity[l]) && std::isfinite(a[l]) && std::isfinite(b[l]));
    Require(std::isfinite(LinkCFType[l]));
    Require(FamilyOf(LinkCFType[l]) != CostFamily::PowerLaw || Capacity[l] > 0.0f);
  }
}

// What a finished solve promises when no pair has negative trips: the
// non-negativity limit of each step keeps every volume at 0 or more, exactly,
// and the step size within [0, 1].
void CheckSolved() {
  for (int od = 0; od < OdpairNum; ++od) {
    if (TripVol[od] < 0.0f) return;
  }
  for (int l = 0; l < LinkNumber; ++l) Require(LinkVolume[l] >= 0.0f);
  Require(theta >= 0.0f && theta <= 1.0f);
}

// The most link and node visits one all-or-nothing loading can take: a tree
// per pair, each of at most min(nodes, links) + 1 passes over links and nodes.
double LoadingWork() {
  const int passes = (NodeNum < LinkNumber ? NodeNum : LinkNumber) + 1;
  return static_cast<double>(OdpairNum + 1) * static_cast<double>(passes) * static_cast<double>(LinkNumber + NodeNum + 1);
}

// The initial loading, checked against its definition on the costs at zero
// volume: the volumes of LoadInitialLinkVol, which shares trees between
// pairs and here takes every tree from least labels, must equal bit for bit
// those of AllOrNothing pair by pair with trees by the passes, and both must
// fail alike. Leaves the volumes at zero and the program's choice of tree.
void CompareLoadings() {
  static float shared[MaxLinks];
  LinkCostUpdate();
  if (!CheckLinkCosts("before the first loading").ok) return;
  for (int l = 0; l < LinkNumber; ++l) LinkVolume[l] = 0.0f;
  TreeMethodUsed = TreeMethod::Labels;
  const Status s = LoadInitialLinkVol();
  std::memcpy(shared, LinkVolume, sizeof(float) * static_cast<std::size_t>(LinkNumber));
  for (int l = 0; l < LinkNumber; ++l) LinkVolume[l] = 0.0f;
  TreeMethodUsed = TreeMethod::Passes;
  Status each = Status::Ok();
  for (int od = 0; od < OdpairNum && each.ok; ++od) each = AllOrNothing(od);
  TreeMethodUsed = TreeMethod::Chosen;
  Require(s.ok == each.ok && s.message == each.message);
  if (s.ok) Require(std::memcmp(shared, LinkVolume, sizeof(float) * static_cast<std::size_t>(LinkNumber)) == 0);
  for (int l = 0; l < LinkNumber; ++l) LinkVolume[l] = 0.0f;
}

// The run after reading, by the run's own procedures, with at most StepCap
// steps; the run log is whatever `out` and `myout` are, and the final tables
// go there instead of a result file.
Status Solve() {
  CompareLoadings();
  float objective = 0.0f;
  Status s = LoadInitial(&objective);
  if (!s.ok) return s;
  s = Iterate(objective, MaxIteration < StepCap ? MaxIteration : StepCap);
  if (!s.ok) return s;
  WriteFinalTables();
  return Status::Ok();
}

}  // namespace
}  // namespace fw

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static std::FILE* sink = std::fopen("/dev/null", "w");
  static char empty[1];
  fw::ResetTables();
  void* bytes = size == 0 ? static_cast<void*>(empty) : static_cast<void*>(const_cast<std::uint8_t*>(data));
  std::FILE* in = fmemopen(bytes, size, "r");
  if (in == nullptr || sink == nullptr) std::abort();
  const fw::Status read = fw::ReadNetInfoFrom(in, "input");
  std::fclose(in);
  if (!read.ok) {
    // A refusal is one line naming what is wrong.
    fw::Require(!read.message.empty() && read.message.find('\n') == std::string::npos);
    return 0;
  }
  fw::CheckAccepted();
  if (fw::LoadingWork() > fw::WorkCap) return 0;
  fw::out = fw::myout = sink;
  const fw::Status solved = fw::Solve();
  fw::Require(solved.ok || (!solved.message.empty() && solved.message.find('\n') == std::string::npos));
  if (solved.ok) fw::CheckSolved();
  return 0;
}
