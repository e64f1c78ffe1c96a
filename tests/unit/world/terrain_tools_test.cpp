#include "world/terrain_tools.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "core/random.hpp"

namespace qv {
namespace {

constexpr int kV = Terrain::kVerticesPerSide;
using namespace terraintool;

struct PlaneBrush final : HeightBrush {
  float a, b, c;
  PlaneBrush(float a_, float b_, float c_) : a(a_), b(b_), c(c_) {}
  float newHeight(int, int, float x, float y, float, float) const override { return a * x + b * y + c; }
};

std::vector<float> heights(const Terrain& t) {
  std::vector<float> h;
  for (int j = 0; j < kV; ++j)
    for (int i = 0; i < kV; ++i) h.push_back(t.height(i, j));
  return h;
}

float distanceFrom(Vec2 c, int i, int j) {
  return std::hypot(Terrain::vertexX(i) - c.x, Terrain::vertexY(i, j) - c.y);
}

// A grid vertex near the middle, so brushes sit exactly on a vertex.
constexpr int kCi = 34, kCj = 34;

class TerrainToolsTest : public ::testing::Test {
 protected:
  // Calls f(i, j, heightBefore) for every vertex inside the circle and checks the rest are unchanged.
  template <class F>
  void forInside(const std::vector<float>& before, float r, F f) {
    for (int j = 0; j < kV; ++j)
      for (int i = 0; i < kV; ++i) {
        const float was = before[static_cast<size_t>(j * kV + i)];
        if (distanceFrom(c, i, j) <= r) f(i, j, was);
        else ASSERT_EQ(terrain.height(i, j), was) << "outside the brush " << i << "," << j;
      }
  }
  void hold(int tool, Vec2 at, float size, int frames, bool startsPress = false) {
    for (int n = 0; n < frames; ++n) sculptor.apply(terrain, tool, at, size, 5.0f, 0.05f, startsPress && n == 0);
  }
  Terrain terrain;
  TerrainSculptor sculptor;
  const Vec2 c{Terrain::vertexX(kCi), Terrain::vertexY(kCi, kCj)};
};

TEST_F(TerrainToolsTest, RoundToolsPeakAtTheCentreFlatToolsMoveAllAlike) {
  const float r = 2.6f * 3.0f;  // the rim passes through vertices on the centre's column
  auto before = heights(terrain);
  ASSERT_TRUE(sculptor.apply(terrain, kRaiseRound, c, r, 1.25f, 0.1f, true));
  const float peak = terrain.height(kCi, kCj);
  EXPECT_NEAR(peak, kLiftPerRate * 1.25f * 0.1f, 1e-5f);
  forInside(before, r, [&](int i, int j, float) {
    const float d = distanceFrom(c, i, j);
    if (d > 0.01f && d < r - 0.01f) EXPECT_TRUE(terrain.height(i, j) > 0.0f && terrain.height(i, j) < peak);
  });
  EXPECT_GT(terrain.height(kCi, kCj + 1), terrain.height(kCi, kCj + 2));  // further out is lower
  EXPECT_FLOAT_EQ(terrain.height(kCi, kCj + 3), 0.0f);                    // exactly on the rim
  // Lowering by the same amount undoes it.
  ASSERT_TRUE(sculptor.apply(terrain, kLowerRound, c, r, 1.25f, 0.1f, false));
  for (float h : heights(terrain)) ASSERT_NEAR(h, 0.0f, 1e-5f);

  // Flat raise and lower move every vertex inside by the same amount, up to the limits.
  terrain.reshapeWith(c, 40.0f, PlaneBrush(0.2f, -0.1f, 3.0f));
  before = heights(terrain);
  sculptor.apply(terrain, kRaise, c, 10.0f, 5.0f, 0.05f, true);
  const float step = kLiftPerRate * 5.0f * 0.05f;
  forInside(before, 10.0f, [&](int i, int j, float was) { EXPECT_NEAR(terrain.height(i, j) - was, step, 1e-4f); });
  hold(kLower, c, 10.0f, 2);
  EXPECT_NEAR(terrain.height(kCi, kCj), before[static_cast<size_t>(kCj * kV + kCi)] - step, 1e-4f);
  // Held long enough, heights stop at their jittered limits.
  hold(kRaise, c, 6.0f, 400);
  EXPECT_FLOAT_EQ(terrain.height(kCi, kCj), terrain.maxHeight(kCi, kCj));
}

TEST_F(TerrainToolsTest, FlattenKeepsTheSlopeOrTheStartLevelAndRoughenKeepsTheAverage) {
  const float a = 0.3f, b = -0.15f, base = 2.0f;
  terrain.reshapeWith(c, 60.0f, PlaneBrush(a, b, base));
  // On a clean slope the tool finds the slope and changes nothing.
  const auto slope = heights(terrain);
  sculptor.apply(terrain, kFlattenKeepAngle, c, 12.0f, 5.0f, 0.05f, true);
  forInside(slope, 12.0f, [&](int i, int j, float was) { ASSERT_NEAR(terrain.height(i, j), was, 1e-3f); });
  // A hill on the slope is worn down towards the slope, not towards level ground,
  // and neighbours uphill and downhill keep their difference along the slope.
  terrain.reshape(4.0f, c, 5.0f, 1.0f);
  hold(kFlattenKeepAngle, c, 12.0f, 200);
  EXPECT_LT(std::fabs(terrain.height(kCi, kCj) - (a * c.x + b * c.y + base)), 0.5f);
  EXPECT_NEAR(terrain.height(kCi + 2, kCj) - terrain.height(kCi - 2, kCj), a * (Terrain::vertexX(kCi + 2) - Terrain::vertexX(kCi - 2)), 0.3f);

  // Flatten horizontal holds the level of the press start on a ramp rising towards +x.
  terrain.reshapeWith(c, 80.0f, PlaneBrush(0.25f, 0.0f, 0.0f));
  const float level = terrain.heightAt(c.x, c.y);
  sculptor.apply(terrain, kFlattenHorizontal, c, 8.0f, 5.0f, 0.05f, true);
  // Dragging uphill keeps working towards the starting level, not the new ground.
  for (int n = 0; n < 300; ++n) sculptor.apply(terrain, kFlattenHorizontal, {c.x + 7.8f, c.y}, 8.0f, 5.0f, 0.05f, false);
  EXPECT_NEAR(sculptor.pressHeight(), level, 1e-4f);
  EXPECT_NEAR(terrain.height(kCi + 3, kCj), level, 0.05f);
  // A new press takes the ground under it now.
  sculptor.apply(terrain, kFlattenHorizontal, {c.x + 26.0f, c.y}, 8.0f, 5.0f, 0.05f, true);
  EXPECT_NEAR(sculptor.pressHeight(), 0.25f * (c.x + 26.0f), 0.05f);
  // Joining a press already in progress without a first frame still picks a level.
  sculptor.endPress();
  sculptor.apply(terrain, kFlattenHorizontal, c, 8.0f, 5.0f, 0.05f, false);
  EXPECT_TRUE(sculptor.hasPressHeight());

  // Roughen keeps the average and the rim.
  rng::seed(7);
  const float r = 9.0f;
  terrain.reshapeWith(c, 40.0f, PlaneBrush(0.0f, 0.0f, 5.0f));
  const auto before = heights(terrain);
  hold(kRoughen, c, r, 30, true);
  double sum = 0.0, squares = 0.0;
  int count = 0;
  forInside(before, r, [&](int i, int j, float) {
    const double dev = terrain.height(i, j) - 5.0;
    sum += dev;
    squares += dev * dev;
    ++count;
    if (distanceFrom(c, i, j) > r - 1e-4f) EXPECT_NEAR(terrain.height(i, j), 5.0f, 1e-4f) << "rim";
  });
  EXPECT_NEAR(sum / count, 0.0, 1e-3);          // no drift up or down
  EXPECT_GT(std::sqrt(squares / count), 0.15);  // but visibly rough
}

TEST_F(TerrainToolsTest, NothingChangesForAnEmptyFrameOrBadInput) {
  const auto before = heights(terrain);
  const float nan = std::numeric_limits<float>::quiet_NaN();
  // An empty frame (a scene's update(0)), broken time or position, unknown tools.
  const struct { int tool; Vec2 at; float dt; } bad[] = {
      {kRaise, c, 0.0f}, {kRaise, c, -0.1f}, {kRaise, c, nan}, {kRaise, {nan, 0.0f}, 0.05f}, {7, c, 0.05f}, {-1, c, 0.05f}};
  for (const auto& b : bad) EXPECT_FALSE(sculptor.apply(terrain, b.tool, b.at, 5.0f, 2.0f, b.dt, true)) << b.tool << " " << b.dt;
  EXPECT_EQ(heights(terrain), before);
  // Out-of-range size and rate are held to the brush's range, never used raw.
  sculptor.apply(terrain, kRaise, c, 500.0f, 99.0f, 0.05f, true);
  EXPECT_FLOAT_EQ(terrain.height(0, 0), 0.0f);
  EXPECT_NEAR(terrain.height(kCi, kCj), kLiftPerRate * kRateMax * 0.05f, 1e-5f);
  // A brush smaller than the grid spacing, off any vertex: too few points for a
  // slope, yet the keep-angle fit must not poison the ground.
  terrain.reshapeWith(c, 60.0f, PlaneBrush(0.3f, 0.0f, 1.0f));
  hold(kFlattenKeepAngle, {c.x + 1.0f, c.y + 0.3f}, 0.1f, 5);
  for (float h : heights(terrain)) ASSERT_TRUE(std::isfinite(h));
}

}  // namespace
}  // namespace qv
