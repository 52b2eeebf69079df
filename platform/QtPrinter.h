#pragma once
// The production printer: a print job painted with QPainter on a QPrinter,
// normally the system's default printer. Positions and sizes are in points
// of the page's printable area, measured from its top-left corner.

#include <QFont>
#include <memory>

#include "platform/Printer.h"

class QPainter;
class QPrinter;

class QtPrinter : public Printer {
 public:
  // A job on the system's default printer; without one the printer is not
  // available and every job fails at once.
  QtPrinter();
  // A job on `printer` (for example one writing a PDF file), which must
  // outlive this object.
  explicit QtPrinter(QPrinter& printer);
  // A job that was not ended is abandoned.
  ~QtPrinter() override;
  QtPrinter(const QtPrinter&) = delete;
  QtPrinter& operator=(const QtPrinter&) = delete;

  bool IsAvailable() const override;

  void SetFontName(const QString& name) override;
  void SetFontSize(double points) override;
  void SetCurrentX(double x) override { x_ = x; }
  void SetCurrentY(double y) override { y_ = y; }
  double CurrentX() const { return x_; }
  // 1 portrait, 2 landscape.
  void SetOrientation(int value) override;
  // 1 grayscale, 2 colour.
  void SetColorMode(int value) override;
  // 1 one-sided, 2 two-sided along the long edge, 3 along the short edge.
  void SetDuplex(int value) override;

  double ScaleWidth() const override;
  double ScaleHeight() const override;
  double TextWidth(const QString& text) const override;
  double TextHeight(const QString& text) const override;

  bool Print(const QString& text) override;
  bool EndDoc() override;

 private:
  // Starts the document on the first output; false when the printer refuses.
  bool Begin();
  // Device pixels per point.
  double Scale() const;
  void ApplyFont();

  std::unique_ptr<QPrinter> owned_;
  QPrinter* printer_ = nullptr;
  std::unique_ptr<QPainter> painter_;
  QFont font_;
  double x_ = 0;
  double y_ = 0;
  bool pageWanted_ = false;  // the next drawing starts a new sheet
  bool failed_ = false;
};
