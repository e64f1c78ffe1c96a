// The top bar and each tool panel drawn over the living world by the real
// scene objects, probed against the same frame without the interface.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>

#include "platform/platform.hpp"
#include "render/gl.hpp"
#include "render/palette.hpp"
#include "scenes/top_hud_scenes.hpp"
#include "support/gl_context.hpp"
#include "ui/hud.hpp"
#include "units/world.hpp"

using namespace qv;

namespace {
constexpr int kW = 1920, kH = 1080;  // one design pixel per screen pixel

struct Island : HeightBrush {
  float newHeight(int, int, float x, float y, float, float) const override {
    const float d = std::sqrt(x * x + (y - 10.0f) * (y - 10.0f));
    return std::max(5.0f * (1.0f - (d / 40.0f) * (d / 40.0f)), -4.0f);
  }
};

std::vector<uint8_t> drawFrame(Scene& scene, bool huds) {
  glViewport(0, 0, kW, kH);
  const Colour& c = World::shared().clearColour;
  glClearColor(c.r, c.g, c.b, 1.0f);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  switcher().developerMode = !huds;
  switcher().hideHuds = !huds;
  scene.draw();
  glFinish();
  switcher().developerMode = false;
  switcher().hideHuds = false;
  return qvtest::readPixels(kW, kH);
}

// Share of the pixels in a rectangle (design pixels: left, top, width, height;
// y up from the centre) that the interface changed.
double changedShare(const std::vector<uint8_t>& with, const std::vector<uint8_t>& without, float x, float y, float w,
                    float h) {
  int changed = 0, total = 0;
  for (int py = static_cast<int>(540 - y); py < static_cast<int>(540 - y + h); py += 2)
    for (int px = static_cast<int>(960 + x); px < static_cast<int>(960 + x + w); px += 2) {
      const auto a = qvtest::pixelAt(with, kW, px, py), b = qvtest::pixelAt(without, kW, px, py);
      if (std::abs(a.r - b.r) + std::abs(a.g - b.g) + std::abs(a.b - b.b) > 24) ++changed;
      ++total;
    }
  return total ? static_cast<double>(changed) / total : 0.0;
}

class TopHudRender : public ::testing::Test {
 protected:
  void SetUp() override {
    // Before the world exists, so its objects get their GL buffers; the first
    // call also sizes the window.
    qvtest::ensureGlContext(kW, kH);
    World& w = World::shared();
    w.resetWorld();
    w.terrain->reshapeWith({0.0f, 10.0f}, 174.2f, Island{});
    const char* rows[4] = {"Blue", "Green", "Teal", "White"};
    for (int r = 0; r < 4; ++r) {
      w.colours.checkedSwatch[r] = paletteIndex(rows[r]);
      w.colours.row[r] = *paletteColour(rows[r]);
    }
    w.applyWorldColours();
    w.timeOfDay = 120.0f;
    w.camera.position = {0.0f, -30.0f, 14.0f};
    w.camera.maxHeight = 14.0f;
    w.camera.yaw = 0.0;
    w.camera.pitch = -1.1;
    switcher().mouseX = 0.0f;
    switcher().mouseY = 0.0f;
    SceneGameplay::inputView() = {};
    switcher().drawnCursorVisible = false;
  }
  void TearDown() override { switcher().clear(); }

