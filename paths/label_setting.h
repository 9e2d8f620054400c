// The route tree from least labels, settled in order of (label, pass) from a
// ring of buckets, with the check that shows the passes would choose the same
// predecessors; and bounds under which the passes may skip most labels when
// that check fails.
#ifndef FW_PATHS_LABEL_SETTING_H
#define FW_PATHS_LABEL_SETTING_H

#include <cstdint>

#include "network/tables.h"

namespace fw {

constexpr int RingSlots = 4096;         // lists of the bucket ring (a power of two)
constexpr int RingWords = RingSlots / 64;  // 64-bit words of its bitmap
constexpr int MaxHeapItems = MaxLinks + 1;  // most keys put in during one tree: one a relaxation, and the origin's

struct HeapEntry {     // a node waiting in its bucket's turn, with its key
  std::uint64_t key;   // label bits above, pass below
  int node;            // the node
};

struct TightLink {  // a link whose offer from its tail's least label equals its head's
  int tail;         // LinkOrigin
  float cost;       // its cost in the tree's index
  int next;         // next tight link into the same head; -1 at the end
};

struct LabelState {
  // The waiting nodes: labels are cut into buckets of one width, and the
  // buckets wait in a ring of lists until their turn; the bucket whose turn it
  // is is sorted by key, and merged with a binary heap of the keys offered
  // into it meanwhile, so that its nodes are taken in key order. An
  // item whose key is not its node's current key is stale and skipped.
  double per_width;                   // 1 / the bucket width of this tree
  float most_seen;                    // largest label settled in the last tree, which sets the width
  std::uint64_t item_key[MaxHeapItems];  // key of each item put in
  int item_node[MaxHeapItems];        // its node
  int item_next[MaxHeapItems];        // next item in the same ring list; -1 at the end
  int item_count;                     // items used in this tree
  int ring_first[RingSlots];          // first item of each ring list; -1 if empty
  std::uint64_t ring_filled[RingWords];  // one bit a list: set while it holds items
  int ring_items;                     // items in the ring lists
  bool ring_ready;                    // ring_first has been set to -1 throughout since the last reset
  long long bucket;                   // the bucket whose turn it is
  HeapEntry due[MaxHeapItems];        // the current bucket's items from the ring, in key order
  int due_count;                      // entries of `due`
  int due_next;                       // the first of them not yet taken
  HeapEntry heap[MaxHeapItems];       // items offered into the current bucket during its turn, least key first
  int heap_size;                      // entries of `heap`
  // What the settling learns of each node.
  float next_offer[MaxNodes];       // least offer into the node above its least label, from settled tails
  int tight_first[MaxNodes];        // first tight link into the node; -1 if none
  float bound[MaxNodes];            // its bound: labels above it offer every head more than the head's bound
  int settled_at[MaxNodes];         // its position in `settled`
  int needed_mark[MaxNodes];        // needed_stamp while the node is needed and not yet settled
  int needed_stamp;                 // the mark of the current tree's needed nodes (1 or more)
  int needed_left;                  // needed nodes not yet settled
  TightLink tight[MaxLinks];        // the tight links of the tree
  int tight_count;                  // entries of `tight` in use
  int settled[MaxNodes];            // reached nodes in the order they were settled
  int settled_count;                // entries of `settled`
  int requeued[MaxNodes];           // a ring of the nodes whose bound rose after their links were followed
  bool queued[MaxNodes];            // the node is in `requeued`
};
extern LabelState LabelWork;

// What a tree from least labels came to.
enum class LabelOutcome {
  Decided,    // every reached node is settled, with the passes' label and predecessor
  Partial,    // the settled nodes, the needed ones among them, have the passes' labels and predecessors
  Bounded,    // undecided, but LabelWork.bound holds over every link: the bounded passes decide
  Undecided,  // the passes decide, on every label
};

// Settles the least labels from `origin` into Trees.nodes and decides the
// tree from them where it can. With needed nodes (count > 0) it may stop
// once they and their routes are decided; otherwise every reached node is
// settled. Nodes never reached keep their `link`.
LabelOutcome BuildTreeFromLabels(int origin, const int* needed, int count);

}  // namespace fw

#endif  // FW_PATHS_LABEL_SETTING_H
