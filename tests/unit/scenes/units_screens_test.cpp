// The units screen, the placement panel, the template editor, the chooser and
// the delete question, driven headless through their commands and the mouse.
#include <gtest/gtest.h>

#include <algorithm>
#include <tuple>

#include "persistence/save_game.hpp"
#include "render/palette.hpp"
#include "scenes/census_panel.hpp"
#include "scenes/game_scenes.hpp"
#include "unit/units/units_fixture.hpp"

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
// Presses the middle of template button k (grid position on its own page).
int pressTemplate(Scene& scene, Hud& hud, int k) {
  const Vec2 at = templateButtonPosition(k);
  return pressIn(scene, hud, at.x + 60, at.y - 60);
}
// A template whose model has no secondary part.
TemplatePtr bareTemplate() {
  const std::vector<Colour> rb{kRed, kBlue};
  return std::make_shared<Unit3DTemplate>("No Such Model.obj", 1.0f, rb, rb, 0, std::vector<Colour>{}, 1, 1, false, false, 0);
}

// The game's scenes, made once from the test Data.
GameScenes& madeScenes() {
  qvtest::useTestData();
  if (!gameScenes().topHud) gameScenes().createAllButLoading(nullptr);
  return gameScenes();
}

struct UnitsScreens : ::testing::Test {
  GameScenes& g = madeScenes();
  World& w = World::shared();
  Units& u = *g.units;
  Editor& e = *g.editUnit;
  Chooser& c = *g.selectModel;
  std::vector<TemplatePtr> made;

  void SetUp() override {
    switcher().clear();
    w.resetWorld();
    w.templates.clear();
    unitsScreenState() = {};
    qvtest::shape(w, qvtest::IslandBrush{});
  }
  void TearDown() override { switcher().clear(); w.templates.clear(); w.resetWorld(); }
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
  // Template 0 with the given colour options, selected for placing.
  TemplatePtr colourTemplate(std::vector<Colour> primary, std::vector<Colour> secondary, std::vector<Colour> ground,
                             int colourGround) {
    const TemplatePtr t = w.templates.assigned[0];
    t->primaryColourOptions = std::move(primary);
    t->secondaryColourOptions = std::move(secondary);
    t->groundColourOptions = std::move(ground);
    t->moveSpeed = 0;
    t->colourGround = colourGround;
    w.selectedTemplate = 0;
    t->ensureNextColours();
    g.unitPlacement->refreshPlacementPanel();
    return t;
  }
  // The scene a command asked for; null when the scene did not answer it.
  static Scene* command(Scene& s, int id) { return s.handleCommand(id) ? switcher().requested() : nullptr; }
};

TEST_F(UnitsScreens, DefaultSetIsBuiltOnceAndTemplateButtonsFillThreePagesOfTwentyOne) {
  for (int round = 0; round < 3; ++round) {
    if (round == 2) w.templates.resetForNewWorld();  // all unassigned, but still there
    Units::ensureTemplatesExist(w);
    EXPECT_EQ(w.templates.all.size(), defaultTemplateModelNames().size()) << "never a second set, round " << round;
  }

  w.templates.clear();
  makeTemplates(25);
  u.refreshTemplateButtons();
  for (int k = 0; k < kTemplateButtonCount; ++k) {
    HudButtonUnit3DTemplate& b = u.templateButton(k);
    EXPECT_EQ(b.state, k < 25 ? kStateActive : kStateDisabled) << k;
    EXPECT_EQ(b.preview.unitTemplate, k < 25 ? w.templates.assigned[static_cast<size_t>(k)] : nullptr) << k;
  }

  // The page buttons turn pages with the mouse; templates of hidden pages are not hit.
  u.showPage(0);
  EXPECT_TRUE(pressIn(u, u.hud(), 412 + 30, -837 - 25) == 2 && u.page() == 1);
  EXPECT_EQ(pressTemplate(u, u.hud(), 21), Units::kFirstTemplate + 21);
  EXPECT_EQ(pressTemplate(u, u.hud(), 30), 0) << "disabled: past the list";

  // The list shrinking disables the buttons it left.
  w.templates.unassign(w.templates.assigned.back());
  u.refreshTemplateButtons();
  EXPECT_TRUE(u.templateButton(24).state == kStateDisabled && !u.templateButton(24).preview.unitTemplate);
}

