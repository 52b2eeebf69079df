// The pages of a job are printed in slices of at most kSliceMs, each followed
// by one turn of the event loop. The job never touches an editor window: its
// listing reads a copy of the window's text taken when the print began.

#include "print/PrintJob.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QPointer>
#include <QProgressDialog>
#include <QScopedValueRollback>
#include <QWidget>
#include <algorithm>

#include "platform/Printer.h"
#include "print/Listing.h"

namespace {

// A job longer than this shows its progress.
constexpr qint64 kProgressAfterMs = 500;
// The longest stretch of printing between two turns of the event loop.
constexpr qint64 kSliceMs = 25;

bool running = false;

QString ProgressText(const ListingPages& pages) {
  return QStringLiteral("印刷中… %1 ページ").arg(pages.PagesDone());
}

QProgressDialog* ShowProgress(QWidget* frame, const ListingPages& pages) {
  auto* box = new QProgressDialog(ProgressText(pages), QStringLiteral("中止"), 0,
                                  std::max(pages.LineCount(), 1), frame);
  box->setWindowTitle(QStringLiteral("印刷"));
  // Not modal: the frame goes on answering keys while the box shows.
  box->setWindowModality(Qt::NonModal);
  box->setAutoReset(false);
  box->setAutoClose(false);
  box->setMinimumDuration(0);
  box->setValue(pages.LinesDone());
  box->show();
  return box;
}

}  // namespace

bool ListingJobRunning() { return running; }

PrintOutcome RunListingJob(QWidget* frame, Printer& printer, ListingPages& pages) {
  Q_ASSERT(!running);
  const QScopedValueRollback<bool> job(running, true);
  const QPointer<QWidget> watched = frame;
  const bool frameShown = frame && frame->isVisible();
  const auto frameClosed = [&] { return frameShown && (!watched || !watched->isVisible()); };
  QElapsedTimer clock;
  clock.start();
  qint64 lastTurn = 0;
  QPointer<QProgressDialog> box;
  PrintOutcome outcome = PrintOutcome::kPrinted;
  while (!pages.AtEnd()) {
    if (!pages.PrintNextPage(printer)) {
      outcome = PrintOutcome::kFailed;
      break;
    }
    if (clock.elapsed() - lastTurn < kSliceMs) continue;
    if (!box && clock.elapsed() >= kProgressAfterMs) box = ShowProgress(watched, pages);
    if (box) {
      box->setLabelText(ProgressText(pages));
      box->setValue(pages.LinesDone());
    }
    QCoreApplication::processEvents();
    lastTurn = clock.elapsed();
    if (frameClosed()) {
      outcome = PrintOutcome::kAbandoned;
      break;
    }
    if (box && box->wasCanceled()) {
      outcome = PrintOutcome::kCancelled;
      break;
    }
  }
  // Once the pages are done there is nothing left to cancel: the box goes
  // before the document is ended and handed to its queue.
  delete box;
  if (outcome != PrintOutcome::kPrinted) {
    printer.Abort();
  } else if (!printer.EndDoc()) {
    printer.Abort();
    outcome = PrintOutcome::kFailed;
  } else if (frameClosed()) {
    // Handing the job over turns the event loop too: a frame closed
    // meanwhile shows no report, though its job has gone to the queue.
    outcome = PrintOutcome::kAbandoned;
  }
  return outcome;
}

QString PrintReport(PrintOutcome outcome) {
  switch (outcome) {
    case PrintOutcome::kPrinted: return QStringLiteral("印刷しました。");
    case PrintOutcome::kCancelled: return QStringLiteral("印刷を中止しました。");
    case PrintOutcome::kFailed: return QStringLiteral("印刷できませんでした。");
    case PrintOutcome::kAbandoned: break;
  }
  return QString();
}
