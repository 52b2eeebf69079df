#include "document/TextStore.h"

#include <algorithm>
#include <cstring>
#include <iterator>
#include <utility>
#include <vector>

#include "document/TextStoreNode.h"

using namespace textstore;

namespace {

int64_t Chars(const NodeRef& root) { return root ? root->sum.chars : 0; }

// The line feeds among the first `count` units of a leaf.
int64_t LineFeedsBefore(const Leaf* leaf, int32_t count) {
  if (leaf->wide) return std::count(leaf->units(), leaf->units() + count, u'\n');
  int64_t lfs = 0;
  const char* s = leaf->narrow();
  const char* end = s + count;
  while ((s = static_cast<const char*>(std::memchr(s, '\n', size_t(end - s))))) {
    ++lfs;
    ++s;
  }
  return lfs;
}

// The index in a leaf of its k-th line feed (k >= 1, and the leaf has k).
int32_t NthLineFeed(const Leaf* leaf, int64_t k) {
  Q_ASSERT(k >= 1 && k <= leaf->sum.lfs);
  if (leaf->wide) {
    const char16_t* s = leaf->units();
    for (int32_t i = 0;; ++i) {
      if (s[i] == u'\n' && --k == 0) return i;
    }
  }
  const char* s = leaf->narrow();
  for (const char* p = s;; ++p) {
    p = static_cast<const char*>(std::memchr(p, '\n', size_t(leaf->length - (p - s))));
    if (--k == 0) return int32_t(p - s);
  }
}

// Walks the leaves of a tree left to right, or right to left.
class LeafWalk {
 public:
  explicit LeafWalk(const Node* root, bool backward = false) : backward_(backward) {
    if (root) descend(root);
  }
  const Leaf* leaf() const { return leaf_; }
  // The node `height` levels above the current leaf (0: the leaf itself).
  const Node* node(int height) const {
    if (height == 0) return leaf_;
    return stack_[stack_.size() - size_t(height)].first;
  }
  // How many levels above the current leaf the walk also stands at the first
  // unit (backwards: the last) of the node there.
  int levelsStartingHere() const {
    int levels = 0;
    for (auto it = stack_.rbegin(); it != stack_.rend(); ++it, ++levels) {
      if (it->second != (backward_ ? it->first->count - 1 : 0)) break;
    }
    return levels;
  }
  // Passes over the node `height` levels above the current leaf, standing
  // at its first unit: on to the leaf after it.
  void skip(int height) {
    stack_.resize(stack_.size() - size_t(height));
    next();
  }
  void next() {
    leaf_ = nullptr;
    while (!stack_.empty()) {
      auto& [inner, index] = stack_.back();
      index += backward_ ? -1 : 1;
      if (index >= 0 && index < inner->count) {
        descend(inner->kids[index]);
        return;
      }
      stack_.pop_back();
    }
  }

 private:
  void descend(const Node* n) {
    while (n->height > 0) {
      const Inner* inner = AsInner(n);
      const int first = backward_ ? inner->count - 1 : 0;
      stack_.push_back({inner, first});
      n = inner->kids[first];
    }
    leaf_ = AsLeaf(n);
  }
  bool backward_;
  std::vector<std::pair<const Inner*, int>> stack_;
  const Leaf* leaf_ = nullptr;
};

inline char16_t Unit(char c) { return char16_t(uchar(c)); }
inline char16_t Unit(char16_t c) { return c; }

// How many of the n units from `a` and `b` on agree; backwards, the units
// before `a` and `b`.
template <typename A, typename B>
int32_t AgreeingUnits(const A* a, const B* b, int32_t n, bool backward) {
  if constexpr (std::is_same_v<A, B>) {
    // Equal stretches, the common case, at memcmp's speed.
    if (std::memcmp(backward ? a - n : a, backward ? b - n : b, size_t(n) * sizeof(A)) == 0) return n;
  }
  const auto same = [](A x, B y) { return Unit(x) == Unit(y); };
  if (!backward) return int32_t(std::mismatch(a, a + n, b, same).first - a);
  const std::reverse_iterator<const A*> ra(a);
  const std::reverse_iterator<const B*> rb(b);
  return int32_t(std::mismatch(ra, ra + n, rb, same).first - ra);
}

// The same for n units of two leaves, `ia` and `ib` units in from their start
// (or, backwards, from their end).
int32_t AgreeingUnits(const Leaf* la, int32_t ia, const Leaf* lb, int32_t ib, int32_t n,
                      bool backward) {
  const int32_t pa = backward ? la->length - ia : ia;
  const int32_t pb = backward ? lb->length - ib : ib;
  const auto agree = [&](const auto* a, const auto* b) {
    return AgreeingUnits(a + pa, b + pb, n, backward);
  };
  if (la->wide) return lb->wide ? agree(la->units(), lb->units()) : agree(la->units(), lb->narrow());
  return lb->wide ? agree(la->narrow(), lb->units()) : agree(la->narrow(), lb->narrow());
}

// The units two trees have in common at their start (or end), up to `limit`.
// A node that both hold at the same distance from the start (or end) is
// counted without being read, the largest one where both walks stand.
int64_t SharedUnits(const Node* a, const Node* b, bool backward, int64_t limit) {
  if (a == b) return limit;
  LeafWalk wa(a, backward);
  LeafWalk wb(b, backward);
  int64_t done = 0;
  int32_t ia = 0;
  int32_t ib = 0;
  while (done < limit && wa.leaf() && wb.leaf()) {
    if (ia == 0 && ib == 0) {
      int height = std::min(wa.levelsStartingHere(), wb.levelsStartingHere());
      for (; height >= 0; --height) {
        const Node* n = wa.node(height);
        if (n == wb.node(height) && n->sum.chars <= limit - done) break;
      }
      if (height >= 0) {
        done += wa.node(height)->sum.chars;
        wa.skip(height);
        wb.skip(height);
        continue;
      }
    }
    const Leaf* la = wa.leaf();
    const Leaf* lb = wb.leaf();
    const int32_t n = int32_t(std::min<int64_t>({la->length - ia, lb->length - ib, limit - done}));
    if (!(la == lb && ia == ib)) {
      const int32_t agreeing = AgreeingUnits(la, ia, lb, ib, n, backward);
      if (agreeing < n) return done + agreeing;
    }
    done += n;
    ia += n;
    ib += n;
    if (ia == la->length) {
      wa.next();
      ia = 0;
    }
    if (ib == lb->length) {
      wb.next();
      ib = 0;
    }
  }
  return done;
}

}  // namespace

