// The real frame with the desktop's own boxes and dialogs, whose default
// printer writes a PDF file instead of going to a print queue: File ▸ Print
// can then be driven on an X server that has no printer behind it.
//
// usage: kesto_print_frame PROGRAM OUT.pdf
// Opens PROGRAM in the frame; every print job writes OUT.pdf.

#include <QApplication>
#include <QPrinter>
#include <cstdio>
#include <memory>

#include "frame/MDIForm1.h"
#include "platform/Application.h"
#include "platform/QtPrinter.h"
#include "platform/QtServices.h"
#include "platform/WindowPlacement.h"

namespace {

// A QtPrinter that owns the QPrinter it paints on.
class PdfPrinter : public QtPrinter {
 public:
  explicit PdfPrinter(std::unique_ptr<QPrinter> device)
      : QtPrinter(*device), device_(std::move(device)) {}
  ~PdfPrinter() override { Abort(); }  // before the device goes

 private:
  std::unique_ptr<QPrinter> device_;
};

class PdfServices : public QtServices {
 public:
  explicit PdfServices(QString pdfPath) : pdfPath_(std::move(pdfPath)) {}

  std::unique_ptr<Printer> DefaultPrinter() override {
    auto device = std::make_unique<QPrinter>(QPrinter::HighResolution);
    device->setOutputFormat(QPrinter::PdfFormat);
    device->setOutputFileName(pdfPath_);
    return std::make_unique<PdfPrinter>(std::move(device));
  }

 private:
  QString pdfPath_;
};

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fputs("usage: kesto_print_frame PROGRAM OUT.pdf\n", stderr);
    return 2;
  }
  QApplication app(argc, argv);
  InitApplication(app);
  PdfServices services(QString::fromLocal8Bit(argv[2]));
  MDIForm1 frame(services);
  services.SetOwner(&frame);
  ShowPainted(frame);
  frame.OpenFromOutside({QString::fromLocal8Bit(argv[1])});
  return app.exec();
}
