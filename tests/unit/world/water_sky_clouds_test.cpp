#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

#include "core/log.hpp"
#include "core/random.hpp"
#include "platform/platform.hpp"
#include "render/model3d.hpp"
#include "world/clouds.hpp"
#include "world/sky.hpp"
#include "world/water.hpp"

using namespace qv;

namespace {

float signedArea2d(const float* a, const float* b, const float* c) {
  return 0.5f * ((b[0] - a[0]) * (c[1] - a[1]) - (b[1] - a[1]) * (c[0] - a[0]));
}

}  // namespace

// ---------------------------------------------------------------- water

TEST(Water, WavesRiseToKnownHeightsOnAStaggeredGridWithEdgeWalls) {
  // Half the amplitude from each term; both crests together give the full 0.1875;
  // the phase moves the crest: at phase pi/2 the origin is at the top.
  const float cx = 5.2f * kPi / 2.0f, cy = 5.2f * kPi / 4.0f;
  const struct { float x, y, phase, h; } points[] = {{0, 0, 0, 0},           {cx, 0, 0, 0.09375f},
                                                     {0, cy, 0, 0.09375f},   {cx, cy, 0, 0.1875f},
                                                     {-cx, -cy, 0, -0.1875f}, {0, 0, kPi / 2.0f, 0.1875f}};
  for (const auto& p : points) EXPECT_NEAR(waveHeight(p.x, p.y, p.phase), p.h, 1e-6f) << p.x << "," << p.y;
  // Three simulated seconds are one full cycle.
  EXPECT_NEAR(waveHeight(12.3f, -40.0f, 0.7f + 3.0f * kWavePhasePerSecond), waveHeight(12.3f, -40.0f, 0.7f), 1e-5f);

  // The surface: a staggered grid of counter-clockwise triangles, and the edge walls.
  const std::vector<float> v = waterSurfaceVertices();
  ASSERT_EQ(v.size(), 6936u * 3);
  // Second cell (odd column) starts with column 1 raised half a cell.
  EXPECT_LT(std::hypot(v[18] + 78.0f, v[19] + 88.4f), 1e-4f) << v[18] << "," << v[19];
  // Every triangle turns counter-clockwise seen from above (the wave normals point
  // up), and together they tile 34 x 34 parallelograms without overlap.
  double total = 0.0;
  for (size_t t = 0; t < v.size(); t += 9) {
    const float a = signedArea2d(&v[t], &v[t + 3], &v[t + 6]);
    ASSERT_GT(a, 0.0f) << "triangle " << t / 9;
    total += a;
  }
  EXPECT_NEAR(total, 34.0 * 34.0 * 5.2 * 5.2, 0.5);

  // The edge walls stand upright on the four sides: every wall shares an x or a y of +-85.8.
  const float* e = WaterSkyEdge::vertices();
  const uint32_t* idx = WaterSkyEdge::indices();
  for (int t = 0; t < WaterSkyEdge::kIndexCount; t += 3) {
    ASSERT_LT(std::max({idx[t], idx[t + 1], idx[t + 2]}), 8u);
    const float *a = &e[idx[t] * 3], *b = &e[idx[t + 1] * 3], *c = &e[idx[t + 2] * 3];
    EXPECT_TRUE((a[0] == b[0] && b[0] == c[0]) || (a[1] == b[1] && b[1] == c[1])) << t;
    EXPECT_NEAR(std::max(std::fabs(a[0]), std::fabs(a[1])), 85.8f, 1e-4f) << t;
  }
}

// ---------------------------------------------------------------- sky

TEST(Sky, ColoursFollowTheSkyAndTheBandTilesTheRing) {
  SkyHorizon sky(Colour{0.2f, 0.4f, 1.0f, 1.0f});
  EXPECT_TRUE(sky.setSkyColour({0.9f, 0.0f, 0.0f, 1.0f}));
  const Colour horizon = sky.horizonColour();
  EXPECT_TRUE(horizon.g > 0.0f && horizon.g < horizon.r && horizon.r < 1.0f) << "a paler horizon follows the new sky";
  // Night darkens the clear colour to a quarter; full day keeps it.
  EXPECT_NEAR(clearColourFor({0.4f, 0.8f, 1.0f, 1.0f}, 0.0f).b, 0.25f, 1e-6f);
  EXPECT_FLOAT_EQ(clearColourFor({0.4f, 0.8f, 1.0f, 1.0f}, 1.0f).g, 0.8f);

  // The band slopes from the water edge (below the lowest wave, so no gap shows) out and up.
  const float* v = SkyHorizon::vertices();
  const uint32_t* idx = SkyHorizon::indices();
  for (int i = 0; i < SkyHorizon::kVertexCount; ++i)
    EXPECT_FLOAT_EQ(v[i * 3 + 2], std::fabs(v[i * 3]) + std::fabs(v[i * 3 + 1]) < 200.0f ? -0.1875f : 51.8125f) << i;
  // Projected onto the ground the 24 triangles tile the square ring between the
  // water's edge and the far band exactly, without gaps or overlaps.
  double total = 0.0;
  for (int t = 0; t < SkyHorizon::kIndexCount; t += 3) {
    ASSERT_LT(idx[t], 24u);
    total += std::fabs(signedArea2d(&v[idx[t] * 3], &v[idx[t + 1] * 3], &v[idx[t + 2] * 3]));
  }
  EXPECT_NEAR(total, 4.0 * (345.8 * 345.8 - 85.8 * 85.8), 1.0);
}

