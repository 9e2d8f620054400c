// Seeded road-like networks for the end-to-end comparisons and the benchmark:
// a grid of two-way streets plus extra one-way links, with BPR costs whose
// free-flow times are small integers (so many routes tie), and OD pairs from a
// set of origins, grouped by origin or interleaved.
#ifndef FW_TESTS_SUPPORT_GENERATED_NETWORK_H
#define FW_TESTS_SUPPORT_GENERATED_NETWORK_H

#include <cstdint>
#include <string>

namespace fw {

struct NetworkShape {
  int columns = 10;          // grid columns; nodes = columns * rows
  int rows = 10;             // grid rows
  int links = 400;           // links in all: the grid's two-way streets, then extra one-way links
  int pairs = 50;            // OD pairs
  int origins = 10;          // distinct origins among the pairs
  bool interleaved = false;  // pairs cycle through the origins instead of coming grouped by origin
  bool shuffled = false;     // links in random order instead of sorted by tail node
  bool mixed_types = false;  // some links of cost type 0 and 2 besides the BPR links
  int iterations = 20;       // MaxIteration of the input header
};

// Fills the network tables (after ResetTables) with a network of `shape`
// drawn from std::mt19937 seeded with `seed`. Every destination is reachable.
void GenerateNetwork(std::uint32_t seed, const NetworkShape& shape);

// The tables as an input file: header (MaxError 0.01, ObjectError 0.0001,
// MaxIteration), OD records, link records; reals printed so they read back
// to the same single-precision values.
std::string InputText();

}  // namespace fw

#endif  // FW_TESTS_SUPPORT_GENERATED_NETWORK_H
