// The run as first written: the initial loading with one tree per pair, the
// Frank-Wolfe step on the plain loadings and a bisection that sums every
// link's derivative at every midpoint, and the objective evaluated wherever
// the run sequence names it, all on the plain cost functions. The reader, the
// cost check and the report writers are the program's own. The program must
// write the same bytes.
#include <string>

#include "network/network.h"
#include "network/tables.h"
#include "performance/performance.h"
#include "reference/reference.h"
#include "report/report.h"
#include "solver/solver.h"

namespace fw {

float PlainBi_Section() {
  float lo = 0.0f;
  float hi = 1.0f;
  float width = 1.0f;
  float mid = 0.0f;
  const std::clock_t start = ProcessClock();
  while (static_cast<double>(width) > 0.000001) {
    mid = (lo + hi) / 2.0f;
    dif_theta = 0.0f;
    for (int l = 0; l < LinkNumber; ++l) dif_theta += PlainDifferential(mid, l);
    if (dif_theta < 0.0f) {
      lo = mid;
    } else {
      hi = mid;
    }
    width = Max(hi - lo, lo - hi);
  }
  line_search_time = static_cast<float>(ClockMs(start, ProcessClock()));
  return mid;
}

Status PlainAssign() {
  TransLinkVolume = 0.0f;
  Status s = PlainLoadNewLinkVol();
  if (!s.ok) return s;
  theta = PlainBi_Section();
  for (int l = 0; l < LinkNumber; ++l) {
    const float v = LinkVolume[l];
    const float y = New_LinkVol[l];
    if ((y - v) * theta + v < 0.0f) theta = v / (v - y);
  }
  for (int l = 0; l < LinkNumber; ++l) {
    const float v = LinkVolume[l];
    const float y = New_LinkVol[l];
    const float moved = (y - v) * theta + v;
    LinkVolume[l] = moved;
    const float transferred = theta * (y - moved);
    TransLinkVolume += Max(transferred, -transferred);
  }
  return Status::Ok();
}

// Adds to a failure the phase of the run it happened in.
static Status PlainDuring(Status s, const std::string& phase) {
  if (!s.ok) s.message += " (" + phase + ")";
  return s;
}

// The stopping test as first written, on PlainObjectValue.
static int PlainConvergence(float previous) {
  const float current = PlainObjectValue();
  const float change = Max(current - previous, previous - current);
  const float relative = change / previous * 100.0f;
  if (MaxError >= TransLinkVolume) return 1;
  if (ObjectError >= relative) return 1;
  return 0;
}

// The iterations after the iteration-0 line; *iteration counts the steps.
static Status PlainIterate(int* iteration) {
  float previous = 0.0f;
  while (PlainConvergence(previous) == 0 && *iteration < MaxIteration) {
    const std::string after = *iteration == 0 ? "after the initial loading" : "after iteration " + std::to_string(*iteration);
    Status s = CheckLinkCosts(after.c_str());
    if (!s.ok) return s;
    previous = PlainObjectValue();
    *iteration += 1;
    s = PlainAssign();
    if (!s.ok) return PlainDuring(s, "iteration " + std::to_string(*iteration));
    PlainLinkCostUpdate();
    WriteIteration(*iteration, PlainObjectValue());
  }
  return Status::Ok();
}

Status PlainRun() {
  Status s = ReadNetInfo();
  if (!s.ok) return s;
  const std::clock_t start = ProcessClock();
  PlainLinkCostUpdate();
  s = CheckLinkCosts("before the first loading");
  if (!s.ok) return s;
  for (int l = 0; l < LinkNumber; ++l) LinkVolume[l] = 0.0f;
  for (int od = 0; od < OdpairNum && s.ok; ++od) s = PlainAllOrNothing(od);
  if (!s.ok) return PlainDuring(s, "initial loading");
  s = OpenRunLog();
  if (!s.ok) return s;
  WriteIterationZero(PlainObjectValue());
  int iteration = 0;
  PlainLinkCostUpdate();
  TransLinkVolume = MaxError + 1.0f;
  s = PlainIterate(&iteration);
  if (!s.ok) {
    AbandonRunLog();
    return s;
  }
  WriteStopMessage(iteration);
  const std::clock_t end = ProcessClock();
  s = OutPut();
  if (!s.ok) {
    AbandonRunLog();
    return s;
  }
  WriteClosing(ClockMs(start, end) / 1000.0);
  return CloseRunLog();
}

}  // namespace fw