// ---------------------------------------------------------------- clouds

class Clouds : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = std::filesystem::temp_directory_path() / ("qv_cloud_test_" + std::to_string(::getpid()));
    std::filesystem::create_directories(root_ / "Data" / "Models");
    platform::overrideProgramFolder(root_.string());
    clearModelCache();
    // Tiny stand-ins for the five cloud shapes; the index tells them apart by size.
    for (int i = 1; i <= 5; ++i)
      std::ofstream(root_ / "Data" / "Models" / ("Cloud " + std::to_string(i) + ".obj"))
          << "#\n#\n#\nv " << i << " 0 0\nv 0 " << i << " 0\nv 0 0 1\nvn 0 0 1\nf 1//1 2//1 3//1\n";
    rng::seed(777);
    sys_.spawnCountdown = 1e9f;  // edge spawns only where a test asks for them
  }
  void TearDown() override {
    clearModelCache();
    std::filesystem::remove_all(root_);
  }
  static Cloud at(float x, float y, float z = 50.0f) { return Cloud{.position = {x, y, z}}; }
  std::filesystem::path root_;
  CloudSystem sys_;
};

TEST_F(Clouds, DriftDownWindFreezeWhilePausedFadeOutDownWindAndSpawnUpWindEveryHalfSecond) {
  sys_.clouds = {at(0, 0), at(100, 50, 47)};
  sys_.updateClouds(1.0f, 0.05f);  // speed 20: one simulated second in a 0.05 s frame
  EXPECT_LT(length(sys_.clouds[0].position - Vec3{-1.78885f, -0.894427f, 50.0f}), 1e-5f);

  // Paused (simDt 0 or negative): nothing moves, fades freeze, nothing spawns.
  sys_.clouds = {at(-171.5f, 0), Cloud{.position = {172, 10, 50}, .alpha = 0.3f, .fadeTimer = 0.7f}};
  sys_.spawnCountdown = 0.0f;
  const std::vector<Cloud> before = sys_.clouds;
  for (int i = 0; i < 100; ++i) sys_.updateClouds(0.0f, 0.05f);  // fades are unscaled, yet frozen too
  sys_.updateClouds(-1.0f, 0.05f);
  ASSERT_EQ(sys_.clouds.size(), before.size());
  EXPECT_EQ(std::memcmp(sys_.clouds.data(), before.data(), sizeof(Cloud) * before.size()), 0);

  // Leaving down wind: fades out over one second, then removed.
  sys_.spawnCountdown = 1e9f;
  sys_.clouds = {at(50, 50), at(-171, 0), at(0, 0)};
  sys_.updateClouds(0.5f, 0.5f);  // x = -171.89: still inside
  sys_.updateClouds(0.5f, 0.5f);  // x = -172.79: out, and half a second of fading at once
  EXPECT_EQ(std::pair(sys_.clouds[1].state, sys_.clouds[1].alpha), std::pair(int(Cloud::kFadingOut), 0.5f));
  sys_.updateClouds(0.5f, 0.5f);  // timer reaches 0: finished and removed in the same update
  ASSERT_EQ(sys_.clouds.size(), 2u);
  EXPECT_GT(sys_.clouds[0].position.x, 40.0f) << "the others keep their order";
  // Crossing y = -172 counts as well.
  sys_.clouds = {at(0, -171.9f)};
  sys_.updateClouds(0.5f, 1.0f);
  EXPECT_TRUE(sys_.clouds.empty());

  // A cloud spawned at an up-wind edge fades in; three rejections give up; a try every half second.
  EXPECT_EQ(sys_.spawnClouds(true), 1);
  ASSERT_EQ(sys_.clouds.size(), 1u);
  const Cloud c = sys_.clouds[0];
  EXPECT_TRUE((c.position.x == 172.0f || c.position.y == 172.0f) && std::fabs(c.position.z - 50.0f) <= 5.0f + 1e-4f);
  EXPECT_TRUE(c.alpha == 0.0f && c.model >= 0 && c.model < 5) << c.alpha << " " << c.model;
  // The fade in follows unscaled time even at speed 20.
  for (int i = 0; i < 10; ++i) sys_.updateClouds(1.0f, 0.05f);
  EXPECT_NEAR(sys_.clouds[0].alpha, 0.5f, 1e-5f);
  for (int i = 0; i < 10; ++i) sys_.updateClouds(1.0f, 0.05f);
  EXPECT_EQ(sys_.clouds[0].state, Cloud::kDrifting);

  // Clouds every 30 units along both up-wind edges: every edge point is within 39 of one.
  sys_.clouds.clear();
  for (float s = -180.0f; s <= 180.0f; s += 30.0f) sys_.clouds.insert(sys_.clouds.end(), {at(s, 172.0f), at(172.0f, s)});
  const size_t count = sys_.clouds.size();
  EXPECT_EQ(sys_.spawnClouds(true), 0);
  EXPECT_EQ(sys_.clouds.size(), count);

  // Spawning every half simulated second; steps of 1/16 s keep the countdown exact.
  sys_.clouds.clear();
  sys_.spawnCountdown = 0.0f;
  for (int i = 0; i < 7; ++i) sys_.updateClouds(0.0625f, 0.0625f);
  EXPECT_EQ(std::pair(sys_.clouds.size(), sys_.spawnCountdown), std::pair(size_t{1}, 0.0625f));
  sys_.updateClouds(0.0625f, 0.0625f);  // reaches 0: the next try, at most one more cloud
  EXPECT_EQ(sys_.spawnCountdown, 0.5f);
}

