// The two-column listing and the one-pass line walk it is built from.

#include <gtest/gtest.h>

#include "platform/TextStore.h"
#include "print/TwoColumnListing.h"
#include "text/ProgramText.h"

namespace {

// Lines of "X ;" CR LF for each letter of `letters`.
QString Canonical(const QString& letters) {
  QString text;
  for (QChar letter : letters) text += QString(letter) + QStringLiteral(" ;\r\n");
  return text;
}

QString Pad(const QString& entry, int width) {
  return entry + QString(std::max<qsizetype>(width - entry.size(), 0), u' ');
}

QString Rows(const QStringList& rows) { return rows.join(QStringLiteral("\r\n")); }

TEST(ProgramLines, YieldsWhatTheLineLookupFinds) {
  const QString texts[] = {
      QString(),
      QStringLiteral("A ;\r\nB ;\r\n"),
      QStringLiteral("A ;\r\nB ;"),
      QStringLiteral("A ;\r\n\r\n\r\nB ;\r\n"),
      QStringLiteral("\nA\n\n"),
      QStringLiteral("\r\n"),
      QStringLiteral("A\rB"),
      QStringLiteral("\n"),
  };
  for (const QString& text : texts) {
    QStringList expected;
    for (int32_t n = 1;; ++n) {
      const LineInfo info = GetProgramLine(n, text);
      if (info.Status != 0) break;
      expected << info.Text;
    }
    EXPECT_EQ(ProgramLines(TextStore(text)), expected) << text.toStdString();
  }
}

TEST(TwoColumnListing, FillsLeftColumnThenRightThenNextPage) {
  constexpr int kWidth = 6;
  // Four lines on pages of three rows.
  EXPECT_EQ(TwoColumnListing(ProgramLines(TextStore(Canonical(QStringLiteral("ABCD")))), 3, kWidth),
            Rows({Pad(QStringLiteral("A "), kWidth) + QStringLiteral("D "),
                  Pad(QStringLiteral("B "), kWidth), Pad(QStringLiteral("C "), kWidth)}));
  // Seven lines: a second page with G and two empty rows.
  EXPECT_EQ(TwoColumnListing(ProgramLines(TextStore(Canonical(QStringLiteral("ABCDEFG")))), 3, kWidth),
            Rows({Pad(QStringLiteral("A "), kWidth) + QStringLiteral("D "),
                  Pad(QStringLiteral("B "), kWidth) + QStringLiteral("E "),
                  Pad(QStringLiteral("C "), kWidth) + QStringLiteral("F "),
                  Pad(QStringLiteral("G "), kWidth), QString(), QString()}));
}

TEST(TwoColumnListing, PageCompletedByTheLastLineHasNoEmptyPageAfterIt) {
  constexpr int kWidth = 4;
  const QString listing = TwoColumnListing(ProgramLines(TextStore(Canonical(QStringLiteral("ABCDEF")))), 3, kWidth);
  EXPECT_EQ(listing, Rows({Pad(QStringLiteral("A "), kWidth) + QStringLiteral("D "),
                           Pad(QStringLiteral("B "), kWidth) + QStringLiteral("E "),
                           Pad(QStringLiteral("C "), kWidth) + QStringLiteral("F ")}));
}

TEST(TwoColumnListing, EntriesKeepTheirRowsAndWidths) {
  // An empty line takes its row; the remainder after the final line end is
  // not a line; a left entry of exactly the width or longer gets no spaces.
  const QString text = QStringLiteral("ABCDE ;\r\n\r\nABCDEFG ;\r\nX ;\r\nY ;\r\nZ ;\r\n");
  EXPECT_EQ(TwoColumnListing(ProgramLines(TextStore(text)), 3, 6),
            Rows({QStringLiteral("ABCDE X "), QStringLiteral("      Y "),
                  QStringLiteral("ABCDEFG Z ")}));
  // Without a final line end the last line is printed as it stands.
  EXPECT_EQ(TwoColumnListing(ProgramLines(TextStore(QStringLiteral("A ;\r\nB"))), 2, 3),
            Rows({QStringLiteral("A  "), QStringLiteral("B  ")}));
}

}  // namespace
