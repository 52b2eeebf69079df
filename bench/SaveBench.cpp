// Saving a large program through the whole-string writer (testkit), the
// reference for the program's store writer (BM_WriteStore in StoreFileBench):
// its transformation, CP932 encoding, the write to a temporary file and its
// commit over the old one. BM_SaveFrameGap runs File ▸ Save through the
// frame over a copy of a large program and reports the longest time the
// event loop went unserved (max_gap_ms): how long the frame waits to paint.
//
//   build/bench/kesto_bench --benchmark_filter=Save

#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <algorithm>

#include "NcProgram.h"
#include "FrameGaps.h"
#include "ProgramFiles.h"
#include "frame/MDIForm1.h"
#include "testkit/FlatProgramWriter.h"
#include "testkit/ScriptedServices.h"

namespace {

void BM_SaveProgram(benchmark::State& state) {
  const QString text = MakeCanonicalNcProgram(state.range(0));
  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("big.m"));
  for (auto _ : state) {
    const WriteResult result = WriteProgramFile(path, text);
    if (result.status != WriteStatus::kWritten) state.SkipWithError("save failed");
  }
  state.SetBytesProcessed(state.iterations() * QFile(path).size());
}
BENCHMARK(BM_SaveProgram)->Arg(10'000'000)->Arg(100'000'000)->Unit(benchmark::kMillisecond)
    ->MinTime(2);

// The parts of a save on their own.
void BM_SaveTransformation(benchmark::State& state) {
  const QString text = MakeCanonicalNcProgram(state.range(0));
  for (auto _ : state) benchmark::DoNotOptimize(ProgramFileText(text));
}
BENCHMARK(BM_SaveTransformation)->Arg(100'000'000)->Unit(benchmark::kMillisecond);

// Transformation and encoding in one pass, as a save of an ASCII program runs them.
void BM_SaveEncoding(benchmark::State& state) {
  const QString text = MakeCanonicalNcProgram(state.range(0));
  for (auto _ : state) benchmark::DoNotOptimize(EncodeProgramFile(text));
}
BENCHMARK(BM_SaveEncoding)->Arg(100'000'000)->Unit(benchmark::kMillisecond);

void BM_SaveFrameGap(benchmark::State& state) {
  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("S.m"));
  ScriptedServices services;
  MDIForm1 frame(services);
  frame.show();
  services.openPaths.push_back(path);
  if (!QFile::copy(ProgramFile(state.range(0), true), path) || (frame.mnuFileOpen_Click(), !frame.ActiveForm())) {
    state.SkipWithError("cannot open the program");
    return;
  }
  double maxGap = 0;
  for (auto _ : state) {
    maxGap = std::max(maxGap, MeasureFrameGaps([&] { frame.mnuOverWrite_Click(); }).longestMs);
  }
  if (services.messages.empty() || !services.messages.back().prompt.endsWith(u"保存しました。"))
    state.SkipWithError("the save did not complete");
  state.counters["max_gap_ms"] = maxGap;
}
BENCHMARK(BM_SaveFrameGap)->ArgName("MB")->Arg(100)->Arg(1000)->Unit(benchmark::kSecond)
    ->UseRealTime()->Iterations(1);

}  // namespace
