// The units screens as a player sees them over the world: the template grid
// with turning previews, the editor's two pages, the chooser, and the unit
// about to be placed (red where it may not stand).
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>

#include "core/random.hpp"
#include "platform/platform.hpp"
#include "render/display.hpp"
#include "render/gl.hpp"
#include "render/palette.hpp"
#include "scenes/game_scenes.hpp"
#include "support/gl_context.hpp"
#include "ui/hud.hpp"
#include "ui/template_preview.hpp"
#include "units/world.hpp"

using namespace qv;

namespace {
constexpr int kW = 1280, kH = 720;

struct Island : HeightBrush {
  float newHeight(int, int, float x, float y, float, float) const override {
    const float d = std::sqrt(x * x + y * y);
    return std::max(4.0f * (1.0f - (d / 30.0f) * (d / 30.0f)), -3.0f);
  }
};

struct Frame {
  std::vector<uint8_t> pixels;
  qvtest::Rgb at(int x, int y) const { return qvtest::pixelAt(pixels, kW, x, y); }
};

Frame drawScene(Scene& scene, const char* name, void (*after)() = nullptr) {
  glViewport(0, 0, kW, kH);
  const Colour& c = World::shared().clearColour;
  glClearColor(c.r, c.g, c.b, 1.0f);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  scene.draw();
  if (after) after();
  glFinish();
  Frame f{qvtest::readPixels(kW, kH)};
  qvtest::saveScreenshot(name, f.pixels, kW, kH);
  return f;
}

void aimCamera(Camera& cam, Vec3 eye, Vec3 target) {
  cam.position = eye;
  cam.maxHeight = eye.z;
  const Vec3 d = target - eye;
  cam.yaw = std::atan2(d.x, d.y);
  cam.pitch = -std::atan2(std::sqrt(d.x * d.x + d.y * d.y), -d.z);
}

// Window pixel of a point in design pixels from the interface centre (y up).
int pxX(float x) { return static_cast<int>(kW / 2 + x * kH / 1080.0f); }
int pxY(float y) { return static_cast<int>(kH / 2 - y * kH / 1080.0f); }

int diff(qvtest::Rgb a, qvtest::Rgb b) { return std::abs(a.r - b.r) + std::abs(a.g - b.g) + std::abs(a.b - b.b); }

// Pixels of a preview square (design pixels relative to its Hud) unlike the
// square's own grey: the model drawn inside it.
int modelPixels(const Frame& f, const Hud& hud, float x, float y, float w, float h) {
  const float ox = hud.posX * 540.0f, oy = hud.posY * 540.0f;
  const auto grey = f.at(pxX(ox + x + 4), pxY(oy + y - 4));
  int n = 0;
  for (int py = pxY(oy + y - 6); py < pxY(oy + y - h + 6); ++py)
    for (int px = pxX(ox + x + 6); px < pxX(ox + x + w - 6); ++px)
      if (diff(f.at(px, py), grey) > 60) ++n;
  return n;
}

int reddish(const Frame& f, int cx, int cy, int half) {
  int n = 0;
  for (int y = cy - half; y < cy + half; ++y)
    for (int x = cx - half; x < cx + half; ++x) {
      const auto p = f.at(x, y);
      if (p.r > 90 && p.r > 2 * p.g && p.r > 2 * p.b) ++n;
    }
  return n;
}

TemplatePtr find(World& w, const char* model) {
  for (const auto& t : w.templates.all)
    if (t->modelFileName() == model) return t;
  return nullptr;
}

struct UnitsScreensRender : ::testing::Test {
  void SetUp() override {
    QV_REQUIRE_GL_CONTEXT();
    if (!std::filesystem::exists(platform::dataPath("Models", "Mushroom Tree.obj"))) GTEST_SKIP() << "no Data";
    GameScenes& g = gameScenes();
    if (!g.topHud) g.createAllButLoading(nullptr);
    World& w = World::shared();
    if (!shaped) {
      rng::seed(77);
      w.terrain->reshapeWith({0.0f, 0.0f}, 174.2f, Island{});
      const char* rows[4] = {"Blue", "Green", "Teal", "White"};
      for (int r = 0; r < 4; ++r) w.colours.row[r] = *paletteColour(rows[r]);
      w.applyWorldColours();
      shaped = true;
    }
    SceneGameplayWithUnitsHud::ensureTemplatesExist(w);
    w.timeOfDay = 120.0f;
    w.updateLight();
    aimCamera(w.camera, {0.0f, -16.0f, 9.0f}, {0.0f, 0.0f, 3.0f});
    previewClock().angle = 0.9f;
    previewClock().wholeSeconds = 3;
    switcher().clear();
  }
  void TearDown() override { switcher().clear(); }
  static inline bool shaped = false;
};

}  // namespace

