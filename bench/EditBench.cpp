// One line edit on a large program, through the real key events and handlers:
// the letter that opens the edit (snapshot, insert, colouring), the Enter that
// commits it, and the key that confirms it.

#include <QCoreApplication>
#include <QKeyEvent>
#include <benchmark/benchmark.h>
#include <chrono>
#include <memory>

#include "NcProgram.h"
#include "control/RichTextBox.h"
#include "editor/Form1.h"
#include "frame/MDIForm1.h"
#include "testkit/ScriptedServices.h"

namespace {

const QString& Program(int megabytes) {
  static QString ten = MakeCanonicalNcProgram(10 << 20);
  static QString hundred;
  if (megabytes == 10) return ten;
  if (hundred.isEmpty()) hundred = MakeCanonicalNcProgram(100 << 20);
  return hundred;
}

double TimeKey(RichTextBox* box, Qt::Key key, const QString& text) {
  QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
  const auto start = std::chrono::steady_clock::now();
  QCoreApplication::sendEvent(box, &press);
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Step 0: the letter in browse mode; 1: the committing Enter; 2: the confirming key.
void BM_LineEditStep(benchmark::State& state) {
  const int megabytes = static_cast<int>(state.range(0));
  const int step = static_cast<int>(state.range(1));
  ScriptedServices services;
  MDIForm1 frame(services);
  frame.show();
  frame.mnuNewProgram_Click();
  Form1* form = frame.LastForm();
  RichTextBox* box = form->RichTextBox1;
  form->LoadProgram(form->Caption(), TextStore(Program(megabytes)));
  for (auto _ : state) {
    // The start of the last line (the text ends with a line break).
    box->SetSelStart(static_cast<int32_t>(box->Text().lastIndexOf(u'\n', -3)) + 1);
    double seconds[3];
    seconds[0] = TimeKey(box, Qt::Key_G, QStringLiteral("g"));
    seconds[1] = TimeKey(box, Qt::Key_Return, QStringLiteral("\r"));
    seconds[2] = TimeKey(box, Qt::Key_Q, QStringLiteral("q"));
    state.SetIterationTime(seconds[step]);
  }
}

}  // namespace

BENCHMARK(BM_LineEditStep)
    ->ArgNames({"MB", "step"})
    ->Args({10, 0})->Args({10, 1})->Args({10, 2})
    ->Args({100, 0})->Args({100, 1})->Args({100, 2})
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5);
