// Print and Two-column print: the window's program on the default printer,
// as a one-column or a two-column listing, followed by a report. The listing
// reads a copy of the text taken as the print begins, so the window may be
// read, typed into or closed while the job runs without changing what is
// printed; nothing of the window changes.

#include <QPointer>
#include <memory>

#include "control/RichTextBox.h"
#include "editor/Form1.h"
#include "platform/LongOperation.h"
#include "platform/Printer.h"
#include "platform/Services.h"
#include "print/Listing.h"
#include "print/PrintJob.h"

bool Form1::PrintListing(bool twoColumn) {
  Q_ASSERT(!LongOperation::Running());
  // The job turns the event loop: the window may be gone when it ends, the
  // services (the application's) are not.
  const QPointer<Form1> self(this);
  Services& services = services_;
  PrintOutcome outcome = PrintOutcome::kFailed;
  const std::unique_ptr<Printer> printer = services.DefaultPrinter();
  if (printer && printer->IsAvailable()) {
    const ListingLayout layout = twoColumn ? TwoColumnLayout(*printer) : OneColumnLayout(*printer);
    ListingPages pages(RichTextBox1->Snapshot(), layout);
    outcome = RunListingJob(window(), *printer, pages);
  }
  // A closed frame shows no more boxes.
  if (outcome == PrintOutcome::kAbandoned) return false;
  MsgBox(services, PrintReport(outcome), MsgBoxStyle::kInformation, MsgBoxTitle::kReport);
  return self != nullptr;
}
