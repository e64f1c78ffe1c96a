#include "world/terrain.hpp"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <stdexcept>
#include <vector>

#include "core/log.hpp"
#include "core/random.hpp"
#include "core/text_io.hpp"

namespace qv {
namespace {

constexpr int kC = Terrain::kCellsPerSide;
constexpr int kV = Terrain::kVerticesPerSide;

// Sets every vertex inside the circle to a plane a*x + b*y + c (level at c when a and b are 0).
struct PlaneBrush final : HeightBrush {
  float a, b, c;
  PlaneBrush(float a_, float b_, float c_) : a(a_), b(b_), c(c_) {}
  float newHeight(int, int, float x, float y, float, float) const override { return a * x + b * y + c; }
};

// Raises exactly one vertex by giving a radius smaller than the spacing.
void setVertex(Terrain& t, int i, int j, float h) {
  t.reshapeWith({Terrain::vertexX(i), Terrain::vertexY(i, j)}, 0.5f, PlaneBrush(0, 0, h));
}

// The buffer must describe exactly the triangles: positions from the heights,
// per-vertex normals equal to the triangle's, vertices 0..2 for k = 0.
void expectBufferMatchesMesh(const Terrain& t) {
  for (int n = 0; n < kC * kC * 2; ++n) {
    const int i = n / 2 % kC, j = n / (2 * kC), k = n % 2;
    const TerrainTriangle& tri = t.triangle(i, j, k);
    const float* p = t.vertexData() + (Terrain::cellFirstVertex(i, j) + 3 * k) * Terrain::kFloatsPerVertex;
    Vec3 sum{};
    for (int v = 0; v < 3; ++v, p += Terrain::kFloatsPerVertex) {
      sum += Vec3{p[0], p[1], p[2]};
      ASSERT_LT(length(Vec3{p[3], p[4], p[5]} - tri.normal), 1e-6f) << i << "," << j << "," << k;
    }
    ASSERT_LT(length(sum * (1.0f / 3.0f) - tri.centroid), 2e-4f) << i << "," << j << "," << k;
  }
}

TEST(TerrainGrid, FreshTerrainIsFlatWithAFixedJitterAndLocateFindsEveryTriangle) {
  Terrain a;
  EXPECT_FALSE(rng::seeded()) << "the fixed jitter seed must not pass as a clock seed";
  for (float x : {-200.0f, -87.1f, 0.0f, 41.7f, 500.0f})
    for (float y : {-300.0f, -87.1f, 12.9f, 87.1f}) EXPECT_EQ(a.heightAt(x, y) + a.slopeAt(x, y), 0.0f);
  expectBufferMatchesMesh(a);
  rng::seed(99);
  Terrain b;
  for (int n = 0; n < kV * kV; ++n) ASSERT_EQ(a.jitter(n % kV, n / kV), b.jitter(n % kV, n / kV)) << "independent of the game's random state";

  // Locate finds the triangle of both column parities and clamps outside the grid.
  const auto cellAt = [](Vec3 p) {
    int i = -1, j = -1, k = -1;
    Terrain::locate(p.x, p.y, i, j, k);
    return std::array{i, j, k};
  };
  for (int i : {0, 1, 2, 33, 34, 65, 66})
    for (int j : {0, 1, 30, 66})
      for (int k = 0; k < 2; ++k) EXPECT_EQ(cellAt(a.triangle(i, j, k).centroid), (std::array{i, j, k}));
  const struct { Vec3 at; int i, j; } outside[] = {{{-500.0f, -500.0f}, 0, 0}, {{500.0f, 500.0f}, 66, 66}, {{-500.0f, 1e30f}, 0, 66}};
  for (const auto& o : outside) EXPECT_EQ(std::pair(cellAt(o.at)[0], cellAt(o.at)[1]), std::pair(o.i, o.j)) << o.at.x << "," << o.at.y;
  const auto broken = cellAt({std::nanf(""), std::nanf(""), 0.0f});  // defined, not a crash
  EXPECT_TRUE(broken[0] >= 0 && broken[0] <= 66 && broken[1] >= 0 && broken[1] <= 66);
}

TEST(TerrainHeights, PlanesAreReproducedAndExtendedAndOneRaisedVertexInterpolatesAlongItsEdges) {
  Terrain t;
  const float a = 0.1f, b = -0.05f, c = 3.0f;
  t.reshapeWith({0, 0}, 200.0f, PlaneBrush(a, b, c));
  for (float x : {-80.0f, -1.3f, 7.77f, 86.0f})
    for (float y : {-86.0f, 0.65f, 55.5f, 86.9f}) {
      EXPECT_NEAR(t.heightAt(x, y), a * x + b * y + c, 1e-3f) << x << "," << y;
      EXPECT_NEAR(t.slopeAt(x, y), std::sqrt(a * a + b * b), 1e-4f);
    }
  // Outside the grid the border triangle's plane continues the slope.
  EXPECT_NEAR(t.heightAt(-95.0f, -95.0f), a * -95.0f + b * -95.0f + c, 2e-3f);

  // A single raised vertex (even column) interpolates along its edges: any triangle
  // reproduces a plane, only the right one this.
  Terrain u;
  const int i = 20, j = 30;
  setVertex(u, i, j, 10.0f);
  const Vec3 top = u.vertex(i, j);
  EXPECT_NEAR(u.heightAt(top.x, top.y), 10.0f, 1e-4f);
  // Halfway to the vertex above and to the odd-column neighbour (i+1, j).
  for (Vec3 other : {u.vertex(i, j + 1), u.vertex(i + 1, j)})
    EXPECT_NEAR(u.heightAt((top.x + other.x) * 0.5f, (top.y + other.y) * 0.5f), 5.0f, 1e-3f) << other.x;
  EXPECT_GT(u.slopeAt(top.x + 0.5f, top.y + 0.2f), 1.0f);
}

// --------------------------------------------------------------- reshape

// Every vertex inside the brush circle changes and no other, on both column
// parities (odd columns sit half a spacing higher), at the rim and at the edges.
TEST(TerrainReshape, ABrushReachesEveryVertexInsideItsCircleAndNoOtherAndHeightsStayInTheirLimits) {
  const auto at = [](int i, int j) { return Vec2{Terrain::vertexX(i), Terrain::vertexY(i, j)}; };
  const auto rimThrough = [&](Vec2 c, int i, int j) { return std::hypot(at(i, j).x - c.x, at(i, j).y - c.y) * 1.0005f; };
  const Vec2 even = at(30, 30), odd = at(31, 30), between{1.3f, -0.65f}, corner = at(0, 0);
  const struct { Vec2 c; float r; } rows[] = {
      {even, rimThrough(even, 31, 27)}, {even, rimThrough(even, 31, 33)}, {even, rimThrough(even, 33, 29)},
      {odd, rimThrough(odd, 31, 27)},   {odd, rimThrough(odd, 32, 33)},   {odd, rimThrough(odd, 29, 31)},
      {between, 2.6f * 2.5f},           {between, 3.0f},                  {corner, 7.9f}, {at(67, 67), 9.1f}};
  for (const auto& r : rows) {
    Terrain t;
    t.reshapeWith(r.c, r.r, PlaneBrush(0, 0, 5.0f));
    int wrong = 0, inside = 0;
    for (int i = 0; i < Terrain::kVerticesPerSide; ++i)
      for (int j = 0; j < Terrain::kVerticesPerSide; ++j) {
        const float d = std::hypot(at(i, j).x - r.c.x, at(i, j).y - r.c.y);
        if (std::fabs(d - r.r) < 1e-3f) continue;
        inside += d < r.r;
        if ((t.height(i, j) == 5.0f) != (d < r.r) && wrong++ == 0)
          ADD_FAILURE() << "vertex " << i << "," << j << " at " << d << " of " << r.r;
      }
    EXPECT_EQ(wrong, 0) << "circle at " << r.c.x << "," << r.c.y << " radius " << r.r;
    EXPECT_GT(inside, 0);
  }

  // The hemisphere brush keeps the rim and clamps to the jittered limits.
  Terrain t;
  const int ci = 30, cj = 30;
  const Vec2 centre{Terrain::vertexX(ci), Terrain::vertexY(ci, cj)};
  const float radius = length(t.vertex(ci, cj + 2) - Vec3{centre.x, centre.y, 0.0f});  // a vertex exactly on the rim
  t.reshape(2.0f, centre, radius, 1.5f);
  EXPECT_FLOAT_EQ(t.height(ci, cj), 3.0f);
  EXPECT_EQ(t.height(ci, cj + 2), 0.0f);
  // Strength counts by magnitude only; the amount gives the direction.
  t.reshape(-1.0f, centre, radius, -1.0f);
  EXPECT_FLOAT_EQ(t.height(ci, cj), 2.0f);

  t.reshape(1e6f, centre, 8.0f, 1.0f);
  EXPECT_FLOAT_EQ(t.height(ci + 1, cj), t.jitter(ci + 1, cj) + 46.8f);
  t.reshape(-1e7f, centre, 8.0f, 1.0f);
  EXPECT_FLOAT_EQ(t.height(ci, cj), t.jitter(ci, cj) - 91.0f);
  expectBufferMatchesMesh(t);

  // Broken inputs leave the ground as it was; a zero radius collects the centre vertex yet changes nothing.
  const float h = t.height(ci, cj);
  for (float radius : {-3.0f, 0.0f}) t.reshape(1.0f, centre, radius, 1.0f);
  t.reshape(std::nanf(""), centre, 8.0f, 1.0f);
  t.reshape(1.0f, {std::nanf(""), 0.0f}, 8.0f, 1.0f);
  EXPECT_EQ(t.height(ci, cj), h);
}

// --------------------------------------------------------------- pick

TEST(TerrainPick, RaysFindRaisedGroundALakeTheSeaAndTheBottomOrNothing) {
  Terrain t;
  t.reshape(12.0f, {10.0f, 20.0f}, 9.0f, 1.0f);
  const Vec3 target{10.0f, 20.0f, t.heightAt(10.0f, 20.0f)};
  for (Vec3 origin : {Vec3{-30.0f, -10.0f, 40.0f}, Vec3{40.0f, 60.0f, 25.0f}, Vec3{10.0f, 20.0f, 80.0f}}) {
    PickState ps;
    t.pick(origin, (target - origin) * 0.37f, ps);  // the direction need not be unit length
    ASSERT_TRUE(ps.groundHit && ps.surfaceHit);
    EXPECT_NEAR(length(ps.groundPoint - target), 0.0f, 2e-3f) << origin.x;
    EXPECT_FALSE(ps.surfaceOnWater);
  }
  // From behind the hill the ray meets the near slope first, not the far ground.
  PickState ps;
  t.pick({10.0f, -20.0f, 8.0f}, Vec3{0.0f, 1.0f, -0.05f}, ps);
  EXPECT_TRUE(ps.groundHit && ps.groundPoint.y < 20.0f && ps.groundPoint.z > 0.5f) << ps.groundPoint.y;

  // Over a lake, a near miss beyond the coast, under water, and rays that meet nothing.
  t.reshapeWith({-30.0f, -30.0f}, 15.0f, PlaneBrush(0, 0, -5.0f));
  ps = PickState{};
  t.pick({-30.0f, -60.0f, 20.0f}, {0.0f, 30.0f, -25.0f}, ps);  // aimed at the lake bottom
  ASSERT_TRUE(ps.groundHit && ps.surfaceOnWater && ps.surfaceHit);
  EXPECT_NEAR(ps.groundPoint.z, -5.0f, 1e-3f);
  // The water point lies on the ray, 4/5 of the way to the bottom.
  EXPECT_LT(length(ps.surfacePoint - Vec3{-30.0f, -60.0f + 30.0f * 0.8f, 0.0f}), 1e-3f);

  // A near miss beyond the coast still finds the sea; under water the eye sees the bottom.
  t.reshapeWith({0, 0}, 500.0f, PlaneBrush(0, 0, -5.0f));
  ps = PickState{};
  ps.groundPoint = {1, 2, 3};
  const Vec3 origin{0.0f, 0.0f, 20.0f};
  t.pick(origin, Vec3{95.0f, 0.0f, -5.0f} - origin, ps);  // the sea bed is met outside the grid
  EXPECT_TRUE(!ps.groundHit && ps.groundPoint.x == 1.0f) << "points keep their old values";
  EXPECT_TRUE(ps.surfaceOnWater && std::fabs(ps.surfacePoint.x - 76.0f) < 1e-3f) << ps.surfacePoint.x;
  // Beyond the water's pickable square nothing is found.
  t.pick(origin, Vec3{200.0f, 0.0f, -5.0f} - origin, ps);
  EXPECT_FALSE(ps.groundHit || ps.surfaceHit || ps.surfaceOnWater);
  // An eye under water sees the bottom, not the surface behind it.
  t.pick({0, 0, -3}, {0.2f, 0.1f, -1.0f}, ps);
  ASSERT_TRUE(ps.groundHit && ps.surfaceHit && !ps.surfaceOnWater);
  EXPECT_NEAR(ps.surfacePoint.z, -5.0f, 1e-3f);

  // Rays that meet nothing.
  const struct { Vec3 origin, dir; } rays[] = {
      {{0, 0, 20}, {0.3f, 0.2f, 1.0f}},       // into the sky
      // Low over the ground looking slightly up: the ground plane is met behind
      // the eye, which must never count as the point under the mouse.
      {{0.4f, 0.4f, -0.7f}, {0.0f, 1.0f, 0.05f}},
      // Level, zero and broken rays fail quietly.
      {{0, 0, 5}, {1.0f, 0.0f, 0.0f}}, {{0, 0, 5}, {0.0f, 0.0f, 0.0f}}, {{0, 0, 5}, {std::nanf(""), 0.0f, -1.0f}}};
  for (const auto& r : rays) {
    ps.groundHit = ps.surfaceHit = true;
    t.pick(r.origin, r.dir, ps);
    EXPECT_FALSE(ps.groundHit || ps.surfaceHit) << r.origin.x << "," << r.origin.z << " dir " << r.dir.y;
  }
}

// --------------------------------------------------------------- nearest centroid

TEST(TerrainNearestCentroid, FindsLandOrWaterBeyondTheMinimumDistance) {
  Terrain t;
  // Level ground at 0 lies below the land threshold: it is all water.
  EXPECT_THROW(t.nearestCentroid({0, 0}, false), std::out_of_range);
  const Vec2 w = t.nearestCentroid({0, 0}, true);
  EXPECT_TRUE(std::hypot(w.x, w.y) > 2.6f && std::hypot(w.x, w.y) < 3.5f) << "the nearest beyond 2.6";

  // One island far away: every land answer comes from it.
  t.reshapeWith({50, 50}, 6.0f, PlaneBrush(0, 0, 3.0f));
  const Vec2 land = t.nearestCentroid({0, 0}, false);
  EXPECT_LT(std::hypot(land.x - 50, land.y - 50), 8.0f);
  // Standing on the island: a centroid within 2.6 is never chosen.
  const Vec2 again = t.nearestCentroid(land, false);
  EXPECT_GT(std::hypot(again.x - land.x, again.y - land.y), 2.6f);
  // Under-water search from the island's centre leaves the island.
  const Vec2 sea = t.nearestCentroid({50, 50}, true);
  EXPECT_LT(t.heightAt(sea.x, sea.y), 0.1875f + 1e-3f);
}

// --------------------------------------------------------------- save record

// (The whole record's round trip and line order are checked through the save file.)
TEST(TerrainSaveRecord, BadRecordsKeepWhatWasReadAndHeightsAreHeldToTheLimits) {
  Terrain b;
  setVertex(b, 3, 0, 9.0f);
  std::vector<std::string> wrong(1 + kV * kV, "1.0");
  wrong[0] = "66";
  LogCapture log;
  b.readSaveRecord(wrong);
  EXPECT_TRUE(log.contains("ERROR: Terrain size is wrong. Save says 66 actual is 67.  Default loaded instead."));
  EXPECT_FLOAT_EQ(b.height(3, 0), 9.0f);
  // Three values: (0,0), (1,0), (2,0) in row-major order; (3,0) keeps its height.
  b.readSaveRecord({"67", "1.5", "-2.25", "3.000000"});
  EXPECT_EQ((std::array{b.height(0, 0), b.height(1, 0), b.height(2, 0), b.height(3, 0)}), (std::array{1.5f, -2.25f, 3.0f, 9.0f}));

  EXPECT_THROW(b.readSaveRecord({"67", "4.0", "oops", "5.0"}), textio::ParseError);
  EXPECT_TRUE(b.height(0, 0) == 4.0f && b.height(1, 0) == -2.25f) << "values before the bad one are kept";
  for (const auto& bad : std::vector<std::vector<std::string>>{{"67", "inf"}, {"size"}, {}})
    EXPECT_THROW(b.readSaveRecord(bad), textio::ParseError);
  // Out-of-range heights from a file are held to the limits at once.
  b.readSaveRecord({"67", "1000"});
  EXPECT_FLOAT_EQ(b.height(0, 0), b.jitter(0, 0) + 46.8f);
  expectBufferMatchesMesh(b);
}

}  // namespace
}  // namespace qv
