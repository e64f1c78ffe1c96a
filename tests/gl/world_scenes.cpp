// The world as a player sees it through the real scenes: a played island, the
// shipped default world with its census, the cursor pick and the F12 capture.
// Each case brings up what it draws, so any one runs alone.

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <filesystem>
#include <lodepng.h>
#include <set>
#include <thread>
#include <unistd.h>

#include "app/screenshot.hpp"
#include "core/random.hpp"
#include "persistence/save_game.hpp"
#include "platform/platform.hpp"
#include "render/display.hpp"
#include "render/palette.hpp"
#include "scenes/census_panel.hpp"
#include "scenes/game_scenes.hpp"
#include "scenes/scene_gameplay.hpp"
#include "support/gl_world_helpers.hpp"
#include "units/world.hpp"
#include "world/clouds.hpp"

using namespace qv;
using namespace qvtest;
namespace fs = std::filesystem;

namespace {
constexpr int kW = 1280, kH = 720;

Frame drawScene(Scene& scene, const char* name) {
  return {capture(kW, kH, World::shared().clearColour, [&] { scene.draw(); }, name)};
}
bool reddish(Rgb p) { return p.r > 90 && p.r > p.g + 60 && p.r > p.b + 60; }
}  // namespace

// The world as a player sees it: the real gameplay scene updates the shared
// world and draws sky, ground, clouds, units, sea and tool circles in its order.
TEST(GameplayScene, RunsAndDrawsTheWorldInItsOrder) {
  QV_REQUIRE_GL_CONTEXT();
  if (!std::filesystem::exists(platform::dataPath("Models", "Mushroom Tree.obj"))) GTEST_SKIP() << "no Data";
  SceneGameplayWithTopHud scene;
  switcher().setCurrent(&scene);
  World& w = World::shared();
  rng::seed(2024);
  ASSERT_TRUE(w.terrain && w.water && w.skyHorizon && w.clouds);
  w.terrain->reshapeWith({5.0f, 0.0f}, 174.2f, DomeIsland(5.0f, 0.0f, 4.0f, 28.0f, -3.0f));
  createDefaultTemplates(w.templates);
  int placed = 0;
  const char* kinds[] = {"Cup Tree.obj", "Mushroom Tree.obj", "Pointy Tree Trunk.obj", "Chickenlike.obj", "Little Bug.obj"};
  for (int i = 0; i < 30; ++i) {
    const TemplatePtr t = findTemplate(w, kinds[i % 5]);
    ASSERT_NE(t, nullptr);
    const float a = static_cast<float>(i) * 0.7f, r = 1.0f + static_cast<float>(i % 6) * 0.8f;
    const float x = 5.0f + r * std::cos(a), y = -2.0f + r * std::sin(a);
    placed += w.placeUnitOf(t, {x, y, w.standingHeight(*t, x, y)}, a, true) != nullptr;
  }
  EXPECT_GE(placed, 20);
  // The world colours a new game's world brings along: blue sky, teal sea.
  const char* rows[4] = {"Blue", "Green", "Teal", "White"};
  for (int r = 0; r < 4; ++r) w.colours.row[r] = *paletteColour(rows[r]);
  w.applyWorldColours();
  w.timeOfDay = 120.0f;
  aimCamera(w.camera, {3.0f, -11.0f, 5.2f}, {5.0f, -3.0f, 3.6f});
  // A few seconds of play: units settle, fade in and start living.
  for (int i = 0; i < 120; ++i) scene.update(0.05f);
  EXPECT_TRUE(w.unitCount() > 0u && w.unsavedChanges);

  const Frame f = drawScene(scene, "gameplay_scene_day");
  const Rgb sky = f.at(60, 8), ground = f.at(kW / 2, kH - 10);
  EXPECT_TRUE(sky.b > sky.r && diff(ground, sky) > 60) << "a blue sky over the land";
  EXPECT_GT(countWhere(0, kH / 4, kW, kH, 4, [&](int x, int y) { return diff(f.at(x, y), ground) > 90; }), 200)
      << "units stand out from the ground";

  // From the sea towards the island: the water in front is teal, the clouds above
  // are brighter than the sky around them.
  const Camera coast = lookingAt({-78.0f, -70.0f, 16.0f}, {0.0f, 0.0f, -4.0f});
  w.camera = coast;
  const Frame sea = drawScene(scene, "gameplay_scene_sea");
  int sx = 0, sy = 0, wx = 0, wy = 0;
  ASSERT_TRUE(project(coast, {-52.0f, -46.0f, 0.0f}, kW, kH, wx, wy));
  const Rgb water = sea.at(wx, wy);
  EXPECT_TRUE(water.g > water.r + 40 && water.b > water.r + 40) << water.r << "," << water.g << "," << water.b;
  int seen = 0, brighter = 0;
  for (const Cloud& c : w.clouds->clouds) {
    if (!project(coast, c.position + Vec3{0.0f, 0.0f, 2.0f}, kW, kH, sx, sy)) continue;
    ++seen;
    brighter += brightness(sea.at(sx, sy)) > brightness(sea.at(sx, 3)) + 30;
  }
  EXPECT_TRUE(seen > 0 && brighter * 2 >= seen) << brighter << " of " << seen << " clouds in view";

  // The eraser over the sea rings the spot in red, on the waves and the sea floor.
  w.toolMode = 2;
  w.eraserSize = 3.0f;
  w.pick.groundHit = true;
  w.pick.groundPoint = {-52.0f, -46.0f, w.groundHeight(-52.0f, -46.0f)};
  const Frame erasing = drawScene(scene, "gameplay_scene_eraser_on_sea");
  w.toolMode = 0;
  const auto reds = [&](const Frame& fr) {
    return countWhere(wx - 120, wy - 60, wx + 120, wy + 60, 1, [&](int x, int y) { return reddish(fr.at(x, y)); });
  };
  EXPECT_GT(reds(erasing), reds(sea) + 100);

  // Night dims the first view.
  w.timeOfDay = 380.0f;
  aimCamera(w.camera, {3.0f, -11.0f, 5.2f}, {5.0f, -3.0f, 3.6f});
  scene.update(0.0f);
  const Frame night = drawScene(scene, "gameplay_scene_night");
  EXPECT_LT(brightness(night.at(60, 8)) + brightness(night.at(kW / 2, kH - 10)), brightness(sky) + brightness(ground) - 60);

  // Below the surface.
  w.timeOfDay = 120.0f;
  aimCamera(w.camera, {6.0f, -40.0f, -1.2f}, {6.0f, -2.0f, -0.8f});
  scene.update(0.0f);
  ASSERT_TRUE(w.camera.underWater());
  const Frame under = drawScene(scene, "gameplay_scene_underwater");
  // Far things melt into the water's colour (teal: no red), and so does the surface seen from below.
  ASSERT_TRUE(project(w.camera, {6.0f, -30.0f, 0.0f}, kW, kH, sx, sy));
  for (const Rgb p : {under.at(kW / 2, kH / 2), under.at(sx, sy)}) EXPECT_LT(p.r + 40, p.g) << p.r << "," << p.g << "," << p.b;
  switcher().clear();
}

