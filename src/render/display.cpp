#include "render/display.hpp"

#include <algorithm>

#include "render/gpu_resources.hpp"

namespace qv {

bool computeLayout(int width, int height, DisplayLayout& out) {
  if (height <= 0) return false;
  const float a = static_cast<float>(width) / static_cast<float>(height);
  const float r = kInterfaceAspect;
  if (a > r) {
    out.aspectRatio = a;
    out.viewport = {0, 0, width, height};
    out.interfaceRect = {static_cast<int>((width - height * r) * 0.5f), 0, static_cast<int>(height * r), height};
  } else {
    out.aspectRatio = r;
    const int h = static_cast<int>(width / r);
    out.viewport = {0, static_cast<int>((height - h) * 0.5f), width, h};
    out.interfaceRect = out.viewport;
  }
  out.horizontalStretch = out.aspectRatio / r;
  out.windowWidth = width;
  out.windowHeight = height;
  return true;
}

Vec2 mouseFromCursor(const DisplayLayout& d, double cx, double cy, int windowWidth, int windowHeight) {
  const double iw = d.interfaceRect.width, ih = d.interfaceRect.height;
  if (iw <= 0 || ih <= 0) return {};
  return {static_cast<float>((cx - windowWidth / 2) / iw * 1920.0),
          static_cast<float>(-(cy - windowHeight / 2) / ih * 1080.0)};
}

Vec2 viewportPointOfMouse(const DisplayLayout& d, float mouseX, float mouseY) {
  const double iw = d.interfaceRect.width, ih = d.interfaceRect.height;
  const double vw = d.viewport.width, vh = d.viewport.height;
  if (iw <= 0 || ih <= 0 || vw <= 0 || vh <= 0) return {};
  // Back to the window point the cursor was read at (y down), then into the
  // viewport, whose y counts from the window's bottom edge.
  const double cx = d.windowWidth / 2 + mouseX / 1920.0 * iw;
  const double cy = d.windowHeight / 2 - mouseY / 1080.0 * ih;
  const double fromBottom = d.windowHeight - cy;
  return {static_cast<float>((cx - d.viewport.x) / vw * 2.0 - 1.0),
          static_cast<float>((fromBottom - d.viewport.y) / vh * 2.0 - 1.0)};
}

DisplayLayout& display() {
  static DisplayLayout layout;
  return layout;
}

void computeViewport(int width, int height) {
  if (computeLayout(width, height, display())) setAspectRatio(display().aspectRatio);
}

int64_t framePeriodMicros(int refreshRate) { return 1000000 / std::max(refreshRate, 20); }

std::string twoDecimals(float v) {
  const long long whole = static_cast<long long>(v);
  const long long hundredths = static_cast<long long>((v - static_cast<float>(whole)) * 100.0f);
  return std::to_string(whole) + "." + (hundredths < 10 ? "0" : "") + std::to_string(hundredths);
}

}  // namespace qv
