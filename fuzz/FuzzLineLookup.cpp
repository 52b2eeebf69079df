// The whole-string GetProgramLine (testkit), the reference that the store's
// line lookup is held against (fuzz_text_store), agrees with a split of the
// text at its line feeds for every line number around the text's lines.

#include <QStringList>

#include "FuzzInput.h"
#include "testkit/FlatProgramText.h"

namespace {

bool Same(const LineInfo& got, int16_t status, qsizetype start, qsizetype end, const QString& line) {
  return got.Status == status && got.StartPos == start && got.EndPos == end && got.Text == line;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const QString text = FuzzText(data, size);
  const QStringList parts = text.split(u'\n');
  FuzzCheck(Same(GetProgramLine(INT32_MIN, text), 2, 0, 0, QString()), "N minimum");
  FuzzCheck(Same(GetProgramLine(INT32_MAX, text), text.isEmpty() ? 2 : 1, 0, 0, QString()), "N maximum");

  qsizetype start = 0;  // 0-based start of line n
  for (int32_t n = 0; n <= int32_t(parts.size()) + 1; ++n) {
    const LineInfo got = GetProgramLine(n, text);
    if (text.isEmpty() || n < 1) {
      FuzzCheck(Same(got, 2, 0, 0, QString()), "status 2");
    } else if (n > parts.size()) {
      FuzzCheck(Same(got, 1, 0, 0, QString()), "status 1");
    } else {
      const QString line = parts[n - 1] + (n < parts.size() ? u"\n"_qs : QString());
      if (line.isEmpty()) {
        FuzzCheck(Same(got, 3, text.size(), text.size(), QString()), "status 3");
      } else {
        FuzzCheck(Same(got, 0, start + 1, start + line.size(), line), "status 0");
      }
      start += line.size();
    }
  }
  return 0;
}