TEST_F(UnitsScreensRender, UnitsScreenShowsEveryTemplateTurning) {
  GameScenes& g = gameScenes();
  auto& u = *g.units;
  switcher().setCurrent(&u);
  u.onBecameCurrent();
  u.showPage(0);
  const Frame f = drawScene(u, "units_screen_page1");
  const auto& assigned = World::shared().templates.assigned;
  ASSERT_GE(assigned.size(), 21u);
  // Every button of a full first page shows its model inside the grey square.
  for (int k : {0, 6, 10, 14, 20}) {
    const Vec2 at = templateButtonPosition(k);
    EXPECT_GT(modelPixels(f, u.hud(), at.x + 9, at.y - 9, 182, 228), 150) << assigned[static_cast<size_t>(k)]->modelFileName();
  }
  // The world stays visible around the panel.
  EXPECT_GT(diff(f.at(4, kH / 2), f.at(pxX(0), pxY(0))), 0);

  // A mode button's tooltip opens below it and stays on screen.
  const float hx = u.hud().posX * 540.0f, hy = u.hud().posY * 540.0f;
  switcher().mouseX = hx + 665 + 60;
  switcher().mouseY = hy - 837 - 25;
  u.mouse(switcher().mouseX, switcher().mouseY, kMouseMove);
  for (int i = 0; i < 8; ++i) u.update(0.05f);
  const Frame tip = drawScene(u, "units_screen_tooltip");
  EXPECT_NE(tooltipBox().message().find("Place Mode"), std::string::npos);
  u.mouse(0.0f, 0.0f, kMouseMove);
  u.update(0.05f);

  u.showPage(2);
  const Frame last = drawScene(u, "units_screen_page3");
  const size_t onLast = assigned.size() > 42 ? assigned.size() - 42 : 0;
  const Vec2 empty = templateButtonPosition(static_cast<int>(onLast));
  EXPECT_LT(modelPixels(last, u.hud(), empty.x + 9, empty.y - 9, 182, 228), 20) << "empty buttons show no model";
  u.showPage(0);
}

TEST_F(UnitsScreensRender, EditorPagesAndChooser) {
  GameScenes& g = gameScenes();
  World& w = World::shared();
  auto& e = *g.editUnit;
  const TemplatePtr chicken = find(w, "Chickenlike.obj");
  const TemplatePtr bug = find(w, "Little Bug.obj"), tree = find(w, "Mushroom Tree.obj");
  ASSERT_TRUE(chicken && bug && tree);
  e.loadIntoEditor(chicken, false);
  e.addPending(SceneGameplayWithEditUnitHud::kEats, bug);
  e.addPending(SceneGameplayWithEditUnitHud::kHabitat, tree);
  switcher().setCurrent(&e);
  const Frame p1 = drawScene(e, "units_editor_page1");
  // The big preview and the two list slots show their models.
  EXPECT_GT(modelPixels(p1, e.hud(), 1025, -152, 364, 456), 400);
  EXPECT_GT(modelPixels(p1, e.hud(), 436 + 9, -536 - 9, 85, 108), 30);
  EXPECT_GT(modelPixels(p1, e.hud(), 436 + 9, -686 - 9, 85, 108), 30);
  EXPECT_LT(modelPixels(p1, e.hud(), 539 + 9, -536 - 9, 85, 108), 10) << "empty slot";

  e.hud().showPage(1);
  e.hud().setSelected(1, 1);
  drawScene(e, "units_editor_page2");
  e.hud().showPage(0);
  e.hud().setSelected(1, 0);

  auto& c = *g.selectModel;
  c.open(SceneGameplayWithSelectModelHud::kNewUnit, g.units.get(), {});
  switcher().setCurrent(&c);
  const Frame ch = drawScene(c, "units_chooser_new_unit");
  ASSERT_FALSE(c.entries().empty());
  const Vec2 at = templateButtonPosition(0);
  EXPECT_GT(modelPixels(ch, c.hud(), at.x + 9, at.y - 9, 182, 228), 150);
  const Vec2 none = templateButtonPosition(static_cast<int>(c.entries().size()));
  EXPECT_LT(modelPixels(ch, c.hud(), none.x + 9, none.y - 9, 182, 228), 20);

  auto& d = *g.deleteUnit;
  switcher().setCurrent(&d);
  drawScene(d, "units_delete_question");
}

namespace {
// The preview drawn over a finished frame, so the check does not depend on
// where the world draw places its call.
void previewOnTop() {
  glEnable(GL_DEPTH_TEST);
  glClear(GL_DEPTH_BUFFER_BIT);
  drawPlacementPreview(World::shared(), false);
  glDisable(GL_DEPTH_TEST);
}
}  // namespace

