// Seeded road-like networks. Every draw is raw std::mt19937 output reduced
// with %, so the same seed gives the same network with any standard library.
#include "support/generated_network.h"

#include <algorithm>
#include <cassert>
#include <cstdio>
#include <random>
#include <utility>
#include <vector>

#include "network/tables.h"
#include "support/support.h"

namespace fw {

// The streets of the grid, both ways, then extra one-way links to nodes at
// most two rows and columns away (a few are self-loops or parallel links).
static std::vector<std::pair<int, int>> Streets(std::mt19937& mt, const NetworkShape& shape) {
  std::vector<std::pair<int, int>> links;
  for (int r = 0; r < shape.rows; ++r) {
    for (int c = 0; c < shape.columns; ++c) {
      const int n = r * shape.columns + c;
      if (c + 1 < shape.columns) links.insert(links.end(), {{n, n + 1}, {n + 1, n}});
      if (r + 1 < shape.rows) links.insert(links.end(), {{n, n + shape.columns}, {n + shape.columns, n}});
    }
  }
  assert(static_cast<int>(links.size()) <= shape.links);
  while (static_cast<int>(links.size()) < shape.links) {
    const int r = Draw(mt, shape.rows);
    const int c = Draw(mt, shape.columns);
    const int r2 = std::clamp(r + Draw(mt, 5) - 2, 0, shape.rows - 1);
    const int c2 = std::clamp(c + Draw(mt, 5) - 2, 0, shape.columns - 1);
    links.emplace_back(r * shape.columns + c, r2 * shape.columns + c2);
  }
  if (shape.shuffled) {
    for (int i = static_cast<int>(links.size()) - 1; i > 0; --i) std::swap(links[i], links[Draw(mt, i + 1)]);
  } else {
    std::sort(links.begin(), links.end());
  }
  return links;
}

// Appends the links with BPR costs (t0 a whole number from 1 to 6) or, for
// every seventh link of a mixed network, a cost of type 0 or 2.
static void AddLinks(std::mt19937& mt, const NetworkShape& shape) {
  int count = 0;
  for (const auto& [tail, head] : Streets(mt, shape)) {
    const float t0 = static_cast<float>(1 + Draw(mt, 6));
    float capacity = static_cast<float>(100 + Draw(mt, 900));
    float type = 1.0f;
    if (shape.mixed_types && ++count % 7 == 0) {
      type = count % 14 == 0 ? 0.0f : 2.0f;
      capacity = static_cast<float>(2000 + Draw(mt, 3000));
    }
    AddLink(tail, head, t0, capacity, 0.15f, 4.0f, type);
  }
}

// Appends the OD pairs: `origins` distinct origins, destinations drawn apart
// from the origin, trips with two decimals (so sums depend on their order).
static void AddPairs(std::mt19937& mt, const NetworkShape& shape) {
  std::vector<int> nodes(static_cast<std::size_t>(NodeNum));
  for (int n = 0; n < NodeNum; ++n) nodes[static_cast<std::size_t>(n)] = n;
  for (int i = 0; i < shape.origins; ++i) std::swap(nodes[static_cast<std::size_t>(i)], nodes[static_cast<std::size_t>(i + Draw(mt, NodeNum - i))]);
  for (int p = 0; p < shape.pairs; ++p) {
    const int which = shape.interleaved ? p % shape.origins : p * shape.origins / shape.pairs;
    const int origin = nodes[static_cast<std::size_t>(which)];
    int dest = Draw(mt, NodeNum - 1);
    if (dest >= origin) ++dest;
    AddOdPair(origin, dest, static_cast<float>(1 + Draw(mt, 40000)) / 100.0f);
  }
}

void GenerateNetwork(std::uint32_t seed, const NetworkShape& shape) {
  std::mt19937 mt(seed);
  MaxError = 0.01f;
  ObjectError = 0.0001f;
  MaxIteration = shape.iterations;
  NodeNum = shape.columns * shape.rows;
  AddLinks(mt, shape);
  AddPairs(mt, shape);
}

// Appends `x` printed so that it reads back to the same single-precision value.
static void AppendReal(std::string* text, float x) {
  char field[32];
  std::snprintf(field, sizeof field, " %.9g", static_cast<double>(x));
  *text += field;
}

std::string InputText() {
  std::string text;
  AppendReal(&text, MaxError);
  AppendReal(&text, ObjectError);
  text += " " + std::to_string(MaxIteration) + " " + std::to_string(LinkNumber) + " " + std::to_string(NodeNum) + " " +
          std::to_string(OdpairNum) + "\n";
  for (int od = 0; od < OdpairNum; ++od) {
    text += std::to_string(Origin[od]) + " " + std::to_string(Dest[od]);
    AppendReal(&text, TripVol[od]);
    text += "\n";
  }
  for (int l = 0; l < LinkNumber; ++l) {
    text += std::to_string(LinkNum[l]) + " " + std::to_string(LinkOrigin[l]) + " " + std::to_string(LinkDest[l]);
    for (const float x : {TravelTime[l], Capacity[l], a[l], b[l], LinkCFType[l]}) AppendReal(&text, x);
    text += "\n";
  }
  return text;
}

}  // namespace fw
