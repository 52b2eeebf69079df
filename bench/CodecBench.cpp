// CP932 decoding and encoding of program files: nearly all ASCII, with a
// Japanese comment now and then.

#include <benchmark/benchmark.h>

#include "NcProgram.h"
#include "files/Cp932.h"
#include "testkit/FlatCp932.h"

namespace {

// 10 MB of program with a comment "(工具交換)" in CP932 every 50 lines.
const QByteArray& ProgramBytes() {
  static const QByteArray bytes = [] {
    const QByteArray plain = MakeNcProgramBytes(10 * 1024 * 1024);
    const QByteArray comment("(\x8D\x48\x8B\xEF\x8C\xF0\x8A\xB7)\r\n");
    QByteArray out;
    out.reserve(plain.size() + plain.size() / 50);
    qsizetype lines = 0;
    for (qsizetype from = 0; from < plain.size();) {
      const qsizetype lf = plain.indexOf('\n', from);
      const qsizetype end = lf < 0 ? plain.size() : lf + 1;
      out.append(plain.constData() + from, end - from);
      if (++lines % 50 == 0) out.append(comment);
      from = end;
    }
    return out;
  }();
  return bytes;
}

const QString& ProgramText() {
  static const QString text = DecodeCp932(ProgramBytes());
  return text;
}

void BM_DecodeCp932(benchmark::State& state) {
  const QByteArray& bytes = ProgramBytes();
  for (auto _ : state) {
    QString text = DecodeCp932(bytes);
    benchmark::DoNotOptimize(text);
  }
  state.SetBytesProcessed(state.iterations() * bytes.size());
}
BENCHMARK(BM_DecodeCp932)->Unit(benchmark::kMillisecond);

void BM_EncodeCp932(benchmark::State& state) {
  const QString& text = ProgramText();
  qsizetype bytes = 0;
  for (auto _ : state) {
    Cp932Encoded encoded = EncodeCp932(text);
    bytes = encoded.bytes.size();
    benchmark::DoNotOptimize(encoded);
  }
  state.SetBytesProcessed(state.iterations() * bytes);
}
BENCHMARK(BM_EncodeCp932)->Unit(benchmark::kMillisecond);

}  // namespace
