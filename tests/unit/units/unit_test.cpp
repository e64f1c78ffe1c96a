#include <gtest/gtest.h>

#include "units_fixture.hpp"

using namespace qv;

namespace {

// A bounce peaks at a third of the unit's height (two thirds as high for slow
// units, five thirds for fast ones), lands when it ends and grows with the size.
TEST(UnitAnimation, BouncesPeakAtAThirdOfTheHeightAndEraserReachAddsHalfTheRadius) {
  auto t = qvtest::makeTemplate(Unit3DTemplate::kNormalSpeed);
  auto u = std::make_shared<Unit3D>(t);
  const auto peak = [&] {
    float top = 0.0f;
    for (int k = 0; k <= 1000; ++k) top = std::max(top, u->hop(t->hopDuration * static_cast<float>(k) / 1000.0f));
    return top;
  };
  const struct { int speed; float size, k; } rows[] = {
      {Unit3DTemplate::kNormalSpeed, 1.0f, 1.0f}, {Unit3DTemplate::kFast, 1.0f, 5.0f / 3.0f},
      {Unit3DTemplate::kSlow, 1.0f, 2.0f / 3.0f}, {Unit3DTemplate::kNormalSpeed, 2.0f, 1.0f}};
  for (const auto& r : rows) {
    std::tie(t->moveSpeed, t->size) = std::tuple(r.speed, r.size);
    t->recomputeHop();
    EXPECT_NEAR(peak(), 0.33f * t->worldHeight() * r.k, 1e-3f) << "speed " << r.speed << ", size " << r.size;
    EXPECT_NEAR(u->hop(t->hopDuration), 0.0f, 1e-5f) << "lands at the end";
  }
  // The eraser reaches a unit within its radius plus half the unit's radius.
  u->position = {10, 10, 0};
  const float reach = t->radius() * 0.5f + 1.25f;
  EXPECT_TRUE(u->withinReach({10.0f + reach * 0.999f, 10.0f}, 1.25f) && !u->withinReach({10.0f + reach * 1.001f, 10.0f}, 1.25f));
}

struct WalkWorld : ::testing::Test { std::unique_ptr<World> w = qvtest::makeLevelWorld(808); };

TEST_F(WalkWorld, MoveAnimationsPlayWhileMovingAndSettleAfterwards) {
  auto waddler = qvtest::makeTemplate(Unit3DTemplate::kNormalSpeed), twister = qvtest::makeTemplate(Unit3DTemplate::kNormalSpeed);
  std::tie(waddler->moveAnimation, twister->moveAnimation) = std::tuple(Unit3DTemplate::kWaddles, Unit3DTemplate::kTwists);
  auto a = qvtest::put(*w, waddler, 0.0f, 0.0f), b = qvtest::put(*w, twister, 0.0f, 10.0f);
  qvtest::settle(*w);
  for (auto& u : {a, b}) qvtest::sendTo(*u, u->position + Vec3{2.0f, 0.0f, 0.0f}), u->animating = true;
  float maxRoll = 0.0f, maxYaw = 0.0f, maxLift = 0.0f;
  for (int i = 0; i < 20; ++i) {
    w->step(0.05f, 0.05f);
    maxRoll = std::max(maxRoll, std::fabs(a->animRoll));
    maxLift = std::max(maxLift, a->animLift);
    maxYaw = std::max(maxYaw, std::fabs(b->animYaw));
    EXPECT_TRUE(b->animLift == 0.0f && std::fabs(a->animRoll) <= 0.2617994f + 1e-6f);
  }
  EXPECT_TRUE(maxRoll > 0.1f && maxLift > 0.0f && maxYaw > 0.1f) << maxRoll << " " << maxLift << " " << maxYaw;
  for (int i = 0; i < 200 && (a->activity != Unit3D::kIdle || b->activity != Unit3D::kIdle); ++i, w->step(0.05f, 0.05f))
    a->decisionTimer = b->decisionTimer = 1000.0f;
  EXPECT_TRUE(a->activity == Unit3D::kIdle && !a->animating && std::abs(a->position.x - 2.0f) < 1e-4f) << a->position.x;
  EXPECT_NEAR(std::fabs(a->animLift) + std::fabs(a->animRoll) + std::fabs(b->animYaw), 0.0f, 1e-6f);
}

TEST_F(WalkWorld, SleepersRestOnlyWhenIdleAndAtTheirTimeOfDay) {
  for (const int sleeps : {Unit3DTemplate::kSleepsByDay, Unit3DTemplate::kSleepsByNight}) {
    SCOPED_TRACE(sleeps);
    auto t = qvtest::makeTemplate(Unit3DTemplate::kNormalSpeed);
    t->sleeps = sleeps;
    auto u = qvtest::put(*w, t, 0.0f, 10.0f * static_cast<float>(sleeps));
    qvtest::settle(*w);
    const float bedtime = sleeps == Unit3DTemplate::kSleepsByDay ? 100.0f : 320.0f;  // day, night
    w->timeOfDay = bedtime;
    int awake = 0, moved = 0;
    for (int i = 0; i < 100; ++i) w->step(0.05f, 1.0f), awake += !u->asleep;
    ASSERT_TRUE(awake == 0 && u->activity == Unit3D::kIdle && u->position.x == 0.0f) << "asleep at its time from the first step";
    w->timeOfDay = 420.0f - bedtime;  // the other half of the day
    for (int i = 0; i < 100; ++i) w->step(0.05f, 1.0f), awake += !u->asleep, moved += u->activity != Unit3D::kIdle;
    // A walk under way is finished first: the unit dozes off only once it stands idle.
    u->activity = Unit3D::kIdle;
    qvtest::sendTo(*u, u->position + Vec3{3.0f, 0.0f, 0.0f});
    w->timeOfDay = bedtime;
    for (int i = 0; i < 5; ++i) w->step(0.05f, 0.2f), awake += !u->asleep;
    EXPECT_TRUE(awake == 105 && moved > 0) << "awake all the other half of the day, and on its feet at bedtime";
    for (int i = 0; i < 200 && u->activity != Unit3D::kIdle; ++i) w->step(0.05f, 0.2f), u->decisionTimer = 1000.0f;
    w->step(0.05f, 0.2f);
    EXPECT_TRUE(u->activity == Unit3D::kIdle && u->asleep);
    w->eraseUnit(u);
  }
}

// A walker that likes a plant keeps to a ring of them; one that does not drifts away.
TEST_F(WalkWorld, WanderingPrefersLikedSurroundingsAndRemembersAFewRecentMoves) {
  auto plant = qvtest::makeTemplate(Unit3DTemplate::kStationary);
  auto fan = qvtest::makeTemplate(Unit3DTemplate::kFast), stranger = qvtest::makeTemplate(Unit3DTemplate::kFast);
  fan->likes = {plant};
  const Vec2 homes[2] = {{-30.0f, 0.0f}, {30.0f, 0.0f}};
  for (const Vec2 c : homes)
    for (int k = 0; k < 8; ++k) qvtest::put(*w, plant, c.x + 4.0f * std::cos(k * kPi / 4), c.y + 4.0f * std::sin(k * kPi / 4));
  auto a = qvtest::put(*w, fan, homes[0].x, homes[0].y), b = qvtest::put(*w, stranger, homes[1].x, homes[1].y);
  int fanHome = 0, strangerHome = 0;
  for (int i = 0; i < 3000; ++i) {
    w->step(0.05f, 1.0f);
    fanHome += std::hypot(a->position.x - homes[0].x, a->position.y - homes[0].y) < 6.0f;
    strangerHome += std::hypot(b->position.x - homes[1].x, b->position.y - homes[1].y) < 6.0f;
    ASSERT_TRUE(b->recentMoves.size() <= 3u && b->recentMoves.capacity() <= 4u) << "no growth beyond the reserved room";
  }
  EXPECT_GT(fanHome, 2700) << "stays among the plants it likes";
  EXPECT_LT(strangerHome, fanHome - 600) << "the same walk without the liking wanders off";
  EXPECT_EQ(b->recentMoves.size(), 3u);
}

TEST(UnitHabitat, AWaterUnitStrandedOnLandHeadsForTheSeaAndAWalkerPlacedInShallowsClimbsOut) {
  auto w = qvtest::makeWorld(17, true);
  qvtest::shapeCoast(*w, 1.0f, -1.0f);  // a shore gentle enough to walk
  auto fishT = qvtest::makeTemplate(Unit3DTemplate::kNormalSpeed);
  fishT->habitat = Unit3DTemplate::kWater;
  auto f = qvtest::put(*w, fishT, -6.0f, 0.0f);
  auto u = w->placeUnitOf(qvtest::makeTemplate(Unit3DTemplate::kNormalSpeed), {10.0f, 20.0f, 0.02f}, 0.0f, true);
  for (int i = 0; i < 2; ++i) qvtest::settle(*w);
  EXPECT_EQ(u->inWater, 1) << "z 0.02 is in water from the first update";
  qvtest::sendTo(*u, {-10.0f, 20.0f, 1.0f});
  int backwards = 0;
  for (int i = 0; i < 600 && f->inWater != 1; ++i) {
    const float x = f->position.x;
    w->step(0.05f, 1.0f);
    backwards += f->position.x < x - 1e-4f;
  }
  EXPECT_TRUE(f->inWater == 1 && f->position.x > 0.0f && backwards == 0) << "every walk on land heads for the sea";
  // Once at sea it stays there: wandering tests candidates for water.
  for (int i = 0; i < 600 && f->position.x >= -0.1f; ++i) w->step(0.05f, 1.0f);
  EXPECT_GE(f->position.x, -0.1f);
  EXPECT_TRUE(!u->moving && std::abs(u->position.x + 10.0f) < 1e-3f && u->inWater == 0) << u->position.x;
  EXPECT_NEAR(u->position.z, w->groundHeight(u->position.x, u->position.y), 1e-3f) << "on the ground, not under it";
}

}  // namespace
