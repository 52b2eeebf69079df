// The production printer, painting to PDF through QPrinter: page layout of a
// real two-column listing, failures to start a job, and no default printer.

#include <QPrinter>
#include <QPrinterInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <cmath>
#include <gtest/gtest.h>

#include "platform/QtPrinter.h"
#include "platform/TextStore.h"
#include "print/TwoColumnListing.h"

namespace {

// The text of each page of a PDF, through pdftotext; a failure of the test
// when that cannot be read, the tool's absence included.
QStringList PdfPages(const QString& pdf) {
  const QString tool = QStandardPaths::findExecutable(QStringLiteral("pdftotext"));
  if (tool.isEmpty()) {
    ADD_FAILURE() << "pdftotext is not installed (Debian package poppler-utils; "
                     "scripts/deps.sh installs it)";
    return {};
  }
  QProcess process;
  process.start(tool, {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
  if (!process.waitForFinished(30000) || process.exitStatus() != QProcess::NormalExit ||
      process.exitCode() != 0) {
    ADD_FAILURE() << "pdftotext failed: " << process.readAllStandardError().toStdString();
    return {};
  }
  QStringList pages = QString::fromUtf8(process.readAllStandardOutput()).split(u'\f');
  if (!pages.isEmpty() && pages.last().trimmed().isEmpty()) pages.removeLast();
  return pages;
}

void SetUpListingPage(QtPrinter& printer) {
  printer.SetCurrentX(0);
  printer.SetCurrentY(0);
  printer.SetFontSize(14);
  printer.SetFontName(QStringLiteral("ＭＳ ゴシック"));
  printer.SetOrientation(1);
  printer.SetColorMode(1);
  printer.SetDuplex(1);
}

TEST(QtPrinter, PrintsATwoPageListingToPdf) {
  QTemporaryDir dir;
  const QString pdf = dir.filePath(QStringLiteral("listing.pdf"));
  QPrinter device(QPrinter::HighResolution);
  device.setOutputFormat(QPrinter::PdfFormat);
  device.setOutputFileName(pdf);
  QtPrinter printer(device);
  ASSERT_TRUE(printer.IsAvailable());
  SetUpListingPage(printer);
  EXPECT_EQ(device.pageLayout().orientation(), QPageLayout::Portrait);
  EXPECT_EQ(device.colorMode(), QPrinter::GrayScale);
  EXPECT_EQ(device.duplex(), QPrinter::DuplexNone);

  const int linesPerPage =
      static_cast<int>(std::floor(printer.ScaleHeight() / printer.TextHeight(QStringLiteral(" "))));
  const int columnWidth = static_cast<int>(
      std::floor(printer.ScaleWidth() / printer.TextWidth(QStringLiteral(" ")) / 2));
  // An A4 or Letter page in 14 pt holds some 40-50 rows of about 40 characters.
  ASSERT_GT(linesPerPage, 20);
  ASSERT_GT(columnWidth, 20);

  // Two full columns, then three lines on the second page.
  QString text;
  const int lines = 2 * linesPerPage + 3;
  for (int n = 1; n <= lines; ++n) text += QStringLiteral("N%1 G01 X%1 ;\r\n").arg(n);
  ASSERT_TRUE(printer.Print(TwoColumnListing(ProgramLines(TextStore(text)), linesPerPage, columnWidth)));
  ASSERT_TRUE(printer.EndDoc());

  const QStringList pages = PdfPages(pdf);
  ASSERT_EQ(pages.size(), 2);
  const QStringList firstPage = pages[0].split(u'\n', Qt::SkipEmptyParts);
  ASSERT_EQ(firstPage.size(), linesPerPage);
  EXPECT_EQ(firstPage[0].simplified(),
            QStringLiteral("N1 G01 X1 N%1 G01 X%1").arg(linesPerPage + 1));
  EXPECT_EQ(firstPage.last().simplified(),
            QStringLiteral("N%1 G01 X%1 N%2 G01 X%2").arg(linesPerPage).arg(2 * linesPerPage));
  // The right column starts at the same place on every row.
  const qsizetype rightColumn = firstPage[0].indexOf(QStringLiteral("N%1").arg(linesPerPage + 1));
  EXPECT_EQ(firstPage.last().indexOf(QStringLiteral("N%1").arg(2 * linesPerPage)), rightColumn);
  EXPECT_EQ(pages[1].split(u'\n', Qt::SkipEmptyParts).size(), 3);
  EXPECT_TRUE(pages[1].contains(QStringLiteral("N%1 G01 X%1").arg(lines)));
}

TEST(QtPrinter, TrailingEmptyLinesStartNoNewSheet) {
  QTemporaryDir dir;
  const QString pdf = dir.filePath(QStringLiteral("plain.pdf"));
  QPrinter device(QPrinter::HighResolution);
  device.setOutputFormat(QPrinter::PdfFormat);
  device.setOutputFileName(pdf);
  QtPrinter printer(device);
  const int linesPerPage =
      static_cast<int>(std::floor(printer.ScaleHeight() / printer.TextHeight(QStringLiteral(" "))));
  QString text;
  for (int n = 1; n <= linesPerPage; ++n) text += QStringLiteral("G01 X%1 ;\r\n").arg(n);
  ASSERT_TRUE(printer.Print(text));
  EXPECT_EQ(printer.CurrentX(), 0);
  ASSERT_TRUE(printer.EndDoc());
  EXPECT_EQ(PdfPages(pdf).size(), 1);
}

TEST(QtPrinter, JobThatCannotStartFails) {
  QTemporaryDir dir;
  QPrinter device(QPrinter::HighResolution);
  device.setOutputFormat(QPrinter::PdfFormat);
  device.setOutputFileName(dir.filePath(QStringLiteral("missing/listing.pdf")));
  QtPrinter printer(device);
  EXPECT_FALSE(printer.Print(QStringLiteral("A ;")));
  EXPECT_FALSE(printer.EndDoc());
  EXPECT_FALSE(printer.IsAvailable());
}

TEST(QtPrinter, WithoutDefaultPrinterNothingPrints) {
  if (!QPrinterInfo::defaultPrinter().isNull()) GTEST_SKIP() << "this machine has a printer";
  QtPrinter printer;
  EXPECT_FALSE(printer.IsAvailable());
  EXPECT_FALSE(printer.Print(QStringLiteral("A ;")));
  EXPECT_FALSE(printer.EndDoc());
}

}  // namespace
