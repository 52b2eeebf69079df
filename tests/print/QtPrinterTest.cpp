// Listings written to PDF through QPrinter, as the command line writes them:
// read back with pdftotext, every statement is whole, the right column's
// rows all start at one x and no word passes the page; failures to read the
// program or to write the PDF leave no file.

#include <QFile>
#include <QPrinterInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <set>

#include "files/Cp932.h"
#include "platform/QtPrinter.h"
#include "print/PrintToPdf.h"
#include "testkit/FlatCp932.h"

namespace {

struct Word {
  double xMin, yMin, xMax;
  QString text;
};
struct PdfPage {
  double width = 0;
  QList<Word> words;
};

// The words of each page of a PDF with their boxes, through pdftotext -bbox;
// a failure of the test when that cannot be read, the tool's absence included.
QList<PdfPage> PdfWords(const QString& pdf) {
  const QString tool = QStandardPaths::findExecutable(QStringLiteral("pdftotext"));
  if (tool.isEmpty()) {
    ADD_FAILURE() << "pdftotext is not installed (Debian package poppler-utils; "
                     "scripts/deps.sh installs it)";
    return {};
  }
  QProcess process;
  process.start(tool, {QStringLiteral("-bbox"), pdf, QStringLiteral("-")});
  if (!process.waitForFinished(60000) || process.exitCode() != 0) {
    ADD_FAILURE() << "pdftotext failed: " << process.readAllStandardError().toStdString();
    return {};
  }
  const QString html = QString::fromUtf8(process.readAllStandardOutput());
  static const QRegularExpression tag(QStringLiteral(
      R"re(<page width="([\d.]+)"|<word xMin="([\d.]+)" yMin="([\d.]+)" xMax="([\d.]+)" yMax="[\d.]+">([^<]*)</word>)re"));
  QList<PdfPage> pages;
  for (const QRegularExpressionMatch& m : tag.globalMatch(html)) {
    if (!m.captured(1).isEmpty()) {
      pages.append(PdfPage{m.captured(1).toDouble(), {}});
    } else if (!pages.isEmpty()) {
      pages.last().words.append(Word{m.captured(2).toDouble(), m.captured(3).toDouble(),
                                 m.captured(4).toDouble(), m.captured(5)});
    }
  }
  return pages;
}

int Tenths(double points) { return int(std::lround(points * 10)); }

QString WriteProgram(const QTemporaryDir& dir, int lines) {
  QString program;
  for (int n = 1; n <= lines; ++n) {
    program += QStringLiteral("N%1G01X-1.889Z-1.889F1500\r\n").arg(n);
    if (n % 7 == 0)  // wider than a column
      program += QStringLiteral("N%1G02X12.5Y-3.75I1.25J-2.5K0.5F1500S12000M08\r\n").arg(n);
    if (n % 11 == 0) program += QStringLiteral("(加工開始 ﾃｽﾄ 工程%1)\r\n").arg(n);
  }
  const QString path = dir.filePath(QStringLiteral("P.m"));
  QFile file(path);
  EXPECT_TRUE(file.open(QIODevice::WriteOnly));
  file.write(EncodeCp932(program).bytes);
  return path;
}

TEST(PrintToPdf, TwoColumnListingIsWholeAndAligned) {
  QTemporaryDir dir;
  const QString pdf = dir.filePath(QStringLiteral("listing.pdf"));
  ASSERT_EQ(PrintToPdf(WriteProgram(dir, 200), pdf, true), 0);
  const QList<PdfPage> pages = PdfWords(pdf);
  ASSERT_GE(pages.size(), 2);
  std::map<QString, int> counts;
  for (const PdfPage& page : pages) {
    // Statements start with their N or "(": in the right half, all at one x.
    std::set<int> rightStarts;
    for (const Word& word : page.words) {
      ++counts[word.text];
      EXPECT_LE(word.xMax, page.width) << word.text.toStdString();
      const bool statement = word.text.startsWith(u'N') || word.text.startsWith(u'(');
      if (statement && word.xMin > page.width * 0.4) rightStarts.insert(Tenths(word.xMin));
    }
    ASSERT_EQ(rightStarts.size(), 1u);
    const int column = *rightStarts.begin();
    // Every row of the right column starts there, or two spaces in.
    std::map<int, int> rowStarts;
    for (const Word& word : page.words) {
      if (Tenths(word.xMin) < column) continue;
      auto [row, added] = rowStarts.emplace(Tenths(word.yMin), Tenths(word.xMin));
      if (!added) row->second = std::min(row->second, Tenths(word.xMin));
    }
    std::set<int> starts;
    for (const auto& [y, x] : rowStarts) starts.insert(x);
    EXPECT_LE(starts.size(), 2u);
  }
  // Every word of every statement, whole; full-width and half-width kana included.
  EXPECT_EQ(counts[QStringLiteral("F1500")], 200 + 200 / 7);
  EXPECT_EQ(counts[QStringLiteral("M08")], 200 / 7);
  EXPECT_EQ(counts[QStringLiteral("(加工開始ﾃｽﾄ工程198)")], 1);
  EXPECT_EQ(counts[QStringLiteral("N200")], 1);
}

TEST(PrintToPdf, FailuresWriteNothing) {
  QTemporaryDir dir;
  const QString program = WriteProgram(dir, 3);
  const QString pdf = dir.filePath(QStringLiteral("out.pdf"));
  EXPECT_EQ(PrintToPdf(dir.filePath(QStringLiteral("missing.m")), pdf, false), 1);
  EXPECT_EQ(PrintToPdf(dir.path(), pdf, false), 1);
  EXPECT_FALSE(QFile::exists(pdf));
  EXPECT_EQ(PrintToPdf(program, dir.filePath(QStringLiteral("missing/out.pdf")), false), 1);
  EXPECT_EQ(PrintToPdf(program, dir.path(), false), 1);
  EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("P.m")});
}

TEST(QtPrinter, WithoutDefaultPrinterNothingPrints) {
  if (!QPrinterInfo::defaultPrinter().isNull()) GTEST_SKIP() << "this machine has a printer";
  QtPrinter printer;
  EXPECT_FALSE(printer.IsAvailable());
  EXPECT_FALSE(printer.PrintAt(0, 0, QStringLiteral("A ;")));
  EXPECT_FALSE(printer.EndDoc());
}

}  // namespace