// The world a new game opens on, loaded from the shipped file and drawn by the
// gameplay scene, then the census panel over it, at a 16:9 and a 21:9 window.
TEST(DefaultWorld, OpensOnALivingIslandWithItsCensusAndF12SavesTheFrameShown) {
  QV_REQUIRE_GL_CONTEXT();
  if (!std::filesystem::exists(defaultWorldPath())) GTEST_SKIP() << "no default world (build the data target)";
  SceneGameplay scene("Census Test", false);
  switcher().setCurrent(&scene);
  World& w = World::shared();
  rng::seed(2026);
  ASSERT_EQ(loadDefaultWorld(w), kLoadOk);
  EXPECT_TRUE(w.unitCount() > 200u && w.colours.checkedSwatch[WorldColours::kSky] == paletteIndex("Blue"));
  // Fresh from the load: every kind listed at once, the chart still empty.
  censusPanelOpen() = true;
  scene.update(0.05f);
  EXPECT_TRUE(censusPanel().listedCount() > 10 && censusPanel().chartSegments() == 0u) << censusPanel().listedCount();
  capture(1920, 1080, w.clearColour, [&] { scene.draw(); }, "census_panel_fresh");
  censusPanelOpen() = false;
  // A few seconds of play from the start camera, as a new game shows it: a picture to look
  // at (units drawn at all: GameplayScene).
  for (int i = 0; i < 60; ++i) scene.update(0.05f);
  capture(1280, 720, w.clearColour, [&] { scene.draw(); }, "default_world_start");

  // Twenty game minutes at the fastest speed, as the world runs it.
  w.setGameSpeed(3);
  for (int i = 0; i < 1200; ++i) w.step(0.05f, w.simDtFor(0.05f, false));
  ASSERT_GT(w.census.sampleCount(), 200);

  std::set<const Unit3DTemplate*> living;
  for (const auto& u : w.allUnits())
    if (u->alive()) living.insert(u->unitTemplate.get());

  w.timeOfDay = 120.0f;  // the pictures by daylight
  w.updateLight();
  censusPanelOpen() = true;
  const struct { int width, height; const char* name; } shapes[] = {
      {1920, 1080, "census_panel_16x9"}, {1920, 823, "census_panel_21x9"}};
  for (const auto& s : shapes) {
    SCOPED_TRACE(s.name);
    computeViewport(s.width, s.height);
    scene.update(0.05f);
    EXPECT_EQ(censusPanel().listedCount(), static_cast<int>(living.size())) << "every kind alive is listed";
    EXPECT_GT(censusPanel().chartSegments(), living.size() * 100) << "a line per kind across the history";
    const auto withPanel = capture(s.width, s.height, w.clearColour, [&] { scene.draw(); }, s.name);
    censusPanelOpen() = false;
    const auto without = capture(s.width, s.height, w.clearColour, [&] { scene.draw(); });
    censusPanelOpen() = true;
    // The panel covers the middle of the interface, whatever the window's width;
    // outside the 16:9 interface the world shows untouched.
    const DisplayLayout& d = display();
    const int cx = s.width / 2, cy = s.height / 2, reach = d.interfaceRect.width * 3 / 8;
    const auto change = [&](int x, int y) { return diff(pixelAt(withPanel, s.width, x, y), pixelAt(without, s.width, x, y)); };
    const auto changed = [&](int x, int y) { return change(x, y) > 30; };
    EXPECT_GT(countWhere(cx - reach, cy - s.height / 4, cx + reach, cy + s.height / 4, 8, changed), reach * s.height / 64)
        << "more than half the points sampled";
    if (d.interfaceRect.x > 8) EXPECT_EQ(change(d.interfaceRect.x / 2, cy), 0);
  }
  // A click on the panel's body never reaches the world.
  EXPECT_EQ(std::pair(censusPanel().mouse(0.0f, 0.0f, kMousePress), censusPanel().mouse(0.0f, -500.0f, kMousePress)),
            std::pair(int(CensusPanel::kBody), 0));

  censusPanelOpen() = false;
  computeViewport(1920, 1080);

  // F12's capture path on a real frame: the PNG the worker writes holds exactly
  // the frame that was drawn.
  const fs::path home = fs::temp_directory_path() / ("qv_shot_gl_" + std::to_string(::getpid()));
  fs::create_directories(home);
  platform::overrideUserDataFolder(home.string() + "/");
  ScreenshotTaker taker;
  std::vector<uint8_t> expected;
  capture(1920, 1080, w.clearColour, [&] {
    scene.draw();
    taker.request();
    taker.captureIfRequested(1920, 1080);
    glFinish();
    expected = readPixels(1920, 1080);
  });
  taker.collect();
  ScreenshotTaker::Result r = ScreenshotTaker::Result::kNone;
  for (int i = 0; i < 600 && (r = taker.poll()) == ScreenshotTaker::Result::kNone; ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  ASSERT_EQ(r, ScreenshotTaker::Result::kSaved);
  EXPECT_EQ(taker.lastPath().rfind((home / "Screenshots").string(), 0), 0u) << taker.lastPath();
  for (size_t i = 3; i < expected.size(); i += 4) expected[i] = 255;  // the file is opaque
  std::vector<unsigned char> png;
  unsigned pw = 0, ph = 0;
  ASSERT_EQ(lodepng::decode(png, pw, ph, taker.lastPath()), 0u);
  EXPECT_TRUE(pw == 1920 && ph == 1080 && png == expected) << "screenshot pixels unlike the frame";
  fs::remove_all(home);
  switcher().clear();
  World::destroyShared();
}

// The eraser circle under the cursor in a window wider than 16:9: the game's
// own cursor mapping, mouse ray, pick and terrain draw, read back from the frame.
TEST(MousePick, EraserCircleSitsUnderTheCursorInA21By9Window) {
  // 21:9, drawn into the test window's back buffer the way the game lays out such a window.
  constexpr int kW = 1260, kH = 540;
  QV_REQUIRE_GL_CONTEXT();
  SceneGameplayWithTopHud scene;
  switcher().setCurrent(&scene);
  World& w = World::shared();
  ASSERT_TRUE(w.terrain);
  w.terrain->reshapeWith({0.0f, 0.0f}, 174.2f, DomeIsland(0, 0, 2.0f, 1.0f, 2.0f));  // flat, 2 high
  w.timeOfDay = 120.0f;
  w.eraserSize = 1.5f;
  aimCamera(w.camera, {0.0f, -30.0f, 34.0f}, {0.0f, 0.0f, 2.0f});
  computeViewport(kW, kH);
  ASSERT_EQ(display().viewport.width, kW) << "a 21:9 window shows the world across its whole width";

  const auto frame = [&](double cx, double cy, int tool, bool cursor, const char* name) {
    const Vec2 m = mouseFromCursor(display(), cx, cy, kW, kH);
    switcher().mouseX = m.x, switcher().mouseY = m.y;
    switcher().drawnCursorVisible = cursor;
    w.toolMode = tool;
    scene.update(0.0f);
    return Frame{capture(kW, kH, w.clearColour, [&] { scene.draw(); }, name), kW};
  };
  // Cursor pixels from the left edge to the right edge, above and below the middle.
  const double cursors[][2] = {{90, 330}, {330, 250}, {630, 300}, {960, 380}, {1180, 260}};
  for (const auto& c : cursors) {
    const Frame plain = frame(c[0], c[1], 0, false, nullptr);
    const Frame circle = frame(c[0], c[1], 2, false, nullptr);
    ASSERT_TRUE(w.pick.groundHit) << c[0];
    double sx = 0, sy = 0;
    int n = 0, redder = 0;
    for (int y = 0; y < kH; ++y)
      for (int x = 0; x < kW; ++x)
        if (diff(plain.at(x, y), circle.at(x, y)) > 40) {
          sx += x + 0.5, sy += y + 0.5, ++n;
          redder += circle.at(x, y).r - plain.at(x, y).r > circle.at(x, y).b - plain.at(x, y).b;
        }
    ASSERT_GT(n, 30) << "no circle drawn for the cursor at " << c[0];
    EXPECT_GT(redder, n * 9 / 10) << "the eraser's circle is red";
    EXPECT_LT(std::hypot(sx / n - c[0], sy / n - c[1]), 3.0)
        << "cursor " << c[0] << "," << c[1] << " circle centre " << sx / n << "," << sy / n;
  }
  // The picture: the circle with the drawn cursor's tip in its middle, far to the right.
  frame(1180, 260, 2, true, "pick_21x9_circle_under_cursor");
  computeViewport(1280, 720);
  switcher().clear();
}
