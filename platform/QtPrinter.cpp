#include "platform/QtPrinter.h"

#include <QDir>
#include <QFile>
#include <QFontMetricsF>
#include <QGlyphRun>
#include <QPageLayout>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>
#include <QTemporaryFile>

#include "platform/PrintQueue.h"

QtPrinter::QtPrinter() {
  // Without a printing system the default printer is a null one; nothing
  // then waits for a printer that does not exist.
  const QPrinterInfo info = QPrinterInfo::defaultPrinter();
  if (info.isNull()) return;
  const QPageLayout layout = QPrinter(info, QPrinter::HighResolution).pageLayout();
  SpoolFor(info.printerName(), layout);
}

QtPrinter::QtPrinter(const QString& queue, const QPageLayout& layout) { SpoolFor(queue, layout); }

void QtPrinter::SpoolFor(const QString& queue, const QPageLayout& layout) {
  queue_ = queue;
  spool_ = std::make_unique<QTemporaryFile>(QDir::tempPath() + QStringLiteral("/kesto-print-XXXXXX.pdf"));
  if (!spool_->open()) {
    spool_.reset();
    return;  // no printer: the job fails at once
  }
  owned_ = std::make_unique<QPrinter>(QPrinter::HighResolution);
  owned_->setOutputFormat(QPrinter::PdfFormat);
  owned_->setOutputFileName(spool_->fileName());
  owned_->setPageLayout(layout);
  owned_->setDocName(QStringLiteral("KESTO"));
  printer_ = owned_.get();
}

QtPrinter::QtPrinter(QPrinter& printer) : printer_(&printer) {}

QtPrinter::~QtPrinter() { Abort(); }

bool QtPrinter::IsAvailable() const { return printer_ && printer_->isValid() && !failed_; }

void QtPrinter::SetFontName(const QString& name) {
  font_.setFamily(name);
  ApplyFont();
}

void QtPrinter::SetFontSize(double points) {
  if (points > 0) font_.setPointSizeF(points);
  ApplyFont();
}

void QtPrinter::ApplyFont() {
  // Glyphs collected in the old font are painted in it.
  FlushGlyphs();
  rawFont_ = QRawFont();
  latin1_.fill(Glyph());
  glyphs_.clear();
  ascent_ = -1;
  if (painter_ && painter_->isActive()) painter_->setFont(font_);
}

void QtPrinter::SetOrientation(int value) {
  if (!printer_) return;
  printer_->setPageOrientation(value == 2 ? QPageLayout::Landscape : QPageLayout::Portrait);
}

void QtPrinter::SetColorMode(int value) {
  if (!printer_) return;
  printer_->setColorMode(value == 2 ? QPrinter::Color : QPrinter::GrayScale);
}

void QtPrinter::SetDuplex(int value) {
  if (!printer_) return;
  switch (value) {
    case 2:
      printer_->setDuplex(QPrinter::DuplexLongSide);
      break;
    case 3:
      printer_->setDuplex(QPrinter::DuplexShortSide);
      break;
    default:
      printer_->setDuplex(QPrinter::DuplexNone);
      break;
  }
}

double QtPrinter::Scale() const { return printer_ ? printer_->resolution() / 72.0 : 1.0; }

double QtPrinter::ScaleWidth() const {
  return printer_ ? printer_->pageLayout().paintRect(QPageLayout::Point).width() : 0;
}

double QtPrinter::ScaleHeight() const {
  return printer_ ? printer_->pageLayout().paintRect(QPageLayout::Point).height() : 0;
}

const QtPrinter::Glyph& QtPrinter::GlyphOf(char16_t ch) const {
  if (ch < latin1_.size()) {
    Glyph& glyph = latin1_[ch];
    if (!glyph.known) glyph = LookUp(ch);
    return glyph;
  }
  const auto found = glyphs_.constFind(ch);
  if (found != glyphs_.cend()) return *found;
  return *glyphs_.insert(ch, LookUp(ch));
}

