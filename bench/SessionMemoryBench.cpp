// A long session: open a 1 MB program, show it, close its window, a hundred
// times, through File ▸ Open with the path given directly (second argument
// 0) or typed into the real file dialog (1). Reports the resident memory at
// the start, after the first cycle and after the last, the resident growth
// per cycle after the first, and the growth of the heap in use (what malloc
// has handed out and not had back). Memory that the allocator keeps for reuse
// counts as resident but not as in use; a leak grows both.
//
//   QT_QPA_PLATFORM=xcb xvfb-run -a build/bench/kesto_bench --benchmark_filter=Session
// measures on a real X server, as a user's session runs.

#include <QApplication>
#include <QCoreApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QTimer>
#include <benchmark/benchmark.h>
#include <malloc.h>


#include "ProgramFiles.h"
#include "editor/Form1.h"
#include "frame/MDIForm1.h"
#include "platform/QtServices.h"
#include "testkit/ScriptedServices.h"

namespace {

double HeapInUseMiB() { return static_cast<double>(mallinfo2().uordblks) / (1 << 20); }

void Settle() {
  for (int i = 0; i < 3; ++i) {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
  }
}

// Types `path` into the file dialog that is about to open and accepts it.
void AnswerFileDialog(const QString& path) {
  QTimer::singleShot(50, [path] {
    auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
    if (!dialog) return;
    if (auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))) {
      name->setText(path);
    }
    static_cast<QDialog*>(dialog)->done(QDialog::Accepted);
  });
}

void BM_OpenCloseSession(benchmark::State& state) {
  const QString path = ProgramFile(1);
  if (path.isEmpty()) {
    state.SkipWithError("cannot write the program");
    return;
  }

  const int cycles = static_cast<int>(state.range(0));
  const bool realDialog = state.range(1) == 1;
  ScriptedServices direct;
  QtServices desktop;
  MDIForm1 frame(realDialog ? static_cast<Services&>(desktop) : direct);
  desktop.SetOwner(&frame);
  frame.show();
  Settle();

  double start = 0, first = 0, last = 0, heapFirst = 0, heapLast = 0;
  for (auto _ : state) {
    start = CurrentRssMiB();
    for (int i = 0; i < cycles; ++i) {
      if (realDialog) AnswerFileDialog(path);
      else direct.openPaths.push_back(path);
      frame.mnuFileOpen_Click();
      Form1* form = frame.LastForm();
      if (!form) {
        state.SkipWithError("nothing was opened");
        return;
      }
      benchmark::DoNotOptimize(form->grab());
      form->close();
      Settle();
      if (i == 0) {
        first = CurrentRssMiB();
        heapFirst = HeapInUseMiB();
      }
    }
    last = CurrentRssMiB();
    heapLast = HeapInUseMiB();
  }
  state.counters["rss_start_MiB"] = start;
  state.counters["rss_first_MiB"] = first;
  state.counters["rss_last_MiB"] = last;
  state.counters["growth_KiB_per_cycle"] = (last - first) * 1024 / (cycles - 1);
  state.counters["heap_growth_KiB_per_cycle"] = (heapLast - heapFirst) * 1024 / (cycles - 1);
}
BENCHMARK(BM_OpenCloseSession)
    ->Args({100, 0})
    ->Args({100, 1})
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);

}  // namespace
