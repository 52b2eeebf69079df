// The document store on a 100 MB program: building it, edits at the start,
// middle and end with an undo copy kept, line lookups both ways, copies.

#include <benchmark/benchmark.h>

#include <random>

#include "NcProgram.h"
#include "document/StoreProgramText.h"
#include "document/TextStore.h"

namespace {

// The canonical text of a 100 MB program file, as one-byte characters.
const QByteArray& CanonicalBytes() {
  static const QByteArray bytes = MakeCanonicalNcProgram(100 << 20).toLatin1();
  return bytes;
}

const TextStore& Store() {
  static const TextStore store{QLatin1StringView(CanonicalBytes())};
  return store;
}

void BM_StoreBuild(benchmark::State& state) {
  const QByteArray& bytes = CanonicalBytes();
  for (auto _ : state) {
    TextStore::Builder builder;
    builder.append(QLatin1StringView(bytes));
    benchmark::DoNotOptimize(builder.finish());
  }
  state.SetBytesProcessed(state.iterations() * bytes.size());
  const TextStore::Stats stats = Store().stats();
  state.counters["bytes_per_char"] = double(stats.bytes) / Store().size();
  state.counters["height"] = stats.height;
}
BENCHMARK(BM_StoreBuild)->Unit(benchmark::kMillisecond);

// One key typed into a line at the start (0), middle (1) or end (2) of the
// program, with the text before it kept as the undo record keeps it.
void BM_StoreReplace(benchmark::State& state) {
  TextStore text = Store();
  const int32_t line = int32_t(state.range(0) * (text.lineCount() - 2) / 2);
  const int32_t pos = text.lineStart(line) + 3;
  for (auto _ : state) {
    const TextStore undo = text;
    text.replace(pos, 1, u"7");
    benchmark::DoNotOptimize(undo);
  }
}
BENCHMARK(BM_StoreReplace)->ArgName("where")->DenseRange(0, 2)->Unit(benchmark::kMicrosecond);

// A thousand lines cut from the middle and pasted back.
void BM_StoreCutPaste1000Lines(benchmark::State& state) {
  TextStore text = Store();
  const int32_t from = text.lineStart(text.lineCount() / 2);
  const int32_t to = text.lineStart(text.lineCount() / 2 + 1000);
  for (auto _ : state) {
    const QString lines = text.mid(from, to - from);
    text.replace(from, to - from, {});
    text.replace(from, 0, lines);
  }
}
BENCHMARK(BM_StoreCutPaste1000Lines)->Unit(benchmark::kMicrosecond);

// What a text and its copy with one line edited in the middle have in common
// at either end: what undo and redo tell assistive technology.
void BM_StoreSharedEnds(benchmark::State& state) {
  const TextStore& text = Store();
  TextStore edited = text;
  edited.replace(text.lineStart(text.lineCount() / 2) + 3, 1, u"77");
  for (auto _ : state) {
    const int32_t head = SharedPrefix(text, edited);
    benchmark::DoNotOptimize(SharedSuffix(text, edited, text.size() - head));
  }
}
BENCHMARK(BM_StoreSharedEnds)->Unit(benchmark::kMicrosecond);

void BM_StoreLineStart(benchmark::State& state) {
  const TextStore& text = Store();
  std::mt19937 rng(1);
  std::uniform_int_distribution<int32_t> line(0, text.lineCount() - 1);
  for (auto _ : state) benchmark::DoNotOptimize(text.lineStart(line(rng)));
}
BENCHMARK(BM_StoreLineStart);

void BM_StoreLineFromChar(benchmark::State& state) {
  const TextStore& text = Store();
  std::mt19937 rng(2);
  std::uniform_int_distribution<int32_t> offset(0, text.size());
  for (auto _ : state) benchmark::DoNotOptimize(text.lineFromChar(offset(rng)));
}
BENCHMARK(BM_StoreLineFromChar);

// The line lookup the editor makes for the caret's line.
void BM_StoreGetProgramLine(benchmark::State& state) {
  const TextStore& text = Store();
  std::mt19937 rng(3);
  std::uniform_int_distribution<int32_t> line(1, text.lineCount());
  for (auto _ : state) benchmark::DoNotOptimize(GetProgramLine(line(rng), text));
}
BENCHMARK(BM_StoreGetProgramLine);

void BM_StoreCopy(benchmark::State& state) {
  const TextStore& text = Store();
  for (auto _ : state) {
    TextStore copy = text;
    benchmark::DoNotOptimize(copy);
  }
}
BENCHMARK(BM_StoreCopy);

}  // namespace
