// The tree operations behind TextStore: making leaves and inner nodes,
// joining two trees and building one bottom-up. Every operation makes new
// nodes and leaves its arguments as they were.

#include <algorithm>
#include <cstring>
#include <new>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "document/TextStoreNode.h"

namespace textstore {

Summary Combine(const Summary& a, const Summary& b) {
  if (a.chars == 0) return b;
  if (b.chars == 0) return a;
  Summary r;
  r.chars = a.chars + b.chars;
  r.lfs = a.lfs + b.lfs;
  if (a.lfs == 0 && b.lfs == 0) {
    r.head = r.tail = r.chars;
  } else if (a.lfs == 0) {
    r.head = a.chars + b.head;
    r.tail = b.tail;
    r.inner = b.inner;
  } else if (b.lfs == 0) {
    r.head = a.head;
    r.tail = a.tail + b.chars;
    r.inner = a.inner;
  } else {
    r.head = a.head;
    r.tail = b.tail;
    r.inner = std::max({a.inner, b.inner, a.tail + b.head});
  }
  return r;
}

int64_t LongestLine(const Summary& s) {
  return s.lfs == 0 ? s.chars : std::max({s.head, s.inner, s.tail});
}

void Retain(Node* node) {
  [[maybe_unused]] const int32_t before = node->refs.fetch_add(1, std::memory_order_relaxed);
  Q_ASSERT_X(before >= 1, "textstore::Retain", "a node already released");
}

void Release(Node* node) {
  const int32_t before = node->refs.fetch_sub(1, std::memory_order_acq_rel);
  Q_ASSERT_X(before >= 1, "textstore::Release", "a node released once too often");
  if (before != 1) return;
  if (node->height == 0) {
    Leaf* leaf = static_cast<Leaf*>(node);
    const bool inSlab = leaf->inSlab;
    const size_t bytes = sizeof(Leaf) + size_t(leaf->length) * (leaf->wide ? 2 : 1);
    leaf->~Leaf();
    if (inSlab) {
      FreeInSlab(leaf, bytes);
    } else {
      ::operator delete(leaf);
    }
  } else {
    Inner* inner = static_cast<Inner*>(node);
    for (int i = 0; i < inner->count; ++i) Release(inner->kids[i]);
    delete inner;
  }
}

namespace {

// The line statistics of a leaf's units. Every leaf made is scanned once,
// 16 bytes at a time where SSE2 is at hand: building a store from a large
// file spends a good share of its time here.
template <typename Unit>
Summary ScanLines(const Unit* s, int32_t n) {
  Summary r;
  r.chars = n;
  int64_t first = -1;
  int64_t last = -1;
  auto lineFeedAt = [&](int64_t i) {
    if (first < 0) {
      first = i;
    } else {
      r.inner = std::max<int64_t>(r.inner, i - last);
    }
    last = i;
    ++r.lfs;
  };
  int32_t i = 0;
#if defined(__SSE2__)
  constexpr int32_t kStep = 16 / int32_t(sizeof(Unit));
  const __m128i lf = sizeof(Unit) == 1 ? _mm_set1_epi8('\n') : _mm_set1_epi16('\n');
  for (; i + kStep <= n; i += kStep) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i));
    unsigned mask = unsigned(_mm_movemask_epi8(sizeof(Unit) == 1 ? _mm_cmpeq_epi8(v, lf)
                                                                  : _mm_cmpeq_epi16(v, lf)));
    if (sizeof(Unit) == 2) mask &= 0x5555;  // one bit per unit
    while (mask != 0) {
      lineFeedAt(i + __builtin_ctz(mask) / int(sizeof(Unit)));
      mask &= mask - 1;
    }
  }
#endif
  for (; i < n; ++i) {
    if (s[i] == Unit('\n')) lineFeedAt(i);
  }
  if (r.lfs == 0) {
    r.head = r.tail = n;
  } else {
    r.head = first + 1;
    r.tail = n - 1 - last;
  }
  return r;
}

// A chunk has 1 to kMaxChunk units; only the two chunks that MergeLeaves
// evens out stand together in one leaf for a moment, up to twice that.
Leaf* AllocateLeaf(int32_t length, bool wide, bool bulk = false) {
  Q_ASSERT(length >= 1 && length <= 2 * kMaxChunk);
  const size_t bytes = sizeof(Leaf) + size_t(length) * (wide ? 2 : 1);
  void* slabbed = bulk ? AllocateInSlab(bytes) : nullptr;
  Leaf* leaf = new (slabbed ? slabbed : ::operator new(bytes)) Leaf;
  leaf->length = length;
  leaf->wide = wide;
  leaf->inSlab = slabbed != nullptr;
  return leaf;
}

}  // namespace

