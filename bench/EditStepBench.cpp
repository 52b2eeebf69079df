// The editor's steps end to end on CAM-sized programs (10, 100 and 1,000 MB
// with Japanese comments), at the first, the middle and the last line: each
// step is the user's real key event, mouse release or menu command, and its
// time runs until the events it caused are processed and the frame is
// painted. The program is opened through File ▸ Open, as a user gets it;
// set-up and clean-up (finishing the edit, undoing it) are outside the
// timing. Open, Save and vim reading the same file run in the same family.
//
//   kesto_bench --benchmark_filter=EditStep/MB:100/
//
// The reported time is the mean of the iterations; best_ms and worst_ms give
// their spread. BM_EditMemory reports the peak memory per character of the
// text after opening and after 1,000 line edits; run one size per process
// (freed memory stays with the allocator).

#include <QCoreApplication>
#include <QFile>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPushButton>
#include <QTimer>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdlib>
#include <memory>
#include <string_view>

#include "ProgramFiles.h"
#include "control/RichTextBox.h"
#include "editor/Form1.h"
#include "editor/ModeTexts.h"
#include "frame/MDIForm1.h"
#include "testkit/ScriptedServices.h"

namespace {

// One frame with the program opened in it, kept for the cases of one size.
struct Session {
  Session(qsizetype megabytes, const QString& path) : megabytes(megabytes), path(path) {
    frame.show();
  }
  RichTextBox& box() const { return *form->RichTextBox1; }
  // Line feeds in the text: the number of the empty line behind the last one.
  int32_t lineFeeds() const { return box().GetLineFromChar(box().Length()); }
  int32_t lineStart(int32_t line) const { return box().Line(line + 1).StartPos - 1; }
  int32_t lineEnd(int32_t line) const { return box().Line(line + 1).EndPos - 2; }  // before CR

