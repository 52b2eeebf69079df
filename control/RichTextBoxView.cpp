#include "control/RichTextBoxView.h"

#include <QPainter>
#include <QPalette>
#include <QTextLayout>
#include <algorithm>
#include <cmath>

namespace {

constexpr char16_t kZeroWidthSpace = 0x200B;

// Characters that take no room on screen: a bare CR, and the Unicode line and
// paragraph separators, which QTextLayout would otherwise break the line at.
bool IsInvisible(char16_t ch) { return ch == u'\r' || ch == 0x2028 || ch == 0x2029; }

// Whether `i` is the second half of a surrogate pair.
bool InsidePair(const RichTextModel& model, int32_t i) {
  return model.charAt(i).isLowSurrogate() && model.charAt(i - 1).isHighSurrogate();
}

}  // namespace

QString DisplayText(QStringView text) {
  QString out = text.toString();
  for (QChar& ch : out) {
    if (IsInvisible(ch.unicode())) ch = QChar(kZeroWidthSpace);
  }
  return out;
}

RichTextBox::View::View(const RichTextBox& box, const QFont& font)
    : box_(box), font_(font), metrics_(font) {
  SetFont(font);
}

void RichTextBox::View::SetFont(const QFont& font) {
  font_ = font;
  metrics_ = QFontMetricsF(font_);
  lineHeight_ = std::max(1, static_cast<int>(std::ceil(metrics_.lineSpacing())));
  averageAdvance_ = std::max<qreal>(1, metrics_.horizontalAdvance(QLatin1Char('0')));
  advances_.assign(0x10000, -1.0f);
  ForgetTotals();
}

qreal RichTextBox::View::Advance(char16_t ch) {
  float& cached = advances_[ch];
  if (cached < 0) {
    if (IsInvisible(ch) || QChar::isLowSurrogate(ch)) {
      cached = 0;
    } else if (QChar::isHighSurrogate(ch)) {
      // The pair is measured as a full-width character.
      cached = static_cast<float>(metrics_.horizontalAdvance(QChar(0x3042)));
    } else if (ch == u'\t') {
      cached = static_cast<float>(averageAdvance_ * 8);
    } else {
      cached = static_cast<float>(metrics_.horizontalAdvance(QChar(ch)));
    }
  }
  return cached;
}

void RichTextBox::View::TextChanged(int32_t pos, int32_t, int32_t) {
  for (auto it = totals_.begin(); it != totals_.end();) {
    if (it->first > pos) {
      // The line may start elsewhere now.
      it = totals_.erase(it);
      continue;
    }
    // Totals up to the edit still hold: the line starts where it did.
    const size_t keep = static_cast<size_t>((pos - it->first) / kBlock) + 1;
    if (it->second.size() > keep) it->second.resize(keep);
    ++it;
  }
}

void RichTextBox::View::TextReplaced(const TextStore&) { ForgetTotals(); }

const std::vector<double>& RichTextBox::View::ExtendTotals(int32_t start, int32_t end,
                                                           int32_t offset, qreal x) {
  if (totals_.size() >= kKeptTotals && !totals_.count(start)) totals_.clear();
  std::vector<double>& totals = totals_[start];
  if (totals.empty()) totals.push_back(0.0);
  const TextStore& text = box_.model_.store();
  for (;;) {
    const int32_t covered = start + static_cast<int32_t>(totals.size() - 1) * kBlock;
    if (covered + kBlock > end) break;  // the last partial block is summed on demand
    if (covered >= offset && totals.back() > x) break;
    double sum = totals.back();
    text.forEachUnit(covered, kBlock, [&](char16_t ch) { sum += Advance(ch); });
    totals.push_back(sum);
  }
  return totals;
}

qreal RichTextBox::View::LongXOf(int32_t start, int32_t end, int32_t offset) {
  const std::vector<double>& totals = ExtendTotals(start, end, offset, -1);
  const int32_t block = std::min<int32_t>((offset - start) / kBlock,
                                          static_cast<int32_t>(totals.size()) - 1);
  double x = totals[block];
  const int32_t from = start + block * kBlock;
  box_.model_.store().forEachUnit(from, offset - from, [&](char16_t ch) { x += Advance(ch); });
  return x;
}

int32_t RichTextBox::View::LongOffsetAt(int32_t start, int32_t end, qreal x) {
  if (x <= 0) return start;
  const std::vector<double>& totals = ExtendTotals(start, end, start, x);
  // The last total at or before x.
  const auto it = std::upper_bound(totals.begin(), totals.end(), static_cast<double>(x));
  const int32_t block = static_cast<int32_t>(it - totals.begin()) - 1;
  double left = totals[block];
  const int32_t from = start + block * kBlock;
  // The next running total lies beyond x, so the answer is within one block
  // (or in the partial block at the line's end).
  const QString stretch = box_.model_.range(from, std::min(end - from, kBlock + 2));
  const int32_t n = static_cast<int32_t>(stretch.size());
  int32_t i = 0;
  for (; i < n; ++i) {
    const char16_t ch = stretch[i].unicode();
    const bool pair = QChar::isHighSurrogate(ch) && i + 1 < n;
    const double advance = Advance(ch) + (pair ? Advance(stretch[i + 1].unicode()) : 0);
    if (x < left + advance / 2) break;
    left += advance;
    if (pair) ++i;
  }
  return std::min(from + i, end);
}

