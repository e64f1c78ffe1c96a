// Saving and loading a world of 5,000 units through the real slot path: the
// whole text, the temporary file flushed to the disk, the rename, and reading
// it back into a world with its terrain rebuilt.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <memory>
#include <string>

#include "core/random.hpp"
#include "persistence/save_game.hpp"
#include "platform/platform.hpp"
#include "units/unit.hpp"
#include "units/unit_template.hpp"
#include "units/world.hpp"

namespace {

using namespace qv;

struct Island : HeightBrush {
  float newHeight(int, int, float x, float y, float, float) const override {
    const float d = std::sqrt(x * x + y * y);
    return std::max(7.0f * (1.0f - (d / 74.0f) * (d / 74.0f)), -5.0f);
  }
};

std::unique_ptr<World> islandWorld() {
  World::Options o;
  o.sky = false;
  auto w = std::make_unique<World>(o);
  w->terrain->reshapeWith({0.0f, 0.0f}, 200.0f, Island{});
  rng::seed(4242);
  createDefaultTemplates(w->templates);
  return w;
}

// Units of every assigned template scattered over the island.
std::unique_ptr<World> populatedWorld(int units) {
  auto w = islandWorld();
  const auto& kinds = w->templates.assigned;
  int placed = 0;
  for (int guard = 0; placed < units && guard < units * 20; ++guard) {
    const float a = rand01() * 2.0f * kPi, r = std::sqrt(rand01()) * 66.0f;
    const float x = r * std::cos(a), y = r * std::sin(a);
    const TemplatePtr& t = kinds[static_cast<size_t>(placed) % kinds.size()];
    w->placeUnitOf(t, {x, y, w->standingHeight(*t, x, y)}, rand01() * 6.28f, true);
    ++placed;
  }
  return w;
}

std::string benchUserFolder() {
  static const std::string folder = [] {
    const auto p = std::filesystem::temp_directory_path() / ("qv_bench_saves_" + std::to_string(::getpid()));
    std::filesystem::create_directories(p);
    return p.string();
  }();
  platform::overrideUserDataFolder(folder);
  return folder;
}

void BM_SaveWorld(benchmark::State& state) {
  const std::string folder = benchUserFolder();
  auto w = populatedWorld(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    if (saveGame(*w, 0) != 0) state.SkipWithError("the save failed");
  }
  state.counters["units"] = static_cast<double>(w->unitCount());
  state.counters["file_kB"] = static_cast<double>(std::filesystem::file_size(saveSlotPath(0))) / 1024.0;
  std::filesystem::remove_all(folder);
}
BENCHMARK(BM_SaveWorld)->Arg(5000)->Unit(benchmark::kMillisecond);

void BM_LoadWorld(benchmark::State& state) {
  const std::string folder = benchUserFolder();
  {
    auto source = populatedWorld(static_cast<int>(state.range(0)));
    if (saveGame(*source, 1) != 0) state.SkipWithError("the save failed");
  }
  auto w = islandWorld();
  for (auto _ : state) {
    if (loadGame(*w, saveSlotPath(1), kLoadSlot) != kLoadOk) state.SkipWithError("the load failed");
  }
  state.counters["units"] = static_cast<double>(w->unitCount());
  std::filesystem::remove_all(folder);
}
BENCHMARK(BM_LoadWorld)->Arg(5000)->Unit(benchmark::kMillisecond);

}  // namespace
