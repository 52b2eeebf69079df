#pragma once
// The text of a document, a value type. It is a persistent tree of immutable
// chunks: copying is O(1) and copies share everything unchanged, an edit
// anywhere costs O(log n) plus one chunk, and the nodes carry character and
// line-feed counts so that line lookups are O(log n) as well. Chunks whose
// characters all fit in one byte (Latin-1, which covers ASCII programs) are
// stored at one byte per character, the others as UTF-16.
//
// Offsets are 0-based UTF-16 units; only LF (10) breaks a line. Lone
// surrogates are ordinary units. A text holds at most kMaxSize units.
//
// Nodes are immutable and counted atomically: copies may be handed to, read
// on and released on any thread (one object is not written by two at once).
//
// The store links Qt Core only: it knows nothing of widgets or of the program.

#include <QLatin1StringView>
#include <QString>
#include <QStringView>
#include <cstdint>
#include <limits>
#include <memory>
#include <type_traits>
#include <utility>

namespace textstore {

struct Node;
void Retain(Node* node);
void Release(Node* node);

// An owning, shared reference to an immutable node.
class NodeRef {
 public:
  NodeRef() = default;
  explicit NodeRef(Node* adopted) : node_(adopted) {}  // takes over one reference
  NodeRef(const NodeRef& other) : node_(other.node_) {
    if (node_) Retain(node_);
  }
  NodeRef(NodeRef&& other) noexcept : node_(std::exchange(other.node_, nullptr)) {}
  NodeRef& operator=(NodeRef other) noexcept {
    std::swap(node_, other.node_);
    return *this;
  }
  ~NodeRef() {
    if (node_) Release(node_);
  }
  Node* get() const { return node_; }
  Node* operator->() const { return node_; }
  explicit operator bool() const { return node_ != nullptr; }

 private:
  Node* node_ = nullptr;
};

}  // namespace textstore

class TextStore {
 public:
  static constexpr int32_t kMaxSize = std::numeric_limits<int32_t>::max();

  TextStore();  // empty
  explicit TextStore(QStringView text);  // a text longer than kMaxSize gives an empty store
  explicit TextStore(QLatin1StringView text);

  int32_t size() const;
  bool isEmpty() const { return size() == 0; }
  // The unit at `offset`; requires 0 <= offset < size() (asserted), and gives 0
  // outside the text.
  char16_t at(int32_t offset) const;
  QString mid(int32_t pos, int32_t length) const;  // clamped to the text
  QString toString() const;  // the whole text (for callers that need one)

  int32_t lineCount() const;  // line feeds + 1
  int32_t lineFromChar(int32_t offset) const;  // line feeds before offset (offset clamped)
  int32_t lineStart(int32_t line) const;  // offset after the line-th LF (line clamped)
  // The end of the line with its LF: the next line's start, or the text's end.
  int32_t lineEnd(int32_t line) const { return line + 1 < lineCount() ? lineStart(line + 1) : size(); }
  int32_t maxLineLength() const;  // longest line incl. its break; exact

  // Replaces `removed` units at `pos` (both clamped to the text) by `inserted`.
  // Returns false, leaving the text unchanged, when the result would be longer
  // than kMaxSize.
  bool replace(int32_t pos, int32_t removed, QStringView inserted);
  // Appends `other` (sharing its chunks); false and unchanged when the result
  // would be longer than kMaxSize.
  bool append(const TextStore& other);

  // Calls f with consecutive pieces covering [pos, pos+length) (clamped): each
  // either a QLatin1StringView (a one-byte chunk) or a QStringView; use a
  // generic lambda.
  template <typename F>
  void forEachPiece(int32_t pos, int32_t length, F&& f) const;
  // Calls f(char16_t) for every unit of [pos, pos + length) (clamped).
  template <typename F>
  void forEachUnit(int32_t pos, int32_t length, F&& f) const {
    forEachPiece(pos, length, [&f](auto piece) {
      for (const auto ch : piece) f(Unit(ch));
    });
  }

