#pragma once
// A print job on a printer, with the operations the printed listings need.
// Positions and sizes are in the printer's own units (points of the page's
// printable area); only their ratios matter to the listings.

#include <QString>

class Printer {
 public:
  virtual ~Printer() = default;

  // False when the printer cannot be used at all (no default printer).
  virtual bool IsAvailable() const = 0;

  virtual void SetFontName(const QString& name) = 0;
  virtual void SetFontSize(double points) = 0;
  virtual void SetCurrentX(double x) = 0;
  virtual void SetCurrentY(double y) = 0;
  // Page set-up, each given the value 1 of its enumeration: portrait,
  // monochrome, one-sided.
  virtual void SetOrientation(int value) = 0;
  virtual void SetColorMode(int value) = 0;
  virtual void SetDuplex(int value) = 0;

  virtual double ScaleWidth() const = 0;
  virtual double ScaleHeight() const = 0;
  virtual double TextWidth(const QString& text) const = 0;
  virtual double TextHeight(const QString& text) const = 0;

  // Prints `text` followed by a line end; CR LF inside it starts new lines and a
  // line that does not fit on the page starts a new one. False on failure.
  virtual bool Print(const QString& text) = 0;
  // Ends the document and hands it to the printer. False on failure.
  virtual bool EndDoc() = 0;
};
