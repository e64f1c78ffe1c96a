#include <benchmark/benchmark.h>

#include "platform/platform.hpp"
#include "render/gpu_resources.hpp"

namespace {

// A picture as the game loads it at start-up: file read, size check, decoding,
// padding to powers of two and flipping (no upload without a context).
void BM_LoadPicture(benchmark::State& state, const char* name) {
  if (!qv::platform::fileExists(qv::platform::dataPath("Images", name))) {
    state.SkipWithError("no generated Data/Images beside the benchmark");
    return;
  }
  for (auto _ : state) {
    const qv::PngImage img = qv::loadPng(name, true);
    benchmark::DoNotOptimize(img.pixels.data());
  }
}
// The 1920 x 1080 backdrop of the loading screen and the menus: the largest
// picture, decoded before the first frame.
BENCHMARK_CAPTURE(BM_LoadPicture, MenuBackdrop, "Menu Screenshot.png")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_LoadPicture, Title, "Title Quillon Vale.png")->Unit(benchmark::kMillisecond);

}  // namespace
