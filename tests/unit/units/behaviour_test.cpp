#include <gtest/gtest.h>

#include "units_fixture.hpp"
#include "world/water.hpp"

using namespace qv;

namespace {

struct FlatWorld : ::testing::Test { std::unique_ptr<World> w = qvtest::makeLevelWorld(31337); };

TEST_F(FlatWorld, StandTestKeepsUnitsApartAndPlantsKeepExtraRoom) {
  auto plant = qvtest::makeTemplate(0), walker = qvtest::makeTemplate(Unit3DTemplate::kNormalSpeed);
  const float r = plant->radius(), mixed = r + walker->radius();
  qvtest::put(*w, plant, 0.0f, 0.0f);
  auto q = qvtest::put(*w, plant, 40.0f, 40.0f, 1.0f), m = qvtest::put(*w, walker, 10.0f, 0.0f);
  // Each pair sits just inside and just outside a limit.
  const struct { float x, y; const Unit3D* self; const Unit3DTemplate* t; bool free; } rows[] = {
      // placement: the two plain radii
      {2.0f * r * 0.99f, 0.0f, nullptr, plant.get(), false}, {2.0f * r * 1.01f, 0.0f, nullptr, plant.get(), true},
      // the same kind of plant: 1.0 extra on both sides; another kind: the plain radius
      {2.0f * r + 1.95f, 0.0f, q.get(), plant.get(), false}, {2.0f * r + 2.05f, 0.0f, q.get(), plant.get(), true},
      {10.0f + mixed * 0.99f, 0.0f, q.get(), plant.get(), false}, {10.0f + mixed * 1.01f, 0.0f, q.get(), plant.get(), true},
      // a unit never counts itself; movers keep no extra room
      {10.0f, 0.0f, m.get(), walker.get(), true},
      {mixed * 1.01f, 0.0f, m.get(), walker.get(), true}, {mixed * 0.99f, 0.0f, m.get(), walker.get(), false},
      // the world's edge
      {82.485f, 0.0f, nullptr, walker.get(), false}, {82.4f, -82.4f, nullptr, walker.get(), true}};
  for (const auto& row : rows)
    EXPECT_EQ(w->standTest({row.x, row.y}, row.self, *row.t, false), row.free) << "at " << row.x << ", " << row.y;
  walker->habitat = Unit3DTemplate::kWater;
  EXPECT_TRUE(!w->standTest({20.0f, 20.0f}, nullptr, *walker, true) && w->standTest({20.0f, 20.0f}, nullptr, *walker, false))
      << "water units need sea where their habitat counts";
  // Stationary units never wander, turn or sleep.
  plant->sleeps = Unit3DTemplate::kSleepsByDay;
  for (int i = 0; i < 300; ++i) w->step(0.05f, 1.0f);
  EXPECT_TRUE(q->activity == Unit3D::kIdle && !q->asleep && q->position.x == 40.0f && q->yaw == 1.0f);
}

TEST_F(FlatWorld, TurningRatesFollowSpeedAndAWalkStepEndsExactlyOnArrival) {
  auto a = qvtest::put(*w, qvtest::makeTemplate(Unit3DTemplate::kNormalSpeed), 0.0f, 0.0f);
  auto b = qvtest::put(*w, qvtest::makeTemplate(Unit3DTemplate::kFast), 20.0f, 0.0f);
  auto look = [](Unit3D& u, Vec3 at) {
    std::tie(u.activity, u.destination, u.turning, u.decisionTimer) = std::tuple(Unit3D::kLookingAround, at, true, 100.0f);
  };
  qvtest::settle(*w);
  for (auto& u : {a, b}) look(*u, u->position + Vec3{0.0f, 1.0f, 0.0f});  // 90 degrees left
  w->step(0.1f, 0.1f);
  EXPECT_TRUE(a->yaw > 0.1f && std::abs(b->yaw - 2.0f * a->yaw) < 1e-5f) << "fast units turn twice as fast: " << b->yaw;
  for (int i = 0; i < 6; ++i) w->step(0.1f, 0.1f);
  EXPECT_TRUE(std::abs(a->yaw - kPi / 2.0f) < 1e-5f && !a->turning && a->activity == Unit3D::kIdle)
      << "the last step lands exactly on the direction: " << a->yaw;
  a->yaw = 3.0f;
  look(*a, a->position + Vec3{-1.0f, -0.2f, 0.0f});
  w->step(0.1f, 0.1f);
  EXPECT_LT(a->yaw, -2.8f) << "turned the short way through pi";

  // A walk of exactly one step's length (v 2 x 0.5 x dt 0.1) arrives in that step.
  qvtest::sendTo(*b, b->position + Vec3{0.0f, 0.1f, 0.0f});
  w->step(0.1f, 0.1f);
  EXPECT_EQ(std::tuple(b->moving, b->advancedLastStep, b->position.y), std::tuple(false, true, 0.1f));
}

TEST(UnitSlopes, CliffsBlockWalkersButNotClimbers) {
  auto w = qvtest::makeWorld(3);
  qvtest::shapeBy(*w, [](float x, float, int) { return x >= 5.0f ? 12.0f : 1.0f; });  // a plateau from x = 5
  ASSERT_GT(w->slopeAt(5.0f, 0.3f), Unit3DTemplate::kMaxSlope);
  auto t = qvtest::makeTemplate(Unit3DTemplate::kNormalSpeed), climberT = qvtest::makeTemplate(Unit3DTemplate::kNormalSpeed);
  climberT->climbsSlopes = true;
  const Vec3 face{5.0f, 0.3f, w->groundHeight(5.0f, 0.3f)}, flat{2.0f, 40.3f, 1.0f};
  EXPECT_TRUE(!w->placementValid(*t, face) && w->placementValid(*climberT, face) && w->placementValid(*t, flat))
      << "walkers are never placed on a cliff";
  auto walker = qvtest::put(*w, t, 2.0f, 0.3f), climber = qvtest::put(*w, climberT, 2.0f, -10.3f);
  qvtest::settle(*w);
  for (auto& u : {walker, climber}) qvtest::sendTo(*u, {9.0f, u->position.y, 12.0f});
  for (int i = 0; i < 200 && walker->moving; ++i) w->step(0.1f, 0.1f);
  EXPECT_TRUE(!walker->moving && !walker->advancedLastStep && walker->position.x < 5.0f)
      << "blocked below the cliff counts as arrived, at x " << walker->position.x;
  EXPECT_NEAR(walker->position.z, w->groundHeight(walker->position.x, walker->position.y), 1e-3f);
  for (int i = 0; i < 400 && climber->moving; ++i) w->step(0.1f, 0.1f);
  EXPECT_LT(length(climber->position - Vec3{9.0f, -10.3f, 12.0f}), 1e-3f) << "up on the plateau";
  // On the cliff face itself, where the ground behind is as steep, a walker may still step off.
  auto stuck = qvtest::put(*w, t, 5.2f, 20.3f);
  qvtest::settle(*w);
  qvtest::sendTo(*stuck, {5.0f, 20.3f, w->groundHeight(5.0f, 20.3f)});
  w->step(0.1f, 0.1f);
  EXPECT_TRUE(stuck->position.x < 5.2f && stuck->advancedLastStep);
}

TEST(UnitWater, FloatersRideTheSurfaceAndBottomDwellersWalkTheFloor) {
  auto w = qvtest::makeWorld(11, true);
  qvtest::shapeCoast(*w);  // land (1) for x < 0, sea floor -3 beyond
  auto floaterT = qvtest::makeTemplate(Unit3DTemplate::kNormalSpeed), bottomT = qvtest::makeTemplate(Unit3DTemplate::kNormalSpeed);
  bottomT->floatsInWater = false;
  auto f = qvtest::put(*w, floaterT, 20.0f, 0.0f), b = qvtest::put(*w, bottomT, 20.0f, 10.0f);
  for (int i = 0; i < 2; ++i) qvtest::settle(*w);
  EXPECT_TRUE(f->inWater == 1 && b->inWater == 1);
  for (auto& u : {f, b}) qvtest::sendTo(*u, {30.0f, u->position.y, u->position.z});
  for (int i = 0; i < 30; ++i) w->step(0.05f, 0.5f);
  EXPECT_TRUE(f->position.z == 0.0f && std::abs(b->position.z + 3.0f) < 1e-4f) << f->position.z << " " << b->position.z;
  EXPECT_TRUE(f->position.x > 20.5f && b->position.x > 20.5f) << "both swam";
  // A floater is drawn about half under the surface and bobs with the waves (one
  // wave period is three seconds); the bottom dweller stays on the floor.
  const float half = floaterT->worldHeight() * f->growth * 0.525f;
  float low = 1e9f, high = -1e9f;
  for (int i = 0; i < 60; ++i, w->step(0.05f, 0.05f)) low = std::min(low, f->waterLift), high = std::max(high, f->waterLift);
  EXPECT_TRUE(low >= -half - Water::kWaveHeightMax - 1e-4f && high <= -half + Water::kWaveHeightMax + 1e-4f) << low << " " << high;
  EXPECT_TRUE(high - low > 0.05f && b->waterLift == 0.0f) << "the floater rides the waves, the bottom dweller does not";
}

// Keeps a unit hungry and due to decide (a third of decisions look for food)
// until it hunts; false if it never did.
bool startHunting(World& w, Unit3D& h, int tries = 200) {
  for (int i = 0; i < tries && h.activity != Unit3D::kHunting; ++i, w.step(0.01f, 0.01f))
    std::tie(h.food, h.activity, h.decisionTimer) = std::tuple(0.3f, Unit3D::kIdle, 0.0f);
  return h.activity == Unit3D::kHunting;
}
template <class Done>
void chase(World& w, Unit3D& h, Done done) {
  for (int i = 0; i < 400 && !done(); ++i, w.step(0.05f, 0.5f)) h.decisionTimer = 100.0f;
}

struct HuntTest : ::testing::Test {
  std::unique_ptr<World> w = qvtest::makeLevelWorld(2024);
  TemplatePtr grass = qvtest::makeTemplate(0), hunterT = qvtest::makeTemplate(Unit3DTemplate::kNormalSpeed);
  void SetUp() override { hunterT->eats = {grass}; }
};

TEST_F(HuntTest, OnlyPreyInReachIsHuntedTheFirstInGridOrderAndTheHuntEndsInABite) {
  auto h = qvtest::put(*w, hunterT, 0.5f, 0.5f);
  qvtest::put(*w, grass, 8.1f, 0.5f);                    // 7.6 away
  qvtest::put(*w, qvtest::makeTemplate(0), 1.5f, 0.5f);  // not eaten
  qvtest::settle(*w);
  EXPECT_FALSE(startHunting(*w, *h, 100));
  qvtest::put(*w, grass, 2.5f, 0.5f);                      // later in grid order
  auto first = qvtest::put(*w, grass, 0.5f, 0.5f - 2.0f);  // same distance, a cell row earlier
  qvtest::settle(*w);
  ASSERT_TRUE(startHunting(*w, *h));
  EXPECT_EQ(h->prey.lock(), first);
  chase(*w, *h, [&] { return w->stats.bites > 0; });
  EXPECT_EQ(std::tuple(w->stats.bites, first->health), std::tuple(1u, 0.75f)) << "one bite so far";
  EXPECT_LE(length(h->position - first->position), hunterT->frontReach() + grass->radius() + 1e-3f);
}

TEST_F(HuntTest, AHunterCoversTwiceTheGroundOfAWandererAndErasingItsPreyEndsTheHunt) {
  auto h = qvtest::put(*w, hunterT, 0.5f, 0.5f), wanderer = qvtest::put(*w, hunterT, 0.5f, -30.5f);
  auto prey = qvtest::put(*w, grass, 7.5f, 0.5f);
  qvtest::settle(*w);
  ASSERT_TRUE(startHunting(*w, *h));
  qvtest::sendTo(*wanderer, {20.5f, -30.5f, wanderer->position.z});
  h->yaw = wanderer->yaw = kPi / 2.0f;  // both a quarter turn off their way
  h->turning = true;
  const Vec3 h0 = h->position, w0 = wanderer->position;
  w->step(0.05f, 0.05f);
  EXPECT_NEAR((kPi / 2.0f - h->yaw) / (kPi / 2.0f - wanderer->yaw), 2.0f, 0.01f) << "and turns twice as fast";
  for (int i = 0; i < 6; ++i) w->step(0.05f, 0.5f), h->decisionTimer = 100.0f;
  ASSERT_EQ(h->activity, Unit3D::kHunting) << "still on its way";
  const float hunted = length(h->position - h0), wandered = length(wanderer->position - w0);
  EXPECT_TRUE(wandered > 0.5f && std::abs(hunted / wandered - 2.0f) < 0.05f) << hunted << " vs " << wandered;
  std::tie(w->pick.groundHit, w->pick.groundPoint, w->eraserWorldPress) = std::tuple(true, prey->position, true);
  const std::weak_ptr<Unit3D> watch = std::exchange(prey, nullptr);
  EXPECT_EQ(w->eraseUnderEraser(), 1);
  EXPECT_TRUE(watch.expired()) << "nothing but the grid owned it";
  w->step(0.05f, 0.5f);
  EXPECT_TRUE(h->activity != Unit3D::kHunting && h->prey.expired());
}

TEST_F(HuntTest, PreyBehindAWallIsRememberedAndTheNextHuntLooksElsewhere) {
  // A thin wall (one vertex column raised, at x = 3.9) between the hunter and its first prey.
  qvtest::shapeBy(*w, [](float, float, int i) { return i == 35 ? 12.0f : 1.0f; });
  auto h = qvtest::put(*w, hunterT, 0.3f, 0.0f);
  auto behind = qvtest::put(*w, grass, 7.3f, 0.0f);  // 7.0 away, across the wall
  auto open = qvtest::put(*w, grass, 0.3f, -7.2f);   // a little farther, in the open
  qvtest::settle(*w);
  ASSERT_TRUE(startHunting(*w, *h, 300));
  EXPECT_EQ(h->prey.lock(), behind) << "the nearer one first";
  chase(*w, *h, [&] { return h->activity != Unit3D::kHunting; });
  EXPECT_TRUE(h->unreachablePrey.lock() == behind && behind->health == 1.0f && h->position.x < 3.9f)
      << "remembered as out of reach, never reached, never bitten";
  ASSERT_TRUE(startHunting(*w, *h, 300));
  EXPECT_EQ(h->prey.lock(), open) << "the remembered direction counts against the wall";
}

}  // namespace
