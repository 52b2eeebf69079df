// The listings written to PDF, as `kesto --print[-two-column] FILE --to
// OUT.pdf` writes them, on CAM-sized programs with Japanese comments:
// seconds, pages per second and the peak memory the print adds to the
// process beyond the opened program (print_peak_MiB). BM_PrintFrameGap runs
// File ▸ Two-column print through the frame onto a PDF printer and reports
// the longest time the event loop went unserved (max_gap_ms), which bounds
// how long the frame waits to paint.
//
//   build/bench/kesto_bench --benchmark_filter=Print

#include <QCoreApplication>
#include <QPrinter>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <algorithm>

#include "FrameGaps.h"
#include "ProgramFiles.h"
#include "document/TextStore.h"
#include "editor/Form1.h"
#include "files/ProgramFile.h"
#include "frame/MDIForm1.h"
#include "platform/QtPrinter.h"
#include "print/Listing.h"
#include "testkit/ScriptedServices.h"

namespace {

// Prints `text` to a PDF at `path`; the number of pages, or -1 on failure.
int PrintPdf(const TextStore& text, const QString& path, bool twoColumn) {
  QPrinter device(QPrinter::HighResolution);
  device.setOutputFormat(QPrinter::PdfFormat);
  device.setOutputFileName(path);
  QtPrinter printer(device);
  const ListingLayout layout = twoColumn ? TwoColumnLayout(printer) : OneColumnLayout(printer);
  ListingPages pages(text, layout);
  while (!pages.AtEnd()) {
    if (!pages.PrintNextPage(printer)) return -1;
  }
  return printer.EndDoc() ? pages.PagesDone() : -1;
}

// Arguments: megabytes, two-column (1) or one-column (0).
void BM_PrintPdf(benchmark::State& state) {
  const bool twoColumn = state.range(1) == 1;
  TextStore text;
  if (!ReadProgramFile(ProgramFile(state.range(0), true), text)) {
    state.SkipWithError("cannot read the program");
    return;
  }
  QTemporaryDir dir;
  const QString pdf = dir.filePath(QStringLiteral("listing.pdf"));
  int pages = 0;
  double growth = 0;
  for (auto _ : state) {
    const double opened = CurrentRssMiB();
    ResetPeakRss();
    pages = PrintPdf(text, pdf, twoColumn);
    growth = std::max(growth, PeakRssMiB() - opened);
    if (pages < 0) state.SkipWithError("the PDF was not written");
  }
  state.SetBytesProcessed(state.iterations() * text.size());
  state.counters["pages"] = pages;
  state.counters["pages_per_s"] =
      benchmark::Counter(double(pages) * double(state.iterations()), benchmark::Counter::kIsRate);
  state.counters["print_peak_MiB"] = growth;
  state.counters["pdf_MiB"] = double(QFileInfo(pdf).size()) / (1 << 20);
}
BENCHMARK(BM_PrintPdf)
    ->ArgsProduct({{10, 100}, {0, 1}})
    ->ArgNames({"MB", "two_column"})
    ->Unit(benchmark::kSecond)
    ->UseRealTime()
    ->Iterations(1);

// Scripted services whose printer writes a PDF file.
class PdfServices : public ScriptedServices {
 public:
  explicit PdfServices(const QString& path) {
    device_.setOutputFormat(QPrinter::PdfFormat);
    device_.setOutputFileName(path);
  }
  std::unique_ptr<Printer> DefaultPrinter() override { return std::make_unique<QtPrinter>(device_); }

 private:
  QPrinter device_{QPrinter::HighResolution};
};

void BM_PrintFrameGap(benchmark::State& state) {
  QTemporaryDir dir;
  PdfServices services(dir.filePath(QStringLiteral("listing.pdf")));
  MDIForm1 frame(services);
  frame.show();
  services.openPaths.push_back(ProgramFile(state.range(0), true));
  frame.mnuFileOpen_Click();
  if (!frame.ActiveForm()) {
    state.SkipWithError("cannot open the program");
    return;
  }
  double maxGap = 0;
  for (auto _ : state) {
    maxGap = std::max(maxGap, MeasureFrameGaps([&] { frame.mnuPrint_Click(); }).longestMs);
  }
  if (services.messages.empty() || services.messages.back().prompt != QStringLiteral("印刷しました。"))
    state.SkipWithError("the print did not complete");
  state.counters["max_gap_ms"] = maxGap;
}
BENCHMARK(BM_PrintFrameGap)->ArgName("MB")->Arg(10)->Unit(benchmark::kSecond)->UseRealTime()->Iterations(1);

}  // namespace
