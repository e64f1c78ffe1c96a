#include "world/camera.hpp"

#include <gtest/gtest.h>

#include <cmath>

#include "render/display.hpp"
#include "world/terrain.hpp"

namespace qv {
namespace {

struct SetBrush final : HeightBrush {
  float h;
  explicit SetBrush(float v) : h(v) {}
  float newHeight(int, int, float, float, float, float) const override { return h; }
};

Camera levelCamera(Vec3 at, float yawDeg = 0.0f) {
  return {.yaw = yawDeg * kPi / 180.0f, .position = at, .maxHeight = at.z};
}

TEST(CameraMovement, KeysCombineWheelIsImmediateAndXKeyIsTimed) {
  Camera c = levelCamera({0, 0, 20}, 30.0f);
  c.velocity += (c.levelForward() + c.levelRight()) * Camera::kKeySpeed;
  c.update(0.05f, nullptr);
  EXPECT_NEAR(std::hypot(c.position.x, c.position.y), 12.5f * std::sqrt(2.0f) * 0.05f, 1e-5f);
  EXPECT_EQ(c.velocity.x, 0.0f) << "requests are cleared after every update";

  c = levelCamera({0, 0, 60}, 40.0f);
  c.pitch = -1.1;
  const Vec3 before = c.position;
  c.zoom(2.0f / 60.0f, true);
  c.update(0.001f, nullptr);
  // The old position is straight behind the eye.
  EXPECT_NEAR(length(c.toView(before) - Vec3{0.0f, 0.0f, 5.0f / 3.0f}), 0.0f, 1e-4f);
  EXPECT_FLOAT_EQ(c.maxHeight, c.position.z) << "zooming captures the height";
  const Vec3 mid = c.position;
  for (int n = 0; n < 20; ++n) {
    c.zoom(0.3125f, false);
    c.update(0.05f, nullptr);
  }
  EXPECT_NEAR(length(c.position - mid), 15.625f, 1e-3f);
}

TEST(CameraLimits, PitchWorldSquareTopGroundBrokenFrameTimeAHillAndTheCeilingRule) {
  Terrain t;
  Camera c = levelCamera({80, -80, 20});
  // Straight down at most, straight up at most.
  for (const auto [turn, limit] : {std::pair(50.0, 0.0), std::pair(-50.0, -static_cast<double>(kPi))}) {
    c.pitchDelta = turn;
    c.update(0.016f, nullptr);
    EXPECT_EQ(c.pitch, limit);
  }
  c.displacement = {100, -100, 500};
  c.captureMaxHeight = true;
  c.update(0.016f, &t);
  EXPECT_LT(length(c.position - Vec3{82.485f, -82.485f, 150.0f}), 1e-4f) << c.position.x << "," << c.position.y;

  t.reshapeWith({0, 0}, 500.0f, SetBrush(5.0f));
  c.velocity = {0, 0, -10000};  // straight into the ground
  c.captureMaxHeight = true;
  c.update(0.05f, &t);
  EXPECT_NEAR(c.position.z, 5.0f + 1.3f, 1e-4f);
  // Without a terrain the eye may go anywhere below the ceiling, even under water.
  c.displacement = {0, 0, -20};
  c.captureMaxHeight = true;
  c.update(0.016f, nullptr);
  EXPECT_TRUE(c.underWater());

  const Vec3 kept = c.position;
  c.velocity = {10, 10, 10};
  c.update(std::nanf(""), nullptr);
  c.displacement = {INFINITY, 0, 0};
  c.update(0.01f, nullptr);
  EXPECT_EQ(c.position.x, kept.x);

  // Flying over a hill keeps above it and comes back down to the chosen height.
  Terrain hill;
  hill.reshapeWith({0, 0}, 12.0f, SetBrush(25.0f));
  c = levelCamera({0, -40, 10});
  for (int n = 0; n < 200; ++n) {  // 10 s at 12.5 units per second along +y
    c.velocity += c.levelForward() * Camera::kKeySpeed;
    c.update(0.05f, &hill);
    EXPECT_GE(c.position.z, hill.heightAt(c.position.x, c.position.y) + 1.3f - 1e-4f);
    if (std::fabs(c.position.y) < 5.0f) EXPECT_NEAR(c.position.z, 26.3f, 0.05f);
  }
  EXPECT_FLOAT_EQ(c.position.z, 10.0f) << "back at the chosen height beyond the hill";

  // Pressing Space on the hill top makes that height the new ceiling.
  Camera d = levelCamera({0, 0, 10});
  d.update(0.05f, &hill);
  d.velocity.z += Camera::kKeySpeed;
  d.captureMaxHeight = true;
  d.update(0.05f, &hill);
  EXPECT_NEAR(d.maxHeight, 26.3f + 0.625f, 1e-3f);
  d.displacement = {0, 40, 0};
  d.update(0.05f, &hill);
  EXPECT_NEAR(d.position.z, 26.925f, 1e-3f);
}

// The cursor is read against the 16:9 interface rectangle, the projection spans
// the viewport; a point picked along the mouse ray must project back under the
// cursor pixel in every window shape (wide, 16:9, narrow, portrait, odd sizes).
TEST(CameraProjection, MouseRayStaysUnderTheCursorForAnyWindowShape) {
  Camera c = levelCamera({10, -20, 40}, -20.0f);
  c.pitch = -0.8;
  Vec3 o, d;
  const struct { int w, h; } windows[] = {{3840, 1080}, {2560, 1080}, {1260, 540}, {1280, 540}, {1920, 1080},
                                          {1680, 1050}, {1024, 768},  {1280, 1024}, {1080, 1920}, {1281, 721},
                                          {1280, 1025}, {1919, 1079}};
  for (const auto& win : windows) {
    DisplayLayout layout;
    ASSERT_TRUE(computeLayout(win.w, win.h, layout));
    const IntRect& v = layout.viewport;
    const double firstRow = win.h - v.y - v.height;  // the viewport's top edge, counted from the window's top
    const double cursors[][2] = {{0.5, 0.5}, {0.1, 0.5}, {0.95, 0.2}, {0.25, 0.9}, {0.02, 0.98}, {0.999, 0.001}};
    for (const auto& f : cursors) {
      const double cx = v.x + f[0] * v.width, cy = firstRow + f[1] * v.height;
      const Vec2 m = mouseFromCursor(layout, cx, cy, win.w, win.h);
      c.mouseRay(m.x, m.y, layout, o, d);
      for (float along : {2.0f, 13.0f, 400.0f}) {
        const Vec4 clip = c.toClip(o + d * along, layout.aspectRatio);
        // glViewport's mapping from clip space to window pixels (y down for the cursor).
        const double px = v.x + (clip.x / clip.w + 1.0) * 0.5 * v.width;
        const double py = win.h - (v.y + (clip.y / clip.w + 1.0) * 0.5 * v.height);
        EXPECT_LT(std::hypot(px - cx, py - cy), 1.0) << win.w << "x" << win.h << " cursor " << cx << "," << cy
                                                      << " lands at " << px << "," << py;
      }
    }
  }
}

}  // namespace
}  // namespace qv
