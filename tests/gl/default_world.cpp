// The world a new game opens on, loaded from the shipped file and drawn by the
// gameplay scene, then the census panel over it, at a 16:9 and a 21:9 window.
#include <gtest/gtest.h>

#include <filesystem>
#include <set>

#include "core/random.hpp"
#include "persistence/save_game.hpp"
#include "render/display.hpp"
#include "render/gl.hpp"
#include "scenes/census_panel.hpp"
#include "scenes/scene_gameplay.hpp"
#include "support/gl_world_helpers.hpp"
#include "render/palette.hpp"
#include "units/world.hpp"

using namespace qv;

namespace {
// Distinct coarse colours in the lower two thirds: a bare island and sea have few, units add many.
int colourVariety(const std::vector<uint8_t>& px, int w, int h) {
  std::vector<bool> seen(4096, false);
  int n = 0;
  for (int y = h / 3; y < h; y += 2)
    for (int x = 0; x < w; x += 2) {
      const auto p = qvtest::pixelAt(px, w, x, y);
      const int key = (p.r >> 4) << 8 | (p.g >> 4) << 4 | (p.b >> 4);
      n += !seen[key];
      seen[key] = true;
    }
  return n;
}
}  // namespace

TEST(DefaultWorld, OpensOnALivingIslandWithItsCensus) {
  qvtest::ensureGlContext(1920, 1080);
  QV_REQUIRE_GL_CONTEXT();
  if (!std::filesystem::exists(defaultWorldPath())) GTEST_SKIP() << "no default world (build the data target)";
  SceneGameplay scene("Census Test", false);
  switcher().setCurrent(&scene);
  World& w = World::shared();
  rng::seed(2026);
  ASSERT_EQ(loadDefaultWorld(w), kLoadOk);
  EXPECT_GT(w.unitCount(), 200u);
  EXPECT_EQ(w.colours.checkedSwatch[WorldColours::kSky], paletteIndex("Blue"));
  // Fresh from the load: every kind listed at once, the chart still empty.
  censusPanelOpen() = true;
  scene.update(0.05f);
  EXPECT_GT(censusPanel().listedCount(), 10);
  EXPECT_EQ(censusPanel().chartSegments(), 0u);
  qvtest::capture(1920, 1080, w.clearColour, [&] { scene.draw(); }, "census_panel_fresh");
  censusPanelOpen() = false;
  // A few seconds of play from the start camera, as a new game shows it: units break up the island.
  for (int i = 0; i < 60; ++i) scene.update(0.05f);
  EXPECT_GT(colourVariety(qvtest::capture(1280, 720, w.clearColour, [&] { scene.draw(); }, "default_world_start"), 1280, 720), 40);
  // Down among the colonies.
  const float g = w.groundHeight(-34.0f, -34.0f), gt = w.groundHeight(-28.0f, -27.0f);
  qvtest::aimCamera(w.camera, {-34.0f, -34.0f, g + 2.5f}, {-28.0f, -27.0f, gt + 0.5f});
  scene.update(0.0f);
  EXPECT_GT(colourVariety(qvtest::capture(1280, 720, w.clearColour, [&] { scene.draw(); }, "default_world_near"), 1280, 720), 60);

  // Twenty game minutes at the fastest speed, as the world runs it.
  w.setGameSpeed(3);
  for (int i = 0; i < 1200; ++i) w.step(0.05f, w.simDtFor(0.05f, false));
  ASSERT_GT(w.census.sampleCount(), 200);

  std::set<const Unit3DTemplate*> living;
  for (const auto& u : w.allUnits())
    if (u->alive()) living.insert(u->unitTemplate.get());

  w.timeOfDay = 120.0f;  // the pictures by daylight
  w.updateLight();
  censusPanelOpen() = true;
  const struct { int width, height; const char* name; } shapes[] = {
      {1920, 1080, "census_panel_16x9"}, {1920, 823, "census_panel_21x9"}};
  for (const auto& s : shapes) {
    SCOPED_TRACE(s.name);
    computeViewport(s.width, s.height);
    scene.update(0.05f);
    CensusPanel& panel = censusPanel();
    EXPECT_EQ(panel.listedCount(), static_cast<int>(living.size())) << "every kind alive is listed";
    EXPECT_EQ(panel.pageCount(), (panel.listedCount() + CensusPanel::kRowsPerPage - 1) / CensusPanel::kRowsPerPage);
    EXPECT_GT(panel.chartSegments(), living.size() * 100) << "a line per kind across the history";
    const auto withPanel = qvtest::capture(s.width, s.height, w.clearColour, [&] { scene.draw(); }, s.name);
    censusPanelOpen() = false;
    const auto without = qvtest::capture(s.width, s.height, w.clearColour, [&] { scene.draw(); });
    censusPanelOpen() = true;
    // The panel covers the middle of the interface, whatever the window's width;
    // outside the 16:9 interface the world shows untouched.
    const DisplayLayout& d = display();
    const int cx = s.width / 2, cy = s.height / 2;
    const int reach = d.interfaceRect.width * 3 / 8;
    int changed = 0, total = 0;
    for (int x = cx - reach; x < cx + reach; x += 8)
      for (int y = cy - s.height / 4; y < cy + s.height / 4; y += 8, ++total)
        changed += qvtest::diff(qvtest::pixelAt(withPanel, s.width, x, y), qvtest::pixelAt(without, s.width, x, y)) > 30;
    EXPECT_GT(changed, total / 2);
    if (d.interfaceRect.x > 8) {
      const int x = d.interfaceRect.x / 2;
      EXPECT_EQ(qvtest::diff(qvtest::pixelAt(withPanel, s.width, x, cy), qvtest::pixelAt(without, s.width, x, cy)), 0);
    }
  }
  // A click on the panel's body never reaches the world.
  EXPECT_EQ(censusPanel().mouse(0.0f, 0.0f, kMousePress), CensusPanel::kBody);
  EXPECT_EQ(censusPanel().mouse(0.0f, -500.0f, kMousePress), 0);

  censusPanelOpen() = false;
  computeViewport(1920, 1080);
  switcher().clear();
  World::destroyShared();
}
