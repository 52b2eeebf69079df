#include "print/PrintToPdf.h"

#include <QApplication>
#include <QFile>
#include <QPrinter>
#include <QTemporaryFile>
#include <cstdio>
#include <cstring>
#include <sys/stat.h>

#include "files/ProgramFile.h"
#include "platform/Application.h"
#include "platform/QtPrinter.h"
#include "platform/TextStore.h"
#include "print/Listing.h"

namespace {

const char kOneColumn[] = "--print";
const char kTwoColumn[] = "--print-two-column";
const char kTo[] = "--to";

void Complain(const QString& message) {
  std::fprintf(stderr, "kesto: %s\n", message.toLocal8Bit().constData());
}

bool PrintListing(const TextStore& text, QtPrinter& printer, bool twoColumn) {
  const ListingLayout layout = twoColumn ? TwoColumnLayout(printer) : OneColumnLayout(printer);
  ListingPages pages(text, layout);
  while (!pages.AtEnd()) {
    if (!pages.PrintNextPage(printer)) return false;
  }
  return printer.EndDoc();
}

// A file made by the process gets the permissions the user's mask allows.
void SetUsualPermissions(const QString& path) {
  const mode_t mask = umask(0);
  umask(mask);
  chmod(QFile::encodeName(path).constData(), 0666 & ~mask);
}

}  // namespace

int PrintToPdf(const QString& programPath, const QString& pdfPath, bool twoColumn) {
  TextStore text;
  if (!ReadProgramFile(programPath, text)) {
    Complain(QStringLiteral("%1: プログラムファイルを読めません。").arg(programPath));
    return 1;
  }
  // The listing is written next to its place and takes it only when complete.
  QTemporaryFile partial(pdfPath + QStringLiteral(".XXXXXX"));
  if (!partial.open()) {
    Complain(QStringLiteral("%1: 書き込めません。").arg(pdfPath));
    return 1;
  }
  bool written = false;
  {
    QPrinter device(QPrinter::HighResolution);
    device.setOutputFormat(QPrinter::PdfFormat);
    device.setOutputFileName(partial.fileName());
    device.setDocName(QStringLiteral("KESTO"));
    QtPrinter printer(device);
    written = printer.IsAvailable() && PrintListing(text, printer, twoColumn);
  }
  if (!written || std::rename(QFile::encodeName(partial.fileName()).constData(),
                              QFile::encodeName(pdfPath).constData()) != 0) {
    Complain(QStringLiteral("%1: PDF を書けませんでした。").arg(pdfPath));
    return 1;
  }
  partial.setAutoRemove(false);
  SetUsualPermissions(pdfPath);
  return 0;
}

void PreparePdfCommandLine(int argc, char** argv) {
  bool printing = false;
  for (int i = 1; i < argc; ++i) {
    if (!std::strcmp(argv[i], kOneColumn) || !std::strcmp(argv[i], kTwoColumn)) printing = true;
    if (!std::strcmp(argv[i], "-platform")) return;
  }
  if (printing && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
    qputenv("QT_QPA_PLATFORM", "offscreen");
}

std::optional<int> PrintFromCommandLine(QApplication& app) {
  const QStringList arguments = app.arguments();
  QString program, output;
  bool twoColumn = false, printing = false;
  for (qsizetype i = 1; i < arguments.size(); ++i) {
    const QString& argument = arguments[i];
    const QString value = i + 1 < arguments.size() ? arguments[i + 1] : QString();
    if (argument == QLatin1String(kOneColumn) || argument == QLatin1String(kTwoColumn)) {
      printing = true;
      twoColumn = argument == QLatin1String(kTwoColumn);
      program = value;
      ++i;
    } else if (argument == QLatin1String(kTo)) {
      output = value;
      ++i;
    }
  }
  if (!printing) return std::nullopt;
  if (program.isEmpty() || output.isEmpty()) {
    Complain(QStringLiteral("使い方: kesto --print|--print-two-column ファイル --to 出力.pdf"));
    return 2;
  }
  InitApplication(app);
  return PrintToPdf(program, output, twoColumn);
}
