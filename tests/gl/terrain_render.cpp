#include <gtest/gtest.h>

#include <algorithm>

#include "render/gl.hpp"
#include "render/gpu_resources.hpp"
#include "support/gl_world_helpers.hpp"

namespace qv {
namespace {

constexpr int kW = 1280, kH = 720;
const Colour kSky{0.62f, 0.80f, 0.96f, 1.0f}, kWater{0.25f, 0.55f, 0.80f, 1.0f};
const Colour kLand = Colour{0.30f, 0.62f, 0.40f, 1.0f}.lifted();  // the island's pale moss
const Vec3 kSunPos{25.0f, -50.0f, 50.0f};

// The player's island: a sea shelf falling into the deep, a rolling island and a tall hill.
struct Landscape final : HeightBrush {
  float newHeight(int, int, float x, float y, float, float) const override {
    const float r = std::sqrt(x * x * 0.8f + y * y * 1.2f);
    float h = -1.5f - std::max(0.0f, r - 55.0f) * 0.12f;      // shelf and deep sea
    h += 5.5f * (1.0f - std::clamp((r - 30.0f) / 22.0f, 0.0f, 1.0f));  // the island's body
    h += 1.5f * std::sin(x * 0.21f) * std::cos(y * 0.17f) * (r < 50.0f ? 1.0f : 0.0f);
    const float hx = x - 20.0f, hy = y - 30.0f;  // the hill, a bell 8 wide at (20, 30)
    return h + 20.0f * std::exp(-(hx * hx + hy * hy) / 128.0f);
  }
};

using Shot = qvtest::Frame;

// Draws the terrain alone and reads the picture back, saved as a screenshot when named.
Shot render(const Terrain& t, const Camera& cam, const char* screenshot = nullptr, Vec2 mouse = {}, int circle = 0,
            float radius = 0.0f, const Colour& sun = {1, 1, 1, 1}) {
  const Colour clear{kSky.r * sun.r, kSky.g * sun.g, kSky.b * sun.b, 1.0f};
  auto draw = [&] { t.draw(cam, kSunPos, kWater, sun, kSky, mouse, circle, radius, cam.underWater()); };
  return {qvtest::capture(kW, kH, clear, draw, screenshot)};
}

Camera cameraAt(Vec3 position, double yaw, double pitch) {
  return {.yaw = yaw, .pitch = pitch, .position = position, .maxHeight = position.z};
}

int distance(qvtest::Rgb a, const Colour& b) {
  return qvtest::diff(a, {static_cast<int>(b.r * 255), static_cast<int>(b.g * 255), static_cast<int>(b.b * 255)});
}

// Made before the fixture's terrain so that it uploads its buffers and program.
struct ContextFirst {
  ContextFirst() { qvtest::ensureGlContext(); }
};

class TerrainRender : public ::testing::Test, ContextFirst {
 protected:
  void SetUp() override {
    QV_REQUIRE_GL_CONTEXT();
    setAspectRatio(static_cast<float>(kW) / kH);
    t.setColorEmptyLand(kLand);
    t.reshapeWith({0, 0}, 500.0f, Landscape());
  }
  // The picture's colour at a ground point; false when that point is hidden or off screen.
  bool ground(const Shot& s, const Camera& cam, float x, float y, qvtest::Rgb& out) const {
    const Vec3 p{x, y, t.heightAt(x, y)};
    int sx, sy;
    PickState ps;
    t.pick(cam.position, p - cam.position, ps);
    // Grazing rays may meet a neighbouring triangle's plane a little early;
    // anything much nearer than the point itself hides it.
    if (!qvtest::project(cam, p, kW, kH, sx, sy) || !ps.groundHit ||
        length(ps.groundPoint - cam.position) < length(p - cam.position) - 1.5f)
      return false;
    out = s.at(sx, sy);
    return true;
  }
  Terrain t;
};

TEST_F(TerrainRender, ProgramBuildsAndInPlaceUpdatesReachTheGpu) {
  Terrain fresh;
  EXPECT_TRUE(fresh.shaderProgram != 0u && findProgram("shaderTerrain") == fresh.shaderProgram);
  // Floats of a buffer unlike the CPU copy: `width` floats per vertex from `offset` on.
  const auto wrongOnGpu = [&](GLuint buffer, size_t width, size_t offset) {
    std::vector<float> gpu(Terrain::kVertexCount * width);
    glBindBuffer(GL_ARRAY_BUFFER, buffer);
    glGetBufferSubData(GL_ARRAY_BUFFER, 0, static_cast<GLsizeiptr>(gpu.size() * sizeof(float)), gpu.data());
    int wrong = 0;
    for (size_t n = 0; n < gpu.size(); ++n) wrong += gpu[n] != fresh.vertexData()[n / width * Terrain::kFloatsPerVertex + offset + n % width];
    return wrong;
  };
  fresh.reshape(5.0f, {0, 0}, 10.0f, 1.0f);
  EXPECT_EQ(wrongOnGpu(fresh.vertexBuffer, Terrain::kFloatsPerVertex, 0), 0);
  // Ground colours go to their own buffer, mid-fade and settled alike.
  struct OnePainter : GroundPainters {
    void forEachPainter(float, float, float, GroundPainterVisitor& v) const override { v.painter(1.0f, 2.0f, {0.9f, 0.1f, 0.2f, 1.0f}); }
  } painter;
  fresh.setGroundPainters(&painter);
  fresh.refreshGroundColours({1.0f, 2.0f}, false, false);
  ASSERT_FALSE(fresh.fadingTriangles().empty());
  for (float dt : {0.4f, 1000.0f}) {
    fresh.fadeGroundColours(dt);
    EXPECT_EQ(wrongOnGpu(fresh.colourBuffer(), 4, 6), 0) << dt;
  }
  EXPECT_TRUE(fresh.fadingTriangles().empty());
  fresh.setGroundPainters(nullptr);
  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(TerrainRender, IslandFromTheDefaultCameraAndTheEdgeBandBlendingLowGroundIntoTheSea) {
  t.finishLoading();
  Camera cam;
  cam.update(0.016f, &t);
  const Shot s = render(t, cam, "terrain_island");
  EXPECT_LE(distance(s.at(kW / 2, 5), kSky), 6) << "above the horizon: the clear colour";
  // The hill's sun-facing south flank is brighter than its west flank.
  qvtest::Rgb lit{}, shaded{};
  ASSERT_TRUE(ground(s, cam, 20, 30 - 6.0f, lit) && ground(s, cam, 20 - 6.0f, 32, shaded));
  EXPECT_GT(qvtest::brightness(lit), qvtest::brightness(shaded) + 30);

  // The edge band blends low ground into the sea and keeps high ground. A flat rock 3 high
  // (the dome never falls below its floor) standing out of the sea at the edge.
  t.reshapeWith({84.0f, 25.0f}, 4.0f, qvtest::DomeIsland(0, 0, 3.0f, 1.0f, 3.0f));
  const Camera edge = cameraAt({66, 12, 14}, kPi / 2, -0.8);  // looking along +x
  const Shot e = render(t, edge, "terrain_edge");
  // The band runs from 79.17 to 85.8: halfway and 90 % through it the sea floor
  // is that much of the way from its land colour to the water colour.
  qvtest::Rgb land{}, rock{};
  ASSERT_TRUE(ground(e, edge, 76.0f, 12.0f, land));
  for (float f : {0.5f, 0.9f}) {
    qvtest::Rgb got{};
    ASSERT_TRUE(ground(e, edge, 79.17f + f * 6.63f, 12.0f, got)) << f;
    auto off = [f](int got, int land, float water) { return std::abs(got - int(land * (1 - f) + water * 255 * f)); };
    EXPECT_LE(std::max({off(got.r, land.r, kWater.r), off(got.g, land.g, kWater.g), off(got.b, land.b, kWater.b)}), 8)
        << f;
  }
  // Ground standing well above the water keeps its own colour inside the band.
  ASSERT_TRUE(ground(e, edge, 84.0f, 25.0f, rock));
  EXPECT_GT(distance(rock, kWater), 100);
  // Beyond 85.8 nothing is drawn: the clear colour shows.
  int bx, by;
  ASSERT_TRUE(qvtest::project(edge, {87.0f, 12.0f, t.heightAt(87.0f, 12.0f)}, kW, kH, bx, by));
  EXPECT_LE(distance(e.at(bx, by), kSky), 6);
}

TEST_F(TerrainRender, ToolCircleGroundPreviewAndNight) {
  Camera cam = cameraAt({-5, -45, 30}, 0.1, -0.95);
  cam.update(0.0f, &t);
  Vec3 o, d;
  cam.viewRay({0, 0}, static_cast<float>(kW) / kH, o, d);
  PickState ps;
  t.pick(o, d, ps);
  ASSERT_TRUE(ps.groundHit);
  const Vec2 mouse{ps.groundPoint.x, ps.groundPoint.y};

  const Shot plain = render(t, cam);
  const Shot circle = render(t, cam, "terrain_tool_circle", mouse, kToolCircleTerrain, 6.0f);
  // Inside the brush the ground is tinted blue (the eraser's red circle: world scene tests).
  const qvtest::Rgb a = plain.at(kW / 2, kH / 2), b = circle.at(kW / 2, kH / 2);
  EXPECT_TRUE(b.r < a.r && std::abs(b.b - a.b) <= 3) << b.r << "," << b.b;

  t.setColourGroundPreview(true, mouse, Colour{1.0f, 0.6f, 0.0f, 1}.lifted());
  const Shot preview = render(t, cam, "terrain_ground_preview");
  t.setColourGroundPreview(false, {}, {});
  EXPECT_GT(preview.at(kW / 2, kH / 2).r - preview.at(kW / 2, kH / 2).b, 60);

  const Shot night = render(t, cam, "terrain_night", {}, 0, 0, {0.5f, 0.5f, 0.5f, 1});
  EXPECT_LT(qvtest::brightness(night.at(kW / 2, kH / 2)), qvtest::brightness(a) * 0.6);
}

}  // namespace
}  // namespace qv
