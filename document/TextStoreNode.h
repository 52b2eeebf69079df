#pragma once
// The nodes of TextStore's tree and the operations on whole trees; private to
// the store's own sources.
//
// The tree is a B+tree of uniform depth: leaves hold the text in chunks of at
// most kMaxChunk units, inner nodes hold up to kFanout children and, per
// child, its length and line-feed count for the walk down. Nodes never change
// once made; an edit makes new nodes along its path and shares the rest.
// Every inner node other than the root has at least kMinFanout children,
// which bounds the depth by log16 of the chunk count.

#include <QtGlobal>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <utility>

#include "document/TextStore.h"

namespace textstore {

#ifndef KESTO_STORE_TINY_NODES
constexpr int kFanout = 32;
// Chunks are small enough that copying one per edit costs little, and large
// enough that the tree stays a small share of the memory.
constexpr int32_t kMaxChunk = 4096;
// Below this, a chunk merges with a neighbour even of the other width.
constexpr int32_t kSmallChunk = 256;
// A builder keeps one-byte units in a UTF-16 chunk until this many follow one
// another, then starts a one-byte chunk with them: a Japanese comment does not
// double the memory of the program lines around it.
constexpr int32_t kNarrowRun = 128;
#else
// Tiny nodes and chunks, so that a fuzzer's small texts make deep trees.
constexpr int kFanout = 4;
constexpr int32_t kMaxChunk = 16;
constexpr int32_t kSmallChunk = 6;
constexpr int32_t kNarrowRun = 5;
#endif
constexpr int kMinFanout = kFanout / 2;
// A join rebalances two neighbouring chunks when one is smaller than this.
constexpr int32_t kMinChunk = kMaxChunk / 4;

// Line statistics of a stretch of text, combined left to right.
struct Summary {
  int64_t chars = 0;
  int64_t lfs = 0;
  int64_t head = 0;   // units up to and including the first LF (all units if none)
  int64_t tail = 0;   // units after the last LF (all units if none)
  int64_t inner = 0;  // longest line between the first and the last LF, its LF included
};
Summary Combine(const Summary& a, const Summary& b);
int64_t LongestLine(const Summary& s);

struct Node {
  std::atomic<int32_t> refs{1};
  uint8_t height = 0;  // 0: a leaf with text; else the children have height - 1
  Summary sum;
};

struct Leaf : Node {
  int32_t length = 0;
  bool wide = false;    // UTF-16; else one byte (Latin-1) per unit
  bool inSlab = false;  // carved from a slab (see AllocateInSlab), else from the heap
  // The units follow the header.
  const char* narrow() const { return reinterpret_cast<const char*>(this + 1); }
  const char16_t* units() const { return reinterpret_cast<const char16_t*>(this + 1); }
  char* narrow() { return reinterpret_cast<char*>(this + 1); }
  char16_t* units() { return reinterpret_cast<char16_t*>(this + 1); }
};

struct Inner : Node {
  int32_t count = 0;
  Node* kids[kFanout];
  int64_t chars[kFanout];
  int64_t lfs[kFanout];
};

inline const Leaf* AsLeaf(const Node* n) { return static_cast<const Leaf*>(n); }
inline const Inner* AsInner(const Node* n) { return static_cast<const Inner*>(n); }
inline NodeRef Share(Node* n) {
  Retain(n);
  return NodeRef(n);
}

using Pair = std::pair<NodeRef, NodeRef>;

// Leaves. A leaf made from UTF-16 units is stored at one byte per unit when
// they all fit. `bulk`: one of many made at once, which go into slabs.
NodeRef MakeLeaf(const char* narrow, int32_t length, bool bulk = false);
NodeRef MakeLeaf(const char16_t* units, int32_t length, bool bulk = false);

// The line statistics of a leaf's units, counted afresh.
Summary ScanLeaf(const Leaf* leaf);

// Memory for leaves built in bulk: `bytes` from the slab this thread fills
// (null when none can be had), and its release.
void* AllocateInSlab(size_t bytes);
void FreeInSlab(void* p, size_t bytes);

// The units [from, to) of a leaf as a leaf of their own.
NodeRef SliceLeaf(const Leaf* leaf, int32_t from, int32_t to);
// An inner node over `count` (1..kFanout) trees of one height, and the root
// over 0..kFanout such trees: null, the only one, or an inner node.
NodeRef MakeInner(NodeRef* kids, int count);
NodeRef MakeRoot(NodeRef* kids, int count);
// The text of `node` cut at `pos`: the part before and the part from there on
// (null where empty).
Pair SplitAt(const NodeRef& node, int64_t pos);

// A tree of uniform depth over `leaves` (moved from), built bottom-up.
NodeRef BuildTree(NodeRef* leaves, int64_t count);
// The text of `a` followed by that of `b`; either may be empty (null).
NodeRef Join(NodeRef a, NodeRef b);

}  // namespace textstore
