#include "text/ProgramText.h"

#include <QStringView>

namespace {

LineInfo Missing(int16_t status) {
  LineInfo info;
  info.Status = status;
  return info;
}

}  // namespace

LineInfo GetProgramLine(int32_t N, const QString& Text) {
  const QStringView text(Text);
  const qsizetype length = text.size();
  if (length == 0 || N < 1) return Missing(2);

  // 0-based index of the line's first character.
  qsizetype start = 0;
  if (N > 1) {
    int32_t count = 1;
    qsizetype from = 0;
    for (;;) {
      const qsizetype lf = text.indexOf(u'\n', from);
      if (lf < 0) return Missing(1);
      if (++count == N) {
        if (lf + 1 == length) {
          LineInfo info;
          info.StartPos = info.EndPos = static_cast<int32_t>(length);
          info.Status = 3;
          return info;
        }
        start = lf + 1;
        break;
      }
      from = lf + 1;
    }
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