  friend bool operator==(const TextStore& a, const TextStore& b);
  // How many units `a` and `b` have in common at their start, and at their
  // end (at most `limit`). Chunks the two share are passed over unread, so a
  // text and an edited copy of it compare in time linear in their chunks.
  friend int32_t SharedPrefix(const TextStore& a, const TextStore& b);
  friend int32_t SharedSuffix(const TextStore& a, const TextStore& b, int32_t limit);
  friend bool operator!=(const TextStore& a, const TextStore& b) { return !(a == b); }

  // The shape of the tree, for tests and measurements.
  struct Stats {
    int height = 0;         // 0: empty or one chunk
    int64_t chunks = 0;
    int64_t wideChunks = 0;
    int64_t bytes = 0;      // memory held by the nodes (shared ones counted each time)
  };
  Stats stats() const;
  // The first invariant of the tree that does not hold, in words, or null
  // when all do: leaves at one depth, each inner node with kMinFanout to
  // kFanout children (the root at least two), chunks of 1 to kMaxChunk units
  // and UTF-16 only when a unit needs it, every count and line statistic as
  // the text below gives it. O(n): tests call it after every edit, the program
  // never.
  const char* brokenInvariant() const;
  bool isWellFormed() const { return brokenInvariant() == nullptr; }

  // Builds a text from many pieces at once, chunk by chunk, and loads the tree
  // bottom-up. Units past `limit` are dropped and mark the builder overflowed.
  class Builder;

 private:
  static char16_t Unit(char ch) { return static_cast<uchar>(ch); }
  static char16_t Unit(QChar ch) { return ch.unicode(); }
  friend class Builder;
  explicit TextStore(textstore::NodeRef root) : root_(std::move(root)) {}

  struct Piece {
    const void* data;
    int32_t length;
    bool wide;
  };
  using PieceFn = void (*)(void* context, const Piece& piece);
  void visitPieces(int32_t pos, int32_t length, PieceFn fn, void* context) const;
  static void visitPieces(const textstore::Node* n, int64_t from, int64_t to, PieceFn fn,
                          void* context);

  textstore::NodeRef root_;
};

class TextStore::Builder {
 public:
  explicit Builder(int64_t limit = kMaxSize);
  ~Builder();
  Builder(const Builder&) = delete;
  Builder& operator=(const Builder&) = delete;

  void append(QStringView text);
  void append(QLatin1StringView text);
  void append(const TextStore& text);

  bool overflowed() const { return overflowed_; }
  // The text built so far (empty when overflowed); the builder starts over.
  TextStore finish();

 private:
  qsizetype admit(qsizetype count);
  void appendNarrow(const char* s, qsizetype n);
  void appendWide(const char16_t* s, qsizetype n);
  void closeChunk();

  struct State;
  std::unique_ptr<State> state_;
  int64_t limit_;
  int64_t size_ = 0;
  bool overflowed_ = false;
};

template <typename F>
void TextStore::forEachPiece(int32_t pos, int32_t length, F&& f) const {
  using Fn = std::remove_reference_t<F>;
  visitPieces(
      pos, length,
      [](void* context, const Piece& piece) {
        Fn& fn = *static_cast<Fn*>(context);
        if (piece.wide) {
          fn(QStringView(static_cast<const char16_t*>(piece.data), piece.length));
        } else {
          fn(QLatin1StringView(static_cast<const char*>(piece.data), piece.length));
        }
      },
      const_cast<void*>(static_cast<const void*>(std::addressof(f))));
}

// Caret steps: one character before or after `offset`, taking a CR LF line
// break and a surrogate pair as one character each. Clamped to the text.
int32_t StepLeft(const TextStore& text, int32_t offset);
int32_t StepRight(const TextStore& text, int32_t offset);
// `offset` (clamped), moved back out of the middle of such a pair.
int32_t SnapToCharacter(const TextStore& text, int32_t offset);
