#include <gtest/gtest.h>

#include "units_fixture.hpp"
#include "world/water.hpp"

using namespace qv;

namespace {

struct FlatWorld : ::testing::Test {
  std::unique_ptr<World> w = qvtest::makeWorld(31337);
  void SetUp() override {
    qvtest::LevelBrush level;
    level.level = 1.0f;
    qvtest::shape(*w, level);
  }
};

TEST_F(FlatWorld, StandTestKeepsUnitsApartAndPlantsKeepExtraRoom) {
  auto plant = qvtest::makeTemplate(0);
  auto walker = qvtest::makeTemplate(Unit3DTemplate::kNormalSpeed);
  const float r = plant->radius();
  ASSERT_GT(r, 0.0f);
  auto p = qvtest::put(*w, plant, 0.0f, 0.0f);
  // A template alone (placement) needs the two plain radii.
  EXPECT_FALSE(w->standTest({2.0f * r * 0.99f, 0.0f}, nullptr, *plant, false));
  EXPECT_TRUE(w->standTest({2.0f * r * 1.01f, 0.0f}, nullptr, *plant, false));
  // A plant of the same kind keeps size factor / 0.7 (1.0 at size 1) extra on both sides.
  auto q = qvtest::put(*w, plant, 40.0f, 40.0f);
  EXPECT_FALSE(w->standTest({2.0f * r + 1.95f, 0.0f}, q.get(), *plant, false));
  EXPECT_TRUE(w->standTest({2.0f * r + 2.05f, 0.0f}, q.get(), *plant, false));
  // Against another kind, a plant uses its plain radius.
  auto m = qvtest::put(*w, walker, 10.0f, 0.0f);
  const float need = r + walker->radius();
  EXPECT_FALSE(w->standTest({10.0f + need * 0.99f, 0.0f}, q.get(), *plant, false));
  EXPECT_TRUE(w->standTest({10.0f + need * 1.01f, 0.0f}, q.get(), *plant, false));
  // A moving unit never counts itself and keeps no extra room.
  EXPECT_TRUE(w->standTest({10.0f, 0.0f}, m.get(), *walker, false));
  EXPECT_TRUE(w->standTest({(r + walker->radius()) * 1.01f, 0.0f}, m.get(), *walker, false));
  EXPECT_FALSE(w->standTest({(r + walker->radius()) * 0.99f, 0.0f}, m.get(), *walker, false));
  // The world's edge and the habitat.
  EXPECT_FALSE(w->standTest({82.485f, 0.0f}, nullptr, *walker, false));
  EXPECT_TRUE(w->standTest({82.4f, -82.4f}, nullptr, *walker, false));
  walker->habitat = Unit3DTemplate::kWater;
  EXPECT_FALSE(w->standTest({20.0f, 20.0f}, nullptr, *walker, true)) << "water units need sea";
  EXPECT_TRUE(w->standTest({20.0f, 20.0f}, nullptr, *walker, false));
}

TEST_F(FlatWorld, TurningRatesFollowSpeedAndHunting) {
  auto normal = qvtest::makeTemplate(Unit3DTemplate::kNormalSpeed);
  auto fast = qvtest::makeTemplate(Unit3DTemplate::kFast);
  auto a = qvtest::put(*w, normal, 0.0f, 0.0f, 0.0f);
  auto b = qvtest::put(*w, fast, 20.0f, 0.0f, 0.0f);
  qvtest::settle(*w);
  for (auto& u : {a, b}) {
    u->activity = Unit3D::kLookingAround;
    u->destination = {u->position.x, u->position.y + 1.0f, u->position.z};  // 90 degrees left
    u->turning = true;
    u->decisionTimer = 100.0f;
  }
  w->step(0.1f, 0.1f);
  EXPECT_NEAR(a->yaw, 0.235f, 1e-5f);
  EXPECT_NEAR(b->yaw, 0.47f, 1e-5f);
  EXPECT_FALSE(a->facingDestination);
  for (int i = 0; i < 6; ++i) w->step(0.1f, 0.1f);
  EXPECT_NEAR(a->yaw, kPi / 2.0f, 1e-5f) << "the last step lands exactly on the direction";
  EXPECT_FALSE(a->turning);
  EXPECT_EQ(a->activity, Unit3D::kIdle);
  // Turning the short way round across the +-pi seam.
  a->yaw = 3.0f;
  a->activity = Unit3D::kLookingAround;
  a->destination = {a->position.x - 1.0f, a->position.y - 0.2f, a->position.z};
  a->turning = true;
  w->step(0.1f, 0.1f);
  EXPECT_LT(a->yaw, -2.8f) << "turned through pi, not the long way";
}

TEST_F(FlatWorld, AWanderStepExactlyAsLongAsTheWayArrives) {
  auto t = qvtest::makeTemplate(Unit3DTemplate::kNormalSpeed);
  auto u = qvtest::put(*w, t, 0.0f, 0.0f, 0.0f);
  qvtest::settle(*w);
  u->decisionTimer = 100.0f;
  u->activity = Unit3D::kMoving;
  u->destination = {0.05f, 0.0f, 1.0f};  // v 1 x 0.5 x dt 0.1
  u->moving = u->turning = true;
  w->step(0.1f, 0.1f);
  EXPECT_FALSE(u->moving);
  EXPECT_FLOAT_EQ(u->position.x, 0.05f);
  EXPECT_TRUE(u->advancedLastStep);
}

TEST_F(FlatWorld, StationaryUnitsNeverWanderTurnOrSleep) {
  auto plant = qvtest::makeTemplate(0);
  plant->sleeps = Unit3DTemplate::kSleepsByDay;
  auto u = qvtest::put(*w, plant, 5.0f, 5.0f, 1.0f);
  for (int i = 0; i < 300; ++i) w->step(0.05f, 1.0f);
  EXPECT_EQ(u->activity, Unit3D::kIdle);
  EXPECT_FLOAT_EQ(u->position.x, 5.0f);
  EXPECT_FLOAT_EQ(u->yaw, 1.0f);
  EXPECT_FALSE(u->asleep);
}

TEST(UnitSlopes, CliffsBlockWalkersButNotClimbers) {
  auto w = qvtest::makeWorld(3);
  qvtest::CliffBrush cliff;  // low ground 1, plateau 12 from x = 5
  qvtest::shape(*w, cliff);
  ASSERT_GT(w->slopeAt(5.0f, 0.3f), Unit3DTemplate::kMaxSlope);
  auto t = qvtest::makeTemplate(Unit3DTemplate::kNormalSpeed);
  auto climberT = qvtest::makeTemplate(Unit3DTemplate::kNormalSpeed);
  climberT->climbsSlopes = true;
  auto walker = qvtest::put(*w, t, 2.0f, 0.3f);
  auto climber = qvtest::put(*w, climberT, 2.0f, -10.3f);
  qvtest::settle(*w);
  for (auto& u : {walker, climber}) {
    u->decisionTimer = 1000.0f;
    u->activity = Unit3D::kMoving;
    u->destination = {9.0f, u->position.y, 12.0f};
    u->moving = u->turning = true;
  }
  for (int i = 0; i < 200 && walker->moving; ++i) w->step(0.1f, 0.1f);
  EXPECT_FALSE(walker->moving) << "blocked counts as arrived";
  EXPECT_FALSE(walker->advancedLastStep);
  EXPECT_LT(walker->position.x, 5.0f);
  EXPECT_NEAR(walker->position.z, w->groundHeight(walker->position.x, walker->position.y), 1e-3f);
  for (int i = 0; i < 400 && climber->moving; ++i) w->step(0.1f, 0.1f);
  EXPECT_NEAR(climber->position.x, 9.0f, 1e-3f);
  EXPECT_NEAR(climber->position.z, 12.0f, 1e-3f);

  // Standing on the cliff face itself, where the ground behind is as steep, a
  // walker may still step off it.
  auto stuck = qvtest::put(*w, t, 5.2f, 20.3f);
  qvtest::settle(*w);
  ASSERT_GT(w->slopeAt(5.2f, 20.3f), Unit3DTemplate::kMaxSlope);
  stuck->decisionTimer = 1000.0f;
  stuck->activity = Unit3D::kMoving;
  stuck->destination = {5.0f, 20.3f, w->groundHeight(5.0f, 20.3f)};
  stuck->moving = stuck->turning = true;
  const float x0 = stuck->position.x;
  w->step(0.1f, 0.1f);
  EXPECT_LT(stuck->position.x, x0);
  EXPECT_TRUE(stuck->advancedLastStep);
}

TEST(UnitWater, FloatersRideTheSurfaceAndBottomDwellersWalkTheFloor) {
  auto w = qvtest::makeWorld(11, true);
  qvtest::CoastBrush coast;  // land (1) for x < 0, sea floor -3 beyond
  qvtest::shape(*w, coast);
  auto floaterT = qvtest::makeTemplate(Unit3DTemplate::kNormalSpeed);
  auto bottomT = qvtest::makeTemplate(Unit3DTemplate::kNormalSpeed);
  bottomT->floatsInWater = false;
  auto f = qvtest::put(*w, floaterT, 20.0f, 0.0f);
  auto b = qvtest::put(*w, bottomT, 20.0f, 10.0f);
  EXPECT_FLOAT_EQ(f->position.z, 0.0f);
  EXPECT_FLOAT_EQ(b->position.z, -3.0f);
  qvtest::settle(*w);
  qvtest::settle(*w);
  EXPECT_EQ(f->inWater, 1);
  EXPECT_EQ(b->inWater, 1);
  for (auto& u : {f, b}) {
    u->decisionTimer = 1000.0f;
    u->activity = Unit3D::kMoving;
    u->destination = {30.0f, u->position.y, u->position.z};
    u->moving = u->turning = true;
  }
  for (int i = 0; i < 30; ++i) {
    w->step(0.05f, 0.5f);
    EXPECT_FLOAT_EQ(f->position.z, 0.0f);
    EXPECT_NEAR(b->position.z, -3.0f, 1e-4f);
  }
  EXPECT_GT(f->position.x, 20.5f);
  EXPECT_GT(b->position.x, 20.5f);
  // A floater is drawn with about half its height under the wavy surface; the
  // bottom dweller stays on the floor.
  const float height = floaterT->worldHeight() * f->growth;
  const float wave = waveHeight(f->position.x, f->position.y, w->wavePhase);
  EXPECT_NEAR(f->waterLift, -(height * 0.525f - wave), 1e-5f);
  EXPECT_FLOAT_EQ(b->waterLift, 0.0f);
  // A stationary unit on the sea floor bobs gently with the waves.
  auto plantT = qvtest::makeTemplate(0);
  plantT->floatsInWater = false;
  auto p = qvtest::put(*w, plantT, 25.0f, -10.0f);
  qvtest::settle(*w);
  w->step(0.05f, 0.5f);
  EXPECT_NEAR(p->waterLift, waveHeight(25.0f, -10.0f, w->wavePhase) * 0.125f, 1e-6f);
}

TEST(UnitWater, ShallowPlacementCountsAsWaterAndWalkersClimbOutOntoTheShore) {
  auto w = qvtest::makeWorld(12, true);
  qvtest::CoastBrush coast;
  coast.land = 0.5f;
  coast.sea = -0.5f;
  qvtest::shape(*w, coast);
  auto t = qvtest::makeTemplate(Unit3DTemplate::kNormalSpeed);
  auto u = w->placeUnitOf(t, {10.0f, 0.0f, 0.02f}, 0.0f, true);
  qvtest::settle(*w);
  qvtest::settle(*w);
  EXPECT_EQ(u->inWater, 1) << "z 0.02 is in water from the first update";
  u->decisionTimer = 1000.0f;
  u->activity = Unit3D::kMoving;
  u->destination = {-10.0f, 0.0f, 0.5f};
  u->moving = u->turning = true;
  for (int i = 0; i < 400 && u->moving; ++i) w->step(0.05f, 1.0f);
  EXPECT_NEAR(u->position.x, -10.0f, 1e-3f);
  EXPECT_EQ(u->inWater, 0);
  EXPECT_NEAR(u->position.z, w->groundHeight(u->position.x, u->position.y), 1e-3f) << "on the ground, not under it";
}

struct HuntTest : ::testing::Test {
  std::unique_ptr<World> w = qvtest::makeWorld(2024);
  TemplatePtr grass = qvtest::makeTemplate(0);
  TemplatePtr hunterT = qvtest::makeTemplate(Unit3DTemplate::kNormalSpeed);
  void SetUp() override {
    qvtest::LevelBrush level;
    qvtest::shape(*w, level);
    hunterT->eats = {grass};
  }
  void startHunting(const std::shared_ptr<Unit3D>& h) {
    // Hungry and due to decide: a third of decisions look for food.
    for (int i = 0; i < 200 && h->activity != Unit3D::kHunting; ++i) {
      h->food = 0.3f;
      h->activity = Unit3D::kIdle;
      h->decisionTimer = 0.0f;
      w->step(0.01f, 0.01f);
    }
    ASSERT_EQ(h->activity, Unit3D::kHunting);
  }
};

TEST_F(HuntTest, EqualPreyGoesToTheFirstInGridOrderAndTheHuntEndsInABite) {
  auto h = qvtest::put(*w, hunterT, 0.5f, 0.5f);
  auto second = qvtest::put(*w, grass, 0.5f + 2.0f, 0.5f);   // cell (11, 10)... later in grid order
  auto first = qvtest::put(*w, grass, 0.5f, 0.5f - 2.0f);    // same distance, a cell row earlier
  qvtest::settle(*w);
  startHunting(h);
  EXPECT_EQ(h->prey.lock(), first);
  for (int i = 0; i < 400 && w->stats.bites == 0; ++i) {
    h->decisionTimer = 100.0f;
    w->step(0.05f, 0.5f);
  }
  EXPECT_EQ(w->stats.bites, 1u);
  EXPECT_FLOAT_EQ(first->health, 0.75f);
  EXPECT_TRUE(first->hit);
  EXPECT_GT(h->food, 0.75f);
  EXPECT_LE(std::hypot(h->position.x - first->position.x, h->position.y - first->position.y),
            hunterT->frontReach() + grass->radius() + 1e-3f);
}

TEST_F(HuntTest, ErasingOrKillingTheHuntedUnitEndsTheHuntWithoutDanglingPrey) {
  auto h = qvtest::put(*w, hunterT, 0.5f, 0.5f);
  auto prey = qvtest::put(*w, grass, 5.5f, 0.5f);
  qvtest::settle(*w);
  startHunting(h);
  std::weak_ptr<Unit3D> watch = prey;
  // Erase it with the eraser, as the player would.
  w->pick.groundHit = true;
  w->pick.groundPoint = prey->position;
  w->eraserWorldPress = true;
  EXPECT_EQ(w->eraseUnderEraser(), 1);
  prey.reset();
  EXPECT_TRUE(watch.expired()) << "nothing but the grid owned it";
  w->step(0.05f, 0.5f);
  EXPECT_NE(h->activity, Unit3D::kHunting);
  EXPECT_TRUE(h->prey.expired());

  // Killed instead: the corpse is in the dying list, the hunt still ends.
  auto prey2 = qvtest::put(*w, grass, 0.5f, 5.5f);
  qvtest::settle(*w);
  startHunting(h);
  prey2->health = 0.0f;
  w->step(0.05f, 0.5f);
  EXPECT_NE(h->activity, Unit3D::kHunting);
  EXPECT_TRUE(h->prey.expired() || !h->prey.lock()->alive());
}

TEST_F(HuntTest, PreyBeyondReachOrOfOtherKindsIsIgnored) {
  auto h = qvtest::put(*w, hunterT, 0.5f, 0.5f);
  qvtest::put(*w, grass, 8.1f, 0.5f);                 // 7.6 away
  qvtest::put(*w, qvtest::makeTemplate(0), 1.5f, 0.5f);  // not eaten
  qvtest::settle(*w);
  for (int i = 0; i < 100; ++i) {
    h->food = 0.3f;
    h->activity = Unit3D::kIdle;
    h->decisionTimer = 0.0f;
    w->step(0.01f, 0.01f);
    ASSERT_NE(h->activity, Unit3D::kHunting);
  }
}

}  // namespace

