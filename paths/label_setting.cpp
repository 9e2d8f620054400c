// The route tree from least labels. The passes (paths/passes.cpp) define the
// tree; this file finds the same tree by settling labels in order, as
// Dijkstra's method does, and shows, tree by tree, that the passes would
// choose the same predecessors. The argument, in numbered statements that the
// code cites; costs are finite and 0 or more, fl(x + c) is the single-
// precision sum, a link t -> h of cost c "offers" h the label fl(x + c) when
// t holds x, and next(x) is the next float above x.
//
// (1) Least labels. Rounded addition is monotone and fl(x + c) >= x. Every
//     label the passes set is the sum of some route, added link by link, and
//     when they end every link offers its head at least the head's label; by
//     induction along a route, that label is at most the route's sum. So the
//     passes end with each node at its least label L(n), the least such sum
//     over the routes from the origin, and no node ever holds less than L(n).
//     Nodes with L(n) >= Unreached stay unreached (offers must be strictly
//     below the label to be taken), and are never scanned.
//
// (2) Keys. A node's key is (L, P): its least label, then its pass P, the
//     fewest links on a route of tight links from the origin, where a link
//     t -> h is tight if fl(L(t) + c) = L(h). For a float of 0 or more the
//     bits read as an unsigned integer order like the value, so the key is
//     the 64-bit integer (bits of L) * 2^32 + P. A settled t offers its heads
//     (fl(L(t) + c), P(t) + 1), a larger key, so no key offered is below
//     the last one taken: an offer never goes to a bucket already done.
//
// (3) Settling. Nodes are taken in key order (a bucket of labels at a time,
//     each bucket sorted, and merged with the offers made into it during its
//     turn; nodes of equal key in any order), each relaxing its links once,
//     from its least label; among offers of equal label and pass a head
//     keeps the lowest link number. Each node is taken with its
//     key (L, P), after every tail of a tight link into it with pass P - 1.
//     Proof: an offer is never below its head's key (its label is at least
//     L(h); if equal, the link is tight and the pass at least P(h)). Take a
//     route of P(h) tight links to h; its keys rise along it. When h is
//     taken, the first unsettled node x on it has been offered its key by
//     its settled predecessor, so h's key <= x's key <= (L(h), P(h)) <= h's
//     key. Tails of pass P(h) - 1 have smaller keys than h's, so they were
//     settled before it. Hence too: every settled node's out-links are
//     relaxed from its least label, `tight_first` lists every tight link into
//     a node from a settled tail, and `next_offer` is the least offer from a
//     settled tail above the node's least label.
//
// (4) Bounds. Each settled node n gets a bound B(n) >= L(n) such that for
//     every tight link t -> h between settled nodes, fl(next(B(t)) + c) >
//     B(h): a label of t above B(t) offers h more than B(h).
//
// (5) The check. For every settled node h other than the origin:
//     next_offer(h) > B(h), and, when the settling stopped early, B(h) < F,
//     the least label still waiting. Every node not settled then has
//     least label >= F: its best route leaves the settled nodes at a node in
//     the ring, whose label there is at most the route's sum so far.
//
// (6) Under (4) and (5), no settled node ever holds, in the passes, a label
//     in (L(n), B(n)]. Suppose the first time it happens h takes x = fl(y +
//     c) over t -> h, t holding y >= L(t) (1). If t is not settled, x >= y >=
//     L(t) >= F > B(h). If it is, y is L(t) or at least next(B(t)) (this is
//     the first time). From y = L(t), x > L(h), so the link is not tight and
//     x >= next_offer(h) > B(h). From y >= next(B(t)), x > B(h) by (4) over a
//     tight link, and x >= fl(L(t) + c) > B(h) as before over another. The
//     origin holds 0 from the start and is never offered less.
//
// (7) Pass numbers. So a settled node first takes L(h) from a settled tail
//     holding L(t), over a tight link (any other offer is above B(h) >= L(h)).
//     The pass in which the passes first give h its least label is P(h): a
//     tail that takes L(t) in pass p is never improved again, so it is marked
//     0 through pass p + 1, which relaxes all its links from L(t), giving h
//     L(h) by then; conversely the tail whose offer first gives h L(h) in pass
//     q is marked 0 in pass q, so its last improvement, to L(t), was in pass
//     q - 1. With the origin's pass 0, P(h) is one more than the least pass
//     among the tails of tight links into h: the fewest tight links, as in (2).
//
// (8) Predecessors. In pass P(h) the tails of pass P(h) - 1 hold their least
//     labels and stay marked 0, and the links are examined in index order.
//     Before the first tight link from such a tail, h holds more than L(h)
//     (7); that link gives it L(h), and equal offers after it change nothing
//     (the comparison is strict). So the passes' predecessor of h is the
//     lowest-numbered tight link from a tail of pass P(h) - 1: the link (3)
//     keeps.
//
// (9) Computing the bounds. B starts at L; for each tight link where (4)
//     fails, B(t) is raised to the highest label of t whose offer stays at
//     or below B(h). The heads are taken in reverse settling order, which
//     finishes a head before its tails except where a tight link joins two
//     nodes of equal label (cost 0, or a cost lost to rounding) and the head
//     settled first; a tail raised after it was followed is followed again.
//     Bounds only rise and the raise stops where (4) holds, so this ends. A
//     bound higher than needed keeps (4) and only makes (5) harder to meet;
//     where the highest label cannot be found, the tree is left undecided.
//
// (10) When the check fails, the passes decide, scanning only the labels at
//     or below bounds that hold over every link between reached nodes:
//     fl(next(B(t)) + c) > B(h), with L(n) <= B(n) < Unreached. A label above
//     its bound then never takes another label to or below its bound, so the
//     changes to labels at or below their bounds, and the marks of the nodes
//     holding them, are the same whether the others are scanned or not; the
//     final labels are such labels, so the tree is the same. These bounds are
//     found as in (9), over every link into a node instead of its tight
//     links (the in-links of the index), within a budget of work; the
//     condition is then tested link by link, so the tree never rests on how
//     they were found.
#include "paths/label_setting.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include "network/network.h"
#include "paths/debug_checks.h"
#include "paths/paths.h"
#include "paths/route_tree.h"

