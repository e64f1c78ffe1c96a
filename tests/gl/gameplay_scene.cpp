// The gameplay scene as the game runs it: the real scene object updates the
// shared world and draws it in its order, with the interface on top.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

#include "core/random.hpp"
#include "platform/platform.hpp"
#include "render/gl.hpp"
#include "render/palette.hpp"
#include "scenes/game_scenes.hpp"
#include "support/gl_world_helpers.hpp"
#include "units/world.hpp"

using namespace qv;
using namespace qvtest;

namespace {
constexpr int kW = 1280, kH = 720;

Frame drawScene(Scene& scene, const char* name) {
  return {qvtest::capture(kW, kH, World::shared().clearColour, [&] { scene.draw(); }, name)};
}
}  // namespace

TEST(GameplayScene, RunsAndDrawsTheWorldInItsOrder) {
  QV_REQUIRE_GL_CONTEXT();
  if (!std::filesystem::exists(platform::dataPath("Models", "Mushroom Tree.obj"))) GTEST_SKIP() << "no Data";
  SceneGameplayWithTopHud scene;
  switcher().setCurrent(&scene);
  World& w = World::shared();
  rng::seed(2024);
  ASSERT_TRUE(w.terrain && w.water && w.skyHorizon && w.clouds);
  w.terrain->reshapeWith({5.0f, 0.0f}, 174.2f, DomeIsland(5.0f, 0.0f, 4.0f, 28.0f, -3.0f));
  createDefaultTemplates(w.templates);
  int placed = 0;
  const char* plants[] = {"Cup Tree.obj", "Tree with Large Base and Multiple Trunks.obj", "Mushroom Tree.obj",
                          "Pointy Tree Trunk.obj"};
  for (int i = 0; i < 24; ++i) {
    const TemplatePtr t = findTemplate(w, plants[i % 4]);
    ASSERT_NE(t, nullptr);
    const float a = static_cast<float>(i) * 0.7f, r = 1.0f + static_cast<float>(i % 6) * 0.8f;
    const float x = 5.0f + r * std::cos(a), y = -2.0f + r * std::sin(a);
    placed += w.placeUnitOf(t, {x, y, w.standingHeight(*t, x, y)}, a, true) != nullptr;
  }
  for (const char* creature : {"Chickenlike.obj", "Turtlelike.obj", "Little Bug.obj"}) {
    const TemplatePtr t = findTemplate(w, creature);
    ASSERT_NE(t, nullptr);
    for (float i = 0; i < 3; ++i) {
      const float x = 3.5f + i * 1.2f, y = -5.5f + i * 0.4f;
      placed += w.placeUnitOf(t, {x, y, w.standingHeight(*t, x, y)}, 0.3f * i, true) != nullptr;
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
  EXPECT_GT(diff(ground, sky), 60) << "land";
  EXPECT_GT(countWhere(0, kH / 4, kW, kH, 4, [&](int x, int y) { return diff(f.at(x, y), ground) > 90; }), 200);

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
