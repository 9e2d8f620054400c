// The route tree: a label-correcting method in passes over the link list.
// Which links a pass examines, and in what order, decides between equal-cost
// routes, so the passes are reproduced exactly. A full scan of the link list
// acts only on the links out of nodes marked 0, so each pass visits just
// those links, in index order, and leaves the rest unread. The link list is
// cut into runs of consecutive links that share a tail node; a pass marks the
// runs of its nodes in a bitmap and reads the bitmap from the lowest bit.
// Where the tails ascend with the link index, the runs are the nodes' own
// link lists in node order, and the bitmap is one of nodes.
//
// Where the passes would relax each link several times over, a tree starts
// instead from the least labels, settled bucket by bucket, and takes its
// predecessors from them when it can show that the passes choose the same;
// otherwise the passes run, on the labels that can still matter. The section
// "Trees from least labels" below gives the reasoning.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

#include "network/network.h"
#include "network/tables.h"
#include "paths/paths.h"

namespace fw {

// Cuts the link list into runs: RunCount, RunFirst, RunTail.
static void CutRuns() {
  RunCount = 0;
  for (int l = 0; l < LinkNumber; ++l) {
    if (l == 0 || LinkOrigin[l] != LinkOrigin[l - 1]) {
      RunFirst[RunCount] = l;
      RunTail[RunCount++] = LinkOrigin[l];
    }
  }
  RunFirst[RunCount] = LinkNumber;
}

static void IndexBuckets();
static void ClearBuckets();

void IndexLinkRuns() {
  for (int l = 0; l < LinkNumber; ++l) TreeLinks[l] = TreeLink{LinkDest[l], LinkCost[l], LinkNum[l]};
  CutRuns();
  for (int n = 0; n < NodeNum; ++n) NodeRunFirst[n] = 0;
  for (int r = 0; r < RunCount; ++r) ++NodeRunFirst[RunTail[r]];
  for (int n = 1; n < NodeNum; ++n) NodeRunFirst[n] += NodeRunFirst[n - 1];  // now the end of each group
  NodeRunFirst[NodeNum] = RunCount;
  // Filled from the back, each entry of NodeRunFirst ends at the start of its group.
  for (int r = RunCount - 1; r >= 0; --r) NodeRuns[--NodeRunFirst[RunTail[r]]] = r;
  LoopsLower = false;
  for (int l = 0; l < LinkNumber; ++l) LoopsLower |= LinkOrigin[l] == LinkDest[l] && LinkCost[l] < 0.0f;
  TailsAscend = !LoopsLower;
  for (int r = 1; r < RunCount; ++r) TailsAscend &= RunTail[r] > RunTail[r - 1];
  IndexBuckets();
  TreesOnIndex = 0;
  LabelsPay = false;
}

// Marks in PassRuns the runs of the nodes scan[0 .. count-1]. Most nodes
// have one run (all of them when the links come sorted by tail node).
static void MarkPassRuns(const int* scan, int count) {
  for (int s = 0; s < count; ++s) {
    const int first = NodeRunFirst[scan[s]];
    const int last = NodeRunFirst[scan[s] + 1];
    if (last - first == 1) {
      PassRuns[NodeRuns[first] >> 6] |= std::uint64_t{1} << (NodeRuns[first] & 63);
      continue;
    }
    for (int k = first; k < last; ++k) PassRuns[NodeRuns[k] >> 6] |= std::uint64_t{1} << (NodeRuns[k] & 63);
  }
}

// Pass `pass` over the marked runs in index order, clearing the marks. The
// nodes listed for it were improved in the previous pass, so a run's tail is
// marked 0 while its last improvement is that pass; once improved in this
// pass it is marked 2. A node's mark cannot change inside its own run (only a
// link into the node could change it, and a loop of cost 0 or more improves
// nothing), so it is read once per run. The links of a run are relaxed
// without branches, since whether a label improves is hard to predict: a link
// that improves nothing writes into the spare entry. Nodes improved for the
// first time in this pass are listed in improved_nodes; returns their number.
// Where a loop of negative cost can improve its own tail (LoopsLower), the
// tail stops being scanned there: the mark is read again before each link.
template <bool ReadMarkEachLink>
static int Pass(int pass, int* improved_nodes) {
  int improved = 0;
  long long relaxed = 0;
  const int words = (RunCount + 63) >> 6;
  for (int w = 0; w < words; ++w) {
    std::uint64_t bits = PassRuns[w];
    PassRuns[w] = 0;
    for (; bits != 0; bits &= bits - 1) {
      const int r = (w << 6) + __builtin_ctzll(bits);
      const TreeNode from = TreeNodes[RunTail[r]];
      // Deliberate: the mark is read as it stands now, so a node improved
      // earlier in this pass is not scanned again until the next pass.
      if (from.improved != pass - 1) continue;
      relaxed += RunFirst[r + 1] - RunFirst[r];
      for (int l = RunFirst[r]; l < RunFirst[r + 1]; ++l) {
        if (ReadMarkEachLink && TreeNodes[RunTail[r]].improved != pass - 1) break;
        const TreeLink link = TreeLinks[l];
        const TreeNode to = TreeNodes[link.head];
        const float label = from.time + link.cost;
        const bool better = to.time > label;  // Deliberate: strict, the first of equal routes stays
        improved_nodes[improved] = link.head;
        improved += static_cast<int>(better & (to.improved != pass));
        TreeNodes[better ? link.head : SpareNode] = TreeNode{label, link.number, pass, RunTail[r]};
      }
    }
  }
  PassRelaxations += relaxed;
  return improved;
}

void SeedTrees() {
  for (int n = 0; n < NodeNum; ++n) TreeNodes[n].link = ProLinkNumber[n];
}

// The passes where the tails ascend with the link index: the runs are then
// the nodes' own link lists in node order, so a pass visits the nodes marked
// in a bitmap from the lowest bit and relaxes their links from OutLinks.
// Each improvement marks its head for the next pass at once. Otherwise as
// Pass, including the pruning of labels above DangerLabel when Pruned; the
// relaxations are counted into PassRelaxations only when Counted.
template <bool Pruned, bool Counted>
static void PassesInNodeOrder() {
  std::uint64_t* scan = PassNodes[0];
  std::uint64_t* next = PassNodes[1];
  const int words = (NodeNum + 63) >> 6;
  long long relaxed = 0;
  // The passes go on while the previous one improved a label, which marked
  // its head for this one.
  for (int pass = 1, marked = 1; marked != 0; ++pass) {
    marked = 0;
    for (int w = 0; w < words; ++w) {
      std::uint64_t bits = scan[w];
      scan[w] = 0;
      for (; bits != 0; bits &= bits - 1) {
        const int node = (w << 6) + __builtin_ctzll(bits);
        const TreeNode from = TreeNodes[node];
        // Deliberate: the mark is read as it stands now, so a node improved
        // earlier in this pass is not scanned again until the next pass.
        if (from.improved != pass - 1 || (Pruned && !(from.time <= DangerLabel[node]))) continue;
        const int end = OutFirst[node + 1];
        if (Counted) relaxed += end - OutFirst[node];
        for (int k = OutFirst[node]; k < end; ++k) {
          const TreeLink link = OutLinks[k];
          const TreeNode to = TreeNodes[link.head];
          const float label = from.time + link.cost;
          const bool better = to.time > label;  // Deliberate: strict, the first of equal routes stays
          next[link.head >> 6] |= static_cast<std::uint64_t>(better) << (link.head & 63);
          TreeNodes[better ? link.head : SpareNode] = TreeNode{label, link.number, pass, node};
        }
      }
    }
    for (int w = 0; w < words; ++w) marked |= static_cast<int>(next[w] != 0);
    std::swap(scan, next);
  }
  PassRelaxations += relaxed;
}

// The passes themselves, reproduced link by link; with `pruned`, on the
// labels at or below DangerLabel only. With `counted`, the relaxations are
// added to PassRelaxations (the passes in link order always count them).
static void BuildTreeByPasses(int origin, bool pruned, bool counted) {
  // Deliberate: the predecessor of a node this tree does not reach is left as
  // the last tree set it.
  for (int n = 0; n < NodeNum; ++n) {
    TreeNodes[n].time = Unreached;
    TreeNodes[n].improved = -1;
  }
  TreeNodes[origin] = TreeNode{0.0f, RootMark, 0, origin};
  if (TailsAscend) {
    PassNodes[0][origin >> 6] = std::uint64_t{1} << (origin & 63);
    if (pruned) {
      PassesInNodeOrder<true, false>();
    } else if (counted) {
      PassesInNodeOrder<false, true>();
    } else {
      PassesInNodeOrder<false, false>();
    }
    return;
  }
  // The passes go on while the previous one improved a label; the nodes it
  // improved are the ones the next scans. The two node lists swap roles.
  int* scan = ScanNodes;
  int* improved = ImprovedNodes;
  scan[0] = origin;
  for (int pass = 1, count = 1; count > 0; ++pass) {
    if (pruned) {
      int kept = 0;
      for (int s = 0; s < count; ++s) {
        const int n = scan[s];
        scan[kept] = n;
        kept += static_cast<int>(TreeNodes[n].time <= DangerLabel[n]);
      }
      count = kept;
      if (count == 0) break;
    }
    MarkPassRuns(scan, count);
    count = LoopsLower ? Pass<true>(pass, improved) : Pass<false>(pass, improved);
    int* const next = improved;
    improved = scan;
    scan = next;
  }
}

// ---- Trees from least labels -------------------------------------------------------
//
// The passes end with every reached node at its least label: the least
// single-precision sum, added link by link, over the routes from the origin
// (a sum never falls along a route, and a larger label never offers less).
// Those labels can be found as Dijkstra finds them, at a fraction of the
// passes' work. The predecessor is the harder part: it is the link whose
// offer first gave the node its final label, and which offer comes first
// depends on the passes.
//
// DangerLabel bounds the labels that matter. The bounds are chosen so that
// a label above its node's bound offers every head more than the head's
// bound. Labels above their bounds therefore never lower a label at or below
// a bound, so the passes restricted to the labels at or below their bounds
// make exactly the same changes to those labels, final labels and
// predecessors included. One such choice holds over every link: with w the
// least link cost above 0 and u the spacing of single-precision values at
// eight times the largest least label M, (1 - s) L + s M + 2u with s = 2u / w.
// (Rounding moves an offer by at most u/2 and a least label is at most its
// tail's label plus the cost plus u/2; the slope s makes up for both on every
// link of cost w or more, and a link of cost 0 offers exactly its tail's
// label.)
//
// Better still, if no link offers its head, from the tail's least label, a
// label above the head's least label yet at or below its bound, then no node
// ever holds such a label at all: the first to do so would have been offered
// it from a least label. Then every final label is first offered by a least
// label, and a node reaching its least label in pass p offers it in pass
// p + 1, each of its links in index order. A node's pass is then one more
// than the least pass among the tails whose offer equals its least label, and
// its predecessor is the lowest-numbered such link from a tail of that pass:
// settling the labels with ties broken that way gives the tree at once. For
// this check the bounds need only hold over the tight links, whose offer
// equals the head's least label, since the check itself puts every other
// offer above its head's bound; the least such bounds, computed backwards
// over the tight links, are far tighter than the ones over every link.
//
// A loading needs only the routes to its origin's destinations, and the
// argument holds for the nodes settled up to a bucket boundary B alone. Every
// other node's least label is at least B, and so is every label it holds in
// the passes and every offer it makes; if each settled node's bound is below
// B, none of those offers reaches a settled node's bound, and the check over
// the settled nodes, with the tight links among them, decides their labels
// and predecessors. So a tree for a loading may stop settling at the end of
// the bucket that settles the last destination.

// Sorts the links by tail into OutLinks and sets up the buckets. The width
// is the least cost above 0, so that such a link takes a label into a later
// bucket (a link that keeps its head in the tail's bucket, rounding or a cost
// of 0, makes the settling hand the tree to the passes). The width is kept
// large enough that the labels below Unreached span at most 2^40 buckets.
// Least labels need every cost finite and 0 or more (the run checks that
// before each loading; a negative or non-finite cost leaves the passes).
static void IndexBuckets() {
  GroupByKey(LinkNumber, NodeNum, [](int l) { return LinkOrigin[l]; }, [](int l) { return TreeLinks[l]; }, OutFirst, OutLinks);
  float most = 0.0f;
  bool all_costs_allowed = true;
  LeastPaidCost = 0.0f;
  for (int l = 0; l < LinkNumber; ++l) {
    const float cost = TreeLinks[l].cost;
    if (cost > 0.0f && (LeastPaidCost == 0.0f || cost < LeastPaidCost)) LeastPaidCost = cost;
    if (cost < Unreached) most = std::max(most, cost);
    all_costs_allowed &= cost >= 0.0f && cost < std::numeric_limits<float>::infinity();
  }
  LabelsAllowed = all_costs_allowed;
  BucketWidth = std::max(LeastPaidCost > 0.0f ? LeastPaidCost : 1.0f, Unreached / 1099511627776.0f);
  BucketsPerUnit = 1.0 / static_cast<double>(BucketWidth);
  int lists = 64;  // at least one word of BucketBits
  while (lists < BucketRing && static_cast<double>(lists) < static_cast<double>(most) / static_cast<double>(BucketWidth) + 4.0) lists *= 2;
  BucketMask = lists - 1;
  ClearBuckets();
}

// The bucket of a label below Unreached: about label / w, and never lower
// for a higher label, which is all the settling relies on.
static long long BucketOf(float label) { return static_cast<long long>(static_cast<double>(label) * BucketsPerUnit); }

// Empties every list of the ring.
static void ClearBuckets() {
  for (int k = 0; k <= BucketMask; ++k) BucketHead[k] = -1;
  for (int w = 0; w < BucketRing / 64; ++w) BucketBits[w] = 0;
}

// Puts an item for `node` at `label` into list `list`.
static void AddItem(int item, int node, float label, int list) {
  ItemNode[item] = node;
  ItemLabel[item] = label;
  ItemNext[item] = BucketHead[list];
  BucketHead[list] = item;
  BucketBits[list >> 6] |= std::uint64_t{1} << (list & 63);
}

// The distance, along the ring, from list `list` to the first list holding
// items (0 if `list` does); some list must hold items.
static int ToNextFullList(int list) {
  const int words = (BucketMask >> 6) + 1;
  const int offset = list & 63;
  int word = list >> 6;
  std::uint64_t bits = BucketBits[word] >> offset;
  if (bits != 0) return __builtin_ctzll(bits);
  int distance = 64 - offset;
  for (int k = 1; k <= words; ++k) {
    word = (word + 1) % words;
    bits = BucketBits[word];
    if (bits != 0) return distance + __builtin_ctzll(bits);
    distance += 64;
  }
  return distance;
}

// The items in use: `alive` of them; freed ones are chained from `free`,
// and the entries from `fresh` on have never been used in this tree.
struct ItemPool {
  int alive = 0;
  int free = -1;
  int fresh = 0;
  int Take() {
    ++alive;
    if (free < 0) return fresh++;
    const int item = free;
    free = ItemNext[item];
    return item;
  }
  void Give(int item) {
    --alive;
    ItemNext[item] = free;
    free = item;
  }
};

// The bucket of the first item waiting in the ring, when a whole round of
// lists is empty below it.
static long long FirstWaiting() {
  long long first = std::numeric_limits<long long>::max();
  for (int k = 0; k <= BucketMask; ++k) {
    for (int item = BucketHead[k]; item >= 0; item = ItemNext[item]) first = std::min(first, BucketOf(ItemLabel[item]));
  }
  return first;
}

// What settling found.
enum class Settled {
  Ordered,    // every label was settled once, in a later bucket than the tails offering it
  Unordered,  // the least labels are right, but some offers stayed in their tail's bucket
  Overflow,   // the items ran out: nothing is known
};

// Records a link of cost `cost` from `tail` whose offer equals the label of
// `head` so far; false if there is no room (then the tree is not taken from
// the labels).
static bool AddTight(int head, int tail, float cost) {
  if (TightCount == MaxLinks) return false;
  TightTail[TightCount] = tail;
  TightCost[TightCount] = cost;
  TightNext[TightCount] = TightHead[head];
  TightHead[head] = TightCount++;
  return true;
}

// Relaxes the links of `from`, settled in bucket `bucket` with its least
// label, keeping for each head the least offer and, among equal offers, the
// one of the least (pass, link number); and the least offer above it in
// NextOffer. Improved heads get an item from `pool`.
static bool RelaxSettled(int from, long long bucket, ItemPool* pool) {
  bool ordered = true;
  const float time = TreeNodes[from].time;
  const int pass = TreeNodes[from].improved + 1;
  for (int k = OutFirst[from]; k < OutFirst[from + 1]; ++k) {
    const TreeLink link = OutLinks[k];
    TreeNode& to = TreeNodes[link.head];
    const float offer = time + link.cost;
    if (offer < to.time) {
      NextOffer[link.head] = std::min(NextOffer[link.head], to.time);
      to = TreeNode{offer, link.number, pass, from};
      const long long due = BucketOf(offer);
      ordered &= due != bucket;
      AddItem(pool->Take(), link.head, offer, static_cast<int>(due & BucketMask));
      TightHead[link.head] = -1;
      ordered &= AddTight(link.head, from, link.cost);
    } else if (offer > to.time) {
      NextOffer[link.head] = std::min(NextOffer[link.head], offer);
    } else if (offer < Unreached) {
      ordered &= BucketOf(offer) != bucket;
      ordered &= AddTight(link.head, from, link.cost);
      if (pass < to.improved || (pass == to.improved && link.number < to.link)) {
        to.improved = pass;
        to.link = link.number;
        to.tail = from;
      }
    }
  }
  return ordered;
}

// Empties the lists that hold items (left by a stopped or overflowing settling).
static void EmptyRing() {
  for (int w = 0; w <= (BucketMask >> 6); ++w) {
    for (std::uint64_t bits = BucketBits[w]; bits != 0; bits &= bits - 1) BucketHead[(w << 6) + __builtin_ctzll(bits)] = -1;
    BucketBits[w] = 0;
  }
}

// The settling between buckets: it can stop once the nodes a loading needs
// are settled, and go on later.
struct Settling {
  ItemPool pool;
  long long bucket = 0;  // the next bucket to look at
  long long idle = 0;    // ring positions passed since an item was last due
  bool ordered = true;
  bool stopped = false;  // stopped at the needed nodes, with items left in the ring
  int needed_left = 0;   // needed nodes not yet settled
};
static Settling Settle;

// Starts settling the least labels from `origin`; `needed[0 .. count-1]`
// are the nodes whose routes are wanted (none: every node).
static void StartSettling(int origin, const int* needed, int count) {
  for (int n = 0; n < NodeNum; ++n) {
    TreeNodes[n].time = Unreached;
    TreeNodes[n].improved = -1;
    NextOffer[n] = Unreached;
    TightHead[n] = -1;
  }
  TightCount = 0;
  SettledCount = 0;
  if (NeededStamp == std::numeric_limits<int>::max()) {
    for (int n = 0; n < MaxNodes; ++n) NeededMark[n] = 0;
    NeededStamp = 0;
  }
  ++NeededStamp;
  Settle = Settling{};
  for (int k = 0; k < count; ++k) {
    Settle.needed_left += static_cast<int>(NeededMark[needed[k]] != NeededStamp);
    NeededMark[needed[k]] = NeededStamp;
  }
  TreeNodes[origin] = TreeNode{0.0f, RootMark, 0, origin};
  AddItem(Settle.pool.Take(), origin, 0.0f, 0);
}

// Settles the least labels bucket by bucket into TreeNodes: label,
// predecessor and pass of every node settled, as described above; NextOffer
// gets each node's least offer above its label. With `stop_when_needed`, and
// needed nodes to wait for, it stops at the end of the bucket in which the
// last of them is settled (Settle.stopped); else it goes on until no item
// is left.
static Settled GoOnSettling(bool stop_when_needed) {
  Settle.stopped = false;
  const bool stopping = stop_when_needed && Settle.needed_left > 0;
  ItemPool& pool = Settle.pool;
  for (long long bucket = Settle.bucket; pool.alive > 0; ++bucket) {
    const int distance = ToNextFullList(static_cast<int>(bucket & BucketMask));
    bucket += distance;
    Settle.idle += distance;
    if (Settle.idle > BucketMask) {
      // A whole round without an item due: every item waits a round or more ahead.
      bucket = FirstWaiting();
      Settle.idle = 0;
    }
    const int list = static_cast<int>(bucket & BucketMask);
    if (BucketHead[list] < 0) continue;
    // The list is taken whole, again while offers land in it; items due in a
    // later round wait in `later` and go back when the bucket is done.
    int later = -1;
    while (BucketHead[list] >= 0) {
      int item = BucketHead[list];
      BucketHead[list] = -1;
      while (item >= 0) {
        const int next = ItemNext[item];
        const int node = ItemNode[item];
        const float label = ItemLabel[item];
        if (label != TreeNodes[node].time) {
          pool.Give(item);  // the node has a lower label since
        } else if (BucketOf(label) != bucket) {
          ItemNext[item] = later;
          later = item;
        } else {
          Settle.idle = 0;
          pool.Give(item);
          if (pool.alive + (OutFirst[node + 1] - OutFirst[node]) > MaxBucketItems) {
            EmptyRing();
            return Settled::Overflow;
          }
          if (SettledCount < NodeNum) SettledNodes[SettledCount++] = node;
          if (NeededMark[node] == NeededStamp) {
            NeededMark[node] = 0;
            --Settle.needed_left;
          }
          Settle.ordered &= RelaxSettled(node, bucket, &pool);
        }
        item = next;
      }
    }
    BucketHead[list] = later;
    if (later < 0) BucketBits[list >> 6] &= ~(std::uint64_t{1} << (list & 63));
    ++Settle.idle;
    if (stopping && Settle.needed_left == 0 && pool.alive > 0) {
      Settle.bucket = bucket + 1;
      Settle.stopped = true;
      break;
    }
  }
  return Settle.ordered ? Settled::Ordered : Settled::Unordered;
}

// A label below which no node the stopped settling left unsettled ends: every
// item left is due in a later bucket than the last one settled, and a label
// in bucket k is at least k w (the bucket index is the label times 1 / w,
// rounded down after one rounding in double precision; the factor covers
// that and the rounding of 1 / w).
static double UnsettledFloor() { return static_cast<double>(Settle.bucket) * static_cast<double>(BucketWidth) * (1.0 - 0x1p-40); }

// The next single-precision value above a value 0 or more; infinity stays.
// Without a branch: the bounds ask for it at every tight link.
static float NextAbove(float x) {
  std::uint32_t bits = 0;
  std::memcpy(&bits, &x, sizeof bits);
  bits &= 0x7fffffffu;                                // -0 steps as +0 does, to the least value above 0
  bits += static_cast<std::uint32_t>(bits < 0x7f800000u);  // all but infinity step up
  std::memcpy(&x, &bits, sizeof bits);
  return x;
}

// Sets DangerLabel from the least labels in TreeNodes, as described above;
// infinity for unreached nodes, which never get a label. Returns false if
// the slope would exceed 1/2, where the bound is not proved.
static bool BoundDangerousLabels() {
  float most = 0.0f;
  for (int n = 0; n < NodeNum; ++n) {
    if (TreeNodes[n].time < Unreached) most = std::max(most, TreeNodes[n].time);
  }
  const float top = 8.0f * most;
  const double unit = static_cast<double>(NextAbove(top)) - static_cast<double>(top);
  const double slope = LeastPaidCost > 0.0f ? 2.0 * unit / static_cast<double>(LeastPaidCost) : 0.0;
  if (slope > 0.5) return false;
  for (int n = 0; n < NodeNum; ++n) {
    const double time = static_cast<double>(TreeNodes[n].time);
    // Computed in double and rounded to single precision: the 2u term covers both roundings.
    DangerLabel[n] = TreeNodes[n].time < Unreached ? static_cast<float>((1.0 - slope) * time + slope * static_cast<double>(most) + 2.0 * unit)
                                                   : std::numeric_limits<float>::infinity();
  }
  return true;
}

// The next single-precision value below a finite value above 0.
static float NextBelow(float x) {
  std::uint32_t bits = 0;
  std::memcpy(&bits, &x, sizeof bits);
  --bits;
  std::memcpy(&x, &bits, sizeof bits);
  return x;
}

// Most single steps that correct the estimate in Highest.
constexpr int MaxHighestSteps = 16;

// The highest label, at least `low`, whose offer over a link of cost `cost`
// is at most `limit`, where `low` itself offers at most `limit`. An offer
// rounds to `limit` or below while its exact sum stays below halfway to the
// next value above `limit`, so the estimate is that halfway point less the
// cost, in double precision, corrected a step at a time. If the correction
// upwards does not settle, returns infinity, which is above any label.
static float Highest(float low, float cost, float limit) {
  const double halfway = (static_cast<double>(limit) + static_cast<double>(NextAbove(limit))) / 2.0;
  float label = std::max(low, static_cast<float>(halfway - static_cast<double>(cost)));
  for (int step = 0; step < MaxHighestSteps && label > low && label + cost > limit; ++step) label = NextBelow(label);
  for (int step = 0; NextAbove(label) + cost <= limit; ++step) {
    if (step == MaxHighestSteps) return std::numeric_limits<float>::infinity();
    label = NextAbove(label);
  }
  return label;
}

// Sets DangerLabel of the reached nodes to the least bounds that hold over
// the tight links: a node's bound is its least label, raised to the highest
// label of it whose offer over a tight link stays within the head's bound.
// The heads come later in the settling order, so the order backwards
// finishes every head before its tails; as each node's bound is then
// final, it is checked at once: returns true when no least label offers a
// node other than the origin a label above its least label yet at or below
// its bound, and false at the first that does (leaving the rest unbounded),
// or whose bound reaches `floor`.
static bool BoundOverTightLinks(int origin, double floor) {
  for (int s = 0; s < SettledCount; ++s) DangerLabel[SettledNodes[s]] = TreeNodes[SettledNodes[s]].time;
  for (int s = SettledCount - 1; s >= 0; --s) {
    const int head = SettledNodes[s];
    const float limit = DangerLabel[head];
    if ((head != origin && NextOffer[head] <= limit) || !(static_cast<double>(limit) < floor)) return false;
    for (int t = TightHead[head]; t >= 0; t = TightNext[t]) {
      const int tail = TightTail[t];
      const float cost = TightCost[t];
      if (NextAbove(DangerLabel[tail]) + cost <= limit) DangerLabel[tail] = Highest(DangerLabel[tail], cost, limit);
    }
  }
  return true;
}

// Least labels pay where the passes relax each link several times over, as
// on large grids; on small or tree-like networks the passes are cheaper than
// settling. The first tree on each index is built by the passes and decides:
// the later ones take least labels if it relaxed more than LabelsPayAbove
// tenths of the links.
constexpr long long LabelsPayAbove = 22;

void BuildTree(int origin) { BuildTreeFor(origin, nullptr, 0); }

void BuildTreeFor(int origin, const int* needed, int count) {
  const bool first = TreesOnIndex++ == 0;
  const bool labels = LabelsAllowed && (TreeMethodUsed == TreeMethod::Labels || (TreeMethodUsed == TreeMethod::Chosen && !first && LabelsPay));
  if (!labels) {
    const long long before = PassRelaxations;
    ++PassTrees;
    BuildTreeByPasses(origin, false, first);
    if (first) LabelsPay = 10 * (PassRelaxations - before) > LabelsPayAbove * LinkNumber;
    return;
  }
  StartSettling(origin, needed, count);
  Settled settled = GoOnSettling(true);
  if (Settle.stopped) {
    // The nodes settled so far hold every needed node and its route. No other
    // node's label, now or in any pass, comes below the floor, so none of
    // them offers a settled node anything at or below a bound under it: the
    // check over the settled nodes decides their labels and predecessors.
    if (settled == Settled::Ordered && BoundOverTightLinks(origin, UnsettledFloor())) {
      EmptyRing();
      ++LabelTrees;
      ++PartialTrees;
      return;
    }
    settled = GoOnSettling(false);
  }
  if (settled == Settled::Ordered && BoundOverTightLinks(origin, std::numeric_limits<double>::infinity())) {
    ++LabelTrees;
    return;
  }
  // The bounds over tight links alone do not hold here: the passes decide,
  // on the labels under the bounds that hold over every link if there are any.
  if (settled != Settled::Overflow && BoundDangerousLabels()) {
    ++BoundedPassTrees;
    BuildTreeByPasses(origin, true, false);
    return;
  }
  ++PassTrees;
  BuildTreeByPasses(origin, false, false);
}

void PublishTree() {
  // After the last pass, which improved nothing, every mark is 1.
  for (int n = 0; n < NodeNum; ++n) {
    TimeToNode[n] = TreeNodes[n].time;
    ProLinkNumber[n] = TreeNodes[n].link;
    tempnode[n] = 1;
  }
}

void RouteTree(int origin) {
  SeedTrees();
  BuildTree(origin);
  PublishTree();
}

void mcr(int origin) {
  const std::clock_t start = ProcessClock();
  IndexLinkRuns();
  RouteTree(origin);
  direction_search_time = static_cast<float>(ClockMs(start, ProcessClock()));
}

}  // namespace fw
