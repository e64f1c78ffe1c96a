#pragma once
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

namespace qvtest {

// One 1920 x 1080 GLFW window with a 3.3 core context for the whole GL test
// program, large enough for every case whichever runs first.
// When it cannot be made: the test fails if QV_REQUIRE_GL=1 (set by ./test.sh
// and CI, so a broken display never passes silently), else it is skipped.
bool ensureGlContext();

// Reads the back buffer (after drawing, before swapping) as RGBA rows, top row first.
std::vector<uint8_t> readPixels(int width, int height);
struct Rgb { int r, g, b; };
Rgb pixelAt(const std::vector<uint8_t>& rgba, int width, int x, int y);
// Writes <build>/test-screenshots/<name>.png (top row first) and returns the path.
std::string saveScreenshot(const std::string& name, const std::vector<uint8_t>& rgba, int width, int height);

}  // namespace qvtest

// Use at the top of every GL test.
#define QV_REQUIRE_GL_CONTEXT()                                              \
  do {                                                                       \
    if (!qvtest::ensureGlContext()) {                                        \
      const char* req = std::getenv("QV_REQUIRE_GL");                        \
      if (req && std::string(req) == "1") FAIL() << "no GL context";         \
      GTEST_SKIP() << "no display for a GL context";                         \
    }                                                                        \
  } while (0)