TextStore::TextStore() = default;

TextStore::TextStore(QStringView text) {
  Builder builder;
  builder.append(text);
  *this = builder.finish();
}

TextStore::TextStore(QLatin1StringView text) {
  Builder builder;
  builder.append(text);
  *this = builder.finish();
}

int32_t TextStore::size() const { return int32_t(Chars(root_)); }

char16_t TextStore::at(int32_t offset) const {
  Q_ASSERT_X(offset >= 0 && offset < size(), "TextStore::at", "offset outside the text");
  if (offset < 0 || offset >= size()) return 0;  // also in an empty store, which has no tree
  const Node* n = root_.get();
  int64_t pos = offset;
  while (n->height > 0) {
    const Inner* inner = AsInner(n);
    int i = 0;
    while (i + 1 < inner->count && pos >= inner->chars[i]) pos -= inner->chars[i++];
    n = inner->kids[i];
  }
  const Leaf* leaf = AsLeaf(n);
  Q_ASSERT(pos < leaf->length);
  return leaf->wide ? leaf->units()[pos] : char16_t(uchar(leaf->narrow()[pos]));
}

namespace {

// [from, to) of `length` units at `pos`, both clamped to a text of `total`.
std::pair<int64_t, int64_t> ClampRange(int64_t total, int32_t pos, int32_t length) {
  const int64_t from = std::clamp<int64_t>(pos, 0, total);
  return {from, std::clamp<int64_t>(from + std::max<int64_t>(length, 0), from, total)};
}

}  // namespace

QString TextStore::mid(int32_t pos, int32_t length) const {
  const auto [from, to] = ClampRange(Chars(root_), pos, length);
  QString out(qsizetype(to - from), Qt::Uninitialized);
  char16_t* o = reinterpret_cast<char16_t*>(out.data());
  forEachPiece(int32_t(from), int32_t(to - from), [&o](auto piece) {
    if constexpr (std::is_same_v<decltype(piece), QStringView>) {
      std::memcpy(o, piece.utf16(), size_t(piece.size()) * 2);
    } else {
      const char* s = piece.data();
      for (qsizetype i = 0; i < piece.size(); ++i) o[i] = char16_t(uchar(s[i]));
    }
    o += piece.size();
  });
  return out;
}

QString TextStore::toString() const { return mid(0, size()); }

int32_t TextStore::lineCount() const { return int32_t((root_ ? root_->sum.lfs : 0) + 1); }

int32_t TextStore::lineFromChar(int32_t offset) const {
  if (!root_) return 0;
  int64_t pos = std::clamp<int64_t>(offset, 0, root_->sum.chars);
  int64_t lfs = 0;
  const Node* n = root_.get();
  while (n->height > 0) {
    const Inner* inner = AsInner(n);
    int i = 0;
    while (i + 1 < inner->count && pos >= inner->chars[i]) {
      pos -= inner->chars[i];
      lfs += inner->lfs[i++];
    }
    n = inner->kids[i];
  }
  return int32_t(lfs + LineFeedsBefore(AsLeaf(n), int32_t(pos)));
}

