// The convergence picture: panels stacked over one iteration axis, the
// objective on a linear axis, the relative distance to a best-known objective
// and the step sizes on logarithmic axes.
#include <cmath>
#include <cstdio>
#include <limits>

#include "tools/fwplot/plot.h"

namespace fw {
namespace {

constexpr double Infinity = std::numeric_limits<double>::infinity();
constexpr double Missing = std::numeric_limits<double>::quiet_NaN();  // no point at this iteration
constexpr double Width = 760.0;
constexpr double Left = 96.0;    // room for the value labels
constexpr double Right = 24.0;
constexpr double Top = 52.0;     // room for the title
constexpr double Gap = 62.0;     // iteration labels and the next panel's caption
constexpr double Bottom = 48.0;  // iteration labels and the axis name
constexpr double PlotWidth = Width - Left - Right;

// One panel: its caption, height, vertical axis and the points it draws.
struct Panel {
  std::string caption;
  double height = 0.0;
  bool log = false;
  double lo = 0.0, hi = 1.0;     // axis range (exponents of ten on a log axis)
  std::string colour;
  bool dots = false;             // points as dots rather than a line
  std::vector<double> values;    // entry i at iteration i; NaN where nothing is drawn
};

double AxisValue(const Panel& panel, double value) { return panel.log ? std::log10(value) : value; }

// The range of the drawable values: padded on a linear axis, whole decades on a log axis.
void FitAxis(Panel* panel) {
  double lo = Infinity;
  double hi = -Infinity;
  for (const double value : panel->values) {
    if (std::isnan(value)) continue;
    lo = std::fmin(lo, AxisValue(*panel, value));
    hi = std::fmax(hi, AxisValue(*panel, value));
  }
  if (lo > hi) lo = hi = 0.0;
  if (panel->log) {
    // A sixth of a decade at least between the values and the frame, so the
    // last values do not run along its edge.
    panel->lo = std::floor(lo - 0.15);
    panel->hi = std::fmax(std::ceil(hi + 0.15), panel->lo + 1.0);
  } else {
    const double pad = hi > lo ? 0.05 * (hi - lo) : std::fmax(1.0, std::fabs(hi) * 0.01);
    panel->lo = lo - pad;
    panel->hi = hi + pad;
  }
}

// "1e-3", or the plain number between 0.01 and 100.
std::string DecadeLabel(int exponent) {
  static const char* const plain[] = {"0.01", "0.1", "1", "10", "100"};
  if (exponent >= -2 && exponent <= 2) return plain[exponent + 2];
  return "1e" + std::to_string(exponent);
}

class Picture {
 public:
  Picture(std::ostream& svg, int iterations) : svg_(svg), iterations_(iterations) {}

  double X(int iteration) const { return Left + PlotWidth * iteration / std::fmax(1.0, iterations_); }

  // Draws `panel` with its top edge at `top`.
  void Draw(const Panel& panel, double top) {
    const auto y = [&](double value) {
      return top + panel.height * (panel.hi - AxisValue(panel, value)) / (panel.hi - panel.lo);
    };
    svg_ << "<text x=\"" << Px(Left) << "\" y=\"" << Px(top - 8.0) << "\" font-weight=\"bold\">" << XmlText(panel.caption)
         << "</text>\n";
    svg_ << "<g stroke=\"#e2e2e2\">";
    std::string labels;
    if (panel.log) {
      const int every = panel.hi - panel.lo > 8.0 ? 2 : 1;
      for (int k = static_cast<int>(panel.lo); k <= static_cast<int>(panel.hi); k += every) {
        const double at = y(std::pow(10.0, k));
        svg_ << "<path d=\"M" << Px(Left) << " " << Px(at) << "H" << Px(Left + PlotWidth) << "\"/>";
        labels += Label(Left - 6.0, at + 4.0, DecadeLabel(k));
      }
    } else {
      const std::vector<double> ticks = NiceTicks(panel.lo, panel.hi, 5);
      const double step = ticks.size() > 1 ? ticks[1] - ticks[0] : 1.0;
      for (const double tick : ticks) {
        svg_ << "<path d=\"M" << Px(Left) << " " << Px(y(tick)) << "H" << Px(Left + PlotWidth) << "\"/>";
        labels += Label(Left - 6.0, y(tick) + 4.0, TickLabel(tick, step));
      }
    }
    const std::vector<double> ticks = NiceTicks(0.0, iterations_, 8);
    for (const double tick : ticks) {
      svg_ << "<path d=\"M" << Px(X(static_cast<int>(tick))) << " " << Px(top) << "V" << Px(top + panel.height) << "\"/>";
    }
    svg_ << "</g>\n<g text-anchor=\"end\">" << labels << "</g>\n<g text-anchor=\"middle\">";
    for (const double tick : ticks) {
      svg_ << "<text x=\"" << Px(X(static_cast<int>(tick))) << "\" y=\"" << Px(top + panel.height + 16.0) << "\">"
           << TickLabel(tick, 1.0) << "</text>";
    }
    svg_ << "</g>\n<rect x=\"" << Px(Left) << "\" y=\"" << Px(top) << "\" width=\"" << Px(PlotWidth) << "\" height=\""
         << Px(panel.height) << "\" fill=\"none\" stroke=\"#777\"/>\n";
    Series(panel, y);
  }