NodeRef MakeLeaf(const char* narrow, int32_t length, bool bulk) {
  Q_ASSERT(length >= 1 && length <= kMaxChunk);
  Leaf* leaf = AllocateLeaf(length, false, bulk);
  std::memcpy(leaf->narrow(), narrow, size_t(length));
  leaf->sum = ScanLines(leaf->narrow(), length);
  return NodeRef(leaf);
}

NodeRef MakeLeaf(const char16_t* units, int32_t length, bool bulk) {
  Q_ASSERT(length >= 1 && length <= kMaxChunk);
  const bool wide = std::any_of(units, units + length, [](char16_t c) { return c > 0xFF; });
  Leaf* leaf = AllocateLeaf(length, wide, bulk);
  if (wide) {
    std::memcpy(leaf->units(), units, size_t(length) * 2);
    leaf->sum = ScanLines(leaf->units(), length);
  } else {
    std::copy(units, units + length, leaf->narrow());
    leaf->sum = ScanLines(leaf->narrow(), length);
  }
  return NodeRef(leaf);
}

Summary ScanLeaf(const Leaf* leaf) {
  return leaf->wide ? ScanLines(leaf->units(), leaf->length) : ScanLines(leaf->narrow(), leaf->length);
}

NodeRef SliceLeaf(const Leaf* leaf, int32_t from, int32_t to) {
  Q_ASSERT(0 <= from && from < to && to <= leaf->length);
  return leaf->wide ? MakeLeaf(leaf->units() + from, to - from)
                    : MakeLeaf(leaf->narrow() + from, to - from);
}

namespace {

// The units of two leaves, one after the other, as one leaf.
NodeRef ConcatLeaves(const Leaf* a, const Leaf* b) {
  const int32_t length = a->length + b->length;
  if (!a->wide && !b->wide) {
    Leaf* leaf = AllocateLeaf(length, false);
    std::memcpy(leaf->narrow(), a->narrow(), size_t(a->length));
    std::memcpy(leaf->narrow() + a->length, b->narrow(), size_t(b->length));
    leaf->sum = Combine(a->sum, b->sum);
    return NodeRef(leaf);
  }
  Leaf* leaf = AllocateLeaf(length, true);
  char16_t* out = leaf->units();
  for (const Leaf* part : {a, b}) {
    if (part->wide) {
      std::memcpy(out, part->units(), size_t(part->length) * 2);
    } else {
      const char* narrow = part->narrow();
      for (int32_t i = 0; i < part->length; ++i) out[i] = char16_t(uchar(narrow[i]));
    }
    out += part->length;
  }
  leaf->sum = Combine(a->sum, b->sum);
  return NodeRef(leaf);
}

// Two neighbouring leaves as they should stand side by side: merged when they
// fit in one chunk (unless both are sizeable and of different widths, which
// would double the memory of the one-byte part), evened out when one is small
// and both have the same width, else as they are.
Pair MergeLeaves(const NodeRef& a, const NodeRef& b) {
  const Leaf* la = AsLeaf(a.get());
  const Leaf* lb = AsLeaf(b.get());
  const int32_t total = la->length + lb->length;
  const bool sameWidth = la->wide == lb->wide;
  if (total <= kMaxChunk && (sameWidth || std::min(la->length, lb->length) < kSmallChunk))
    return {ConcatLeaves(la, lb), NodeRef()};
  if (sameWidth && std::min(la->length, lb->length) < kMinChunk) {
    const NodeRef whole = ConcatLeaves(la, lb);
    const Leaf* w = AsLeaf(whole.get());
    return {SliceLeaf(w, 0, total / 2), SliceLeaf(w, total / 2, total)};
  }
  return {a, b};
}

}  // namespace

NodeRef MakeInner(NodeRef* kids, int count) {
  Q_ASSERT(count >= 1 && count <= kFanout);
  Inner* inner = new Inner;
  inner->height = uint8_t(kids[0]->height + 1);
  inner->count = count;
  for (int i = 0; i < count; ++i) {
    Node* kid = kids[i].get();
    Q_ASSERT_X(kid && kid->height + 1 == inner->height, "textstore::MakeInner",
               "children of one height");
    inner->chars[i] = kid->sum.chars;
    inner->lfs[i] = kid->sum.lfs;
    inner->sum = Combine(inner->sum, kid->sum);
    inner->kids[i] = kid;
    Retain(kid);
  }
  return NodeRef(inner);
}

NodeRef MakeRoot(NodeRef* kids, int count) {
  Q_ASSERT(count >= 0 && count <= kFanout);
  if (count == 0) return NodeRef();
  if (count == 1) return kids[0];
  return MakeInner(kids, count);
}

