#pragma once
// Printing a listing as a long operation (platform/LongOperation.h): the
// pages are laid out and printed one at a time while the frame paints and
// answers keys; a job that takes longer than half a second shows its
// progress, and its Cancel abandons it. Nothing half-made ever reaches the
// printer.

#include <QString>

class ListingPages;
class Printer;
class QWidget;

enum class PrintOutcome {
  kPrinted,    // every page printed and the document ended
  kFailed,     // the printer failed; the job was abandoned
  kCancelled,  // the user cancelled; the job was abandoned
  kAbandoned,  // the frame was closed meanwhile; the job was abandoned
};

// Prints every page of `pages` on `printer` and ends the document, or aborts
// it on failure, on Cancel or when `frame` (the progress box's parent) is
// closed or destroyed meanwhile.
PrintOutcome RunListingJob(QWidget* frame, Printer& printer, ListingPages& pages);

// The report of a job's outcome, shown after it ("印刷しました。" and its kin);
// empty for an abandoned job, whose frame shows no more boxes.
QString PrintReport(PrintOutcome outcome);