  qsizetype megabytes;
  QString path;
  ScriptedServices services;
  MDIForm1 frame{services};
  Form1* form = nullptr;
  int32_t length = 0;  // of the text as opened
  int32_t line = 0;    // the line the case works at
};

void Settle(Session& s) {
  QCoreApplication::processEvents();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  s.frame.repaint();
}

void Key(Session& s, Qt::Key key, const QString& text) {
  QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
  QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
  QCoreApplication::sendEvent(&s.box(), &press);
  QCoreApplication::sendEvent(&s.box(), &release);
}

// A left-button event at `at` in the text's viewport; the button is held
// except after the release.
void Mouse(Session& s, QEvent::Type type, QPointF at = QPointF(20, 5)) {
  QWidget* viewport = s.box().viewport();
  QMouseEvent event(type, at, viewport->mapToGlobal(at), Qt::LeftButton,
                    type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton,
                    Qt::NoModifier);
  QCoreApplication::sendEvent(viewport, &event);
}

void Menu(Session& s, const char* item) { s.frame.MenuItem(item)->trigger(); }

void Open(Session& s) {
  s.services.openPaths.push_back(s.path);
  Menu(s, "mnuFileOpen");
  s.form = s.frame.LastForm();
}

// The 1,000 lines from s.line on (ending at the last line), selected as a
// drag leaves them: from inside the first line into the last, then released.
constexpr int32_t kRangeLines = 1000;
void DragLines(Session& s) {
  const int32_t first = std::min(s.line, s.lineFeeds() - kRangeLines);
  s.box().SetSelStart(s.lineStart(first) + 1);
  s.box().SetSelLength(s.lineStart(first + kRangeLines - 1) + 1 - s.box().SelStart());
}

void CaretInLine(Session& s) { s.box().SetSelStart(s.lineStart(s.line) + 4); }
void Type(Session& s) { Key(s, Qt::Key_G, QStringLiteral("g")); }
void Commit(Session& s) { Key(s, Qt::Key_Return, QStringLiteral("\r")); }
void Confirm(Session& s) { Key(s, Qt::Key_Q, QStringLiteral("q")); }
void LineEdit(Session& s) {
  CaretInLine(s);
  Type(s);
  Commit(s);
  Confirm(s);
}
void ClearSelection(Session& s) {
  Mouse(s, QEvent::MouseButtonPress);
  Mouse(s, QEvent::MouseButtonRelease);
}

// Back to browse mode with the text as opened: the open edit finished,
// the selection cleared, a completed change undone, extra windows closed.
void Restore(Session& s) {
  for (Form1* form : s.frame.Forms()) {
    if (form != s.form) form->close();
  }
  if (s.form->EditFlag == 1) Commit(s);
  if (s.form->EditDoneFlag == 1) Confirm(s);
  if (s.box().SelLength() != 0) ClearSelection(s);
  if (s.form->EditingStartedFlag == 1 && s.form->RedoUndoFlag == 0) Menu(s, "mnuUndo");
  Settle(s);
}

struct Step {
  const char* name;
  bool perLine;                    // else run once, at the first line
  void (*prepare)(Session&);       // untimed
  void (*act)(Session&);           // timed, with the events and the paint
  bool (*done)(const Session&);    // whether the step did what it should
};

const Step kSteps[] = {
    {"open", false, [](Session& s) { s.form->close(); },
     [](Session& s) { Open(s); },
     [](const Session& s) { return s.box().Length() == s.length; }},
    {"first key", true, CaretInLine, Type,
     [](const Session& s) { return s.form->EditFlag == 1; }},
    {"second key", true, [](Session& s) { CaretInLine(s), Type(s); },
     [](Session& s) { Key(s, Qt::Key_X, QStringLiteral("x")); },
     [](const Session& s) { return s.box().Length() == s.length + 2; }},
    {"commit (Enter)", true, [](Session& s) { CaretInLine(s), Type(s); }, Commit,
     [](const Session& s) { return s.form->EditDoneFlag == 1; }},
    {"confirm", true, [](Session& s) { CaretInLine(s), Type(s), Commit(s); }, Confirm,
     [](const Session& s) { return s.form->EditDoneFlag == 0 && s.form->EditingStartedFlag == 1; }},
    // At the second line's start for the first line: the first has no line above.
    {"Backspace joining lines", true,
     [](Session& s) { s.box().SetSelStart(s.lineStart(std::max(s.line, 1))); },
     [](Session& s) { Key(s, Qt::Key_Backspace, QString()); },
     [](const Session& s) { return s.box().Length() == s.length - 2; }},
    // At the line before the last one for the last: the last has no line below.
    {"Delete joining lines", true,
     [](Session& s) { s.box().SetSelStart(s.lineEnd(std::min(s.line, s.lineFeeds() - 2))); },
     [](Session& s) { Key(s, Qt::Key_Delete, QString()); },
     [](const Session& s) { return s.box().Length() == s.length - 2; }},
    {"undo", true, LineEdit, [](Session& s) { Menu(s, "mnuUndo"); },
     [](const Session& s) { return s.form->RedoUndoFlag == 1 && s.box().Length() == s.length; }},
    {"redo", true, [](Session& s) { LineEdit(s), Menu(s, "mnuUndo"); },
     [](Session& s) { Menu(s, "mnuRedo"); },
     [](const Session& s) { return s.form->RedoUndoFlag == 0 && s.box().Length() > s.length; }},
    {"select 1,000 lines (mouse-up)", true, DragLines,
     [](Session& s) { Mouse(s, QEvent::MouseButtonRelease); },
     [](const Session& s) { return s.box().GetLineFromChar(s.box().SelStart() + s.box().SelLength()) -
                                       s.box().GetLineFromChar(s.box().SelStart()) == kRangeLines; }},
    {"cut 1,000 lines", true, [](Session& s) { DragLines(s), Mouse(s, QEvent::MouseButtonRelease); },
     [](Session& s) { Menu(s, "mnuCut"); },
     [](const Session& s) { return s.box().Length() == s.length - s.frame.PasteText.size(); }},
    {"copy 1,000 lines", true, [](Session& s) { DragLines(s), Mouse(s, QEvent::MouseButtonRelease); },
     [](Session& s) { Menu(s, "mnuCopy"); },
     [](const Session& s) { return s.frame.PasteText.count(u'\n') == kRangeLines; }},
    {"paste 1,000 lines", true,
     [](Session& s) {
       DragLines(s), Mouse(s, QEvent::MouseButtonRelease), Menu(s, "mnuCopy");
       ClearSelection(s), CaretInLine(s);
     },
     [](Session& s) { Menu(s, "mnuPaste"); },
     [](const Session& s) { return s.box().Length() == s.length + s.frame.PasteText.size(); }},
    // The program's window is active and not leftmost: a new one stands there.
    {"move-left", true, [](Session& s) { Menu(s, "mnuNewProgram"), s.form->SetFocus(), CaretInLine(s); },
     [](Session& s) { Menu(s, "mnuLeft"), s.form = s.frame.LastForm(); },
     [](const Session& s) { return s.form->Left() == 0 && s.box().Length() == s.length; }},
    {"line probe (Command51)", true, CaretInLine,
     [](Session& s) { s.frame.findChild<QPushButton*>(QStringLiteral("Command51"))->click(); },
     [](const Session& s) { return s.box().Length() == s.length - 1; }},
    {"save", false, [](Session&) {}, [](Session& s) { Menu(s, "mnuOverWrite"); },
     [](const Session& s) { return s.services.messages.back().prompt.endsWith(u"保存しました。"); }},
    {"vim open", false, [](Session&) {},
     [](Session& s) {
       if (std::system(VimOpenCommand(s.path).constData()) != 0) s.path.clear();
     },
     [](const Session& s) { return !s.path.isEmpty(); }},
};
const char* const kLines[] = {"first", "middle", "last"};

// A copy of the program for Save to write over, made once per size.
QString ScratchCopy(qsizetype megabytes) {
  static QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("S%1.m").arg(megabytes));
  if (!QFile::exists(path)) QFile::copy(ProgramFile(megabytes, true), path);
  return path;
}

