#pragma once
// The document behind the program text control: one QString with CR LF line
// breaks, an index of line starts, the colours as runs, and the selection.
// It knows nothing of painting or events, so it is tested without a display.
//
// Offsets are 0-based and count CR LF as two characters. Only the line feed
// breaks a line; a bare CR is an ordinary character.

#include <QRgb>
#include <QString>
#include <cstdint>
#include <optional>
#include <vector>

struct ColorRun {
  int32_t start;  // first character of the run; the run lasts until the next one
  QRgb color;
};

class RichTextModel {
 public:
  static constexpr QRgb kDefaultColor = 0xff000000;  // black

  // --- text ---
  const QString& text() const { return text_; }  // shared, O(1) to copy
  int32_t length() const { return static_cast<int32_t>(text_.size()); }
  // Replaces everything: all text black, caret at 0, nothing selected.
  void setText(const QString& text);

  // --- lines (0-based) ---
  int32_t lineCount() const { return static_cast<int32_t>(lineStarts_.size()); }
  // The line that holds `offset`: the number of line feeds before it.
  int32_t lineFromChar(int32_t offset) const;
  int32_t lineStart(int32_t line) const;
  // Where the line's visible text ends: before its CR LF (or bare LF), or the
  // end of the text on the last line.
  int32_t lineTextEnd(int32_t line) const;
  // The longest line seen, in characters; an upper bound after edits.
  int32_t maxLineLength() const { return maxLineLength_; }

  // --- selection ---
  int32_t anchor() const { return anchor_; }
  int32_t caret() const { return caret_; }
  int32_t selStart() const { return anchor_ < caret_ ? anchor_ : caret_; }
  int32_t selLength() const { return anchor_ < caret_ ? caret_ - anchor_ : anchor_ - caret_; }
  // Empty selection at the clamped offset.
  void setSelStart(int32_t offset);
  // Selects from selStart; clamped to the text.
  void setSelLength(int32_t length);
  // For the control's own caret moves: anchor stays, caret moves.
  void setSelection(int32_t anchor, int32_t caret);
  QString selText() const;
  // Replaces the selection (or inserts at the caret) and leaves the caret
  // behind the written text with nothing selected.
  void setSelText(const QString& text);

  // --- colours ---
  // The colour of the selection's first character; with an empty selection,
  // the colour that text typed at the caret would take.
  QRgb selColor() const;
  // Colours the selection; with an empty selection, sets the colour of the
  // text inserted next at the caret (until the caret moves).
  void setSelColor(QRgb color);
  QRgb colorAt(int32_t offset) const;
  const std::vector<ColorRun>& runs() const { return runs_; }

 private:
  int32_t clamp(int32_t offset) const;
  QRgb insertionColor() const;
  void replace(int32_t pos, int32_t removed, const QString& inserted, QRgb color);
  void updateLines(int32_t pos, int32_t removed, const QString& inserted);
  void eraseColors(int32_t pos, int32_t removed);
  void insertColors(int32_t pos, int32_t count, QRgb color);
  void paint(int32_t from, int32_t count, QRgb color);
  void mergeRuns();
  void moveSelection(int32_t anchor, int32_t caret);

  QString text_;
  std::vector<int32_t> lineStarts_{0};
  std::vector<ColorRun> runs_;
  int32_t anchor_ = 0;
  int32_t caret_ = 0;
  std::optional<QRgb> typingColor_;
  int32_t maxLineLength_ = 0;
};
