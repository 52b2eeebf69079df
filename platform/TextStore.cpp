#include "platform/TextStore.h"

#include <algorithm>

namespace {

// Appends to `starts` the offset after every line feed of `text`, each moved
// by `base`, and returns the longest line length seen between them.
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

TextStore::TextStore() : lines_(std::make_shared<Lines>()) {}

TextStore::TextStore(QStringView text) : text_(text.toString()) { IndexLines(); }

TextStore::TextStore(const QString& text) : text_(text) { IndexLines(); }

void TextStore::IndexLines() {
  lines_ = std::make_shared<Lines>();
  lines_->longest = IndexLineFeeds(text_, 0, lines_->starts, 0);
}

TextStore::Lines& TextStore::MutableLines() {
  // Copies share the index until one of them changes.
  if (lines_.use_count() > 1) lines_ = std::make_shared<Lines>(*lines_);
  return *lines_;
}

QString TextStore::mid(int32_t pos, int32_t length) const {
  pos = std::clamp(pos, 0, size());
  length = std::clamp(length, 0, size() - pos);
  return text_.mid(pos, length);
}

int32_t TextStore::lineFromChar(int32_t offset) const {
  offset = std::clamp(offset, 0, size());
  const std::vector<int32_t>& starts = lines_->starts;
  const auto it = std::upper_bound(starts.begin(), starts.end(), offset);
  return static_cast<int32_t>(it - starts.begin()) - 1;
}

int32_t TextStore::lineStart(int32_t line) const {
  return lines_->starts[std::clamp(line, 0, lineCount() - 1)];
}

void TextStore::replace(int32_t pos, int32_t removed, QStringView inserted) {
  pos = std::clamp(pos, 0, size());
  removed = std::clamp(removed, 0, size() - pos);
  if (removed == 0 && inserted.isEmpty()) return;
  // Read what is inserted before anything changes: it may be part of this text.
  const QString added = inserted.toString();
  const int32_t delta = static_cast<int32_t>(added.size()) - removed;

  // Line starts inside the removed stretch go, later ones move by the change
  // in length, and every line feed of the inserted text adds one.
  Lines& lines = MutableLines();
  std::vector<int32_t>& starts = lines.starts;
  const auto first = std::upper_bound(starts.begin(), starts.end(), pos);
  const auto last = std::upper_bound(first, starts.end(), pos + removed);
  const int32_t lineOfPos = static_cast<int32_t>(first - starts.begin()) - 1;
  std::vector<int32_t> added_starts;
  lines.longest =
      std::max(lines.longest, IndexLineFeeds(added, pos, added_starts, starts[lineOfPos]));
  const auto at = starts.erase(first, last);
  const auto tail = starts.insert(at, added_starts.begin(), added_starts.end()) +
                    static_cast<std::ptrdiff_t>(added_starts.size());
  if (delta != 0) {
    for (auto it = tail; it != starts.end(); ++it) *it += delta;
  }
  // The stretch after the insertion up to the next line feed belongs to the
  // last new line; count it against the longest line too.
  const int32_t nextStart = (tail == starts.end()) ? size() + delta : *tail;
  const int32_t lastStart = added_starts.empty() ? starts[lineOfPos] : added_starts.back();
  lines.longest = std::max(lines.longest, nextStart - lastStart);

  text_.replace(pos, removed, added);
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
