#include <gtest/gtest.h>

#include "units_fixture.hpp"
#include "world/sky.hpp"

using namespace qv;

namespace {

TEST(WorldLight, DayTableAndDerivedColours) {
  EXPECT_FLOAT_EQ(World::lightFactorAt(300.0f), 0.5f);
  EXPECT_FLOAT_EQ(World::lightFactorAt(0.0f), 0.5f);
  EXPECT_FLOAT_EQ(World::lightFactorAt(10.0f), 1.0f);
  EXPECT_FLOAT_EQ(World::lightFactorAt(5.0f), 1.0f);
  EXPECT_FLOAT_EQ(World::lightFactorAt(295.0f), 1.0f);
  EXPECT_FLOAT_EQ(World::lightFactorAt(305.0f), 0.0f);
  EXPECT_FLOAT_EQ(World::lightFactorAt(400.0f), 0.0f);
  EXPECT_FLOAT_EQ(World::lightFactorAt(450.0f), 0.5f);
  EXPECT_NEAR(World::lightFactorAt(449.0f), 0.4f, 1e-5f);

  auto w = qvtest::makeWorld();
  w->colours.row[WorldColours::kSky] = qvtest::col(0.0f, 0.5f, 1.0f);
  w->timeOfDay = 300.0f;
  w->updateLight();
  EXPECT_FLOAT_EQ(w->sunColour.r, 0.75f);
  EXPECT_FLOAT_EQ(w->sunColour.a, 1.0f);
  EXPECT_FALSE(w->daytime);
  const Colour sky = w->skyColour();
  EXPECT_NEAR(sky.g, 0.45f + 0.55f * 0.5f, 1e-6f) << "world colours are lifted";
  EXPECT_NEAR(w->clearColour.g, sky.g * 0.625f, 1e-5f);
  w->timeOfDay = 0.0f;
  w->updateLight();
  EXPECT_FALSE(w->daytime);
  EXPECT_FLOAT_EQ(w->sunColour.g, 0.75f);
  w->timeOfDay = 10.0f;
  w->updateLight();
  EXPECT_TRUE(w->daytime);
  EXPECT_FLOAT_EQ(w->sunColour.b, 1.0f);
  w->timeOfDay = 350.0f;
  w->updateLight();
  EXPECT_FLOAT_EQ(w->sunColour.r, 0.5f);
  EXPECT_NEAR(w->clearColour.b, sky.b * 0.25f, 1e-6f);
}

TEST(WorldClock, DaysWrapSpeedsAndPauseLeaveTheRealClocksRunning) {
  auto w = qvtest::makeWorld();
  EXPECT_FLOAT_EQ(w->timeOfDay, 75.0f);
  w->setGameSpeed(3);
  EXPECT_FLOAT_EQ(w->timeScale, 20.0f);
  // A full day at 20x takes 22.5 real seconds.
  for (int i = 0; i < 450; ++i) w->step(0.05f, w->simDtFor(0.05f, false));
  EXPECT_NEAR(w->timeOfDay, 75.0f, 0.01f);
  EXPECT_TRUE(w->unsavedChanges);
  EXPECT_EQ(w->wholeSeconds, 22);
  w->unsavedChanges = false;
  w->setGameSpeed(0);
  EXPECT_TRUE(w->paused);
  EXPECT_EQ(w->simDtFor(0.05f, false), 0.0f);
  const float t = w->timeOfDay;
  const int seconds = w->wholeSeconds;
  const float clock = w->cyclicClock;
  for (int i = 0; i < 25; ++i) w->step(0.05f, w->simDtFor(0.05f, false));
  EXPECT_EQ(w->timeOfDay, t);
  EXPECT_FALSE(w->unsavedChanges);
  EXPECT_EQ(w->wholeSeconds, seconds + 1);
  EXPECT_NE(w->cyclicClock, clock);
  EXPECT_LE(w->cyclicClock, 2.0f * kPi);
  w->setGameSpeed(2);
  EXPECT_FALSE(w->paused);
  EXPECT_FLOAT_EQ(w->timeScale, 5.0f);
  EXPECT_EQ(w->simDtFor(0.05f, true), 0.0f) << "dialogs freeze the world";
  // A huge step still lands inside the day.
  w->step(0.05f, 10000.0f);
  EXPECT_GE(w->timeOfDay, 0.0f);
  EXPECT_LT(w->timeOfDay, 450.0f);
}

struct WorldUnits : ::testing::Test {
  std::unique_ptr<World> w = qvtest::makeWorld(99);
  TemplatePtr plant = qvtest::makeTemplate(0);
  TemplatePtr walker = qvtest::makeTemplate(Unit3DTemplate::kNormalSpeed);
  void SetUp() override {
    qvtest::IslandBrush island;
    qvtest::shape(*w, island);
    plant->primaryColourOptions = {qvtest::col(1, 0, 0), qvtest::col(0, 1, 0), qvtest::col(0, 0, 1)};
    w->templates.all = {plant, walker};
    w->templates.assign(plant);
    w->templates.assign(walker);
  }
};

TEST_F(WorldUnits, PlacingUsesTheSelectedTemplateNextColoursAndANewYaw) {
  EXPECT_EQ(w->placeUnit({0, 0, 6}), nullptr) << "nothing selected";
  w->selectedTemplate = 0;
  plant->ensureNextColours();
  const Colour next = plant->nextPrimaryColour;
  const float yaw = w->placementYaw;
  auto u = w->placeUnit({1.0f, 2.0f, w->groundHeight(1.0f, 2.0f)});
  ASSERT_NE(u, nullptr);
  EXPECT_TRUE(u->primaryColour.sameAs(next));
  EXPECT_EQ(u->yaw, yaw);
  EXPECT_NE(w->placementYaw, yaw);
  EXPECT_EQ(u->origin.x, 1.0f);
  EXPECT_EQ(u->anchor.y, 2.0f);
  EXPECT_EQ(u->fadeIn, 0.0f);
  EXPECT_EQ(w->unitCount(), 1u);
  // Holding the colours keeps the next colour for the following unit.
  const Colour held = plant->nextPrimaryColour;
  auto v = w->placeUnit({5.0f, 2.0f, w->groundHeight(5.0f, 2.0f)}, true);
  EXPECT_TRUE(v->primaryColour.sameAs(held));
  EXPECT_TRUE(plant->nextPrimaryColour.sameAs(held));
  // Placement checks: free space and slope.
  EXPECT_FALSE(w->placementValid(*plant, u->position));
  EXPECT_TRUE(w->placementValid(*plant, {20.0f, 0.0f, w->groundHeight(20.0f, 0.0f)}));
}

TEST_F(WorldUnits, ColouringPlantsPaintTheGroundAndErasingClearsIt) {
  auto u = qvtest::put(*w, plant, 10.0f, 10.0f);
  w->terrain->fadeGroundColours(1000.0f);
  int i, j, k;
  Terrain::locate(10.0f, 10.0f, i, j, k);
  const TerrainTriangle& tri = w->terrain->triangle(i, j, k);
  EXPECT_FALSE(tri.useColorEmptyLand);
  const Colour painted = u->primaryColour.lifted();
  EXPECT_NEAR(tri.color.r, painted.r, 1e-5f);
  EXPECT_NEAR(tri.color.g, painted.g, 1e-5f);
  // Moving units never paint.
  auto m = qvtest::put(*w, walker, -20.0f, -20.0f);
  Terrain::locate(-20.0f, -20.0f, i, j, k);
  EXPECT_TRUE(w->terrain->triangle(i, j, k).targetUseColorEmptyLand);
  // Erasing the plant sends its ground back to empty land.
  w->pick.groundHit = true;
  w->pick.groundPoint = u->position;
  w->eraserWorldPress = false;
  EXPECT_EQ(w->eraseUnderEraser(), 0) << "a press that began on the panel erases nothing";
  w->eraserWorldPress = true;
  EXPECT_EQ(w->eraseUnderEraser(), 1);
  w->terrain->fadeGroundColours(1000.0f);
  Terrain::locate(10.0f, 10.0f, i, j, k);
  EXPECT_TRUE(w->terrain->triangle(i, j, k).useColorEmptyLand);
  EXPECT_EQ(w->unitCount(), 1u);
}

TEST_F(WorldUnits, PaintersAreReportedInGridOrderWithTheirOptionColour) {
  struct Collect : GroundPainterVisitor {
    std::vector<Vec2> at;
    std::vector<Colour> colours;
    void painter(float x, float y, const Colour& c) override {
      at.push_back({x, y});
      colours.push_back(c);
    }
  } seen;
  auto a = qvtest::put(*w, plant, 3.0f, 3.0f);
  auto b = qvtest::put(*w, plant, -3.0f, 3.0f);
  qvtest::put(*w, walker, 0.5f, 0.5f);
  auto rock = qvtest::makeTemplate(0);
  rock->colourGround = Unit3DTemplate::kGroundNone;
  qvtest::put(*w, rock, 1.0f, 1.0f);
  auto other = qvtest::makeTemplate(0);
  other->colourGround = Unit3DTemplate::kGroundSecondary;
  auto c = qvtest::put(*w, other, 1.0f, -3.0f);
  w->forEachPainter(0.0f, 0.0f, 9.1f, seen);
  ASSERT_EQ(seen.at.size(), 3u);
  EXPECT_EQ(seen.at[0].x, 1.0f);   // cell row 10 comes first
  EXPECT_EQ(seen.at[1].x, -3.0f);  // then row 11, column 10
  EXPECT_EQ(seen.at[2].x, 3.0f);   // and column 11
  EXPECT_TRUE(seen.colours[0].sameAs(c->secondaryColour));
  EXPECT_TRUE(seen.colours[2].sameAs(a->primaryColour));
  b->health = 0.0f;
  seen.at.clear();
  w->forEachPainter(0.0f, 0.0f, 9.1f, seen);
  EXPECT_EQ(seen.at.size(), 2u) << "the dead paint no more";
}

TEST_F(WorldUnits, DeletingATemplateRemovesAllItsUnitsInOneGo) {
  for (int i = 0; i < 30; ++i) qvtest::put(*w, walker, -20.0f + 1.3f * i, 4.0f);
  qvtest::put(*w, plant, 0.0f, -10.0f);
  auto fading = std::make_shared<Unit3D>(0, walker, Vec3{5, 5, 1}, 0.0f, Vec2{5, 5}, Vec2{5, 5}, true,
                                         walker->nextPrimaryColour, walker->nextSecondaryColour,
                                         walker->nextGroundColour, false, true);
  w->addOffspring(fading);
  const int size = walker->moveSpeed;
  w->selectedTemplate = 1;  // the walker
  EXPECT_EQ(w->deleteTemplate(walker), 31);
  EXPECT_EQ(w->unitCount(), 1u);
  EXPECT_TRUE(w->newUnits.empty()) << "nothing of it is drawn any more";
  EXPECT_EQ(walker->moveSpeed, size);
  EXPECT_EQ(w->templates.unassigned.front(), walker);
  EXPECT_EQ(w->selectedTemplate, -1);
  // Deleting a template before the selected one keeps the same template selected.
  w->templates.assign(walker);
  w->selectedTemplate = 1;
  EXPECT_EQ(w->deleteTemplate(plant), 1);
  EXPECT_EQ(w->selected(), walker);
}

TEST_F(WorldUnits, ResetWorldClearsUnitsColoursAndStateButKeepsHeights) {
  w->selectedTemplate = 1;
  auto u = qvtest::put(*w, plant, 10.0f, 10.0f);
  qvtest::put(*w, walker, 12.0f, 10.0f);
  w->terrain->fadeGroundColours(1000.0f);
  const float h = w->groundHeight(20.0f, 5.0f);
  w->timeOfDay = 300.0f;
  w->setGameSpeed(3);
  w->setGameSpeed(0);
  w->toolMode = 2;
  w->pick.groundHit = true;
  w->placementShown = true;
  w->wavePhase = 5.0f;
  w->camera.position = {1, 2, 3};
  w->dying.push_back(u);
  w->resetWorld();
  EXPECT_EQ(w->unitCount(), 0u);
  EXPECT_TRUE(w->dying.empty());
  EXPECT_TRUE(w->templates.assigned.empty());
  EXPECT_EQ(w->templates.unassigned.size(), 2u);
  EXPECT_EQ(w->selectedTemplate, -1);
  EXPECT_FLOAT_EQ(w->timeOfDay, 75.0f);
  EXPECT_FLOAT_EQ(w->timeScale, 1.0f);
  EXPECT_FALSE(w->paused);
  EXPECT_EQ(w->toolMode, 0);
  EXPECT_FALSE(w->pick.groundHit);
  EXPECT_FALSE(w->placementShown);
  EXPECT_TRUE(w->unsavedChanges);
  EXPECT_EQ(w->wavePhase, 0.0f);
  EXPECT_FLOAT_EQ(w->camera.position.x, -150.0f);
  EXPECT_FLOAT_EQ(w->groundHeight(20.0f, 5.0f), h);
  int i, j, k;
  Terrain::locate(10.0f, 10.0f, i, j, k);
  EXPECT_TRUE(w->terrain->triangle(i, j, k).useColorEmptyLand);
  EXPECT_TRUE(w->terrain->fadingTriangles().empty());
}

TEST(WorldShared, OneProcessWideWorldWithEveryObject) {
  qvtest::useTestData();
  World& a = World::shared();
  EXPECT_TRUE(World::sharedExists());
  EXPECT_EQ(&a, &World::shared());
  EXPECT_NE(a.terrain, nullptr);
  EXPECT_NE(a.water, nullptr);
  EXPECT_NE(a.skyHorizon, nullptr);
  EXPECT_NE(a.waterSkyEdge, nullptr);
  EXPECT_NE(a.clouds, nullptr);
  EXPECT_EQ(a.terrain->groundPainters(), &a);
  a.colours.checkedSwatch[WorldColours::kWater] = 2;
  a.colours.row[WorldColours::kWater] = qvtest::col(0, 0, 1);
  a.applyWorldColours();
  EXPECT_NEAR(a.waterColour().b, 1.0f, 1e-6f);
  EXPECT_NEAR(a.waterColour().r, 0.45f, 1e-6f);
}

}  // namespace
