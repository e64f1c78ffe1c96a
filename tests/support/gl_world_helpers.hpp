#pragma once
// Helpers shared by the GL tests that draw the world.
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <type_traits>
#include <vector>

#include "render/gl.hpp"
#include "support/gl_context.hpp"
#include "world/camera.hpp"
#include "world/terrain.hpp"

namespace qvtest {

// A round island: `top` high at (cx, cy), falling off as 1 - (d / radius)^2 to a flat sea floor.
struct DomeIsland : qv::HeightBrush {
  float cx, cy, top, radius, floor;
  DomeIsland(float cx, float cy, float top, float radius, float floor)
      : cx(cx), cy(cy), top(top), radius(radius), floor(floor) {}
  float newHeight(int, int, float x, float y, float, float) const override {
    const float d2 = ((x - cx) * (x - cx) + (y - cy) * (y - cy)) / (radius * radius);
    return std::max(top * (1.0f - d2), floor);
  }
};

// Yaw 0 looks along +y and grows towards +x; pitch 0 looks down, -pi/2 is level.
inline void aimCamera(qv::Camera& cam, qv::Vec3 eye, qv::Vec3 target) {
  cam.position = eye;
  cam.maxHeight = eye.z;
  const qv::Vec3 d = target - eye;
  cam.yaw = std::atan2(d.x, d.y);
  cam.pitch = -std::atan2(std::sqrt(d.x * d.x + d.y * d.y), -d.z);
}
inline qv::Camera lookingAt(qv::Vec3 eye, qv::Vec3 target) {
  qv::Camera cam;
  aimCamera(cam, eye, target);
  return cam;
}

// Screen pixel (top row first) of a world point; false when behind the eye or off screen.
inline bool project(const qv::Camera& cam, qv::Vec3 p, int w, int h, int& px, int& py) {
  const qv::Vec4 c = cam.toClip(p, static_cast<float>(w) / h);
  if (c.w <= 0.0f) return false;
  px = static_cast<int>((c.x / c.w * 0.5f + 0.5f) * w);
  py = static_cast<int>((1.0f - (c.y / c.w * 0.5f + 0.5f)) * h);
  return px >= 2 && px < w - 2 && py >= 2 && py < h - 2;
}

// A frame read back from a 1280-wide window, probed by pixel.
struct Frame {
  std::vector<uint8_t> px;
  int w = 1280;
  Rgb at(int x, int y) const { return pixelAt(px, w, x, y); }
};

// Clears to `clear`, runs `draw`, reads the frame back and saves it when named.
template <class Draw>
std::vector<uint8_t> capture(int w, int h, const qv::Colour& clear, Draw draw, const char* name = nullptr) {
  glViewport(0, 0, w, h);
  glClearColor(clear.r, clear.g, clear.b, 1.0f);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  draw();
  std::vector<uint8_t> px = readPixels(w, h);
  if (name) saveScreenshot(name, px, w, h);
  return px;
}

// How many points of [x0, x1) x [y0, y1), every `step`th in each direction, satisfy `pick(x, y)`.
template <class Pick>
int countWhere(int x0, int y0, int x1, int y1, int step, Pick pick) {
  int n = 0;
  for (int y = y0; y < y1; y += step)
    for (int x = x0; x < x1; x += step) n += pick(x, y);
  return n;
}

inline int brightness(Rgb c) { return c.r + c.g + c.b; }
inline int diff(Rgb a, Rgb b) { return std::abs(a.r - b.r) + std::abs(a.g - b.g) + std::abs(a.b - b.b); }

// The template whose model file is `model`, or null.
template <class World>
auto findTemplate(World& w, const char* model) -> std::decay_t<decltype(w.templates.all.front())> {
  for (const auto& t : w.templates.all)
    if (t->modelFileName() == model) return t;
  return {};
}

}  // namespace qvtest
