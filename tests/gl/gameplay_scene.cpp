// The world as a player sees it: the real gameplay scene updates the shared
// world and draws sky, ground, clouds, units, sea and tool circles in its order.
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
#include "world/clouds.hpp"

using namespace qv;
using namespace qvtest;

namespace {
constexpr int kW = 1280, kH = 720;

Frame drawScene(Scene& scene, const char* name) {
  return {qvtest::capture(kW, kH, World::shared().clearColour, [&] { scene.draw(); }, name)};
}
bool reddish(Rgb p) { return p.r > 90 && p.r > p.g + 60 && p.r > p.b + 60; }
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
  const char* kinds[] = {"Cup Tree.obj", "Mushroom Tree.obj", "Pointy Tree Trunk.obj", "Chickenlike.obj", "Little Bug.obj"};
  for (int i = 0; i < 30; ++i) {
    const TemplatePtr t = findTemplate(w, kinds[i % 5]);
    ASSERT_NE(t, nullptr);
    const float a = static_cast<float>(i) * 0.7f, r = 1.0f + static_cast<float>(i % 6) * 0.8f;
    const float x = 5.0f + r * std::cos(a), y = -2.0f + r * std::sin(a);
    placed += w.placeUnitOf(t, {x, y, w.standingHeight(*t, x, y)}, a, true) != nullptr;
  }
  EXPECT_GE(placed, 20);
  // The world colours a new game's world brings along: blue sky, teal sea.
  const char* rows[4] = {"Blue", "Green", "Teal", "White"};
  for (int r = 0; r < 4; ++r) w.colours.row[r] = *paletteColour(rows[r]);
  w.applyWorldColours();
  w.timeOfDay = 120.0f;
  aimCamera(w.camera, {3.0f, -11.0f, 5.2f}, {5.0f, -3.0f, 3.6f});
  // A few seconds of play: units settle, fade in and start living.
  for (int i = 0; i < 120; ++i) scene.update(0.05f);
  EXPECT_TRUE(w.unitCount() > 0u && w.unsavedChanges);

  const Frame f = drawScene(scene, "gameplay_scene_day");
  const Rgb sky = f.at(60, 8), ground = f.at(kW / 2, kH - 10);
  EXPECT_GT(sky.b, sky.r) << "sky";
  EXPECT_GT(diff(ground, sky), 60) << "land";
  EXPECT_GT(countWhere(0, kH / 4, kW, kH, 4, [&](int x, int y) { return diff(f.at(x, y), ground) > 90; }), 200)
      << "units stand out from the ground";

  // From the sea towards the island: the water in front is teal, the clouds above
  // are brighter than the sky around them.
  const Camera coast = lookingAt({-78.0f, -70.0f, 16.0f}, {0.0f, 0.0f, -4.0f});
  w.camera = coast;
  const Frame sea = drawScene(scene, "gameplay_scene_sea");
  int sx = 0, sy = 0;
  ASSERT_TRUE(project(coast, {-52.0f, -46.0f, 0.0f}, kW, kH, sx, sy));
  const Rgb water = sea.at(sx, sy);
  EXPECT_TRUE(water.g > water.r + 40 && water.b > water.r + 40) << water.r << "," << water.g << "," << water.b;
  int seen = 0, brighter = 0;
  for (const Cloud& c : w.clouds->clouds) {
    if (!project(coast, c.position + Vec3{0.0f, 0.0f, 2.0f}, kW, kH, sx, sy)) continue;
    ++seen;
    brighter += brightness(sea.at(sx, sy)) > brightness(sea.at(sx, 3)) + 30;
  }
  EXPECT_TRUE(seen > 0 && brighter * 2 >= seen) << brighter << " of " << seen << " clouds in view";

  // The eraser over the sea rings the spot in red, on the waves and the sea floor.
  w.toolMode = 2;
  w.eraserSize = 3.0f;
  w.pick.groundHit = true;
  w.pick.groundPoint = {-52.0f, -46.0f, w.groundHeight(-52.0f, -46.0f)};
  const Frame erasing = drawScene(scene, "gameplay_scene_eraser_on_sea");
  w.toolMode = 0;
  ASSERT_TRUE(project(coast, {-52.0f, -46.0f, 0.0f}, kW, kH, sx, sy));
  const auto reds = [&](const Frame& fr) {
    return countWhere(sx - 120, sy - 60, sx + 120, sy + 60, 1, [&](int x, int y) { return reddish(fr.at(x, y)); });
  };
  EXPECT_GT(reds(erasing), reds(sea) + 100);

  // Night dims the first view.
  w.timeOfDay = 380.0f;
  aimCamera(w.camera, {3.0f, -11.0f, 5.2f}, {5.0f, -3.0f, 3.6f});
  scene.update(0.0f);
  const Frame night = drawScene(scene, "gameplay_scene_night");
  EXPECT_LT(brightness(night.at(60, 8)) + brightness(night.at(kW / 2, kH - 10)), brightness(sky) + brightness(ground) - 60);

  // Below the surface.
  w.timeOfDay = 120.0f;
  aimCamera(w.camera, {6.0f, -40.0f, -1.2f}, {6.0f, -2.0f, -0.8f});
  scene.update(0.0f);
  ASSERT_TRUE(w.camera.underWater());
  const Frame under = drawScene(scene, "gameplay_scene_underwater");
  // Far things melt into the water's colour (teal: no red), and so does the surface seen from below.
  ASSERT_TRUE(project(w.camera, {6.0f, -30.0f, 0.0f}, kW, kH, sx, sy));
  for (const Rgb p : {under.at(kW / 2, kH / 2), under.at(sx, sy)}) EXPECT_LT(p.r + 40, p.g) << p.r << "," << p.g << "," << p.b;
  switcher().clear();
}
