#pragma once
// A print job on a printer, page by page, with the operations the printed
// listings need. Positions and sizes are in the printer's own units (points
// of the page's printable area, from its top-left corner); only their ratios
// matter to the listings.

#include <QString>

class Printer {
 public:
  virtual ~Printer() = default;

  // False when the printer cannot be used at all (no default printer).
  virtual bool IsAvailable() const = 0;

  virtual void SetFontName(const QString& name) = 0;
  virtual void SetFontSize(double points) = 0;
  // Page set-up, each given the value 1 of its enumeration: portrait,
  // monochrome, one-sided.
  virtual void SetOrientation(int value) = 0;
  virtual void SetColorMode(int value) = 0;
  virtual void SetDuplex(int value) = 0;

  // The printable area.
  virtual double ScaleWidth() const = 0;
  virtual double ScaleHeight() const = 0;
  // The printed width and the row height of one line of text (no line
  // breaks) in the current font: full-width characters are measured as the
  // font prints them, not counted.
  virtual double TextWidth(const QString& text) const = 0;
  virtual double TextHeight(const QString& text) const = 0;

  // Prints one line of text on the current page, its left edge at `x` and
  // its row's top at `y`. The first output starts the document. False on
  // failure.
  virtual bool PrintAt(double x, double y, const QString& text) = 0;
  // Ends the current page; what follows goes on a new sheet. False on failure.
  virtual bool NewPage() = 0;
  // Ends the document and hands it to the printer. False on failure.
  virtual bool EndDoc() = 0;
  // Abandons the job: nothing of it is sent to the printer.
  virtual void Abort() = 0;
};
