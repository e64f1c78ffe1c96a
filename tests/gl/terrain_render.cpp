#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

#include "core/log.hpp"
#include "render/gl.hpp"
#include "render/gpu_resources.hpp"
#include "support/gl_context.hpp"
#include "world/camera.hpp"
#include "world/terrain.hpp"

namespace qv {
namespace {

constexpr int kW = 1280, kH = 720;
const Colour kSky{0.62f, 0.80f, 0.96f, 1.0f};
const Colour kWater{0.25f, 0.55f, 0.80f, 1.0f};
const Colour kLand = Colour{0.30f, 0.62f, 0.40f, 1.0f}.lifted();  // the island's pale moss
const Vec3 kSunPos{25.0f, -50.0f, 50.0f};

struct Painters final : GroundPainters {
  struct P {
    float x, y;
    Colour c;
  };
  std::vector<P> list;
  void forEachPainter(float, float, float, GroundPainterVisitor& v) const override {
    for (const P& p : list) v.painter(p.x, p.y, p.c);
  }
};

// The player's island: a sea shelf falling into the deep, a rolling island,
// a tall hill, a smaller knoll and a lake.
struct Landscape final : HeightBrush {
  static float bump(float x, float y, float cx, float cy, float sigma) {
    const float dx = x - cx, dy = y - cy;
    return std::exp(-(dx * dx + dy * dy) / (2.0f * sigma * sigma));
  }
  float newHeight(int, int, float x, float y, float, float) const override {
    const float r = std::sqrt(x * x * 0.8f + y * y * 1.2f);
    float h = -1.5f - std::max(0.0f, r - 55.0f) * 0.12f;      // shelf and deep sea
    h += 5.5f * (1.0f - std::clamp((r - 30.0f) / 22.0f, 0.0f, 1.0f));  // the island's body
    h += 1.5f * std::sin(x * 0.21f) * std::cos(y * 0.17f) * (r < 50.0f ? 1.0f : 0.0f);
    h += 20.0f * bump(x, y, 20, 30, 8.0f);    // the hill
    h += 7.0f * bump(x, y, 35, -20, 5.0f);    // a knoll
    h -= 12.0f * bump(x, y, -20, -15, 7.0f);  // the lake
    return h;
  }
};

struct SetHeight final : HeightBrush {
  float h;
  explicit SetHeight(float v) : h(v) {}
  float newHeight(int, int, float, float, float, float) const override { return h; }
};

void buildIsland(Terrain& t) { t.reshapeWith({0, 0}, 500.0f, Landscape()); }

struct Shot {
  std::vector<uint8_t> px;
  qvtest::Rgb at(int x, int y) const { return qvtest::pixelAt(px, kW, x, y); }
};

Shot render(const Terrain& t, const Camera& cam, Vec2 mouse = {}, int circle = 0, float radius = 0.0f,
            const Colour& sun = {1, 1, 1, 1}) {
  glViewport(0, 0, kW, kH);
  glClearColor(kSky.r * sun.r, kSky.g * sun.g, kSky.b * sun.b, 1.0f);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  t.draw(cam, kSunPos, kWater, sun, kSky, mouse, circle, radius, cam.underWater());
  glFinish();
  return {qvtest::readPixels(kW, kH)};
}

// Screen pixel of a world point, or false when it is off screen or hidden.
bool screenOf(const Terrain& t, const Camera& cam, Vec3 p, int& sx, int& sy) {
  const Vec4 c = cam.toClip(p, static_cast<float>(kW) / kH);
  if (c.w <= 0) return false;
  const float nx = c.x / c.w, ny = c.y / c.w;
  if (std::fabs(nx) > 0.98f || std::fabs(ny) > 0.98f) return false;
  sx = static_cast<int>((nx + 1) * 0.5f * kW);
  sy = static_cast<int>((1 - ny) * 0.5f * kH);
  PickState ps;
  t.pick(cam.position, p - cam.position, ps);
  if (!ps.groundHit) return false;
  // Grazing rays may meet a neighbouring triangle's plane a little early;
  // anything much nearer than the point itself hides it.
  return length(ps.groundPoint - cam.position) > length(p - cam.position) - 1.5f;
}

// A visible point of the sea floor at distance c from the centre line, on the far sides.
bool firstVisible(const Terrain& t, const Camera& cam, float c, int& sx, int& sy) {
  for (float other = 75.0f; other >= -20.0f; other -= 5.0f) {
    if (screenOf(t, cam, {c, other, t.heightAt(c, other)}, sx, sy)) return true;
    if (screenOf(t, cam, {other, c, t.heightAt(other, c)}, sx, sy)) return true;
  }
  return false;
}

int brightness(qvtest::Rgb c) { return c.r + c.g + c.b; }
int distance(qvtest::Rgb a, const Colour& b) {
  return std::abs(a.r - static_cast<int>(b.r * 255)) + std::abs(a.g - static_cast<int>(b.g * 255)) +
         std::abs(a.b - static_cast<int>(b.b * 255));
}

class TerrainRender : public ::testing::Test {
 protected:
  void SetUp() override {
    QV_REQUIRE_GL_CONTEXT();
    setAspectRatio(static_cast<float>(kW) / kH);
  }
};

TEST_F(TerrainRender, ProgramBuildsAndBufferIsRegistered) {
  LogCapture log;
  Terrain t;
  EXPECT_NE(t.shaderProgram, 0u);
  EXPECT_EQ(findProgram("shaderTerrain"), t.shaderProgram);
  EXPECT_NE(t.vertexArray, 0u);
  EXPECT_NE(t.vertexBuffer, 0u);
  EXPECT_FALSE(log.contains("ERROR")) << log.text();
  bool registered = false;
  for (const BufferRecord& b : bufferRegistry()) registered |= b.vertexBuffer == t.vertexBuffer;
  EXPECT_TRUE(registered);
  GLint size = 0;
  glBindBuffer(GL_ARRAY_BUFFER, t.vertexBuffer);
  glGetBufferParameteriv(GL_ARRAY_BUFFER, GL_BUFFER_SIZE, &size);
  EXPECT_EQ(size, 1077360);
  // In-place updates reach the GPU copy.
  t.reshape(5.0f, {0, 0}, 10.0f, 1.0f);
  std::vector<float> gpu(Terrain::kVertexCount * 10);
  glGetBufferSubData(GL_ARRAY_BUFFER, 0, size, gpu.data());
  EXPECT_TRUE(std::equal(gpu.begin(), gpu.end(), t.vertexData()));
  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(TerrainRender, IslandFromTheDefaultCamera) {
  Terrain t;
  t.setColorEmptyLand(kLand);
  buildIsland(t);
  Painters painters;
  painters.list = {{-5, 8, {1.0f, 0.55f, 0.1f, 1}}, {10, -5, {0.1f, 0.9f, 0.6f, 1}}, {28, 18, {1.0f, 0.95f, 0.3f, 1}}};
  t.setGroundPainters(&painters);
  t.finishLoading();
  Camera cam;
  cam.update(0.016f, &t);
  const Shot s = render(t, cam);
  qvtest::saveScreenshot("terrain_island", s.px, kW, kH);

  // Above the horizon: the clear colour.
  EXPECT_LE(distance(s.at(kW / 2, 5), kSky), 6);

  // The hill's sun-facing south flank is brighter than its west flank.
  int lx, ly, dx, dy;
  const float r = 6.0f;
  const Vec3 south{20, 30 - r, t.heightAt(20, 30 - r)};
  const Vec3 west{20 - r, 30 + 2, t.heightAt(20 - r, 32)};
  ASSERT_TRUE(screenOf(t, cam, south, lx, ly));
  ASSERT_TRUE(screenOf(t, cam, west, dx, dy));
  EXPECT_GT(brightness(s.at(lx, ly)), brightness(s.at(dx, dy)) + 30);

  // Low ground near the world's edge turns into the water colour; the same
  // sea floor further in keeps the land colour.
  int ex, ey, ix, iy;
  ASSERT_TRUE(firstVisible(t, cam, 84.5f, ex, ey));
  ASSERT_TRUE(firstVisible(t, cam, 76.0f, ix, iy));
  // At 84.5 the band is 80 % through: mostly water (a pixel spans a few units
  // this far away; the close-up test below measures the blend exactly).
  const int edgeOff = distance(s.at(ex, ey), kWater), innerOff = distance(s.at(ix, iy), kWater);
  EXPECT_GT(innerOff, 100);
  EXPECT_LT(edgeOff, innerOff * 0.6f) << s.at(ex, ey).r << "," << s.at(ex, ey).g << "," << s.at(ex, ey).b;
  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(TerrainRender, EdgeBandBlendsLowGroundIntoTheSeaAndKeepsHighGround) {
  Terrain t;
  t.setColorEmptyLand(kLand);
  buildIsland(t);
  t.reshapeWith({84.0f, 25.0f}, 4.0f, SetHeight(3.0f));  // a rock standing out of the sea at the edge
  Camera cam;
  cam.position = {66, 12, 14};
  cam.yaw = kPi / 2;  // looking along +x
  cam.pitch = -0.8;
  cam.maxHeight = 14;
  const Shot s = render(t, cam);
  qvtest::saveScreenshot("terrain_edge", s.px, kW, kH);
  auto probe = [&](float x, float y, qvtest::Rgb& out) {
    int sx, sy;
    if (!screenOf(t, cam, {x, y, t.heightAt(x, y)}, sx, sy)) return false;
    out = s.at(sx, sy);
    return true;
  };
  qvtest::Rgb land{}, half{}, mostly{}, rock{}, rockInside{};
  ASSERT_TRUE(probe(76.0f, 12.0f, land));
  ASSERT_TRUE(probe(79.17f + 0.5f * 6.63f, 12.0f, half));
  ASSERT_TRUE(probe(79.17f + 0.9f * 6.63f, 12.0f, mostly));
  auto mix = [](qvtest::Rgb a, const Colour& w, float f) {
    return qvtest::Rgb{static_cast<int>(a.r * (1 - f) + w.r * 255 * f), static_cast<int>(a.g * (1 - f) + w.g * 255 * f),
                       static_cast<int>(a.b * (1 - f) + w.b * 255 * f)};
  };
  const qvtest::Rgb wantHalf = mix(land, kWater, 0.5f), wantMostly = mix(land, kWater, 0.9f);
  EXPECT_NEAR(half.r, wantHalf.r, 8);
  EXPECT_NEAR(half.g, wantHalf.g, 8);
  EXPECT_NEAR(half.b, wantHalf.b, 8);
  EXPECT_NEAR(mostly.r, wantMostly.r, 8);
  EXPECT_NEAR(mostly.b, wantMostly.b, 8);
  // Ground standing well above the water keeps its own colour inside the band.
  ASSERT_TRUE(probe(84.0f, 25.0f, rock));
  ASSERT_TRUE(probe(76.0f, 25.0f, rockInside));
  EXPECT_GT(distance(rock, kWater), 100);
  // Beyond 85.8 nothing is drawn: the clear colour shows.
  const Vec4 c = cam.toClip({87.0f, 12.0f, t.heightAt(87.0f, 12.0f)}, static_cast<float>(kW) / kH);
  const int bx = static_cast<int>((c.x / c.w + 1) * 0.5f * kW), by = static_cast<int>((1 - c.y / c.w) * 0.5f * kH);
  EXPECT_LE(distance(s.at(bx, by), kSky), 6);
}

TEST_F(TerrainRender, ToolCircleGroundPreviewAndNight) {
  Terrain t;
  t.setColorEmptyLand(kLand);
  buildIsland(t);
  t.resetGround();
  Camera cam;
  cam.position = {-5, -45, 30};
  cam.yaw = 0.1;
  cam.pitch = -0.95;
  cam.maxHeight = 30;
  cam.update(0.0f, &t);
  Vec3 o, d;
  cam.mouseRay(0, 0, static_cast<float>(kW) / kH, o, d);
  PickState ps;
  t.pick(o, d, ps);
  ASSERT_TRUE(ps.groundHit);
  const Vec2 mouse{ps.groundPoint.x, ps.groundPoint.y};

  const Shot plain = render(t, cam);
  const Shot circle = render(t, cam, mouse, kToolCircleTerrain, 6.0f);
  qvtest::saveScreenshot("terrain_tool_circle", circle.px, kW, kH);
  // Inside the brush the ground is tinted blue.
  const qvtest::Rgb a = plain.at(kW / 2, kH / 2), b = circle.at(kW / 2, kH / 2);
  EXPECT_LT(b.r, a.r);
  EXPECT_NEAR(b.b, a.b, 3);

  const Shot eraser = render(t, cam, mouse, kToolCircleEraser, 6.0f);
  EXPECT_LT(eraser.at(kW / 2, kH / 2).b, a.b);
  EXPECT_NEAR(eraser.at(kW / 2, kH / 2).r, a.r, 3);

  t.setColourGroundPreview(true, mouse, Colour{1.0f, 0.6f, 0.0f, 1}.lifted());
  const Shot preview = render(t, cam);
  t.setColourGroundPreview(false, {}, {});
  qvtest::saveScreenshot("terrain_ground_preview", preview.px, kW, kH);
  EXPECT_GT(preview.at(kW / 2, kH / 2).r - preview.at(kW / 2, kH / 2).b, 60);

  const Shot night = render(t, cam, {}, 0, 0, {0.5f, 0.5f, 0.5f, 1});
  qvtest::saveScreenshot("terrain_night", night.px, kW, kH);
  EXPECT_LT(brightness(night.at(kW / 2, kH / 2)), brightness(a) * 0.6);
}

TEST_F(TerrainRender, UnderWaterTakesTheWaterColourFarAway) {
  Terrain t;
  t.setColorEmptyLand(kLand);
  buildIsland(t);
  t.resetGround();
  Camera cam;
  cam.position = {-72, -72, -2.0f};  // swimming in the sea, facing the island
  cam.yaw = kPi / 4;
  cam.pitch = -1.4;
  cam.maxHeight = -2.0f;
  const Shot s = render(t, cam);
  qvtest::saveScreenshot("terrain_underwater", s.px, kW, kH);
  Camera above = cam;
  above.position.z = 0.5f;  // same view from just above the surface: no tint
  const Shot dry = render(t, above);
  // Distant lake bed fades to water; ground above the water line keeps its colour.
  int fx, fy;
  const Vec3 far{-50, -50, t.heightAt(-50, -50)};
  ASSERT_LT(far.z, 0.0f);
  ASSERT_TRUE(screenOf(t, cam, far, fx, fy));
  EXPECT_LT(distance(s.at(fx, fy), kWater), distance(dry.at(fx, fy), kWater) - 40);
}

}  // namespace
}  // namespace qv
