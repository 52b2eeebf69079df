// The pages of a job are printed one at a time as the steps of a long
// operation. The job never touches an editor window: its listing reads a copy
// of the window's text taken when the print began.

#include "print/PrintJob.h"

#include "platform/LongOperation.h"
#include "platform/Printer.h"
#include "print/Listing.h"

PrintOutcome RunListingJob(QWidget* frame, Printer& printer, ListingPages& pages) {
  LongOperation job(frame, QStringLiteral("印刷"), [&pages] {
    return QStringLiteral("印刷中… %1 ページ").arg(pages.PagesDone());
  });
  PrintOutcome outcome = PrintOutcome::kPrinted;
  while (!pages.AtEnd()) {
    if (!pages.PrintNextPage(printer)) {
      outcome = PrintOutcome::kFailed;
      break;
    }
    if (!job.Continue(pages.LinesDone(), pages.LineCount())) {
      outcome = job.Cancelled() ? PrintOutcome::kCancelled : PrintOutcome::kAbandoned;
      break;
    }
  }
  // Once the pages are done there is nothing left to cancel: the box goes
  // before the document is ended and handed to its queue.
  job.EndProgress();
  if (outcome != PrintOutcome::kPrinted) {
    printer.Abort();
  } else if (!printer.EndDoc()) {
    printer.Abort();
    outcome = PrintOutcome::kFailed;
  } else if (job.FrameClosed()) {
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
