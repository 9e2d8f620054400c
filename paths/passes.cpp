// The route tree by passes over the link list. In each pass, every link
// whose tail is marked 0 at that moment is relaxed, in index order; a node
// improved in a pass is marked 2 and scanned in the next one. Which links a
// pass examines, and in what order, decides between equal-cost routes, so the
// passes are reproduced exactly. A full scan of the link list acts only on
// the links out of nodes marked 0, so a pass visits just those links: the
// link list is cut into runs of consecutive links that share a tail node,
// and a pass reads a bitmap of the runs of the nodes improved in the pass
// before, from the lowest bit.
//
// A node's mark is kept as the pass that last improved it: the mark is 0 in
// pass p exactly while that pass is p - 1, and 2 while it is p.
//
// The trees of up to 16 origins can be built at once, one to a lane of
// 16-float vectors, or of two 8-float ones (one for up to 8 origins:
// BuildTreesByLanes). Each lane
// ends with the labels, passes and predecessors that the passes from its
// origin alone end with:
//
// (L1) State. Each lane keeps its own label, pass and predecessor of every
//      node. Every write is masked to the lanes that improved the head, and
//      those lanes are among the ones taking part in the run, so no lane
//      reads or writes another's state.
// (L2) Relaxation. A lane taking part offers the head fl(x + c) by the same
//      single-precision add as the passes (no fused operation, the same
//      rounding), and the head takes it only if its label is strictly
//      greater: the passes' comparison.
// (L3) Runs. Alone, the passes scan run r in pass p exactly when r is marked
//      (its tail was improved in pass p - 1, or is the origin in pass 1) and
//      the tail's mark is 0 as the run starts (its pass is p - 1), with a
//      label within the reach. The lanes mark r when its tail was improved in
//      pass p - 1 in any lane, so every run a lane's passes would scan is
//      scanned, in the same index order; a run marked only for other lanes
//      has a tail the lane did not improve in pass p - 1, and the same test
//      of the tail's pass and reach leaves the lane out of it.
// (L4) The tail's label and mark are read once, at the run's start, as the
//      passes read them: only a link from the tail to itself could change
//      them within the run, and one of cost 0 or more improves nothing.
//      Where a loop of negative cost could, the passes stop the tail's scan
//      at it, and the lanes are not used (LanesAvailable).
// (L5) End. The passes end after a pass that improves nothing; the lanes go
//      on while any lane improves a label. In a pass after a lane's last
//      improvement none of its nodes has the pass before as its pass, so by
//      (L3) it takes part in no run and changes nothing.
#include "paths/passes.h"

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#define FW_HAS_LANES 1
#if defined(__GLIBC__) && __has_include(<sys/platform/x86.h>)
#include <sys/platform/x86.h>
#endif
#endif
#include <algorithm>
#include <utility>

#include "paths/paths.h"
#include "paths/route_tree.h"

