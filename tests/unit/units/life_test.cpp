#include <gtest/gtest.h>

#include "units_fixture.hpp"

using namespace qv;

namespace {

// A unit outside any world, at the standard pace.
std::shared_ptr<Unit3D> bare(const TemplatePtr& t) { return std::make_shared<Unit3D>(t); }

TEST(UnitBite, DamageAndFoodFollowHealthAndSize) {
  auto normal = qvtest::makeTemplate(Unit3DTemplate::kNormalSpeed);
  auto tough = qvtest::makeTemplate(Unit3DTemplate::kNormalSpeed), big = qvtest::makeTemplate(Unit3DTemplate::kNormalSpeed);
  std::tie(tough->health, big->size) = std::tuple(2, 2.0f);
  // One bite: the prey's health and the attacker's food before and after.
  const struct { TemplatePtr attacker, prey; float health, food, healthAfter, foodAfter; } rows[] = {
      // four bites kill an equal unit, each feeding half; food is capped
      {normal, normal, 1.0f, 0.1f, 0.75f, 0.6f}, {normal, normal, 0.5f, 0.6f, 0.25f, 1.0f},
      // the fourth bite kills; 0.1 left of a 0.25 bite feeds 0.2, not 0.5
      {normal, normal, 0.25f, 0.0f, 0.0f, 0.5f}, {normal, normal, 0.1f, 0.0f, 0.0f, 0.2f},
      {normal, tough, 1.0f, 0.0f, 1.0f - 1.0f / 16.0f, 1.0f},  // tough prey loses a sixteenth, feeds twice
      {big, normal, 1.0f, 0.0f, 0.49f, 0.5f},                  // size 2 takes half the health, not a quarter
      {normal, normal, 0.0f, 0.3f, 0.0f, 0.3f}};               // the dead are not bitten again
  for (const auto& r : rows) {
    SCOPED_TRACE(&r - rows);
    auto a = bare(r.attacker), p = bare(r.prey);
    std::tie(a->food, p->health) = std::pair(r.food, r.health);
    a->bite(*p);
    EXPECT_NEAR(p->health, r.healthAfter, 1e-3f);
    EXPECT_FLOAT_EQ(a->food, r.foodAfter);
    EXPECT_EQ(p->hit && p->hopping, r.health > 0.0f);
  }
}

TEST(UnitHunger, StarvesAfter180SecondsAndSleepStopsAtHalf) {
  auto plant = qvtest::makeTemplate(0), eater = qvtest::makeTemplate(Unit3DTemplate::kNormalSpeed);
  auto greedy = qvtest::makeTemplate(Unit3DTemplate::kNormalSpeed);
  eater->eats = greedy->eats = {plant};
  greedy->hunger = 2;
  // Food after `seconds` in half-second steps (unchecked once dead).
  const struct { TemplatePtr t; bool asleep; float food, seconds, after; bool alive; } rows[] = {
      // empty after 180 s, dead just after
      {eater, false, 1.0f, 179.5f, 0.5f / 180.0f, true}, {eater, false, 1.0f, 180.5f, 0.0f, false},
      // asleep, hunger stops at half; already below half, sleep keeps it there
      {eater, true, 1.0f, 1000.0f, 0.5f, true}, {eater, true, 0.3f, 100.0f, 0.3f, true},
      {greedy, false, 1.0f, 45.0f, 0.5f, true},    // High hunger empties twice as fast
      {plant, false, 1.0f, 10000.0f, 1.0f, true}};  // eats nothing: never hungry
  for (const auto& r : rows) {
    SCOPED_TRACE(&r - rows);
    auto u = bare(r.t);
    std::tie(u->asleep, u->food) = std::tuple(r.asleep, r.food);
    for (float s = 0.0f; s < r.seconds; s += 0.5f) u->hungerStep(0.5f);
    EXPECT_EQ(u->alive(), r.alive);
    if (r.alive) EXPECT_NEAR(u->food, r.after, 1e-4f);
  }
}

TEST(UnitAgeing, LifespansOf375And750And1125SecondsInfiniteSlowedLastThirtyAsleepAndGrowthToAdultIn75Seconds) {
  // Alive after `alive` one-second steps, dead after `dead`. With 29.5 s left, asleep
  // they last 885 s, awake 29.5 s.
  const float late = 1.0f - 29.5f / 750.0f;
  const struct { int lifespan; bool asleep; float ageFraction; int alive, dead; } rows[] = {
      {0, false, 0.0f, 374, 376}, {1, false, 0.0f, 749, 751}, {2, false, 0.0f, 1124, 1126},
      {3, false, 0.0f, 100000, 100000}, {1, true, late, 870, 900}, {1, false, late, 0, 30}};
  for (const auto& r : rows) {
    SCOPED_TRACE(&r - rows);
    auto u = bare(qvtest::makeTemplate(Unit3DTemplate::kNormalSpeed, false, r.lifespan));
    std::tie(u->ageFraction, u->asleep) = std::tuple(r.ageFraction, r.asleep);
    for (int i = 0; i < r.alive; ++i) u->ageingStep(1.0f);
    EXPECT_TRUE(u->alive());
    for (int i = r.alive; i < r.dead; ++i) u->ageingStep(1.0f);
    EXPECT_EQ(u->alive(), r.lifespan == 3) << "only the infinite lifespan outlives its time";
  }
  // Offspring grow from half to full size in 75 s, scaled by their pace.
  auto t = qvtest::makeTemplate(Unit3DTemplate::kNormalSpeed);
  auto u = bare(t), slow = bare(t);
  slow->pace = 0.9f;
  u->growthStep(37.5f);
  slow->growthStep(75.0f);
  EXPECT_TRUE(u->growth == 0.75f && u->drawScale() == 0.75f && slow->growth < 1.0f) << slow->growth;
  u->pace = 0.5f;
  u->growthStep(1000.0f);
  EXPECT_FLOAT_EQ(u->growth, 1.0f) << "never beyond adult";
  t->startsAsBaby = false;
  EXPECT_FLOAT_EQ(slow->drawScale(), 1.0f) << "only babies are drawn small";
}

// Breeding goes through the world: neighbours, stand test and the new-units list.
struct BreedingTest : ::testing::Test {
  std::unique_ptr<World> w = qvtest::makeLevelWorld(4242);
  // Makes `parent` due to breed now and steps once; returns the births so far.
  uint64_t breedNow(Unit3D& parent) {
    qvtest::settle(*w);
    parent.breedTimer = 0.0f;
    w->step(0.01f, 0.01f);
    return w->stats.births;
  }
};

TEST_F(BreedingTest, MovingUnitsBreedUnlessThreeOfTheirKindCrowdTheSpotAndDeadOffspringLeaveEveryList) {
  auto t = qvtest::makeTemplate(Unit3DTemplate::kNormalSpeed, true);
  auto parent = qvtest::put(*w, t, 0.0f, 0.0f);
  for (float x : {1.2f, -1.2f}) qvtest::put(*w, t, x, 0.0f);
  for (auto& u : w->allUnits()) u->decisionTimer = 100.0f;
  EXPECT_EQ(breedNow(*parent), 1u) << "two neighbours weigh less than 1.0";
  ASSERT_EQ(w->newUnits.size(), 1u);
  EXPECT_TRUE(parent->breedTimer >= 0.66f && parent->breedTimer <= 1.0f) << parent->breedTimer;
  auto child = w->newUnits.front();
  EXPECT_TRUE(child->fadeIn > 0.98f && child->anchor.x == parent->anchor.x && child->primaryColour.sameAs(parent->primaryColour));
  // An offspring that dies while fading in leaves every list, and nothing keeps it alive.
  child->health = 0.0f;
  for (int i = 0; i < 25; ++i) w->step(0.05f, 0.05f);
  const std::weak_ptr<Unit3D> watch = std::exchange(child, nullptr);
  EXPECT_TRUE(w->newUnits.empty() && w->dying.empty() && watch.expired());
  // Now three of its kind are close to every candidate spot.
  qvtest::put(*w, t, 0.0f, 1.2f)->decisionTimer = 100.0f;
  EXPECT_TRUE(breedNow(*parent) == 1u && parent->breedTimer >= 0.66f) << "refused; the timer restarts all the same";
}

// The breeding frequency option sets the time between litters: 135, 45 and 14.85 seconds.
TEST_F(BreedingTest, TheIntervalBetweenLittersFollowsTheFrequencyOption) {
  const std::pair<int, float> rows[] = {{0, 135.0f}, {1, 45.0f}, {2, 14.85f}};
  for (const auto& [option, seconds] : rows) {
    auto t = qvtest::makeTemplate(Unit3DTemplate::kNormalSpeed, true, 3);
    t->breedFrequency = option;
    auto parent = qvtest::put(*w, t, 40.0f * static_cast<float>(option - 1), 30.0f);
    qvtest::settle(*w);
    parent->breedTimer = 1.0f;  // a whole period ahead
    const uint64_t before = w->stats.births;
    float waited = 0.0f;
    for (; waited < 400.0f && w->stats.births == before; waited += 0.05f) parent->decisionTimer = 100.0f, w->step(0.05f, 0.05f);
    EXPECT_NEAR(waited, seconds, 0.11f) << "option " << option;
  }
}

TEST_F(BreedingTest, UnitsBreedOnlyWhileIdleEatersOnlyWithFoodNearPlantsOnlyWithRoom) {
  auto grass = qvtest::makeTemplate(0), t = qvtest::makeTemplate(Unit3DTemplate::kNormalSpeed, true);
  t->eats = {grass};
  auto u = qvtest::put(*w, t, -40.0f, -40.0f);
  u->decisionTimer = 100.0f;
  EXPECT_EQ(breedNow(*u), 0u) << "no food within 4.5";
  qvtest::put(*w, grass, -38.5f, -39.5f);
  qvtest::sendTo(*u, {-20.0f, -40.0f, 1.0f});
  EXPECT_EQ(breedNow(*u), 0u) << "not while walking";
  std::tie(u->activity, u->moving, u->decisionTimer) = std::tuple(Unit3D::kIdle, false, 100.0f);
  EXPECT_EQ(breedNow(*u), 1u) << "as soon as it stands";
  // Full plant surroundings give no offspring for either attempt.
  auto plant = qvtest::makeTemplate(0, true);
  plant->breedAmount = 2;
  auto parent = qvtest::put(*w, plant, 0.0f, 0.0f);
  // A ring of the same plant at the spacing the stand test keeps.
  const float need = 2.0f * (plant->radius() + 1.0f) * 1.01f;
  for (int k = 0; k < 8; ++k) qvtest::put(*w, plant, need * std::cos(k * kPi / 4.0f), need * std::sin(k * kPi / 4.0f));
  for (auto& other : w->allUnits()) other->breedTimer = 10.0f;
  EXPECT_TRUE(breedNow(*parent) == 1u && parent->breedTimer >= 0.66f) << "none besides the eater's";
  // With room around it, a plant with breedAmount 2 gives two offspring.
  auto lone = qvtest::put(*w, plant, 40.0f, 40.0f);
  EXPECT_EQ(breedNow(*lone), 3u);
}

TEST_F(BreedingTest, AColonyStaysWithinReachOfItsFounder) {
  auto plant = qvtest::makeTemplate(0, true, 3);
  plant->breedFrequency = plant->breedAmount = 2;
  // A placed founder (origin = anchor) and a colony member whose origin has
  // already moved a step away from its founder, as a grown colony's would.
  qvtest::put(*w, plant, 30.0f, -10.0f);
  qvtest::put(*w, plant, -30.0f, 10.0f)->anchor = {-33.25f, 10.0f};
  for (int i = 0; i < 600; ++i) w->step(0.05f, 1.0f);
  const Vec2 founders[2] = {{30.0f, -10.0f}, {-33.25f, 10.0f}};
  int count[2] = {0, 0};
  float farthest[2] = {0.0f, 0.0f};
  for (const auto& u : w->allUnits()) {
    const int k = u->anchor.x > 0.0f ? 0 : 1;
    ++count[k];
    farthest[k] = std::max(farthest[k], std::hypot(u->position.x - founders[k].x, u->position.y - founders[k].y));
    EXPECT_LE(std::hypot(u->origin.x - founders[k].x, u->origin.y - founders[k].y), 6.5f + 1e-3f);
  }
  EXPECT_TRUE(count[0] > 10 && count[0] < 60 && count[1] > 10 && farthest[0] <= 6.5f + 1e-3f)
      << count[0] << " " << count[1] << " " << farthest[0];
  EXPECT_TRUE(farthest[1] > 6.5f && farthest[1] <= 13.0f + 1e-3f)
      << "a colony whose origin moved spreads past its first ring, but never more than a step: " << farthest[1];
}

TEST_F(BreedingTest, PausedWorldStopsTheLifeCycleButTheDeadStillFadeOut) {
  auto t = qvtest::makeTemplate(Unit3DTemplate::kNormalSpeed, true);
  t->eats = {qvtest::makeTemplate(0)};
  auto u = qvtest::put(*w, t, 0.0f, 0.0f), doomed = qvtest::put(*w, t, 10.0f, 0.0f);
  const Unit3D before = *u;
  qvtest::settle(*w);
  doomed->health = 0.0f;
  w->step(0.05f, 0.0f);
  ASSERT_TRUE(w->unitCount() == 1u && w->dying.size() == 1u) << "the dead leave the grid in the same update";
  for (int i = 0; i < 18; ++i) w->step(0.05f, 0.0f);
  EXPECT_TRUE(w->dying.size() == 1u && std::abs(doomed->drawAlpha() - 0.05f) < 1e-3f) << "still fading after 0.95 s";
  for (int i = 0; i < 2; ++i) w->step(0.05f, 0.0f);
  EXPECT_TRUE(w->dying.empty()) << "gone once a real second passed";
  EXPECT_TRUE(u->food == before.food && u->ageFraction == before.ageFraction && u->growth == before.growth &&
              u->breedTimer == before.breedTimer) << "a paused world does not age, starve, grow or breed";
}

}  // namespace
