// Route masks: on a network of at most 32 nodes and 128 links, the links of
// the route to every node are found at once as a mask, and a block's trips
// go onto the volumes held in vector registers. The result is the same, bit
// for bit, as adding each pair's trips to each link of its route in turn,
// pair by pair in record order:
//
// (M1) Routes. A tree's predecessor link and tail of every node fit in two
//      16-int vectors each, and a table lookup in them serves sixteen nodes
//      at once. Each node's mask starts as its own link's bit (none at the
//      origin) and points at its tail; each round, every mask takes in the
//      mask of the node it points at and takes over that node's pointer
//      (pointer jumping). After r rounds a node's mask holds the first 2^r
//      links of its route back from it, and it points 2^r links back, or at
//      the origin, which points at itself with an empty mask. A route has
//      fewer links than there are nodes, so five rounds finish every mask.
//      A route takes a link at most once: its mask is its set of links.
// (M2) Sums. Every link's volume is one lane of up to eight 16-float
//      vectors. A pair's trips are added to the lanes its destination's mask
//      selects, one single-precision add each (no fused operation, the same
//      rounding, the volume the first operand as in the scalar add); the
//      other lanes keep their bits. A link's volume so takes the same adds in
//      the same order (record order) as when the pairs are added link by
//      link, and the order of adds to different links never mattered.
// (M3) Refusals. The volumes go back to memory only after the last pair,
//      and not at all where some destination was not reached: the block then
//      adds nothing and is left to the caller, which reports it.
#include "paths/route_masks.h"

#include <algorithm>
#include <cstdint>

#include "network/tables.h"

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#define FW_HAS_ROUTE_MASKS 1
#endif

