// Saving a large program through the whole-string writer (testkit), the
// reference for the program's store writer (BM_WriteStore in StoreFileBench):
// its transformation, CP932 encoding, the write to a temporary file and its
// commit over the old one.

#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include "NcProgram.h"
#include "testkit/FlatProgramWriter.h"

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

}  // namespace
