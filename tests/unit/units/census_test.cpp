// The census: per-template counts, births and deaths, and the bounded history.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <vector>

#include "units_fixture.hpp"

using namespace qv;

namespace {

// Plants that spread, grazers that eat them and breed, on a seeded island.
struct CensusWorld : ::testing::Test {
  std::unique_ptr<World> w = qvtest::makeWorld(4242, true);
  TemplatePtr plant = qvtest::makeTemplate(Unit3DTemplate::kStationary, true, 0);
  TemplatePtr grazer = qvtest::makeTemplate(Unit3DTemplate::kNormalSpeed, true, 0);
  void SetUp() override {
    qvtest::shape(*w, qvtest::IslandBrush{});
    plant->breedFrequency = grazer->breedFrequency = 2;
    grazer->eats = {plant};
    grazer->hunger = 2;
    for (int i = 0; i < 12; ++i) qvtest::put(*w, plant, -20.0f + 8.0f * (i % 6), -8.0f + 16.0f * (i / 6));
    for (int i = 0; i < 6; ++i) qvtest::put(*w, grazer, -18.0f + 8.0f * i, 0.0f);
  }
  void run(float gameSeconds, float dt = 0.05f) {
    for (float t = 0.0f; t < gameSeconds; t += dt * w->timeScale) w->step(dt, w->simDtFor(dt, false));
  }
};

TEST_F(CensusWorld, CountsBirthsAndDeathsMatchWhatHappenedInTheWorld) {
  w->setGameSpeed(2);  // x5
  // Births and deaths so far at each game second, to check the last-minute window against.
  std::vector<std::array<int, 2>> at;
  std::array<int, 2> total{0, 0};
  const int placed = static_cast<int>(w->unitCount());
  for (int s = 0; s < 300; ++s) {
    at.push_back(total);
    run(1.0f);
    total = {static_cast<int>(w->stats.births), placed + static_cast<int>(w->stats.births - w->unitCount())};
  }
  ASSERT_TRUE(total[0] > 10 && total[1] > 3) << "a lively world with some deaths";
  EXPECT_EQ(w->census.sampleCount(), 60) << "one sample per 5 game seconds";

  // A prey bitten to death after its own update stays filed until the next step: not counted.
  const auto all = w->allUnits();
  const auto bitten = std::ranges::find_if(all, [&](const auto& u) { return u->unitTemplate == grazer && u->alive(); });
  ASSERT_NE(bitten, all.end());
  (*bitten)->health = 0.0f;
  w->census.recount(w->grid);
  std::array<int, 2> inWindow{0, 0}, counted{0, 0};
  const auto& rows = w->census.rows();
  for (const auto& t : {plant, grazer}) {
    const auto r = std::ranges::find(rows, t.get(), &Census::Row::key);
    ASSERT_TRUE(r != rows.end());
    EXPECT_EQ(r->count, std::ranges::count_if(all, [&](const auto& u) { return u->alive() && u->unitTemplate == t; }));
    inWindow[0] += w->census.birthsLastMinute(*r);
    inWindow[1] += w->census.deathsLastMinute(*r);
    for (int age = 0; age < w->census.sampleCount(); ++age) counted[0] += r->births[age], counted[1] += r->deaths[age];
    counted[0] += r->pendingBirths, counted[1] += r->pendingDeaths;
    // The newest sample is the count at its time, never more than the peak.
    EXPECT_LE(w->census.countAt(*r, 0), w->census.peakCount());
  }
  EXPECT_EQ(counted, total) << "every birth and death counted once";
  // The window is the last 55 to 60 game seconds, by whole samples.
  for (int k : {0, 1})
    EXPECT_TRUE(inWindow[k] >= total[k] - at[at.size() - 55][k] && inWindow[k] <= total[k] - at[at.size() - 60][k])
        << "births, deaths: " << k << " counted " << inWindow[k];
}

TEST_F(CensusWorld, FollowsGameTimeKeepsItsSizeAndStartsFreshOnNewWorld) {
  w->setGameSpeed(1);
  run(12.0f);
  EXPECT_EQ(w->census.sampleCount(), 2);
  const Census::Row* first = w->census.rows().data();
  // Paused, real time passes but game time does not; x20 samples every quarter of a real
  // second; steps of 3 game seconds, which do not divide the period, do not drift.
  const struct { int speed, steps; float simDt; int samples; } phases[] = {{0, 400, 0.0f, 2}, {3, 20, 0.0f, 6}, {3, 20, 3.0f, 18}};
  for (const auto& p : phases) {
    w->setGameSpeed(p.speed);
    for (int i = 0; i < p.steps; ++i) w->step(0.05f, p.simDt > 0.0f ? p.simDt : w->simDtFor(0.05f, false));
    EXPECT_EQ(w->census.sampleCount(), p.samples) << "speed " << p.speed << ", steps of " << p.simDt;
  }

  // 40 game minutes fill the 30-minute ring and no more; the rows never move.
  run(40.0f * 60.0f);
  EXPECT_EQ(std::tuple(w->census.sampleCount(), w->census.rows().data(), w->census.rows().size()),
            std::tuple(Census::kSamples, first, 2u));
  // One huge step (a stalled frame at x20) still leaves a full, sane ring.
  w->step(0.05f, 1e6f);
  EXPECT_TRUE(w->census.sampleCount() == Census::kSamples && w->census.sinceSample() < Census::kSamplePeriod);

  w->resetWorld();
  EXPECT_TRUE(w->census.sampleCount() == 0 && w->census.rows().empty());
}

}  // namespace