// The session for a case, opened anew when the size or the file changes;
// one at a time, so that two large programs are never held at once. The last
// one is closed while the application still runs: its windows cannot outlive it.
std::unique_ptr<Session> session;
void CloseSession() { session.reset(); }

Session& SessionFor(qsizetype megabytes, bool saving) {
  if (!session) qAddPostRoutine(CloseSession);
  const QString path = saving ? ScratchCopy(megabytes) : ProgramFile(megabytes, true);
  if (!session || session->megabytes != megabytes || session->path != path) {
    session.reset();
    session = std::make_unique<Session>(megabytes, path);
    Open(*session);
    if (session->form) session->length = session->box().Length();
    Settle(*session);
  }
  return *session;
}

void BM_EditStep(benchmark::State& state) {
  const Step& step = kSteps[state.range(1)];
  const std::string_view name = step.name;
  state.SetLabel(std::string(name) + (step.perLine ? std::string(", ") + kLines[state.range(2)] : ""));
  Session& s = SessionFor(state.range(0), name == "save");
  if (!s.form) {
    state.SkipWithError("the program did not open");
    return;
  }
  const int32_t lines = s.lineFeeds();
  s.line = std::array{0, lines / 2, lines - 1}[state.range(2)];
  double best = 1e9, worst = 0;
  for (auto _ : state) {
    step.prepare(s);
    Settle(s);
    const auto start = std::chrono::steady_clock::now();
    step.act(s);
    if (name != "vim open") Settle(s);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    state.SetIterationTime(seconds);
    best = std::min(best, seconds);
    worst = std::max(worst, seconds);
    if (!step.done(s)) {
      state.SkipWithError("the step did not do what it should");
      break;
    }
    Restore(s);
    if (s.box().Length() != s.length) {
      state.SkipWithError("the text was not restored");
      break;
    }
  }
  state.counters["best_ms"] = best * 1e3;
  state.counters["worst_ms"] = worst * 1e3;
}

void EditStepCases(benchmark::internal::Benchmark* b) {
  for (const int64_t megabytes : {10, 100, 1000}) {
    for (int step = 0; step < int(std::size(kSteps)); ++step) {
      for (int line = 0; line < (kSteps[step].perLine ? 3 : 1); ++line) b->Args({megabytes, step, line});
    }
  }
}
BENCHMARK(BM_EditStep)
    ->ArgNames({"MB", "step", "line"})
    ->Apply(EditStepCases)
    ->UseManualTime()
    ->Iterations(5)
    ->Unit(benchmark::kMillisecond);

