// File ▸ Print and File ▸ Two-column print: the active editor window's
// program on the default printer, as a one-column or a two-column listing,
// followed by a report. The listing is laid out and printed page by page
// from a copy of the window's text on the user-interface thread, which
// between slices of pages lets the frame paint and answer keys. A print that
// takes longer than half a second shows a progress box over the frame, whose
// Cancel abandons the job. While a print runs the frame's controls are off,
// so that no command starts; the editor windows can still be read, and what
// is typed into them is not printed. Nothing of the window changes apart from
// receiving the focus at the end.

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QPointer>
#include <QProgressDialog>
#include <QScopedValueRollback>
#include <algorithm>
#include <memory>

#include "control/RichTextBox.h"
#include "editor/Form1.h"
#include "frame/FrameControls.h"
#include "frame/MDIForm1.h"
#include "platform/Printer.h"
#include "platform/Services.h"
#include "print/Listing.h"

namespace {

const QString kPrinted = QStringLiteral("印刷しました。");
const QString kNotPrinted = QStringLiteral("印刷できませんでした。");
const QString kCancelled = QStringLiteral("印刷を中止しました。");

// A print longer than this shows its progress.
constexpr qint64 kProgressAfterMs = 500;
// The longest stretch of printing between two turns of the event loop.
constexpr qint64 kSliceMs = 25;

// A print is running (its event-loop turns must not start another).
bool printing = false;

enum class Outcome { kPrinted, kFailed, kCancelled, kAbandoned };

QString ProgressText(const ListingPages& pages) {
  return QStringLiteral("印刷中… %1 ページ").arg(pages.PagesDone());
}

QProgressDialog* ShowProgress(MDIForm1& frame, const ListingPages& pages) {
  auto* box = new QProgressDialog(ProgressText(pages), QStringLiteral("中止"), 0,
                                  std::max(pages.LineCount(), 1), &frame);
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

// Prints every page of `pages`, turning the event loop at least every
// kSliceMs. A cancelled job and one whose frame was closed are abandoned.
Outcome RunListing(MDIForm1& frame, Printer& printer, ListingPages& pages) {
  QElapsedTimer clock;
  clock.start();
  qint64 lastTurn = 0;
  QPointer<QProgressDialog> box;
  const bool frameShown = frame.isVisible();
  Outcome outcome = Outcome::kPrinted;
  while (!pages.AtEnd()) {
    if (!pages.PrintNextPage(printer)) {
      outcome = Outcome::kFailed;
      break;
    }
    if (clock.elapsed() - lastTurn < kSliceMs) continue;
    if (!box && clock.elapsed() >= kProgressAfterMs) box = ShowProgress(frame, pages);
    if (box) {
      box->setLabelText(ProgressText(pages));
      box->setValue(pages.LinesDone());
    }
    QCoreApplication::processEvents();
    lastTurn = clock.elapsed();
    if (frameShown && !frame.isVisible()) {
      outcome = Outcome::kAbandoned;
      break;
    }
    if (box && box->wasCanceled()) {
      outcome = Outcome::kCancelled;
      break;
    }
  }
  if (outcome == Outcome::kPrinted && !printer.EndDoc()) outcome = Outcome::kFailed;
  if (outcome != Outcome::kPrinted) printer.Abort();
  delete box;
  return outcome;
}

void PrintListing(MDIForm1& frame, bool twoColumn) {
  if (printing) return;
  const QScopedValueRollback<bool> running(printing, true);
  const QPointer<Form1> form = frame.ActiveForm();
  if (!form) return;
  Outcome outcome = Outcome::kFailed;
  {
    frame.DisableFrameControls();
    EnableFrameControlsOnExit enable(frame);
    const std::unique_ptr<Printer> printer = frame.services().DefaultPrinter();
    if (printer && printer->IsAvailable()) {
      const ListingLayout layout = twoColumn ? TwoColumnLayout(*printer) : OneColumnLayout(*printer);
      ListingPages pages(form->RichTextBox1->Snapshot(), layout);
      outcome = RunListing(frame, *printer, pages);
    }
  }
  // A closed frame shows no more boxes.
  if (outcome == Outcome::kAbandoned) return;
  const QString report = outcome == Outcome::kPrinted     ? kPrinted
                         : outcome == Outcome::kCancelled ? kCancelled
                                                          : kNotPrinted;
  MsgBox(frame.services(), report, MsgBoxStyle::kInformation, MsgBoxTitle::kReport);
  if (form) form->SetFocus();
}

}  // namespace

void MDIForm1::mnuPrintNormal_Click() { PrintListing(*this, false); }

void MDIForm1::mnuPrint_Click() { PrintListing(*this, true); }
