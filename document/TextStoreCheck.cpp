// The shape of a TextStore's tree and the walk that checks its invariants:
// O(n), for tests and fuzz targets, never called by the program itself.

#include <algorithm>

#include "document/TextStore.h"
#include "document/TextStoreNode.h"

using namespace textstore;

namespace {

void CollectStats(const Node* n, TextStore::Stats& stats) {
  if (n->height == 0) {
    const Leaf* leaf = AsLeaf(n);
    ++stats.chunks;
    stats.wideChunks += leaf->wide;
    stats.bytes += int64_t(sizeof(Leaf)) + int64_t(leaf->length) * (leaf->wide ? 2 : 1);
    return;
  }
  stats.bytes += int64_t(sizeof(Inner));
  const Inner* inner = AsInner(n);
  for (int i = 0; i < inner->count; ++i) CollectStats(inner->kids[i], stats);
}

bool SameSummary(const Summary& a, const Summary& b) {
  return a.chars == b.chars && a.lfs == b.lfs && a.head == b.head && a.tail == b.tail &&
         a.inner == b.inner;
}

const char* CheckLeaf(const Leaf* leaf, Summary& out) {
  if (leaf->length < 1 || leaf->length > kMaxChunk) return "a chunk's length outside 1..kMaxChunk";
  if (leaf->wide && std::none_of(leaf->units(), leaf->units() + leaf->length,
                                 [](char16_t c) { return c > 0xFF; }))
    return "a UTF-16 chunk whose units all fit in one byte";
  out = ScanLeaf(leaf);
  return nullptr;
}

// Checks the subtree at `n`: what it breaks (null when nothing), and in `out`
// its line statistics recomputed from its leaves.
const char* CheckNode(const Node* n, bool isRoot, Summary& out) {
  if (n->refs.load(std::memory_order_relaxed) < 1) return "a node without references";
  if (n->height == 0) {
    if (const char* broken = CheckLeaf(AsLeaf(n), out)) return broken;
  } else {
    const Inner* inner = AsInner(n);
    if (inner->count > kFanout || inner->count < (isRoot ? 2 : kMinFanout))
      return "an inner node's child count outside its bounds";
    Summary total;
    for (int i = 0; i < inner->count; ++i) {
      const Node* kid = inner->kids[i];
      if (!kid) return "a missing child";
      if (kid->height + 1 != n->height) return "leaves at different depths";
      Summary s;
      if (const char* broken = CheckNode(kid, false, s)) return broken;
      if (inner->chars[i] != s.chars || inner->lfs[i] != s.lfs)
        return "a child's counts in its parent that differ from its text";
      total = Combine(total, s);
    }
    out = total;
  }
  return SameSummary(n->sum, out) ? nullptr : "a node's line statistics that differ from its text";
}

}  // namespace

TextStore::Stats TextStore::stats() const {
  Stats stats;
  if (!root_) return stats;
  stats.height = root_->height;
  CollectStats(root_.get(), stats);
  return stats;
}

const char* TextStore::brokenInvariant() const {
  if (!root_) return nullptr;
  if (root_->sum.chars > kMaxSize) return "a text longer than kMaxSize";
  Summary s;
  return CheckNode(root_.get(), true, s);
}