 private:
  static std::string Label(double x, double y, const std::string& text) {
    return "<text x=\"" + Px(x) + "\" y=\"" + Px(y) + "\">" + text + "</text>";
  }

  // The points of `panel`: a line broken where a value is missing, or dots; round caps draw the dots.
  template <typename Y>
  void Series(const Panel& panel, const Y& y) {
    svg_ << "<path fill=\"none\" stroke=\"" << panel.colour << "\" stroke-linejoin=\"round\" stroke-linecap=\"round\""
         << " stroke-width=\"" << (panel.dots ? "3" : "1.8") << "\" d=\"";
    bool drawing = false;
    for (std::size_t i = 0; i < panel.values.size(); ++i) {
      const double value = panel.values[i];
      if (std::isnan(value)) {
        drawing = false;
        continue;
      }
      const std::string point = Px(X(static_cast<int>(i))) + " " + Px(y(value));
      // A zero-length piece at each start shows a point without neighbours as a dot.
      svg_ << (drawing && !panel.dots ? "L" + point : "M" + point + "h0");
      drawing = true;
    }
    svg_ << "\"/>\n";
  }

  std::ostream& svg_;
  double iterations_;
};

}  // namespace

void DrawConvergence(const RunLog& log, double best, const std::string& title, std::ostream& svg) {
  const int iterations = static_cast<int>(log.objective.size()) - 1;
  std::vector<Panel> panels;
  const std::string last = "objective (last " + TickLabel(log.objective.back(), 0.01) + ")";
  panels.push_back(Panel{last, 200.0, false, 0.0, 1.0, "#1f5fa8", false, log.objective});
  if (best > 0.0) {
    Panel distance{"", 200.0, true, 0.0, 1.0, "#b03a2e", false, {}};
    int hidden = 0;
    for (const double objective : log.objective) {
      const double relative = (objective - best) / best;
      hidden += relative > 0.0 ? 0 : 1;
      distance.values.push_back(relative > 0.0 ? relative : Missing);
    }
    char caption[160];
    std::snprintf(caption, sizeof caption, "relative distance to the best-known objective %.10g (log scale)", best);
    distance.caption = caption;
    if (hidden > 0) distance.caption += "; " + std::to_string(hidden) + " at or below it not shown";
    panels.push_back(distance);
  }
  Panel steps{iterations > 0 ? "step size (log scale)" : "step size: no steps taken", 140.0, true, 0.0, 1.0,
              "#2e7d32", true, {Missing}};
  for (std::size_t i = 1; i < log.step.size(); ++i) steps.values.push_back(log.step[i] > 0.0 ? log.step[i] : Missing);
  panels.push_back(steps);

  double height = Top + Bottom - Gap;
  for (Panel& panel : panels) {
    FitAxis(&panel);
    height += panel.height + Gap;
  }
  svg << "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" << Px(Width) << "\" height=\"" << Px(height)
      << "\" viewBox=\"0 0 " << Px(Width) << " " << Px(height) << "\" font-family=\"sans-serif\" font-size=\"12\">\n"
      << "<rect width=\"100%\" height=\"100%\" fill=\"#fff\"/>\n"
      << "<text x=\"" << Px(Left) << "\" y=\"24\" font-size=\"16\" font-weight=\"bold\">" << XmlText(title) << "</text>\n";
  Picture picture(svg, iterations);
  double top = Top;
  for (const Panel& panel : panels) {
    picture.Draw(panel, top);
    top += panel.height + Gap;
  }
  svg << "<text x=\"" << Px(Left + PlotWidth / 2.0) << "\" y=\"" << Px(height - 10.0)
      << "\" text-anchor=\"middle\">iteration</text>\n</svg>\n";
}

}  // namespace fw
