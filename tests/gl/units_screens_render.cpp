// The units screens as a player sees them over the world: previews kept in
// their boxes, the editor's two pages, and the unit about to be placed (red
// where it may not stand).
#include <gtest/gtest.h>

#include <filesystem>

#include "core/random.hpp"
#include "platform/platform.hpp"
#include "render/display.hpp"
#include "render/palette.hpp"
#include "scenes/game_scenes.hpp"
#include "support/gl_world_helpers.hpp"
#include "ui/hud.hpp"
#include "ui/template_preview.hpp"
#include "units/world.hpp"

using namespace qv;
using namespace qvtest;

namespace {
constexpr int kW = 1280, kH = 720;

// Draws one frame (then `after`, if any), saves it as a screenshot and returns it.
Frame drawScene(Scene* scene, const char* name, void (*after)() = nullptr) {
  return {capture(kW, kH, World::shared().clearColour, [&] {
    if (scene) scene->draw();
    if (after) after();
  }, name)};
}

// Window pixel of a point in design pixels from the interface centre (y up).
int pxX(float x) { return static_cast<int>(kW / 2 + x * kH / 1080.0f); }
int pxY(float y) { return static_cast<int>(kH / 2 - y * kH / 1080.0f); }

// Pixels of a preview square (design pixels relative to its Hud) unlike the
// square's own grey: the model drawn inside it.
int modelPixels(const Frame& f, const Hud& hud, float x, float y, float w, float h) {
  const float ox = hud.posX * 540.0f, oy = hud.posY * 540.0f;
  const auto grey = f.at(pxX(ox + x + 4), pxY(oy + y - 4));
  return countWhere(pxX(ox + x + 6), pxY(oy + y - 6), pxX(ox + x + w - 6), pxY(oy + y - h + 6), 1,
                    [&](int px, int py) { return diff(f.at(px, py), grey) > 60; });
}
// Pixels near the window centre for which `pick` holds.
template <class Pick>
int countNearCentre(const Frame& f, int halfW, int halfH, Pick pick) {
  return countWhere(kW / 2 - halfW, kH / 2 - halfH, kW / 2 + halfW, kH / 2 + halfH, 1,
                    [&](int x, int y) { return pick(f.at(x, y)); });
}
bool reddish(qvtest::Rgb p) { return p.r > 90 && p.r > 2 * p.g && p.r > 2 * p.b; }

// The world made only after the GL context, so its objects get their GL buffers.
World& worldWithGl() {
  qvtest::ensureGlContext();
  return World::shared();
}

struct UnitsScreensRender : ::testing::Test {
  GameScenes& g = gameScenes();
  World& w = worldWithGl();
  void SetUp() override {
    QV_REQUIRE_GL_CONTEXT();
    if (!std::filesystem::exists(platform::dataPath("Models", "Mushroom Tree.obj"))) GTEST_SKIP() << "no Data";
    if (!g.topHud) g.createAllButLoading(nullptr);
    if (!shaped) {
      rng::seed(77);
      w.terrain->reshapeWith({0.0f, 0.0f}, 174.2f, DomeIsland(0, 0, 4.0f, 30.0f, -3.0f));
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
  void TearDown() override {
    w.toolMode = 0;
    w.selectedTemplate = -1;
    switcher().clear();
  }
  // Selects the template of `model` for placing with the mouse in the middle of the window.
  TemplatePtr placeWithMouseAtCentre(const char* model) {
    const TemplatePtr t = findTemplate(w, model);
    if (!t) return nullptr;
    w.selectedTemplate = w.templates.assignedIndex(t.get());
    t->ensureNextColours();
    w.toolMode = 1;
    g.unitPlacement->refreshPlacementPanel();
    aimCamera(w.camera, {0.0f, -5.0f, 6.5f}, {0.0f, 0.0f, 4.0f});
    switcher().setCurrent(g.unitPlacement.get());
    switcher().mouseX = switcher().mouseY = 0.0f;
    g.unitPlacement->update(0.0f);
    return t;
  }
  static inline bool shaped = false;
};

// The preview drawn over a finished frame, so the check does not depend on
// where the world draw places its call.
void previewOnTop() {
  glEnable(GL_DEPTH_TEST);
  glClear(GL_DEPTH_BUFFER_BIT);
  drawPlacementPreview(World::shared(), false);
  glDisable(GL_DEPTH_TEST);
}

}  // namespace

// A preview never draws outside its box: the fish at its largest size in a
// units-screen button and the snail in an editor slot, turned so they reach
// furthest. Drawn with and without the model; every difference lies inside.
TEST_F(UnitsScreensRender, PreviewsStayInsideTheirBoxes) {
  const struct { const char* model; bool small; float scale, angle; const char* name; } rows[] = {
      {"One Eyed Fishlike Creature.obj", false, 3.0f, 0.0f, "units_preview_fish_clipped"},
      {"One Eyed Fishlike Creature.obj", false, 3.0f, 1.6f, nullptr},
      {"Snail Like Creature.obj", true, 1.0f, 0.9f, "units_preview_snail_clipped"},
      {"Snail Like Creature.obj", true, 3.0f, 2.4f, nullptr}};
  for (const auto& r : rows) {
    const TemplatePtr t = findTemplate(w, r.model);
    ASSERT_NE(t, nullptr) << r.model;
    Hud hud;
    hud.setPositionPx(-150.0f, 150.0f);
    auto button = std::make_shared<HudButtonUnit3DTemplate>(0.0f, 0.0f, 2221, t, r.small);
    button->preview.scaleFactor = r.scale;
    hud.addComponent(button, 0);
    previewClock().angle = r.angle;
    const auto draw = [&](const char* name) {
      return Frame{capture(kW, kH, {0.2f, 0.3f, 0.25f, 1}, [&] { hud.draw(1.0f); }, name)};
    };
    const Frame with = draw(r.name);
    button->preview.setTemplate(nullptr);
    const Frame without = draw(nullptr);
    // The preview square: 9 design pixels into the button, 182 x 228 (85 x 108 small).
    const float w0 = r.small ? 85.0f : 182.0f, h0 = r.small ? 108.0f : 228.0f;
    const int x0 = pxX(-150 + 9), x1 = pxX(-150 + 9 + w0), y0 = pxY(150 - 9), y1 = pxY(150 - 9 - h0);
    int inside = 0, outside = 0;
    for (int y = 0; y < kH; ++y)
      for (int x = 0; x < kW; ++x) {
        if (diff(with.at(x, y), without.at(x, y)) <= 30) continue;
        const bool in = x >= x0 - 1 && x <= x1 + 1 && y >= y0 - 1 && y <= y1 + 1;
        (in ? inside : outside)++;
      }
    EXPECT_GT(inside, 100) << r.model << " is drawn";
    EXPECT_EQ(outside, 0) << r.model << " x" << r.scale << " spills out of its box";
  }
  previewClock().angle = 0.9f;
}

TEST_F(UnitsScreensRender, EditorPreviewAndListSlotsOnTheFirstPageOnly) {
  auto& e = *g.editUnit;
  const TemplatePtr chicken = findTemplate(w, "Chickenlike.obj"), bug = findTemplate(w, "Little Bug.obj");
  ASSERT_TRUE(chicken && bug);
  e.loadIntoEditor(chicken, false);
  e.addPending(SceneGameplayWithEditUnitHud::kEats, bug);
  switcher().setCurrent(&e);
  const Frame p1 = drawScene(&e, "units_editor_page1");
  // The big preview and the filled list slot show their models; the next slot is empty.
  EXPECT_GT(modelPixels(p1, e.hud(), 1025, -152, 364, 456), 400);
  EXPECT_GT(modelPixels(p1, e.hud(), 436 + 9, -536 - 9, 85, 108), 30);
  EXPECT_LT(modelPixels(p1, e.hud(), 539 + 9, -536 - 9, 85, 108), 10) << "empty slot";
  e.hud().showPage(1);
  e.hud().setSelected(1, 1);
  const Frame p2 = drawScene(&e, "units_editor_page2");
  EXPECT_LT(modelPixels(p2, e.hud(), 1025, -152, 364, 456), 10) << "the preview belongs to the first page";

}

// Saving in the editor lays the whole ground again, on the card too: a ground
// buffer scribbled over from outside is whole again after Save.
TEST_F(UnitsScreensRender, EditorSaveLaysTheWholeGroundAgain) {
  Terrain& t = *w.terrain;
  ASSERT_NE(t.vertexBuffer, 0u);
  const size_t floats = static_cast<size_t>(Terrain::kVertexCount) * Terrain::kFloatsPerVertex;
  const std::vector<float> junk(floats, 7.0f);
  glBindBuffer(GL_ARRAY_BUFFER, t.vertexBuffer);
  glBufferSubData(GL_ARRAY_BUFFER, 0, static_cast<GLsizeiptr>(floats * sizeof(float)), junk.data());
  g.editUnit->loadIntoEditor(w.templates.assigned[0], false);
  g.editUnit->save();
  std::vector<float> onCard(floats, 0.0f);
  glBindBuffer(GL_ARRAY_BUFFER, t.vertexBuffer);
  glGetBufferSubData(GL_ARRAY_BUFFER, 0, static_cast<GLsizeiptr>(floats * sizeof(float)), onCard.data());
  glBindBuffer(GL_ARRAY_BUFFER, 0);
  size_t wrong = 0;
  for (size_t i = 0; i < floats; ++i) wrong += onCard[i] != t.vertexData()[i];
  EXPECT_EQ(wrong, 0u) << "floats of the ground buffer that differ from the terrain after Save";
}

TEST_F(UnitsScreensRender, PlacementPreviewRedWhereTheUnitMayNotStand) {
  const TemplatePtr tree = placeWithMouseAtCentre("Cup Tree.obj");
  ASSERT_NE(tree, nullptr);
  ASSERT_TRUE(w.pick.groundHit);
  const Frame ok = drawScene(g.unitPlacement.get(), "units_placement_valid", previewOnTop);
  EXPECT_TRUE(w.placementShown);
  ASSERT_TRUE(w.placementValid(*tree, w.placementPoint));
  // Someone already stands there: the preview turns red.
  auto blocker = w.placeUnitOf(tree, w.pick.groundPoint, 0.0f, true);
  ASSERT_NE(blocker, nullptr);
  blocker->fadeIn = 0.0f;
  const Frame bad = drawScene(g.unitPlacement.get(), "units_placement_invalid", previewOnTop);
  EXPECT_FALSE(w.placementValid(*tree, w.placementPoint));
  EXPECT_GT(countNearCentre(bad, 90, 90, reddish), countNearCentre(ok, 90, 90, reddish) + 300);
  w.eraseUnit(blocker);
}

// A plant that colours the ground shows the ring it will paint, in its ground colour.
TEST_F(UnitsScreensRender, GroundColourRingAroundAColouringPlant) {
  const TemplatePtr tree = placeWithMouseAtCentre("Cup Tree.obj");
  ASSERT_TRUE(tree && w.pick.groundHit);
  const auto colourGround = tree->colourGround;
  const auto ground = tree->groundColourOptions;
  tree->groundColourOptions = {*paletteColour("Blue")};
  tree->colourGround = Unit3DTemplate::kGroundOther;
  tree->ensureNextColours();
  const auto blueNearCentre = [&](const char* name) {
    return countNearCentre(drawScene(g.unitPlacement.get(), name), 200, 120,
                           [](Rgb p) { return p.b > p.g + 40 && p.b > p.r + 40; });
  };
  const int with = blueNearCentre("units_placement_ring_on");
  tree->colourGround = Unit3DTemplate::kGroundNone;
  EXPECT_GT(with, blueNearCentre("units_placement_ring_off") + 400) << "a blue disc under the plant to be placed";
  tree->colourGround = colourGround;
  tree->groundColourOptions = ground;
  tree->ensureNextColours();
}
