#include <benchmark/benchmark.h>

#include "core/random.hpp"

int main(int argc, char** argv) {
  qv::rng::seed(4242);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