namespace {

// Children gathered for one or two new nodes of the same height.
struct KidList {
  NodeRef items[2 * kFanout];
  int count = 0;
  void push(NodeRef n) {
    Q_ASSERT(count < 2 * kFanout);
    if (n) items[count++] = std::move(n);
  }
  void pushRange(const Inner* inner, int from, int to) {
    Q_ASSERT(0 <= from && from <= to && to <= inner->count && count + to - from <= 2 * kFanout);
    for (int i = from; i < to; ++i) items[count++] = Share(inner->kids[i]);
  }
  // One node, or two of about equal width when they do not fit in one.
  Pair pack() {
    if (count <= kFanout) return {MakeInner(items, count), NodeRef()};
    const int half = count / 2;
    return {MakeInner(items, half), MakeInner(items + half, count - half)};
  }
};

Pair JoinRec(const NodeRef& a, const NodeRef& b);

// Two trees of the same height: their boundary subtrees are joined all the
// way down, so that the chunks that meet are merged or evened out.
Pair MergeSameHeight(const NodeRef& a, const NodeRef& b) {
  Q_ASSERT(a && b && a->height == b->height);
  if (a->height == 0) return MergeLeaves(a, b);
  const Inner* ia = AsInner(a.get());
  const Inner* ib = AsInner(b.get());
  KidList kids;
  kids.pushRange(ia, 0, ia->count - 1);
  Pair middle = JoinRec(Share(ia->kids[ia->count - 1]), Share(ib->kids[0]));
  kids.push(std::move(middle.first));
  kids.push(std::move(middle.second));
  kids.pushRange(ib, 1, ib->count);
  return kids.pack();
}

// `a` followed by `b` as one or two trees of the height of the taller one.
// The shorter tree goes into the taller one's spine at its own height, where
// it merges with the node it meets, so that it never stands as an underfull
// node below a root.
Pair JoinRec(const NodeRef& a, const NodeRef& b) {
  if (a->height == b->height) return MergeSameHeight(a, b);
  KidList kids;
  if (a->height > b->height) {
    const Inner* ia = AsInner(a.get());
    kids.pushRange(ia, 0, ia->count - 1);
    Pair r = JoinRec(Share(ia->kids[ia->count - 1]), b);
    kids.push(std::move(r.first));
    kids.push(std::move(r.second));
  } else {
    const Inner* ib = AsInner(b.get());
    Pair r = JoinRec(a, Share(ib->kids[0]));
    kids.push(std::move(r.first));
    kids.push(std::move(r.second));
    kids.pushRange(ib, 1, ib->count);
  }
  return kids.pack();
}

}  // namespace

NodeRef Join(NodeRef a, NodeRef b) {
  if (!a) return b;
  if (!b) return a;
  Pair r = JoinRec(a, b);
  Q_ASSERT(r.first->height == std::max(a->height, b->height));
  Q_ASSERT_X(r.first->height == 0 || AsInner(r.first.get())->count >= 2 || r.second,
             "textstore::Join", "a root with one child");
  if (!r.second) return std::move(r.first);
  NodeRef both[2] = {std::move(r.first), std::move(r.second)};
  return MakeInner(both, 2);
}

Pair SplitAt(const NodeRef& node, int64_t pos) {
  if (!node || pos <= 0) return {NodeRef(), node};
  if (pos >= node->sum.chars) return {node, NodeRef()};
  if (node->height == 0) {
    const Leaf* leaf = AsLeaf(node.get());
    return {SliceLeaf(leaf, 0, int32_t(pos)), SliceLeaf(leaf, int32_t(pos), leaf->length)};
  }
  const Inner* inner = AsInner(node.get());
  int i = 0;
  int64_t start = 0;
  while (pos >= start + inner->chars[i]) {
    start += inner->chars[i++];
    Q_ASSERT(i < inner->count);
  }
  NodeRef kids[kFanout];
  for (int k = 0; k < inner->count; ++k) kids[k] = Share(inner->kids[k]);
  NodeRef left = MakeRoot(kids, i);
  // At a boundary between children nothing needs splitting or joining.
  if (pos == start) return {std::move(left), MakeRoot(kids + i, inner->count - i)};
  NodeRef right = MakeRoot(kids + i + 1, inner->count - i - 1);
  Pair parts = SplitAt(kids[i], pos - start);
  return {Join(std::move(left), std::move(parts.first)),
          Join(std::move(parts.second), std::move(right))};
}

NodeRef BuildTree(NodeRef* nodes, int64_t count) {
  if (count == 0) return NodeRef();
  // Each level in groups of about equal width, none below kMinFanout when
  // there are two or more.
  while (count > 1) {
    const int64_t groups = (count + kFanout - 1) / kFanout;
    const int64_t base = count / groups;
    const int64_t extra = count % groups;
    int64_t from = 0;
    for (int64_t g = 0; g < groups; ++g) {
      const int64_t width = base + (g < extra ? 1 : 0);
      Q_ASSERT(width <= kFanout && (groups == 1 || width >= kMinFanout));
      nodes[g] = MakeInner(nodes + from, int(width));
      for (int64_t k = std::max(from, g + 1); k < from + width; ++k) nodes[k] = NodeRef();
      from += width;
    }
    count = groups;
  }
  return std::move(nodes[0]);
}

}  // namespace textstore
