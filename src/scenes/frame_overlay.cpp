#include "scenes/frame_overlay.hpp"

#include <cstdio>
#include <optional>
#include <string>

#include "render/display.hpp"
#include "ui/font.hpp"
#include "ui/image.hpp"

namespace qv {

namespace {
struct Overlay {
  std::optional<ImageRect> whitePixel;
  std::optional<TextDynamic> fpsText, frameTimeText;
};
Overlay& overlay() {
  static Overlay o;
  return o;
}
}  // namespace

void createWhitePixel() {
  overlay().whitePixel.emplace("White Pixel.png", 1920.0f, 1080.0f, kAnchorCentre);
}

bool whitePixelAvailable() {
  return overlay().whitePixel && overlay().whitePixel->texture != 0;
}

void drawWhitePixel(float r, float g, float b) {
  if (!whitePixelAvailable()) return;
  drawRect(*overlay().whitePixel, 0.0f, 0.0f, 0.0f, 1.0f, 1.0f, 1.0f, 1.0f, {r, g, b, 1.0f}, -1.0f);
}

void drawFrameTimes(float fps, int64_t averageMicros) {
  Overlay& o = overlay();
  if (!o.fpsText) {
    o.fpsText.emplace(26, "0 FPS", 400.0f, 226.0f);
    o.frameTimeText.emplace(26, "0", 400.0f, 252.0f);
  }
  // Formatted into fixed buffers: this runs every frame while the developer display is on.
  // (A frame rate's digits fit the string's own small buffer, so twoDecimals does not allocate.)
  char buf[64];
  std::snprintf(buf, sizeof buf, "%s FPS", twoDecimals(fps).c_str());
  o.fpsText->setText(buf);
  std::snprintf(buf, sizeof buf, "%lld = Avg. Frame Time us", static_cast<long long>(averageMicros));
  o.frameTimeText->setText(buf);
  o.fpsText->draw(0.0f, 0.0f, 1.0f);
  o.frameTimeText->draw(0.0f, 0.0f, 1.0f);
}

void deleteFonts() {
  overlay().fpsText.reset();
  overlay().frameTimeText.reset();
  releaseFonts();
}

}  // namespace qv
