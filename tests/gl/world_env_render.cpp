#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

#include "core/log.hpp"
#include "core/random.hpp"
#include "platform/platform.hpp"
#include "render/gpu_resources.hpp"
#include "render/model3d.hpp"
#include "render/palette.hpp"
#include "support/gl_world_helpers.hpp"
#include "world/clouds.hpp"
#include "world/sky.hpp"
#include "world/water.hpp"

using namespace qv;
using qvtest::lookingAt;

namespace {

constexpr int kW = 1280, kH = 720;
constexpr Vec3 kSun{25.0f, -50.0f, 50.0f};

Colour lifted(const char* name) { return paletteColour(name)->lifted(); }

// A round island with a hill, sloping down to a sea floor 6 units deep.
struct IslandBrush : HeightBrush {
  float newHeight(int, int, float x, float y, float, float) const override {
    const float r2 = x * x + y * y;
    const float hill = (x - 12.0f) * (x - 12.0f) + (y - 8.0f) * (y - 8.0f);
    return -6.0f + 13.0f * std::exp(-r2 / (36.0f * 36.0f)) + 5.0f * std::exp(-hill / 180.0f);
  }
};

struct Placed {
  Model3D* model;
  Vec3 position;
  float yaw, size;
  Colour primary, secondary;
  bool highlight;
};

// Everything the gameplay scene draws from this part of the world, built once on
// first use (after the GL context): the GPU registries are process-wide.
struct Scene {
  Scene() {
    setAspectRatio(static_cast<float>(kW) / kH);
    terrain.reshapeWith({0.0f, 0.0f}, 200.0f, IslandBrush{});
    terrain.setColorEmptyLand(lifted("DarkYellow"));
    terrain.finishLoading();
    clouds.setCloudColour({1.0f, 1.0f, 1.0f, 1.0f});
    rng::seed(31);
    clouds.spawnClouds(false);
  }
  Terrain terrain;
  Water water{lifted("Teal")};
  SkyHorizon sky{lifted("Blue")};
  WaterSkyEdge edge;
  CloudSystem clouds;
  std::vector<std::unique_ptr<Model3D>> models;
  std::vector<Placed> placed;
  Colour sun{1.0f, 1.0f, 1.0f, 1.0f};
  float wavePhase = 1.1f;
  bool showEraser = false;
  Vec2 eraserCentre{};
  float eraserRadius = 3.0f;
};

Scene& scene() {
  static Scene s;
  return s;
}

Model3D* model(Scene& s, const std::string& name) {
  s.models.push_back(std::make_unique<Model3D>(name));
  return s.models.back().get();
}

void render(Scene& s, const Camera& cam) {
  const bool under = cam.underWater();
  const Colour& horizon = s.sky.horizonColour();
  s.sky.draw(cam, s.sun);
  s.terrain.draw(cam, kSun, s.water.colour(), s.sun, horizon, {}, kToolCircleNone, 0.0f, under);
  s.clouds.drawClouds(cam, s.sun);
  const CameraPose pose{cam.yaw, cam.pitch, cam.position};
  for (const Placed& p : s.placed)
    p.model->drawModel(pose, kSun, s.water.colour(), s.sun, p.position, p.yaw, 0.0f, p.size, p.primary, p.secondary,
                       p.highlight, {0.0f, 0.0f}, 1.0f, false, under);
  s.edge.draw(cam, s.water.colour(), s.sun, horizon, under);
  s.water.draw(cam, kSun, s.sun, horizon, s.wavePhase, s.showEraser, s.eraserCentre, s.eraserRadius, under);
}

int luminance(const qvtest::Rgb& c) { return (2126 * c.r + 7152 * c.g + 722 * c.b) / 10000; }

// Renders the scene, saves the screenshot and keeps the pixels for probing.
struct Shot {
  Camera cam;
  std::vector<uint8_t> px;
  Shot(Scene& s, const Camera& c, const char* name)
      : cam(c),
        px(qvtest::capture(kW, kH, clearColourFor(s.sky.skyColour(), s.sun.r >= 1.0f ? 1.0f : 0.0f),
                           [&] { render(s, cam); }, name)) {}
  // The pixel showing a world point; false when it is not on screen.
  bool at(Vec3 world, qvtest::Rgb& out) const {
    int x = 0, y = 0;
    if (!qvtest::project(cam, world, kW, kH, x, y)) return false;
    out = qvtest::pixelAt(px, kW, x, y);
    return true;
  }
};

// Height of a placed model's point `fraction` of the way up, in world units.
Vec3 upModel(const Placed& p, float fraction) {
  return p.position + Vec3{0.0f, 0.0f, fraction * p.model->heightMax() * p.model->scaleNormalised() * p.size};
}

}  // namespace

