#include "print/PrintToPdf.h"

#include <QByteArray>
#include <QPrinter>
#include <cstdio>
#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include "document/TextStore.h"
#include "files/FileReplace.h"
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

// Writes the listing into the file open as `fd`. QPrinter takes its file by
// a name in a QString, which cannot carry path bytes that are not UTF-8; the
// descriptor's name under /proc/self/fd is plain ASCII and opens the very
// file the descriptor holds, whatever its folder and name are.
bool WriteListing(const TextStore& text, int fd, bool twoColumn) {
  QPrinter device(QPrinter::HighResolution);
  device.setOutputFormat(QPrinter::PdfFormat);
  device.setOutputFileName(QStringLiteral("/proc/self/fd/%1").arg(fd));
  device.setDocName(QStringLiteral("KESTO"));
  QtPrinter printer(device);
  return printer.IsAvailable() && PrintListing(text, printer, twoColumn);
}

}  // namespace

int PrintToPdf(const QString& programPath, const QString& pdfPath, bool twoColumn) {
  TextStore text;
  if (!ReadProgramFile(programPath, text)) {
    Complain(QStringLiteral("%1: プログラムファイルを読めません。").arg(DisplayLocalPath(programPath)));
    return 1;
  }
  // The listing is written next to its place and takes it only when
  // complete; both are named by the path's bytes.
  const QByteArray target = EncodeLocalPath(pdfPath);
  QByteArray partial = target + ".XXXXXX";
  const int fd = mkostemp(partial.data(), O_CLOEXEC);
  if (fd < 0) {
    Complain(QStringLiteral("%1: 書き込めません。").arg(DisplayLocalPath(pdfPath)));
    return 1;
  }
  bool written = WriteListing(text, fd, twoColumn);
  // Given before it takes its place; a file that keeps the owner's only
  // permissions is still a whole listing.
  fchmod(fd, NewFileMode());
  written = ::close(fd) == 0 && written;
  if (!written || std::rename(partial.constData(), target.constData()) != 0) {
    ::unlink(partial.constData());
    Complain(QStringLiteral("%1: PDF を書けませんでした。").arg(DisplayLocalPath(pdfPath)));
    return 1;
  }
  return 0;
}