namespace fw {

#ifdef FW_HAS_ROUTE_MASKS
bool RouteMasksAvailable() { return Has16Floats() && NodeNum <= MaskNodes && LinkNumber <= MaskLinks; }

namespace {

constexpr int Width = 16;  // floats or ints to a vector: links or nodes

// A node's entry in a tree's table held in two vectors (nodes 0-15, 16-31).
__attribute__((target("avx512f"))) inline __m512i Lookup(__m512i low, __m512i high, __m512i node) {
  return _mm512_permutex2var_epi32(low, node, high);
}

// The first `count` lanes (count from 0 to Width).
inline __mmask16 FirstLanes(int count) { return static_cast<__mmask16>((1u << count) - 1u); }

// A tree's predecessor links and tails, node by node, in two vectors each.
struct TreeTables {
  __m512i link_low, link_high;
  __m512i tail_low, tail_high;
};

__attribute__((target("avx512f"))) TreeTables LoadTree(const LaneStep* tree) {
  // The entries interleave link and tail: 2 NodeNum ints, in four vectors.
  const int ints = 2 * NodeNum;
  __m512i part[4];
  for (int q = 0; q < 4; ++q) {
    const int here = std::min(Width, std::max(0, ints - Width * q));
    part[q] = _mm512_maskz_loadu_epi32(FirstLanes(here), reinterpret_cast<const int*>(tree) + Width * q);
  }
  const __m512i even = _mm512_setr_epi32(0, 2, 4, 6, 8, 10, 12, 14, 16, 18, 20, 22, 24, 26, 28, 30);
  const __m512i odd = _mm512_add_epi32(even, _mm512_set1_epi32(1));
  // The lanes past NodeNum as nodes not reached.
  const __mmask16 spare_low = static_cast<__mmask16>(~FirstLanes(std::min(Width, NodeNum)));
  const __mmask16 spare_high = static_cast<__mmask16>(~FirstLanes(std::max(0, NodeNum - Width)));
  const __m512i root = _mm512_set1_epi32(RootMark);
  const __m512i none = _mm512_set1_epi32(NoTail);
  return TreeTables{_mm512_mask_mov_epi32(_mm512_permutex2var_epi32(part[0], even, part[1]), spare_low, root),
                    _mm512_mask_mov_epi32(_mm512_permutex2var_epi32(part[2], even, part[3]), spare_high, root),
                    _mm512_mask_mov_epi32(_mm512_permutex2var_epi32(part[0], odd, part[1]), spare_low, none),
                    _mm512_mask_mov_epi32(_mm512_permutex2var_epi32(part[2], odd, part[3]), spare_high, none)};
}

// (M1): every node's route mask, by pointer jumping: a node's mask starts
// as its own link's bit and its pointer at its tail; in each round the mask
// takes in that of the node pointed at, and the pointer takes over that
// node's pointer. After r rounds a mask holds the links of the first 2^r of
// the route and the pointer is 2^r links back, or at the origin, which
// points at itself with an empty mask; nodes not reached, and the spare
// lanes, are made to look like the origin. Link l is bit l % 32 of word l /
// 32; the words go to masks[w][node], two 16-bit halves each.
template <int Words>
__attribute__((target("avx512f"))) void NodeMasks(const TreeTables& tree, int origin_node, __mmask16* halves) {
  const __m512i origin = _mm512_set1_epi32(origin_node);
  const __m512i none = _mm512_set1_epi32(NoTail);
  const __m512i one = _mm512_set1_epi32(1);
  __m512i tail[2] = {tree.tail_low, tree.tail_high};
  __m512i mask[Words][2];
  for (int h = 0; h < 2; ++h) {
    const __mmask16 unreached = _mm512_cmpeq_epi32_mask(tail[h], none);
    tail[h] = _mm512_mask_mov_epi32(tail[h], unreached, origin);
    const __m512i link = _mm512_mask_mov_epi32(h == 0 ? tree.link_low : tree.link_high, unreached, _mm512_set1_epi32(RootMark));
    // A shift by a count above 31, or by a negative one (RootMark, or a link
    // of a lower word), leaves 0: each link sets one bit of one word. (The
    // zero-masked shift, with every lane taken, is the plain one; this
    // compiler's header warns wrongly about the plain one's undefined source.)
    for (int w = 0; w < Words; ++w) {
      mask[w][h] = _mm512_maskz_sllv_epi32(static_cast<__mmask16>(0xFFFF), one, _mm512_sub_epi32(link, _mm512_set1_epi32(32 * w)));
    }
  }
  // A route has fewer links than there are nodes, at most 31: five rounds.
  for (int round = 0; round < 5; ++round) {
    if ((_mm512_cmpneq_epi32_mask(tail[0], origin) | _mm512_cmpneq_epi32_mask(tail[1], origin)) == 0) break;
    for (int w = 0; w < Words; ++w) {
      const __m512i low = _mm512_or_si512(mask[w][0], Lookup(mask[w][0], mask[w][1], tail[0]));
      const __m512i high = _mm512_or_si512(mask[w][1], Lookup(mask[w][0], mask[w][1], tail[1]));
      mask[w][0] = low;
      mask[w][1] = high;
    }
    const __m512i low = Lookup(tail[0], tail[1], tail[0]);
    const __m512i high = Lookup(tail[0], tail[1], tail[1]);
    tail[0] = low;
    tail[1] = high;
  }
  for (int w = 0; w < Words; ++w) {
    _mm512_store_si512(halves + 2 * MaskNodes * w, mask[w][0]);
    _mm512_store_si512(halves + 2 * MaskNodes * w + 2 * Width, mask[w][1]);
  }
}

// The lanes of vector v that hold links.
inline __mmask16 LinkLanes(int v) { return FirstLanes(std::min(Width, LinkNumber - Width * v)); }

// The nodes the tree reached, a bit each.
__attribute__((target("avx512f"))) std::uint32_t Reached(const TreeTables& tree) {
  const __m512i none = _mm512_set1_epi32(NoTail);
  const std::uint32_t low = _mm512_cmpneq_epi32_mask(tree.tail_low, none);
  const std::uint32_t high = _mm512_cmpneq_epi32_mask(tree.tail_high, none);
  return low | high << Width;
}

// (M2), (M3) with the volumes in `Vectors` vectors (LinkNumber up to 16 Vectors).
template <int Vectors>
__attribute__((target("avx512f"))) bool AddByMasks(const TreeTables& tree, int od, int end, float* target) {
  constexpr int Words = (Vectors + 1) / 2;
  const std::uint32_t reached = Reached(tree);
  std::uint32_t missing = 0;
  alignas(64) __mmask16 halves[Words * 2 * MaskNodes];
  NodeMasks<Words>(tree, Origin[od], halves);
  __m512 volume[Vectors];
  for (int v = 0; v < Vectors; ++v) volume[v] = _mm512_maskz_loadu_ps(LinkLanes(v), target + Width * v);
  for (int p = od; p < end; ++p) {
    const __m512 trips = _mm512_set1_ps(TripVol[p]);
    missing |= ~reached >> Dest[p];
    __mmask16* const route = halves + 2 * Dest[p];
    for (int v = 0; v < Vectors; ++v) {
      volume[v] = _mm512_mask_add_ps(volume[v], _load_mask16(route + 2 * MaskNodes * (v / 2) + v % 2), volume[v], trips);
    }
  }
  if ((missing & 1u) != 0) return false;
  for (int v = 0; v < Vectors; ++v) _mm512_mask_storeu_ps(target + Width * v, LinkLanes(v), volume[v]);
  return true;
}

// AddByMasks with as many vectors as `vectors`, from `Vectors` up.
template <int Vectors>
bool AddWithVectors(int vectors, const TreeTables& tables, int od, int end, float* target) {
  if constexpr (Vectors > MaskLinks / Width) {
    return false;  // more links than route masks hold: the caller adds the block
  } else {
    return vectors == Vectors ? AddByMasks<Vectors>(tables, od, end, target) : AddWithVectors<Vectors + 1>(vectors, tables, od, end, target);
  }
}

}  // namespace

bool AddBlockByMasks(const LaneStep* tree, int od, int end, float* target) {
  // No links: every route is empty, and the caller adds the block.
  return LinkNumber > 0 && AddWithVectors<1>((LinkNumber + Width - 1) / Width, LoadTree(tree), od, end, target);
}
#else
bool RouteMasksAvailable() { return false; }

bool AddBlockByMasks(const LaneStep*, int, int, float*) { return false; }
#endif

}  // namespace fw
