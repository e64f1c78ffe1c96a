// F12's capture path on a real frame: the PNG the worker writes holds exactly
// the frame that was drawn.
#include <gtest/gtest.h>

#include <lodepng.h>

#include <chrono>
#include <filesystem>
#include <thread>
#include <unistd.h>

#include "app/screenshot.hpp"
#include "core/random.hpp"
#include "persistence/save_game.hpp"
#include "platform/platform.hpp"
#include "render/display.hpp"
#include "render/gl.hpp"
#include "scenes/scene_gameplay.hpp"
#include "support/gl_world_helpers.hpp"
#include "units/world.hpp"

using namespace qv;
namespace fs = std::filesystem;

TEST(ScreenshotCapture, ThePngHoldsTheDrawnFrame) {
  constexpr int kW = 1920, kH = 1080;
  qvtest::ensureGlContext(kW, kH);
  QV_REQUIRE_GL_CONTEXT();
  if (!fs::exists(defaultWorldPath())) GTEST_SKIP() << "no default world (build the data target)";
  const fs::path home = fs::temp_directory_path() / ("qv_shot_gl_" + std::to_string(::getpid()));
  fs::create_directories(home);
  platform::overrideUserDataFolder(home.string() + "/");
  computeViewport(kW, kH);
  SceneGameplay scene("Screenshot Test", false);
  switcher().setCurrent(&scene);
  World& w = World::shared();
  rng::seed(7);
  ASSERT_EQ(loadDefaultWorld(w), kLoadOk);
  for (int i = 0; i < 10; ++i) scene.update(0.05f);

  ScreenshotTaker taker;
  std::vector<uint8_t> expected;
  qvtest::capture(kW, kH, w.clearColour, [&] {
    scene.draw();
    taker.request();
    taker.captureIfRequested(kW, kH);
    glFinish();
    expected = qvtest::readPixels(kW, kH);
  });
  taker.collect();
  ScreenshotTaker::Result r = ScreenshotTaker::Result::kNone;
  for (int i = 0; i < 600 && r == ScreenshotTaker::Result::kNone; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    r = taker.poll();
  }
  ASSERT_EQ(r, ScreenshotTaker::Result::kSaved);
  EXPECT_EQ(taker.lastPath().rfind((home / "Screenshots").string(), 0), 0u) << taker.lastPath();
  std::vector<unsigned char> png;
  unsigned pw = 0, ph = 0;
  ASSERT_EQ(lodepng::decode(png, pw, ph, taker.lastPath()), 0u);
  ASSERT_TRUE(pw == kW && ph == kH);
  size_t differing = 0;
  for (size_t i = 0; i < png.size(); i += 4)
    differing += png[i] != expected[i] || png[i + 1] != expected[i + 1] || png[i + 2] != expected[i + 2];
  EXPECT_EQ(differing, 0u) << "pixels unlike the frame";

  switcher().clear();
  World::destroyShared();
  fs::remove_all(home);
}