TEST_F(UnitsScreens, ModesAreARadioAndATemplatePressFollowsTheModeUpToDelete) {
  makeTemplates(4);
  u.onBecameCurrent();
  // Back is no mode.
  const struct { float x; int id, mode; } rows[] = {
      {879, Units::kEditMode, Units::kEdit}, {1093, Units::kDeleteMode, Units::kDelete}, {55, Units::kBack, Units::kDelete}};
  for (const auto& r : rows) EXPECT_TRUE(pressIn(u, u.hud(), r.x + 40, -837 - 25) == r.id && u.mode() == r.mode) << r.id;
  // Entering returns to Place mode, where a template selects it and opens the placement panel.
  u.onBecameCurrent();
  EXPECT_EQ(command(u, Units::kFirstTemplate + 2), g.unitPlacement.get());
  EXPECT_TRUE(w.selectedTemplate == 2 && w.toolMode == 1);
  EXPECT_TRUE(w.templates.assigned[2]->nextPrimaryChosen) << "next colours made valid for the preview";
  w.toolMode = 0;
  w.selectedTemplate = -1;
  u.setMode(Units::kEdit);
  EXPECT_EQ(command(u, Units::kFirstTemplate + 1), g.editUnit.get());
  EXPECT_TRUE(g.editUnit->edited() == w.templates.assigned[1] && !g.editUnit->editingNew());
  EXPECT_TRUE(w.toolMode == 0 && w.selectedTemplate == -1) << "editing neither places nor selects";

  // Delete mode asks, then removes the template and every unit of it.
  const TemplatePtr doomed = w.templates.assigned[1], kept = w.templates.assigned[2];
  for (int i = 0; i < 35; ++i)
    qvtest::put(w, i < 30 ? doomed : kept, -20.0f + static_cast<float>(i % 6) * 4.0f, -10.0f + static_cast<float>(i / 6) * 4.0f);
  w.selectedTemplate = 2;
  u.setMode(Units::kDelete);
  EXPECT_TRUE(command(u, Units::kFirstTemplate + 1) == g.deleteUnit.get() && unitsScreenState().templateToDelete == 1);
  EXPECT_EQ(command(*g.deleteUnit, SceneGameplayWithDeleteUnit::kCancel), g.units.get());
  EXPECT_EQ(w.unitCount(), 35u);

  u.handleCommand(Units::kFirstTemplate + 1);
  EXPECT_TRUE(g.deleteUnit->handleCommand(SceneGameplayWithDeleteUnit::kDelete) && w.unitCount() == 5u) << "all 30 go in one step";
  EXPECT_TRUE(!w.templates.isAssigned(doomed.get()) && std::ranges::count(w.templates.unassigned, doomed) == 1);
  EXPECT_EQ(w.selected(), kept) << "the selection follows the list";
  EXPECT_TRUE(unitsScreenState().templateToDelete == -1 && u.templateButton(1).preview.unitTemplate == kept);

  // A stale mark deletes nothing.
  unitsScreenState().templateToDelete = 7;
  EXPECT_TRUE(!g.deleteUnit->deleteMarked() && w.templates.assigned.size() == 3);
}

