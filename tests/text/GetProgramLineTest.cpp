// The whole-string line lookup (testkit), the reference that the store's line
// lookup is held against, case by case and against a split at line feeds.

#include <gtest/gtest.h>

#include <QStringList>
#include <random>

#include "testkit/FlatProgramText.h"
#include "testkit/RandomText.h"

namespace {

struct LineCase {
  const char* name;
  QString text;
  int32_t n;
  int16_t status;
  int32_t startPos;
  int32_t endPos;
  QString line;
};

void ExpectLine(const LineInfo& got, int16_t status, int32_t startPos, int32_t endPos,
                const QString& line) {
  EXPECT_EQ(got.Status, status);
  EXPECT_EQ(got.StartPos, startPos);
  EXPECT_EQ(got.EndPos, endPos);
  EXPECT_EQ(got.Text, line);
}

TEST(GetProgramLine, Cases) {
  const QString two = u"A ;\r\nB ;\r\n"_qs;
  const QString open = u"A ;\r\nB ;"_qs;
  const LineCase cases[] = {
      {"first line", two, 1, 0, 1, 5, u"A ;\r\n"_qs},
      {"second line", two, 2, 0, 6, 10, u"B ;\r\n"_qs},
      {"remainder after final LF", two, 3, 3, 10, 10, u""_qs},
      {"beyond the remainder", two, 4, 1, 0, 0, u""_qs},
      {"far beyond", two, 1000000, 1, 0, 0, u""_qs},
      {"N zero", two, 0, 2, 0, 0, u""_qs},
      {"N negative", two, -5, 2, 0, 0, u""_qs},
      {"N minimum", two, INT32_MIN, 2, 0, 0, u""_qs},
      {"empty text", u""_qs, 1, 2, 0, 0, u""_qs},
      {"empty text, N 2", u""_qs, 2, 2, 0, 0, u""_qs},
      {"no line feed", u"G01X1"_qs, 1, 0, 1, 5, u"G01X1"_qs},
      {"no line feed, N 2", u"G01X1"_qs, 2, 1, 0, 0, u""_qs},
      {"unterminated last line", open, 2, 0, 6, 8, u"B ;"_qs},
      {"after unterminated last line", open, 3, 1, 0, 0, u""_qs},
      {"empty line as CR LF", u"A\r\n\r\nB"_qs, 2, 0, 4, 5, u"\r\n"_qs},
      // A bare LF is a line of its own and does not swallow the next line.
      {"empty line as bare LF", u"A\n\nB"_qs, 2, 0, 3, 3, u"\n"_qs},
      {"line after bare LF", u"A\n\nB"_qs, 3, 0, 4, 4, u"B"_qs},
      {"text is one LF", u"\n"_qs, 1, 0, 1, 1, u"\n"_qs},
      {"remainder after the only LF", u"\n"_qs, 2, 3, 1, 1, u""_qs},
      {"bare CR is ordinary", u"A\rB\nC"_qs, 1, 0, 1, 4, u"A\rB\n"_qs},
      {"one character", u"X"_qs, 1, 0, 1, 1, u"X"_qs},
  };
  for (const LineCase& c : cases) {
    SCOPED_TRACE(c.name);
    ExpectLine(GetProgramLine(c.n, c.text), c.status, c.startPos, c.endPos, c.line);
  }
}

TEST(GetProgramLine, HandlesNulAndSurrogates) {
  const QString text = QString(u"A\0B\n"_qs) + QChar(0xDC81) + QChar(0xD800) + u"\n\U0001F600"_qs;
  ExpectLine(GetProgramLine(1, text), 0, 1, 4, text.first(4));
  ExpectLine(GetProgramLine(2, text), 0, 5, 7, text.sliced(4, 3));
  ExpectLine(GetProgramLine(3, text), 0, 8, 9, u"\U0001F600"_qs);
}

TEST(GetProgramLine, FindsTheLineBehindALongLine) {
  const QString text = QString(10 * 1024 * 1024, u'X') + u"\nG01 ;\r\n"_qs;
  const int32_t lf = 10 * 1024 * 1024 + 1;
  const LineInfo first = GetProgramLine(1, text);
  EXPECT_EQ(first.Status, 0);
  EXPECT_EQ(first.EndPos, lf);
  EXPECT_EQ(first.Text.size(), lf);
  ExpectLine(GetProgramLine(2, text), 0, lf + 1, lf + 7, u"G01 ;\r\n"_qs);
  ExpectLine(GetProgramLine(3, text), 3, lf + 7, lf + 7, u""_qs);
}

// Every line of random texts, and the numbers around them, agree with a split
// of the text at its line feeds.
TEST(GetProgramLine, AgreesWithSplitAtLineFeeds) {
  std::mt19937 rng(20240607);
  for (int round = 0; round < 2200; ++round) {
    // Short texts, and some long enough for the block-wise count of line feeds.
    const QString text = RandomText(rng, round < 2000 ? 40 : 3000);
    SCOPED_TRACE(text.toUtf8().toPercentEncoding().toStdString());
    const QStringList parts = text.split(u'\n');
    for (int32_t n = -1; n <= parts.size() + 2; ++n) {
      SCOPED_TRACE(n);
      const LineInfo got = GetProgramLine(n, text);
      if (text.isEmpty() || n < 1) {
        ExpectLine(got, 2, 0, 0, u""_qs);
        continue;
      }
      if (n > parts.size()) {
        ExpectLine(got, 1, 0, 0, u""_qs);
        continue;
      }
      qsizetype start = 0;
      for (int32_t k = 0; k + 1 < n; ++k) start += parts[k].size() + 1;
      const QString line = parts[n - 1] + (n < parts.size() ? u"\n"_qs : u""_qs);
      if (line.isEmpty()) {
        ExpectLine(got, 3, int32_t(text.size()), int32_t(text.size()), u""_qs);
      } else {
        ExpectLine(got, 0, int32_t(start + 1), int32_t(start + line.size()), line);
      }
    }
  }
}

}  // namespace
