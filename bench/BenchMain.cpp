// Benchmarks run with a QApplication on the offscreen platform unless a
// display platform is given, with the program's fonts installed.

#include <QApplication>
#include <benchmark/benchmark.h>
#include <cstdlib>

#include "platform/Application.h"

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QApplication app(argc, argv);
  InitApplication(app);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
