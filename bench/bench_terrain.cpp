#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

#include "world/camera.hpp"
#include "world/terrain.hpp"

namespace {

// A rolling island so picks and refreshes see real slopes.
struct Island final : qv::HeightBrush {
  float newHeight(int, int, float x, float y, float, float) const override {
    const float r = std::sqrt(x * x + y * y);
    return 4.0f - r * 0.06f + 3.0f * std::sin(x * 0.2f) * std::cos(y * 0.15f);
  }
};

// Forty stationary painters spread over the island, as a busy world would have.
struct Painters final : qv::GroundPainters {
  std::vector<std::pair<float, float>> at;
  Painters() {
    for (int n = 0; n < 40; ++n) at.push_back({-70.0f + 3.5f * n, 60.0f * std::sin(n * 0.7f)});
  }
  void forEachPainter(float x, float y, float r, qv::GroundPainterVisitor& v) const override {
    // Stands in for the unit grid: only painters in the square around the point.
    for (const auto& p : at)
      if (std::fabs(p.first - x) <= r + 8.0f && std::fabs(p.second - y) <= r + 8.0f)
        v.painter(p.first, p.second, {0.8f, 0.3f, 0.5f, 1.0f});
  }
};

qv::Terrain& island() {
  static qv::Terrain t;
  static bool shaped = false;
  if (!shaped) {
    t.reshapeWith({0, 0}, 500.0f, Island());
    shaped = true;
  }
  return t;
}

void BM_TerrainPick(benchmark::State& state) {
  qv::Terrain& t = island();
  qv::Camera cam;
  cam.update(0.016f, &t);
  qv::Vec3 o, d;
  cam.viewRay({0.0f, 0.0f}, 16.0f / 9.0f, o, d);
  qv::PickState ps;
  for (auto _ : state) {
    t.pick(o, d, ps);
    benchmark::DoNotOptimize(ps);
  }
  if (!ps.groundHit) state.SkipWithError("the centre ray missed the island");
}
BENCHMARK(BM_TerrainPick)->Unit(benchmark::kMicrosecond);

void BM_TerrainReshape(benchmark::State& state) {
  qv::Terrain& t = island();
  Painters painters;
  t.setGroundPainters(&painters);
  const float radius = static_cast<float>(state.range(0));
  float sign = 1.0f;
  for (auto _ : state) {
    t.reshape(0.05f * sign, {10.0f, -5.0f}, radius, 1.25f);
    sign = -sign;  // keep the ground where it was over the run
  }
  t.setGroundPainters(nullptr);
  t.fadeGroundColours(1000.0f);
}
BENCHMARK(BM_TerrainReshape)->Arg(5)->Arg(30)->Unit(benchmark::kMicrosecond);

void BM_TerrainRebuild(benchmark::State& state) {
  qv::Terrain& t = island();
  Painters painters;
  t.setGroundPainters(&painters);
  for (auto _ : state) t.reshape(0.0f, {0.0f, 0.0f}, 174.2f, 0.0f);
  t.setGroundPainters(nullptr);
  t.fadeGroundColours(1000.0f);
}
BENCHMARK(BM_TerrainRebuild)->Unit(benchmark::kMillisecond);

void BM_GroundRefreshAll(benchmark::State& state) {
  qv::Terrain& t = island();
  Painters painters;
  t.setGroundPainters(&painters);
  for (auto _ : state) {
    t.refreshGroundColours({0.0f, 0.0f}, true, false);
    t.fadeGroundColours(1000.0f);
  }
  t.setGroundPainters(nullptr);
  t.refreshGroundColours({0.0f, 0.0f}, true, true);
  t.fadeGroundColours(1000.0f);
}
BENCHMARK(BM_GroundRefreshAll)->Unit(benchmark::kMillisecond);

void BM_TerrainHeightAt(benchmark::State& state) {
  qv::Terrain& t = island();
  float x = -80.0f;
  for (auto _ : state) {
    benchmark::DoNotOptimize(t.heightAt(x, x * 0.7f));
    x = x > 80.0f ? -80.0f : x + 0.37f;
  }
}
BENCHMARK(BM_TerrainHeightAt);

}  // namespace
