// One world update at 20x speed for island worlds of 1,000 to 20,000 units:
// a mixed ecosystem, about half of it plants and rocks, the rest grazers and
// hunters, measured after the world has been running for a while.
#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>

#include "core/random.hpp"
#include "units/unit.hpp"
#include "units/unit_template.hpp"
#include "units/world.hpp"
#include "bench_island.hpp"

namespace {

using namespace qv;
using qvbench::buildIslandWorld;

void BM_WorldUpdate(benchmark::State& state) {
  auto w = buildIslandWorld(static_cast<int>(state.range(0)));
  const size_t start = w->unitCount();
  const auto births0 = w->stats.births;
  int64_t steps = 0;
  for (auto _ : state) {
    w->step(0.05f, w->simDtFor(0.05f, false));
    ++steps;
  }
  state.counters["units_start"] = static_cast<double>(start);
  state.counters["units_end"] = static_cast<double>(w->unitCount());
  state.counters["births_per_step"] =
      static_cast<double>(w->stats.births - births0) / static_cast<double>(std::max<int64_t>(steps, 1));
}
// A fixed number of steps (five simulated minutes) keeps every run on the same
// stretch of the world's life instead of letting it drift for as long as the timer wants.
BENCHMARK(BM_WorldUpdate)->Arg(1000)->Arg(5000)->Arg(20000)->Iterations(300)->Repetitions(3)->Unit(benchmark::kMillisecond);

// One census sample: counting every living unit by template (once per 5 game seconds).
void BM_CensusSample(benchmark::State& state) {
  auto w = buildIslandWorld(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    w->census.recount(w->grid);
    benchmark::DoNotOptimize(w->census.rows().data());
  }
  state.counters["units"] = static_cast<double>(w->unitCount());
}
BENCHMARK(BM_CensusSample)->Arg(1000)->Arg(5000)->Unit(benchmark::kMicrosecond);

}  // namespace
