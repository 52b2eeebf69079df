#include "platform/QtPrinter.h"

#include <QFontMetricsF>
#include <QPageLayout>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>

namespace {

const QString kLineEnd = QStringLiteral("\r\n");

}  // namespace

QtPrinter::QtPrinter() {
  // Without a printing system the default printer is a null one; nothing
  // then waits for a printer that does not exist.
  const QPrinterInfo info = QPrinterInfo::defaultPrinter();
  if (info.isNull()) return;
  owned_ = std::make_unique<QPrinter>(info, QPrinter::HighResolution);
  owned_->setDocName(QStringLiteral("KESTO"));
  printer_ = owned_.get();
}

QtPrinter::QtPrinter(QPrinter& printer) : printer_(&printer) {}

QtPrinter::~QtPrinter() {
  if (painter_ && painter_->isActive()) {
    printer_->abort();
    painter_->end();
  }
}

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

double QtPrinter::TextWidth(const QString& text) const {
  if (!printer_) return 0;
  const QFontMetricsF metrics(font_, printer_);
  double widest = 0;
  for (const QString& line : text.split(kLineEnd))
    widest = std::max(widest, metrics.horizontalAdvance(line));
  return widest / Scale();
}

double QtPrinter::TextHeight(const QString& text) const {
  if (!printer_) return 0;
  const QFontMetricsF metrics(font_, printer_);
  return (text.count(kLineEnd) + 1) * metrics.height() / Scale();
}

bool QtPrinter::Begin() {
  if (painter_ && painter_->isActive()) return true;
  if (!printer_ || failed_) return false;
  painter_ = std::make_unique<QPainter>();
  if (!painter_->begin(printer_)) {
    failed_ = true;
    return false;
  }
  painter_->setFont(font_);
  painter_->setPen(Qt::black);
  return true;
}

bool QtPrinter::Print(const QString& text) {
  if (!Begin()) return false;
  const QFontMetricsF metrics(font_, printer_);
  const double scale = Scale();
  const double lineHeight = metrics.height() / scale;
  const double ascent = metrics.ascent() / scale;
  const double pageHeight = ScaleHeight();
  // Tolerance for the rounding of summed line heights: a page measured to
  // hold n lines must take all n of them.
  const double slack = lineHeight * 1e-6;

  for (const QString& line : text.split(kLineEnd)) {
    if (y_ > 0 && y_ + lineHeight > pageHeight + slack) {
      // The line goes to the top of a new page. The sheet itself is started
      // only when something is drawn on it, so that empty lines at the end of
      // a job do not give an empty sheet.
      pageWanted_ = true;
      y_ = 0;
    }
    if (!line.isEmpty()) {
      if (pageWanted_ && !printer_->newPage()) {
        failed_ = true;
        return false;
      }
      pageWanted_ = false;
      painter_->drawText(QPointF(x_ * scale, (y_ + ascent) * scale), line);
    }
    x_ = 0;
    y_ += lineHeight;
  }
  return printer_->printerState() != QPrinter::Error;
}

bool QtPrinter::EndDoc() {
  if (!Begin()) return false;
  const bool ended = painter_->end();
  x_ = 0;
  y_ = 0;
  pageWanted_ = false;
  return ended && printer_->printerState() != QPrinter::Error;
}
