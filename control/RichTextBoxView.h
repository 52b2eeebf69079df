#pragma once
// How the program text control lays its text out: line height, the x position
// of an offset within its line, the offset under an x position, and painting
// the visible lines. Lines are laid out with QTextLayout; a line too long to
// lay out whole (a file without line breaks can make one line of many
// megabytes) is measured by summing per-character advances, with a running
// total kept every few thousand characters, and only the stretch around the
// visible range is laid out.

#include <QFont>
#include <QFontMetricsF>
#include <QRectF>
#include <QString>
#include <cstdint>
#include <unordered_map>
#include <vector>

#include "control/RichTextBox.h"

class QPainter;
class QTextLayout;

class RichTextBox::View : public TextWatcher {
 public:
  // Lines longer than this are measured by advances and laid out in part.
  static constexpr int32_t kLongLine = 256;
  // Characters between two running totals of a long line.
  static constexpr int32_t kBlock = 1024;
  // Long lines whose running totals are kept.
  static constexpr size_t kKeptTotals = 128;
  // Space left of the text, in pixels.
  static constexpr int kMargin = 2;
  static constexpr int kCaretWidth = 2;

  View(const RichTextBox& box, const QFont& font);

  void SetFont(const QFont& font);
  int LineHeight() const { return lineHeight_; }
  qreal AverageAdvance() const { return averageAdvance_; }

  // X of `offset` (clamped to the line's visible text) from the start of
  // `line`, in pixels.
  qreal XOf(int32_t line, int32_t offset);
  // The offset in `line` nearest to x (pixels from the line's start); never
  // after the line's visible text, so never between CR and LF.
  int32_t OffsetAt(int32_t line, qreal x);

  // Paints lines from `firstLine` on into a viewport of `size`, scrolled
  // `scrollX` pixels to the right. Returns the widest line end painted, in
  // document pixels.
  qreal Paint(QPainter& painter, QSize size, int32_t firstLine, int scrollX, bool showCaret);

  // Keeps the running totals of long lines valid across changes of the text.
  void TextChanged(int32_t pos, int32_t removed, int32_t inserted) override;
  void TextReplaced(const TextStore& before) override;

 private:
  qreal Advance(char16_t ch);
  // Running totals for the long line starting at `start`, covering at least
  // up to `offset` and until the total passes x (or the line ends).
  const std::vector<double>& ExtendTotals(int32_t start, int32_t end, int32_t offset, qreal x);
  qreal LongXOf(int32_t start, int32_t end, int32_t offset);
  int32_t LongOffsetAt(int32_t start, int32_t end, qreal x);
  // Lays out the stretch [from, to) of the text as one line.
  void Layout(QTextLayout& layout, int32_t from, int32_t to) const;
  // Forgets every running total.
  void ForgetTotals() { totals_.clear(); }

  const RichTextBox& box_;
  QFont font_;
  QFontMetricsF metrics_;
  int lineHeight_ = 16;
  qreal averageAdvance_ = 8;
  std::vector<float> advances_;  // per UTF-16 unit; negative until measured

  // Per long line, by its start: x of start + k * kBlock.
  std::unordered_map<int32_t, std::vector<double>> totals_;
};

// The text of [from, to) as it is laid out: a bare CR takes no room and shows
// nothing.
QString DisplayText(QStringView text);
