// The world a new game opens on, loaded from the shipped file and drawn by the
// gameplay scene: from the start camera and from a walker's height.
#include <gtest/gtest.h>

#include <filesystem>

#include "core/random.hpp"
#include "persistence/save_game.hpp"
#include "platform/platform.hpp"
#include "render/gl.hpp"
#include "render/palette.hpp"
#include "scenes/scene_gameplay.hpp"
#include "support/gl_world_helpers.hpp"
#include "units/world.hpp"

using namespace qv;

namespace {
constexpr int kW = 1280, kH = 720;

std::vector<uint8_t> drawScene(Scene& scene, const char* name) {
  return qvtest::capture(kW, kH, World::shared().clearColour, [&] { scene.draw(); }, name);
}

// Distinct coarse colours in the lower two thirds: a bare island and sea have few, units add many.
int colourVariety(const std::vector<uint8_t>& px) {
  std::vector<bool> seen(4096, false);
  int n = 0;
  for (int y = kH / 3; y < kH; y += 2)
    for (int x = 0; x < kW; x += 2) {
      const auto p = qvtest::pixelAt(px, kW, x, y);
      const int key = (p.r >> 4) << 8 | (p.g >> 4) << 4 | (p.b >> 4);
      n += !seen[key];
      seen[key] = true;
    }
  return n;
}
}  // namespace

TEST(DefaultWorld, OpensOnALivingIsland) {
  QV_REQUIRE_GL_CONTEXT();
  if (!std::filesystem::exists(defaultWorldPath())) GTEST_SKIP() << "no default world (build the data target)";
  SceneGameplay scene("Default World Test", false);
  switcher().setCurrent(&scene);
  World& w = World::shared();
  rng::seed(99);
  ASSERT_EQ(loadDefaultWorld(w), kLoadOk);
  EXPECT_GT(w.unitCount(), 200u);
  EXPECT_EQ(w.colours.checkedSwatch[WorldColours::kSky], paletteIndex("Blue"));

  // A few seconds of play from the start camera, as a new game shows it.
  for (int i = 0; i < 60; ++i) scene.update(0.05f);
  const auto start = drawScene(scene, "default_world_start");
  // Sky on top, sea and island below, with units breaking up the ground.
  const auto sky = qvtest::pixelAt(start, kW, kW / 2, 6);
  EXPECT_GT(sky.b, sky.r);
  EXPECT_GT(colourVariety(start), 40);
  // Down among the colonies.
  const float g = w.groundHeight(-34.0f, -34.0f), gt = w.groundHeight(-28.0f, -27.0f);
  qvtest::aimCamera(w.camera, {-34.0f, -34.0f, g + 2.5f}, {-28.0f, -27.0f, gt + 0.5f});
  scene.update(0.0f);
  EXPECT_GT(colourVariety(drawScene(scene, "default_world_near")), 60);
  // Along the shore, where lilies and fish keep the shallows busy.
  qvtest::aimCamera(w.camera, {-57.0f, -47.0f, 2.5f}, {-49.0f, -37.0f, 0.0f});
  scene.update(0.0f);
  EXPECT_GT(colourVariety(drawScene(scene, "default_world_shore")), 30);
  switcher().clear();
  World::destroyShared();
}
