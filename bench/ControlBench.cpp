// The program text control on a 100 MB program: replacing the text, finding a
// line, typing one character at the end, and painting the last screen.

#include <QImage>
#include <QPainter>
#include <QScrollBar>
#include <benchmark/benchmark.h>

#include "NcProgram.h"
#include "control/RichTextBox.h"

namespace {

const QString& BigProgram() {
  static const QString text = MakeCanonicalNcProgram(qsizetype{100} << 20);
  return text;
}

void BM_ControlSetText(benchmark::State& state) {
  const QString& text = BigProgram();
  RichTextBox box;
  box.SetText(text);
  state.counters["lines"] = box.model().lineCount();
  for (auto _ : state) {
    box.SetText(text);
    benchmark::DoNotOptimize(box.model().lineCount());
    state.PauseTiming();
    box.SetText(QString());  // the next round starts from an empty control
    state.ResumeTiming();
  }
}
BENCHMARK(BM_ControlSetText)->Unit(benchmark::kMillisecond);

void BM_ControlGetLineFromChar(benchmark::State& state) {
  RichTextBox box;
  box.SetText(BigProgram());
  const int32_t length = static_cast<int32_t>(box.Text().size());
  uint32_t seed = 1;
  for (auto _ : state) {
    seed = seed * 1664525u + 1013904223u;
    benchmark::DoNotOptimize(box.GetLineFromChar(static_cast<int32_t>(seed % length)));
  }
}
BENCHMARK(BM_ControlGetLineFromChar)->Unit(benchmark::kNanosecond);

void BM_ControlTypeAtEnd(benchmark::State& state) {
  RichTextBox box;
  box.resize(800, 600);
  box.SetText(BigProgram());
  box.SetSelStart(static_cast<int32_t>(box.Text().size()));
  box.SetSelColor(0xffff4040);
  for (auto _ : state) {
    box.SetSelText(QStringLiteral("X"));
    state.PauseTiming();
    // Take the character out again, so every round types into the same text.
    box.SetSelStart(box.SelStart() - 1);
    box.SetSelLength(1);
    box.SetSelText(QString());
    state.ResumeTiming();
  }
}
BENCHMARK(BM_ControlTypeAtEnd)->Unit(benchmark::kMicrosecond);

// The first character after the text was set: the text is still shared with
// the caller's copy, so this one pays for copying it.
void BM_ControlFirstTypeAfterSetText(benchmark::State& state) {
  RichTextBox box;
  box.resize(800, 600);
  for (auto _ : state) {
    state.PauseTiming();
    box.SetText(BigProgram());
    box.SetSelStart(static_cast<int32_t>(box.Text().size()));
    state.ResumeTiming();
    box.SetSelText(QStringLiteral("X"));
  }
}
BENCHMARK(BM_ControlFirstTypeAfterSetText)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_ControlPaintLastScreen(benchmark::State& state) {
  RichTextBox box;
  box.resize(800, 600);
  box.SetText(BigProgram());
  const int32_t length = static_cast<int32_t>(box.Text().size());
  box.SetSelStart(length - 200);
  box.SetSelLength(150);
  QImage image(box.viewport()->size(), QImage::Format_ARGB32_Premultiplied);
  for (auto _ : state) {
    box.viewport()->render(&image);
  }
  state.counters["firstLine"] = box.verticalScrollBar()->value();
}
BENCHMARK(BM_ControlPaintLastScreen)->Unit(benchmark::kMillisecond);

}  // namespace

namespace {

// A hostile file: 50 MB of program without a single line break.
const QString& OneLongLine() {
  static const QString text = QString(QStringLiteral("G01X10.Y-20.5F100")).repeated((50 << 20) / 17);
  return text;
}

// Putting the caret at the end of the line measures the whole line once.
void BM_ControlLongLineCaretToEnd(benchmark::State& state) {
  RichTextBox box;
  box.resize(800, 600);
  for (auto _ : state) {
    state.PauseTiming();
    box.SetText(OneLongLine());
    state.ResumeTiming();
    box.SetSelStart(static_cast<int32_t>(box.Text().size()));
  }
}
BENCHMARK(BM_ControlLongLineCaretToEnd)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_ControlLongLinePaintEnd(benchmark::State& state) {
  RichTextBox box;
  box.resize(800, 600);
  box.SetText(OneLongLine());
  box.SetSelStart(static_cast<int32_t>(box.Text().size()) - 300);
  box.SetSelLength(100);
  QImage image(box.viewport()->size(), QImage::Format_ARGB32_Premultiplied);
  for (auto _ : state) {
    box.viewport()->render(&image);
  }
}
BENCHMARK(BM_ControlLongLinePaintEnd)->Unit(benchmark::kMillisecond);

// Typing at the end of the long line: the measured totals up to the edit stay.
void BM_ControlLongLineTypeAtEnd(benchmark::State& state) {
  RichTextBox box;
  box.resize(800, 600);
  box.SetText(OneLongLine());
  box.SetSelStart(static_cast<int32_t>(box.Text().size()));
  QImage image(box.viewport()->size(), QImage::Format_ARGB32_Premultiplied);
  for (auto _ : state) {
    box.SetSelText(QStringLiteral("X"));
    box.viewport()->render(&image);
  }
}
BENCHMARK(BM_ControlLongLineTypeAtEnd)->Unit(benchmark::kMillisecond);

}  // namespace

namespace {

// Lines just short enough to be laid out whole.
void BM_ControlPaintWideLines(benchmark::State& state) {
  const QString line = QString(QStringLiteral("G01X10.Y-20.5F100")).repeated(4000 / 17) + "\r\n";
  RichTextBox box;
  box.resize(800, 600);
  box.SetText(line.repeated(200));
  QImage image(box.viewport()->size(), QImage::Format_ARGB32_Premultiplied);
  for (auto _ : state) {
    box.viewport()->render(&image);
  }
}
BENCHMARK(BM_ControlPaintWideLines)->Unit(benchmark::kMillisecond);

}  // namespace
