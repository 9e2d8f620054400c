// The flow map: each link a straight line between its nodes, as wide as its
// volume (eight classes up to the largest volume) and coloured by its volume
// over capacity (five classes and grey for no volume), moved to the right of
// its direction so the two directions of a road lie side by side. Links of one
// width and colour share one path, drawn thin before wide, which keeps a map of
// tens of thousands of links to one short element per class.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>
#include <map>
#include <utility>

#include "tools/fwplot/plot.h"

namespace fw {
namespace {

constexpr double Infinity = std::numeric_limits<double>::infinity();
constexpr double Pi = 3.14159265358979323846;
constexpr double KmPerDegree = 6371.0088 * Pi / 180.0;  // a degree of latitude on the mean Earth radius
constexpr double Width = 1000.0;
constexpr double Margin = 20.0;
constexpr double MapTop = 58.0;     // below the title and the caption
constexpr double LegendHeight = 150.0;
constexpr int WidthClasses = 8;
constexpr int NodeLabelsUpTo = 60;  // nodes are marked and numbered on maps of at most this many

// The volume/capacity classes: upper bounds, colours and names; the last is open.
constexpr double SaturationBound[] = {0.5, 0.8, 1.0, 1.5};
const char* const SaturationColour[] = {"#1a9641", "#a6d96a", "#fdb140", "#e34a33", "#7f0000"};
const char* const SaturationName[] = {"below 0.5", "0.5 to 0.8", "0.8 to 1", "1 to 1.5", "1.5 and more"};
const char* const NoVolumeColour = "#c4c4c4";
constexpr int NoVolume = 5;  // colour class of links without volume

int ColourClass(const ExportLink& link) {
  if (!(link.volume > 0.0)) return NoVolume;
  int k = 0;
  while (k < 4 && link.saturation >= SaturationBound[k]) ++k;
  return k;
}

const char* Colour(int k) { return k == NoVolume ? NoVolumeColour : SaturationColour[k]; }

// Line widths: class 0 (no volume) a hairline, class c of 1..8 growing linearly to `widest`.
double LineWidth(int c, double widest) { return c == 0 ? 0.5 : 0.8 + (widest - 0.8) * c / WidthClasses; }

int WidthClass(double volume, double largest) {
  if (!(volume > 0.0) || !(largest > 0.0)) return 0;
  return std::min(WidthClasses, std::max(1, static_cast<int>(std::ceil(WidthClasses * volume / largest))));
}

// A round length for the scale bar at most `most` long: 1, 2 or 5 times a power of ten.
double ScaleLength(double most) {
  const double power = std::pow(10.0, std::floor(std::log10(most)));
  return most >= 5.0 * power ? 5.0 * power : most >= 2.0 * power ? 2.0 * power : power;
}

std::string Text(double x, double y, const std::string& text, const std::string& more = "") {
  return "<text x=\"" + Px(x) + "\" y=\"" + Px(y) + "\"" + more + ">" + XmlText(text) + "</text>\n";
}

// The legend below the map: colours, widths and the scale.
void DrawLegend(const Projection& p, double widest, double largest, double top, std::ostream& svg) {
  svg << Text(Margin, top + 14.0, "volume / capacity", " font-weight=\"bold\"");
  for (int k = 0; k <= NoVolume; ++k) {
    const double y = top + 24.0 + 17.0 * k;
    svg << "<rect x=\"" << Px(Margin) << "\" y=\"" << Px(y) << "\" width=\"30\" height=\"10\" fill=\"" << Colour(k)
        << "\"/>" << Text(Margin + 38.0, y + 9.5, k == NoVolume ? "no volume" : SaturationName[k]);
  }
  const double x = 320.0;
  svg << Text(x, top + 14.0, "volume", " font-weight=\"bold\"");
  for (int i = 0; i < 4; ++i) {
    const int c = WidthClasses * (i + 1) / 4;
    const double y = top + 34.0 + 24.0 * i;
    svg << "<path d=\"M" << Px(x) << " " << Px(y) << "h40\" stroke=\"#555\" stroke-width=\"" << Px(LineWidth(c, widest))
        << "\"/>" << Text(x + 50.0, y + 4.0, "up to " + TickLabel(largest * (i + 1) / 4.0, 1.0));
  }
  const double unit_px = p.degrees ? p.pixels / p.km_per_unit : p.pixels;  // pixels per km, or per unit
  const double length = ScaleLength(200.0 / unit_px);
  const double bar = length * unit_px;
  const double sx = 620.0;
  const double sy = top + 40.0;
  const std::string name = !p.degrees ? TickLabel(length, length) + " units of the node file"
                           : length >= 1.0 ? TickLabel(length, 1.0) + " km"
                                           : TickLabel(length * 1000.0, 1.0) + " m";
  svg << Text(sx, top + 14.0, "scale", " font-weight=\"bold\"") << "<path d=\"M" << Px(sx) << " " << Px(sy - 5.0) << "v5h"
      << Px(bar) << "v-5\" fill=\"none\" stroke=\"#222\" stroke-width=\"1.5\"/>" << Text(sx, sy + 16.0, name)
      << Text(sx, sy + 48.0, "Each direction of a road is drawn on its")
      << Text(sx, sy + 64.0, "right-hand side; the largest volume is " + TickLabel(largest, 1.0) + ".");
}

}  // namespace

Projection FitProjection(const Assignment& assignment, const NodeFile& nodes, bool degrees, double left, double top,
                         double width, double height) {
  double x0 = Infinity, x1 = -Infinity, y0 = Infinity, y1 = -Infinity;
  for (const ExportLink& link : assignment.links) {
    for (const int node : {link.net->tail, link.net->head}) {
      const NodePoint& point = nodes.nodes.at(node);
      x0 = std::fmin(x0, point.x.value);
      x1 = std::fmax(x1, point.x.value);
      y0 = std::fmin(y0, point.y.value);
      y1 = std::fmax(y1, point.y.value);
    }
  }
  Projection p;
  if (!(x0 <= x1)) x0 = x1 = y0 = y1 = 0.0;  // no links
  p.degrees = degrees;
  p.x_scale = degrees ? std::cos((y0 + y1) / 2.0 * Pi / 180.0) : 1.0;
  p.km_per_unit = degrees ? KmPerDegree : 0.0;
  p.x0 = x0;
  p.y1 = y1;
  const double span_x = (x1 - x0) * p.x_scale;
  const double span_y = y1 - y0;
  p.pixels = std::fmin(span_x > 0.0 ? width / span_x : Infinity, span_y > 0.0 ? height / span_y : Infinity);
  if (!std::isfinite(p.pixels)) p.pixels = 1.0;
  p.left = left + (width - span_x * p.pixels) / 2.0;
  p.top = top + (height - span_y * p.pixels) / 2.0;
  return p;
}

// The widest line: a fifth of a typical (median) link's length in the picture, within 3 to 14 pixels.
static double WidestLine(const Assignment& assignment, const NodeFile& nodes, const Projection& p) {
  std::vector<double> lengths;
  for (const ExportLink& link : assignment.links) {
    const NodePoint& from = nodes.nodes.at(link.net->tail);
    const NodePoint& to = nodes.nodes.at(link.net->head);
    lengths.push_back(std::hypot(p.X(to.x.value) - p.X(from.x.value), p.Y(to.y.value) - p.Y(from.y.value)));
  }
  std::sort(lengths.begin(), lengths.end());
  const double median = lengths.empty() ? 0.0 : lengths[lengths.size() / 2];
  return std::min(14.0, std::max(3.0, median / 5.0));
}

// The path data of the links by (width class, colour class), each link moved
// to the right of its direction (y grows downwards) by half its width and a gap.
static std::map<std::pair<int, int>, std::string> LinkPaths(const Assignment& assignment, const NodeFile& nodes,
                                                            const Projection& p, double largest, double widest) {
  std::map<std::pair<int, int>, std::string> paths;
  for (const ExportLink& link : assignment.links) {
    const NodePoint& from = nodes.nodes.at(link.net->tail);
    const NodePoint& to = nodes.nodes.at(link.net->head);
    const double xa = p.X(from.x.value), ya = p.Y(from.y.value), xb = p.X(to.x.value), yb = p.Y(to.y.value);
    const double length = std::hypot(xb - xa, yb - ya);
    if (length < 0.5) continue;  // both ends on one spot of the picture
    const int c = WidthClass(link.volume, largest);
    const double shift = LineWidth(c, widest) / 2.0 + 0.4;
    const double dx = -(yb - ya) / length * shift, dy = (xb - xa) / length * shift;
    paths[{c, ColourClass(link)}] += "M" + Px(xa + dx) + " " + Px(ya + dy) + "L" + Px(xb + dx) + " " + Px(yb + dy);
  }
  return paths;
}

// On small networks, each link end as a numbered circle.
static void DrawNodes(const Assignment& assignment, const NodeFile& nodes, const Projection& p, std::ostream& svg) {
  std::map<int, const NodePoint*> used;
  for (const ExportLink& link : assignment.links) {
    used[link.net->tail] = &nodes.nodes.at(link.net->tail);
    used[link.net->head] = &nodes.nodes.at(link.net->head);
  }
  if (used.size() > NodeLabelsUpTo) return;
  svg << "<g font-size=\"10\" text-anchor=\"middle\">\n";
  for (const auto& node : used) {
    const double x = p.X(node.second->x.value), y = p.Y(node.second->y.value);
    svg << "<circle cx=\"" << Px(x) << "\" cy=\"" << Px(y) << "\" r=\"8\" fill=\"#fff\" stroke=\"#333\"/>"
        << Text(x, y + 3.5, std::to_string(node.first));
  }
  svg << "</g>\n";
}

void DrawFlowMap(const Assignment& assignment, const NodeFile& nodes, bool degrees, const std::string& title,
                 std::ostream& svg) {
  // The map's height follows the network's shape, within bounds: fitted into
  // a unit square, the network spans 1 - 2 left by 1 - 2 top.
  const double map_width = Width - 2.0 * Margin;
  Projection p = FitProjection(assignment, nodes, degrees, 0.0, 0.0, 1.0, 1.0);
  const double aspect = (1.0 - 2.0 * p.top) / (1.0 - 2.0 * p.left);
  const double map_height = std::min(900.0, std::max(300.0, map_width * aspect));
  p = FitProjection(assignment, nodes, degrees, Margin, MapTop, map_width, map_height);
  const double height = MapTop + map_height + 16.0 + LegendHeight;
  double largest = 0.0;
  for (const ExportLink& link : assignment.links) largest = std::fmax(largest, link.volume);
  const double widest = WidestLine(assignment, nodes, p);

  svg << "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" << Px(Width) << "\" height=\"" << Px(height)
      << "\" viewBox=\"0 0 " << Px(Width) << " " << Px(height) << "\" font-family=\"sans-serif\" font-size=\"12\">\n"
      << "<rect width=\"100%\" height=\"100%\" fill=\"#fff\"/>\n"
      << Text(Margin, 24.0, title, " font-size=\"16\" font-weight=\"bold\"")
      << Text(Margin, 44.0, std::to_string(assignment.links.size()) +
                                " links: width grows with the volume, colour shows volume over capacity",
              " fill=\"#444\"");
  svg << "<g fill=\"none\" stroke-linecap=\"butt\">\n";
  for (const auto& entry : LinkPaths(assignment, nodes, p, largest, widest)) {
    svg << "<path stroke=\"" << Colour(entry.first.second) << "\" stroke-width=\""
        << Px(LineWidth(entry.first.first, widest)) << "\" d=\"" << entry.second << "\"/>\n";
  }
  svg << "</g>\n";
  DrawNodes(assignment, nodes, p, svg);
  DrawLegend(p, widest, largest, MapTop + map_height + 16.0, svg);
  svg << "</svg>\n";
}

}  // namespace fw
