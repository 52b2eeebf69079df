#pragma once
// The production printer: a print job painted with QPainter on a QPrinter,
// normally the system's default printer. Positions and sizes are in points
// of the page's printable area, measured from its top-left corner.
//
// Listings print millions of short lines, so a page's text is collected as
// glyphs of the font (looked up once per character) and painted as one glyph
// run when the page ends; a line holding a character the font lacks is
// painted as text, through the font's fallbacks. Widths are measured the way
// the line is painted.

#include <QFont>
#include <QHash>
#include <QList>
#include <QPointF>
#include <QRawFont>
#include <array>
#include <memory>

#include "platform/Printer.h"

class QPageLayout;
class QPainter;
class QPrinter;
class QTemporaryFile;

class QtPrinter : public Printer {
 public:
  // A job on the system's default printer; without one the printer is not
  // available and every job fails at once.
  QtPrinter();
  // A job for the print queue `queue` on pages of `layout`: painted into a
  // PDF file of its own and handed to the queue when it ends (PrintQueue.h);
  // an abandoned job leaves nothing.
  QtPrinter(const QString& queue, const QPageLayout& layout);
  // A job on `printer` (for example one writing a PDF file), which must
  // outlive this object. An abandoned job removes the PDF file it was
  // writing.
  explicit QtPrinter(QPrinter& printer);
  // A job that was not ended is abandoned.
  ~QtPrinter() override;
  QtPrinter(const QtPrinter&) = delete;
  QtPrinter& operator=(const QtPrinter&) = delete;

  bool IsAvailable() const override;

  void SetFontName(const QString& name) override;
  void SetFontSize(double points) override;
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

  bool PrintAt(double x, double y, const QString& text) override;
  bool NewPage() override;
  // For a queue's job this waits for the queue to take it, turning the event
  // loop meanwhile (PrintQueue.h); the job is over by then, and this object
  // may even be destroyed before the wait ends.
  bool EndDoc() override;
  void Abort() override;

 private:
  // A character's glyph in the font and its advance in device pixels; glyph
  // 0 when the font has none.
  struct Glyph {
    quint32 index = 0;
    double advance = 0;
    bool known = false;  // looked up
  };
  // Makes the job paint into a PDF file of its own for `queue`.
  void SpoolFor(const QString& queue, const QPageLayout& layout);
  // Starts the document on the first output; false when the printer refuses.
  bool Begin();
  // Device pixels per point.
  double Scale() const;
  void ApplyFont();
  const Glyph& GlyphOf(char16_t ch) const;
  Glyph LookUp(char16_t ch) const;
  // Whether every character of `text` has a glyph of the font of its own.
  bool HasAllGlyphs(const QString& text) const;
  // Paints the glyphs collected for the page.
  void FlushGlyphs();

  // The job's own PDF file and the queue it goes to, for a queue's job.
  std::unique_ptr<QTemporaryFile> spool_;
  QString queue_;
  std::unique_ptr<QPrinter> owned_;
  QPrinter* printer_ = nullptr;
  std::unique_ptr<QPainter> painter_;
  QFont font_;
  mutable QRawFont rawFont_;  // font_ at the device's resolution, made when first needed
  mutable std::array<Glyph, 256> latin1_;  // the glyphs of U+0000..U+00FF
  mutable QHash<char16_t, Glyph> glyphs_;    // of the other characters
  double ascent_ = -1;  // of font_ in device pixels; < 0 until measured
  QList<quint32> pageGlyphs_;
  QList<QPointF> pagePositions_;
  bool failed_ = false;
};
