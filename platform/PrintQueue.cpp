#include "platform/PrintQueue.h"

#include <QDeadlineTimer>
#include <QEventLoop>
#include <QPageLayout>
#include <QPageSize>
#include <QPrinter>
#include <QProcess>
#include <QTimer>

namespace {

// How long starting `lp` may last.
constexpr int kStartMs = 5000;
// What the wait's own event loop returns when `lp` or its bound ends it; the
// application quitting ends every event loop with 0 (or -1 once it has).
constexpr int kWaitOver = 1;

QString Sides(QPrinter::DuplexMode duplex) {
  switch (duplex) {
    case QPrinter::DuplexLongSide: return QStringLiteral("two-sided-long-edge");
    case QPrinter::DuplexShortSide: return QStringLiteral("two-sided-short-edge");
    default: return QStringLiteral("one-sided");
  }
}

// Starts `lp` with `arguments` and waits until it has ended or overstayed its
// bound (kStartMs to start, then `submitMs`), turning the event loop. Once
// the application quits, no event loop runs any more and no frame is left to
// answer: the rest of the wait blocks, within the same bound. Returns false
// when `lp` overstayed, after killing it.
bool RunWithinBound(QProcess& lp, const QStringList& arguments, int submitMs) {
  QEventLoop loop;
  QTimer bound;
  bound.setSingleShot(true);
  QDeadlineTimer deadline(kStartMs);
  bool overdue = false;
  QObject::connect(&lp, &QProcess::started, &bound, [&] {
    deadline.setRemainingTime(submitMs);
    bound.start(submitMs);
  });
  QObject::connect(&lp, &QProcess::finished, &loop, [&loop] { loop.exit(kWaitOver); });
  QObject::connect(&lp, &QProcess::errorOccurred, &loop, [&loop] { loop.exit(kWaitOver); });
  QObject::connect(&bound, &QTimer::timeout, &loop, [&] {
    overdue = true;
    loop.exit(kWaitOver);
  });
  bound.start(kStartMs);
  lp.start(QStringLiteral("lp"), arguments);
  while (lp.state() != QProcess::NotRunning && !overdue) {
    if (loop.exec() == kWaitOver) continue;
    const int left = int(qMax<qint64>(0, deadline.remainingTime()));
    const bool moved = lp.state() == QProcess::Starting ? lp.waitForStarted(left) : lp.waitForFinished(left);
    if (!moved && lp.state() != QProcess::NotRunning) overdue = true;
  }
  if (!overdue) return true;
  lp.kill();
  lp.waitForFinished();
  return false;
}

}  // namespace

QStringList QueueOptions(const QPrinter& printer) {
  const QString colour = printer.colorMode() == QPrinter::Color ? QStringLiteral("color")
                                                                : QStringLiteral("monochrome");
  return {QStringLiteral("-o"), QStringLiteral("media=") + printer.pageLayout().pageSize().key(),
          QStringLiteral("-o"), QStringLiteral("sides=") + Sides(printer.duplex()),
          QStringLiteral("-o"), QStringLiteral("print-color-mode=") + colour};
}

bool SubmitToQueue(const QString& queue, const QString& pdf, const QStringList& options, int submitMs) {
  QStringList arguments{QStringLiteral("-d"), queue, QStringLiteral("-t"), QStringLiteral("KESTO")};
  arguments << options << QStringLiteral("--") << pdf;
  QProcess lp;
  lp.setProcessChannelMode(QProcess::ForwardedErrorChannel);
  lp.setStandardInputFile(QProcess::nullDevice());
  lp.setStandardOutputFile(QProcess::nullDevice());
  if (!RunWithinBound(lp, arguments, submitMs)) return false;
  return lp.error() != QProcess::FailedToStart && lp.exitStatus() == QProcess::NormalExit &&
         lp.exitCode() == 0;
}
