// The text routines on programs of the sizes CAM systems write.

#include <benchmark/benchmark.h>

#include <map>

#include "NcProgram.h"
#include "testkit/FlatProgramFile.h"
#include "testkit/FlatProgramText.h"
#include "text/ProgramText.h"

namespace {

constexpr qsizetype kMegabyte = 1024 * 1024;

// The program as the reader hands it to the normaliser: the file's text with
// every CR LF turned into ";".
const QString& ReaderText(qsizetype bytes) {
  static std::map<qsizetype, QString> texts;
  QString& text = texts[bytes];
  if (text.isEmpty()) {
    text = StatementsFromFileText(QString::fromLatin1(MakeNcProgramBytes(bytes)));
  }
  return text;
}

const QString& CanonicalText100Mb() {
  static const QString text = MakeCanonicalNcProgram(100 * kMegabyte);
  return text;
}

void BM_NormalizeProgramText(benchmark::State& state) {
  const QString& text = ReaderText(state.range(0) * kMegabyte);
  for (auto _ : state) {
    QString out = NormalizeProgramText(text);
    benchmark::DoNotOptimize(out);
  }
  state.SetBytesProcessed(state.iterations() * text.size());
}
BENCHMARK(BM_NormalizeProgramText)->Arg(10)->Arg(100)->Unit(benchmark::kMillisecond);

void BM_GetProgramLine_LastLine100Mb(benchmark::State& state) {
  const QString& text = CanonicalText100Mb();
  const int32_t lines = int32_t(text.count(u'\n'));
  for (auto _ : state) {
    LineInfo line = GetProgramLine(lines, text);
    benchmark::DoNotOptimize(line);
  }
  state.counters["lines"] = lines;
}
BENCHMARK(BM_GetProgramLine_LastLine100Mb)->Unit(benchmark::kMillisecond);

}  // namespace
