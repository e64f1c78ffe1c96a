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
  h.reserve(kV * kV);
  for (int j = 0; j < kV; ++j)
    for (int i = 0; i < kV; ++i) h.push_back(t.height(i, j));
  return h;
}

float distanceFrom(Vec2 c, int i, int j) {
  const float dx = Terrain::vertexX(i) - c.x, dy = Terrain::vertexY(i, j) - c.y;
  return std::sqrt(dx * dx + dy * dy);
}

// A grid vertex near the middle, so brushes sit exactly on a vertex.
constexpr int kCi = 34, kCj = 34;
Vec2 centreVertex() { return {Terrain::vertexX(kCi), Terrain::vertexY(kCi, kCj)}; }

// Every vertex outside the circle must be exactly as it was.
void expectUntouchedOutside(const Terrain& t, const std::vector<float>& before, Vec2 c, float r) {
  for (int j = 0; j < kV; ++j)
    for (int i = 0; i < kV; ++i)
      if (distanceFrom(c, i, j) > r) ASSERT_EQ(t.height(i, j), before[static_cast<size_t>(j * kV + i)]) << i << "," << j;
}

class TerrainToolsTest : public ::testing::Test {
 protected:
  Terrain terrain;
  TerrainSculptor sculptor;
  const Vec2 c = centreVertex();
};

TEST_F(TerrainToolsTest, RoundToolsPeakAtTheCentreAndLeaveTheRimAndOutsideAlone) {
  const float r = 2.6f * 3.0f;  // the rim passes through vertices on the centre's column
  const auto before = heights(terrain);
  ASSERT_TRUE(sculptor.apply(terrain, kRaiseRound, c, r, 1.25f, 0.1f, true));
  const float peak = terrain.height(kCi, kCj);
  EXPECT_NEAR(peak, kLiftPerRate * 1.25f * 0.1f, 1e-5f);
  for (int j = 0; j < kV; ++j)
    for (int i = 0; i < kV; ++i) {
      const float d = distanceFrom(c, i, j);
      if (d > 0.01f && d < r) {
        EXPECT_GT(terrain.height(i, j), 0.0f);
        EXPECT_LT(terrain.height(i, j), peak);
      }
    }
  // Further out means lower along one column.
  EXPECT_GT(terrain.height(kCi, kCj + 1), terrain.height(kCi, kCj + 2));
  EXPECT_FLOAT_EQ(terrain.height(kCi, kCj + 3), 0.0f);  // exactly on the rim
  expectUntouchedOutside(terrain, before, c, r);

  // Lowering by the same amount undoes it.
  ASSERT_TRUE(sculptor.apply(terrain, kLowerRound, c, r, 1.25f, 0.1f, false));
  for (int j = 0; j < kV; ++j)
    for (int i = 0; i < kV; ++i) ASSERT_NEAR(terrain.height(i, j), 0.0f, 1e-5f);
}

TEST_F(TerrainToolsTest, FlatRaiseAndLowerMoveEveryVertexInsideByTheSameAmount) {
  const float r = 10.0f;
  terrain.reshapeWith(c, 40.0f, PlaneBrush(0.2f, -0.1f, 3.0f));
  const auto before = heights(terrain);
  sculptor.apply(terrain, kRaise, c, r, 5.0f, 0.05f, true);
  const float step = kLiftPerRate * 5.0f * 0.05f;
  int inside = 0;
  for (int j = 0; j < kV; ++j)
    for (int i = 0; i < kV; ++i)
      if (distanceFrom(c, i, j) <= r) {
        ++inside;
        EXPECT_NEAR(terrain.height(i, j) - before[static_cast<size_t>(j * kV + i)], step, 1e-4f);
      }
  EXPECT_GT(inside, 40);
  expectUntouchedOutside(terrain, before, c, r);
  sculptor.apply(terrain, kLower, c, r, 5.0f, 0.05f, false);
  sculptor.apply(terrain, kLower, c, r, 5.0f, 0.05f, false);
  EXPECT_NEAR(terrain.height(kCi, kCj), before[static_cast<size_t>(kCj * kV + kCi)] - step, 1e-4f);
  // Held long enough, heights stop at their jittered limits.
  for (int n = 0; n < 400; ++n) sculptor.apply(terrain, kRaise, c, 6.0f, 5.0f, 0.05f, false);
  EXPECT_FLOAT_EQ(terrain.height(kCi, kCj), terrain.maxHeight(kCi, kCj));
  for (int n = 0; n < 1200; ++n) sculptor.apply(terrain, kLowerRound, c, 6.0f, 5.0f, 0.05f, false);
  EXPECT_FLOAT_EQ(terrain.height(kCi, kCj), terrain.minHeight(kCi, kCj));
}

