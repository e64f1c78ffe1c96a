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
  return true;
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
