#include "world/terrain.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <sstream>
#include <stdexcept>
#include <vector>

#include "core/log.hpp"
#include "core/random.hpp"
#include "core/text_io.hpp"
#include "world/camera.hpp"

namespace qv {
namespace {

constexpr int kC = Terrain::kCellsPerSide;
constexpr int kV = Terrain::kVerticesPerSide;

// Sets every vertex inside the circle to a plane a*x + b*y + c.
struct PlaneBrush final : HeightBrush {
  float a, b, c;
  PlaneBrush(float a_, float b_, float c_) : a(a_), b(b_), c(c_) {}
  float newHeight(int, int, float x, float y, float, float) const override { return a * x + b * y + c; }
};

struct SetBrush final : HeightBrush {
  float h;
  explicit SetBrush(float v) : h(v) {}
  float newHeight(int, int, float, float, float, float) const override { return h; }
};

// Raises exactly one vertex by giving a radius smaller than the spacing.
void setVertex(Terrain& t, int i, int j, float h) {
  t.reshapeWith({Terrain::vertexX(i), Terrain::vertexY(i, j)}, 0.5f, SetBrush(h));
}

Vec3 centroidOf(const Terrain& t, int i, int j, int k) {
  Vec3 p[3];
  t.corners(i, j, k, p);
  return (p[0] + p[1] + p[2]) * (1.0f / 3.0f);
}

// The buffer must describe exactly the triangles: positions from the heights,
// per-vertex normals equal to the triangle's, vertices 0..2 for k = 0.
void expectBufferMatchesMesh(const Terrain& t) {
  const float* v = t.vertexData();
  for (int j = 0; j < kC; ++j)
    for (int i = 0; i < kC; ++i)
      for (int k = 0; k < 2; ++k) {
        const TerrainTriangle& tri = t.triangle(i, j, k);
        Vec3 sum{};
        for (int n = 0; n < 3; ++n) {
          const float* p = v + (Terrain::cellFirstVertex(i, j) + 3 * k + n) * Terrain::kFloatsPerVertex;
          sum += Vec3{p[0], p[1], p[2]};
          ASSERT_FLOAT_EQ(p[3], tri.normal.x) << i << "," << j << "," << k;
          ASSERT_FLOAT_EQ(p[4], tri.normal.y);
          ASSERT_FLOAT_EQ(p[5], tri.normal.z);
        }
        const Vec3 c = sum * (1.0f / 3.0f);
        ASSERT_NEAR(c.x, tri.centroid.x, 1e-4f) << i << "," << j << "," << k;
        ASSERT_NEAR(c.y, tri.centroid.y, 1e-4f);
        ASSERT_NEAR(c.z, tri.centroid.z, 1e-4f);
      }
}

TEST(TerrainGrid, FreshTerrainIsFlatAndConsistent) {
  Terrain t;
  EXPECT_FALSE(rng::seeded()) << "the fixed jitter seed must not pass as a clock seed";
  for (float x : {-200.0f, -87.1f, -3.3f, 0.0f, 41.7f, 87.1f, 500.0f})
    for (float y : {-300.0f, -87.1f, 0.0f, 12.9f, 87.1f, 150.0f}) {
      EXPECT_EQ(t.heightAt(x, y), 0.0f);
      EXPECT_EQ(t.slopeAt(x, y), 0.0f);
    }
  expectBufferMatchesMesh(t);
}

TEST(TerrainGrid, JitterIsFixedAndWithinLimits) {
  Terrain a;
  rng::seed(99);
  (void)rng::next();
  Terrain b;
  float lo = 1, hi = -1;
  for (int i = 0; i < kV; ++i)
    for (int j = 0; j < kV; ++j) {
      ASSERT_EQ(a.jitter(i, j), b.jitter(i, j));
      lo = std::min(lo, a.jitter(i, j));
      hi = std::max(hi, a.jitter(i, j));
    }
  EXPECT_GE(lo, -0.75f);
  EXPECT_LE(hi, 0.75f);
  EXPECT_LT(lo, -0.7f) << "jitter should spread over its range";
  EXPECT_GT(hi, 0.7f);
}

TEST(TerrainGrid, LocateFindsTheTriangleUnderCentroidsOfBothParities) {
  Terrain t;
  for (int i : {0, 1, 2, 33, 34, 65, 66})
    for (int j : {0, 1, 30, 66})
      for (int k = 0; k < 2; ++k) {
        const Vec3 c = t.triangle(i, j, k).centroid;
        int li, lj, lk;
        Terrain::locate(c.x, c.y, li, lj, lk);
        EXPECT_EQ(li, i);
        EXPECT_EQ(lj, j);
        EXPECT_EQ(lk, k) << "cell " << i << "," << j;
      }
}

TEST(TerrainGrid, LocateClampsPointsOutsideTheGrid) {
  int i, j, k;
  Terrain::locate(-500.0f, -500.0f, i, j, k);
  EXPECT_EQ(i, 0);
  EXPECT_EQ(j, 0);
  Terrain::locate(500.0f, 500.0f, i, j, k);
  EXPECT_EQ(i, 66);
  EXPECT_EQ(j, 66);
  Terrain::locate(0.0f, 1e30f, i, j, k);
  EXPECT_EQ(j, 66);
  Terrain::locate(std::nanf(""), std::nanf(""), i, j, k);  // defined, not a crash
  EXPECT_GE(i, 0);
  EXPECT_LE(i, 66);
}

TEST(TerrainHeights, PlaneIsReproducedAndExtendedBeyondTheBorder) {
  Terrain t;
  const float a = 0.1f, b = -0.05f, c = 3.0f;
  t.reshapeWith({0, 0}, 200.0f, PlaneBrush(a, b, c));
  const float slope = std::sqrt(a * a + b * b);
  for (float x : {-80.0f, -1.3f, 0.0f, 7.77f, 86.0f})
    for (float y : {-86.0f, -10.1f, 0.65f, 55.5f, 86.9f}) {
      EXPECT_NEAR(t.heightAt(x, y), a * x + b * y + c, 1e-3f) << x << "," << y;
      EXPECT_NEAR(t.slopeAt(x, y), slope, 1e-4f);
    }
  // Outside the grid the border triangle's plane continues the slope.
  EXPECT_NEAR(t.heightAt(100.0f, 0.0f), a * 100.0f + c, 2e-3f);
  EXPECT_NEAR(t.heightAt(-95.0f, -95.0f), a * -95.0f + b * -95.0f + c, 2e-3f);
}

TEST(TerrainHeights, SingleRaisedVertexInterpolatesAlongItsEdges) {
  Terrain t;
  const int i = 20, j = 30;  // even column
  setVertex(t, i, j, 10.0f);
  const Vec3 top = t.vertex(i, j);
  EXPECT_FLOAT_EQ(top.z, 10.0f);
  EXPECT_NEAR(t.heightAt(top.x, top.y), 10.0f, 1e-4f);
  // Halfway to the vertex above and to the odd-column neighbour (i+1, j).
  const Vec3 up = t.vertex(i, j + 1);
  EXPECT_NEAR(t.heightAt(top.x, (top.y + up.y) * 0.5f), 5.0f, 1e-3f);
  const Vec3 right = t.vertex(i + 1, j);
  EXPECT_NEAR(t.heightAt((top.x + right.x) * 0.5f, (top.y + right.y) * 0.5f), 5.0f, 1e-3f);
  // Two vertices away the ground is untouched.
  EXPECT_EQ(t.heightAt(t.vertex(i + 2, j).x, t.vertex(i + 2, j).y), 0.0f);
  EXPECT_GT(t.slopeAt(top.x + 0.5f, top.y + 0.2f), 1.0f);
  EXPECT_EQ(t.slopeAt(top.x + 8.0f, top.y), 0.0f);
}

// --------------------------------------------------------------- reshape

TEST(TerrainReshape, RewritesExactlyTheFourCellsAroundAChangedVertex) {
  struct Case {
    int i, j;
  };
  for (Case cs : {Case{20, 30}, Case{21, 30}, Case{0, 0}, Case{67, 67}, Case{0, 40}, Case{45, 67}}) {
    Terrain t;
    const std::vector<float> before(t.vertexData(), t.vertexData() + Terrain::kVertexCount * 10);
    setVertex(t, cs.i, cs.j, 4.0f);
    const float* after = t.vertexData();
    for (int cj = 0; cj < kC; ++cj)
      for (int ci = 0; ci < kC; ++ci) {
        const bool neighbour = (ci == cs.i || ci == cs.i - 1) && (cj == cs.j || cj == cs.j - 1);
        bool changed = false;
        const int first = Terrain::cellFirstVertex(ci, cj) * 10;
        for (int n = 0; n < 60; ++n) changed |= before[first + n] != after[first + n];
        EXPECT_EQ(changed, neighbour) << "vertex " << cs.i << "," << cs.j << " cell " << ci << "," << cj;
        if (neighbour) {
          // Only z and normals move; x, y and colours stay.
          for (int n = 0; n < 6; ++n)
            for (int f : {0, 1, 6, 7, 8, 9}) EXPECT_EQ(before[first + n * 10 + f], after[first + n * 10 + f]);
        }
      }
    expectBufferMatchesMesh(t);
  }
}

TEST(TerrainReshape, HemisphereKeepsTheRimAndClampsToJitteredLimits) {
  Terrain t;
  const int ci = 30, cj = 30;
  const Vec2 centre{Terrain::vertexX(ci), Terrain::vertexY(ci, cj)};
  const Vec3 rim = t.vertex(ci, cj + 2);
  const float dx = rim.x - centre.x, dy = rim.y - centre.y;
  const float radius = std::sqrt(dx * dx + dy * dy);  // the rim vertex lies exactly on the circle
  t.reshape(2.0f, centre, radius, 1.5f);
  EXPECT_FLOAT_EQ(t.height(ci, cj), 3.0f);
  EXPECT_EQ(t.height(ci, cj + 2), 0.0f);
  EXPECT_GT(t.height(ci, cj + 1), 0.0f);
  EXPECT_EQ(t.height(ci, cj + 3), 0.0f);
  // Strength counts by magnitude only; the amount gives the direction.
  t.reshape(-1.0f, centre, radius, -1.0f);
  EXPECT_FLOAT_EQ(t.height(ci, cj), 2.0f);

  t.reshape(1e6f, centre, 8.0f, 1.0f);
  t.reshape(1e6f, centre, 8.0f, 1.0f);
  EXPECT_FLOAT_EQ(t.height(ci, cj), t.jitter(ci, cj) + 46.8f);
  EXPECT_FLOAT_EQ(t.height(ci + 1, cj), t.jitter(ci + 1, cj) + 46.8f);
  t.reshape(-1e7f, centre, 8.0f, 1.0f);
  EXPECT_FLOAT_EQ(t.height(ci, cj), t.jitter(ci, cj) - 91.0f);
  expectBufferMatchesMesh(t);

  // Broken inputs leave the ground as it was.
  const float h = t.height(ci, cj);
  t.reshape(std::nanf(""), centre, 8.0f, 1.0f);
  t.reshape(1.0f, {std::nanf(""), 0.0f}, 8.0f, 1.0f);
  t.reshape(1.0f, centre, -3.0f, 1.0f);
  t.reshape(1.0f, centre, 0.0f, 1.0f);  // the centre vertex is collected but a zero radius changes nothing
  EXPECT_EQ(t.height(ci, cj), h);
}

TEST(TerrainReshape, FullRebuildClampsEveryHeight) {
  Terrain t;
  struct Above final : HeightBrush {
    float newHeight(int, int, float, float, float, float) const override { return 1000.0f; }
  };
  t.reshapeWith({0, 0}, 500.0f, Above());
  for (int i = 0; i < kV; ++i)
    for (int j = 0; j < kV; ++j) ASSERT_FLOAT_EQ(t.height(i, j), t.jitter(i, j) + 46.8f);
  t.rebuildAll();
  EXPECT_FLOAT_EQ(t.height(0, 0), t.jitter(0, 0) + 46.8f);
  expectBufferMatchesMesh(t);
}

// --------------------------------------------------------------- pick

TEST(TerrainPick, RayThroughARaisedPointHitsIt) {
  Terrain t;
  t.reshape(12.0f, {10.0f, 20.0f}, 9.0f, 1.0f);
  const Vec3 target{10.0f, 20.0f, t.heightAt(10.0f, 20.0f)};
  ASSERT_GT(target.z, 10.0f);
  for (Vec3 origin : {Vec3{-30.0f, -10.0f, 40.0f}, Vec3{40.0f, 60.0f, 25.0f}, Vec3{10.0f, 20.0f, 80.0f}}) {
    PickState ps;
    t.pick(origin, (target - origin) * 0.37f, ps);  // the direction need not be unit length
    ASSERT_TRUE(ps.groundHit);
    EXPECT_NEAR(ps.groundPoint.x, target.x, 1e-3f);
    EXPECT_NEAR(ps.groundPoint.y, target.y, 1e-3f);
    EXPECT_NEAR(ps.groundPoint.z, target.z, 1e-3f);
    EXPECT_TRUE(ps.surfaceHit);
    EXPECT_FALSE(ps.surfaceOnWater);
    EXPECT_EQ(ps.surfacePoint.z, ps.groundPoint.z);
  }
  // From behind the hill the ray meets the near slope first, not the far ground.
  PickState ps;
  const Vec3 origin{10.0f, -20.0f, 8.0f};
  t.pick(origin, Vec3{0.0f, 1.0f, -0.05f}, ps);
  ASSERT_TRUE(ps.groundHit);
  EXPECT_LT(ps.groundPoint.y, 20.0f);
  EXPECT_GT(ps.groundPoint.z, 0.5f);
}

TEST(TerrainPick, RayOverALakeGivesTheWaterSurface) {
  Terrain t;
  t.reshapeWith({-30.0f, -30.0f}, 15.0f, SetBrush(-5.0f));
  const Vec3 origin{-30.0f, -60.0f, 20.0f};
  const Vec3 bottom{-30.0f, -30.0f, -5.0f};
  PickState ps;
  t.pick(origin, bottom - origin, ps);
  ASSERT_TRUE(ps.groundHit);
  EXPECT_NEAR(ps.groundPoint.z, -5.0f, 1e-3f);
  ASSERT_TRUE(ps.surfaceOnWater);
  EXPECT_TRUE(ps.surfaceHit);
  EXPECT_EQ(ps.surfacePoint.z, 0.0f);
  // The water point lies on the ray, 4/5 of the way to the bottom.
  EXPECT_NEAR(ps.surfacePoint.y, -60.0f + 30.0f * 0.8f, 1e-3f);
}

TEST(TerrainPick, NearMissBeyondTheCoastStillFindsTheSea) {
  Terrain t;
  t.reshapeWith({0, 0}, 500.0f, SetBrush(-5.0f));
  const Vec3 origin{0.0f, 0.0f, 20.0f};
  PickState ps;
  ps.groundPoint = {1, 2, 3};
  t.pick(origin, Vec3{95.0f, 0.0f, -5.0f} - origin, ps);  // the sea bed is met outside the grid
  EXPECT_FALSE(ps.groundHit);
  EXPECT_EQ(ps.groundPoint.x, 1.0f) << "points keep their old values";
  ASSERT_TRUE(ps.surfaceOnWater);
  EXPECT_NEAR(ps.surfacePoint.x, 76.0f, 1e-3f);
  // Beyond the water's pickable square nothing is found.
  t.pick(origin, Vec3{200.0f, 0.0f, -5.0f} - origin, ps);
  EXPECT_FALSE(ps.groundHit);
  EXPECT_FALSE(ps.surfaceHit);
  EXPECT_FALSE(ps.surfaceOnWater);
}

TEST(TerrainPick, RaysThatMeetNothing) {
  Terrain t;
  PickState ps;
  ps.groundHit = ps.surfaceHit = ps.surfaceOnWater = true;
  t.pick({0, 0, 20}, {0.3f, 0.2f, 1.0f}, ps);  // into the sky
  EXPECT_FALSE(ps.groundHit);
  EXPECT_FALSE(ps.surfaceHit);
  t.pick({200, 200, 10}, {1.0f, 1.0f, -0.1f}, ps);  // away from the island
  EXPECT_FALSE(ps.groundHit);
  EXPECT_FALSE(ps.surfaceHit);
  // Low over level ground looking slightly up: the ground plane is met behind
  // the eye, which must never count as the point under the mouse.
  t.reshapeWith({0, 0}, 500.0f, SetBrush(-2.0f));
  t.pick({0.4f, 0.4f, -0.7f}, {0.0f, 1.0f, 0.05f}, ps);
  EXPECT_FALSE(ps.groundHit);
  EXPECT_FALSE(ps.surfaceHit);
  // A level ray and a zero ray fail quietly.
  t.pick({0, 0, 5}, {1.0f, 0.0f, 0.0f}, ps);
  EXPECT_FALSE(ps.groundHit);
  t.pick({0, 0, 5}, {0.0f, 0.0f, 0.0f}, ps);
  EXPECT_FALSE(ps.surfaceHit);
  t.pick({0, 0, 5}, {std::nanf(""), 0.0f, -1.0f}, ps);
  EXPECT_FALSE(ps.surfaceHit);
}

TEST(TerrainPick, UnderWaterEyeSeesTheBottomNotTheSurfaceBehindIt) {
  Terrain t;
  t.reshapeWith({0, 0}, 500.0f, SetBrush(-10.0f));
  PickState ps;
  t.pick({0, 0, -3}, {0.2f, 0.1f, -1.0f}, ps);
  ASSERT_TRUE(ps.groundHit);
  EXPECT_TRUE(ps.surfaceHit);
  EXPECT_FALSE(ps.surfaceOnWater);
  EXPECT_NEAR(ps.surfacePoint.z, -10.0f, 1e-3f);
}

TEST(TerrainPick, MouseRayFromTheDefaultCameraLandsOnTheProjectedPoint) {
  Terrain t;
  t.reshape(15.0f, {-40.0f, -40.0f}, 25.0f, 1.0f);
  Camera cam;
  cam.update(0.016f, &t);
  for (float aspect : {16.0f / 9.0f, 2.0f, 4.0f / 3.0f})
    for (Vec2 mouse : {Vec2{0, 0}, Vec2{400, -200}, Vec2{-900, -500}, Vec2{700, -100}}) {
      Vec3 o, d;
      cam.mouseRay(mouse.x, mouse.y, aspect, o, d);
      PickState ps;
      t.pick(o, d, ps);
      ASSERT_TRUE(ps.groundHit) << mouse.x << "," << mouse.y;
      const Vec4 clip = cam.toClip(ps.groundPoint, aspect);
      ASSERT_GT(clip.w, 0.0f);
      EXPECT_NEAR(clip.x / clip.w, mouse.x / 960.0f, 2e-3f) << "aspect " << aspect;
      EXPECT_NEAR(clip.y / clip.w, mouse.y / 540.0f, 2e-3f);
      // Hits may land up to 0.1 outside a triangle on its extended plane.
      EXPECT_NEAR(ps.groundPoint.z, t.heightAt(ps.groundPoint.x, ps.groundPoint.y), 0.05f);
    }
}

// --------------------------------------------------------------- nearest centroid

TEST(TerrainNearestCentroid, FindsLandOrWaterBeyondTheMinimumDistance) {
  Terrain t;
  // Level ground at 0 lies below the land threshold: it is all water.
  EXPECT_THROW(t.nearestCentroid({0, 0}, false), std::out_of_range);
  const Vec2 w = t.nearestCentroid({0, 0}, true);
  EXPECT_GT(std::hypot(w.x, w.y), 2.6f);
  EXPECT_LT(std::hypot(w.x, w.y), 3.5f);

  // One island far away: every land answer comes from it.
  t.reshapeWith({50, 50}, 6.0f, SetBrush(3.0f));
  const Vec2 land = t.nearestCentroid({0, 0}, false);
  EXPECT_LT(std::hypot(land.x - 50, land.y - 50), 8.0f);
  EXPECT_GE(t.heightAt(land.x, land.y), 0.1875f);
  // Standing on the island: a centroid within 2.6 is never chosen.
  const Vec2 again = t.nearestCentroid(land, false);
  EXPECT_GT(std::hypot(again.x - land.x, again.y - land.y), 2.6f);
  // Under-water search from the island's centre leaves the island.
  const Vec2 sea = t.nearestCentroid({50, 50}, true);
  EXPECT_LT(t.heightAt(sea.x, sea.y), 0.1875f + 1e-3f);
}

// --------------------------------------------------------------- save record

std::vector<std::string> splitLines(const std::string& text) {
  std::vector<std::string> out;
  std::istringstream in(text);
  std::string line;
  while (textio::readLine(in, line)) out.push_back(line);
  return out;
}

TEST(TerrainSaveRecord, RoundTripRestoresEveryHeight) {
  Terrain a;
  a.reshape(7.3f, {-20, 15}, 20.0f, 1.0f);
  a.reshape(-9.1f, {40, -35}, 12.0f, 2.0f);
  const std::string text = a.writeSaveRecord();
  ASSERT_EQ(text.back(), '\n');
  const auto lines = splitLines(text);
  ASSERT_EQ(lines.size(), 1u + 68u * 68u);
  EXPECT_EQ(lines[0], "67");
  EXPECT_EQ(lines[1], textio::fixed6(a.height(0, 0)));
  EXPECT_EQ(lines[2], textio::fixed6(a.height(1, 0))) << "columns vary fastest";

  Terrain b;
  b.readSaveRecord(lines);
  b.finishLoading();
  for (int i = 0; i < kV; ++i)
    for (int j = 0; j < kV; ++j) ASSERT_NEAR(b.height(i, j), a.height(i, j), 1e-6f);
  EXPECT_EQ(b.writeSaveRecord(), text);
  expectBufferMatchesMesh(b);
  EXPECT_NEAR(b.heightAt(-20, 15), a.heightAt(-20, 15), 1e-5f);
}

TEST(TerrainSaveRecord, WrongSizeKeepsTheHeightsAndLogs) {
  Terrain t;
  setVertex(t, 5, 5, 2.5f);
  auto lines = splitLines(Terrain().writeSaveRecord());
  lines[0] = "66";
  LogCapture log;
  t.readSaveRecord(lines);
  EXPECT_TRUE(log.contains("ERROR: Terrain size is wrong. Save says 66 actual is 67.  Default loaded instead."));
  EXPECT_FLOAT_EQ(t.height(5, 5), 2.5f);
}

TEST(TerrainSaveRecord, ShortAndDamagedRecordsKeepWhatWasRead) {
  Terrain t;
  setVertex(t, 3, 0, 9.0f);
  setVertex(t, 10, 1, 9.0f);
  // Three values: (0,0), (1,0), (2,0) in row-major order; (3,0) keeps its height.
  t.readSaveRecord({"67", "1.5", "-2.25", "3.000000"});
  EXPECT_FLOAT_EQ(t.height(0, 0), 1.5f);
  EXPECT_FLOAT_EQ(t.height(1, 0), -2.25f);
  EXPECT_FLOAT_EQ(t.height(2, 0), 3.0f);
  EXPECT_FLOAT_EQ(t.height(3, 0), 9.0f);
  EXPECT_NEAR(t.heightAt(Terrain::vertexX(0), Terrain::vertexY(0, 0)), 1.5f, 1e-4f) << "mesh follows the read heights";
  expectBufferMatchesMesh(t);

  EXPECT_THROW(t.readSaveRecord({"67", "4.0", "oops", "5.0"}), textio::ParseError);
  EXPECT_FLOAT_EQ(t.height(0, 0), 4.0f);
  EXPECT_FLOAT_EQ(t.height(1, 0), -2.25f);
  EXPECT_THROW(t.readSaveRecord({"67", "inf"}), textio::ParseError);
  EXPECT_THROW(t.readSaveRecord({"size"}), textio::ParseError);
  EXPECT_THROW(t.readSaveRecord({}), textio::ParseError);
  // Out-of-range heights from a file are held to the limits at once.
  t.readSaveRecord({"67", "1000"});
  EXPECT_FLOAT_EQ(t.height(0, 0), t.jitter(0, 0) + 46.8f);
  expectBufferMatchesMesh(t);
}

}  // namespace
}  // namespace qv