TEST_F(UnitsScreens, ColourArrowsAndKeysFollowTheOptionsOfEnabledRows) {
  makeTemplates(2);
  auto& p = *g.unitPlacement;
  const TemplatePtr t = colourTemplate({kRed, kGreen, kBlue}, {kRed, kBlue}, {kGreen, kBlue}, Unit3DTemplate::kGroundOther);
  t->nextPrimaryColour = kBlue;
  EXPECT_TRUE(p.handleCommand(3102) && t->nextPrimaryColour.sameAs(kRed)) << "next primary wraps to the first";
  EXPECT_TRUE(p.handleCommand(3101) && t->nextPrimaryColour.sameAs(kBlue)) << "previous wraps to the last";

  // Keys act only while the placement scene is current.
  t->nextSecondaryColour = kRed;
  p.colourStep(3);
  EXPECT_TRUE(t->nextSecondaryColour.sameAs(kRed));
  switcher().setCurrent(&p);
  const struct { int key; Colour Unit3DTemplate::*next; Colour expected; } steps[] = {
      {3, &Unit3DTemplate::nextSecondaryColour, kBlue}, {3, &Unit3DTemplate::nextSecondaryColour, kRed},
      {4, &Unit3DTemplate::nextGroundColour, kBlue},    {4, &Unit3DTemplate::nextGroundColour, kGreen},
      {5, &Unit3DTemplate::nextGroundColour, kBlue}};
  t->nextGroundColour = kGreen;
  for (const auto& s : steps) {
    p.colourStep(s.key);
    EXPECT_TRUE(((*t).*s.next).sameAs(s.expected)) << s.key;
  }

  // The rows follow the selected template (a flat model: it has a secondary part).
  colourTemplate({kRed}, {kRed, kBlue}, {kGreen, kBlue}, Unit3DTemplate::kGroundPrimary);
  EXPECT_EQ(std::pair(p.arrow(0).state, p.arrow(2).state), std::pair(kStateDisabled, kStateActive)) << "one primary option";
  const struct { int colourGround, moveSpeed, arrow4; } rows[] = {{Unit3DTemplate::kGroundPrimary, 0, kStateDisabled},
                                                                 {Unit3DTemplate::kGroundOther, 0, kStateActive},
                                                                 {Unit3DTemplate::kGroundOther, 2, kStateDisabled}};
  for (const auto& r : rows) {
    t->colourGround = r.colourGround;
    t->moveSpeed = r.moveSpeed;
    p.refreshPlacementPanel();
    EXPECT_EQ(p.arrow(4).state, r.arrow4) << r.colourGround << " " << r.moveSpeed;
  }
  // A greyed-out row's keys do nothing either.
  t->primaryColourOptions = {kRed, kBlue};
  p.colourStep(1);
  EXPECT_TRUE(t->nextPrimaryColour.sameAs(kRed));
  // A model without a secondary part never offers secondary colours.
  w.templates.assign(bareTemplate());
  w.selectedTemplate = 2;
  p.refreshPlacementPanel();
  EXPECT_EQ(p.arrow(2).state, kStateDisabled);
  // No template selected is harmless and greys out every arrow.
  w.selectedTemplate = -1;
  p.cycleNextColour(1, 1);
  p.refreshPlacementPanel();
  for (int i = 0; i < 6; ++i) EXPECT_EQ(p.arrow(i).state, kStateDisabled);
}

TEST_F(UnitsScreens, PlacementPreviewFollowsThePickAndTheRules) {
  makeTemplates(2);
  const TemplatePtr plant = w.templates.assigned[0];  // stationary
  plant->habitat = Unit3DTemplate::kLand;
  plant->colourGround = Unit3DTemplate::kGroundPrimary;
  plant->primaryColourOptions = {kBlue};
  plant->ensureNextColours();
  w.pick.groundHit = w.pick.surfaceHit = true;
  w.pick.groundPoint = w.pick.surfacePoint = {0.0f, 0.0f, w.groundHeight(0.0f, 0.0f)};

  EXPECT_FALSE(decidePlacementPreview(w, false).shown) << "tool mode 0";
  w.toolMode = 1;
  EXPECT_FALSE(decidePlacementPreview(w, false).shown) << "no template selected";
  w.selectedTemplate = 0;
  w.placementShown = true;
  EXPECT_FALSE(decidePlacementPreview(w, true).shown) << "frozen behind a dialog";
  EXPECT_FALSE(w.placementShown) << "a stale point must not take clicks";

  PlacementPreview p = decidePlacementPreview(w, false);
  EXPECT_TRUE(p.shown && p.valid && w.placementShown && p.groundPreview && p.groundColour.sameAs(kBlue.lifted()));
  // Occupied: red preview and no ground ring.
  qvtest::put(w, plant, 0.0f, 0.0f);
  p = decidePlacementPreview(w, false);
  EXPECT_TRUE(p.shown && !p.valid && !p.groundPreview);

  // Moving units never paint; the ground point must be hit for land units.
  const TemplatePtr walker = w.templates.assigned[1];
  w.selectedTemplate = 1;
  walker->habitat = Unit3DTemplate::kLand;
  w.pick.groundPoint = {10.0f, 10.0f, w.groundHeight(10.0f, 10.0f)};
  p = decidePlacementPreview(w, false);
  EXPECT_TRUE(p.valid && !p.groundPreview);
  w.pick.groundHit = false;
  EXPECT_FALSE(decidePlacementPreview(w, false).shown);

  // Water units use the surface point: a floating one sits on the sea, not the sea floor.
  walker->habitat = Unit3DTemplate::kWater;
  walker->floatsInWater = true;
  w.pick.surfacePoint = {70.0f, 0.0f, 0.0f};
  ASSERT_LT(w.groundHeight(70.0f, 0.0f), -1.0f);
  p = decidePlacementPreview(w, false);
  EXPECT_TRUE(p.shown && p.point.z > w.groundHeight(70.0f, 0.0f));
  EXPECT_NEAR(p.point.z, w.standingHeight(*walker, 70.0f, 0.0f), 1e-5);
}

