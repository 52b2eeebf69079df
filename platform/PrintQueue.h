#pragma once
// Handing a finished document to a print queue. A job is painted into a PDF
// file of its own first and given to the queue only once it is complete:
// Qt's printing system cannot abort a job, and ending a cancelled one would
// send the pages painted so far to the printer.

#include <QString>
#include <QStringList>

class QPrinter;

// How long the printing system's `lp` may take to take a job to its queue.
inline constexpr int kQueueSubmitMs = 60000;

// The queue's options for a job painted on `printer`: its paper, one- or
// two-sided, grey or colour (the orientation is in the pages themselves).
QStringList QueueOptions(const QPrinter& printer);

// Gives the PDF file `pdf` to the queue `queue` with `options` through the
// printing system's `lp` command; true once the queue has taken it. The
// caller may remove the file afterwards.
//
// The wait for `lp` turns the event loop, so that the frame goes on painting
// and answering keys while a slow printing system takes the job; whatever
// runs meanwhile must neither start another job nor remove `pdf`. An `lp`
// that has not ended after `submitMs` (after 5 s if it has not started) is
// killed, and the job counts as not printed.
bool SubmitToQueue(const QString& queue, const QString& pdf, const QStringList& options,
                   int submitMs = kQueueSubmitMs);
