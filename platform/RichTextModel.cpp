#include "platform/RichTextModel.h"

#include <QStringView>
#include <algorithm>

namespace {

// Appends to `starts` the offset after every line feed of `text`, each moved by
// `base`, and returns the longest line length seen between them.
int32_t IndexLineFeeds(QStringView text, int32_t base, std::vector<int32_t>& starts,
                       int32_t previousStart) {
  int32_t longest = 0;
  qsizetype from = 0;
  for (;;) {
    const qsizetype lf = text.indexOf(u'\n', from);
    if (lf < 0) break;
    const int32_t start = base + static_cast<int32_t>(lf) + 1;
    longest = std::max(longest, start - previousStart);
    starts.push_back(start);
    previousStart = start;
    from = lf + 1;
  }
  return std::max(longest, base + static_cast<int32_t>(text.size()) - previousStart);
}

}  // namespace

void RichTextModel::setText(const QString& text) {
  text_ = text;
  lineStarts_.clear();
  lineStarts_.push_back(0);
  maxLineLength_ = IndexLineFeeds(text_, 0, lineStarts_, 0);
  runs_.clear();
  if (!text_.isEmpty()) runs_.push_back({0, kDefaultColor});
  anchor_ = caret_ = 0;
  typingColor_.reset();
}

int32_t RichTextModel::clamp(int32_t offset) const {
  return std::clamp<int32_t>(offset, 0, length());
}

int32_t RichTextModel::lineFromChar(int32_t offset) const {
  offset = clamp(offset);
  const auto it = std::upper_bound(lineStarts_.begin(), lineStarts_.end(), offset);
  return static_cast<int32_t>(it - lineStarts_.begin()) - 1;
}

int32_t RichTextModel::lineStart(int32_t line) const {
  line = std::clamp<int32_t>(line, 0, lineCount() - 1);
  return lineStarts_[line];
}

int32_t RichTextModel::lineTextEnd(int32_t line) const {
  line = std::clamp<int32_t>(line, 0, lineCount() - 1);
  if (line + 1 >= lineCount()) return length();
  int32_t end = lineStarts_[line + 1] - 1;  // the line feed
  if (end > lineStarts_[line] && text_.at(end - 1) == u'\r') --end;
  return end;
}

void RichTextModel::moveSelection(int32_t anchor, int32_t caret) {
  anchor = clamp(anchor);
  caret = clamp(caret);
  if (anchor == anchor_ && caret == caret_) return;
  anchor_ = anchor;
  caret_ = caret;
  typingColor_.reset();
}

void RichTextModel::setSelStart(int32_t offset) { moveSelection(offset, offset); }

void RichTextModel::setSelLength(int32_t length) {
  const int32_t start = selStart();
  moveSelection(start, start + std::max<int32_t>(0, length));
}

void RichTextModel::setSelection(int32_t anchor, int32_t caret) { moveSelection(anchor, caret); }

QString RichTextModel::selText() const { return text_.mid(selStart(), selLength()); }

QRgb RichTextModel::colorAt(int32_t offset) const {
  if (runs_.empty() || offset < 0 || offset >= length()) return kDefaultColor;
  const auto it = std::upper_bound(runs_.begin(), runs_.end(), offset,
                                   [](int32_t o, const ColorRun& r) { return o < r.start; });
  return (it == runs_.begin()) ? kDefaultColor : std::prev(it)->color;
}

// Text typed at the caret takes the typing colour if one was set here, else the
// colour of the character before it (or after it, at the start of the text).
QRgb RichTextModel::insertionColor() const {
  if (typingColor_) return *typingColor_;
  if (caret_ > 0) return colorAt(caret_ - 1);
  return colorAt(0);
}

QRgb RichTextModel::selColor() const {
  if (selLength() > 0) return colorAt(selStart());
  return insertionColor();
}

void RichTextModel::setSelColor(QRgb color) {
  if (selLength() == 0) {
    typingColor_ = color;
    return;
  }
  paint(selStart(), selLength(), color);
}

void RichTextModel::setSelText(const QString& text) {
  const int32_t pos = selStart();
  const int32_t removed = selLength();
  // Writing nothing over nothing changes nothing, the typing colour included.
  if (removed == 0 && text.isEmpty()) return;
  // Replacing a selection gives the new text the colour of what it replaces;
  // removing one leaves that colour as the typing colour at the caret.
  const QRgb color = removed > 0 ? colorAt(pos) : insertionColor();
  replace(pos, removed, text, color);
  anchor_ = caret_ = pos + static_cast<int32_t>(text.size());
  if (text.isEmpty() && removed > 0) {
    typingColor_ = color;
  } else {
    typingColor_.reset();
  }
}

