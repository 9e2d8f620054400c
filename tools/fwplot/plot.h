// fwplot's pictures, as SVG text: the convergence of a run from its run log,
// and a flow map of its result. Every number is printed with a fixed format
// and every list is drawn in a fixed order, so the same files give the same
// bytes.
#ifndef FW_TOOLS_FWPLOT_PLOT_H
#define FW_TOOLS_FWPLOT_PLOT_H

#include <istream>
#include <ostream>
#include <string>
#include <vector>

#include "network/status.h"
#include "tools/fwexport/export.h"

namespace fw {

// ---- Run log ---------------------------------------------------------------------------
// The iteration lines of a run log: iteration 0 (the initial loading) and each
// step with its objective and step size.
struct RunLog {
  std::vector<double> objective;  // entry i: the objective after iteration i
  std::vector<double> step;       // entry i: the step size of iteration i; entry 0 unused
};

// Reads the header, the rule and the iteration lines of a run log, up to the
// first line that is not an iteration line (the stop reason, or the end of a
// log still being written). `name` names the file in messages.
Status ReadRunLog(std::istream& in, const std::string& name, RunLog* log);

// ---- Drawing helpers ------------------------------------------------------------------------
// A coordinate or length as the pictures print it: one decimal, no "-0.0".
std::string Px(double value);

// About `count` round values spanning lo..hi (steps of 1, 2 or 5 times a power of ten).
std::vector<double> NiceTicks(double lo, double hi, int count);

// A tick value printed with the decimals its step needs and thousands separated by commas.
std::string TickLabel(double value, double step);

// Text with the characters XML reserves escaped.
std::string XmlText(const std::string& text);

// ---- Convergence picture --------------------------------------------------------------------
// The objective by iteration; with best > 0, the relative distance to it on
// a logarithmic axis; the step sizes beneath, also on a logarithmic axis.
void DrawConvergence(const RunLog& log, double best, const std::string& title, std::ostream& svg);

// ---- Flow map -----------------------------------------------------------------------------------
// Where node coordinates land in the picture: longitude/latitude are drawn in
// an equirectangular projection about the middle latitude (a degree of
// longitude is cos(latitude) degrees of latitude wide), planar coordinates as
// they are; north is up, and the bounding box of the nodes is fitted into
// width x height pixels from (left, top) with the aspect kept.
struct Projection {
  bool degrees = false;    // longitude/latitude
  double x_scale = 1.0;    // x units per unit of y: cos(middle latitude) or 1
  double pixels = 1.0;     // pixels per unit of y
  double x0 = 0.0;         // the bounding box's west edge, north edge
  double y1 = 0.0;
  double left = 0.0, top = 0.0;  // pixel offsets of the fitted picture
  double km_per_unit = 0.0;      // kilometres per unit of y with degrees; 0 otherwise

  double X(double x) const { return left + (x - x0) * x_scale * pixels; }
  double Y(double y) const { return top + (y1 - y) * pixels; }
};

// Fits the nodes used by `assignment` into width x height pixels at (left, top).
Projection FitProjection(const Assignment& assignment, const NodeFile& nodes, bool degrees, double left, double top,
                         double width, double height);

// The flow map of `assignment` placed by `nodes`; `degrees` when the nodes are
// longitude/latitude.
void DrawFlowMap(const Assignment& assignment, const NodeFile& nodes, bool degrees, const std::string& title,
                 std::ostream& svg);

}  // namespace fw

#endif  // FW_TOOLS_FWPLOT_PLOT_H
