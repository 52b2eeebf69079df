// Listings written to PDF through QPrinter, as the command line writes them:
// read back with pdftotext, every statement is whole, the right column's
// rows all start at one x and no word passes the page; failures to read the
// program or to write the PDF leave no file.

#include <QFile>
#include <QPageLayout>
#include <QPageSize>
#include <QPrinter>
#include <QPrinterInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTextStream>
#include <QTimer>
#include <gtest/gtest.h>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <csignal>
#include <map>
#include <memory>
#include <set>

#include "files/Cp932.h"
#include "platform/LocalPath.h"
#include "platform/PrintQueue.h"
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

// The names in the folder `folder`, by their bytes.
std::set<QByteArray> Entries(const QByteArray& folder) {
  std::set<QByteArray> names;
  DIR* listing = ::opendir(folder.constData());
  if (!listing) return names;
  while (const dirent* entry = ::readdir(listing)) {
    const QByteArray name(entry->d_name);
    if (name != "." && name != "..") names.insert(name);
  }
  ::closedir(listing);
  return names;
}

// A listing takes its place, named by the path's bytes, only when it is
// whole; a failure leaves nothing, no partial file either. The folder and the
// file named in CP932 (not UTF-8) are made by their bytes, the file holding
// an older listing that is replaced.
TEST(PrintToPdf, OutputTakesItsPlaceOnlyWhenWhole) {
  QTemporaryDir dir;
  const QString program = WriteProgram(dir, 3);
  const QByteArray root = QFile::encodeName(dir.path());
  const QByteArray cp932 = "\x83\x76";  // プ
  const QByteArray folder = root + '/' + cp932;
  const QByteArray pdf = folder + '/' + cp932 + ".pdf";
  ASSERT_EQ(::mkdir(folder.constData(), 0700), 0);
  const int old = ::open(pdf.constData(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
  ASSERT_EQ(::write(old, "old", 3), 3);
  ::close(old);

  struct Case {
    const char* name;
    QString program;
    QByteArray pdf;
    int exit;
  };
  for (const Case& c : {Case{"no program", dir.filePath(QStringLiteral("missing.m")), root + "/out.pdf", 1},
                        Case{"program is a folder", dir.path(), root + "/out.pdf", 1},
                        Case{"no such folder", program, root + "/missing/out.pdf", 1},
                        Case{"output is a folder", program, folder, 1},
                        Case{"CP932 folder and name", program, pdf, 0}}) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(PrintToPdf(c.program, DecodeLocalPath(c.pdf), false), c.exit);
    EXPECT_EQ(Entries(root), (std::set<QByteArray>{"P.m", cp932}));
  }
  EXPECT_EQ(Entries(folder), std::set<QByteArray>{cp932 + ".pdf"});
  struct stat written {};
  EXPECT_TRUE(::stat(pdf.constData(), &written) == 0 && written.st_size > 1000) << "the listing replaced it";
  ::unlink(pdf.constData());  // QTemporaryDir cannot name them
  ::rmdir(folder.constData());
}

TEST(QtPrinter, WithoutDefaultPrinterNothingPrints) {
  if (!QPrinterInfo::defaultPrinter().isNull()) GTEST_SKIP() << "this machine has a printer";
  QtPrinter printer;
  EXPECT_FALSE(printer.IsAvailable());
  EXPECT_FALSE(printer.PrintAt(0, 0, QStringLiteral("A ;")));
  EXPECT_FALSE(printer.EndDoc());
}

// Puts a stand-in for `lp` first on PATH: it keeps what it was given in
// `dir`/args, its process id in `dir`/pid and the job in `dir`/job.pdf, after
// sleeping LP_SLEEP seconds, and ends with LP_EXIT; with LP_HANG it never
// ends. Returns the PATH before.
QByteArray PutStandInLpOnPath(const QTemporaryDir& dir) {
  const QString bin = dir.filePath(QStringLiteral("bin"));
  EXPECT_TRUE(QDir().mkpath(bin));
  QFile lp(bin + QStringLiteral("/lp"));
  EXPECT_TRUE(lp.open(QIODevice::WriteOnly));
  QTextStream(&lp) << "#!/bin/sh\nprintf '%s\\n' \"$@\" > " << dir.filePath(QStringLiteral("args"))
                   << "\necho $$ > " << dir.filePath(QStringLiteral("pid"))
                   << "\n[ -n \"$LP_HANG\" ] && exec sleep 600\nsleep ${LP_SLEEP:-0}"
                   << "\nfor a; do f=$a; done; cp \"$f\" " << dir.filePath(QStringLiteral("job.pdf"))
                   << "\nexit ${LP_EXIT:-0}\n";
  lp.close();
  lp.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
  const QByteArray path = qgetenv("PATH");
  qputenv("PATH", bin.toUtf8() + ':' + path);
  return path;
}

// A print queue's job is painted into a PDF of its own and handed to `lp`
// only when it is complete, with the page set-up as the queue's options; a
// cancelled job, or a PDF file's, leaves no file and reaches no queue. While
// `lp` takes the job the event loop turns: a timer fires, and what it runs
// can neither end the job again nor hurt it by destroying the printer.
TEST(QtPrinter, QueueGetsOnlyWholeJobs) {
  QTemporaryDir dir;
  const QByteArray path = PutStandInLpOnPath(dir);
  const QPageLayout a4(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(36, 36, 36, 36));
  const auto spooled = [&] { return QDir::temp().entryList({QStringLiteral("kesto-print-*")}); };
  const QStringList before = spooled();

  struct Case {
    const char* name;
    bool cancel;
    const char* lpExit;
    const char* lpSleep;
    bool printed;
  };
  for (const Case& c : {Case{"whole job", false, "0", "0", true}, Case{"cancelled", true, "0", "0", false},
                        Case{"queue refuses", false, "1", "0", false},
                        Case{"queue slow to answer", false, "0", "0.3", true}}) {
    SCOPED_TRACE(c.name);
    QFile::remove(dir.filePath(QStringLiteral("args")));
    qputenv("LP_EXIT", c.lpExit);
    qputenv("LP_SLEEP", c.lpSleep);
    auto printer = std::make_unique<QtPrinter>(QStringLiteral("shop-floor"), a4);
    ASSERT_TRUE(printer->IsAvailable());
    printer->SetColorMode(1);
    printer->SetDuplex(1);
    ASSERT_TRUE(printer->PrintAt(0, 0, QStringLiteral("G01 X10 ;")));
    if (c.cancel) {
      printer->Abort();
    } else {
      QtPrinter* job = printer.get();
      bool answered = false;
      QTimer meanwhile;
      meanwhile.setSingleShot(true);
      QObject::connect(&meanwhile, &QTimer::timeout, [&] {
        answered = true;
        EXPECT_FALSE(printer->EndDoc()) << "a job ends once";
        printer.reset();
      });
      meanwhile.start(0);
      EXPECT_EQ(job->EndDoc(), c.printed);
      EXPECT_TRUE(answered) << "the event loop turns while lp runs";
    }
    printer.reset();
    EXPECT_EQ(QFile::exists(dir.filePath(QStringLiteral("args"))), !c.cancel);
    EXPECT_EQ(spooled(), before) << "the job's own PDF is removed";
  }
  QFile args(dir.filePath(QStringLiteral("args")));
  ASSERT_TRUE(args.open(QIODevice::ReadOnly));
  const QStringList given = QString::fromUtf8(args.readAll()).split(u'\n', Qt::SkipEmptyParts);
  for (const char* expected : {"shop-floor", "media=A4", "sides=one-sided", "print-color-mode=monochrome"})
    EXPECT_TRUE(given.contains(QString::fromUtf8(expected))) << expected;
  EXPECT_TRUE(PdfWords(dir.filePath(QStringLiteral("job.pdf"))).value(0).words.size() >= 2);

  // A job on a PDF file that is abandoned leaves no file either.
  QPrinter file(QPrinter::HighResolution);
  file.setOutputFormat(QPrinter::PdfFormat);
  file.setOutputFileName(dir.filePath(QStringLiteral("cancelled.pdf")));
  {
    QtPrinter printer(file);
    ASSERT_TRUE(printer.PrintAt(0, 0, QStringLiteral("G01 X10 ;")));
    ASSERT_TRUE(printer.NewPage());
    printer.Abort();
  }
  EXPECT_FALSE(QFile::exists(file.outputFileName()));
  qputenv("PATH", path);
  qunsetenv("LP_EXIT");
  qunsetenv("LP_SLEEP");
}

// An `lp` that does not end (a printing system not answering) is killed at
// the bound, and the job counts as not printed.
TEST(QtPrinter, QueueThatDoesNotAnswerIsGivenUp) {
  QTemporaryDir dir;
  const QByteArray path = PutStandInLpOnPath(dir);
  qputenv("LP_HANG", "1");
  EXPECT_FALSE(SubmitToQueue(QStringLiteral("shop-floor"), dir.filePath(QStringLiteral("P.pdf")), {}, 300));
  QFile pid(dir.filePath(QStringLiteral("pid")));
  const int id = pid.open(QIODevice::ReadOnly) ? pid.readAll().trimmed().toInt() : 0;
  if (id > 0) EXPECT_EQ(::kill(id, 0), -1) << "lp is no more";  // else killed before it said
  qputenv("PATH", path);
  qunsetenv("LP_HANG");
}

}  // namespace
