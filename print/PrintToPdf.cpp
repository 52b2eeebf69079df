#include "print/PrintToPdf.h"

#include <QFile>
#include <QPrinter>
#include <QTemporaryFile>
#include <cstdio>
#include <sys/stat.h>

#include "document/TextStore.h"
#include "files/ProgramFile.h"
#include "platform/LocalPath.h"
#include "platform/QtPrinter.h"
#include "print/Listing.h"

namespace {

void Complain(const QString& message) {
  std::fprintf(stderr, "kesto: %s\n", message.toUtf8().constData());
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
  chmod(EncodeLocalPath(path).constData(), 0666 & ~mask);
}

}  // namespace

int PrintToPdf(const QString& programPath, const QString& pdfPath, bool twoColumn) {
  TextStore text;
  if (!ReadProgramFile(programPath, text)) {
    Complain(QStringLiteral("%1: プログラムファイルを読めません。").arg(DisplayLocalPath(programPath)));
    return 1;
  }
  // The listing is written next to its place and takes it only when complete.
  QTemporaryFile partial(pdfPath + QStringLiteral(".XXXXXX"));
  if (!partial.open()) {
    Complain(QStringLiteral("%1: 書き込めません。").arg(DisplayLocalPath(pdfPath)));
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
                              EncodeLocalPath(pdfPath).constData()) != 0) {
    Complain(QStringLiteral("%1: PDF を書けませんでした。").arg(DisplayLocalPath(pdfPath)));
    return 1;
  }
  partial.setAutoRemove(false);
  SetUsualPermissions(pdfPath);
  return 0;
}
