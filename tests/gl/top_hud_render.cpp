// The top bar and each tool panel drawn over the living world by the real
// scene objects, probed against the same frame without the interface.
#include <gtest/gtest.h>

#include <filesystem>

#include "platform/platform.hpp"
#include "render/palette.hpp"
#include "scenes/eraser_panel.hpp"
#include "scenes/terrain_panel.hpp"
#include "scenes/top_hud_scenes.hpp"
#include "scenes/world_colours_panel.hpp"
#include "support/gl_world_helpers.hpp"
#include "ui/hud.hpp"
#include "units/world.hpp"

using namespace qv;

namespace {
constexpr int kW = 1920, kH = 1080;  // one design pixel per screen pixel

std::vector<uint8_t> drawFrame(Scene& scene, bool huds) {
  input().developer.enabled = input().developer.hideHuds = !huds;
  auto px = qvtest::capture(kW, kH, World::shared().clearColour, [&] { scene.draw(); });
  input().developer.enabled = input().developer.hideHuds = false;
  return px;
}

// Share of the pixels in a rectangle (design pixels: left, top, width, height;
// y up from the centre) that the interface changed.
double changedShare(const std::vector<uint8_t>& with, const std::vector<uint8_t>& without, float x, float y, float w,
                    float h) {
  int changed = 0, total = 0;
  for (int py = static_cast<int>(540 - y); py < static_cast<int>(540 - y + h); py += 2)
    for (int px = static_cast<int>(960 + x); px < static_cast<int>(960 + x + w); px += 2, ++total)
      changed += qvtest::diff(qvtest::pixelAt(with, kW, px, py), qvtest::pixelAt(without, kW, px, py)) > 24;
  return total ? static_cast<double>(changed) / total : 0.0;
}

}  // namespace

TEST(TopHudRender, BarAndEveryToolPanelDrawOverTheWorld) {
  // Before the world exists, so its objects get their GL buffers; the first call also sizes the window.
  qvtest::ensureGlContext(kW, kH);
  QV_REQUIRE_GL_CONTEXT();
  if (!std::filesystem::exists(platform::dataPath("Images", "Image Hud Top.png"))) GTEST_SKIP() << "no Data";
  World& w = World::shared();
  w.resetWorld();
  w.terrain->reshapeWith({0.0f, 10.0f}, 174.2f, qvtest::DomeIsland(0.0f, 10.0f, 5.0f, 40.0f, -4.0f));
  const char* rows[4] = {"Blue", "Green", "Teal", "White"};
  for (int r = 0; r < 4; ++r) {
    w.colours.checkedSwatch[r] = paletteIndex(rows[r]);
    w.colours.row[r] = *paletteColour(rows[r]);
  }
  w.applyWorldColours();
  w.timeOfDay = 120.0f;
  qvtest::aimCamera(w.camera, {0.0f, -30.0f, 14.0f}, {0.0f, -10.352f, 4.0f});  // yaw 0, pitch -1.1
  switcher().mouseX = switcher().mouseY = 0.0f;
  input() = {};
  w.eraserSize = 4.0f;
  setGameSpeed(2);

  SceneGameplayWithTopHud top;
  SceneGameplayWithTopHudAndEraserHud eraser;
  SceneGameplayWithTopHudAndTerrainHud terrain;
  SceneGameplayWithTopHudAndWorldColorsHud colours;
  terrain.selectTerrainTool(terraintool::kFlattenKeepAngle);
  const struct {
    Scene* scene;
    const Hud* panel;  // null: the bar alone
    int toolMode;
    float width, height;
    const char* name;
  } shots[] = {{&top, nullptr, 0, 0, 0, "top_hud_bar"},
               {&eraser, &eraser.panel(), 2, 714.0f, 64.0f, "top_hud_eraser"},
               {&terrain, &terrain.panel(), 3, 1449.0f, 118.0f, "top_hud_terrain"},
               {&colours, &colours.panel(), 4, 850.0f, 220.0f, "top_hud_world_colors"}};
  for (const auto& s : shots) {
    SCOPED_TRACE(s.name);
    // Runs the scene a moment so the world and the fade-in settle.
    w.toolMode = s.toolMode;
    switcher().clear();
    requestScene(s.scene, 0);
    switcher().switchToRequestedScene();
    for (int i = 0; i < 20; ++i) s.scene->update(0.05f);
    switcher().drawnCursorVisible = false;
    const auto without = drawFrame(*s.scene, false), with = drawFrame(*s.scene, true);
    qvtest::saveScreenshot(s.name, with, kW, kH);
    EXPECT_GT(changedShare(with, without, -740.0f, 536.0f, 1480.0f, 40.0f), 0.5) << "top bar";
    if (s.panel) {
      const float left = s.panel->posX * 540.0f, topY = s.panel->posY * 540.0f;
      EXPECT_GT(changedShare(with, without, left + 30.0f, topY - 8.0f, s.width - 60.0f, s.height - 16.0f), 0.5);
    } else {
      EXPECT_LT(changedShare(with, without, -400.0f, 200.0f, 800.0f, 300.0f), 0.01) << "the world stays clear";
    }
  }
  switcher().clear();
}