QtPrinter::Glyph QtPrinter::LookUp(char16_t ch) const {
  if (!rawFont_.isValid()) rawFont_ = QRawFont::fromFont(QFont(font_, printer_));
  Glyph glyph;
  glyph.known = true;
  // A surrogate is no character of its own: such text is painted as text.
  if (!QChar::isSurrogate(ch) && rawFont_.isValid()) {
    const QList<quint32> indexes = rawFont_.glyphIndexesForString(QString(QChar(ch)));
    if (indexes.size() == 1 && indexes[0] != 0) {
      glyph.index = indexes[0];
      glyph.advance = rawFont_.advancesForGlyphIndexes(indexes).value(0).x();
    }
  }
  return glyph;
}

bool QtPrinter::HasAllGlyphs(const QString& text) const {
  for (const QChar ch : text) {
    if (GlyphOf(ch.unicode()).index == 0) return false;
  }
  return true;
}

double QtPrinter::TextWidth(const QString& text) const {
  if (!printer_) return 0;
  if (HasAllGlyphs(text)) {
    double width = 0;
    for (const QChar ch : text) width += GlyphOf(ch.unicode()).advance;
    return width / Scale();
  }
  return QFontMetricsF(font_, printer_).horizontalAdvance(text) / Scale();
}

double QtPrinter::TextHeight(const QString&) const {
  if (!printer_) return 0;
  return QFontMetricsF(font_, printer_).height() / Scale();
}

bool QtPrinter::Begin() {
  if (painter_ && painter_->isActive()) return true;
  // A queue's job is over once its file has gone (to the queue or away).
  if (!printer_ || failed_ || (owned_ && !spool_)) return false;
  painter_ = std::make_unique<QPainter>();
  if (!painter_->begin(printer_)) {
    failed_ = true;
    return false;
  }
  painter_->setFont(font_);
  painter_->setPen(Qt::black);
  return true;
}

bool QtPrinter::PrintAt(double x, double y, const QString& text) {
  if (!Begin()) return false;
  const double scale = Scale();
  if (ascent_ < 0) ascent_ = QFontMetricsF(font_, printer_).ascent();
  const double baseline = (y * scale) + ascent_;
  if (!HasAllGlyphs(text)) {
    painter_->drawText(QPointF(x * scale, baseline), text);
  } else {
    double pen = x * scale;
    for (const QChar ch : text) {
      const Glyph& glyph = GlyphOf(ch.unicode());
      if (ch != u' ') {
        pageGlyphs_.append(glyph.index);
        pagePositions_.append(QPointF(pen, baseline));
      }
      pen += glyph.advance;
    }
  }
  return printer_->printerState() != QPrinter::Error;
}

void QtPrinter::FlushGlyphs() {
  if (pageGlyphs_.isEmpty()) return;
  if (painter_ && painter_->isActive() && rawFont_.isValid()) {
    QGlyphRun run;
    run.setRawFont(rawFont_);
    run.setGlyphIndexes(pageGlyphs_);
    run.setPositions(pagePositions_);
    painter_->drawGlyphRun(QPointF(0, 0), run);
  }
  pageGlyphs_.clear();
  pagePositions_.clear();
}

bool QtPrinter::NewPage() {
  if (!Begin()) return false;
  FlushGlyphs();
  if (!printer_->newPage()) {
    failed_ = true;
    return false;
  }
  return true;
}

bool QtPrinter::EndDoc() {
  if (!Begin()) return false;
  FlushGlyphs();
  const bool ended = painter_->end() && printer_->printerState() != QPrinter::Error;
  if (!spool_) return ended;
  // Handing the job over turns the event loop. The job is over before that,
  // and nothing of this object is used after it: what runs meanwhile can
  // neither paint into the file the queue is reading nor remove it.
  const std::unique_ptr<QTemporaryFile> spool = std::move(spool_);
  if (!ended) return false;
  const QString queue = queue_;
  return SubmitToQueue(queue, spool->fileName(), QueueOptions(*printer_));
}

void QtPrinter::Abort() {
  pageGlyphs_.clear();
  pagePositions_.clear();
  if (!painter_ || !painter_->isActive()) return;
  // Qt's PDF engine cannot abort: ending it writes the pages painted so far
  // as a whole document. A cancelled job leaves no such file behind.
  printer_->abort();
  painter_->end();
  if (spool_) {
    spool_.reset();
  } else if (printer_->outputFormat() == QPrinter::PdfFormat && !printer_->outputFileName().isEmpty()) {
    QFile::remove(printer_->outputFileName());
  }
}
