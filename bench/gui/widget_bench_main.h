#pragma once
// The life of a benchmark program on widgets: Qt's offscreen platform
// unless another is chosen, one application, the program's benchmarks
// registered, then run as the command line asks; and the registration of a
// benchmark that times itself.

#include <benchmark/benchmark.h>

#include <QApplication>

namespace tally::bench {

// A benchmark that times itself, reported in unit; iterations 0 leaves the
// count to the library.
template <class Function, class... Arguments>
void RegisterSelfTimed(const char* name, benchmark::TimeUnit unit, benchmark::IterationCount iterations,
                       Function function, Arguments... arguments) {
  auto* registered = benchmark::RegisterBenchmark(name, function, arguments...)->UseManualTime()->Unit(unit);
  if (iterations > 0) registered->Iterations(iterations);
}

inline int RunWidgetBenchmarks(int argc, char** argv, void (*registerBenchmarks)()) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  registerBenchmarks();
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}

}  // namespace tally::bench