namespace fw {

LaneVectors LaneVectorsUsed = LaneVectors::Widest;

void IndexRuns() {
  PassState& p = PassWork;
  p.run_count = 0;
  for (int l = 0; l < LinkNumber; ++l) {
    if (l == 0 || LinkOrigin[l] != LinkOrigin[l - 1]) {
      p.run_first[p.run_count] = l;
      p.run_tail[p.run_count++] = LinkOrigin[l];
    }
  }
  p.run_first[p.run_count] = LinkNumber;
  GroupByKey(p.run_count, NodeNum, [&p](int r) { return p.run_tail[r]; }, [](int r) { return r; }, p.node_run_first, p.node_runs);
  p.single_runs = true;
  for (int n = 0; n < NodeNum; ++n) {
    const int runs = p.node_run_first[n + 1] - p.node_run_first[n];
    p.single_runs &= runs <= 1;
    p.node_run[n] = runs == 1 ? p.node_runs[p.node_run_first[n]] : 64 * RunWords;  // the spare bit is never scanned
  }
}

// Marks in `scan` the runs of the nodes nodes[0 .. count-1].
static void MarkRuns(const int* nodes, int count, std::uint64_t* scan) {
  const PassState& p = PassWork;
  for (int s = 0; s < count; ++s) {
    for (int k = p.node_run_first[nodes[s]]; k < p.node_run_first[nodes[s] + 1]; ++k) {
      scan[p.node_runs[k] >> 6] |= std::uint64_t{1} << (p.node_runs[k] & 63);
    }
  }
}

// Pass `pass` over the runs marked in `scan`, in index order, clearing the
// marks. A run's tail is marked 0 while the pass that last improved it is
// pass - 1. A node's mark cannot change inside its own run (only a link into
// the node could change it, and a loop of cost 0 or more improves nothing),
// so it is read once per run; where a loop of negative cost can improve its
// own tail, the tail stops being scanned there, so the mark is read before
// each link. The links are relaxed without branches, since whether a label
// improves is hard to predict: a link that improves nothing writes into the
// spare entry. An improved head's run is marked in `next` at once where every
// node has one run; otherwise the nodes first improved in this pass are
// listed in PassWork.improved, for MarkRuns. Returns whether any label improved.
template <bool SingleRuns>
static bool Pass(int pass, const float* bounds, float reach, std::uint64_t* scan, std::uint64_t* next, long long* relaxed) {
  const PassState& p = PassWork;
  TreeNode* const nodes = Trees.nodes;
  int* const improved = PassWork.improved;
  int count = 0;
  const int words = (p.run_count + 63) >> 6;
  for (int w = 0; w < words; ++w) {
    std::uint64_t bits = scan[w];
    scan[w] = 0;
    for (; bits != 0; bits &= bits - 1) {
      const int r = (w << 6) + __builtin_ctzll(bits);
      const int tail = p.run_tail[r];
      const TreeNode from = nodes[tail];
      // Deliberate: the mark is read as it stands now, so a node improved
      // earlier in this pass is not scanned again until the next pass.
      if (from.pass != pass - 1) continue;
      if (bounds != nullptr && !(from.time <= bounds[tail])) continue;
      if (!(from.time <= reach)) continue;
      *relaxed += p.run_first[r + 1] - p.run_first[r];
      for (int l = p.run_first[r]; l < p.run_first[r + 1]; ++l) {
        if (p.loops_lower && nodes[tail].pass != pass - 1) break;
        const TreeLink link = Trees.links[l];
        const TreeNode to = nodes[link.head];
        const float label = from.time + link.cost;
        const bool better = to.time > label;  // Deliberate: strict, the first of equal routes stays
        if (SingleRuns) {
          const int run = p.node_run[link.head];
          next[run >> 6] |= static_cast<std::uint64_t>(better) << (run & 63);
        } else {
          improved[count] = link.head;
          count += static_cast<int>(better & (to.pass != pass));
        }
        nodes[better ? link.head : SpareNode] = TreeNode{label, link.number, pass, tail};
      }
    }
  }
  if (!SingleRuns) {
    MarkRuns(improved, count, next);
    return count > 0;
  }
  next[RunWords] = 0;  // the spare bit of nodes without links
  std::uint64_t any = 0;
  for (int w = 0; w < words; ++w) any |= next[w];
  return any != 0;
}

long long BuildTreeByPasses(int origin, const float* bounds, float reach) {
  TreeNode* const nodes = Trees.nodes;
  // Deliberate: the predecessor of a node this tree does not reach is left as
  // the last tree set it.
  for (int n = 0; n < NodeNum; ++n) {
    nodes[n].time = Unreached;
    nodes[n].pass = -1;
  }
  nodes[origin] = TreeNode{0.0f, RootMark, 0, origin};
  // The passes go on while the previous one improved a label, which marked
  // the runs of its head for the next; the two bitmaps swap roles.
  long long relaxed = 0;
  std::uint64_t* scan = PassWork.scan[0];
  std::uint64_t* next = PassWork.scan[1];
  MarkRuns(&origin, 1, scan);
  for (int pass = 1;; ++pass) {
    const bool improved = PassWork.single_runs ? Pass<true>(pass, bounds, reach, scan, next, &relaxed) : Pass<false>(pass, bounds, reach, scan, next, &relaxed);
    std::swap(scan, next);
    if (!improved) break;
  }
  return relaxed;
}

#ifdef FW_HAS_LANES
// The processor's features as the C library found them at start-up, where
// it tells: asking the processor again costs a trap to the hypervisor per
// question in a virtual machine, a tenth of a millisecond a run.
#if defined(__GLIBC__) && __has_include(<sys/platform/x86.h>)
bool Has16Floats() {
  static const bool has = CPU_FEATURE_ACTIVE(AVX512F) && CPU_FEATURE_ACTIVE(AVX512BW);
  return has;
}

static bool Has8Floats() {
  static const bool has = CPU_FEATURE_ACTIVE(AVX2);
  return has;
}
#else
bool Has16Floats() {
  static const bool has = __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw");
  return has;
}

static bool Has8Floats() {
  static const bool has = __builtin_cpu_supports("avx2");
  return has;
}
#endif

bool LanesAvailable() { return (Has16Floats() || Has8Floats()) && !PassWork.loops_lower; }

// Ends a pass of the lanes where every node has one run: turns the bytes of
// the runs improved in it into the next pass's bitmap, clearing them, and
// returns whether any was set. A byte a run: setting it does not wait on the
// setting of another run's, as a bit in a shared word would.
__attribute__((target("avx2"))) static bool NextRuns(int words, std::uint64_t* next) {
  unsigned char* const runs = LaneWork.improved_runs;
  const __m256i zero = _mm256_setzero_si256();
  std::uint64_t any = 0;
  for (int w = 0; w < words; ++w) {
    const __m256i low = _mm256_load_si256(reinterpret_cast<const __m256i*>(runs + 64 * w));
    const __m256i high = _mm256_load_si256(reinterpret_cast<const __m256i*>(runs + 64 * w + 32));
    const auto zeros_low = static_cast<std::uint32_t>(_mm256_movemask_epi8(_mm256_cmpeq_epi8(low, zero)));
    const auto zeros_high = static_cast<std::uint32_t>(_mm256_movemask_epi8(_mm256_cmpeq_epi8(high, zero)));
    next[w] = ~(static_cast<std::uint64_t>(zeros_high) << 32 | zeros_low);
    _mm256_store_si256(reinterpret_cast<__m256i*>(runs + 64 * w), zero);
    _mm256_store_si256(reinterpret_cast<__m256i*>(runs + 64 * w + 32), zero);
    any |= next[w];
  }
  runs[64 * RunWords] = 0;  // the spare run of nodes without links
  return any != 0;
}

// Ends a pass of the lanes: marks in `next` the runs of the nodes improved
// in it (`count` of them listed, where a node may have several runs), and
// returns whether any was.
template <bool SingleRuns>
static bool EndLanePass(int count, int words, std::uint64_t* next) {
  if (SingleRuns) return NextRuns(words, next);
  MarkRuns(PassWork.improved, count, next);
  return count > 0;
}

// Notes that the lanes `better` improved `head` in pass `pass`: its run for
// the next pass, or, where a node may have several, the node in
// PassWork.improved the first time in the pass.
template <bool SingleRuns>
static void NoteImproved(int head, int pass, bool better, int* count) {
  LaneState& s = LaneWork;
  if (SingleRuns) {
    s.improved_runs[PassWork.node_run[head]] |= static_cast<unsigned char>(better);
  } else if (better && s.listed[head] != pass) {
    s.listed[head] = pass;
    PassWork.improved[(*count)++] = head;
  }
}

// One pass of the lanes over the runs marked in `scan`, as Pass does for one
// origin, with 16-float vectors; `live` has a bit for each lane in use,
// `reach` holds each lane's reach. A lane that improves a head writes its
// label, the pass and the link index there; the head's runs are marked for
// the next pass where any lane improved it. Returns whether any did.
template <bool SingleRuns>
__attribute__((target("avx512f,avx512bw"))) static bool LanePass16(int pass, int live, const float* reach, std::uint64_t* scan,
                                                                   std::uint64_t* next, long long* relaxed) {
  const PassState& p = PassWork;
  LaneState& s = LaneWork;
  const __m512 reaches = _mm512_loadu_ps(reach);
  const __m512i before = _mm512_set1_epi32(pass - 1);
  const __m512i now = _mm512_set1_epi32(pass);
  int count = 0;
  const int words = (p.run_count + 63) >> 6;
  for (int w = 0; w < words; ++w) {
    std::uint64_t bits = scan[w];
    scan[w] = 0;
    for (; bits != 0; bits &= bits - 1) {
      const int r = (w << 6) + __builtin_ctzll(bits);
      const LaneNode& tail = s.nodes[p.run_tail[r]];
      // (L3), (L4): the lanes whose tail is marked 0, with a label within their reach.
      const __m512 from = _mm512_load_ps(tail.time);
      const __mmask16 marked = _mm512_mask_cmpeq_epi32_mask(static_cast<__mmask16>(live), _mm512_load_si512(tail.pass), before);
      const __mmask16 scanned = _mm512_mask_cmp_ps_mask(marked, from, reaches, _CMP_LE_OQ);
      if (scanned == 0) continue;
      *relaxed += static_cast<long long>(p.run_first[r + 1] - p.run_first[r]) * __builtin_popcount(scanned);
      for (int l = p.run_first[r]; l < p.run_first[r + 1]; ++l) {
        const TreeLink link = Trees.links[l];
        LaneNode& to = s.nodes[link.head];
        const __m512 label = _mm512_add_ps(from, _mm512_set1_ps(link.cost));
        // (L2), (L1). Deliberate: strict, the first of equal routes stays.
        const __mmask16 better = _mm512_mask_cmp_ps_mask(scanned, _mm512_load_ps(to.time), label, _CMP_GT_OQ);
        _mm512_mask_store_ps(to.time, better, label);
        _mm512_mask_store_epi32(to.pass, better, now);
        _mm512_mask_store_epi32(to.link, better, _mm512_set1_epi32(l));
        NoteImproved<SingleRuns>(link.head, pass, better != 0, &count);
      }
    }
  }
  return EndLanePass<SingleRuns>(count, words, next);
}

// The lanes whose bits are set in `bits` (0 .. 255), as an 8-float mask.
__attribute__((target("avx2"))) static __m256 LaneMask8(int bits) {
  const __m256i bit = _mm256_setr_epi32(1, 2, 4, 8, 16, 32, 64, 128);
  return _mm256_castsi256_ps(_mm256_cmpeq_epi32(_mm256_and_si256(_mm256_set1_epi32(bits), bit), bit));
}

// Blends `value` into the 8 ints at `at` where `mask` is set.
__attribute__((target("avx2"))) static void BlendStore8(int* at, __m256 mask, __m256i value) {
  const __m256 old = _mm256_castsi256_ps(_mm256_load_si256(reinterpret_cast<const __m256i*>(at)));
  _mm256_store_si256(reinterpret_cast<__m256i*>(at), _mm256_castps_si256(_mm256_blendv_ps(old, _mm256_castsi256_ps(value), mask)));
}

// LanePass16 with 8-float vectors, `Parts` to a lane vector: the same lanes
// and layout, the same adds and comparisons, 8 lanes at a time; one part
// where only the first 8 lanes are in use. Entries are blended and stored
// whole: the processors without 16-float vectors store 8-float masked
// entries slowly. With 8 lanes or fewer in use, this one is the faster even
// where 16-float vectors exist (1.4 against 2.1 us a group on Sioux Falls,
// on an AMD Zen 4): the passes read back entries stored a moment before,
// which a whole 8-float store hands on sooner than a masked 16-float one.
// The two keep their loops over the runs apiece: each is compiled for its
// own instructions, which calls between them would not inline.
template <bool SingleRuns, int Parts>
__attribute__((target("avx2"))) static bool LanePass8(int pass, int live, const float* reach, std::uint64_t* scan, std::uint64_t* next,
                                                      long long* relaxed) {
  const PassState& p = PassWork;
  LaneState& s = LaneWork;
  __m256 reaches[Parts];
  for (int h = 0; h < Parts; ++h) reaches[h] = _mm256_loadu_ps(reach + 8 * h);
  const __m256i before = _mm256_set1_epi32(pass - 1);
  const __m256i now = _mm256_set1_epi32(pass);
  int count = 0;
  const int words = (p.run_count + 63) >> 6;
  for (int w = 0; w < words; ++w) {
    std::uint64_t bits = scan[w];
    scan[w] = 0;
    for (; bits != 0; bits &= bits - 1) {
      const int r = (w << 6) + __builtin_ctzll(bits);
      const LaneNode& tail = s.nodes[p.run_tail[r]];
      // (L3), (L4): the lanes whose tail is marked 0, with a label within their reach.
      __m256 from[Parts];
      int scanned = 0;
      for (int h = 0; h < Parts; ++h) {
        from[h] = _mm256_load_ps(tail.time + 8 * h);
        const __m256i marks = _mm256_load_si256(reinterpret_cast<const __m256i*>(tail.pass + 8 * h));
        const __m256 marked = _mm256_castsi256_ps(_mm256_cmpeq_epi32(marks, before));
        scanned |= _mm256_movemask_ps(_mm256_and_ps(marked, _mm256_cmp_ps(from[h], reaches[h], _CMP_LE_OQ))) << (8 * h);
      }
      scanned &= live;
      if (scanned == 0) continue;
      *relaxed += static_cast<long long>(p.run_first[r + 1] - p.run_first[r]) * __builtin_popcount(static_cast<unsigned>(scanned));
      __m256 taking[Parts];
      for (int h = 0; h < Parts; ++h) taking[h] = LaneMask8((scanned >> (8 * h)) & 255);
      for (int l = p.run_first[r]; l < p.run_first[r + 1]; ++l) {
        const TreeLink link = Trees.links[l];
        LaneNode& to = s.nodes[link.head];
        int improved = 0;
        for (int h = 0; h < Parts; ++h) {
          const __m256 label = _mm256_add_ps(from[h], _mm256_set1_ps(link.cost));
          const __m256 old = _mm256_load_ps(to.time + 8 * h);
          // (L2), (L1). Deliberate: strict, the first of equal routes stays.
          const __m256 better = _mm256_and_ps(taking[h], _mm256_cmp_ps(old, label, _CMP_GT_OQ));
          _mm256_store_ps(to.time + 8 * h, _mm256_blendv_ps(old, label, better));
          BlendStore8(to.pass + 8 * h, better, now);
          BlendStore8(to.link + 8 * h, better, _mm256_set1_epi32(l));
          improved |= _mm256_movemask_ps(better);
        }
        NoteImproved<SingleRuns>(link.head, pass, improved != 0, &count);
      }
    }
  }
  return EndLanePass<SingleRuns>(count, words, next);
}

// Puts every lane's labels and marks at their start, each lane's origin at
// its root.
static void StartLanes(const int* origins, int lanes) {
  LaneState& s = LaneWork;
  for (int n = 0; n < NodeNum; ++n) {
    std::fill(s.nodes[n].time, s.nodes[n].time + TreeLanes, Unreached);
    std::fill(s.nodes[n].pass, s.nodes[n].pass + TreeLanes, -1);
    s.listed[n] = 0;
  }
  for (int k = 0; k < lanes; ++k) {
    s.origins[k] = origins[k];
    LaneNode& root = s.nodes[origins[k]];
    root.time[k] = 0.0f;
    root.pass[k] = 0;
    root.link[k] = RootMark;
  }
  s.lanes = lanes;
}

// Lays the finished trees out lane by lane in LaneWork.steps (LaneSteps).
static void LayOutSteps(int lanes) {
  LaneState& s = LaneWork;
  for (int n = 0; n < NodeNum; ++n) {
    const LaneNode& node = s.nodes[n];
    for (int k = 0; k < lanes; ++k) {
      const int l = node.link[k];
      LaneSteps(k)[n] = !(node.time[k] < Unreached) ? LaneStep{RootMark, NoTail}
                        : l == RootMark             ? LaneStep{RootMark, n}
                                                    : LaneStep{Trees.links[l].number, LinkOrigin[l]};
    }
  }
}

long long BuildTreesByLanes(const int* origins, const float* reach, int lanes) {
  StartLanes(origins, lanes);
  float lane_reach[TreeLanes];
  for (int k = 0; k < TreeLanes; ++k) lane_reach[k] = k < lanes ? reach[k] : Unreached;
  const bool eight = lanes <= 8 && Has8Floats();  // one 8-float part holds every lane
  const bool sixteen = !eight && Has16Floats() && LaneVectorsUsed == LaneVectors::Widest;
  const bool single = PassWork.single_runs;
  const int live = (1 << lanes) - 1;
  long long relaxed = 0;
  std::uint64_t* scan = PassWork.scan[0];
  std::uint64_t* next = PassWork.scan[1];
  MarkRuns(origins, lanes, scan);
  for (int pass = 1;; ++pass) {
    const bool improved = eight     ? (single ? LanePass8<true, 1>(pass, live, lane_reach, scan, next, &relaxed)
                                              : LanePass8<false, 1>(pass, live, lane_reach, scan, next, &relaxed))
                          : sixteen ? (single ? LanePass16<true>(pass, live, lane_reach, scan, next, &relaxed)
                                              : LanePass16<false>(pass, live, lane_reach, scan, next, &relaxed))
                                    : (single ? LanePass8<true, 2>(pass, live, lane_reach, scan, next, &relaxed)
                                              : LanePass8<false, 2>(pass, live, lane_reach, scan, next, &relaxed));
    std::swap(scan, next);
    if (!improved) break;  // (L5)
  }
  LayOutSteps(lanes);
  return relaxed;
}
#else
bool Has16Floats() { return false; }

bool LanesAvailable() { return false; }

long long BuildTreesByLanes(const int*, const float*, int) { return 0; }
#endif

}  // namespace fw
