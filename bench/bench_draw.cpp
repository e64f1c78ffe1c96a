// One frame of unit drawing for island worlds of 500 to 20,000 units, seen from the
// default camera pose (and with the camera turned to the sky), timed to the end of
// the GPU's work. Needs a display for a hidden GL 3.3 core window (Xvfb will do);
// without one the cases are skipped with a message.
#include <GLFW/glfw3.h>
#include <benchmark/benchmark.h>

#include <chrono>
#include <memory>

#include "bench_island.hpp"
#include "render/gl.hpp"
#include "render/gpu_resources.hpp"
#include "render/model3d.hpp"
#include "render/model_batch.hpp"
#include "units/unit.hpp"
#include "units/unit_drawing.hpp"
#include "units/world.hpp"
#include "world/camera.hpp"

namespace {

using namespace qv;

constexpr int kW = 1280, kH = 720;

// The hidden window and an off-screen target of the game's size, so every fragment
// is really shaded whatever the window system does with hidden windows.
bool glReady() {
  static int state = 0;  // 0 untried, 1 ready, 2 failed
  if (state) return state == 1;
  state = 2;
  if (!glfwInit()) return false;
  glfwWindowHint(GLFW_CONTEXT_VERSION_MAJOR, 3);
  glfwWindowHint(GLFW_CONTEXT_VERSION_MINOR, 3);
  glfwWindowHint(GLFW_OPENGL_PROFILE, GLFW_OPENGL_CORE_PROFILE);
  glfwWindowHint(GLFW_VISIBLE, GLFW_FALSE);
  GLFWwindow* window = glfwCreateWindow(kW, kH, "quillon-bench", nullptr, nullptr);
  if (!window) return false;
  glfwMakeContextCurrent(window);
  if (!gladLoadGL(glfwGetProcAddress)) return false;
  gl::setContextReady(true);
  GLuint fbo = 0, colour = 0, depth = 0;
  glGenFramebuffers(1, &fbo);
  glBindFramebuffer(GL_FRAMEBUFFER, fbo);
  glGenRenderbuffers(1, &colour);
  glBindRenderbuffer(GL_RENDERBUFFER, colour);
  glRenderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, kW, kH);
  glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, colour);
  glGenRenderbuffers(1, &depth);
  glBindRenderbuffer(GL_RENDERBUFFER, depth);
  glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT24, kW, kH);
  glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, depth);
  if (glCheckFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE) return false;
  glViewport(0, 0, kW, kH);
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  setAspectRatio(static_cast<float>(kW) / kH);
  // Models cached by benchmarks that ran without the context have no GPU meshes.
  clearModelCache();
  state = 1;
  return true;
}

// Built once per size: the worlds are large and only looked at.
World& worldOf(int units) {
  static std::unique_ptr<World> worlds[4];
  static int sizes[4] = {0, 0, 0, 0};
  for (int i = 0; i < 4; ++i)
    if (sizes[i] == units) return *worlds[i];
  for (int i = 0; i < 4; ++i)
    if (sizes[i] == 0) {
      worlds[i] = qvbench::buildIslandWorld(units);
      sizes[i] = units;
      return *worlds[i];
    }
  worlds[3] = qvbench::buildIslandWorld(units);
  sizes[3] = units;
  return *worlds[3];
}

enum class Path { Batched, OneByOne };

void drawFrames(benchmark::State& state, bool toTheSky, Path path) {
  if (!glReady()) {
    state.SkipWithError("no display for a hidden GL 3.3 core window (run under Xvfb)");
    return;
  }
  World& w = worldOf(static_cast<int>(state.range(0)));
  Camera cam;
  cam.update(0.0f, w.terrain.get());  // the default pose within the world's limits
  if (toTheSky) cam.pitch = -3.0;
  const UnitDrawLight light{World::kSunPosition, w.waterColour(), w.sunColour, cam.underWater()};
  ModelBatch& batch = unitBatch();
  auto frame = [&] {
    if (path == Path::Batched) {
      drawUnits(w, cam, light, {}, batch);
      return;
    }
    // The one-by-one drawing the game used before, for comparison.
    const CameraPose pose{cam.yaw, cam.pitch, cam.position};
    auto one = [&](const Unit3D& u) {
      u.unitTemplate->model->drawModel(pose, light.sunPosition, light.waterColour, light.sunColour, u.drawPosition(),
                                       u.yaw + u.animYaw, u.animRoll, u.drawScale(), u.primaryColour,
                                       u.secondaryColour, u.hit, {0.0f, 0.0f}, u.drawAlpha(), u.asleep, false);
    };
    w.grid.forEachNear(0.0f, 0.0f, -1.0f, [&](const Unit3D& u) {
      if (u.fadeIn <= 0.0f) one(u);
    });
    for (const auto* list : {&w.dying, &w.newUnits})
      for (const auto& u : *list) one(*u);
  };
  frame();  // warm: shaders, buffers
  glFinish();
  for (auto _ : state) {
    // Only the units count: the clear before them is finished first.
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glFinish();
    const auto t0 = std::chrono::steady_clock::now();
    frame();
    glFinish();
    state.SetIterationTime(std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count());
  }
  state.counters["units"] = static_cast<double>(w.unitCount() + w.dying.size());
  if (path == Path::Batched) {
    const ModelBatch::Stats& s = batch.stats();
    state.counters["draw_calls"] = s.drawCalls;
    state.counters["instances"] = s.instances;
    state.counters["triangles"] = static_cast<double>(s.triangles);
  }
}

void BM_DrawUnits(benchmark::State& state) { drawFrames(state, false, Path::Batched); }
void BM_DrawUnitsAway(benchmark::State& state) { drawFrames(state, true, Path::Batched); }
void BM_DrawUnitsOneByOne(benchmark::State& state) { drawFrames(state, false, Path::OneByOne); }

BENCHMARK(BM_DrawUnits)->Arg(500)->Arg(2000)->Arg(5000)->Arg(20000)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DrawUnitsAway)->Arg(5000)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DrawUnitsOneByOne)->Arg(500)->Arg(5000)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace
