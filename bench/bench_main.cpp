#include <benchmark/benchmark.h>

#include "core/random.hpp"
#include "platform/platform.hpp"

int main(int argc, char** argv) {
  qv::rng::seed(4242);
  // As the game does, so drawing is timed the way players get it.
  qv::platform::keepFreedMemoryForReuse();
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
