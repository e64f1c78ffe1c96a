#include <gtest/gtest.h>

#include "render/palette.hpp"
#include "scenes/game_scenes.hpp"
#include "ui/hud.hpp"
#include "units/world.hpp"
#include "world/clouds.hpp"
#include "unit/units/units_fixture.hpp"

using namespace qv;

namespace {

// Scene coordinates (design pixels from the interface centre) of a point given
// relative to a Hud's corner.
Vec2 inHud(const Hud& hud, float x, float y) { return {hud.posX * 540.0f + x, hud.posY * 540.0f + y}; }
// The middle of each kind of control placed at (x, y) on its Hud.
Vec2 veryShortButton(const Hud& h, float x, float y) { return inHud(h, x + 9.0f + 33.0f, y - 9.0f - 19.0f); }
Vec2 swatchAt(const Hud& h, int row, int k) { return inHud(h, 359.0f + 36.0f * k, -40.0f - 54.0f * row); }
Vec2 sliderAt(const Hud& h, float x, float y, float t) { return inHud(h, x + 20.0f + 307.0f * t, y - 22.0f); }

class TopHudTest : public ::testing::Test {
 protected:
  GameScenes& g = gameScenes();
  World* w = &World::shared();

  void SetUp() override {
    if (!g.topHud) g.createAllButLoading(nullptr);
    switcher().clear();
    w->resetWorld();
    qvtest::shapeBy(*w, [](float, float, int) { return 0.0f; });
    w->camera.position = {0.0f, 0.0f, 20.0f};
    w->camera.maxHeight = 20.0f;
    w->camera.pitch = -0.0001;  // straight down: the mouse at the centre picks (0, 0)
    w->setGameSpeed(1);
    w->eraserSize = World::kDefaultEraserSize;
    w->terrainTool = 0;
    w->terrainBrushSize = 5.0f;
    w->terrainBrushRate = 1.25f;
    w->eraserWorldPress = w->terrainWorldPress = w->leftButtonLastFrame = false;
    w->colours = WorldColours{};
    input() = {};
    switcher().mouseX = switcher().mouseY = 0.0f;
  }
  void TearDown() override { SetUp(); }

