// Edit ▸ undo and redo on a large program, each timed up to and including the
// first paint of the frame that shows the restored text.

#include <benchmark/benchmark.h>
#include <chrono>
#include <memory>

#include "NcProgram.h"
#include "control/RichTextBox.h"
#include "editor/Form1.h"
#include "frame/MDIForm1.h"
#include "testkit/ScriptedServices.h"

namespace {

template <typename Command>
double TimeWithPaint(MDIForm1& frame, Command command) {
  const auto start = std::chrono::steady_clock::now();
  command();
  frame.repaint();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Step 0: undo from the after-state; 1: redo from the before-state.
void BM_UndoRedo(benchmark::State& state) {
  const bool redo = state.range(1) == 1;
  ScriptedServices services;
  MDIForm1 frame(services);
  frame.show();
  frame.mnuNewProgram_Click();
  Form1* form = frame.LastForm();
  RichTextBox* box = form->RichTextBox1;

  // A completed change in the middle of the program: one line inserted.
  const QString before = MakeCanonicalNcProgram(state.range(0) << 20);
  const int32_t middle = static_cast<int32_t>(before.indexOf(u'\n', before.size() / 2)) + 1;
  QString after = before;
  after.insert(middle, QStringLiteral("G04 X1 ;\r\n"));
  box->SetText(after);
  box->SetSelStart(middle + 10);
  EditHistory history;
  history.RecordBefore(TextStore(before), middle);
  history.RecordAfter(TextStore(after), middle + 10);
  form->CopyHistoryFrom(history);
  frame.repaint();

  for (auto _ : state) {
    if (redo) {
      frame.mnuUndo_Click();
      state.SetIterationTime(TimeWithPaint(frame, [&] { frame.mnuRedo_Click(); }));
    } else {
      state.SetIterationTime(TimeWithPaint(frame, [&] { frame.mnuUndo_Click(); }));
      frame.mnuRedo_Click();
    }
  }
  if (box->Text().size() != after.size()) state.SkipWithError("redo did not restore the text");
}

}  // namespace

BENCHMARK(BM_UndoRedo)
    ->ArgNames({"MB", "redo"})
    ->Args({10, 0})->Args({10, 1})->Args({100, 0})->Args({100, 1})
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5);
