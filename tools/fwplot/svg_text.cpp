// How the pictures print numbers and text: fixed formats, so the same input
// gives the same bytes, and ticks at round values.
#include <cmath>
#include <cstdio>

#include "tools/fwplot/plot.h"

namespace fw {

std::string Px(double value) {
  char text[48];
  std::snprintf(text, sizeof text, "%.1f", value);
  const std::string shown = text;
  return shown == "-0.0" ? "0.0" : shown;
}

std::vector<double> NiceTicks(double lo, double hi, int count) {
  if (!(hi > lo)) return {lo};
  const double rough = (hi - lo) / count;
  const double power = std::pow(10.0, std::floor(std::log10(rough)));
  double step = power;
  for (const double factor : {2.0, 5.0, 10.0}) {
    if (step < rough) step = factor * power;
  }
  std::vector<double> ticks;
  for (double k = std::ceil(lo / step); k * step <= hi * (1.0 + 1e-12); k += 1.0) ticks.push_back(k * step);
  return ticks;
}

std::string TickLabel(double value, double step) {
  const int decimals = step >= 1.0 ? 0 : static_cast<int>(std::ceil(-std::log10(step) - 1e-9));
  char text[64];
  std::snprintf(text, sizeof text, "%.*f", decimals, value);
  std::string shown = text;
  if (shown.rfind("-0", 0) == 0 && shown.find_first_not_of("-0.") == std::string::npos) shown.erase(0, 1);
  const std::size_t digits_begin = shown[0] == '-' ? 1 : 0;
  std::size_t point = shown.find('.');
  if (point == std::string::npos) point = shown.size();
  for (std::size_t at = point; at > digits_begin + 3; at -= 3) shown.insert(at - 3, ",");
  return shown;
}

std::string XmlText(const std::string& text) {
  std::string escaped;
  for (const char c : text) {
    if (c == '&') {
      escaped += "&amp;";
    } else if (c == '<') {
      escaped += "&lt;";
    } else if (c == '>') {
      escaped += "&gt;";
    } else if (c == '"') {
      escaped += "&quot;";
    } else {
      escaped += c;
    }
  }
  return escaped;
}

}  // namespace fw
