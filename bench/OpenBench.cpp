// File ▸ Open end to end on CAM-sized programs: read, decode, CR LF to ";",
// normalise, load into a new editor window and paint it the first time. The
// same file opened by vim gives a yardstick.

#include <QCoreApplication>
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <memory>

#include "ProgramFiles.h"
#include "editor/Form1.h"
#include "frame/MDIForm1.h"
#include "platform/RichTextBox.h"
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
