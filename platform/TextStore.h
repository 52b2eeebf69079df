#pragma once
// The text of a document, as a value. Copying is cheap and copies share what
// they have in common, so that the editor's undo and redo records can hold the
// whole text. Offsets are 0-based UTF-16 units; only the line feed (10) breaks
// a line, and a bare CR is an ordinary character.
//
// Readers go through the accessors below and never through a whole-text
// string: that is what lets the text be stored in pieces.

#include <QString>
#include <QStringView>
#include <cstdint>
#include <memory>
#include <vector>

class TextStore {
 public:
  TextStore();
  explicit TextStore(QStringView text);
  explicit TextStore(const QString& text);

  int32_t size() const { return static_cast<int32_t>(text_.size()); }
  bool isEmpty() const { return text_.isEmpty(); }
  // The unit at `offset`, 0 <= offset < size().
  char16_t at(int32_t offset) const { return text_.at(offset).unicode(); }
  // The stretch [pos, pos + length), clamped to the text.
  QString mid(int32_t pos, int32_t length) const;
  // The whole text, for the callers that need one string.
  QString toString() const { return text_; }

  // --- lines (0-based) ---
  int32_t lineCount() const { return static_cast<int32_t>(lines_->starts.size()); }
  // The number of line feeds before `offset` (clamped to the text).
  int32_t lineFromChar(int32_t offset) const;
  // Where `line` (clamped to the lines) starts: just after its line feed.
  int32_t lineStart(int32_t line) const;
  // The longest line in characters, its line break included; an upper bound
  // once lines have been shortened.
  int32_t maxLineLength() const { return lines_->longest; }

  // Replaces `removed` units at `pos` by `inserted`; `inserted` may be a view
  // of this store's own text.
  void replace(int32_t pos, int32_t removed, QStringView inserted);

  // Calls f with consecutive pieces of [pos, pos + length) (clamped), each a
  // QStringView or a QLatin1StringView: take them with a generic lambda.
  template <typename F>
  void forEachPiece(int32_t pos, int32_t length, F&& f) const {
    const QString piece = mid(pos, length);
    if (!piece.isEmpty()) f(QStringView(piece));
  }

  // Calls f(char16_t) for every unit of [pos, pos + length) (clamped).
  template <typename F>
  void forEachUnit(int32_t pos, int32_t length, F&& f) const {
    forEachPiece(pos, length, [&f](auto piece) {
      for (const auto ch : piece) f(static_cast<char16_t>(ch.unicode()));
    });
  }

  friend bool operator==(const TextStore& a, const TextStore& b) { return a.text_ == b.text_; }
  friend bool operator!=(const TextStore& a, const TextStore& b) { return !(a == b); }

 private:
  struct Lines {
    std::vector<int32_t> starts{0};
    int32_t longest = 0;
  };
  void IndexLines();
  Lines& MutableLines();

  QString text_;
  std::shared_ptr<Lines> lines_;
};

// Caret steps: one character before or after `offset`, taking a CR LF line
// break and a surrogate pair as one character each. Clamped to the text.
int32_t StepLeft(const TextStore& text, int32_t offset);
int32_t StepRight(const TextStore& text, int32_t offset);
// `offset` (clamped), moved back out of the middle of such a pair.
int32_t SnapToCharacter(const TextStore& text, int32_t offset);
