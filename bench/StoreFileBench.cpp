// Open and save of 10, 100 and 1,000 MB programs through the readers and
// writers: the flat ones (one QString) and the block-wise ones (a document
// store), with vim opening the same file in the same run as the yardstick.
// Second argument: 1 for the program with Japanese comments.
//
// Memory: peak_bytes_per_char is the peak resident memory of the first open
// of a case beyond what the process held before it, per character of the
// text opened. Freed memory stays with the allocator, so the figure holds
// only for the first case a process runs: run one case per process to read it.

#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <cstdlib>

#include "ProgramFiles.h"
#include "document/TextStore.h"
#include "files/Cp932.h"
#include "files/ProgramFile.h"
#include "files/ProgramFileBlocks.h"
#include "files/ProgramWriter.h"
#include "testkit/FlatCp932.h"
#include "testkit/FlatProgramFile.h"
#include "testkit/FlatProgramWriter.h"

namespace {

// The whole-string reading that the block-wise reader replaced: all bytes,
// all decoded, then the statements brought into form; the "before" figures.
bool ReadProgramFile(const QString& path, QString& text) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return false;
  QString content = DecodeCp932(file.readAll());
  text = ProgramTextFromFile(std::move(content));
  return true;
}

// The peak memory of one open beyond what the process held before it, per
// character of the text opened.
template <typename Text>
double OpenPeakBytesPerChar(const QString& path) {
  Text text;
  const double before = CurrentRssMiB();
  ResetPeakRss();
  ReadProgramFile(path, text);
  return (PeakRssMiB() - before) * 1048576.0 / double(text.size());
}

void BM_ReadFlat(benchmark::State& state) {
  const QString path = ProgramFile(state.range(0), state.range(1));
  state.counters["peak_bytes_per_char"] = OpenPeakBytesPerChar<QString>(path);
  for (auto _ : state) {
    QString text;
    if (!ReadProgramFile(path, text)) state.SkipWithError("read failed");
    benchmark::DoNotOptimize(text);
  }
}
BENCHMARK(BM_ReadFlat)
    ->ArgNames({"MB", "commented"})
    ->ArgsProduct({{10, 100}, {0, 1}})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

void BM_ReadStore(benchmark::State& state) {
  const QString path = ProgramFile(state.range(0), state.range(1));
  state.counters["peak_bytes_per_char"] = OpenPeakBytesPerChar<TextStore>(path);
  TextStore::Stats stats;
  int32_t size = 0;
  for (auto _ : state) {
    TextStore text;
    if (!ReadProgramFile(path, text)) state.SkipWithError("read failed");
    state.PauseTiming();
    stats = text.stats();
    size = text.size();
    state.ResumeTiming();
  }
  state.counters["store_bytes_per_char"] = double(stats.bytes) / size;
  state.counters["wide_chunks_pct"] = 100.0 * double(stats.wideChunks) / double(stats.chunks);
}
BENCHMARK(BM_ReadStore)
    ->ArgNames({"MB", "commented"})
    ->ArgsProduct({{10, 100, 1000}, {0, 1}})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// The program with Japanese comments with its lines ended by bare LFs: no
// CR LF pair to cut blocks after, so the file is read in order on one thread,
// in pieces, its memory bounded as for any program.
void BM_ReadStoreBareLf(benchmark::State& state) {
  static QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("LF%1.m").arg(state.range(0)));
  const QByteArray command = "tr -d '\\r' < " + ProgramFile(state.range(0), true).toLocal8Bit() +
                             " > " + path.toLocal8Bit();
  if (!QFile::exists(path) && std::system(command.constData()) != 0) {
    state.SkipWithError("cannot make the file");
    return;
  }
  state.counters["peak_bytes_per_char"] = OpenPeakBytesPerChar<TextStore>(path);
  for (auto _ : state) {
    TextStore text;
    if (!ReadProgramFile(path, text)) state.SkipWithError("read failed");
  }
}
BENCHMARK(BM_ReadStoreBareLf)
    ->ArgNames({"MB"})
    ->Arg(100)
    ->Arg(1000)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// The block reader's work on one thread, from bytes in memory: decoding,
// CR LF to ";", normalising and building the store.
void BM_ReadBlocksOneThread(benchmark::State& state) {
  const QByteArray bytes = state.range(1) ? MakeCommentedNcProgramBytes(state.range(0) << 20)
                                          : MakeNcProgramBytes(state.range(0) << 20);
  ProgramBlockReader reader;
  for (auto _ : state) {
    TextStore::Builder builder;
    reader.append(bytes.constData(), bytes.size(), builder);
    benchmark::DoNotOptimize(builder.finish());
  }
  state.SetBytesProcessed(state.iterations() * bytes.size());
}
BENCHMARK(BM_ReadBlocksOneThread)
    ->ArgNames({"MB", "commented"})
    ->ArgsProduct({{100}, {0, 1}})
    ->Unit(benchmark::kMillisecond);

// vim reading the same file and quitting.
void BM_VimOpenSameFile(benchmark::State& state) {
  const QByteArray command = VimOpenCommand(ProgramFile(state.range(0), state.range(1)));
  if (command.isEmpty()) {
    state.SkipWithError("vim is not installed");
    return;
  }
  for (auto _ : state) {
    if (std::system(command.constData()) != 0) state.SkipWithError("vim failed");
  }
}
BENCHMARK(BM_VimOpenSameFile)
    ->ArgNames({"MB", "commented"})
    ->ArgsProduct({{10, 100, 1000}, {0, 1}})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// Save of the program read as a flat string (before) or as a store.
template <typename Text>
void BM_Write(benchmark::State& state) {
  Text text;
  ReadProgramFile(ProgramFile(state.range(0), state.range(1)), text);
  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("saved.m"));
  for (auto _ : state) {
    if (WriteProgramFile(path, text).status != WriteStatus::kWritten)
      state.SkipWithError("save failed");
  }
}
BENCHMARK(BM_Write<QString>)
    ->Name("BM_WriteFlat")
    ->ArgNames({"MB", "commented"})
    ->ArgsProduct({{10, 100}, {0, 1}})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(BM_Write<TextStore>)
    ->Name("BM_WriteStore")
    ->ArgNames({"MB", "commented"})
    ->ArgsProduct({{10, 100, 1000}, {0, 1}})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace
