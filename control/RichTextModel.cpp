#include "control/RichTextModel.h"

#include <algorithm>

#include "document/StoreProgramText.h"

void RichTextModel::setText(const TextStore& text) {
  const TextStore before = text_;  // shared, not copied
  text_ = text;
  runs_.clear();
  if (!text_.isEmpty()) runs_.push_back({0, kDefaultColor});
  anchor_ = caret_ = 0;
  typingColor_.reset();
  for (TextWatcher* watcher : watchers_) watcher->TextReplaced(before);
}

QChar RichTextModel::charAt(int32_t offset) const {
  return (offset >= 0 && offset < length()) ? QChar(text_.at(offset)) : QChar();
}

int32_t RichTextModel::clamp(int32_t offset) const {
  return std::clamp<int32_t>(offset, 0, length());
}

int32_t RichTextModel::lineTextEnd(int32_t line) const {
  line = std::clamp<int32_t>(line, 0, lineCount() - 1);
  if (line + 1 >= lineCount()) return length();
  int32_t end = lineStart(line + 1) - 1;  // the line feed
  if (end > lineStart(line) && text_.at(end - 1) == u'\r') --end;
  return end;
}

LineInfo RichTextModel::line(int32_t number) const { return GetProgramLine(number, text_); }

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

size_t RichTextModel::runIndexAt(int32_t offset) const {
  const auto it = std::upper_bound(runs_.begin(), runs_.end(), offset,
                                   [](int32_t o, const ColorRun& r) { return o < r.start; });
  return static_cast<size_t>(it - runs_.begin()) - 1;
}

ColorSpan RichTextModel::colorSpanAt(int32_t offset) const {
  if (runs_.empty() || offset < 0 || offset >= length()) return {offset, offset, kDefaultColor};
  const size_t i = runIndexAt(offset);
  const int32_t end = i + 1 < runs_.size() ? runs_[i + 1].start : length();
  return {runs_[i].start, end, runs_[i].color};
}

std::vector<ColorSpan> RichTextModel::colorSpans(int32_t from, int32_t to) const {
  std::vector<ColorSpan> spans;
  from = clamp(from);
  to = clamp(to);
  if (runs_.empty() || from >= to) return spans;
  for (size_t i = runIndexAt(from); i < runs_.size() && runs_[i].start < to; ++i) {
    const int32_t end = i + 1 < runs_.size() ? runs_[i + 1].start : length();
    spans.push_back({std::max(runs_[i].start, from), std::min(end, to), runs_[i].color});
  }
  return spans;
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

void RichTextModel::setSelText(QStringView text) {
  // Replacing a selection gives the new text the colour of what it replaces;
  // removing one leaves that colour as the typing colour at the caret.
  replaceSelection(text, selLength() > 0 ? colorAt(selStart()) : insertionColor());
}

void RichTextModel::replaceSelection(QStringView text, QRgb color) {
  const int32_t pos = selStart();
  const int32_t removed = selLength();
  // Writing nothing over nothing changes nothing, the typing colour included;
  // a text that would grow past what the store holds is not changed either.
  if (removed == 0 && text.isEmpty()) return;
  if (int64_t{length()} - removed + text.size() > TextStore::kMaxSize) return;
  const int32_t inserted = static_cast<int32_t>(text.size());
  replace(pos, removed, text, color);
  anchor_ = caret_ = pos + inserted;
  if (inserted == 0) {
    typingColor_ = color;
  } else {
    typingColor_.reset();
  }
}

void RichTextModel::replace(int32_t pos, int32_t removed, QStringView inserted, QRgb color) {
  const int32_t count = static_cast<int32_t>(inserted.size());
  for (TextWatcher* watcher : watchers_) watcher->TextChanging(pos, removed, inserted);
  // Colours are cut before the text changes, so that both steps see the
  // length they work on.
  eraseColors(pos, removed);
  text_.replace(pos, removed, inserted);
  insertColors(pos, count, color);
  for (TextWatcher* watcher : watchers_) watcher->TextChanged(pos, removed, count);
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

void RichTextModel::addWatcher(TextWatcher* watcher) { watchers_.push_back(watcher); }

void RichTextModel::removeWatcher(TextWatcher* watcher) { std::erase(watchers_, watcher); }
