#pragma once
#include <cstdint>
#include <string>

#include "core/vecmath.hpp"

namespace qv {

struct IntRect {
  int x = 0, y = 0, width = 0, height = 0;
};

// Where the world and the interface are drawn inside the window. The interface
// is always laid out in a 16:9 rectangle; wider windows show more world at the
// sides, narrower ones get black bars above and below.
struct DisplayLayout {
  IntRect viewport{0, 0, 1280, 720};
  IntRect interfaceRect{0, 0, 1280, 720};
  float aspectRatio = 16.0f / 9.0f;
  float horizontalStretch = 1.0f;
  int windowWidth = 1280, windowHeight = 720;
  bool letterboxed() const { return viewport.y > 0; }
};

inline constexpr float kInterfaceAspect = 16.0f / 9.0f;

// Pure layout maths; returns false (and leaves the layout alone) for a height of 0 or less.
bool computeLayout(int width, int height, DisplayLayout& out);

// The mouse position in design pixels of a cursor at window pixel (cx, cy), y
// down: 1920 x 1080 across the interface rectangle, measured from the window's
// centre (whole-pixel halves), y up. Neither clamped nor rounded.
Vec2 mouseFromCursor(const DisplayLayout& d, double cx, double cy, int windowWidth, int windowHeight);
// Where a mouse position lies in the viewport, -1 to 1 across its width and
// height (y up): the point the projection puts under that cursor. Uses the
// window size the layout was computed for.
Vec2 viewportPointOfMouse(const DisplayLayout& d, float mouseX, float mouseY);

// Process-wide display state of the running game.
DisplayLayout& display();
// Recomputes the layout and sends the aspect ratio to every shader program.
void computeViewport(int width, int height);

// Frame period in microseconds for a monitor refresh rate (at least 20 Hz).
int64_t framePeriodMicros(int refreshRate);
// "12.34" with truncated hundredths, as the frame-rate report writes it.
std::string twoDecimals(float v);

}  // namespace qv
