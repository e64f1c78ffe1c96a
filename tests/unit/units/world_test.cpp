#include <gtest/gtest.h>

#include "units_fixture.hpp"
#include "world/sky.hpp"

using namespace qv;

namespace {

TEST(WorldClock, DayLightTableDerivedColoursAndDaysThatWrapWhileTheRealClocksRun) {
  const std::pair<float, float> table[] = {{300.0f, 0.5f}, {0.0f, 0.5f},   {10.0f, 1.0f},  {5.0f, 1.0f},
                                           {295.0f, 1.0f}, {305.0f, 0.0f}, {400.0f, 0.0f}, {450.0f, 0.5f}};
  for (const auto& [t, f] : table) EXPECT_FLOAT_EQ(World::lightFactorAt(t), f) << "at " << t;

  auto w = qvtest::makeWorld();
  w->colours.row[WorldColours::kSky] = qvtest::col(0.0f, 0.5f, 1.0f);
  const Colour sky = w->skyColour();
  const struct { float time, sun; bool day; float clear; } rows[] = {
      {300.0f, 0.75f, false, 0.625f}, {10.0f, 1.0f, true, 1.0f}, {350.0f, 0.5f, false, 0.25f}};
  for (const auto& r : rows) {
    w->timeOfDay = r.time;
    w->updateLight();
    EXPECT_TRUE(w->sunColour.r == r.sun && w->daytime == r.day && std::abs(w->clearColour.b - sky.b * r.clear) < 1e-5f)
        << "at " << r.time;
  }
  w->setGameSpeed(3);
  // A full day at 20x takes 22.5 real seconds.
  for (int i = 0; i < 450; ++i) w->step(0.05f, w->simDtFor(0.05f, false));
  EXPECT_TRUE(std::abs(w->timeOfDay - 350.0f) < 0.01f && w->unsavedChanges && w->wholeSeconds == 22) << w->timeOfDay;
  w->unsavedChanges = false;
  w->setGameSpeed(0);
  const float t = w->timeOfDay, clock = w->cyclicClock;
  for (int i = 0; i < 25; ++i) w->step(0.05f, w->simDtFor(0.05f, false));
  EXPECT_TRUE(w->timeOfDay == t && !w->unsavedChanges && w->wholeSeconds == 23);
  EXPECT_TRUE(w->cyclicClock != clock && w->cyclicClock <= 2.0f * kPi) << "the real clocks keep running";
  w->setGameSpeed(2);
  EXPECT_EQ(w->simDtFor(0.05f, true), 0.0f) << "dialogs freeze the world";
  // A huge step still lands inside the day.
  w->step(0.05f, 10000.0f);
  EXPECT_TRUE(w->timeOfDay >= 0.0f && w->timeOfDay < 450.0f) << w->timeOfDay;
}

const TerrainTriangle& triangleAt(const World& w, float x, float y) {
  int i, j, k;
  Terrain::locate(x, y, i, j, k);
  return w.terrain->triangle(i, j, k);
}

struct WorldUnits : ::testing::Test {
  std::unique_ptr<World> w = qvtest::makeWorld(99);
  TemplatePtr plant = qvtest::makeTemplate(0), walker = qvtest::makeTemplate(Unit3DTemplate::kNormalSpeed);
  void SetUp() override {
    qvtest::shape(*w, qvtest::IslandBrush{});
    plant->primaryColourOptions = {qvtest::col(1, 0, 0), qvtest::col(0, 1, 0), qvtest::col(0, 0, 1)};
    w->templates.all = {plant, walker};
    for (auto& t : w->templates.all) w->templates.assign(t);
  }
};

TEST_F(WorldUnits, PlacingUsesTheSelectedTemplateNextColoursAndANewYawDeletingTakesAllOfATemplate) {
  EXPECT_EQ(w->placeUnit({0, 0, 6}), nullptr) << "nothing selected";
  w->selectedTemplate = 0;
  plant->ensureNextColours();
  const Colour next = plant->nextPrimaryColour;
  const float yaw = w->placementYaw;
  auto u = w->placeUnit({1.0f, 2.0f, w->groundHeight(1.0f, 2.0f)});
  ASSERT_NE(u, nullptr);
  EXPECT_TRUE(u->primaryColour.sameAs(next) && u->yaw == yaw && w->placementYaw != yaw);
  // Holding the colours keeps the next colour for the following unit.
  const Colour held = plant->nextPrimaryColour;
  auto v = w->placeUnit({5.0f, 2.0f, w->groundHeight(5.0f, 2.0f)}, true);
  EXPECT_TRUE(v->primaryColour.sameAs(held) && plant->nextPrimaryColour.sameAs(held));
  // Placement checks: free space and slope.
  EXPECT_TRUE(!w->placementValid(*plant, u->position) && w->placementValid(*plant, {20.0f, 0.0f, w->groundHeight(20.0f, 0.0f)}));

  // Deleting a template removes all its units in one go, fading-in offspring too.
  for (int i = 0; i < 30; ++i) qvtest::put(*w, walker, -20.0f + 1.3f * i, 8.0f);
  w->addOffspring(std::make_shared<Unit3D>(0, walker, Vec3{5, 5, 1}, 0.0f, Vec2{5, 5}, Vec2{5, 5}, true,
      walker->nextPrimaryColour, walker->nextSecondaryColour, walker->nextGroundColour, false, true));
  w->selectedTemplate = 1;  // the walker
  EXPECT_EQ(w->deleteTemplate(walker), 31);
  EXPECT_TRUE(w->unitCount() == 2u && w->newUnits.empty() && w->templates.unassigned.front() == walker && w->selectedTemplate == -1)
      << "nothing of it is drawn any more, and it is no longer selected";
}

TEST_F(WorldUnits, ColouringPlantsPaintTheGroundAndErasingClearsIt) {
  auto u = qvtest::put(*w, plant, 10.0f, 10.0f);
  w->terrain->fadeGroundColours(1000.0f);
  const TerrainTriangle& painted = triangleAt(*w, 10.0f, 10.0f);
  EXPECT_TRUE(!painted.useColorEmptyLand && painted.color.sameAs(u->primaryColour.lifted()));
  qvtest::put(*w, walker, -20.0f, -20.0f);
  EXPECT_TRUE(triangleAt(*w, -20.0f, -20.0f).targetUseColorEmptyLand) << "moving units never paint";
  // Erasing the plant sends its ground back to empty land.
  std::tie(w->pick.groundHit, w->pick.groundPoint) = std::tuple(true, u->position);
  EXPECT_EQ(w->eraseUnderEraser(), 0) << "a press that began on the panel erases nothing";
  w->eraserWorldPress = true;
  EXPECT_EQ(w->eraseUnderEraser(), 1);
  w->terrain->fadeGroundColours(1000.0f);
  EXPECT_TRUE(triangleAt(*w, 10.0f, 10.0f).useColorEmptyLand && w->unitCount() == 1u);
}

TEST_F(WorldUnits, PaintersAreReportedInGridOrderWithTheirOptionColour) {
  struct Collect : GroundPainterVisitor {
    std::vector<std::pair<float, Colour>> at;  // x and colour
    void painter(float x, float, const Colour& c) override { at.push_back({x, c}); }
  } seen;
  auto a = qvtest::put(*w, plant, 3.0f, 3.0f), b = qvtest::put(*w, plant, -3.0f, 3.0f);
  qvtest::put(*w, walker, 0.5f, 0.5f);
  auto rock = qvtest::makeTemplate(0), other = qvtest::makeTemplate(0);
  std::tie(rock->colourGround, other->colourGround) = std::tuple(Unit3DTemplate::kGroundNone, Unit3DTemplate::kGroundSecondary);
  qvtest::put(*w, rock, 1.0f, 1.0f);
  auto c = qvtest::put(*w, other, 1.0f, -3.0f);
  w->forEachPainter(0.0f, 0.0f, 9.1f, seen);
  ASSERT_EQ(seen.at.size(), 3u);
  // Cell row 10 first, then row 11 column 10, then column 11.
  EXPECT_TRUE(seen.at[0].first == 1.0f && seen.at[1].first == -3.0f && seen.at[2].first == 3.0f);
  EXPECT_TRUE(seen.at[0].second.sameAs(c->secondaryColour) && seen.at[2].second.sameAs(a->primaryColour));
  b->health = 0.0f;
  seen.at.clear();
  w->forEachPainter(0.0f, 0.0f, 9.1f, seen);
  EXPECT_EQ(seen.at.size(), 2u) << "the dead paint no more";
}

TEST_F(WorldUnits, ResetWorldClearsUnitsColoursAndStateButKeepsHeights) {
  w->selectedTemplate = 1;
  auto u = qvtest::put(*w, plant, 10.0f, 10.0f);
  qvtest::put(*w, walker, 12.0f, 10.0f);
  w->terrain->fadeGroundColours(1000.0f);
  const float h = w->groundHeight(20.0f, 5.0f);
  w->setGameSpeed(3);
  w->setGameSpeed(0);
  w->timeOfDay = w->wavePhase = 300.0f, w->toolMode = 2;
  w->pick.groundHit = w->placementShown = true;
  w->camera.position = {1, 2, 3};
  w->dying.push_back(u);
  w->resetWorld();
  EXPECT_TRUE(w->unitCount() == 0u && w->dying.empty() && w->templates.assigned.empty() && w->templates.unassigned.size() == 2u);
  EXPECT_TRUE(w->timeOfDay == 75.0f && w->timeScale == 1.0f && w->wavePhase == 0.0f && w->toolMode == 0 && w->selectedTemplate == -1);
  EXPECT_FALSE(w->paused || w->pick.groundHit || w->placementShown || !w->unsavedChanges);
  EXPECT_TRUE(w->camera.position.x == -150.0f && w->groundHeight(20.0f, 5.0f) == h &&
              triangleAt(*w, 10.0f, 10.0f).useColorEmptyLand && w->terrain->fadingTriangles().empty());
}

TEST(WorldShared, OneProcessWideWorldWithEveryObject) {
  qvtest::useTestData();
  World& a = World::shared();
  EXPECT_TRUE(&a == &World::shared() && a.terrain && a.water && a.skyHorizon && a.waterSkyEdge && a.clouds &&
              a.terrain->groundPainters() == &a);
  a.colours.row[WorldColours::kWater] = qvtest::col(0, 0, 1);
  a.applyWorldColours();
  EXPECT_TRUE(a.waterColour().sameAs(qvtest::col(0.45f, 0.45f, 1.0f)));
}

}  // namespace