// A left click in the world places the selected unit where the preview stands,
// and only where it may stand.
TEST_F(UnitsScreens, ClickingPlacesAUnitOnlyOnAnAllowedSpot) {
  makeTemplates(1);
  Scene& placing = *g.unitPlacement;
  switcher().setCurrent(&placing);
  std::tie(w.selectedTemplate, w.toolMode) = std::pair(0, 1);
  input() = {};
  input().leftHeld = true;
  const struct { float x; size_t count; const char* why; } rows[] = {
      {0.0f, 1u, "free ground"}, {0.1f, 1u, "on top of the first unit"}, {10.0f, 2u, "free again"}};
  for (const auto& r : rows) {
    w.pick.groundHit = w.pick.surfaceHit = true;
    w.pick.groundPoint = w.pick.surfacePoint = {r.x, 0.0f, w.groundHeight(r.x, 0.0f)};
    decidePlacementPreview(w, false);
    EXPECT_EQ(placing.mouse(0.0f, 0.0f, kMousePress), 0);
    EXPECT_EQ(w.unitCount(), r.count) << r.why;
  }
  input() = {};
}

// A fading scene ignores the mouse: the press that would change the mode does nothing.
TEST_F(UnitsScreens, PressesDuringAFadeInOrOutAreIgnored) {
  makeTemplates(2);
  const auto pressEdit = [&] { return pressIn(u, u.hud(), 879 + 40, -837 - 25); };
  switcher().setCurrent(g.topHud.get());
  requestScene(&u, 0);
  for (int f = 0; f < 100 && !g.topHud->update(0.02f); ++f) {}
  switcher().switchToRequestedScene();
  ASSERT_TRUE(switcher().current() == &u && u.transitionState() == 1) << "fading in";
  EXPECT_TRUE(pressEdit() == 0 && u.mode() == Units::kPlace);
  for (int f = 0; f < 100 && u.transitionState() != 0; ++f) u.update(0.02f);
  EXPECT_EQ(pressEdit(), Units::kEditMode) << "the same press once it has settled";
  u.setMode(Units::kPlace);
  HudComponent* edit = nullptr;
  for (const auto& layer : u.hud().layers)
    for (const auto& c : layer.components)
      if (auto* b = dynamic_cast<HudButton*>(c.get()); b && b->identifier() == Units::kEditMode) edit = b;
  ASSERT_NE(edit, nullptr);
  u.mouse(u.hud().posX * 540.0f + 919, u.hud().posY * 540.0f - 862, kMouseMove);
  ASSERT_TRUE(edit->highlighted);
  requestScene(g.topHud.get(), 0);
  u.update(0.02f);
  ASSERT_EQ(u.transitionState(), 2) << "fading out";
  EXPECT_TRUE(pressEdit() == 0 && u.mode() == Units::kPlace);
  for (int f = 0; f < 100 && !u.update(0.02f); ++f) {}
  EXPECT_FALSE(edit->highlighted) << "a screen left under the mouse forgets the hover";
}

