#pragma once
// The document behind the program text control: the text (a TextStore, with
// its line index), the colours as runs, and the selection. It knows nothing of
// painting or events, so it is tested without a display. Whoever shows the
// text or tells others about it watches it through a TextWatcher.
//
// Offsets are 0-based and count CR LF as two characters. Only the line feed
// breaks a line; a bare CR is an ordinary character.

#include <QRgb>
#include <QString>
#include <QStringView>
#include <cstdint>
#include <optional>
#include <vector>

#include "document/TextStore.h"
#include "text/ProgramText.h"

struct ColorRun {
  int32_t start;  // first character of the run; the run lasts until the next one
  QRgb color;
};

// A stretch of one colour: [start, end).
struct ColorSpan {
  int32_t start;
  int32_t end;
  QRgb color;
};

// Told of every change of a model's text, in the order the changes happen.
class TextWatcher {
 public:
  virtual ~TextWatcher() = default;
  // `removed` characters at `pos` are about to give way to `inserted`.
  virtual void TextChanging(int32_t /*pos*/, int32_t /*removed*/, QStringView /*inserted*/) {}
  // ... and now have.
  virtual void TextChanged(int32_t /*pos*/, int32_t /*removed*/, int32_t /*inserted*/) {}
  // The whole text was replaced; `before` is what it replaced.
  virtual void TextReplaced(const TextStore& /*before*/) {}
};

class RichTextModel {
 public:
  static constexpr QRgb kDefaultColor = 0xff000000;  // black

  // --- text ---
  const TextStore& store() const { return text_; }
  int32_t length() const { return text_.size(); }
  // The character at `offset`, or QChar() outside the text.
  QChar charAt(int32_t offset) const;
  // The text of [pos, pos + length), clamped to the text.
  QString range(int32_t pos, int32_t length) const { return text_.mid(pos, length); }
  // Replaces everything: all text black, caret at 0, nothing selected.
  void setText(const TextStore& text);

  // --- lines (0-based) ---
  int32_t lineCount() const { return text_.lineCount(); }
  // The line that holds `offset`: the number of line feeds before it.
  int32_t lineFromChar(int32_t offset) const { return text_.lineFromChar(offset); }
  int32_t lineStart(int32_t line) const { return text_.lineStart(line); }
  int32_t lineEnd(int32_t line) const { return text_.lineEnd(line); }
  // Where the line's visible text ends: before its CR LF (or bare LF), or the
  // end of the text on the last line.
  int32_t lineTextEnd(int32_t line) const;
  // The longest line, in characters (exact: kept by the store).
  int32_t maxLineLength() const { return text_.maxLineLength(); }
  // The program line `number` (counted from 1) as the line lookup reports it,
  // found through the line index.
  LineInfo line(int32_t number) const;

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
  QString selText() const { return range(selStart(), selLength()); }
  // Replaces the selection (or inserts at the caret) and leaves the caret
  // behind the written text with nothing selected.
  void setSelText(QStringView text);
  // The same, with the written text in `color`: one change, told to the
  // watchers once (an edited line replaced by its canonical form).
  void replaceSelection(QStringView text, QRgb color);

  // --- colours ---
  // The colour of the selection's first character; with an empty selection,
  // the colour that text typed at the caret would take.
  QRgb selColor() const;
  // Colours the selection; with an empty selection, sets the colour of the
  // text inserted next at the caret (until the caret moves).
  void setSelColor(QRgb color);
  QRgb colorAt(int32_t offset) const { return colorSpanAt(offset).color; }
  // The run of one colour that holds `offset` (black, empty, outside the text).
  ColorSpan colorSpanAt(int32_t offset) const;
  // The runs of one colour that cover [from, to), clipped to it.
  std::vector<ColorSpan> colorSpans(int32_t from, int32_t to) const;
  const std::vector<ColorRun>& runs() const { return runs_; }

  // --- watchers ---
  void addWatcher(TextWatcher* watcher);
  void removeWatcher(TextWatcher* watcher);

 private:
  int32_t clamp(int32_t offset) const;
  QRgb insertionColor() const;
  void replace(int32_t pos, int32_t removed, QStringView inserted, QRgb color);
  void eraseColors(int32_t pos, int32_t removed);
  void insertColors(int32_t pos, int32_t count, QRgb color);
  void paint(int32_t from, int32_t count, QRgb color);
  void mergeRuns();
  void moveSelection(int32_t anchor, int32_t caret);
  // Index of the run that holds `offset` (runs_ not empty, offset inside).
  size_t runIndexAt(int32_t offset) const;

  TextStore text_;
  std::vector<ColorRun> runs_;
  int32_t anchor_ = 0;
  int32_t caret_ = 0;
  std::optional<QRgb> typingColor_;
  std::vector<TextWatcher*> watchers_;
};