namespace fw {

static std::uint32_t FloatBits(float x) {
  std::uint32_t bits = 0;
  std::memcpy(&bits, &x, sizeof bits);
  return bits;
}

static float BitsFloat(std::uint32_t bits) {
  float x = 0.0f;
  std::memcpy(&x, &bits, sizeof x);
  return x;
}

// (2): the key of a label and a pass.
static std::uint64_t Key(float label, int pass) {
  return (static_cast<std::uint64_t>(FloatBits(label)) << 32) | static_cast<std::uint32_t>(pass);
}

static float KeyLabel(std::uint64_t key) { return BitsFloat(static_cast<std::uint32_t>(key >> 32)); }

// The bucket of a label below Unreached: the label times 1 / width, rounded
// down, which never falls as the label rises (all the order needs).
static long long BucketOf(float label) { return static_cast<long long>(static_cast<double>(label) * LabelWork.per_width); }

// Puts entry `e` into the current bucket's binary heap.
static void HeapPush(HeapEntry e) {
  LabelState& s = LabelWork;
  int at = s.heap_size++;
  while (at > 0 && e.key < s.heap[(at - 1) >> 1].key) {
    s.heap[at] = s.heap[(at - 1) >> 1];
    at = (at - 1) >> 1;
  }
  s.heap[at] = e;
}

// Takes the entry of least key from the current bucket's heap.
static HeapEntry HeapPop() {
  LabelState& s = LabelWork;
  const HeapEntry top = s.heap[0];
  const HeapEntry e = s.heap[--s.heap_size];
  int at = 0;
  for (int child = 1; child < s.heap_size; child = 2 * at + 1) {
    if (child + 1 < s.heap_size && s.heap[child + 1].key < s.heap[child].key) ++child;
    if (!(s.heap[child].key < e.key)) break;
    s.heap[at] = s.heap[child];
    at = child;
  }
  s.heap[at] = e;
  return top;
}

// Puts item `item` into ring list `slot`.
static void AddToRing(int item, int slot) {
  LabelState& s = LabelWork;
  s.item_next[item] = s.ring_first[slot];
  s.ring_first[slot] = item;
  s.ring_filled[slot >> 6] |= std::uint64_t{1} << (slot & 63);
  ++s.ring_items;
}

// Puts `node` in to wait with key `key`: into the current bucket's heap if
// its label is due now, else into the ring (never into an earlier bucket: an
// offer is never below the label of the node that made it).
static void Push(float label, int pass, int node) {
  LabelState& s = LabelWork;
  const std::uint64_t key = Key(label, pass);
  const long long due = BucketOf(label);
  if (due == s.bucket) {
    HeapPush(HeapEntry{key, node});
    return;
  }
  const int item = s.item_count++;
  s.item_key[item] = key;
  s.item_node[item] = node;
  AddToRing(item, static_cast<int>(due & (RingSlots - 1)));
}

// Whether an item still carries its node's key (a lower key since makes it stale).
static bool Live(std::uint64_t key, int node) { return key == Key(Trees.nodes[node].time, Trees.nodes[node].pass); }

// The first bucket from `from` on whose ring list holds items, reading the
// bitmap a word at a time; `from` itself if none does within a round.
static long long NextFilledBucket(long long from) {
  const LabelState& s = LabelWork;
  for (long long at = from; at < from + RingSlots;) {
    const int slot = static_cast<int>(at & (RingSlots - 1));
    const std::uint64_t bits = s.ring_filled[slot >> 6] >> (slot & 63);
    if (bits != 0) return at + __builtin_ctzll(bits);
    at += 64 - (slot & 63);
  }
  return from;
}

// The least bucket any item in the ring is due in.
static long long FirstDueBucket() {
  const LabelState& s = LabelWork;
  long long least = std::numeric_limits<long long>::max();
  for (int w = 0; w < RingWords; ++w) {
    for (std::uint64_t bits = s.ring_filled[w]; bits != 0; bits &= bits - 1) {
      for (int item = s.ring_first[(w << 6) + __builtin_ctzll(bits)]; item >= 0; item = s.item_next[item]) {
        least = std::min(least, BucketOf(KeyLabel(s.item_key[item])));
      }
    }
  }
  return least;
}

// Moves to the next bucket holding items and takes its live items into
// `due`, sorted by key; items due in a later round stay in the ring, stale
// ones are dropped. After a whole round of lists without an item due, it
// jumps to the first bucket an item is due in. False if no item is left.
static bool NextBucket() {
  LabelState& s = LabelWork;
  long long last_due = s.bucket;  // the last bucket that held an item due in it
  s.due_count = s.due_next = 0;
  while (s.due_count == 0) {
    if (s.ring_items == 0) return false;
    s.bucket = NextFilledBucket(s.bucket + 1);
    if (s.bucket - last_due > RingSlots) {
      s.bucket = FirstDueBucket();
      last_due = s.bucket;
    }
    const int slot = static_cast<int>(s.bucket & (RingSlots - 1));
    int item = s.ring_first[slot];
    int later = -1;
    while (item >= 0) {
      const int next = s.item_next[item];
      if (!Live(s.item_key[item], s.item_node[item])) {
        --s.ring_items;
      } else if (BucketOf(KeyLabel(s.item_key[item])) == s.bucket) {
        --s.ring_items;
        s.due[s.due_count++] = HeapEntry{s.item_key[item], s.item_node[item]};
      } else {
        s.item_next[item] = later;
        later = item;
      }
      item = next;
    }
    s.ring_first[slot] = later;
    if (later < 0) s.ring_filled[slot >> 6] &= ~(std::uint64_t{1} << (slot & 63));
  }
  // Most buckets hold one or two items: sorted by insertion, without a call.
  for (int k = 1; k < s.due_count; ++k) {
    const HeapEntry e = s.due[k];
    int at = k;
    for (; at > 0 && e.key < s.due[at - 1].key; --at) s.due[at] = s.due[at - 1];
    s.due[at] = e;
  }
  return true;
}

// Takes the node of least key; -1 when none is left.
static int Pop() {
  LabelState& s = LabelWork;
  for (;;) {
    if (s.due_next == s.due_count && s.heap_size == 0 && !NextBucket()) return -1;
    const bool from_heap = s.heap_size > 0 && (s.due_next == s.due_count || s.heap[0].key < s.due[s.due_next].key);
    const HeapEntry e = from_heap ? HeapPop() : s.due[s.due_next++];
    if (Live(e.key, e.node)) return e.node;
  }
}

// The least label waiting, once the current bucket is empty; infinity if
// none. Every item left is due in a later bucket, so it is read off them all.
static float LeastWaitingLabel() {
  const LabelState& s = LabelWork;
  float least = std::numeric_limits<float>::infinity();
  for (int w = 0; w < RingWords; ++w) {
    for (std::uint64_t bits = s.ring_filled[w]; bits != 0; bits &= bits - 1) {
      for (int item = s.ring_first[(w << 6) + __builtin_ctzll(bits)]; item >= 0; item = s.item_next[item]) {
        if (Live(s.item_key[item], s.item_node[item])) least = std::min(least, KeyLabel(s.item_key[item]));
      }
    }
  }
  return least;
}

// Empties the ring lists that hold items, as a stopped settling leaves them.
static void EmptyRing() {
  LabelState& s = LabelWork;
  for (int w = 0; w < RingWords; ++w) {
    for (std::uint64_t bits = s.ring_filled[w]; bits != 0; bits &= bits - 1) s.ring_first[(w << 6) + __builtin_ctzll(bits)] = -1;
    s.ring_filled[w] = 0;
  }
  s.ring_items = 0;
}

// (3): relaxes the links of `from`, just settled: keeps for each head the
// least key and, among equal keys, the lowest link number; records tight
// links and the least offer above each head's label. The tables are reached
// through locals, which the compiler need not reload after every store.
static void Relax(int from) {
  LabelState& s = LabelWork;
  TreeNode* const nodes = Trees.nodes;
  float* const next_offer = s.next_offer;
  int* const tight_first = s.tight_first;
  TightLink* const tight = s.tight;
  int tight_count = s.tight_count;
  const float time = nodes[from].time;
  const int pass = nodes[from].pass + 1;
  const TreeLink* const end = Trees.out_links + Trees.out_first[from + 1];
  for (const TreeLink* link = Trees.out_links + Trees.out_first[from]; link != end; ++link) {
    const int head = link->head;
    TreeNode& to = nodes[head];
    const float offer = time + link->cost;
    if (offer < to.time) {
      next_offer[head] = std::min(next_offer[head], to.time);
      to = TreeNode{offer, link->number, pass, from};
      tight[tight_count] = TightLink{from, link->cost, -1};
      tight_first[head] = tight_count++;
      Push(offer, pass, head);
    } else if (offer > to.time) {
      next_offer[head] = std::min(next_offer[head], offer);
    } else if (offer < Unreached) {
      tight[tight_count] = TightLink{from, link->cost, tight_first[head]};
      tight_first[head] = tight_count++;
      if (pass < to.pass) {
        to = TreeNode{offer, link->number, pass, from};
        Push(offer, pass, head);
      } else if (pass == to.pass && link->number < to.link) {
        to.link = link->number;
        to.tail = from;
      }
    }
  }
  s.tight_count = tight_count;
}

// Starts a tree from `origin`: every node unreached, the origin waiting,
// needed[0 .. count-1] marked.
static void StartSettling(int origin, const int* needed, int count) {
  LabelState& s = LabelWork;
  for (int n = 0; n < NodeNum; ++n) {
    Trees.nodes[n].time = Unreached;
    s.next_offer[n] = Unreached;
    s.tight_first[n] = -1;
  }
  s.tight_count = s.settled_count = 0;
  // The width: the least cost above 0, so that most links take their head
  // to a later bucket, but wide enough that the last tree's labels
  // fill about two buckets a node, and that labels below Unreached span at
  // most 2^40 buckets.
  const float width = std::max({Trees.least_paid_cost > 0.0f ? Trees.least_paid_cost : 1.0f, s.most_seen / static_cast<float>(2 * NodeNum),
                      Unreached / 1099511627776.0f});
  s.per_width = 1.0 / static_cast<double>(width);
  s.item_count = s.heap_size = s.due_count = s.due_next = 0;
  s.bucket = 0;
  if (!s.ring_ready) std::fill(s.ring_first, s.ring_first + RingSlots, -1);
  s.ring_ready = true;
  EmptyRing();
  if (s.needed_stamp == std::numeric_limits<int>::max()) {
    std::fill(s.needed_mark, s.needed_mark + MaxNodes, 0);
    s.needed_stamp = 0;
  }
  ++s.needed_stamp;
  s.needed_left = 0;
  for (int k = 0; k < count; ++k) {
    s.needed_left += static_cast<int>(s.needed_mark[needed[k]] != s.needed_stamp);
    s.needed_mark[needed[k]] = s.needed_stamp;
  }
  Trees.nodes[origin] = TreeNode{0.0f, RootMark, 0, origin};
  Push(0.0f, 0, origin);
}

// Settles nodes until none is left waiting or, with `stop`, until the needed
// nodes are settled and their bucket is done. Returns the least label left
// waiting: infinity if none.
static float Settle(bool stop) {
  LabelState& s = LabelWork;
  for (int node = Pop(); node >= 0; node = Pop()) {
    s.settled_at[node] = s.settled_count;
    s.settled[s.settled_count++] = node;
    if (s.needed_mark[node] == s.needed_stamp) {
      s.needed_mark[node] = 0;
      --s.needed_left;
    }
    Relax(node);
    // Stopping between buckets, every label left waiting is above every
    // label settled.
    if (stop && s.needed_left == 0 && s.heap_size == 0 && s.due_next == s.due_count) {
      const float waiting = LeastWaitingLabel();
      if (waiting < std::numeric_limits<float>::infinity()) {
        s.most_seen = Trees.nodes[node].time;
        return waiting;
      }
    }
  }
  s.most_seen = Trees.nodes[s.settled[s.settled_count - 1]].time;
  return std::numeric_limits<float>::infinity();
}

// The next float above x >= 0; infinity stays. Without a branch: the bounds
// ask for it at every tight link.
static float NextAbove(float x) {
  std::uint32_t bits = FloatBits(x) & 0x7fffffffu;  // -0 steps as +0 does
  bits += static_cast<std::uint32_t>(bits < 0x7f800000u);
  return BitsFloat(bits);
}

// The next float below a finite x above 0.
static float NextBelow(float x) { return BitsFloat(FloatBits(x) - 1); }

// Most single steps that correct the estimate in Highest.
constexpr int MaxHighestSteps = 16;

// (9): the highest label, at least `low`, whose offer over a link of cost
// `cost` is at most `limit`, where `low` offers at most `limit`. An offer
// rounds to `limit` or below while its exact sum stays below halfway to the
// next float above `limit`, so the estimate is that halfway point less the
// cost, corrected a step at a time. Infinity if the correction upwards does
// not settle.
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

// (9): raises the bound of `tail`, over a link of cost `cost` into a node
// whose bound is `limit`, until a label above it offers more than `limit`.
// A raised tail at a position after `processed` is queued to be followed
// again (the queue is a ring: a node is in it at most once). False where a
// highest label is not found.
static bool Raise(int tail, float cost, float limit, int processed, int* queue_end) {
  LabelState& s = LabelWork;
  if (!(NextAbove(s.bound[tail]) + cost <= limit)) return true;
  s.bound[tail] = Highest(s.bound[tail], cost, limit);
  if (s.bound[tail] == std::numeric_limits<float>::infinity()) return false;
  if (s.settled_at[tail] > processed && !s.queued[tail]) {
    s.queued[tail] = true;
    s.requeued[*queue_end % MaxNodes] = tail;
    ++*queue_end;
  }
  return true;
}

// (9), (10): raises the bounds of the tails of the links into `head`: its
// tight links, or with `every_link` all its links from reached tails.
static bool RaiseTails(int head, bool every_link, int processed, int* queue_end) {
  const LabelState& s = LabelWork;
  const float limit = s.bound[head];
  if (!every_link) {
    for (int t = s.tight_first[head]; t >= 0; t = s.tight[t].next) {
      if (!Raise(s.tight[t].tail, s.tight[t].cost, limit, processed, queue_end)) return false;
    }
    return true;
  }
  for (int k = Trees.in_first[head]; k < Trees.in_first[head + 1]; ++k) {
    const TreeLink link = Trees.in_links[k];  // `head` holds the link's tail here
    if (Trees.nodes[link.head].time < Unreached && !Raise(link.head, link.cost, limit, processed, queue_end)) return false;
  }
  return true;
}

// (9), (10): sets the bounds of the settled nodes over their tight links, or
// with `every_link` over all links between reached nodes. Each node is
// followed once in reverse settling order, then the queued ones again,
// within a budget of work. False if the bounds are not found.
static bool SetBounds(bool every_link) {
  LabelState& s = LabelWork;
  for (int k = 0; k < s.settled_count; ++k) s.bound[s.settled[k]] = Trees.nodes[s.settled[k]].time;
  int queue_end = 0;
  bool found = true;
  for (int k = s.settled_count - 1; k >= 0 && found; --k) found = RaiseTails(s.settled[k], every_link, k, &queue_end);
  const int budget = 4 * (s.settled_count + LinkNumber);
  for (int q = 0; q < queue_end; ++q) {
    const int node = s.requeued[q % MaxNodes];
    s.queued[node] = false;
    found = found && q < budget && RaiseTails(node, every_link, -1, &queue_end);
  }
  return found;
}

// (5): whether the check holds over the settled nodes, with `floor` the least
// label waiting.
static bool CheckHolds(int origin, float floor) {
  const LabelState& s = LabelWork;
  for (int k = 0; k < s.settled_count; ++k) {
    const int n = s.settled[k];
    if (n != origin && !(s.next_offer[n] > s.bound[n] && s.bound[n] < floor)) return false;
  }
  return true;
}

// (10): bounds over every link between reached nodes, from the least
// labels of a whole tree, tested link by link. False if they do not hold.
static bool BoundOverEveryLink() {
  const LabelState& s = LabelWork;
  const TreeNode* const nodes = Trees.nodes;
  if (!SetBounds(true)) return false;
  for (int n = 0; n < NodeNum; ++n) {
    if (!(nodes[n].time < Unreached)) continue;
    if (!(s.bound[n] < Unreached)) return false;
    const float above = NextAbove(s.bound[n]);
    for (int k = Trees.out_first[n]; k < Trees.out_first[n + 1]; ++k) {
      const TreeLink link = Trees.out_links[k];
      if (nodes[link.head].time < Unreached && !(above + link.cost > s.bound[link.head])) return false;
    }
  }
  return true;
}

LabelOutcome BuildTreeFromLabels(int origin, const int* needed, int count) {
  GroupLinks();
  StartSettling(origin, needed, count);
  const float floor = Settle(count > 0);
  if (floor < std::numeric_limits<float>::infinity()) {
    // (5): a partial tree stands if its settled nodes' bounds are below every
    // label still waiting; else the settling goes on to the end.
    if (SetBounds(false) && CheckHolds(origin, floor)) {
      CheckLabelTree(origin, floor);
      return LabelOutcome::Partial;
    }
    Settle(false);
  }
  if (SetBounds(false) && CheckHolds(origin, std::numeric_limits<float>::infinity())) {
    CheckLabelTree(origin, std::numeric_limits<float>::infinity());
    return LabelOutcome::Decided;
  }
  return BoundOverEveryLink() ? LabelOutcome::Bounded : LabelOutcome::Undecided;
}

}  // namespace fw