TEST_F(UnitsScreens, EditorBackDiscardsSaveWritesEveryRowAndRowsStayConsistent) {
  makeTemplates(4);
  const TemplatePtr t = w.templates.assigned[1];
  const struct { int slider, index; int32_t Unit3DTemplate::*field; int32_t value; } sliders[] = {
      {Editor::kMoveSpeed, 3, &Unit3DTemplate::moveSpeed, 3},  {Editor::kMoveAnimation, 3, &Unit3DTemplate::moveAnimation, 3},
      {Editor::kLandOrWater, 1, &Unit3DTemplate::habitat, 1},  {Editor::kLifespan, 3, &Unit3DTemplate::lifespan, 3},
      {Editor::kHealth, 2, &Unit3DTemplate::health, 2},        {Editor::kDamage, 0, &Unit3DTemplate::damage, 0},
      {Editor::kHunger, 2, &Unit3DTemplate::hunger, 2},        {Editor::kBreedFrequency, 2, &Unit3DTemplate::breedFrequency, 2},
      {Editor::kBreedAmount, 2, &Unit3DTemplate::breedAmount, 2}, {Editor::kSleeps, 2, &Unit3DTemplate::sleeps, 2}};
  const struct { int box; bool checked; bool Unit3DTemplate::*field; } boxes[] = {
      {Editor::kFloats, false, &Unit3DTemplate::floatsInWater}, {Editor::kBreeds, true, &Unit3DTemplate::breeds},
      {Editor::kStartsAsBaby, false, &Unit3DTemplate::startsAsBaby}, {Editor::kClimbs, true, &Unit3DTemplate::climbsSlopes}};

  // Back: every row, swatch, list and the model change are dropped; the template
  // saves exactly as before.
  t->primaryColourOptions = {col(0.2f, 0.3f, 0.4f)};  // off the palette
  t->eats = {w.templates.assigned[0]};
  const std::string before = templateToText(*t, w);
  e.loadIntoEditor(t, false);
  for (int s = 0; s < Editor::kSliderCount; ++s) e.slider(s).setValue(1.0f);
  for (int b = 0; b < Editor::kBoxCount; ++b) e.box(b).checked = !e.box(b).checked;
  e.swatch(Editor::kPrimaryRow, 0).checked = true;
  e.swatchPressed(Editor::kPrimaryRow, 0);
  e.addPending(Editor::kEats, w.templates.assigned[2]);
  e.removePendingAt(Editor::kEats, 0);
  e.setPendingModel(made.back());
  EXPECT_EQ(command(e, Editor::kBack), g.units.get());
  EXPECT_EQ(templateToText(*t, w), before);

  // Save: the same kind of edits all reach the template.
  t->eats.clear();
  e.loadIntoEditor(t, false);
  e.setSliderIndex(Editor::kSize, 3);  // Large
  for (const auto& s : sliders) e.setSliderIndex(s.slider, s.index);
  for (const auto& b : boxes) e.box(b.box).checked = b.checked;
  // Primary: only Green and Orange (palette order kept).
  const int green = paletteIndex("Green"), orange = paletteIndex("Orange");
  for (int i = 0; i < kPaletteSize; ++i) e.swatch(Editor::kPrimaryRow, i).checked = (i == orange || i == green);
  e.swatchPressed(Editor::kPrimaryRow, orange);
  e.addPending(Editor::kEats, w.templates.assigned[0]);
  e.addPending(Editor::kHabitat, w.templates.assigned[2]);
  EXPECT_EQ(command(e, Editor::kSave), g.units.get());
  EXPECT_FLOAT_EQ(t->size, 2.5f);
  for (const auto& s : sliders) EXPECT_EQ((*t).*s.field, s.value) << "slider " << s.slider;
  for (const auto& b : boxes) EXPECT_EQ((*t).*b.field, b.checked) << "box " << b.box;
  const auto& primary = t->primaryColourOptions;
  ASSERT_EQ(primary.size(), 2u);
  EXPECT_TRUE(primary[0].sameAs(*paletteColour("Green")) && primary[1].sameAs(*paletteColour("Orange")));
  EXPECT_TRUE(t->nextPrimaryColour.sameAs(primary[0]) || t->nextPrimaryColour.sameAs(primary[1])) << "next colours made valid again";
  EXPECT_EQ(t->eats, std::vector<TemplatePtr>{w.templates.assigned[0]});
  EXPECT_EQ(t->likes, std::vector<TemplatePtr>{w.templates.assigned[2]});

  // Colour rows never end up empty.
  const TemplatePtr plain = w.templates.assigned[0];
  plain->primaryColourOptions = {kPalette[0].colour};
  // The swatch toggles itself on the press; the editor then sees an empty row and white stands in,
  // also when white itself was the last one.
  for (int k : {0, kPaletteSize - 1}) {
    e.loadIntoEditor(plain, false);
    ASSERT_TRUE(e.swatch(Editor::kPrimaryRow, k).checked);
    e.swatch(Editor::kPrimaryRow, k).checked = false;
    EXPECT_TRUE(e.handleCommand(Editor::kFirstPrimarySwatch + k));
    EXPECT_TRUE(e.swatch(Editor::kPrimaryRow, kPaletteSize - 1).checked) << k;
    e.save();
    EXPECT_TRUE(plain->primaryColourOptions.size() == 1 && plain->primaryColourOptions[0].sameAs({1, 1, 1, 1}));
  }
  // Rows that only make sense for moving (or for still) units grey out with the speed.
  e.loadIntoEditor(w.templates.assigned[2], false);  // moving, flat model with a secondary part
  for (int speed : {2, 0}) {
    e.setSliderIndex(Editor::kMoveSpeed, speed);
    e.enableRows();
    const int moving = speed ? kStateActive : kStateDisabled, still = speed ? kStateDisabled : kStateActive;
    for (int s : {Editor::kMoveAnimation, Editor::kDamage, Editor::kHunger, Editor::kSleeps})
      EXPECT_EQ(e.slider(s).state, moving) << s;
    EXPECT_EQ(std::pair(e.listButton(Editor::kHabitatAdd).state, e.slider(Editor::kColourGround).state), std::pair(moving, still));
  }
  EXPECT_EQ(e.listButton(Editor::kEatsRemove).state, kStateDisabled) << "nothing to remove";
  for (int v = 0; v < 4; ++v) {
    e.setSliderIndex(Editor::kColourGround, v);
    e.enableRows();
    EXPECT_EQ(e.swatch(Editor::kGroundRow, 3).state, v == 3 ? kStateActive : kStateDisabled) << v;
  }
  // A model without a secondary part greys out the secondary colours.
  e.loadIntoEditor(bareTemplate(), false);
  EXPECT_EQ(e.swatch(Editor::kSecondaryRow, 0).state, kStateDisabled);
}

