#pragma once
#include <cstdint>

namespace qv {

// The white pixel that paints the 16:9 area of a letterboxed window, and the
// developer frame-time texts drawn over every scene.
void createWhitePixel();
bool whitePixelAvailable();
void drawWhitePixel(float r, float g, float b);
void drawFrameTimes(float fps, int64_t averageMicros);
void deleteFonts();

}  // namespace qv
