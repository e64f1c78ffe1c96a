// The eraser circle under the cursor in a window wider than 16:9: the game's
// own cursor mapping, mouse ray, pick and terrain draw, read back from the frame.
#include <gtest/gtest.h>

#include <cmath>

#include "render/display.hpp"
#include "render/gl.hpp"
#include "scenes/game_scenes.hpp"
#include "support/gl_world_helpers.hpp"
#include "units/world.hpp"

using namespace qv;
using namespace qvtest;

namespace {
// 21:9, drawn into the test window's back buffer the way the game lays out such a window.
constexpr int kW = 1260, kH = 540;

struct Flat : HeightBrush {
  float newHeight(int, int, float, float, float, float) const override { return 2.0f; }
};
}  // namespace

TEST(MousePick, EraserCircleSitsUnderTheCursorInA21By9Window) {
  QV_REQUIRE_GL_CONTEXT();
  SceneGameplayWithTopHud scene;
  switcher().setCurrent(&scene);
  World& w = World::shared();
  ASSERT_TRUE(w.terrain);
  w.terrain->reshapeWith({0.0f, 0.0f}, 174.2f, Flat{});
  w.timeOfDay = 120.0f;
  w.eraserSize = 1.5f;
  aimCamera(w.camera, {0.0f, -30.0f, 34.0f}, {0.0f, 0.0f, 2.0f});
  computeViewport(kW, kH);
  ASSERT_EQ(display().viewport.width, kW) << "a 21:9 window shows the world across its whole width";

  const auto frame = [&](double cx, double cy, int tool, bool cursor, const char* name) {
    const Vec2 m = mouseFromCursor(display(), cx, cy, kW, kH);
    switcher().mouseX = m.x, switcher().mouseY = m.y;
    switcher().drawnCursorVisible = cursor;
    w.toolMode = tool;
    scene.update(0.0f);
    return Frame{capture(kW, kH, w.clearColour, [&] { scene.draw(); }, name), kW};
  };
  // Cursor pixels from the left edge to the right edge, above and below the middle.
  const double cursors[][2] = {{90, 330}, {330, 250}, {630, 300}, {960, 380}, {1180, 260}};
  for (const auto& c : cursors) {
    const Frame plain = frame(c[0], c[1], 0, false, nullptr);
    const Frame circle = frame(c[0], c[1], 2, false, nullptr);
    ASSERT_TRUE(w.pick.groundHit) << c[0];
    double sx = 0, sy = 0;
    int n = 0, redder = 0;
    for (int y = 0; y < kH; ++y)
      for (int x = 0; x < kW; ++x)
        if (diff(plain.at(x, y), circle.at(x, y)) > 40) {
          sx += x + 0.5, sy += y + 0.5, ++n;
          redder += circle.at(x, y).r - plain.at(x, y).r > circle.at(x, y).b - plain.at(x, y).b;
        }
    ASSERT_GT(n, 30) << "no circle drawn for the cursor at " << c[0];
    EXPECT_GT(redder, n * 9 / 10) << "the eraser's circle is red";
    EXPECT_LT(std::hypot(sx / n - c[0], sy / n - c[1]), 3.0)
        << "cursor " << c[0] << "," << c[1] << " circle centre " << sx / n << "," << sy / n;
  }
  // The picture: the circle with the drawn cursor's tip in its middle, far to the right.
  frame(1180, 260, 2, true, "pick_21x9_circle_under_cursor");
  computeViewport(1280, 720);
  switcher().clear();
}
