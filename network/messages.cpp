// Pieces of the run's one-line failure messages that several checks share.
#include <cmath>
#include <cstdio>
#include <string>

#include "network/network.h"
#include "network/tables.h"

namespace fw {

std::string LinkName(int l) {
  return "link " + std::to_string(l) + " (" + std::to_string(LinkOrigin[l]) + " -> " + std::to_string(LinkDest[l]) +
         ")";
}

std::string ShownReal(float value) {
  // A NaN's sign bit depends on the order in which the compiler put the
  // operands that made it, so it is not shown: the message stays the same at
  // every optimisation level.
  if (std::isnan(value)) return "nan";
  char text[32];
  std::snprintf(text, sizeof text, "%g", static_cast<double>(value));
  return text;
}

}  // namespace fw
