// The listings laid out page by page on the recording printer: where every
// row lands, that nothing passes a column or the page, and that every
// character of the program is printed once, in order.

#include <gtest/gtest.h>

#include <random>

#include "document/TextStore.h"
#include "print/Listing.h"
#include "testkit/RandomText.h"
#include "testkit/ScriptedServices.h"

namespace {

struct Page {
  double width, height, charWidth, charHeight;
};

// Runs a listing of `text` to its end on a recording printer.
PrintJob Print(const QString& text, const Page& page, bool twoColumn, ListingLayout* layout = nullptr,
               int32_t pieceLength = 1 << 16) {
  PrintJob job;
  RecordingPrinter printer(job, true, page.width, page.height, page.charWidth, page.charHeight);
  ListingLayout made = twoColumn ? TwoColumnLayout(printer) : OneColumnLayout(printer);
  made.pieceLength = pieceLength;
  if (layout) *layout = made;
  ListingPages pages(TextStore(text), made);
  while (!pages.AtEnd()) EXPECT_TRUE(pages.PrintNextPage(printer));
  EXPECT_TRUE(printer.EndDoc());
  return job;
}

// The rows of a page in reading order: left column top to bottom, then right.
QStringList ReadingOrder(const QList<PrintedText>& page, double rightX) {
  QList<PrintedText> rows = page;
  std::stable_sort(rows.begin(), rows.end(), [rightX](const PrintedText& a, const PrintedText& b) {
    return std::pair(a.x >= rightX, a.y) < std::pair(b.x >= rightX, b.y);
  });
  QStringList texts;
  for (const PrintedText& row : rows) texts << row.text;
  return texts;
}

QString WithoutSpaces(QString s) {
  s.remove(u' ');
  return s;
}

TEST(Listing, TwoColumnsFillLeftThenRightThenNextPage) {
  // Three rows of 20 down, twelve characters of 10 across: the right column
  // at 60, entries up to 50 wide.
  const Page page{120, 60, 10, 20};
  ListingLayout layout;
  const PrintJob seven = Print(QStringLiteral("A ;\r\nB ;\r\nC ;\r\n\r\nE ;\r\nF ;\r\nG ;\r\n"), page, true, &layout);
  EXPECT_EQ(layout.rowsPerPage, 3);
  EXPECT_EQ(layout.columnX[1], 60);
  ASSERT_EQ(seven.pages.size(), 2);
  // The empty line takes its row; statements print without ";" and their space.
  const QList<std::tuple<double, double, QString>> first = {
      {0, 0, "A"}, {0, 20, "B"}, {0, 40, "C"}, {60, 20, "E"}, {60, 40, "F"}};
  ASSERT_EQ(seven.pages[0].size(), first.size());
  for (qsizetype i = 0; i < first.size(); ++i) {
    EXPECT_EQ(seven.pages[0][i].x, std::get<0>(first[i]));
    EXPECT_EQ(seven.pages[0][i].y, std::get<1>(first[i]));
    EXPECT_EQ(seven.pages[0][i].text, std::get<2>(first[i]));
  }
  EXPECT_EQ(seven.pages[1].size(), 1);
  EXPECT_EQ(seven.pages[1][0].text, QStringLiteral("G"));
  // A program that fills its last page exactly has no empty page after it.
  EXPECT_EQ(Print(QStringLiteral("A\nB\nC\nD\nE\nF\n"), page, true).pages.size(), 1);
}

TEST(Listing, LongAndFullWidthLinesStayWholeInTheirColumn) {
  const Page page{200, 100, 10, 20};  // right column at 100, entries up to 90 (nine cells)
  // A full-width comment (two cells a character), a line of words wider than
  // the column, and a word wider than it.
  const QString text = QStringLiteral(
      "(加工開始工程一) ;\n"
      "G01 X-1.889 Z-1.889 F1500 ;\n"
      "ABCDEFGHIJKLMNOPQRSTU ;\n"
      "N2 ;\nN3 ;\nN4 ;\nN5 ;\n");
  ListingLayout layout;
  const PrintJob job = Print(text, page, true, &layout);
  ASSERT_EQ(job.pages.size(), 2);
  QStringList rows;
  for (const auto& p : job.pages) rows += ReadingOrder(p, layout.columnX[1]);
  // Continuation rows are indented by two cells; words are not split, but a
  // word wider than the column is.
  EXPECT_EQ(rows, (QStringList{"(加工開始", "工程一)", "G01", "X-1.889", "Z-1.889", "F1500",
                               "ABCDEFGHI", "JKLMNOP", "QRSTU", "N2", "N3", "N4", "N5"}));
  const PrintedText& continuation = job.pages[0][1];
  EXPECT_EQ(continuation.x, 20);
}

// Random programs on random pages, long lines read whole or in pieces: every
// row starts at one of its column's two places, stays within its column and
// the page, and the listing holds every character of the program in order,
// ";" and line ends aside.
TEST(Listing, RowsStayInTheirColumnsAndKeepEveryCharacter) {
  std::mt19937 rng(20);
  for (int round = 0; round < 300; ++round) {
    const bool twoColumn = round % 2 == 0;
    const Page page{double(std::uniform_int_distribution(4, 60)(rng) * 5),
                    double(std::uniform_int_distribution(20, 200)(rng)), 5, 20};
    const QString text = RandomText(rng, 200);
    ListingLayout layout;
    const PrintJob job = Print(text, page, twoColumn, &layout, round % 3 == 0 ? 5 : 1 << 16);
    PrintJob unused;
    const RecordingPrinter measure(unused, true, page.width, page.height, page.charWidth, page.charHeight);
    const double rightX = twoColumn ? layout.columnX[1] : page.width + 1;
    QString printed;
    for (const QList<PrintedText>& p : job.pages) {
      for (const PrintedText& row : p) {
        const bool right = row.x >= rightX;
        const double column = right ? rightX : 0;
        const double end = right || !twoColumn ? page.width : rightX - page.charWidth;
        EXPECT_TRUE(row.x == column || row.x == column + layout.indent) << row.x;
        // A row holds at least one character, even where a column is narrower.
        const bool oneCharacter =
            row.text.size() == 1 || (row.text.size() == 2 && row.text[0].isHighSurrogate() &&
                                     row.text[1].isLowSurrogate());
        if (!oneCharacter) {
          EXPECT_LE(row.x + measure.TextWidth(row.text), end) << row.text.toStdString();
        }
        EXPECT_LE(row.y + layout.rowHeight, page.height);
      }
      printed += ReadingOrder(p, rightX).join(QString());
    }
    QString expected = text;
    expected.remove(QStringLiteral("\r\n"));
    expected.remove(u'\n');
    if (twoColumn) expected.remove(u';');
    EXPECT_EQ(WithoutSpaces(printed), WithoutSpaces(expected)) << round;
  }
}

}  // namespace