TEST_F(UnitsScreens, PendingListsHoldThreeAndRemoveBySlot) {
  makeTemplates(5);
  const auto& a = w.templates.assigned;
  const auto& eats = e.pending(Editor::kEats);
  e.loadIntoEditor(a[1], false);  // moving
  // "+" opens the chooser on the assigned templates not yet listed.
  EXPECT_TRUE(e.handleCommand(Editor::kEatsAdd) && c.purpose() == Chooser::kAddEats && c.entries().size() == 5);
  EXPECT_EQ(command(c, Chooser::kFirstEntry + 3), g.editUnit.get());
  EXPECT_EQ(eats, std::vector<TemplatePtr>{a[3]});
  e.handleCommand(Editor::kEatsAdd);
  EXPECT_TRUE(c.entries().size() == 4 && std::ranges::count(c.entries(), a[3]) == 0) << "the listed one is left out";
  c.handleCommand(Chooser::kFirstEntry + 0);  // a[0]
  e.addPending(Editor::kEats, a[0]);          // already listed: ignored
  e.addPending(Editor::kEats, a[4]);
  EXPECT_EQ(e.listButton(Editor::kEatsAdd).state, kStateDisabled) << "three slots, all used";
  e.addPending(Editor::kEats, a[2]);
  EXPECT_EQ(eats, (std::vector<TemplatePtr>{a[3], a[0], a[4]}));
  EXPECT_EQ(e.slotImage(Editor::kEats, 2).image.unitTemplate, a[4]);

  // "-": the filled slots become buttons; one press takes that template out.
  EXPECT_TRUE(e.handleCommand(Editor::kEatsRemove) && e.removeMode() == Editor::kEats);
  for (int s = 0; s < 3; ++s) EXPECT_EQ(e.slotButton(Editor::kEats, s).state, kStateActive) << s;
  EXPECT_TRUE(e.handleCommand(Editor::kFirstEatsSlot + 1) && eats == (std::vector<TemplatePtr>{a[3], a[4]}));
  EXPECT_EQ(e.slotButton(Editor::kEats, 2).state, kStateHidden) << "an empty slot is no button";
  e.handleCommand(Editor::kFirstEatsSlot + 2);  // empty now: nothing
  EXPECT_EQ(eats.size(), 2u);

  // A press anywhere else goes back to the previews.
  e.hud().showPage(0);
  e.mouse(-900.0f, 500.0f, kMousePress);
  EXPECT_EQ(e.removeMode(), -1);

  EXPECT_TRUE(e.handleCommand(Editor::kHabitatAdd) && c.purpose() == Chooser::kAddHabitat);
}

