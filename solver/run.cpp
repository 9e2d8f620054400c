// The whole run, in order: read the input, evaluate the zero-volume costs,
// load every pair all-or-nothing, open the run log, iterate Frank-Wolfe steps
// until a stopping rule holds or the iteration limit is reached, then write
// the stop reason, the final tables, the elapsed time and the parameters.
#include <string>

#include "network/network.h"
#include "network/tables.h"
#include "paths/paths.h"
#include "performance/performance.h"
#include "report/progress.h"
#include "report/report.h"
#include "solver/solver.h"

namespace fw {

// Adds to a failure the phase of the run it happened in.
static Status During(Status s, const std::string& phase) {
  if (!s.ok) s.message += " (" + phase + ")";
  return s;
}

Status Advance(int iteration, float* objective) {
  const std::string after = iteration == 1 ? "after the initial loading" : "after iteration " + std::to_string(iteration - 1);
  Status s = CheckLinkCosts(after.c_str());
  if (!s.ok) return s;
  s = Assign(iteration);
  if (!s.ok) return During(s, "iteration " + std::to_string(iteration));
  LinkCostUpdate();
  *objective = ObjectValue();
  return CheckFinite(*objective, ("after iteration " + std::to_string(iteration)).c_str());
}

Status LoadInitial(float* objective) {
  LinkCostUpdate();
  Status s = CheckLinkCosts("before the first loading");
  if (!s.ok) return s;
  for (int l = 0; l < LinkNumber; ++l) LinkVolume[l] = 0.0f;
  s = LoadInitialLinkVol();
  if (!s.ok) return During(s, "initial loading");
  *objective = ObjectValue();
  return CheckFinite(*objective, "after the initial loading");
}

Status Iterate(float objective, int most_steps) {
  WriteIterationZero(objective);
  LinkCostUpdate();
  // Seeded so that the transferred-volume rule cannot stop the run before its first step.
  TransLinkVolume = MaxError + 1.0f;
  // The objective is evaluated once for each set of volumes: the stopping
  // test, the previous value and the log line share it.
  int iteration = 0;
  float previous = 0.0f;
  while (Convergence(previous, objective) == 0 && iteration < most_steps) {
    previous = objective;
    iteration += 1;
    const Status s = Advance(iteration, &objective);
    if (!s.ok) return s;
    WriteIteration(iteration, objective);
    ShowProgress(iteration, objective, previous);
  }
  // Without a step, the costs of the initial volumes go unchecked into the final table.
  if (iteration == 0) {
    const Status s = CheckFinite(objective, "after the initial loading");
    if (!s.ok) return s;
  }
  WriteStopMessage(iteration);
  return Status::Ok();
}

Status Run() {
  Status s = ReadNetInfo();
  if (!s.ok) return s;
  const std::clock_t start = ProcessClock();
  float objective = 0.0f;
  // Before the run log is opened, so that a run that cannot go on leaves the old files as they were.
  s = LoadInitial(&objective);
  if (!s.ok) return s;

  s = OpenRunLog();
  if (!s.ok) return s;
  s = Iterate(objective, MaxIteration);
  EndProgress();
  if (!s.ok) {
    AbandonRunLog();
    return s;
  }
  const std::clock_t end = ProcessClock();
  s = OutPut();  // outside the timed span
  if (!s.ok) {
    AbandonRunLog();
    return s;
  }
  WriteClosing(ClockMs(start, end) / 1000.0);
  return CloseRunLog();
}

}  // namespace fw