TEST_F(Clouds, InitialFillKeepsThirtyNineUnitsApartAndRecordsTolerateDamage) {
  const int added = sys_.spawnClouds(false);
  ASSERT_EQ(static_cast<size_t>(added), sys_.clouds.size());
  EXPECT_GT(added, 20);  // 344 x 344 holds a few dozen clouds at that spacing
  for (size_t i = 0; i < sys_.clouds.size(); ++i) {
    const Cloud& c = sys_.clouds[i];
    EXPECT_TRUE(c.alpha == 1.0f && c.state == Cloud::kDrifting) << i;
    EXPECT_TRUE(std::fabs(c.position.x) <= 172.0f && std::fabs(c.position.y) <= 172.0f) << i;
    for (size_t j = 0; j < i; ++j) EXPECT_GT(length(c.position - sys_.clouds[j].position), 39.0f);
  }
  ASSERT_EQ(sys_.models().size(), 5u);
  EXPECT_FLOAT_EQ(sys_.models()[2].radiusMax(), 3.0f) << "the models in file-name order";

  // Reading tolerates damage and never leaves a bare sky.
  LogCapture log;
  // No records: the sky is filled with visible clouds.
  EXPECT_TRUE(sys_.readRecords(std::vector<std::string>{}) && sys_.clouds.size() > 20u) << sys_.clouds.size();

  // A position that is not three numbers drops that cloud only; short records keep
  // defaults; out-of-range fields are brought back into range; a trailing record
  // without its end line is ignored.
  const std::vector<std::string> lines = {
      "1,2",          "0.5",  "1", "1", "0", "0", "**Current Cloud Instance End**",
      "",             "10,20,50", "**Current Cloud Instance End**",
      "-5,6,48",      "1.0",  "9", "7.5", "-3", "42", "**Current Cloud Instance End**",
      "1,2,3,4",      "**Current Cloud Instance End**",
      "0,0,50",       "0.1"};
  EXPECT_TRUE(sys_.readRecords(lines));
  ASSERT_EQ(sys_.clouds.size(), 2u);
  EXPECT_EQ(sys_.clouds[0].position.x, 10.0f);
  EXPECT_EQ(sys_.clouds[1].model, 9);  // kept (saves store it) but never drawn
  for (const Cloud& c : sys_.clouds)
    EXPECT_TRUE(c.alpha == 1.0f && c.fadeTimer == 0.0f && c.state == Cloud::kDrifting);
  EXPECT_EQ(log.count("ERROR: Problem loading cloud instance."), 2);

  // An unreadable number stops the reading; clouds read before it stay.
  const std::vector<std::string> broken = {"1,2,50", "0", "0", "1", "0", "0", "**Current Cloud Instance End**",
                                           "3,4,50", "oops", "0", "1", "0", "0", "**Current Cloud Instance End**",
                                           "5,6,50", "0", "0", "1", "0", "0", "**Current Cloud Instance End**"};
  EXPECT_FALSE(sys_.readRecords(broken));
  ASSERT_EQ(sys_.clouds.size(), 1u);
  EXPECT_EQ(sys_.clouds[0].position.x, 1.0f);
  EXPECT_TRUE(log.contains("ERROR: Exception thrown"));
  // Broken from the very first record: the sky is filled instead.
  EXPECT_TRUE(!sys_.readRecords(std::vector<std::string>{"1,2,50", "x", CloudSystem::kRecordEnd}) && sys_.clouds.size() > 20u);
}