TEST_F(UnitsScreens, AddMakesANewTemplateFromAnUnusedModelAndChangeModelSwapsOnSaveOnly) {
  makeTemplates(3, 3);
  const TemplatePtr spare = w.templates.unassigned[0];
  EXPECT_TRUE(u.handleCommand(Units::kAdd) && c.purpose() == Chooser::kNewUnit);
  ASSERT_EQ(c.entries().size(), 3u);
  EXPECT_EQ(c.entries()[0], spare);
  EXPECT_EQ(command(c, Chooser::kFirstEntry + 3), g.selectModel.get()) << "an empty entry is ignored";
  // Back from the chooser returns to its opener and changes nothing.
  EXPECT_EQ(command(c, Chooser::kBack), g.units.get());
  EXPECT_EQ(w.templates.assigned.size(), 3u);

  u.handleCommand(Units::kAdd);
  c.handleCommand(Chooser::kFirstEntry + 0);
  EXPECT_TRUE(e.edited() == spare && e.editingNew());
  EXPECT_TRUE(e.handleCommand(Editor::kBack) && !w.templates.isAssigned(spare.get())) << "Back adds nothing";

  u.handleCommand(Units::kAdd);
  c.handleCommand(Chooser::kFirstEntry + 0);
  e.setSliderIndex(Editor::kSize, 1);
  e.handleCommand(Editor::kSave);
  EXPECT_TRUE(spare->size == 1.5f && w.templates.unassigned.size() == 2u);
  EXPECT_EQ(u.templateButton(3).preview.unitTemplate, spare) << "the units screen shows it at once";

  // Change Model swaps the models (and ids) on Save only.
  // A flat model, and a spare (they are in id order) with a tall one.
  const TemplatePtr t = w.templates.assigned[0], source = w.templates.unassigned[1];
  ASSERT_EQ(source->modelFileName(), "UnitsTest Tall.obj");
  const int32_t tId = t->templateId, sourceId = source->templateId, nextId = Unit3DTemplate::peekNextTemplateId();

  e.loadIntoEditor(t, false);
  e.handleCommand(Editor::kChangeModel);
  ASSERT_TRUE(c.purpose() == Chooser::kChangeModel && c.entries().size() == 2u);
  EXPECT_EQ(command(c, Chooser::kFirstEntry + 1), g.editUnit.get());
  EXPECT_EQ(e.pendingModel(), source);
  EXPECT_EQ(t->modelFileName(), "UnitsTest Flat.obj") << "nothing changes before Save";
  ASSERT_NE(e.previewTemplate(), nullptr);
  EXPECT_EQ(e.previewTemplate()->modelFileName(), "UnitsTest Tall.obj");
  EXPECT_EQ(Unit3DTemplate::peekNextTemplateId(), nextId) << "the preview stand-in uses up no id";

  e.save();
  EXPECT_EQ(std::pair(t->modelFileName(), source->modelFileName()),
            (std::pair<std::string, std::string>("UnitsTest Tall.obj", "UnitsTest Flat.obj")));
  EXPECT_TRUE(t->templateId == sourceId && source->templateId == tId) << "ids swap too";
  EXPECT_GT(t->modelHeightMax(), 3.0f) << "measures follow the model";
  const auto& un = w.templates.unassigned;
  for (size_t i = 1; i < un.size(); ++i) EXPECT_LT(un[i - 1]->templateId, un[i]->templateId) << "kept in id order";
  EXPECT_TRUE(w.templates.isAssigned(t.get()) && !w.templates.isAssigned(source.get()));

  // Editing a new template: the chooser for another model leaves it out, and it cannot swap with itself.
  e.loadIntoEditor(w.templates.unassigned[0], true);
  EXPECT_TRUE(e.handleCommand(Editor::kChangeModel) && std::ranges::count(c.entries(), w.templates.unassigned[0]) == 0);
  e.setPendingModel(w.templates.unassigned[0]);
  EXPECT_EQ(e.pendingModel(), nullptr);
}

