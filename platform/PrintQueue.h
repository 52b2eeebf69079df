#pragma once
// Handing a finished document to a print queue. A job is painted into a PDF
// file of its own first and given to the queue only once it is complete:
// Qt's printing system cannot abort a job, and ending a cancelled one would
// send the pages painted so far to the printer.

#include <QString>
#include <QStringList>

class QPrinter;

// The queue's options for a job painted on `printer`: its paper, one- or
// two-sided, grey or colour (the orientation is in the pages themselves).
QStringList QueueOptions(const QPrinter& printer);

// Gives the PDF file `pdf` to the queue `queue` with `options` through the
// printing system's `lp` command; true once the queue has taken it. The
// caller may remove the file afterwards.
bool SubmitToQueue(const QString& queue, const QString& pdf, const QStringList& options);