  // Runs the scene a moment so the world and the fade-in settle.
  static void settle(Scene& scene) {
    switcher().clear();
    requestScene(&scene, 0);
    switcher().switchToRequestedScene();
    for (int i = 0; i < 20; ++i) scene.update(0.05f);
    switcher().drawnCursorVisible = false;
  }
  static void expectPanel(const std::vector<uint8_t>& with, const std::vector<uint8_t>& without, const Hud& panel,
                          float width, float height, const char* what) {
    const float left = panel.posX * 540.0f, top = panel.posY * 540.0f;
    EXPECT_GT(changedShare(with, without, left + 30.0f, top - 8.0f, width - 60.0f, height - 16.0f), 0.5) << what;
  }
};

bool haveData() { return std::filesystem::exists(platform::dataPath("Images", "Image Hud Top.png")); }

TEST_F(TopHudRender, BarAndEveryToolPanelDrawOverTheWorld) {
  QV_REQUIRE_GL_CONTEXT();
  if (!haveData()) GTEST_SKIP() << "no Data";
  SceneGameplayWithTopHud top;
  SceneGameplayWithTopHudAndEraserHud eraser;
  SceneGameplayWithTopHudAndTerrainHud terrain;
  SceneGameplayWithTopHudAndWorldColorsHud colours;
  World& w = World::shared();

  // The plain bar.
  settle(top);
  setGameSpeed(2);
  auto without = drawFrame(top, false);
  auto with = drawFrame(top, true);
  qvtest::saveScreenshot("top_hud_bar", with, kW, kH);
  EXPECT_GT(changedShare(with, without, -740.0f, 536.0f, 1480.0f, 40.0f), 0.5) << "top bar";
  EXPECT_LT(changedShare(with, without, -400.0f, 200.0f, 800.0f, 300.0f), 0.01) << "the world stays clear";

  // Eraser: bar, bottom panel and the eraser ring on the ground.
  w.toolMode = 2;
  w.eraserSize = 4.0f;
  settle(eraser);
  without = drawFrame(eraser, false);
  with = drawFrame(eraser, true);
  qvtest::saveScreenshot("top_hud_eraser", with, kW, kH);
  EXPECT_GT(changedShare(with, without, -740.0f, 536.0f, 1480.0f, 40.0f), 0.5);
  expectPanel(with, without, eraser.panel(), 714.0f, 64.0f, "eraser panel");

  // Terrain: a hill raised through the scene itself, the brush circle and the panel.
  w.toolMode = 3;
  settle(terrain);
  terrain.selectTerrainTool(terraintool::kRaiseRound);
  const float before = w.terrain->heightAt(w.pick.groundPoint.x, w.pick.groundPoint.y);
  SceneGameplay::inputView().leftHeld = true;
  terrain.mouse(0.0f, 0.0f, kMousePress);
  for (int i = 0; i < 20; ++i) terrain.update(0.05f);
  SceneGameplay::inputView().leftHeld = false;
  terrain.mouse(0.0f, 0.0f, kMouseRelease);
  terrain.update(0.05f);
  EXPECT_GT(w.terrain->heightAt(w.pick.groundPoint.x, w.pick.groundPoint.y), before + 1.0f);
  terrain.selectTerrainTool(terraintool::kFlattenKeepAngle);
  without = drawFrame(terrain, false);
  with = drawFrame(terrain, true);
  qvtest::saveScreenshot("top_hud_terrain", with, kW, kH);
  expectPanel(with, without, terrain.panel(), 1449.0f, 118.0f, "terrain panel");
  // Resting on a tool button brings up its name and help above the panel.
  const Hud& tools = terrain.panel();
  const float bx = tools.posX * 540.0f + 700.0f + 49.0f, by = tools.posY * 540.0f - 28.0f - 41.0f;
  switcher().mouseX = bx;
  switcher().mouseY = by;
  terrain.mouse(bx, by, kMouseMove);
  for (int i = 0; i < 10; ++i) terrain.update(0.05f);
  with = drawFrame(terrain, true);
  qvtest::saveScreenshot("top_hud_terrain_tooltip", with, kW, kH);
  EXPECT_GT(changedShare(with, without, bx - 20.0f, by + 120.0f, 40.0f, 40.0f), 0.5) << "tooltip above the button";
  switcher().mouseX = switcher().mouseY = 0.0f;
  terrain.mouse(0.0f, 0.0f, kMouseMove);

  // World options: four rows of swatches; the hovered land swatch already tints the ground.
  w.toolMode = 4;
  settle(colours);
  const Hud& panel = colours.panel();
  const float hx = panel.posX * 540.0f + 338.0f + 36.0f * 7 + 21.0f, hy = panel.posY * 540.0f - 19.0f - 54.0f - 21.0f;
  colours.mouse(hx, hy, kMouseMove);
  EXPECT_TRUE(w.terrain->colorEmptyLand().sameAs(kPalette[7].colour.lifted()));
  colours.mouse(0.0f, 0.0f, kMouseMove);
  without = drawFrame(colours, false);
  with = drawFrame(colours, true);
  qvtest::saveScreenshot("top_hud_world_colors", with, kW, kH);
  expectPanel(with, without, panel, 850.0f, 220.0f, "world colours panel");
}

}  // namespace
