// The units screen, the placement panel, the template editor, the chooser and
// the delete question, driven headless through their commands and the mouse.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "render/palette.hpp"
#include "scenes/game_scenes.hpp"
#include "ui/hud.hpp"
#include "ui/template_preview.hpp"
#include "unit/units/units_fixture.hpp"
#include "units/world.hpp"

using namespace qv;
using qvtest::col;

namespace {

using Editor = SceneGameplayWithEditUnitHud;
using Chooser = SceneGameplayWithSelectModelHud;
using Units = SceneGameplayWithUnitsHud;

const Colour kRed{1, 0, 0, 1}, kGreen{0, 1, 0, 1}, kBlue{0, 0, 1, 1};

// Presses at a point given relative to a Hud's corner.
int pressIn(Scene& scene, Hud& hud, float x, float y) {
  return scene.mouse(hud.posX * 540.0f + x, hud.posY * 540.0f + y, kMousePress);
}

bool active(const HudComponent& c) { return c.state == kStateActive; }

struct UnitsScreens : ::testing::Test {
  GameScenes& g = gameScenes();
  World& w = World::shared();
  std::vector<TemplatePtr> made;

  void SetUp() override {
    qvtest::useTestData();
    switcher().clear();
    if (!g.topHud) g.createAllButLoading(nullptr);
    ASSERT_TRUE(g.units && g.editUnit && g.selectModel && g.deleteUnit && g.unitPlacement);
    w.resetWorld();
    w.templates.clear();
    unitsScreenState() = {};
    qvtest::IslandBrush island;
    qvtest::shape(w, island);
  }
  void TearDown() override {
    switcher().clear();
    w.templates.clear();
    w.resetWorld();
  }
  // n assigned templates (alternating the flat and tall test models) and `spare` unassigned ones.
  void makeTemplates(int n, int spare = 0) {
    for (int i = 0; i < n + spare; ++i) {
      auto t = qvtest::makeTemplate(i % 3 == 0 ? 0 : 2, false, 1, i % 2 ? "UnitsTest Tall.obj" : "UnitsTest Flat.obj");
      w.templates.all.push_back(t);
      w.templates.unassigned.push_back(t);
      if (i < n) w.templates.assign(t);
      made.push_back(t);
    }
  }
  Scene* requested() const { return switcher().requested(); }
};

// ---------------------------------------------------------------- units screen

TEST_F(UnitsScreens, TemplateButtonsFillThreePagesOfTwentyOne) {
  makeTemplates(25);
  Units& u = *g.units;
  u.refreshTemplateButtons();
  int activeOnPage[3] = {0, 0, 0};
  for (int k = 0; k < kTemplateButtonCount; ++k) {
    HudButtonUnit3DTemplate& b = u.templateButton(k);
    if (active(b)) ++activeOnPage[k / kTemplatesPerPage];
    EXPECT_EQ(b.state, k < 25 ? kStateActive : kStateDisabled) << k;
    EXPECT_EQ(b.preview.unitTemplate, k < 25 ? w.templates.assigned[static_cast<size_t>(k)] : nullptr) << k;
    EXPECT_EQ(b.id, Units::kFirstTemplate + k);
  }
  EXPECT_EQ(activeOnPage[0], 21);
  EXPECT_EQ(activeOnPage[1], 4);
  EXPECT_EQ(activeOnPage[2], 0);
  // Each page is its own layer and the grid restarts on every page.
  for (int k : {0, 20, 21, 62}) {
    const auto& layer = u.hud().layer(3 + k / kTemplatesPerPage).components;
    EXPECT_EQ(layer[static_cast<size_t>(k % kTemplatesPerPage)].get(), &u.templateButton(k));
  }
  EXPECT_EQ(templateButtonPosition(0).x, 55.0f);
  EXPECT_EQ(templateButtonPosition(0).y, -102.0f);
  EXPECT_EQ(templateButtonPosition(20).x, 6 * 214 + 55.0f);
  EXPECT_EQ(templateButtonPosition(20).y, -582.0f);
  EXPECT_EQ(templateButtonPosition(21).y, -102.0f);

  // The page buttons turn pages with the mouse; templates of hidden pages are not hit.
  u.showPage(0);
  EXPECT_EQ(pressIn(u, u.hud(), 412 + 30, -837 - 25), 2);
  EXPECT_EQ(u.page(), 1);
  EXPECT_FALSE(u.hud().layer(3).visible);
  EXPECT_TRUE(u.hud().layer(4).visible);
  const Vec2 at = templateButtonPosition(21);
  EXPECT_EQ(pressIn(u, u.hud(), at.x + 60, at.y - 60), Units::kFirstTemplate + 21);
  const Vec2 off = templateButtonPosition(30);  // disabled: past the list
  EXPECT_EQ(pressIn(u, u.hud(), off.x + 60, off.y - 60), 0);

  // The list shrinking disables the buttons it left.
  w.templates.unassign(w.templates.assigned.back());
  u.refreshTemplateButtons();
  EXPECT_EQ(u.templateButton(24).state, kStateDisabled);
  EXPECT_EQ(u.templateButton(24).preview.unitTemplate, nullptr);
}

TEST_F(UnitsScreens, EnteringBuildsTheDefaultSetOnlyWhenTheWorldHasNone) {
  Units::ensureTemplatesExist(w);
  const size_t count = w.templates.all.size();
  EXPECT_EQ(count, defaultTemplateModelNames().size());
  EXPECT_FALSE(w.templates.assigned.empty());
  EXPECT_FALSE(w.templates.unassigned.empty());
  Units::ensureTemplatesExist(w);
  EXPECT_EQ(w.templates.all.size(), count) << "never a second set";
  // A world whose templates were all unassigned by a reset still has them.
  w.templates.resetForNewWorld();
  Units::ensureTemplatesExist(w);
  EXPECT_EQ(w.templates.all.size(), count);
}

TEST_F(UnitsScreens, ModesAreARadioAndEnteringReturnsToPlace) {
  makeTemplates(3);
  Units& u = *g.units;
  u.onBecameCurrent();
  EXPECT_EQ(u.mode(), Units::kPlace);
  EXPECT_EQ(pressIn(u, u.hud(), 879 + 40, -837 - 25), Units::kEditMode);
  EXPECT_EQ(u.mode(), Units::kEdit);
  EXPECT_EQ(pressIn(u, u.hud(), 1093 + 40, -837 - 25), Units::kDeleteMode);
  EXPECT_EQ(u.mode(), Units::kDelete);
  EXPECT_EQ(pressIn(u, u.hud(), 55 + 40, -837 - 25), Units::kBack);
  EXPECT_EQ(u.mode(), Units::kDelete) << "Back is not one of the modes";
  u.onBecameCurrent();
  EXPECT_EQ(u.mode(), Units::kPlace);
}

TEST_F(UnitsScreens, PlaceModeSelectsTheTemplateAndOpensThePlacementPanel) {
  makeTemplates(4);
  Units& u = *g.units;
  u.onBecameCurrent();
  EXPECT_TRUE(u.handleCommand(Units::kFirstTemplate + 2));
  EXPECT_EQ(w.selectedTemplate, 2);
  EXPECT_EQ(w.toolMode, 1);
  EXPECT_EQ(requested(), g.unitPlacement.get());
  EXPECT_TRUE(w.templates.assigned[2]->nextPrimaryChosen) << "next colours made valid for the preview";

  // Back from the units screen drops the tool.
  switcher().clear();
  EXPECT_TRUE(u.handleCommand(Units::kBack));
  EXPECT_EQ(w.toolMode, 0);
  EXPECT_EQ(requested(), g.topHud.get());
}

TEST_F(UnitsScreens, EditModeOpensTheEditorOnThatTemplate) {
  makeTemplates(4);
  Units& u = *g.units;
  w.templates.assigned[1]->size = 2.5f;
  u.setMode(Units::kEdit);
  EXPECT_TRUE(u.handleCommand(Units::kFirstTemplate + 1));
  EXPECT_EQ(requested(), g.editUnit.get());
  EXPECT_EQ(g.editUnit->edited(), w.templates.assigned[1]);
  EXPECT_FALSE(g.editUnit->editingNew());
  EXPECT_EQ(g.editUnit->slider(Editor::kSize).selectedIndex(), 3);
  EXPECT_EQ(w.toolMode, 0);
  EXPECT_EQ(w.selectedTemplate, -1);
}

TEST_F(UnitsScreens, DeleteModeAsksThenRemovesTheTemplateAndEveryUnitOfIt) {
  makeTemplates(3);
  Units& u = *g.units;
  const TemplatePtr doomed = w.templates.assigned[1], kept = w.templates.assigned[2];
  for (int i = 0; i < 30; ++i) qvtest::put(w, doomed, -20.0f + static_cast<float>(i % 6) * 4.0f, -10.0f + static_cast<float>(i / 6) * 4.0f);
  for (int i = 0; i < 5; ++i) qvtest::put(w, kept, 20.0f, -10.0f + static_cast<float>(i) * 4.0f);
  w.selectedTemplate = 2;
  ASSERT_EQ(w.unitCount(), 35u);

  // Cancel first: nothing happens.
  u.setMode(Units::kDelete);
  EXPECT_TRUE(u.handleCommand(Units::kFirstTemplate + 1));
  EXPECT_EQ(requested(), g.deleteUnit.get());
  EXPECT_EQ(unitsScreenState().templateToDelete, 1);
  EXPECT_EQ(w.toolMode, 0) << "deleting never starts placing";
  EXPECT_TRUE(g.deleteUnit->handleCommand(SceneGameplayWithDeleteUnit::kCancel));
  EXPECT_EQ(requested(), g.units.get());
  EXPECT_EQ(unitsScreenState().templateToDelete, -1);
  EXPECT_EQ(w.unitCount(), 35u);

  u.handleCommand(Units::kFirstTemplate + 1);
  EXPECT_TRUE(g.deleteUnit->handleCommand(SceneGameplayWithDeleteUnit::kDelete));
  EXPECT_EQ(w.unitCount(), 5u) << "all 30 go in one step";
  EXPECT_FALSE(w.templates.isAssigned(doomed.get()));
  EXPECT_NE(std::find(w.templates.unassigned.begin(), w.templates.unassigned.end(), doomed),
            w.templates.unassigned.end());
  EXPECT_EQ(w.selected(), kept) << "the selection follows the list";
  EXPECT_TRUE(w.templates.isAssigned(kept.get()));
  EXPECT_EQ(std::count(w.templates.unassigned.begin(), w.templates.unassigned.end(), kept), 0);
  EXPECT_EQ(unitsScreenState().templateToDelete, -1);
  EXPECT_EQ(u.templateButton(1).preview.unitTemplate, kept);
  EXPECT_EQ(u.templateButton(2).state, kStateDisabled);

  // A stale mark deletes nothing.
  unitsScreenState().templateToDelete = 7;
  EXPECT_FALSE(g.deleteUnit->deleteMarked());
  EXPECT_EQ(w.templates.assigned.size(), 2u);
}

// ---------------------------------------------------------------- placement panel

TEST_F(UnitsScreens, ColourArrowsAndKeysWrapAroundTheOptions) {
  makeTemplates(2);
  auto& p = *g.unitPlacement;
  const TemplatePtr t = w.templates.assigned[0];
  t->primaryColourOptions = {kRed, kGreen, kBlue};
  t->secondaryColourOptions = {kRed, kBlue};
  t->groundColourOptions = {kGreen, kBlue};
  t->moveSpeed = 0;
  t->colourGround = Unit3DTemplate::kGroundOther;
  w.selectedTemplate = 0;
  t->ensureNextColours();
  p.refreshPlacementPanel();

  t->nextPrimaryColour = kBlue;
  EXPECT_TRUE(p.handleCommand(3102));  // next primary
  EXPECT_TRUE(t->nextPrimaryColour.sameAs(kRed));
  EXPECT_TRUE(p.handleCommand(3101));  // previous primary
  EXPECT_TRUE(t->nextPrimaryColour.sameAs(kBlue));
  t->nextPrimaryColour = {0.3f, 0.3f, 0.3f, 1};  // no longer an option
  p.cycleNextColour(1, -1);
  EXPECT_TRUE(t->nextPrimaryColour.sameAs(kRed)) << "an unknown colour restarts at the first option";

  // Keys act only while the placement scene is current.
  t->nextSecondaryColour = kRed;
  p.colourStep(3);
  EXPECT_TRUE(t->nextSecondaryColour.sameAs(kRed));
  switcher().setCurrent(&p);
  p.colourStep(3);  // N
  EXPECT_TRUE(t->nextSecondaryColour.sameAs(kBlue));
  p.colourStep(3);
  EXPECT_TRUE(t->nextSecondaryColour.sameAs(kRed));
  t->nextGroundColour = kGreen;
  p.colourStep(4);  // M
  EXPECT_TRUE(t->nextGroundColour.sameAs(kBlue));
  p.colourStep(5);  // comma
  EXPECT_TRUE(t->nextGroundColour.sameAs(kGreen));
  EXPECT_FALSE(p.handleCommand(3107));
  EXPECT_FALSE(p.handleCommand(3100));

  // An empty list leaves the colour alone; no template selected is harmless.
  t->groundColourOptions.clear();
  p.cycleNextColour(3, 1);
  EXPECT_TRUE(t->nextGroundColour.sameAs(kGreen));
  w.selectedTemplate = -1;
  p.cycleNextColour(1, 1);
  p.refreshPlacementPanel();
  for (int i = 0; i < 6; ++i) EXPECT_EQ(p.arrow(i).state, kStateDisabled);
}

TEST_F(UnitsScreens, PanelRowsFollowTheSelectedTemplate) {
  makeTemplates(2);
  auto& p = *g.unitPlacement;
  const TemplatePtr t = w.templates.assigned[0];  // flat model: has a secondary part
  w.selectedTemplate = 0;
  t->primaryColourOptions = {kRed};
  t->secondaryColourOptions = {kRed, kBlue};
  t->groundColourOptions = {kGreen, kBlue};
  t->moveSpeed = 0;
  t->colourGround = Unit3DTemplate::kGroundPrimary;
  p.refreshPlacementPanel();
  EXPECT_EQ(p.arrow(0).state, kStateDisabled) << "one primary option";
  EXPECT_EQ(p.arrow(1).state, kStateDisabled);
  EXPECT_EQ(p.rowText(0).state, kStateDisabled);
  EXPECT_EQ(p.arrow(2).state, kStateActive);
  EXPECT_EQ(p.rowText(1).state, kStateActive);
  EXPECT_EQ(p.arrow(4).state, kStateDisabled) << "ground needs \"Other\"";
  t->colourGround = Unit3DTemplate::kGroundOther;
  p.refreshPlacementPanel();
  EXPECT_EQ(p.arrow(4).state, kStateActive);
  EXPECT_EQ(p.arrow(5).state, kStateActive);
  t->moveSpeed = 2;
  p.refreshPlacementPanel();
  EXPECT_EQ(p.arrow(4).state, kStateDisabled) << "only stationary units colour the ground";

  // A greyed-out row's keys do nothing either.
  switcher().setCurrent(&p);
  t->nextPrimaryColour = kRed;
  t->primaryColourOptions = {kRed, kBlue};
  p.colourStep(1);
  EXPECT_TRUE(t->nextPrimaryColour.sameAs(kRed));

  // A model without a secondary part never offers secondary colours.
  auto bare = std::make_shared<Unit3DTemplate>("No Such Model.obj", 1.0f, std::vector<Colour>{kRed, kBlue},
                                               std::vector<Colour>{kRed, kBlue}, 0, std::vector<Colour>{}, 1, 1, false,
                                               false, 0);
  w.templates.all.push_back(bare);
  w.templates.assign(bare);
  w.selectedTemplate = 2;
  p.refreshPlacementPanel();
  EXPECT_EQ(p.arrow(0).state, kStateActive);
  EXPECT_EQ(p.arrow(2).state, kStateDisabled);
}

TEST_F(UnitsScreens, KeepColourKeyHoldsTheNextColoursWhilePlacing) {
  makeTemplates(1);
  auto& p = *g.unitPlacement;
  const TemplatePtr t = w.templates.assigned[0];
  t->primaryColourOptions = {kRed, kGreen, kBlue};
  t->secondaryColourOptions = {kRed, kGreen, kBlue};
  w.selectedTemplate = 0;
  t->ensureNextColours();
  p.setKeepColour(true);
  std::vector<std::shared_ptr<Unit3D>> units;
  for (int i = 0; i < 3; ++i) {
    const float x = static_cast<float>(i) * 5.0f;
    units.push_back(w.placeUnit({x, 0.0f, w.groundHeight(x, 0.0f)}, placementKeepsColours()));
  }
  for (const auto& u : units) {
    ASSERT_NE(u, nullptr);
    EXPECT_TRUE(u->primaryColour.sameAs(units[0]->primaryColour));
    EXPECT_TRUE(u->secondaryColour.sameAs(units[0]->secondaryColour));
  }
  EXPECT_TRUE(t->nextPrimaryColour.sameAs(units[0]->primaryColour));
  p.setKeepColour(false);
  EXPECT_FALSE(placementKeepsColours());
  // Released: placements draw fresh colours again; with three options a change shows up quickly.
  bool changed = false;
  rng::seed(5);
  for (int i = 0; i < 12 && !changed; ++i) {
    const float y = 5.0f + static_cast<float>(i) * 2.0f;
    w.placeUnit({0.0f, y, w.groundHeight(0.0f, y)}, placementKeepsColours());
    changed = !t->nextPrimaryColour.sameAs(units[0]->primaryColour);
  }
  EXPECT_TRUE(changed);
}

TEST_F(UnitsScreens, PlacementPreviewFollowsThePickAndTheRules) {
  makeTemplates(2);
  const TemplatePtr plant = w.templates.assigned[0];  // stationary
  plant->habitat = Unit3DTemplate::kLand;
  plant->colourGround = Unit3DTemplate::kGroundPrimary;
  plant->primaryColourOptions = {kBlue};
  plant->ensureNextColours();
  w.pick.groundHit = true;
  w.pick.groundPoint = {0.0f, 0.0f, w.groundHeight(0.0f, 0.0f)};
  w.pick.surfaceHit = true;
  w.pick.surfacePoint = w.pick.groundPoint;

  EXPECT_FALSE(decidePlacementPreview(w, false).shown) << "tool mode 0";
  w.toolMode = 1;
  EXPECT_FALSE(decidePlacementPreview(w, false).shown) << "no template selected";
  w.selectedTemplate = 0;
  w.placementShown = true;
  EXPECT_FALSE(decidePlacementPreview(w, true).shown) << "frozen behind a dialog";
  EXPECT_FALSE(w.placementShown) << "a stale point must not take clicks";

  PlacementPreview p = decidePlacementPreview(w, false);
  EXPECT_TRUE(p.shown);
  EXPECT_TRUE(p.valid);
  EXPECT_TRUE(w.placementShown);
  EXPECT_FLOAT_EQ(w.placementPoint.x, 0.0f);
  EXPECT_TRUE(p.groundPreview);
  EXPECT_TRUE(p.groundColour.sameAs(kBlue.lifted()));

  // Occupied: red preview and no ground ring.
  qvtest::put(w, plant, 0.0f, 0.0f);
  p = decidePlacementPreview(w, false);
  EXPECT_TRUE(p.shown);
  EXPECT_FALSE(p.valid);
  EXPECT_FALSE(p.groundPreview);

  // Moving units never paint; the ground point must be hit for land units.
  const TemplatePtr walker = w.templates.assigned[1];
  w.selectedTemplate = 1;
  walker->habitat = Unit3DTemplate::kLand;
  w.pick.groundPoint = {10.0f, 10.0f, w.groundHeight(10.0f, 10.0f)};
  p = decidePlacementPreview(w, false);
  EXPECT_TRUE(p.valid);
  EXPECT_FALSE(p.groundPreview);
  w.pick.groundHit = false;
  EXPECT_FALSE(decidePlacementPreview(w, false).shown);

  // Water units use the surface point: a floating one sits on the sea, not the sea floor.
  walker->habitat = Unit3DTemplate::kWater;
  walker->floatsInWater = true;
  w.pick.surfacePoint = {70.0f, 0.0f, 0.0f};
  ASSERT_LT(w.groundHeight(70.0f, 0.0f), -1.0f);
  p = decidePlacementPreview(w, false);
  EXPECT_TRUE(p.shown);
  EXPECT_NEAR(p.point.z, w.standingHeight(*walker, 70.0f, 0.0f), 1e-5);
  EXPECT_GT(p.point.z, w.groundHeight(70.0f, 0.0f));
  drawPlacementPreview(w, false);  // headless: decides, draws nothing
  EXPECT_TRUE(w.placementShown);
}

// ---------------------------------------------------------------- editor

TEST_F(UnitsScreens, EditorBackLeavesTheTemplateExactlyAsItWas) {
  makeTemplates(4);
  Editor& e = *g.editUnit;
  const TemplatePtr t = w.templates.assigned[1];
  t->primaryColourOptions = {col(0.2f, 0.3f, 0.4f)};  // off the palette
  t->eats = {w.templates.assigned[0]};
  const int32_t id = t->templateId;
  const std::string model = t->modelFileName();
  e.loadIntoEditor(t, false);
  for (int s = 0; s < Editor::kSliderCount; ++s) e.slider(s).setValue(1.0f);
  for (int b = 0; b < Editor::kBoxCount; ++b) e.box(b).checked = !e.box(b).checked;
  e.swatch(Editor::kPrimaryRow, 0).checked = true;
  e.swatchPressed(Editor::kPrimaryRow, 0);
  e.addPending(Editor::kEats, w.templates.assigned[2]);
  e.removePendingAt(Editor::kEats, 0);
  e.setPendingModel(made.back());
  EXPECT_TRUE(e.handleCommand(Editor::kBack));
  EXPECT_EQ(requested(), g.units.get());
  EXPECT_FLOAT_EQ(t->size, 1.0f);
  EXPECT_EQ(t->moveSpeed, 2);
  EXPECT_EQ(t->lifespan, 1);
  EXPECT_FALSE(t->breeds);
  EXPECT_TRUE(t->floatsInWater);
  ASSERT_EQ(t->primaryColourOptions.size(), 1u);
  EXPECT_TRUE(t->primaryColourOptions[0].sameAs(col(0.2f, 0.3f, 0.4f)));
  ASSERT_EQ(t->eats.size(), 1u);
  EXPECT_EQ(t->eats[0], w.templates.assigned[0]);
  EXPECT_EQ(t->templateId, id);
  EXPECT_EQ(t->modelFileName(), model);
}

TEST_F(UnitsScreens, EditorSaveWritesEveryRow) {
  makeTemplates(4);
  Editor& e = *g.editUnit;
  const TemplatePtr t = w.templates.assigned[1];
  const float hop = t->hopSpeed;
  e.loadIntoEditor(t, false);
  e.setSliderIndex(Editor::kSize, 3);  // Large
  e.setSliderIndex(Editor::kMoveSpeed, 3);
  e.setSliderIndex(Editor::kMoveAnimation, 3);
  e.setSliderIndex(Editor::kLandOrWater, 1);
  e.setSliderIndex(Editor::kLifespan, 3);
  e.setSliderIndex(Editor::kHealth, 2);
  e.setSliderIndex(Editor::kDamage, 0);
  e.setSliderIndex(Editor::kHunger, 2);
  e.setSliderIndex(Editor::kBreedFrequency, 2);
  e.setSliderIndex(Editor::kBreedAmount, 2);
  e.setSliderIndex(Editor::kSleeps, 2);
  e.box(Editor::kFloats).checked = false;
  e.box(Editor::kBreeds).checked = true;
  e.box(Editor::kStartsAsBaby).checked = false;
  e.box(Editor::kClimbs).checked = true;
  // Primary: only Green and Orange (palette order kept).
  const int green = paletteIndex("Green"), orange = paletteIndex("Orange");
  for (int i = 0; i < kPaletteSize; ++i) e.swatch(Editor::kPrimaryRow, i).checked = (i == orange || i == green);
  e.swatchPressed(Editor::kPrimaryRow, orange);
  e.addPending(Editor::kEats, w.templates.assigned[0]);
  e.addPending(Editor::kHabitat, w.templates.assigned[2]);
  EXPECT_TRUE(e.handleCommand(Editor::kSave));
  EXPECT_EQ(requested(), g.units.get());

  EXPECT_FLOAT_EQ(t->size, 2.5f);
  EXPECT_NEAR(t->hopSpeed, hop * std::sqrt(2.5f), 1e-4) << "bounce follows the size";
  EXPECT_EQ(t->moveSpeed, 3);
  EXPECT_EQ(t->moveAnimation, 3);
  EXPECT_EQ(t->habitat, 1);
  EXPECT_EQ(t->lifespan, 3);
  EXPECT_EQ(t->health, 2);
  EXPECT_EQ(t->damage, 0);
  EXPECT_EQ(t->hunger, 2);
  EXPECT_EQ(t->breedFrequency, 2);
  EXPECT_EQ(t->breedAmount, 2);
  EXPECT_EQ(t->sleeps, 2);
  EXPECT_FALSE(t->floatsInWater);
  EXPECT_TRUE(t->breeds);
  EXPECT_FALSE(t->startsAsBaby);
  EXPECT_TRUE(t->climbsSlopes);
  ASSERT_EQ(t->primaryColourOptions.size(), 2u);
  EXPECT_TRUE(t->primaryColourOptions[0].sameAs(kPalette[static_cast<size_t>(std::min(green, orange))].colour));
  EXPECT_TRUE(t->primaryColourOptions[1].sameAs(kPalette[static_cast<size_t>(std::max(green, orange))].colour));
  EXPECT_TRUE(t->nextPrimaryColour.sameAs(t->primaryColourOptions[0]) ||
              t->nextPrimaryColour.sameAs(t->primaryColourOptions[1]))
      << "next colours made valid again";
  ASSERT_EQ(t->eats.size(), 1u);
  EXPECT_EQ(t->eats[0], w.templates.assigned[0]);
  ASSERT_EQ(t->likes.size(), 1u);
  EXPECT_EQ(t->likes[0], w.templates.assigned[2]);

  // Reopening shows what was saved.
  e.loadIntoEditor(t, false);
  EXPECT_EQ(e.slider(Editor::kSize).selectedIndex(), 3);
  EXPECT_EQ(e.sliderIndex(Editor::kBreedAmount), 2);
  EXPECT_TRUE(e.swatch(Editor::kPrimaryRow, green).checked);
  EXPECT_FALSE(e.swatch(Editor::kPrimaryRow, paletteIndex("Red")).checked);

  // Every colour-ground option stores its own value.
  for (int v = 0; v < 4; ++v) {
    e.loadIntoEditor(t, false);
    e.setSliderIndex(Editor::kMoveSpeed, 0);
    e.setSliderIndex(Editor::kColourGround, v);
    e.save();
    EXPECT_EQ(t->colourGround, v);
  }
}

TEST_F(UnitsScreens, ColourRowsNeverEndUpEmpty) {
  makeTemplates(1);
  Editor& e = *g.editUnit;
  const TemplatePtr t = w.templates.assigned[0];
  t->primaryColourOptions = {kPalette[0].colour};
  e.loadIntoEditor(t, false);
  ASSERT_TRUE(e.swatch(Editor::kPrimaryRow, 0).checked);
  // The swatch toggles itself on the press; the editor then sees an empty row.
  e.swatch(Editor::kPrimaryRow, 0).checked = false;
  EXPECT_TRUE(e.handleCommand(Editor::kFirstPrimarySwatch));
  EXPECT_TRUE(e.swatch(Editor::kPrimaryRow, kPaletteSize - 1).checked) << "white stands in";
  e.save();
  ASSERT_EQ(t->primaryColourOptions.size(), 1u);
  EXPECT_TRUE(t->primaryColourOptions[0].sameAs({1, 1, 1, 1}));
  // Unchecking white itself as the last one checks it again.
  e.loadIntoEditor(t, false);
  e.swatch(Editor::kPrimaryRow, kPaletteSize - 1).checked = false;
  e.handleCommand(Editor::kFirstPrimarySwatch + kPaletteSize - 1);
  EXPECT_TRUE(e.swatch(Editor::kPrimaryRow, kPaletteSize - 1).checked);
}

TEST_F(UnitsScreens, RowDependencies) {
  makeTemplates(2);
  Editor& e = *g.editUnit;
  e.loadIntoEditor(w.templates.assigned[1], false);  // moving, tall model with a secondary part
  e.setSliderIndex(Editor::kMoveSpeed, 2);
  e.enableRows();
  EXPECT_EQ(e.slider(Editor::kColourGround).state, kStateDisabled);
  EXPECT_EQ(e.slider(Editor::kMoveAnimation).state, kStateActive);
  EXPECT_EQ(e.listButton(Editor::kEatsAdd).state, kStateActive);
  EXPECT_EQ(e.listButton(Editor::kEatsRemove).state, kStateDisabled) << "nothing to remove";

  e.setSliderIndex(Editor::kMoveSpeed, 0);
  e.enableRows();
  for (int s : {Editor::kMoveAnimation, Editor::kDamage, Editor::kHunger, Editor::kSleeps})
    EXPECT_EQ(e.slider(s).state, kStateDisabled) << s;
  EXPECT_EQ(e.box(Editor::kClimbs).state, kStateDisabled);
  for (int id : {Editor::kEatsAdd, Editor::kEatsRemove, Editor::kHabitatAdd, Editor::kHabitatRemove})
    EXPECT_EQ(e.listButton(id).state, kStateDisabled) << id;
  EXPECT_EQ(e.rowText(Editor::kEatsText).state, kStateDisabled);
  EXPECT_EQ(e.slider(Editor::kColourGround).state, kStateActive);

  for (int v = 0; v < 4; ++v) {
    e.setSliderIndex(Editor::kColourGround, v);
    e.enableRows();
    EXPECT_EQ(e.swatch(Editor::kGroundRow, 3).state, v == 3 ? kStateActive : kStateDisabled) << v;
  }
  e.setSliderIndex(Editor::kLandOrWater, 0);
  e.enableRows();
  EXPECT_EQ(e.box(Editor::kFloats).state, kStateDisabled);
  e.setSliderIndex(Editor::kLandOrWater, 2);
  e.enableRows();
  EXPECT_EQ(e.box(Editor::kFloats).state, kStateActive);
  e.box(Editor::kBreeds).checked = false;
  e.handleCommand(Editor::kBreedsBox);
  EXPECT_EQ(e.slider(Editor::kBreedFrequency).state, kStateDisabled);
  EXPECT_EQ(e.slider(Editor::kBreedAmount).state, kStateDisabled);
  e.box(Editor::kBreeds).checked = true;
  e.handleCommand(Editor::kBreedsBox);
  EXPECT_EQ(e.slider(Editor::kBreedAmount).state, kStateActive);
  EXPECT_EQ(e.swatch(Editor::kSecondaryRow, 0).state, kStateActive);

  // A model without a secondary part greys out the secondary colours.
  auto bare = std::make_shared<Unit3DTemplate>("No Such Model.obj", 1.0f, std::vector<Colour>{kRed},
                                               std::vector<Colour>{}, 0, std::vector<Colour>{}, 1, 1, false, false, 0);
  e.loadIntoEditor(bare, false);
  EXPECT_EQ(e.swatch(Editor::kSecondaryRow, 0).state, kStateDisabled);
  EXPECT_EQ(e.rowText(Editor::kSecondaryText).state, kStateDisabled);
  // The preview follows the size slider at once.
  e.setSliderIndex(Editor::kSize, 4);
  e.enableRows();
  EXPECT_FLOAT_EQ(e.previewImage().image.scaleFactor, 3.0f);
}

TEST_F(UnitsScreens, PendingListsHoldThreeAndRemoveBySlot) {
  makeTemplates(5);
  Editor& e = *g.editUnit;
  Chooser& c = *g.selectModel;
  const auto& a = w.templates.assigned;
  e.loadIntoEditor(a[1], false);  // moving
  // "+" opens the chooser on the assigned templates not yet listed.
  EXPECT_TRUE(e.handleCommand(Editor::kEatsAdd));
  EXPECT_EQ(requested(), g.selectModel.get());
  EXPECT_EQ(c.purpose(), Chooser::kAddEats);
  EXPECT_EQ(c.returnScene(), g.editUnit.get());
  EXPECT_EQ(c.entries().size(), 5u);
  EXPECT_TRUE(c.handleCommand(Chooser::kFirstEntry + 3));
  EXPECT_EQ(requested(), g.editUnit.get());
  ASSERT_EQ(e.pending(Editor::kEats).size(), 1u);
  EXPECT_EQ(e.pending(Editor::kEats)[0], a[3]);
  e.handleCommand(Editor::kEatsAdd);
  EXPECT_EQ(c.entries().size(), 4u);
  EXPECT_EQ(std::count(c.entries().begin(), c.entries().end(), a[3]), 0);
  c.handleCommand(Chooser::kFirstEntry + 0);  // a[0]
  e.addPending(Editor::kEats, a[0]);          // already listed: ignored
  e.addPending(Editor::kEats, a[4]);
  ASSERT_EQ(e.pending(Editor::kEats).size(), 3u);
  EXPECT_EQ(e.listButton(Editor::kEatsAdd).state, kStateDisabled) << "three slots, all used";
  EXPECT_EQ(e.listButton(Editor::kEatsRemove).state, kStateActive);
  e.addPending(Editor::kEats, a[2]);
  EXPECT_EQ(e.pending(Editor::kEats).size(), 3u);
  EXPECT_EQ(e.slotImage(Editor::kEats, 2).image.unitTemplate, a[4]);
  EXPECT_EQ(e.slotButton(Editor::kEats, 0).state, kStateHidden);

  // "-": the filled slots become buttons; one press takes that template out.
  e.handleCommand(Editor::kEatsRemove);
  EXPECT_EQ(e.removeMode(), Editor::kEats);
  for (int s = 0; s < 3; ++s) {
    EXPECT_EQ(e.slotButton(Editor::kEats, s).state, kStateActive) << s;
    EXPECT_EQ(e.slotImage(Editor::kEats, s).state, kStateHidden) << s;
  }
  EXPECT_EQ(e.slotButton(Editor::kHabitat, 0).state, kStateHidden);
  EXPECT_TRUE(e.handleCommand(Editor::kFirstEatsSlot + 1));
  ASSERT_EQ(e.pending(Editor::kEats).size(), 2u);
  EXPECT_EQ(e.pending(Editor::kEats)[0], a[3]);
  EXPECT_EQ(e.pending(Editor::kEats)[1], a[4]);
  EXPECT_EQ(e.slotButton(Editor::kEats, 2).state, kStateHidden) << "an empty slot is no button";
  EXPECT_EQ(e.slotImage(Editor::kEats, 2).state, kStateDisabled);
  EXPECT_EQ(e.listButton(Editor::kEatsAdd).state, kStateActive);
  e.handleCommand(Editor::kFirstEatsSlot + 2);  // empty now: nothing
  EXPECT_EQ(e.pending(Editor::kEats).size(), 2u);

  // A press anywhere else goes back to the previews.
  e.hud().showPage(0);
  e.mouse(-900.0f, 500.0f, kMousePress);
  EXPECT_EQ(e.removeMode(), -1);
  EXPECT_EQ(e.slotImage(Editor::kEats, 0).state, kStateActive);
  EXPECT_EQ(e.slotButton(Editor::kEats, 0).state, kStateHidden);

  // Habitat works the same way, and the lists reach the template only on Save.
  e.handleCommand(Editor::kHabitatAdd);
  EXPECT_EQ(c.purpose(), Chooser::kAddHabitat);
  c.handleCommand(Chooser::kFirstEntry + 2);
  ASSERT_EQ(e.pending(Editor::kHabitat).size(), 1u);
  EXPECT_TRUE(a[1]->likes.empty());
  e.handleCommand(Editor::kHabitatRemove);
  e.handleCommand(Editor::kFirstHabitatSlot);
  EXPECT_TRUE(e.pending(Editor::kHabitat).empty());
  EXPECT_EQ(e.removeMode(), -1) << "nothing left to remove";
  e.save();
  EXPECT_EQ(a[1]->eats.size(), 2u);
  EXPECT_TRUE(a[1]->likes.empty());
}

TEST_F(UnitsScreens, HoveringAndPressingSwatchesWithTheMouse) {
  makeTemplates(1);
  Editor& e = *g.editUnit;
  const TemplatePtr t = w.templates.assigned[0];
  t->primaryColourOptions = {kRed};
  e.loadIntoEditor(t, false);
  Hud& hud = e.hud();
  const int teal = paletteIndex("Teal");
  const float sx = 439.0f + 36.0f * static_cast<float>(teal) + 20.0f, sy = -180.0f - 20.0f;
  // Hovering shows that colour on the preview only.
  e.mouse(hud.posX * 540.0f + sx, hud.posY * 540.0f + sy, kMouseMove);
  ASSERT_NE(e.previewTemplate(), nullptr);
  ASSERT_EQ(e.previewTemplate()->primaryColourOptions.size(), 1u);
  EXPECT_TRUE(e.previewTemplate()->primaryColourOptions[0].sameAs(kPalette[static_cast<size_t>(teal)].colour));
  EXPECT_TRUE(t->primaryColourOptions[0].sameAs(kRed));
  // Pressing adds it to the row; moving away shows the pending row.
  const int id = e.mouse(hud.posX * 540.0f + sx, hud.posY * 540.0f + sy, kMousePress);
  EXPECT_EQ(id, Editor::kFirstPrimarySwatch + teal);
  e.handleCommand(id);
  EXPECT_TRUE(e.swatch(Editor::kPrimaryRow, teal).checked);
  e.mouse(hud.posX * 540.0f + 5.0f, hud.posY * 540.0f - 5.0f, kMouseMove);
  EXPECT_EQ(e.previewTemplate()->primaryColourOptions.size(), 2u) << "red and teal pending";
  EXPECT_EQ(t->primaryColourOptions.size(), 1u) << "not before Save";
}

// ---------------------------------------------------------------- chooser

TEST_F(UnitsScreens, AddMakesANewTemplateFromAnUnusedModel) {
  makeTemplates(3, 2);
  Units& u = *g.units;
  Chooser& c = *g.selectModel;
  Editor& e = *g.editUnit;
  const TemplatePtr spare = w.templates.unassigned[0];
  EXPECT_TRUE(u.handleCommand(Units::kAdd));
  EXPECT_EQ(requested(), g.selectModel.get());
  EXPECT_EQ(c.purpose(), Chooser::kNewUnit);
  EXPECT_EQ(c.returnScene(), g.units.get());
  ASSERT_EQ(c.entries().size(), 2u);
  EXPECT_EQ(c.entries()[0], spare);
  EXPECT_EQ(c.entryButton(1).state, kStateActive);
  EXPECT_EQ(c.entryButton(2).state, kStateDisabled);
  EXPECT_TRUE(c.handleCommand(Chooser::kFirstEntry + 2)) << "an empty entry is ignored";
  EXPECT_EQ(requested(), g.selectModel.get());

  // Back from the chooser returns to its opener and changes nothing.
  EXPECT_TRUE(c.handleCommand(Chooser::kBack));
  EXPECT_EQ(requested(), g.units.get());
  EXPECT_EQ(w.templates.assigned.size(), 3u);

  u.handleCommand(Units::kAdd);
  c.handleCommand(Chooser::kFirstEntry + 0);
  EXPECT_EQ(requested(), g.editUnit.get());
  EXPECT_EQ(e.edited(), spare);
  EXPECT_TRUE(e.editingNew());
  e.handleCommand(Editor::kBack);
  EXPECT_FALSE(w.templates.isAssigned(spare.get())) << "Back adds nothing";

  u.handleCommand(Units::kAdd);
  c.handleCommand(Chooser::kFirstEntry + 0);
  e.setSliderIndex(Editor::kSize, 1);
  e.handleCommand(Editor::kSave);
  EXPECT_EQ(w.templates.assigned.back(), spare);
  EXPECT_FLOAT_EQ(spare->size, 1.5f);
  EXPECT_EQ(w.templates.unassigned.size(), 1u);
  EXPECT_EQ(u.templateButton(3).preview.unitTemplate, spare) << "the units screen shows it at once";
  c.open(Chooser::kNewUnit, &u, {});
  EXPECT_EQ(c.entries().size(), 1u);
}

TEST_F(UnitsScreens, ChangeModelSwapsOnSaveOnly) {
  makeTemplates(2, 3);
  Editor& e = *g.editUnit;
  Chooser& c = *g.selectModel;
  const TemplatePtr t = w.templates.assigned[0];  // flat model
  ASSERT_EQ(t->modelFileName(), "UnitsTest Flat.obj");
  // The spares in id order; pick the one with the tall model.
  const TemplatePtr source = w.templates.unassigned[1];
  ASSERT_EQ(source->modelFileName(), "UnitsTest Tall.obj");
  const int32_t tId = t->templateId, sourceId = source->templateId;
  const int32_t nextId = Unit3DTemplate::peekNextTemplateId();

  e.loadIntoEditor(t, false);
  e.handleCommand(Editor::kChangeModel);
  EXPECT_EQ(c.purpose(), Chooser::kChangeModel);
  ASSERT_EQ(c.entries().size(), 3u);
  c.handleCommand(Chooser::kFirstEntry + 1);
  EXPECT_EQ(requested(), g.editUnit.get());
  EXPECT_EQ(e.pendingModel(), source);
  EXPECT_EQ(t->modelFileName(), "UnitsTest Flat.obj") << "nothing changes before Save";
  ASSERT_NE(e.previewTemplate(), nullptr);
  EXPECT_EQ(e.previewTemplate()->modelFileName(), "UnitsTest Tall.obj");
  EXPECT_EQ(Unit3DTemplate::peekNextTemplateId(), nextId) << "the preview stand-in uses up no id";

  e.save();
  EXPECT_EQ(t->modelFileName(), "UnitsTest Tall.obj");
  EXPECT_EQ(source->modelFileName(), "UnitsTest Flat.obj");
  EXPECT_EQ(t->templateId, sourceId);
  EXPECT_EQ(source->templateId, tId);
  EXPECT_GT(t->modelHeightMax(), 3.0f) << "measures follow the model";
  const auto& un = w.templates.unassigned;
  for (size_t i = 1; i < un.size(); ++i) EXPECT_LT(un[i - 1]->templateId, un[i]->templateId) << "kept in id order";
  EXPECT_TRUE(w.templates.isAssigned(t.get()));
  EXPECT_FALSE(w.templates.isAssigned(source.get()));
}

TEST_F(UnitsScreens, ChooserPagesAndTheEditorsOwnTemplateIsNeverOffered) {
  makeTemplates(1, 30);
  Chooser& c = *g.selectModel;
  Editor& e = *g.editUnit;
  c.open(Chooser::kNewUnit, g.units.get(), {});
  EXPECT_EQ(c.entries().size(), 30u);
  EXPECT_EQ(c.entryButton(29).state, kStateActive);
  EXPECT_EQ(c.entryButton(30).state, kStateDisabled);
  c.showPage(1);
  EXPECT_EQ(c.page(), 1);
  const Vec2 at = templateButtonPosition(22);
  EXPECT_EQ(pressIn(c, c.hud(), at.x + 60, at.y - 60), Chooser::kFirstEntry + 22);
  c.open(Chooser::kChangeModel, &e, {});
  EXPECT_EQ(c.page(), 0) << "every opening starts on the first page";

  // Editing a new template: the chooser for another model leaves it out.
  const TemplatePtr spare = w.templates.unassigned[0];
  e.loadIntoEditor(spare, true);
  e.handleCommand(Editor::kChangeModel);
  EXPECT_EQ(c.entries().size(), 29u);
  EXPECT_EQ(std::count(c.entries().begin(), c.entries().end(), spare), 0);
  e.setPendingModel(spare);
  EXPECT_EQ(e.pendingModel(), nullptr) << "a template cannot swap with itself";
}

}  // namespace