// Selecting 100,000 lines by holding the button below the text: a press on
// the first line, the pointer moved `beyond` pixels below the text and held
// there while the control's scroll timer ticks (each tick with its events and
// the frame's paint), then the release. Reports the ticks it took and the
// seconds a user waits for them at the timer's pace.
void BM_HoldBelowTheText(benchmark::State& state) {
  constexpr int32_t kLines = 100000;
  Session& s = SessionFor(state.range(0), false);
  if (!s.form) {
    state.SkipWithError("the program did not open");
    return;
  }
  RichTextBox& box = s.box();
  const QPointF below(20, box.viewport()->height() + state.range(1));
  auto selectedLines = [&] { return box.GetLineFromChar(box.SelStart() + box.SelLength()); };
  int ticks = 0, interval = 0, lines = 0;
  for (auto _ : state) {
    box.SetSelStart(0);
    Settle(s);
    const auto start = std::chrono::steady_clock::now();
    Mouse(s, QEvent::MouseButtonPress);
    Mouse(s, QEvent::MouseMove, below);
    Settle(s);
    auto* timer = box.findChild<QTimer*>(QStringLiteral("dragScroll"));
    for (ticks = 0; timer && timer->isActive() && selectedLines() < kLines; ++ticks) {
      QTimerEvent tick(timer->timerId());
      QCoreApplication::sendEvent(timer, &tick);
      Settle(s);
    }
    Mouse(s, QEvent::MouseButtonRelease, below);
    Settle(s);
    state.SetIterationTime(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    if (selectedLines() < kLines || s.form->modeText() != ModeTexts::kRangeSelection) {
      state.SkipWithError("the lines were not selected");
      break;
    }
    interval = timer->interval();
    lines = selectedLines();
    Restore(s);
  }
  state.counters["ticks"] = ticks;
  state.counters["held_s"] = ticks * interval / 1000.0;
  state.counters["lines"] = lines;
}
BENCHMARK(BM_HoldBelowTheText)
    ->ArgNames({"MB", "beyond"})
    ->Args({100, 60})->Args({100, 120})->Args({100, 180})->Args({100, 240})
    ->UseManualTime()
    ->Iterations(3)
    ->Unit(benchmark::kMillisecond);

// Peak resident memory per character of the text: of the whole process after
// File ▸ Open, and after 1,000 line edits spread over the program (each with
// its undo and redo records), with what the process held before opening.
void BM_EditMemory(benchmark::State& state) {
  Session s(state.range(0), ProgramFile(state.range(0), true));
  Settle(s);
  const double before = CurrentRssMiB();
  for (auto _ : state) {
    Open(s);
    Settle(s);
  }
  if (!s.form) {
    state.SkipWithError("the program did not open");
    return;
  }
  const double chars = s.box().Length();
  const double opened = PeakRssMiB();
  const int32_t lines = s.lineFeeds();
  for (int i = 0; i < 1000; ++i) {
    s.line = int32_t(int64_t(lines - 1) * i / 999);
    LineEdit(s);
    if (i % 50 == 0) Settle(s);
  }
  Settle(s);
  if (s.box().Length() <= chars || s.form->EditingStartedFlag != 1) {
    state.SkipWithError("the line edits did not happen");
    return;
  }
  const double edited = PeakRssMiB();
  const double mib = 1048576.0;
  state.counters["before_MiB"] = before;
  state.counters["open_peak_bytes_per_char"] = opened * mib / chars;
  state.counters["edits_peak_bytes_per_char"] = edited * mib / chars;
  state.counters["open_growth_bytes_per_char"] = (opened - before) * mib / chars;
  state.counters["edits_growth_bytes_per_char"] = (edited - before) * mib / chars;
}
BENCHMARK(BM_EditMemory)
    ->ArgNames({"MB"})
    ->Arg(100)
    ->Arg(1000)
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);

// A file whose text would outgrow what the control holds (2^31 - 1
// characters): 2 GiB + 1 MiB, sparse but for a line break at the end of every
// MiB, so that it is read block by block as programs are. File ▸ Open must
// refuse it with the report of an unreadable file and open no window.
void BM_OpenBeyondLimit(benchmark::State& state) {
  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("HUGE.m"));
  QFile file(path);
  const qint64 mib = qint64(1) << 20;
  bool made = file.open(QIODevice::WriteOnly) && file.resize(2048 * mib + mib);
  for (qint64 at = mib - 2; made && at < file.size(); at += mib) {
    made = file.seek(at) && file.write("\r\n", 2) == 2;
  }
  file.close();
  if (!made) {
    state.SkipWithError("cannot make the file");
    return;
  }
  Session s(0, path);
  for (auto _ : state) {
    Open(s);
    Settle(s);
  }
  const bool reported = !s.services.messages.empty() &&
                        s.services.messages.back().prompt.endsWith(u"開けませんでした。");
  if (s.form || s.frame.FormNumber != 0 || !reported) state.SkipWithError("the file was not refused");
  state.counters["peak_MiB"] = PeakRssMiB();
}
BENCHMARK(BM_OpenBeyondLimit)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace
