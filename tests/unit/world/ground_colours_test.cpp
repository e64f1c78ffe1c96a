#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <set>
#include <vector>

#include "world/terrain.hpp"

namespace qv {
namespace {

// Stands in for the unit grid: reports every painter, in insertion order.
struct FakePainters final : GroundPainters {
  struct P { float x, y; Colour c; };
  std::vector<P> list;
  void forEachPainter(float, float, float radius, GroundPainterVisitor& v) const override {
    EXPECT_FLOAT_EQ(radius, 9.1f);
    for (const P& p : list) v.painter(p.x, p.y, p.c);
  }
};

const float* vertexOf(const Terrain& t, const TerrainTriangle& tri, int n) {
  return t.vertexData() + (Terrain::cellFirstVertex(static_cast<int>(tri.i), static_cast<int>(tri.j)) + 3 * tri.k + n) * 10;
}

bool noDuplicates(const std::vector<TerrainTriangle*>& list) {
  return std::set<const TerrainTriangle*>(list.begin(), list.end()).size() == list.size();
}

class GroundColours : public ::testing::Test {
 protected:
  GroundColours() { t.setGroundPainters(&painters); }
  FakePainters painters;
  Terrain t;
};

TEST_F(GroundColours, TwentyStepsFromBlackToOrange) {
  t.setColorEmptyLand({0, 0, 0, 1});
  const TerrainTriangle& tri = t.triangle(33, 33, 0);
  // Lifted: (0.45 + 0.55 * 1, 0.45 + 0.55 * 1/11, 0.45) = (1, 0.5, 0.45).
  painters.list.push_back({tri.centroid.x, tri.centroid.y, {1.0f, 1.0f / 11.0f, 0.0f, 1.0f}});
  t.refreshGroundColours({tri.centroid.x, tri.centroid.y}, false, false);
  const size_t painted = t.fadingTriangles().size();
  ASSERT_GT(painted, 20u);
  EXPECT_EQ(tri.color.r, 0.0f) << "the fade starts from the empty-land colour seen";

  t.fadeGroundColours(0.1f);
  EXPECT_NEAR(tri.color.r, 0.05f, 1e-6f);
  EXPECT_NEAR(vertexOf(t, tri, 0)[7], 0.025f, 1e-6f) << "the buffer follows";
  for (int n = 2; n <= 19; ++n) t.fadeGroundColours(0.1f);
  EXPECT_EQ(t.fadingTriangles().size(), painted) << "still fading after 19 calls";
  t.fadeGroundColours(0.1f);
  EXPECT_TRUE(t.fadingTriangles().empty()) << "done after 20 calls";
  EXPECT_FLOAT_EQ(tri.color.g, 0.5f);
  EXPECT_FLOAT_EQ(vertexOf(t, tri, 1)[6], 1.0f);
}

TEST_F(GroundColours, RemovedPainterFadesBackToEmptyLandAndWhite) {
  t.setColorEmptyLand({0.2f, 0.6f, 0.3f, 1});
  painters.list.push_back({5.0f, 5.0f, {0.5f, 0.0f, 1.0f, 1.0f}});
  t.refreshGroundColours({5, 5}, false, false);
  const size_t painted = t.fadingTriangles().size();
  ASSERT_GT(painted, 10u);
  t.fadeGroundColours(1000.0f);
  for (int n = 0; n < 67 * 67 * 2; ++n) {
    const TerrainTriangle& tri = t.triangle(n / 2 % 67, n / 134, n % 2);
    EXPECT_EQ(!tri.useColorEmptyLand, std::hypot(tri.centroid.x - 5, tri.centroid.y - 5) <= 6.5f) << tri.i << "," << tri.j << "," << tri.k;
  }

  painters.list.clear();
  t.refreshGroundColours({5, 5}, false, false);
  EXPECT_EQ(t.fadingTriangles().size(), painted);
  t.fadeGroundColours(0.2f);
  const TerrainTriangle& centre = *t.fadingTriangles().front();
  EXPECT_FALSE(centre.useColorEmptyLand) << "still on its way";
  t.fadeGroundColours(1000.0f);
  EXPECT_TRUE(centre.useColorEmptyLand && vertexOf(t, centre, 0)[9] == 1.0f);
}

TEST_F(GroundColours, NearestPainterWinsTiesGoToTheFirstAndChangesOfMindSettle) {
  const TerrainTriangle& tri = t.triangle(40, 20, 1);
  const float x = tri.centroid.x, y = tri.centroid.y;
  const Colour red{1, 0, 0, 1};
  painters.list = {{x + 5, y, red}, {x, y - 3, {0, 0, 1, 1}}, {x - 3, y, {0, 1, 0, 1}}};
  t.refreshGroundColours({x, y}, false, false);
  EXPECT_FLOAT_EQ(tri.targetColor.b, 1.0f) << "3 beats 5; the first of the two at 3 wins";

  painters.list = {{x + 6.6f, y, red}};
  t.refreshGroundColours({x, y}, false, false);
  EXPECT_TRUE(tri.targetUseColorEmptyLand) << "beyond 6.5 nothing paints";

  // A change of mind back to the colour already shown.
  painters.list = {{x, y, red}};
  t.refreshGroundColours({x, y}, false, false);
  t.fadeGroundColours(1000.0f);
  // A nearer painter arrives, then leaves again before the fade moved at all:
  // the triangle must end with the first painter's colour, not the departed one's.
  painters.list = {{x, y, {0, 0, 1, 1}}};
  t.refreshGroundColours({x, y}, false, false);
  ASSERT_FLOAT_EQ(tri.targetColor.b, 1.0f);
  painters.list = {{x, y, red}};
  t.refreshGroundColours({x, y}, false, false);
  t.fadeGroundColours(1000.0f);
  EXPECT_FLOAT_EQ(tri.color.b, 0.45f);
}

TEST_F(GroundColours, FadeListNeverHoldsATriangleTwiceAndRefreshStaysAroundItsCentre) {
  painters.list.push_back({0, 0, {1, 1, 0, 1}});
  t.refreshGroundColours({0, 0}, false, false);
  const size_t n = t.fadingTriangles().size();
  t.refreshGroundColours({0, 0}, false, false);
  t.refreshGroundColours({1, 1}, false, false, 20.0f);
  t.refreshGroundColours({0, 0}, true, false);
  painters.list[0].c = {0, 1, 1, 1};  // a change of mind mid-fade
  t.refreshGroundColours({0, 0}, true, false);
  EXPECT_EQ(t.fadingTriangles().size(), n);
  EXPECT_TRUE(noDuplicates(t.fadingTriangles()));
  t.fadeGroundColours(0.3f);
  t.refreshGroundColours({0, 0}, true, true);  // reset ignores painters
  EXPECT_TRUE(noDuplicates(t.fadingTriangles()));
  t.fadeGroundColours(1000.0f);
  EXPECT_TRUE(t.fadingTriangles().empty());
  // Unchanged targets stay out of the list: empty land, and painted ground keeping its colour.
  painters.list.clear();
  t.refreshGroundColours({0, 0}, true, false);
  EXPECT_TRUE(t.fadingTriangles().empty());
  painters.list = {{-50, 50, {0.2f, 0.4f, 0.6f, 1}}};
  t.refreshGroundColours({-50, 50}, false, false);
  t.fadeGroundColours(1000.0f);
  t.refreshGroundColours({-50, 50}, false, false);
  EXPECT_TRUE(t.fadingTriangles().empty());

  // A refresh touches only the cells around its centre.
  painters.list = {{20, -20, {1, 0, 1, 1}}};
  // A refresh reaches every triangle centred 1.8 inside its radius (callers
  // add a cell of margin) and none beyond two cells outside it.
  const auto away = [](const TerrainTriangle& tri) { return std::hypot(tri.centroid.x - 20.0f, tri.centroid.y + 20.0f); };
  t.refreshGroundColours({20, -20}, false, false, 2.0f);
  ASSERT_FALSE(t.fadingTriangles().empty());
  for (const TerrainTriangle* tri : t.fadingTriangles()) EXPECT_LT(away(*tri), 2.0f + 2.0f * 2.6f);
  // Wherever the centre falls within a cell, a radius-6 refresh reaches every
  // triangle centred within 4.2 of it (both column parities, all four sides).
  for (float dy = 0.0f; dy < 2.6f; dy += 0.2f)
    for (float dx : {0.0f, 1.3f, 2.0f}) {
      Terrain fresh;
      FakePainters one;
      one.list = {{20.0f + dx, -20.0f + dy, {1, 0, 1, 1}}};
      fresh.setGroundPainters(&one);
      fresh.refreshGroundColours({20.0f + dx, -20.0f + dy}, false, false, 6.0f);
      const std::set<const TerrainTriangle*> fading(fresh.fadingTriangles().begin(), fresh.fadingTriangles().end());
      int missed = 0;
      for (int n = 0; n < Terrain::kCellsPerSide * Terrain::kCellsPerSide * 2; ++n) {
        const TerrainTriangle& tri = fresh.triangle(n / 2 % Terrain::kCellsPerSide, n / (2 * Terrain::kCellsPerSide), n % 2);
        missed += std::hypot(tri.centroid.x - 20.0f - dx, tri.centroid.y + 20.0f - dy) < 4.2f && !fading.count(&tri);
      }
      EXPECT_EQ(missed, 0) << "centre offset " << dx << "," << dy;
    }
  // Near the border the range is clamped, never out of the grid.
  t.refreshGroundColours({-87.0f, 87.0f}, false, false, 30.0f);
  t.refreshGroundColours({1e9f, -1e9f}, false, false, 5.0f);
  t.refreshGroundColours({std::nanf(""), 0.0f}, false, false, 5.0f);
  EXPECT_TRUE(noDuplicates(t.fadingTriangles()));
}

TEST_F(GroundColours, EmptyLandUniformReshapeRefreshAndNewWorld) {
  t.setGroundPainters(nullptr);
  const std::vector<float> before(t.vertexData(), t.vertexData() + Terrain::kVertexCount * 10);
  t.setColorEmptyLand({0.3f, 0.5f, 0.2f, 1});
  EXPECT_TRUE(std::equal(before.begin(), before.end(), t.vertexData()));
  // Without painters unpainted triangles follow the new colour without entering the fade list.
  t.refreshGroundColours({0, 0}, true, false);
  EXPECT_TRUE(t.fadingTriangles().empty());
  t.fadeGroundColours(std::nanf(""));
  t.fadeGroundColours(-1.0f);
  EXPECT_TRUE(t.triangle(0, 0, 0).useColorEmptyLand);

  // Reshaping refreshes around the brush; a new world clears everything.
  t.setGroundPainters(&painters);
  painters.list.push_back({0, 0, {0, 1, 0, 1}});
  t.reshape(1.0f, {30, 30}, 3.0f, 1.0f);
  EXPECT_TRUE(t.fadingTriangles().empty()) << "the brush is too far from the painter";
  t.reshape(1.0f, {4, 4}, 3.0f, 1.0f);
  EXPECT_FALSE(t.fadingTriangles().empty());
  t.finishLoading();
  EXPECT_TRUE(t.fadingTriangles().empty() && !t.triangle(33, 33, 0).useColorEmptyLand) << "loading finishes every fade";
  const float raised = t.height(35, 34);
  t.resetGround();
  EXPECT_TRUE(t.triangle(33, 33, 0).useColorEmptyLand && t.height(35, 34) == raised) << "only heights survive a new world";
}

}  // namespace
}  // namespace qv
