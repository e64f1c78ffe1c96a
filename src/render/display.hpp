#pragma once
#include <cstdint>
#include <string>

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
  bool letterboxed() const { return viewport.y > 0; }
};

inline constexpr float kInterfaceAspect = 16.0f / 9.0f;

// Pure layout maths; returns false (and leaves the layout alone) for a height of 0 or less.
bool computeLayout(int width, int height, DisplayLayout& out);

// Process-wide display state of the running game.
DisplayLayout& display();
// Recomputes the layout and sends the aspect ratio to every shader program.
void computeViewport(int width, int height);

// Frame period in microseconds for a monitor refresh rate (at least 20 Hz).
int64_t framePeriodMicros(int refreshRate);
// "12.34" with truncated hundredths, as the frame-rate report writes it.
std::string twoDecimals(float v);

}  // namespace qv
