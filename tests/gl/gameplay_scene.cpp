// The gameplay scene as the game runs it: the real scene object updates the
// shared world and draws it in its order, with the interface on top.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>

#include "core/random.hpp"
#include "platform/platform.hpp"
#include "render/gl.hpp"
#include "render/gpu_resources.hpp"
#include "render/palette.hpp"
#include "scenes/game_scenes.hpp"
#include "support/gl_context.hpp"
#include "units/world.hpp"

using namespace qv;

namespace {
constexpr int kW = 1280, kH = 720;

struct Island : HeightBrush {
  float newHeight(int, int, float x, float y, float, float) const override {
    const float d = std::sqrt((x - 5.0f) * (x - 5.0f) + y * y);
    return std::max(4.0f * (1.0f - (d / 28.0f) * (d / 28.0f)), -3.0f);
  }
};

TemplatePtr find(World& w, const char* model) {
  for (const auto& t : w.templates.all)
    if (t->modelFileName() == model) return t;
  return nullptr;
}

struct Frame {
  std::vector<uint8_t> pixels;
  qvtest::Rgb at(int x, int y) const { return qvtest::pixelAt(pixels, kW, x, y); }
};

Frame drawScene(Scene& scene, const char* name) {
  glViewport(0, 0, kW, kH);
  const Colour& c = World::shared().clearColour;
  glClearColor(c.r, c.g, c.b, 1.0f);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  scene.draw();
  glFinish();
  Frame f{qvtest::readPixels(kW, kH)};
  qvtest::saveScreenshot(name, f.pixels, kW, kH);
  return f;
}

void aimCamera(Camera& cam, Vec3 eye, Vec3 target) {
  cam.position = eye;
  cam.maxHeight = eye.z;
  const Vec3 d = target - eye;
  cam.yaw = std::atan2(d.x, d.y);
  cam.pitch = -std::atan2(std::sqrt(d.x * d.x + d.y * d.y), -d.z);
}

int brightness(qvtest::Rgb p) { return p.r + p.g + p.b; }
}  // namespace

TEST(GameplayScene, RunsAndDrawsTheWorldInItsOrder) {
  QV_REQUIRE_GL_CONTEXT();
  if (!std::filesystem::exists(platform::dataPath("Models", "Mushroom Tree.obj"))) GTEST_SKIP() << "no Data";
  SceneGameplayWithTopHud scene;
  switcher().setCurrent(&scene);
  World& w = World::shared();
  rng::seed(2024);
  ASSERT_TRUE(w.terrain && w.water && w.skyHorizon && w.clouds);
  w.terrain->reshapeWith({5.0f, 0.0f}, 174.2f, Island{});
  createDefaultTemplates(w.templates);
  int placed = 0;
  const char* plants[] = {"Cup Tree.obj", "Tree with Large Base and Multiple Trunks.obj", "Mushroom Tree.obj",
                          "Pointy Tree Trunk.obj"};
  for (int i = 0; i < 24; ++i) {
    const TemplatePtr t = find(w, plants[i % 4]);
    ASSERT_NE(t, nullptr);
    const float a = static_cast<float>(i) * 0.7f, r = 1.0f + static_cast<float>(i % 6) * 0.8f;
    const float x = 5.0f + r * std::cos(a), y = -2.0f + r * std::sin(a);
    if (w.placeUnitOf(t, {x, y, w.standingHeight(*t, x, y)}, a, true)) ++placed;
  }
  for (const char* creature : {"Chickenlike.obj", "Turtlelike.obj", "Little Bug.obj"}) {
    const TemplatePtr t = find(w, creature);
    ASSERT_NE(t, nullptr);
    for (int i = 0; i < 3; ++i) {
      const float x = 3.5f + static_cast<float>(i) * 1.2f, y = -5.5f + static_cast<float>(i) * 0.4f;
      if (w.placeUnitOf(t, {x, y, w.standingHeight(*t, x, y)}, 0.3f * static_cast<float>(i), true)) ++placed;
    }
  }
  EXPECT_GE(placed, 20);
  // The world colours a new game's world brings along.
  const char* rows[4] = {"Blue", "Green", "Teal", "White"};
  for (int r = 0; r < 4; ++r) w.colours.row[r] = *paletteColour(rows[r]);
  w.applyWorldColours();
  w.timeOfDay = 120.0f;
  aimCamera(w.camera, {3.0f, -11.0f, 5.2f}, {5.0f, -3.0f, 3.6f});
  // A few seconds of play: units settle, fade in and start living.
  for (int i = 0; i < 120; ++i) scene.update(0.05f);
  EXPECT_GT(w.unitCount(), 0u);
  EXPECT_TRUE(w.unsavedChanges);

  const Frame f = drawScene(scene, "gameplay_scene_day");
  // The sky band fills the top of the frame, the sea the bottom corners.
  const auto sky = f.at(60, 8);
  EXPECT_GT(sky.b, sky.r) << "sky";
  // The island fills the lower half; the units standing on it differ from the ground around them.
  const auto ground = f.at(kW / 2, kH - 10);
  EXPECT_GT(std::abs(ground.r - sky.r) + std::abs(ground.g - sky.g) + std::abs(ground.b - sky.b), 60) << "land";
  int unitPixels = 0;
  for (int y = kH / 4; y < kH; y += 4)
    for (int x = 0; x < kW; x += 4) {
      const auto p = f.at(x, y);
      if (std::abs(p.r - ground.r) + std::abs(p.g - ground.g) + std::abs(p.b - ground.b) > 90) ++unitPixels;
    }
  EXPECT_GT(unitPixels, 200);

  // Night dims the same view.
  w.timeOfDay = 380.0f;
  scene.update(0.0f);
  const Frame night = drawScene(scene, "gameplay_scene_night");
  EXPECT_LT(brightness(night.at(60, 8)) + brightness(night.at(kW / 2, kH - 10)),
            brightness(sky) + brightness(ground) - 60);

  // Below the surface the world takes the water's colour.
  w.timeOfDay = 120.0f;
  aimCamera(w.camera, {6.0f, -40.0f, -1.2f}, {6.0f, -2.0f, -0.8f});
  scene.update(0.0f);
  const Frame under = drawScene(scene, "gameplay_scene_underwater");
  EXPECT_TRUE(w.camera.underWater());
  // Looking through the sea: the frame's middle carries the water's hue, not the sky's.
  const auto mid = under.at(kW / 2, kH / 2);
  EXPECT_GE(mid.g + 10, mid.r) << "under water";

  switcher().clear();
}
