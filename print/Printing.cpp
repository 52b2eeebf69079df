// File ▸ Print and File ▸ Two-column print: the active editor window's
// program on the default printer, as it stands or as a two-column listing
// in "ＭＳ ゴシック" 14 pt, followed by a report. Nothing of the window
// changes apart from receiving the focus at the end.

#include <QPointer>
#include <cmath>
#include <memory>

#include "editor/Form1.h"
#include "frame/MDIForm1.h"
#include "platform/Application.h"
#include "platform/Printer.h"
#include "platform/RichTextBox.h"
#include "platform/Services.h"
#include "print/TwoColumnListing.h"

namespace {

const QString kPrinted = QStringLiteral("印刷しました。");
const QString kNotPrinted = QStringLiteral("印刷できませんでした。");
constexpr double kListingFontSize = 14;

// Printer enumerations, value 1 of each.
constexpr int kPortrait = 1;
constexpr int kMonochrome = 1;
constexpr int kSimplex = 1;

// Prints `text` and ends the document; the report says whether the job was
// handed to the printer.
void PrintAndReport(Services& services, Printer* printer, const QString& text) {
  const bool printed =
      printer && printer->IsAvailable() && printer->Print(text) && printer->EndDoc();
  MsgBox(services, printed ? kPrinted : kNotPrinted, MsgBoxStyle::kInformation, MsgBoxTitle::kReport);
}

}  // namespace

void MDIForm1::mnuPrintNormal_Click() {
  const QPointer<Form1> form = ActiveForm();
  if (!form) return;
  const std::unique_ptr<Printer> printer = services().DefaultPrinter();
  PrintAndReport(services(), printer.get(), form->RichTextBox1->Text());
  if (form) form->SetFocus();
}

void MDIForm1::mnuPrint_Click() {
  const QPointer<Form1> form = ActiveForm();
  if (!form) return;
  const std::unique_ptr<Printer> printer = services().DefaultPrinter();
  QString listing;
  if (printer && printer->IsAvailable()) {
    printer->SetCurrentX(0);
    printer->SetCurrentY(0);
    printer->SetFontSize(kListingFontSize);
    printer->SetFontName(QString::fromUtf16(kProgramFontFamily));
    printer->SetOrientation(kPortrait);
    printer->SetColorMode(kMonochrome);
    printer->SetDuplex(kSimplex);

    // Rows of the font that fit down the page, and half the spaces that fit across it.
    const QString space = QStringLiteral(" ");
    const double rowHeight = printer->TextHeight(space);
    const double spaceWidth = printer->TextWidth(space);
    const int linesPerPage =
        rowHeight > 0 ? static_cast<int>(std::floor(printer->ScaleHeight() / rowHeight)) : 1;
    const int columnWidth =
        spaceWidth > 0 ? static_cast<int>(std::floor(printer->ScaleWidth() / spaceWidth / 2)) : 0;
    listing = TwoColumnListing(ProgramLines(form->RichTextBox1->Snapshot()), linesPerPage, columnWidth);
  }
  PrintAndReport(services(), printer.get(), listing);
  if (form) form->SetFocus();
}
