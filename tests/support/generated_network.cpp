// Seeded road-like networks. Every draw is raw std::mt19937 output reduced
// with %, so the same seed gives the same network with any standard library.
#include "support/generated_network.h"

#include <algorithm>
#include <cassert>
#include <cstdlib>
#include <cstdio>
#include <random>
#include <tuple>
#include <utility>
#include <vector>

#include "network/tables.h"
#include "support/support.h"

namespace fw {

// A link before its costs: its ends and its length in grid cells.
struct Street {
  int tail;
  int head;
  int cells;
  bool operator<(const Street& o) const { return std::tie(tail, head, cells) < std::tie(o.tail, o.head, o.cells); }
};

// Appends the link from grid node `n` to grid node `m` and, with `both`, back.
static void Connect(std::vector<Street>* links, int n, int m, const NetworkShape& shape, bool both) {
  const int cells = std::max(std::abs(n / shape.columns - m / shape.columns), std::abs(n % shape.columns - m % shape.columns));
  links->push_back({n, m, cells});
  if (both) links->push_back({m, n, cells});
}

// The streets of the grid, both ways. With arterials, only those of every
// row and of column 0 (which keep every node reachable) are certain, and the
// other column streets, in random order, fill what the arterials leave.
static void GridStreets(std::mt19937& mt, const NetworkShape& shape, std::vector<Street>* links) {
  std::vector<int> columns;  // grid nodes whose street to the next row is optional
  for (int r = 0; r < shape.rows; ++r) {
    for (int c = 0; c < shape.columns; ++c) {
      const int n = r * shape.columns + c;
      if (c + 1 < shape.columns) Connect(links, n, n + 1, shape, true);
      if (r + 1 < shape.rows && (shape.arterials == 0 || c == 0)) Connect(links, n, n + shape.columns, shape, true);
      if (r + 1 < shape.rows && shape.arterials > 0 && c > 0) columns.push_back(n);
    }
  }
  const int room = shape.links - shape.links * shape.arterials / 100 / 2 * 2;
  for (int i = 0; i < static_cast<int>(columns.size()) && static_cast<int>(links->size()) + 2 <= room; ++i) {
    const auto k = static_cast<std::size_t>(i + Draw(mt, static_cast<int>(columns.size()) - i));
    std::swap(columns[static_cast<std::size_t>(i)], columns[k]);
    Connect(links, columns[static_cast<std::size_t>(i)], columns[static_cast<std::size_t>(i)] + shape.columns, shape, true);
  }
}

// Appends pairs of arterials (one each way) along a row or a column, 5 to 20
// cells long (less where the grid is narrower), until `count` links.
static void Arterials(std::mt19937& mt, const NetworkShape& shape, int count, std::vector<Street>* links) {
  assert(shape.columns > 1 || shape.rows > 1);
  for (int i = 0; i + 2 <= count; i += 2) {
    const bool along_row = shape.rows == 1 || (shape.columns > 1 && Draw(mt, 2) == 0);
    const int span = along_row ? shape.columns : shape.rows;  // nodes along the line
    const int longest = std::min(20, span - 1);
    const int cells = std::min(5, longest) + Draw(mt, longest - std::min(5, longest) + 1);
    const int line = Draw(mt, along_row ? shape.rows : shape.columns);
    const int start = Draw(mt, span - cells);
    const int step = along_row ? 1 : shape.columns;
    const int n = along_row ? line * shape.columns + start : start * shape.columns + line;
    Connect(links, n, n + cells * step, shape, true);
  }
}

// The links' ends: the grid's streets, the arterials, then extra one-way
// links to nodes at most two rows and columns away (a few are self-loops or
// parallel links), numbered by `number`, sorted by tail or shuffled.
static std::vector<Street> Streets(std::mt19937& mt, const NetworkShape& shape, const std::vector<int>& number) {
  std::vector<Street> links;
  GridStreets(mt, shape, &links);
  Arterials(mt, shape, shape.links * shape.arterials / 100, &links);
  assert(static_cast<int>(links.size()) <= shape.links);
  while (static_cast<int>(links.size()) < shape.links) {
    const int r = Draw(mt, shape.rows);
    const int c = Draw(mt, shape.columns);
    const int r2 = std::clamp(r + Draw(mt, 5) - 2, 0, shape.rows - 1);
    const int c2 = std::clamp(c + Draw(mt, 5) - 2, 0, shape.columns - 1);
    Connect(&links, r * shape.columns + c, r2 * shape.columns + c2, shape, false);
  }
  for (Street& s : links) s = {number[static_cast<std::size_t>(s.tail)], number[static_cast<std::size_t>(s.head)], s.cells};
  if (shape.shuffled) {
    for (int i = static_cast<int>(links.size()) - 1; i > 0; --i) {
      std::swap(links[static_cast<std::size_t>(i)], links[static_cast<std::size_t>(Draw(mt, i + 1))]);
    }
  } else {
    std::sort(links.begin(), links.end());
  }
  return links;
}

// A free-flow time drawn as `shape.costs` says, for a link `cells` long.
static float FreeFlowTime(std::mt19937& mt, const NetworkShape& shape, int cells) {
  static const float powers[] = {1.0f, 10.0f, 100.0f, 1000.0f, 10000.0f, 100000.0f};
  switch (shape.costs) {
    case Costs::Small: return static_cast<float>(1 + Draw(mt, 6));
    case Costs::Realistic: {
      const int per_cell = cells >= 5 ? 100 + Draw(mt, 100) : 100 + Draw(mt, 900);  // arterials are fast
      return static_cast<float>(std::max(cells, 1) * per_cell) / 100.0f;
    }
    case Costs::Wide:
      if (Draw(mt, 100) == 0) return static_cast<float>(1 + Draw(mt, 9)) * 0.0001f;
      return std::min(static_cast<float>(1 + Draw(mt, 9)) * powers[Draw(mt, 6)], 200000.0f);
  }
  return 0.0f;
}

// Appends the links with BPR costs or, for every seventh link of a mixed
// network, a cost of type 0 or 2; then, as the shape asks, cheap type-0
// links and zero-cost links.
static void AddLinks(std::mt19937& mt, const NetworkShape& shape, const std::vector<int>& number) {
  int count = 0;
  for (const Street& s : Streets(mt, shape, number)) {
    float t0 = FreeFlowTime(mt, shape, s.cells);
    float capacity = static_cast<float>(100 + Draw(mt, 900));
    float type = 1.0f;
    if (shape.mixed_types && ++count % 7 == 0) {
      type = count % 14 == 0 ? 0.0f : 2.0f;
      capacity = static_cast<float>(2000 + Draw(mt, 3000));
    }
    if (shape.type0 > 0 || shape.zero_cost > 0) {
      const int kind = Draw(mt, 100);
      if (kind < shape.type0) {
        type = 0.0f;
        capacity = static_cast<float>(1500 + Draw(mt, 3500));
      } else if (kind < shape.type0 + shape.zero_cost) {
        t0 = 0.0f;
      }
    }
    AddLink(s.tail, s.head, t0 * shape.scale, capacity, shape.costs == Costs::Wide ? 0.0f : 0.15f, 4.0f, type);
  }
}

// Appends the OD pairs: `origins` distinct origins, destinations drawn apart
// from the origin, trips with two decimals (so sums depend on their order).
static void AddPairs(std::mt19937& mt, const NetworkShape& shape, const std::vector<int>& number) {
  std::vector<int> nodes(static_cast<std::size_t>(NodeNum));
  for (int n = 0; n < NodeNum; ++n) nodes[static_cast<std::size_t>(n)] = n;
  for (int i = 0; i < shape.origins; ++i) std::swap(nodes[static_cast<std::size_t>(i)], nodes[static_cast<std::size_t>(i + Draw(mt, NodeNum - i))]);
  for (int p = 0; p < shape.pairs; ++p) {
    const int which = shape.interleaved ? p % shape.origins : p * shape.origins / shape.pairs;
    const int origin = nodes[static_cast<std::size_t>(which)];
    int dest = Draw(mt, NodeNum - 1);
    if (dest >= origin) ++dest;
    AddOdPair(number[static_cast<std::size_t>(origin)], number[static_cast<std::size_t>(dest)],
              static_cast<float>(1 + Draw(mt, 40000)) / 100.0f);
  }
}

void GenerateNetwork(std::uint32_t seed, const NetworkShape& shape) {
  std::mt19937 mt(seed);
  MaxError = 0.01f;
  ObjectError = 0.0001f;
  MaxIteration = shape.iterations;
  NodeNum = shape.columns * shape.rows;
  std::vector<int> number(static_cast<std::size_t>(NodeNum));  // node number of each grid position
  for (int n = 0; n < NodeNum; ++n) number[static_cast<std::size_t>(n)] = n;
  for (int n = NodeNum - 1; shape.permuted && n > 0; --n) {
    std::swap(number[static_cast<std::size_t>(n)], number[static_cast<std::size_t>(Draw(mt, n + 1))]);
  }
  AddLinks(mt, shape, number);
  AddPairs(mt, shape, number);
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
