// File ▸ Open end to end on CAM-sized programs: read, decode, CR LF to ";",
// normalise, load into a new editor window and paint it the first time. The
// same file opened by vim gives a yardstick.

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdlib>
#include <memory>

#include "FrameGaps.h"
#include "ProgramFiles.h"
#include "control/RichTextBox.h"
#include "editor/Form1.h"
#include "frame/MDIForm1.h"
#include "testkit/ScriptedServices.h"

namespace {

void BM_OpenProgram(benchmark::State& state) {
  const qsizetype bytes = state.range(0) << 20;
  const QString path = ProgramFile(state.range(0));
  ScriptedServices services;
  MDIForm1 frame(services);
  frame.show();
  for (auto _ : state) {
    services.openPaths.push_back(path);
    frame.mnuFileOpen_Click();
    Form1* form = frame.LastForm();
    // The first paint of the new window.
    benchmark::DoNotOptimize(form->grab());
    state.PauseTiming();
    if (form->RichTextBox1->Text().isEmpty()) state.SkipWithError("nothing was opened");
    form->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    state.ResumeTiming();
  }
  state.SetBytesProcessed(state.iterations() * bytes);
  state.counters["max_rss_MiB"] = PeakRssMiB();
}
BENCHMARK(BM_OpenProgram)->Arg(10)->Arg(100)->Unit(benchmark::kMillisecond)->UseRealTime();

// vim reading the same file and quitting, for comparison.
void BM_VimOpen(benchmark::State& state) {
  const QByteArray command = VimOpenCommand(ProgramFile(state.range(0)));
  if (command.isEmpty()) {
    state.SkipWithError("vim is not installed");
    return;
  }
  for (auto _ : state) {
    if (std::system(command.constData()) != 0) state.SkipWithError("vim failed");
  }
}
BENCHMARK(BM_VimOpen)->Arg(10)->Arg(100)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

namespace {

// Files named on the command line or dropped together: `kesto p*.s` with
// state.range(0) small programs, from the hand-over until every window
// stands arranged and the frame has painted once.
void BM_OpenManyFiles(benchmark::State& state) {
  const int count = int(state.range(0));
  QTemporaryDir dir;
  QStringList paths;
  for (int i = 0; i < count; ++i) {
    const QString path = dir.filePath(QStringLiteral("p%1.s").arg(i, 3, 10, QLatin1Char('0')));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write("G01X10Y20\r\nG00Z5\r\nM30\r\n") < 0) {
      state.SkipWithError("cannot write the programs");
      return;
    }
    paths << path;
  }
  ScriptedServices services;
  for (auto _ : state) {
    state.PauseTiming();
    auto frame = std::make_unique<MDIForm1>(services);
    frame->show();
    QCoreApplication::processEvents();
    const int arrangements = frame->ArrangementCount();
    state.ResumeTiming();
    frame->OpenFromOutside(paths);
    while (frame->FormNumber < count) QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    benchmark::DoNotOptimize(frame->grab());
    state.PauseTiming();
    if (!services.messages.empty()) state.SkipWithError("a file was not opened");
    state.counters["arrangements"] = frame->ArrangementCount() - arrangements;
    // The frame's end deletes the windows without arranging after each.
    frame.reset();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    state.ResumeTiming();
  }
  state.counters["files"] = count;
}
BENCHMARK(BM_OpenManyFiles)->Arg(50)->Arg(100)->Arg(200)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

namespace {

// How long the frame goes without answering while File ▸ Open reads a large
// program: a timer that fires at every turn of the event loop notes the
// longest gap between turns from the click until the window stands (the
// window is made and arranged under the drawing lock, without turns: its
// share is the gap after the last turn).
void BM_OpenLongestGap(benchmark::State& state) {
  const QString path = ProgramFile(state.range(0));
  ScriptedServices services;
  MDIForm1 frame(services);
  frame.show();
  FrameGaps gaps;
  for (auto _ : state) {
    services.openPaths.push_back(path);
    gaps = MeasureFrameGaps([&] { frame.mnuFileOpen_Click(); });
    state.PauseTiming();
    Form1* form = frame.LastForm();
    if (!form || form->RichTextBox1->Text().isEmpty()) state.SkipWithError("nothing was opened");
    if (form) form->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    state.ResumeTiming();
  }
  state.counters["longest_gap_ms"] = gaps.longestMs;
  state.counters["window_ms"] = gaps.lastMs;
  state.counters["turns"] = gaps.turns;
}
BENCHMARK(BM_OpenLongestGap)->Arg(100)->Arg(1000)->Iterations(3)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
