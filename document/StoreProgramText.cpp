#include "document/StoreProgramText.h"

LineInfo GetProgramLine(int32_t N, const TextStore& Text) {
  LineInfo info;
  const int32_t length = Text.size();
  if (length == 0 || N < 1) {
    info.Status = 2;
    return info;
  }
  const int32_t lineFeeds = Text.lineCount() - 1;
  // Line N starts after the (N - 1)-th line feed.
  const int64_t before = int64_t(N) - 1;
  if (before > lineFeeds) {
    info.Status = 1;
    return info;
  }
  const int32_t start = Text.lineStart(int32_t(before));
  if (before > 0 && start == length) {
    // The empty remainder behind a final line feed.
    info.StartPos = info.EndPos = length;
    info.Status = 3;
    return info;
  }
  // The line ends at its own line feed, or with the text.
  const int32_t end = before < lineFeeds ? Text.lineStart(int32_t(before) + 1) - 1 : length - 1;
  info.StartPos = start + 1;
  info.EndPos = end + 1;
  info.Text = Text.mid(start, end - start + 1);
  info.Status = 0;
  return info;
}