void RichTextBox::View::Layout(QTextLayout& layout, int32_t from, int32_t to) const {
  layout.setText(DisplayText(box_.model_.range(from, to - from)));
  layout.setFont(font_);
  QTextOption option;
  option.setWrapMode(QTextOption::NoWrap);
  option.setTabStopDistance(averageAdvance_ * 8);
  layout.setTextOption(option);
  layout.beginLayout();
  QTextLine line = layout.createLine();
  if (line.isValid()) line.setLineWidth(1e6);
  layout.endLayout();
}

qreal RichTextBox::View::XOf(int32_t line, int32_t offset) {
  const RichTextModel& model = box_.model_;
  const int32_t start = model.lineStart(line);
  const int32_t end = model.lineTextEnd(line);
  offset = std::clamp(offset, start, end);
  if (offset == start) return 0;
  if (end - start > kLongLine) return LongXOf(start, end, offset);
  QTextLayout layout;
  Layout(layout, start, end);
  return layout.lineAt(0).cursorToX(offset - start);
}

int32_t RichTextBox::View::OffsetAt(int32_t line, qreal x) {
  const RichTextModel& model = box_.model_;
  const int32_t start = model.lineStart(line);
  const int32_t end = model.lineTextEnd(line);
  if (start == end) return start;
  if (end - start > kLongLine) return LongOffsetAt(start, end, x);
  QTextLayout layout;
  Layout(layout, start, end);
  const int pos = layout.lineAt(0).xToCursor(x, QTextLine::CursorBetweenCharacters);
  return std::clamp(start + pos, start, end);
}

qreal RichTextBox::View::Paint(QPainter& painter, QSize size, int32_t firstLine, int scrollX,
                               bool showCaret) {
  const RichTextModel& model = box_.model_;
  const QPalette& palette = box_.palette();
  const int32_t selFrom = model.selStart();
  const int32_t selTo = selFrom + model.selLength();
  const int32_t caret = model.caret();
  const int32_t caretLine = model.lineFromChar(caret);

  QTextCharFormat selected;
  selected.setBackground(palette.highlight());
  selected.setForeground(palette.highlightedText());

  qreal widest = 0;
  int y = 0;
  for (int32_t line = std::max(0, firstLine); line < model.lineCount() && y < size.height();
       ++line, y += lineHeight_) {
    const int32_t start = model.lineStart(line);
    const int32_t end = model.lineTextEnd(line);
    int32_t from = start;
    int32_t to = end;
    qreal x0 = 0;
    if (end - start > kLongLine) {
      // Lay out only the stretch that shows, a few characters wider each side.
      from = std::max(start, LongOffsetAt(start, end, scrollX - kMargin) - 8);
      to = std::min(end, LongOffsetAt(start, end, scrollX + size.width()) + 8);
      if (InsidePair(model, from)) --from;
      if (InsidePair(model, to)) ++to;
      x0 = LongXOf(start, end, from);
    }

    QList<QTextLayout::FormatRange> colours;
    for (const ColorSpan& span : model.colorSpans(from, to)) {
      QTextCharFormat format;
      format.setForeground(QColor::fromRgba(span.color));
      colours.append({span.start - from, span.end - span.start, format});
    }

    QTextLayout layout;
    layout.setFormats(colours);
    Layout(layout, from, to);
    const QTextLine textLine = layout.lineAt(0);

    QList<QTextLayout::FormatRange> selections;
    if (selFrom < to && selTo > from) {
      const int32_t a = std::max(selFrom, from);
      const int32_t b = std::min(selTo, to);
      selections.append({a - from, b - a, selected});
    }
    const QPointF origin(kMargin + x0 - scrollX, y);
    layout.draw(&painter, origin, selections, QRectF(0, y, size.width(), lineHeight_));

    const qreal width = textLine.isValid() ? textLine.naturalTextWidth() : 0;
    if (to == end) widest = std::max(widest, x0 + width);
    // A selected line break shows as a highlighted cell after the line.
    if (to == end && line + 1 < model.lineCount() && selFrom <= end && selTo > end) {
      painter.fillRect(QRectF(origin.x() + width, y, averageAdvance_, lineHeight_),
                       palette.highlight());
    }
    if (showCaret && line == caretLine && caret >= from && caret <= to) {
      const qreal x = origin.x() + (textLine.isValid() ? textLine.cursorToX(caret - from) : 0);
      painter.fillRect(QRectF(x, y, kCaretWidth, lineHeight_), palette.text());
    }
  }
  return widest;
}