TEST_F(TerrainToolsTest, FlattenKeepAngleLevelsBumpsButKeepsTheSlope) {
  const float a = 0.3f, b = -0.15f, base = 2.0f;
  terrain.reshapeWith(c, 60.0f, PlaneBrush(a, b, base));
  // On a clean slope the tool finds the slope and changes nothing.
  const auto slope = heights(terrain);
  sculptor.apply(terrain, kFlattenKeepAngle, c, 12.0f, 5.0f, 0.05f, true);
  EXPECT_NEAR(sculptor.lastPlane().b, a, 1e-3f);
  EXPECT_NEAR(sculptor.lastPlane().c, b, 1e-3f);
  for (size_t k = 0; k < slope.size(); ++k) ASSERT_NEAR(heights(terrain)[k], slope[k], 1e-3f);

  // A hill on the slope is worn down towards the slope, not towards level ground.
  terrain.reshape(4.0f, c, 5.0f, 1.0f);
  const float onPlane = a * c.x + b * c.y + base;
  ASSERT_GT(terrain.height(kCi, kCj) - onPlane, 3.9f);
  for (int n = 0; n < 200; ++n) sculptor.apply(terrain, kFlattenKeepAngle, c, 12.0f, 5.0f, 0.05f, false);
  EXPECT_LT(std::fabs(terrain.height(kCi, kCj) - onPlane), 0.5f);
  // Neighbours uphill and downhill keep their difference along the slope.
  const float rise = terrain.height(kCi + 2, kCj) - terrain.height(kCi - 2, kCj);
  EXPECT_NEAR(rise, a * (Terrain::vertexX(kCi + 2) - Terrain::vertexX(kCi - 2)), 0.3f);
}

TEST_F(TerrainToolsTest, RoughenKeepsTheAverageAndTheRim) {
  rng::seed(7);
  const float r = 9.0f;
  terrain.reshapeWith(c, 40.0f, PlaneBrush(0.0f, 0.0f, 5.0f));
  const auto before = heights(terrain);
  for (int n = 0; n < 30; ++n) sculptor.apply(terrain, kRoughen, c, r, 5.0f, 0.05f, n == 0);
  double sum = 0.0, squares = 0.0;
  int count = 0;
  for (int j = 0; j < kV; ++j)
    for (int i = 0; i < kV; ++i) {
      const float d = distanceFrom(c, i, j);
      if (d > r) continue;
      const double dev = terrain.height(i, j) - 5.0;
      sum += dev;
      squares += dev * dev;
      ++count;
      if (d > r - 1e-4f) EXPECT_NEAR(terrain.height(i, j), 5.0f, 1e-4f) << "rim";
    }
  ASSERT_GT(count, 30);
  EXPECT_NEAR(sum / count, 0.0, 1e-3);                 // no drift up or down
  EXPECT_GT(std::sqrt(squares / count), 0.15);         // but visibly rough
  expectUntouchedOutside(terrain, before, c, r);
}