// Back drops an active tool: the screen fades out and the top bar is there at
// once; without a tool the top bar fades in as usual. Either way the switch completes.
TEST_F(UnitsScreens, BackWithAToolUpReturnsToTheTopBarAtOnce) {
  makeTemplates(2);
  for (const int tool : {1, 0}) {
    switcher().clear();
      switcher().setCurrent(&u);
    u.onBecameCurrent();
    w.toolMode = tool;
    EXPECT_TRUE(u.handleCommand(Units::kBack) && w.toolMode == 0) << tool;
    bool out = false;
    for (int f = 0; f < 100 && !out; ++f) out = u.update(0.02f);
    ASSERT_TRUE(out) << "tool " << tool << ": the units screen must finish leaving";
    switcher().switchToRequestedScene();
    ASSERT_EQ(switcher().current(), g.topHud.get());
    EXPECT_FLOAT_EQ(g.topHud->hudOpacity(), tool ? 1.0f : 0.0f) << "tool " << tool;
    if (tool) EXPECT_EQ(switcher().entryCounter, 1);
  }
}

// The census lists the kinds alive, most numerous first, eight to a page; its
// arrows turn the pages and grey out at the ends.
TEST_F(UnitsScreens, CensusListsTheMostNumerousFirstEightToAPage) {
  makeTemplates(10);
  for (int i = 0; i < 10; ++i)
    for (int k = 0; k <= i; ++k) qvtest::put(w, made[static_cast<size_t>(i)], -30.0f + 6.0f * static_cast<float>(i), -20.0f + 3.0f * static_cast<float>(k));
  platform::overrideProgramFolder(qvtest::realProgramFolder());  // the arrows take their size from their pictures
  CensusPanel panel;
  panel.update(w, 0.0f);
  ASSERT_EQ(std::pair(panel.listedCount(), panel.pageCount()), std::pair(10, 2));
  for (int row = 0; row < 8; ++row) EXPECT_EQ(panel.listedTemplate(row), made[static_cast<size_t>(9 - row)].get()) << row;
  const auto press = [&](float x) {
    const int r = panel.mouse(CensusPanel::kLeft + x + 42.0f, CensusPanel::kTop - 800.0f, kMousePress);
    panel.update(w, 0.0f);
    return r;
  };
  const float previous = 44.0f, next = 130.0f;
  const struct { float arrow; int answer, page; const Unit3DTemplate* first; } steps[] = {
      {previous, CensusPanel::kBody, 0, made[9].get()}, {next, CensusPanel::kNextPage, 1, made[1].get()},
      {next, CensusPanel::kBody, 1, made[1].get()},     {previous, CensusPanel::kPreviousPage, 0, made[9].get()}};
  for (const auto& s : steps) {
    EXPECT_EQ(press(s.arrow), s.answer) << s.arrow;
    EXPECT_EQ(std::pair(panel.page(), panel.listedTemplate(0)), std::pair(s.page, s.first));
  }
  press(next);
  EXPECT_TRUE(panel.listedTemplate(1) == made[0].get() && !panel.listedTemplate(2)) << "the last page holds the rest";
}
}  // namespace