void RichTextModel::replace(int32_t pos, int32_t removed, const QString& inserted, QRgb color) {
  if (removed == 0 && inserted.isEmpty()) return;
  updateLines(pos, removed, inserted);
  // Colours are cut before the text changes, so that both steps see the
  // length they work on.
  eraseColors(pos, removed);
  text_.replace(pos, removed, inserted);
  insertColors(pos, static_cast<int32_t>(inserted.size()), color);
}

// Line starts inside the removed stretch go, later ones move by the change in
// length, and every line feed of the inserted text adds one.
void RichTextModel::updateLines(int32_t pos, int32_t removed, const QString& inserted) {
  const auto first = std::upper_bound(lineStarts_.begin(), lineStarts_.end(), pos);
  const auto last = std::upper_bound(first, lineStarts_.end(), pos + removed);
  const int32_t delta = static_cast<int32_t>(inserted.size()) - removed;

  std::vector<int32_t> added;
  const int32_t lineOfPos = static_cast<int32_t>(first - lineStarts_.begin()) - 1;
  const int32_t longest =
      IndexLineFeeds(inserted, pos, added, lineStarts_[lineOfPos]);
  maxLineLength_ = std::max(maxLineLength_, longest);

  const auto at = lineStarts_.erase(first, last);
  const auto tail = lineStarts_.insert(at, added.begin(), added.end()) + added.size();
  if (delta != 0) {
    for (auto it = tail; it != lineStarts_.end(); ++it) *it += delta;
  }
  // The stretch after the insertion up to the next line feed belongs to the
  // last new line; count it against the longest line too.
  const int32_t nextStart = (tail == lineStarts_.end()) ? length() + delta : *tail;
  const int32_t lastStart = added.empty() ? lineStarts_[lineOfPos] : added.back();
  maxLineLength_ = std::max(maxLineLength_, nextStart - lastStart);
}

void RichTextModel::eraseColors(int32_t pos, int32_t removed) {
  if (removed == 0) return;
  for (ColorRun& run : runs_) {
    if (run.start <= pos) continue;
    run.start = run.start < pos + removed ? pos : run.start - removed;
  }
  // Of runs moved onto the same start, the last one holds what follows.
  std::vector<ColorRun> kept;
  kept.reserve(runs_.size());
  for (const ColorRun& run : runs_) {
    if (!kept.empty() && kept.back().start == run.start) kept.back() = run;
    else kept.push_back(run);
  }
  runs_.swap(kept);
  const int32_t newLength = length() - removed;
  while (!runs_.empty() && runs_.back().start >= newLength && newLength > 0) runs_.pop_back();
  if (newLength == 0) runs_.clear();
  mergeRuns();
}

void RichTextModel::insertColors(int32_t pos, int32_t count, QRgb color) {
  if (count == 0) return;
  // length() already counts the inserted characters.
  if (runs_.empty()) {
    runs_.push_back({0, color});
    return;
  }
  // Split the run that holds pos, then move every run at or after pos.
  const QRgb following = colorAt(pos);
  bool hasRunAtPos = false;
  for (ColorRun& run : runs_) {
    if (run.start == pos) hasRunAtPos = true;
    if (run.start >= pos) run.start += count;
  }
  const int32_t oldLength = length() - count;
  if (!hasRunAtPos && pos < oldLength) {
    // Characters after the insertion keep their colour.
    runs_.push_back({pos + count, following});
  }
  runs_.push_back({pos, color});
  std::sort(runs_.begin(), runs_.end(),
            [](const ColorRun& a, const ColorRun& b) { return a.start < b.start; });
  mergeRuns();
}

void RichTextModel::paint(int32_t from, int32_t count, QRgb color) {
  const int32_t end = from + count;
  const bool tailExists = end < length();
  const QRgb after = tailExists ? colorAt(end) : kDefaultColor;
  std::vector<ColorRun> out;
  out.reserve(runs_.size() + 2);
  for (const ColorRun& run : runs_) {
    if (run.start < from) out.push_back(run);
  }
  out.push_back({from, color});
  if (tailExists) out.push_back({end, after});
  for (const ColorRun& run : runs_) {
    if (run.start > end) out.push_back(run);
  }
  runs_.swap(out);
  mergeRuns();
}

void RichTextModel::mergeRuns() {
  std::vector<ColorRun> merged;
  merged.reserve(runs_.size());
  for (const ColorRun& run : runs_) {
    if (!merged.empty() && merged.back().color == run.color) continue;
    merged.push_back(run);
  }
  if (!merged.empty()) merged.front().start = 0;
  runs_.swap(merged);
}
