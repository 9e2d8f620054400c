// Seeded road-like networks for the end-to-end comparisons and the benchmark:
// a grid of two-way streets plus extra one-way links, with BPR costs whose
// free-flow times are small integers (so many routes tie), and OD pairs from a
// set of origins, grouped by origin or interleaved. Options add the traits of
// real networks: node numbers unrelated to position, long arterials, cheap
// type-0 links, zero-cost links, constant costs of very different sizes.
#ifndef FW_TESTS_SUPPORT_GENERATED_NETWORK_H
#define FW_TESTS_SUPPORT_GENERATED_NETWORK_H

#include <cstdint>
#include <string>

namespace fw {

// How the links' costs are drawn.
enum class Costs {
  Small,      // BPR, t0 a whole number from 1 to 6: many routes tie
  Realistic,  // BPR, t0 from 1 to 9.99 per cell of length in hundredths (arterials 1 to 1.99): 1 to 40
  Wide,       // constant (BPR with a = 0): 1 % from 1e-4 to 9e-4, the rest from 1 to 200,000
};

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
  // Traits of real networks; the defaults draw the networks above, draw for draw.
  bool permuted = false;       // node numbers a random permutation of the grid positions
  int arterials = 0;           // percent of links that are two-way arterials 5 to 20 cells along a row or
                               // column; the grid then keeps only some of its column streets
  Costs costs = Costs::Small;  // how t0 is drawn
  int type0 = 0;               // percent of links of type 0 with c from 1,500 to 5,000: 1/c is 2e-4 to 6.7e-4
  int zero_cost = 0;           // percent of links with t0 = 0, costing 0 at any volume
  float scale = 1.0f;          // factor of every t0: large ones give labels above 2^24
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
