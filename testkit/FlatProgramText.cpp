#include "testkit/FlatProgramText.h"

#include <QStringView>

namespace {

LineInfo Missing(int16_t status) {
  LineInfo info;
  info.Status = status;
  return info;
}

// Index of the k-th line feed (k >= 1) of the text, or -1 when it has fewer.
// Line feeds are counted a block at a time, so that the walk to a line deep in
// a large program runs at memory speed rather than line by line.
qsizetype NthLineFeed(QStringView text, int32_t k) {
  const char16_t* s = text.utf16();
  const qsizetype n = text.size();
  constexpr qsizetype kBlock = 256;
  qsizetype i = 0;
  for (; i + kBlock <= n; i += kBlock) {
    uint16_t count = 0;
    for (qsizetype j = 0; j < kBlock; ++j) count += (s[i + j] == u'\n');
    if (count >= k) break;
    k -= count;
  }
  for (; i < n; ++i) {
    if (s[i] == u'\n' && --k == 0) return i;
  }
  return -1;
}

}  // namespace

LineInfo GetProgramLine(int32_t N, const QString& Text) {
  const QStringView text(Text);
  const qsizetype length = text.size();
  if (length == 0 || N < 1) return Missing(2);

  // 0-based index of the line's first character: line N starts after the
  // (N - 1)-th line feed.
  qsizetype start = 0;
  if (N > 1) {
    const qsizetype lf = NthLineFeed(text, N - 1);
    if (lf < 0) return Missing(1);
    if (lf + 1 == length) {
      LineInfo info;
      info.StartPos = info.EndPos = static_cast<int32_t>(length);
      info.Status = 3;
      return info;
    }
    start = lf + 1;
  }

  // The line ends at the first line feed from its own first character on, so
  // that an empty line written as a bare line feed is a line of its own.
  const qsizetype lf = text.indexOf(u'\n', start);
  const qsizetype end = lf < 0 ? length - 1 : lf;  // 0-based, inclusive
  LineInfo info;
  info.StartPos = static_cast<int32_t>(start + 1);
  info.EndPos = static_cast<int32_t>(end + 1);
  info.Text = text.sliced(start, end - start + 1).toString();
  info.Status = 0;
  return info;
}
