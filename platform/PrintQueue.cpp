#include "platform/PrintQueue.h"

#include <QPageLayout>
#include <QPageSize>
#include <QPrinter>
#include <QProcess>

namespace {

// How long starting `lp` and its taking the job may last.
constexpr int kStartMs = 5000;
constexpr int kSubmitMs = 60000;

QString Sides(QPrinter::DuplexMode duplex) {
  switch (duplex) {
    case QPrinter::DuplexLongSide: return QStringLiteral("two-sided-long-edge");
    case QPrinter::DuplexShortSide: return QStringLiteral("two-sided-short-edge");
    default: return QStringLiteral("one-sided");
  }
}

}  // namespace

QStringList QueueOptions(const QPrinter& printer) {
  const QString colour = printer.colorMode() == QPrinter::Color ? QStringLiteral("color")
                                                                : QStringLiteral("monochrome");
  return {QStringLiteral("-o"), QStringLiteral("media=") + printer.pageLayout().pageSize().key(),
          QStringLiteral("-o"), QStringLiteral("sides=") + Sides(printer.duplex()),
          QStringLiteral("-o"), QStringLiteral("print-color-mode=") + colour};
}

bool SubmitToQueue(const QString& queue, const QString& pdf, const QStringList& options) {
  QStringList arguments{QStringLiteral("-d"), queue, QStringLiteral("-t"), QStringLiteral("KESTO")};
  arguments << options << QStringLiteral("--") << pdf;
  QProcess lp;
  lp.setProcessChannelMode(QProcess::ForwardedErrorChannel);
  lp.setStandardOutputFile(QProcess::nullDevice());
  lp.start(QStringLiteral("lp"), arguments);
  if (!lp.waitForStarted(kStartMs)) return false;
  lp.closeWriteChannel();
  if (!lp.waitForFinished(kSubmitMs)) {
    lp.kill();
    lp.waitForFinished();
    return false;
  }
  return lp.exitStatus() == QProcess::NormalExit && lp.exitCode() == 0;
}
