#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>

#include "core/log.hpp"
#include "core/random.hpp"
#include "platform/platform.hpp"
#include "render/model3d.hpp"
#include "world/clouds.hpp"

namespace {

constexpr const char* kCreature = "Ant Eater Elephant Like Creature.obj";

std::string readAll(const std::string& path) {
  std::string text;
  if (FILE* f = std::fopen(path.c_str(), "rb")) {
    char buf[65536];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) text.append(buf, n);
    std::fclose(f);
  }
  return text;
}

// A whole model load as the game does it the first time: file read, parse,
// measures (no upload without a context). The cache is cleared every round.
void BM_ModelLoad(benchmark::State& state) {
  if (!qv::platform::fileExists(qv::platform::dataPath("Models", kCreature))) {
    state.SkipWithError("no generated Data/Models beside the benchmark");
    return;
  }
  for (auto _ : state) {
    qv::clearModelCache();
    qv::Model3D m(kCreature);
    benchmark::DoNotOptimize(m.scaleNormalised());
  }
  qv::clearModelCache();
}
BENCHMARK(BM_ModelLoad)->Unit(benchmark::kMicrosecond);

// The parser alone, from memory, reported per byte.
void BM_ObjParse(benchmark::State& state) {
  const std::string text = readAll(qv::platform::dataPath("Models", kCreature));
  if (text.empty()) {
    state.SkipWithError("no generated Data/Models beside the benchmark");
    return;
  }
  qv::ObjMesh mesh;
  int line = 0;
  std::string error;
  for (auto _ : state) {
    benchmark::DoNotOptimize(qv::parseObj(text, mesh, line, error));
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(text.size()));
}
BENCHMARK(BM_ObjParse)->Unit(benchmark::kMicrosecond);

// One frame of cloud drift, fades and edge spawning over a full sky, at speed 20.
void BM_CloudsUpdate(benchmark::State& state) {
  qv::CloudSystem clouds;
  qv::rng::seed(7);
  clouds.spawnClouds(false);
  for (auto _ : state) {
    clouds.updateClouds(1.0f, 0.05f);
    benchmark::DoNotOptimize(clouds.clouds.data());
  }
  state.counters["clouds"] = static_cast<double>(clouds.clouds.size());
}
BENCHMARK(BM_CloudsUpdate);

}  // namespace
