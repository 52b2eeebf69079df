// Building a text chunk by chunk: units are gathered in a chunk buffer of
// their width; full chunks become leaves, and the leaves become a tree at the
// end, bottom-up.

#include <algorithm>
#include <cstring>
#include <vector>

#include "document/TextStore.h"
#include "document/TextStoreNode.h"

using namespace textstore;

struct TextStore::Builder::State {
  NodeRef done;                 // the text before `leaves`
  std::vector<NodeRef> leaves;  // finished chunks, not yet in a tree
  // The chunk being filled: one byte per unit, or UTF-16 once a unit above
  // 0xFF has come.
  char narrow[kMaxChunk];
  char16_t wide[kMaxChunk];
  int32_t length = 0;
  bool isWide = false;
  int32_t narrowTail = 0;  // units up to 0xFF at the end of a UTF-16 chunk
};

TextStore::Builder::Builder(int64_t limit) : state_(new State), limit_(limit) {}

TextStore::Builder::~Builder() = default;

qsizetype TextStore::Builder::admit(qsizetype count) {
  if (count > limit_ - size_) {
    count = std::max<qsizetype>(0, limit_ - size_);
    overflowed_ = true;
  }
  size_ += count;
  return count;
}

// A builder that has made this many chunks is building in bulk: its further
// chunks go into slabs. Small texts (an edit's few units) stay on the heap.
constexpr size_t kBulkAfterChunks = 16;

void TextStore::Builder::closeChunk() {
  State& st = *state_;
  if (st.length == 0) return;
  const bool bulk = st.leaves.size() >= kBulkAfterChunks;
  st.leaves.push_back(st.isWide ? MakeLeaf(st.wide, st.length, bulk)
                                : MakeLeaf(st.narrow, st.length, bulk));
  st.length = 0;
  st.isWide = false;
  st.narrowTail = 0;
}

void TextStore::Builder::appendNarrow(const char* s, qsizetype n) {
  State& st = *state_;
  while (n > 0) {
    // In a UTF-16 chunk, no more than it takes to see whether the one-byte
    // run is long enough for a chunk of its own.
    const int32_t k = int32_t(std::min<qsizetype>(
        n, st.isWide ? std::min(kMaxChunk - st.length, kNarrowRun - st.narrowTail)
                     : kMaxChunk - st.length));
    Q_ASSERT(k > 0);
    if (!st.isWide) {
      std::memcpy(st.narrow + st.length, s, size_t(k));
      st.length += k;
    } else {
      for (int32_t i = 0; i < k; ++i) st.wide[st.length + i] = char16_t(uchar(s[i]));
      st.length += k;
      st.narrowTail += k;
      if (st.narrowTail >= kNarrowRun) {
        // A long one-byte run ends the UTF-16 chunk and starts a one-byte one.
        const int32_t wideLength = st.length - st.narrowTail;
        if (wideLength > 0) {
          st.leaves.push_back(MakeLeaf(st.wide, wideLength, st.leaves.size() >= kBulkAfterChunks));
        }
        std::copy(st.wide + wideLength, st.wide + st.length, st.narrow);
        st.length = st.narrowTail;
        st.isWide = false;
        st.narrowTail = 0;
      }
    }
    if (st.length == kMaxChunk) closeChunk();
    s += k;
    n -= k;
  }
}

void TextStore::Builder::appendWide(const char16_t* s, qsizetype n) {
  State& st = *state_;
  while (n > 0) {
    if (!st.isWide) {
      // A short one-byte start goes into the UTF-16 chunk; a long one stays a
      // chunk of its own.
      if (st.length >= kNarrowRun) closeChunk();
      for (int32_t i = 0; i < st.length; ++i) st.wide[i] = char16_t(uchar(st.narrow[i]));
      st.isWide = true;
    }
    const int32_t k = int32_t(std::min<qsizetype>(n, kMaxChunk - st.length));
    std::memcpy(st.wide + st.length, s, size_t(k) * 2);
    st.length += k;
    st.narrowTail = 0;
    if (st.length == kMaxChunk) closeChunk();
    s += k;
    n -= k;
  }
}

void TextStore::Builder::append(QLatin1StringView text) {
  appendNarrow(text.data(), admit(text.size()));
}

void TextStore::Builder::append(QStringView text) {
  const char16_t* s = text.utf16();
  const qsizetype n = admit(text.size());
  char narrowed[1024];
  qsizetype i = 0;
  while (i < n) {
    qsizetype j = i;
    if (s[i] > 0xFF) {
      while (j < n && s[j] > 0xFF) ++j;
      appendWide(s + i, j - i);
    } else {
      while (j < n && s[j] <= 0xFF && j - i < qsizetype(sizeof narrowed)) {
        narrowed[j - i] = char(s[j]);
        ++j;
      }
      appendNarrow(narrowed, j - i);
    }
    i = j;
  }
}

void TextStore::Builder::append(const TextStore& text) {
  if (admit(text.size()) < text.size()) return;  // past the limit: dropped whole
  State& st = *state_;
  closeChunk();
  st.done = Join(std::move(st.done), BuildTree(st.leaves.data(), int64_t(st.leaves.size())));
  st.leaves.clear();
  st.done = Join(std::move(st.done), text.root_);
}

TextStore TextStore::Builder::finish() {
  State& st = *state_;
  closeChunk();
  NodeRef root = Join(std::move(st.done), BuildTree(st.leaves.data(), int64_t(st.leaves.size())));
  st.leaves.clear();
  st.done = NodeRef();
  const bool overflowed = overflowed_;
  size_ = 0;
  overflowed_ = false;
  return overflowed ? TextStore() : TextStore(std::move(root));
}