TEST_F(TerrainToolsTest, FlattenHorizontalHoldsTheLevelOfThePressStart) {
  // A ramp rising towards +x; the press starts at the centre.
  terrain.reshapeWith(c, 80.0f, PlaneBrush(0.25f, 0.0f, 0.0f));
  const float level = terrain.heightAt(c.x, c.y);
  sculptor.apply(terrain, kFlattenHorizontal, c, 8.0f, 5.0f, 0.05f, true);
  ASSERT_TRUE(sculptor.hasPressHeight());
  EXPECT_NEAR(sculptor.pressHeight(), level, 1e-4f);
  // Dragging uphill keeps working towards the starting level, not the new ground.
  const Vec2 uphill{c.x + 7.8f, c.y};
  for (int n = 0; n < 300; ++n) sculptor.apply(terrain, kFlattenHorizontal, uphill, 8.0f, 5.0f, 0.05f, false);
  EXPECT_NEAR(sculptor.pressHeight(), level, 1e-4f);
  EXPECT_NEAR(terrain.height(kCi + 3, kCj), level, 0.05f);
  // A new press takes the ground under it now.
  const Vec2 far{c.x + 26.0f, c.y};
  sculptor.apply(terrain, kFlattenHorizontal, far, 8.0f, 5.0f, 0.05f, true);
  EXPECT_NEAR(sculptor.pressHeight(), 0.25f * far.x, 0.05f);
  // Joining a press already in progress without a first frame still picks a level.
  sculptor.endPress();
  sculptor.apply(terrain, kFlattenHorizontal, c, 8.0f, 5.0f, 0.05f, false);
  EXPECT_TRUE(sculptor.hasPressHeight());
}

TEST_F(TerrainToolsTest, NothingChangesForAnEmptyFrameOrBadInput) {
  const auto before = heights(terrain);
  const float nan = std::numeric_limits<float>::quiet_NaN();
  EXPECT_FALSE(sculptor.apply(terrain, kRaise, c, 5.0f, 2.0f, 0.0f, true));   // requestScene's update(0)
  EXPECT_FALSE(sculptor.apply(terrain, kRaise, c, 5.0f, 2.0f, -0.1f, true));
  EXPECT_FALSE(sculptor.apply(terrain, kRaise, c, 5.0f, 2.0f, nan, true));
  EXPECT_FALSE(sculptor.apply(terrain, kRaise, {nan, 0.0f}, 5.0f, 2.0f, 0.05f, true));
  EXPECT_FALSE(sculptor.apply(terrain, 7, c, 5.0f, 2.0f, 0.05f, true));
  EXPECT_FALSE(sculptor.apply(terrain, -1, c, 5.0f, 2.0f, 0.05f, true));
  EXPECT_EQ(heights(terrain), before);
  // Out-of-range size and rate are held to the brush's range, never used raw.
  sculptor.apply(terrain, kRaise, c, 500.0f, 99.0f, 0.05f, true);
  EXPECT_FLOAT_EQ(terrain.height(0, 0), 0.0f);
  EXPECT_NEAR(terrain.height(kCi, kCj), kLiftPerRate * kRateMax * 0.05f, 1e-5f);
  EXPECT_FLOAT_EQ(clampSize(nan), kSizeMin);
  EXPECT_FLOAT_EQ(clampRate(std::numeric_limits<float>::infinity()), kRateMax);
  // A brush smaller than the grid spacing, off any vertex: too few points for a
  // slope, yet the keep-angle fit must not poison the ground.
  terrain.reshapeWith(c, 60.0f, PlaneBrush(0.3f, 0.0f, 1.0f));
  for (int n = 0; n < 5; ++n) sculptor.apply(terrain, kFlattenKeepAngle, {c.x + 1.0f, c.y + 0.3f}, 0.1f, 5.0f, 0.05f, false);
  for (float h : heights(terrain)) ASSERT_TRUE(std::isfinite(h));
}

}  // namespace
}  // namespace qv
