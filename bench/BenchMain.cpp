// Benchmarks run with a QApplication on the offscreen platform unless a
// display platform is given, with the program's fonts installed.

#include <QApplication>
#include <benchmark/benchmark.h>

#include "platform/Application.h"
#include "testkit/OffscreenPlatform.h"

int main(int argc, char** argv) {
  UseOffscreenPlatform();
  QApplication app(argc, argv);
  InitApplication(app);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