TEST_F(UnitsScreensRender, PlacementPreviewRedWhereTheUnitMayNotStand) {
  GameScenes& g = gameScenes();
  World& w = World::shared();
  auto& p = *g.unitPlacement;
  const TemplatePtr tree = find(w, "Cup Tree.obj");
  ASSERT_NE(tree, nullptr);
  w.selectedTemplate = w.templates.assignedIndex(tree.get());
  ASSERT_GE(w.selectedTemplate, 0);
  tree->ensureNextColours();
  w.toolMode = 1;
  p.refreshPlacementPanel();
  aimCamera(w.camera, {0.0f, -5.0f, 6.5f}, {0.0f, 0.0f, 4.0f});
  switcher().setCurrent(&p);
  // The mouse in the middle of the window: the pick lands on the island.
  switcher().mouseX = 0.0f;
  switcher().mouseY = 0.0f;
  p.update(0.0f);
  ASSERT_TRUE(w.pick.groundHit);
  const Vec3 spot = w.pick.groundPoint;

  const Frame ok = drawScene(p, "units_placement_valid", previewOnTop);
  EXPECT_TRUE(w.placementShown);
  ASSERT_TRUE(w.placementValid(*tree, w.placementPoint));
  const int okRed = reddish(ok, kW / 2, kH / 2, 90);

  // Someone already stands there.
  auto blocker = w.placeUnitOf(tree, spot, 0.0f, true);
  ASSERT_NE(blocker, nullptr);
  blocker->fadeIn = 0.0f;
  const Frame bad = drawScene(p, "units_placement_invalid", previewOnTop);
  EXPECT_FALSE(w.placementValid(*tree, w.placementPoint));
  EXPECT_GT(reddish(bad, kW / 2, kH / 2, 90), okRed + 300) << "the preview turns red";
  w.eraseUnit(blocker);
  w.toolMode = 0;
  w.selectedTemplate = -1;
}

namespace {
// The world draw's own order for the preview: the ring is set up before the terrain.
Frame terrainWithPreview(const char* name, bool preview) {
  World& w = World::shared();
  glViewport(0, 0, kW, kH);
  glClearColor(0, 0, 0, 1);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  glEnable(GL_DEPTH_TEST);
  if (preview)
    drawPlacementPreview(w, false);
  else
    w.terrain->setColourGroundPreview(false, {}, {});
  w.terrain->draw(w.camera, World::kSunPosition, w.waterColour(), w.sunColour, w.skyHorizonColour(), {0.0f, 0.0f}, 0,
                  0.0f, false);
  glDisable(GL_DEPTH_TEST);
  glFinish();
  Frame f{qvtest::readPixels(kW, kH)};
  qvtest::saveScreenshot(name, f.pixels, kW, kH);
  return f;
}
int bluish(const Frame& f) {
  int n = 0;
  for (int y = kH / 2 - 120; y < kH / 2 + 120; ++y)
    for (int x = kW / 2 - 200; x < kW / 2 + 200; ++x) {
      const auto p = f.at(x, y);
      if (p.b > p.g + 40 && p.b > p.r + 40) ++n;
    }
  return n;
}
}  // namespace

TEST_F(UnitsScreensRender, GroundColourRingAroundAColouringPlant) {
  GameScenes& g = gameScenes();
  World& w = World::shared();
  const TemplatePtr tree = find(w, "Cup Tree.obj");
  ASSERT_NE(tree, nullptr);
  const auto primary = tree->primaryColourOptions, secondary = tree->secondaryColourOptions;
  const int colourGround = tree->colourGround;
  tree->primaryColourOptions = {*paletteColour("Yellow")};
  tree->secondaryColourOptions = {*paletteColour("Red")};
  tree->groundColourOptions = {*paletteColour("Blue")};
  tree->colourGround = Unit3DTemplate::kGroundOther;
  tree->ensureNextColours();
  w.selectedTemplate = w.templates.assignedIndex(tree.get());
  w.toolMode = 1;
  aimCamera(w.camera, {0.0f, -5.0f, 6.5f}, {0.0f, 0.0f, 4.0f});
  switcher().setCurrent(g.unitPlacement.get());
  switcher().mouseX = 0.0f;
  switcher().mouseY = 0.0f;
  g.unitPlacement->update(0.0f);
  ASSERT_TRUE(w.pick.groundHit);

  const int without = bluish(terrainWithPreview("units_placement_ring_off", false));
  const Frame on = terrainWithPreview("units_placement_ring_on", true);
  EXPECT_GT(bluish(on), without + 400) << "a blue disc under the plant to be placed";

  tree->primaryColourOptions = primary;
  tree->secondaryColourOptions = secondary;
  tree->groundColourOptions.clear();
  tree->colourGround = colourGround;
  tree->ensureNextColours();
  w.toolMode = 0;
  w.selectedTemplate = -1;
  w.terrain->setColourGroundPreview(false, {}, {});
}
