// File ▸ Open end to end on CAM-sized programs: read, decode, CR LF to ";",
// normalise, load into a new editor window and paint it the first time. The
// same file opened by vim gives a yardstick.

#include <QCoreApplication>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <cstdlib>
#include <map>
#include <memory>

#include "NcProgram.h"
#include "editor/Form1.h"
#include "frame/MDIForm1.h"
#include "platform/RichTextBox.h"
#include "testkit/ScriptedServices.h"

namespace {

// One program file per size, written once per run.
QString ProgramFile(qsizetype bytes) {
  static QTemporaryDir dir;
  static std::map<qsizetype, QString> files;
  auto it = files.find(bytes);
  if (it != files.end()) return it->second;
  const QString path = dir.filePath(QStringLiteral("P%1.m").arg(bytes));
  QFile file(path);
  if (!file.open(QIODevice::WriteOnly)) return QString();
  file.write(MakeNcProgramBytes(bytes));
  file.close();
  return files[bytes] = path;
}

double MaxRssMiB() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss / 1024.0;  // kilobytes on Linux
}

void BM_OpenProgram(benchmark::State& state) {
  const qsizetype bytes = state.range(0) << 20;
  const QString path = ProgramFile(bytes);
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
  state.counters["max_rss_MiB"] = MaxRssMiB();
}
BENCHMARK(BM_OpenProgram)->Arg(10)->Arg(100)->Unit(benchmark::kMillisecond)->UseRealTime();

// vim reading the same file and quitting, for comparison.
void BM_VimOpen(benchmark::State& state) {
  QString vim = QStandardPaths::findExecutable(QStringLiteral("vim"));
  if (vim.isEmpty()) vim = QStandardPaths::findExecutable(QStringLiteral("vim.tiny"));
  if (vim.isEmpty()) {
    state.SkipWithError("vim is not installed");
    return;
  }
  const QString path = ProgramFile(state.range(0) << 20);
  const QByteArray command =
      (vim + QStringLiteral(" -u NONE -N -es -c q ") + path + QStringLiteral(" </dev/null"))
          .toLocal8Bit();
  for (auto _ : state) {
    if (std::system(command.constData()) != 0) state.SkipWithError("vim failed");
  }
}
BENCHMARK(BM_VimOpen)->Arg(10)->Arg(100)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