namespace {

// A thin wall (one vertex column raised) between a hunter and its first prey.
struct WallBrush : qv::HeightBrush {
  float newHeight(int i, int, float, float, float, float) const override { return i == 35 ? 12.0f : 1.0f; }
};

TEST(HuntMemory, PreyBehindAWallIsRememberedAndTheNextHuntLooksElsewhere) {
  auto w = qvtest::makeWorld(4711);
  qvtest::shape(*w, WallBrush{});  // the wall stands at x = 3.9, flat ground from x = 6.5
  auto grass = qvtest::makeTemplate(0);
  auto hunterT = qvtest::makeTemplate(Unit3DTemplate::kNormalSpeed);
  hunterT->eats = {grass};
  auto h = qvtest::put(*w, hunterT, 0.3f, 0.0f);
  auto behind = qvtest::put(*w, grass, 7.3f, 0.0f);   // 7.0 away, across the wall
  auto open = qvtest::put(*w, grass, 0.3f, -7.2f);    // a little farther, in the open
  qvtest::settle(*w);
  auto hunt = [&] {
    for (int i = 0; i < 300 && h->activity != Unit3D::kHunting; ++i) {
      h->food = 0.3f;
      h->activity = Unit3D::kIdle;
      h->decisionTimer = 0.0f;
      w->step(0.01f, 0.01f);
    }
  };
  hunt();
  ASSERT_EQ(h->activity, Unit3D::kHunting);
  EXPECT_EQ(h->prey.lock(), behind) << "the nearer one first";
  for (int i = 0; i < 400 && h->activity == Unit3D::kHunting; ++i) {
    h->decisionTimer = 100.0f;
    w->step(0.05f, 0.5f);
  }
  EXPECT_NE(h->activity, Unit3D::kHunting);
  EXPECT_EQ(h->unreachablePrey.lock(), behind);
  EXPECT_FLOAT_EQ(behind->health, 1.0f) << "never reached, never bitten";
  EXPECT_LT(h->position.x, 3.9f);
  hunt();
  ASSERT_EQ(h->activity, Unit3D::kHunting);
  EXPECT_EQ(h->prey.lock(), open) << "the remembered direction counts against the wall";
}

}  // namespace