  // Brings a scene in the way the game does and lets its fade-in finish, so
  // a transition left over from an earlier test cannot swallow the mouse.
  void show(Scene& s) {
    switcher().clear();
    requestScene(&s, 0);
    switcher().switchToRequestedScene();
    for (int n = 0; n < 10 && s.transitionState() != 0; ++n) s.update(0.1f);
    ASSERT_EQ(s.transitionState(), 0);
  }
  static int press(Scene& s, Vec2 p) { input().leftHeld = true; return s.mouse(p.x, p.y, kMousePress); }
  static int move(Scene& s, Vec2 p) { return s.mouse(p.x, p.y, kMouseMove); }
  static void release(Scene& s, Vec2 p = {}) { input().leftHeld = false; s.mouse(p.x, p.y, kMouseRelease); }
  float groundAtCentre() const { return w->terrain->heightAt(0.0f, 0.0f); }
  using Request = std::pair<int, const Scene*>;
  Request toolAndRequest() const { return {w->toolMode, switcher().requested()}; }
};

TEST_F(TopHudTest, SpeedButtonsFormOneRadioRowAndToggleToolRequestsEachSceneOnce) {
  auto& top = *g.topHud;
  show(top);
  Hud& bar = SceneGameplayWithTopHud::topHud();
  auto lit = [&](int index) {
    for (int k = 0; k < 4; ++k) if (bar.layer(1).components[k]->highlighted != (k == index)) return false;
    return bar.layer(1).selected == index;
  };
  setGameSpeed(3);
  setGameSpeed(0);
  EXPECT_TRUE(w->paused && w->timeScale == 20.0f) << "pausing keeps the speed to return to";
  for (int outOfRange : {4, -1}) setGameSpeed(outOfRange);
  EXPECT_TRUE(w->paused && lit(0));
  // The bar button's command sets the speed; a change made elsewhere shows on the next frame.
  EXPECT_TRUE(top.handleCommand(tophud::kSpeed2) && !w->paused && w->timeScale == 5.0f && lit(2));
  w->setGameSpeed(1);  // as a key or a loaded game does
  top.update(0.016f);
  EXPECT_TRUE(lit(1));

  // toggleTool switches scenes without ever requesting twice.
  toggleTool(2);
  EXPECT_EQ(toolAndRequest(), Request(2, g.eraser.get()));
  // Asking again for the scene already on its way changes nothing.
  w->toolMode = 0;
  const int state = g.topHud->transitionState();
  toggleTool(2);
  EXPECT_EQ(g.topHud->transitionState(), state);
  switcher().switchToRequestedScene();
  // Terrain while erasing goes straight to the terrain panel; again puts it away.
  toggleTool(3);
  EXPECT_EQ(switcher().requested(), g.terrain.get());
  switcher().switchToRequestedScene();
  toggleTool(3);
  EXPECT_EQ(toolAndRequest(), Request(0, g.topHud.get()));
  EXPECT_EQ(g.terrain->setIndex(), 2);
  // T, T in quick succession: the second press wins before the swap happens.
  toggleTool(3);
  EXPECT_EQ(toolAndRequest(), Request(3, g.terrain.get()));
  // Already showing and staying: no request; unknown modes are ignored.
  show(*g.terrain);
  w->toolMode = 0;
  for (int mode : {3, 1, 5}) toggleTool(mode);
  EXPECT_EQ(toolAndRequest(), Request(3, nullptr));
}

TEST_F(TopHudTest, TerrainActsOnlyForAWorldPressAndKeepsSizeRateAndToolInRange) {
  auto& t = *g.terrain;
  show(t);
  w->toolMode = 3;
  // Presses on the panel's slider and on the top bar, held over ground: no sculpting.
  for (Vec2 p : {sliderAt(t.panel(), 1101.0f, -23.0f, 0.3f),
                 veryShortButton(SceneGameplayWithTopHud::topHud(), 1237.0f, -3.0f)}) {
    press(t, p);
    EXPECT_FALSE(w->terrainWorldPress);
    t.update(0.05f);
    ASSERT_TRUE(w->pick.groundHit);
    EXPECT_EQ(groundAtCentre(), 0.0f);
    release(t, p);
  }
  // A press in the world raises the ground under the mouse while held...
  EXPECT_EQ(press(t, {0.0f, 0.0f}), 0);
  t.update(0.05f);
  const float once = groundAtCentre();
  t.update(0.05f);
  const float held = groundAtCentre();
  EXPECT_TRUE(once > 0.0f && held > once) << once << " " << held;
  // ...but not with sky under the mouse (looking up), from another scene, or in another tool mode.
  for (int k = 0; k < 3; ++k) {
    w->camera.pitch = k == 0 ? -3.0 : -0.0001;
    switcher().setCurrent(k == 1 ? static_cast<Scene*>(g.topHud.get()) : &t);
    w->toolMode = k == 2 ? 2 : 3;
    t.update(0.05f);
    EXPECT_EQ(groundAtCentre(), held) << k;
  }
  // Coming back to the scene forgets a press that began elsewhere.
  w->toolMode = 3;
  t.onBecameCurrent();
  t.update(0.05f);
  EXPECT_EQ(groundAtCentre(), held);
  release(t);

  // V held for two seconds from 5 gives 11 and the slider follows; a rate lasts one frame.
  Hud& panel = t.panel();
  w->terrainBrushSize = 5.0f;  // the slider press above moved it
  for (int n = 0; n < 40; ++n) { t.setSizeChangeRate(3.0f); t.update(0.05f); }
  t.update(0.05f);
  EXPECT_NEAR(w->terrainBrushSize, 11.0f, 1e-3f);
  EXPECT_NEAR(t.sizeSlider().value, (11.0f - 1.25f) / 28.75f, 0.003f);
  for (auto [rate, size] : {std::pair{3.0f, 30.0f}, std::pair{-3.0f, 1.25f}}) {
    t.setSizeChangeRate(rate);
    t.update(20.0f);
    EXPECT_FLOAT_EQ(w->terrainBrushSize, size);
  }
  // Rate starts at its minimum: B does nothing; the held + button raises it until released.
  t.setRateChangeRate(-1.5f);
  t.update(0.5f);
  EXPECT_FLOAT_EQ(w->terrainBrushRate, 1.25f);
  EXPECT_EQ(press(t, veryShortButton(panel, 1013.0f, -70.0f)), 0);
  for (int n = 0; n < 20; ++n) t.update(0.05f);
  release(t);
  t.update(0.5f);
  EXPECT_NEAR(w->terrainBrushRate, 2.75f, 1e-3f);
  // The size slider sets the size only for a drag that began on it.
  w->terrainBrushSize = 7.0f;
  press(t, {0.0f, 0.0f});
  const Vec2 slider = sliderAt(panel, 1101.0f, -23.0f, 0.9f);
  t.mouse(slider.x, slider.y, kMouseDrag);
  EXPECT_FLOAT_EQ(w->terrainBrushSize, 7.0f);
  release(t, slider);
  press(t, sliderAt(panel, 1101.0f, -23.0f, 1.0f));
  EXPECT_NEAR(w->terrainBrushSize, 30.0f, 0.2f);
  release(t);
  // Tools outside the seven are ignored; the radio row follows.
  for (int tool : {6, 7}) t.selectTerrainTool(tool);
  EXPECT_EQ(std::pair(w->terrainTool, panel.layer(1).selected), std::pair(6, 6));
  EXPECT_FALSE(t.handleCommand(3317));
}

TEST_F(TopHudTest, EraserSizeButtonsWorldPressAndWorldColourSwatches) {
  auto& e = *g.eraser;
  show(e);
  w->toolMode = 2;
  Hud& panel = e.panel();
  // Holding + raises the size; it stops at 10.0 and at 0.5.
  press(e, veryShortButton(panel, 278.0f, -16.0f));
  e.update(5.0f);
  EXPECT_FLOAT_EQ(w->eraserSize, 10.0f);
  release(e);
  e.setSizeChangeRate(-3.0f);
  e.update(5.0f);
  EXPECT_FLOAT_EQ(w->eraserSize, 0.5f);
  w->eraserSize = 5.0f;
  e.setSizeChangeRate(3.0f), e.update(0.5f), e.update(0.5f);
  EXPECT_FLOAT_EQ(w->eraserSize, 6.5f) << "a key's rate lasts one frame";
  w->eraserSize = 0.5f;

  const std::vector<Colour> red{{1, 0, 0, 1}};
  auto t = std::make_shared<Unit3DTemplate>("Eraser Test.obj", 1.0f, red, red, 0, std::vector<Colour>{}, 0, 1, false, false, 0);
  ASSERT_TRUE(w->placeUnitOf(t, {0.2f, 0.1f, 0.0f}, 0.0f, true));
  // From the size slider, dragged over the unit: it stays.
  press(e, sliderAt(panel, 366.0f, -23.0f, 0.1f));
  e.mouse(0.0f, 0.0f, kMouseDrag);
  e.update(0.05f);
  EXPECT_EQ(w->unitCount(), 1u);
  release(e);
  // The first press in the world erases at once; a unit walking in under the held eraser goes too.
  EXPECT_TRUE(press(e, {0.0f, 0.0f}) == 0 && w->unitCount() == 0u);
  ASSERT_TRUE(w->placeUnitOf(t, {0.2f, 0.1f, 0.0f}, 0.0f, true));
  e.update(0.05f);
  EXPECT_EQ(w->unitCount(), 0u);
  release(e);

  // Swatches preview on hover, keep on press and follow the world.
  auto& c = *g.worldColors;
  // As a loaded game may leave them; the sky's index is out of range.
  w->colours.checkedSwatch[WorldColours::kSky] = 42;
  w->colours.checkedSwatch[WorldColours::kCloud] = 13;
  show(c);
  w->toolMode = 4;
  Hud& swatches = c.panel();
  EXPECT_TRUE(w->colours.checkedSwatch[WorldColours::kSky] == -1 && c.swatch(3, 13).checked);
  // Hovering teal on the land row tints the land at once; moving away restores white.
  EXPECT_TRUE(move(c, swatchAt(swatches, 1, 11)) == 0 && w->terrain->colorEmptyLand().sameAs(kPalette[11].colour.lifted()));
  move(c, {});
  EXPECT_TRUE(w->terrain->colorEmptyLand().sameAs({1, 1, 1, 1}));
  // Pressing checks exactly that swatch and keeps it, also when pressed again.
  w->unsavedChanges = false;
  const Vec2 brown = swatchAt(swatches, 1, 12);
  for (int n = 0; n < 2; ++n) { EXPECT_EQ(press(c, brown), 0); release(c, brown); }
  move(c, {});
  EXPECT_TRUE(w->colours.checkedSwatch[WorldColours::kLand] == 12 && w->unsavedChanges);
  for (int k = 0; k < kPaletteSize; ++k) EXPECT_EQ(c.swatch(1, k).checked, k == 12) << k;
  EXPECT_TRUE(w->terrain->colorEmptyLand().sameAs(kPalette[12].colour.lifted()));
  // Each row goes to its own object.
  move(c, swatchAt(swatches, 2, 2));
  EXPECT_TRUE(w->waterColour().sameAs(kPalette[2].colour.lifted()));
  press(c, swatchAt(swatches, 3, 8));
  EXPECT_TRUE(w->clouds->cloudColour().sameAs(kPalette[8].colour.lifted()));
  EXPECT_TRUE(w->terrain->colorEmptyLand().sameAs(kPalette[12].colour.lifted()));
  EXPECT_FALSE(c.swatch(3, 13).checked);
}

}  // namespace