int32_t TextStore::lineStart(int32_t line) const {
  if (!root_ || line <= 0) return 0;
  int64_t k = std::min<int64_t>(line, root_->sum.lfs);
  if (k == 0) return 0;
  int64_t offset = 0;
  const Node* n = root_.get();
  while (n->height > 0) {
    const Inner* inner = AsInner(n);
    int i = 0;
    while (k > inner->lfs[i]) {
      k -= inner->lfs[i];
      offset += inner->chars[i++];
      Q_ASSERT(i < inner->count);
    }
    n = inner->kids[i];
  }
  return int32_t(offset + NthLineFeed(AsLeaf(n), k) + 1);
}

int32_t TextStore::maxLineLength() const { return root_ ? int32_t(LongestLine(root_->sum)) : 0; }

bool TextStore::replace(int32_t pos, int32_t removed, QStringView inserted) {
  const int64_t total = Chars(root_);
  const auto [from, to] = ClampRange(total, pos, removed);
  if (total - (to - from) + inserted.size() > kMaxSize) return false;
  if (from == to && inserted.isEmpty()) return true;
  Pair head = SplitAt(root_, from);
  Pair rest = SplitAt(head.second, to - from);
  NodeRef middle;
  if (!inserted.isEmpty()) {
    Builder builder;
    builder.append(inserted);
    middle = builder.finish().root_;
  }
  root_ = Join(Join(std::move(head.first), std::move(middle)), std::move(rest.second));
  Q_ASSERT(Chars(root_) == total - (to - from) + inserted.size());
  return true;
}

bool TextStore::append(const TextStore& other) {
  if (Chars(root_) + Chars(other.root_) > kMaxSize) return false;
  [[maybe_unused]] const int64_t total = Chars(root_) + Chars(other.root_);
  root_ = Join(root_, other.root_);
  Q_ASSERT(Chars(root_) == total);
  return true;
}

// Calls `fn` with the leaf pieces of [from, to), relative to `n`, in order.
void TextStore::visitPieces(const Node* n, int64_t from, int64_t to, PieceFn fn, void* context) {
  Q_ASSERT(0 <= from && from < to && to <= n->sum.chars);
  if (n->height == 0) {
    const Leaf* leaf = AsLeaf(n);
    const void* data = leaf->wide ? static_cast<const void*>(leaf->units() + from)
                                  : static_cast<const void*>(leaf->narrow() + from);
    fn(context, Piece{data, int32_t(to - from), leaf->wide});
    return;
  }
  const Inner* inner = AsInner(n);
  int64_t start = 0;
  for (int i = 0; i < inner->count && start < to; ++i) {
    const int64_t end = start + inner->chars[i];
    if (end > from) {
      visitPieces(inner->kids[i], std::max(from, start) - start, std::min(to, end) - start, fn,
                  context);
    }
    start = end;
  }
}

void TextStore::visitPieces(int32_t pos, int32_t length, PieceFn fn, void* context) const {
  const auto [from, to] = ClampRange(Chars(root_), pos, length);
  if (from < to) visitPieces(root_.get(), from, to, fn, context);
}

bool operator==(const TextStore& a, const TextStore& b) {
  return a.size() == b.size() && SharedUnits(a.root_.get(), b.root_.get(), false, a.size()) == a.size();
}

int32_t SharedPrefix(const TextStore& a, const TextStore& b) {
  return int32_t(SharedUnits(a.root_.get(), b.root_.get(), false, std::min(a.size(), b.size())));
}

int32_t SharedSuffix(const TextStore& a, const TextStore& b, int32_t limit) {
  limit = std::clamp(limit, 0, std::min(a.size(), b.size()));
  return int32_t(SharedUnits(a.root_.get(), b.root_.get(), true, limit));
}

namespace {

// Whether the units at offset - 1 and offset make one character.
bool JoinedAt(const TextStore& text, int32_t offset) {
  if (offset <= 0 || offset >= text.size()) return false;
  const char16_t before = text.at(offset - 1);
  const char16_t at = text.at(offset);
  return (before == u'\r' && at == u'\n') ||
         (QChar::isHighSurrogate(before) && QChar::isLowSurrogate(at));
}

}  // namespace

int32_t StepLeft(const TextStore& text, int32_t offset) {
  offset = std::clamp(offset, 0, text.size());
  if (offset == 0) return 0;
  --offset;
  return JoinedAt(text, offset) ? offset - 1 : offset;
}

int32_t StepRight(const TextStore& text, int32_t offset) {
  offset = std::clamp(offset, 0, text.size());
  if (offset == text.size()) return offset;
  ++offset;
  return JoinedAt(text, offset) ? offset + 1 : offset;
}

int32_t SnapToCharacter(const TextStore& text, int32_t offset) {
  offset = std::clamp(offset, 0, text.size());
  return JoinedAt(text, offset) ? offset - 1 : offset;
}