class WorldEnvRender : public ::testing::Test {
 protected:
  void SetUp() override {
    QV_REQUIRE_GL_CONTEXT();
    if (!std::filesystem::exists(platform::dataPath("Models", "Cloud 1.obj"))) GTEST_SKIP() << "no Data/Models";
  }
};

TEST(WorldEnvShaders, CompileAndLinkOnThisDriver) {
  QV_REQUIRE_GL_CONTEXT();
  LogCapture log;
  Water water;
  WaterSkyEdge edge;
  SkyHorizon sky;
  Model3D none{std::string()};
  for (const char* name : {"shaderWater", "shaderInfoWaterSkyEdge", "shaderSkyHorizon", "shaderModel3D"}) {
    GLint linked = 0;
    if (findProgram(name) != 0u) glGetProgramiv(findProgram(name), GL_LINK_STATUS, &linked);
    EXPECT_EQ(linked, GL_TRUE) << name;
  }
  EXPECT_TRUE(water.vertexArray && edge.vertexArray && sky.vertexArray);
  EXPECT_FALSE(log.contains("ERROR: problem")) << log.text();
  // The geometry stage is really part of the water program.
  GLint outType = 0;
  glGetProgramiv(water.shaderProgram, GL_GEOMETRY_OUTPUT_TYPE, &outType);
  EXPECT_EQ(outType, GL_TRIANGLE_STRIP);
  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(WorldEnvRender, IslandSeaSkyAndCloudsByDayAndNight) {
  Scene& s = scene();
  ASSERT_FALSE(s.clouds.clouds.empty());
  const Shot day(s, lookingAt({-78.0f, -70.0f, 16.0f}, {0.0f, 0.0f, -4.0f}), "world_env_island");
  // The sea between the eye and the shore takes the (teal) water colour.
  qvtest::Rgb sea{};
  ASSERT_TRUE(day.at({-52.0f, -46.0f, 0.0f}, sea));
  EXPECT_TRUE(sea.g > sea.r + 40 && sea.b > sea.r + 40) << sea.r << "," << sea.g << "," << sea.b;
  // Somewhere up in the sky a cloud is in view, and it is brighter than the sky around it.
  const Colour sky = s.sky.skyColour();
  const int skyLum = luminance({int(sky.r * 255), int(sky.g * 255), int(sky.b * 255)});
  int seen = 0, brighter = 0;
  for (const Cloud& c : s.clouds.clouds) {
    const Model3D& m = s.clouds.models()[static_cast<size_t>(c.model)];
    qvtest::Rgb px{};
    if (!day.at(c.position + Vec3{0.0f, 0.0f, 0.5f * m.heightMax() * m.scaleNormalised() * 20.0f}, px)) continue;
    ++seen;
    brighter += luminance(px) > skyLum + 30;
  }
  EXPECT_TRUE(seen > 0 && brighter * 2 >= seen) << brighter << " of " << seen;
  // The top of the picture is plain sky: the band has faded out there.
  EXPECT_NEAR(qvtest::pixelAt(day.px, kW, 5, 3).b, static_cast<int>(sky.b * 255), 40);

  // A half-bright sun dims the whole picture.
  s.sun = {0.5f, 0.5f, 0.5f, 1.0f};
  const Shot night(s, day.cam, "world_env_night");
  s.sun = {1.0f, 1.0f, 1.0f, 1.0f};
  long long sumNight = 0, sumDay = 0;
  for (size_t i = 0; i < day.px.size(); i += 4 * 97) {
    sumNight += night.px[i] + night.px[i + 1] + night.px[i + 2];
    sumDay += day.px[i] + day.px[i + 1] + day.px[i + 2];
  }
  EXPECT_LT(sumNight * 2, sumDay);
}

TEST_F(WorldEnvRender, UnitsOnTheShoreWithAHighlight) {
  Scene& s = scene();
  // A small group on the beach, sized up so they read at this distance; the
  // snail is highlighted in the eraser's red.
  const float gy = -29.0f;
  auto ground = [&](float x, float y) { return Vec3{x, y, s.terrain.heightAt(x, y)}; };
  s.placed = {
      {model(s, "Ostrichlike.obj"), ground(-1.5f, gy), 0.3f, 6.0f, lifted("Orange"), lifted("Magenta"), false},
      {model(s, "Snail Like Creature.obj"), ground(0.0f, gy - 1.0f), 2.0f, 6.0f, lifted("Green"), lifted("Yellow"),
       true},
      {model(s, "Mushroom Tree.obj"), ground(1.8f, gy + 1.0f), 0.0f, 9.0f, lifted("LightMagenta"), lifted("Teal"),
       false},
  };
  const Shot shot(s, lookingAt(ground(0.5f, gy - 9.0f) + Vec3{0.0f, 0.0f, 2.6f}, ground(0.0f, gy) + Vec3{0.0f, 0.0f, 0.6f}),
                  "world_env_units");
  qvtest::Rgb red{}, orange{};
  ASSERT_TRUE(shot.at(upModel(s.placed[1], 0.4f), red));
  EXPECT_TRUE(red.r > 60 && red.g < 15 && red.b < 15) << red.r << "," << red.g << "," << red.b;
  // Not highlighted: the orange ostrich keeps its own colours.
  ASSERT_TRUE(shot.at(upModel(s.placed[0], 0.55f), orange));
  EXPECT_GT(orange.g, 40) << orange.r << "," << orange.g << "," << orange.b;
  s.placed.clear();
}

TEST_F(WorldEnvRender, EraserCircleOnTheWater) {
  Scene& s = scene();
  s.showEraser = true;
  s.eraserCentre = {-45.0f, -45.0f};
  const Shot shot(s, lookingAt({-60.0f, -60.0f, 14.0f}, {-45.0f, -45.0f, 0.0f}), "world_env_eraser");
  s.showEraser = false;
  // The rim is pure red, blended over the sea floor; the inside keeps the water but warmer.
  qvtest::Rgb rim{}, inside{}, outside{};
  ASSERT_TRUE(shot.at({-45.0f + 2.9f, -45.0f, waveHeight(-42.1f, -45.0f, s.wavePhase)}, rim));
  EXPECT_GT(rim.r, rim.g + 60) << rim.r << "," << rim.g << "," << rim.b;
  ASSERT_TRUE(shot.at({-45.0f, -45.0f, 0.0f}, inside) && shot.at({-45.0f, -36.0f, 0.0f}, outside));
  EXPECT_GT(inside.r - inside.g, outside.r - outside.g + 20);
}

TEST_F(WorldEnvRender, BelowTheSurface) {
  Scene& s = scene();
  // A swordfish turned three-quarters towards the eye.
  s.placed = {{model(s, "2 Finned Swordfish.obj"), {-43.6f, -43.4f, -2.3f}, -2.2f, 8.0f, lifted("Yellow"),
               lifted("Red"), false}};
  const Camera cam = lookingAt({-46.0f, -50.0f, -2.0f}, {-20.0f, -20.0f, -1.0f});
  ASSERT_TRUE(cam.underWater());
  const Shot shot(s, cam, "world_env_underwater");
  s.placed.clear();
  // Far away everything melts into the dimmed water colour (teal: no red), and the
  // surface seen from below, above the eye, is water coloured too.
  qvtest::Rgb far{}, surface{};
  ASSERT_TRUE(shot.at({0.0f, 4.0f, -3.5f}, far) && shot.at({-30.0f, -32.0f, 0.0f}, surface));
  EXPECT_LT(far.r, far.g - 60) << far.r << "," << far.g << "," << far.b;
  EXPECT_GT(surface.g, surface.r + 40) << surface.r << "," << surface.g << "," << surface.b;
}

namespace {

// What one model drawn on black covers: pixel count, centre, and eye whites
// (bright, unsaturated pixels).
struct Blob {
  double cx = 0, cy = 0;
  int count = 0, whiteish = 0;
};

Blob drawAlone(Model3D& m, const Camera& cam, float yaw, Vec3 at, Vec2 hudOffset = {}, bool fixedTakesPrimary = false,
               float alpha = 1.0f) {
  const Colour red{0.9f, 0.1f, 0.1f, 1.0f};
  const std::vector<uint8_t> px = qvtest::capture(kW, kH, {0, 0, 0, 1}, [&] {
    m.drawModel({cam.yaw, cam.pitch, cam.position}, kSun, {1, 1, 1, 1}, {1, 1, 1, 1}, at, yaw, 0.0f, 20.0f, red, red,
                false, hudOffset, alpha, fixedTakesPrimary, false);
  });
  Blob b;
  for (int i = 0; i < kW * kH; ++i) {
    const qvtest::Rgb c = qvtest::pixelAt(px, kW, i % kW, i / kW);
    if (qvtest::brightness(c) < 30) continue;
    b.cx += i % kW, b.cy += i / kW, ++b.count;
    b.whiteish += c.g > 150 && c.b > 150;
  }
  if (b.count) b.cx /= b.count, b.cy /= b.count;
  return b;
}

}  // namespace

using ModelDraw = WorldEnvRender;

TEST_F(ModelDraw, HudOffsetShiftsByTheSameScreenAmountAtAnyDepth) {
  setAspectRatio(static_cast<float>(kW) / kH);
  Model3D rock("Rock Round.obj");
  const Camera cam = lookingAt({0.0f, -12.0f, 1.5f}, {0.0f, 0.0f, 1.5f});
  for (float depth : {0.0f, 14.0f}) {
    SCOPED_TRACE(depth);
    const Blob plain = drawAlone(rock, cam, -kPi / 2, {0.0f, depth, 0.0f});
    const Blob moved = drawAlone(rock, cam, -kPi / 2, {0.0f, depth, 0.0f}, {0.3f, -0.2f});
    ASSERT_GT(plain.count, 200);
    EXPECT_NEAR(moved.count, plain.count, plain.count / 50 + 5);
    // x: 0.3 / aspect of half the width; y: 0.2 of half the height, downwards on screen.
    EXPECT_NEAR(moved.cx - plain.cx, 0.3 / (static_cast<double>(kW) / kH) * kW / 2, 2.0);
    EXPECT_NEAR(moved.cy - plain.cy, 0.2 * kH / 2, 2.0);
  }
}

TEST_F(ModelDraw, FixedPartTakesThePrimaryColourOnlyWhenAsked) {
  Model3D rock("Rock With Eyes.obj");
  ASSERT_GT(rock.meshes().indexCount[static_cast<int>(ModelPart::Fixed)], 0);
  // Seen from the front, where the eyes are.
  const Camera cam = lookingAt({12.0f, 0.0f, 2.5f}, {0.0f, 0.0f, 2.0f});
  const Blob own = drawAlone(rock, cam, 0.0f, {});
  const Blob forced = drawAlone(rock, cam, 0.0f, {}, {}, true);
  qvtest::saveScreenshot("model_fixed_forced", qvtest::readPixels(kW, kH), kW, kH);
  EXPECT_GT(own.whiteish, 20);  // the eye whites keep their palette colour
  EXPECT_EQ(forced.whiteish, 0);
  EXPECT_EQ(forced.count, own.count);
  // Half transparent: still there, dimmer (only where faces overlap does a fading
  // model build up past half brightness).
  const Blob faded = drawAlone(rock, cam, 0.0f, {}, {}, false, 0.5f);
  EXPECT_LT(faded.whiteish * 5, own.whiteish);
  EXPECT_GT(faded.count, own.count / 2);
}
