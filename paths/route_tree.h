// The route tree being built, shared by its two ways of building it (the
// passes over the link list, paths/passes.cpp, and the label setting,
// paths/label_setting.cpp) and by the loadings that walk it.
#ifndef FW_PATHS_ROUTE_TREE_H
#define FW_PATHS_ROUTE_TREE_H

#include <new>
#include <type_traits>

#include "network/tables.h"

namespace fw {

// Puts a work-state struct back to its start value (all zero) in one
// statement, in place: the structs are too large for a temporary on the stack.
template <typename State>
void ResetState(State* state) {
  static_assert(std::is_trivially_destructible<State>::value, "a work state owns nothing");
  new (state) State{};
}

struct TreeLink {  // a link as the route tree reads it, packed into one entry
  int head;        // LinkDest
  float cost;      // LinkCost when the index was built
  int number;      // LinkNum
};

struct TreeNode {  // a node's state during a tree, packed into one entry
  float time;      // its label: TimeToNode
  int link;        // its predecessor: ProLinkNumber
  int pass;        // the pass that set the label (the origin's is 0)
  int tail;        // the tail of `link`, the node the route comes from
};

enum class TreeMethod {  // how the route trees are built
  Chosen,                // whichever way has lately been the faster (MethodChooser)
  Passes,                // always by the passes, one origin at a time
  Lanes,                 // by the passes, several origins at once where the processor allows (LanesAvailable), else one at a time
  Labels,                // always from least labels (by the bounded passes where labels alone do not decide)
};

// Chooses, tree by tree, the way of building trees that has lately been the
// faster: each way's time per tree is a running average over its trees. The
// way not chosen builds a tree now and then, so that its average follows the
// link costs as they change: once the chosen way has spent ProbeShare times
// the other's average since the other last built one, so that this costs
// about 1 / ProbeShare of the time however slow the other way is. Either way
// gives the same tree; the choice only moves the time. All zero is the start.
struct MethodChooser {
  static constexpr double ProbeShare = 64.0;
  static constexpr int FirstSamples = 3;  // samples of each way before the faster is chosen

  // Whether the next tree is to be taken from least labels.
  bool UseLabels() const;
  // Records that `trees` trees built together took `seconds` each, from
  // least labels or by the passes. Each tree counts in the average, but
  // trees built together are one of the first samples, whose least is
  // taken: a first group slowed by first touches of the tables is followed
  // by a second before the faster way is chosen.
  void Record(bool labels, double seconds, int trees = 1);

  double average[2];  // seconds per tree by the passes, from least labels
  int samples[2];     // samples timed each way: single trees, or trees built together
  double spent;       // seconds spent by the faster way since the other last built a tree
};

constexpr int SpareNode = MaxNodes;  // TreeNodes entry that takes the writes of links that improve nothing

struct RouteTreeState {
  TreeLink links[MaxLinks];       // the links with the costs of the current loading, in index order
  int out_first[MaxNodes + 1];    // first entry of each node's links in out_links
  TreeLink out_links[MaxLinks];   // the same links grouped by tail node, in index order within a node
  int in_first[MaxNodes + 1];     // first entry of each node's links in in_links
  TreeLink in_links[MaxLinks];    // the links grouped by head node, each with its tail in `head`
  bool grouped;                   // out_links and in_links hold the links of the current index (GroupLinks)
  int out_index[MaxLinks];        // the link index of each entry of out_links
  int in_index[MaxLinks];         // the link index of each entry of in_links
  bool indexed;                   // the groupings and the runs were built for the links below
  int indexed_nodes;              // NodeNum then
  int indexed_links;              // LinkNumber then
  int indexed_tail[MaxLinks];     // LinkOrigin then
  int indexed_head[MaxLinks];     // LinkDest then
  TreeNode nodes[MaxNodes + 1];   // the nodes of the tree being built, and the spare
  bool labels_allowed;            // every cost in `links` is finite and 0 or more
  float least_paid_cost;          // least link cost above 0; 0 if none
  MethodChooser chooser;          // which way builds the next tree, under TreeMethod::Chosen
};
extern RouteTreeState Trees;

// How trees are built: Chosen, except in tests. A setting, not work state:
// ResetTables leaves it as it is.
extern TreeMethod TreeMethodUsed;

// How many trees each way has built, and the links the passes relaxed, since
// the process started (tests and the benchmark read differences).
struct TreeTally {
  long long label_trees;      // trees taken from least labels
  long long partial_trees;    // of those, trees settled only as far as their needed nodes
  long long bounded_trees;    // trees by the passes on the labels under their bounds
  long long pass_trees;       // trees by all the passes
  long long reach_trees;      // of those, trees by the passes within a reach of their needed nodes
  long long lane_trees;       // of those, trees built with others in lanes (paths/passes.h)
  long long relaxations;      // links relaxed by trees by the passes that count them
};
extern TreeTally TreesBuilt;

}  // namespace fw

#endif  // FW_PATHS_ROUTE_TREE_H
