#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "core/log.hpp"
#include "core/random.hpp"
#include "platform/platform.hpp"
#include "render/gl.hpp"
#include "render/gpu_resources.hpp"
#include "render/model3d.hpp"
#include "render/palette.hpp"
#include "support/gl_context.hpp"
#include "world/camera.hpp"
#include "world/clouds.hpp"
#include "world/sky.hpp"
#include "world/terrain.hpp"
#include "world/water.hpp"

using namespace qv;

namespace {

constexpr int kW = 1280;
constexpr int kH = 720;
constexpr Vec3 kSun{25.0f, -50.0f, 50.0f};

Colour lifted(const char* name) { return paletteColour(name)->lifted(); }

// A round island with a hill, sloping down to a sea floor 6 units deep.
class IslandBrush : public HeightBrush {
 public:
  float newHeight(int, int, float x, float y, float, float) const override {
    const float r2 = x * x + y * y;
    const float hill = (x - 12.0f) * (x - 12.0f) + (y - 8.0f) * (y - 8.0f);
    return -6.0f + 13.0f * std::exp(-r2 / (36.0f * 36.0f)) + 5.0f * std::exp(-hill / 180.0f);
  }
};

struct Placed {
  Model3D* model;
  Vec3 position;
  float yaw;
  float size;
  Colour primary, secondary;
  bool highlight;
};

// Everything the gameplay scene draws from this part of the world, built once:
// the GPU registries are process-wide.
struct Scene {
  std::unique_ptr<Terrain> terrain;
  std::unique_ptr<Water> water;
  std::unique_ptr<SkyHorizon> sky;
  std::unique_ptr<WaterSkyEdge> edge;
  std::unique_ptr<CloudSystem> clouds;
  std::vector<std::unique_ptr<Model3D>> models;
  std::vector<Placed> placed;
  Colour sun{1.0f, 1.0f, 1.0f, 1.0f};
  float wavePhase = 1.1f;
  bool showEraser = false;
  Vec2 eraserCentre{};
  float eraserRadius = 3.0f;
};

bool dataPresent() {
  return std::filesystem::exists(platform::dataPath("Models", "Cloud 1.obj"));
}

Scene& scene() {
  static Scene s;
  static bool built = false;
  if (built) return s;
  built = true;
  setAspectRatio(static_cast<float>(kW) / kH);
  s.terrain = std::make_unique<Terrain>();
  s.terrain->reshapeWith({0.0f, 0.0f}, 200.0f, IslandBrush{});
  s.terrain->setColorEmptyLand(lifted("DarkYellow"));
  s.terrain->finishLoading();
  s.water = std::make_unique<Water>(lifted("Teal"));
  s.sky = std::make_unique<SkyHorizon>(lifted("Blue"));
  s.edge = std::make_unique<WaterSkyEdge>();
  s.clouds = std::make_unique<CloudSystem>();
  s.clouds->setCloudColour({1.0f, 1.0f, 1.0f, 1.0f});
  rng::seed(31);
  s.clouds->spawnClouds(false);
  return s;
}

Model3D* model(Scene& s, const std::string& name) {
  s.models.push_back(std::make_unique<Model3D>(name));
  return s.models.back().get();
}

void render(Scene& s, const Camera& cam) {
  const bool under = cam.underWater();
  const Colour clear = clearColourFor(s.sky->skyColour(), s.sun.r >= 1.0f ? 1.0f : 0.0f);
  glViewport(0, 0, kW, kH);
  glClearColor(clear.r, clear.g, clear.b, 1.0f);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  const Colour& horizon = s.sky->horizonColour();
  s.sky->draw(cam, s.sun);
  s.terrain->draw(cam, kSun, s.water->colour(), s.sun, horizon, {}, kToolCircleNone, 0.0f, under);
  s.clouds->drawClouds(cam, s.sun);
  const CameraPose pose{cam.yaw, cam.pitch, cam.position};
  for (const Placed& p : s.placed)
    p.model->drawModel(pose, kSun, s.water->colour(), s.sun, p.position, p.yaw, 0.0f, p.size, p.primary, p.secondary,
                       p.highlight, {0.0f, 0.0f}, 1.0f, false, under);
  s.edge->draw(cam, s.water->colour(), s.sun, horizon, under);
  s.water->draw(cam, kSun, s.sun, horizon, s.wavePhase, s.showEraser, s.eraserCentre, s.eraserRadius, under);
  glFinish();
}

// Screen pixel (top row first) of a world point; false when behind the eye or off screen.
bool project(const Camera& cam, Vec3 world, int& px, int& py) {
  const Vec4 c = cam.toClip(world, static_cast<float>(kW) / kH);
  if (c.w <= 0.0f) return false;
  px = static_cast<int>((c.x / c.w * 0.5f + 0.5f) * kW);
  py = static_cast<int>((1.0f - (c.y / c.w * 0.5f + 0.5f)) * kH);
  return px >= 2 && px < kW - 2 && py >= 2 && py < kH - 2;
}

int luminance(const qvtest::Rgb& c) { return (2126 * c.r + 7152 * c.g + 722 * c.b) / 10000; }

Camera lookingAt(Vec3 eye, Vec3 target) {
  Camera cam;
  cam.position = eye;
  const Vec3 d = target - eye;
  // Yaw 0 looks along +y and grows towards +x; pitch 0 looks down, -pi/2 is level.
  cam.yaw = std::atan2(d.x, d.y);
  cam.pitch = -std::atan2(std::sqrt(d.x * d.x + d.y * d.y), -d.z);
  return cam;
}

}  // namespace

TEST(WorldEnvShaders, CompileAndLinkOnThisDriver) {
  QV_REQUIRE_GL_CONTEXT();
  LogCapture log;
  Water water;
  WaterSkyEdge edge;
  SkyHorizon sky;
  Model3D none{std::string()};
  for (const char* name : {"shaderWater", "shaderInfoWaterSkyEdge", "shaderSkyHorizon", "shaderModel3D"}) {
    EXPECT_NE(findProgram(name), 0u) << name;
  }
  EXPECT_EQ(water.shaderProgram, findProgram("shaderWater"));
  EXPECT_NE(water.vertexArray, 0u);
  EXPECT_NE(edge.vertexArray, 0u);
  EXPECT_NE(sky.vertexArray, 0u);
  EXPECT_EQ(none.program(), findProgram("shaderModel3D"));
  EXPECT_FALSE(log.contains("ERROR: problem")) << log.text();
  // The geometry stage is really part of the water program.
  GLint shaders = 0;
  glGetProgramiv(water.shaderProgram, GL_ATTACHED_SHADERS, &shaders);
  GLint outType = 0;
  glGetProgramiv(water.shaderProgram, GL_GEOMETRY_OUTPUT_TYPE, &outType);
  EXPECT_EQ(outType, GL_TRIANGLE_STRIP);
  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST(WorldEnvRender, IslandSeaSkyAndClouds) {
  QV_REQUIRE_GL_CONTEXT();
  if (!dataPresent()) GTEST_SKIP() << "no generated Data/Models";
  Scene& s = scene();
  ASSERT_FALSE(s.clouds->clouds.empty());
  const Camera cam = lookingAt({-78.0f, -70.0f, 16.0f}, {0.0f, 0.0f, -4.0f});
  render(s, cam);
  const std::vector<uint8_t> px = qvtest::readPixels(kW, kH);
  qvtest::saveScreenshot("world_env_island", px, kW, kH);
  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));

  // The sea between the eye and the shore takes the (teal) water colour.
  int x = 0, y = 0;
  ASSERT_TRUE(project(cam, {-52.0f, -46.0f, 0.0f}, x, y));
  const qvtest::Rgb sea = qvtest::pixelAt(px, kW, x, y);
  EXPECT_GT(sea.g, sea.r + 40) << sea.r << "," << sea.g << "," << sea.b;
  EXPECT_GT(sea.b, sea.r + 40);

  // Somewhere up in the sky a cloud is in view, and it is brighter than the sky around it.
  const Colour sky = s.sky->skyColour();
  const int skyLum = luminance({static_cast<int>(sky.r * 255), static_cast<int>(sky.g * 255),
                                static_cast<int>(sky.b * 255)});
  int seen = 0, brighter = 0;
  for (const Cloud& c : s.clouds->clouds) {
    const Model3D& m = s.clouds->models()[static_cast<size_t>(c.model)];
    const Vec3 centre = c.position + Vec3{0.0f, 0.0f, 0.5f * m.heightMax() * m.scaleNormalised() * 20.0f};
    if (!project(cam, centre, x, y)) continue;
    ++seen;
    if (luminance(qvtest::pixelAt(px, kW, x, y)) > skyLum + 30) ++brighter;
  }
  EXPECT_GT(seen, 0);
  EXPECT_GE(brighter * 2, seen) << brighter << " of " << seen;
  // The top of the picture is plain sky: the band has faded out there.
  const qvtest::Rgb top = qvtest::pixelAt(px, kW, 5, 3);
  EXPECT_NEAR(top.b, static_cast<int>(sky.b * 255), 40);
}

TEST(WorldEnvRender, TheStartingView) {
  QV_REQUIRE_GL_CONTEXT();
  if (!dataPresent()) GTEST_SKIP() << "no generated Data/Models";
  Scene& s = scene();
  Camera cam;  // the new-world camera, clamped into the world as its first update does
  cam.position.x = -Camera::kWorldLimit;
  cam.position.y = -Camera::kWorldLimit;
  render(s, cam);
  const std::vector<uint8_t> px = qvtest::readPixels(kW, kH);
  qvtest::saveScreenshot("world_env_start_view", px, kW, kH);
  // Looking down at 70 degrees the lower half of the picture is sea or island, never the clear colour.
  const Colour clear = s.sky->skyColour();
  int clearPixels = 0;
  for (int y = kH / 2; y < kH; y += 7)
    for (int x = 0; x < kW; x += 7) {
      const qvtest::Rgb c = qvtest::pixelAt(px, kW, x, y);
      if (std::abs(c.r - static_cast<int>(clear.r * 255)) < 3 && std::abs(c.b - static_cast<int>(clear.b * 255)) < 3)
        ++clearPixels;
    }
  EXPECT_EQ(clearPixels, 0);
}

TEST(WorldEnvRender, UnitsOnTheShoreWithAHighlight) {
  QV_REQUIRE_GL_CONTEXT();
  if (!dataPresent()) GTEST_SKIP() << "no generated Data/Models";
  Scene& s = scene();
  // A small group on the beach, sized up so they read at this distance; the
  // middle one is highlighted in the eraser's red.
  const float gy = -29.0f;
  auto ground = [&](float x, float y) { return Vec3{x, y, s.terrain->heightAt(x, y)}; };
  s.placed = {
      {model(s, "Ostrichlike.obj"), ground(-1.5f, gy), 0.3f, 6.0f, lifted("Orange"), lifted("Magenta"), false},
      {model(s, "Snail Like Creature.obj"), ground(0.0f, gy - 1.0f), 2.0f, 6.0f, lifted("Green"), lifted("Yellow"),
       true},
      {model(s, "Mushroom Tree.obj"), ground(1.8f, gy + 1.0f), 0.0f, 9.0f, lifted("LightMagenta"), lifted("Teal"),
       false},
      {model(s, "Crystals.obj"), ground(-3.5f, gy + 1.5f), 1.0f, 6.0f, lifted("Blue"), lifted("White"), false},
      {model(s, "Rock Round.obj"), ground(3.5f, gy - 1.5f), 0.5f, 5.0f, lifted("Grey"), lifted("DarkGrey"), false},
  };
  const Camera cam = lookingAt({0.5f, gy - 9.0f, s.terrain->heightAt(0.5f, gy - 9.0f) + 2.6f},
                               {0.0f, gy, s.terrain->heightAt(0.0f, gy) + 0.6f});
  ASSERT_GT(cam.position.z, 0.0f);
  render(s, cam);
  const std::vector<uint8_t> px = qvtest::readPixels(kW, kH);
  qvtest::saveScreenshot("world_env_units", px, kW, kH);

  const Placed& snail = s.placed[1];
  const float h = snail.model->heightMax() * snail.model->scaleNormalised() * snail.size;
  int x = 0, y = 0;
  ASSERT_TRUE(project(cam, snail.position + Vec3{0.0f, 0.0f, h * 0.4f}, x, y));
  const qvtest::Rgb red = qvtest::pixelAt(px, kW, x, y);
  EXPECT_GT(red.r, 60) << red.r << "," << red.g << "," << red.b;
  EXPECT_LT(red.g, 15);
  EXPECT_LT(red.b, 15);
  // Not highlighted: the orange ostrich keeps its own colours.
  const Placed& bird = s.placed[0];
  const float hb = bird.model->heightMax() * bird.model->scaleNormalised() * bird.size;
  ASSERT_TRUE(project(cam, bird.position + Vec3{0.0f, 0.0f, hb * 0.55f}, x, y));
  const qvtest::Rgb orange = qvtest::pixelAt(px, kW, x, y);
  EXPECT_GT(orange.g, 40) << orange.r << "," << orange.g << "," << orange.b;
  s.placed.clear();
}

TEST(WorldEnvRender, EraserCircleOnTheWater) {
  QV_REQUIRE_GL_CONTEXT();
  if (!dataPresent()) GTEST_SKIP() << "no generated Data/Models";
  Scene& s = scene();
  const Camera cam = lookingAt({-60.0f, -60.0f, 14.0f}, {-45.0f, -45.0f, 0.0f});
  s.showEraser = true;
  s.eraserCentre = {-45.0f, -45.0f};
  s.eraserRadius = 3.0f;
  render(s, cam);
  const std::vector<uint8_t> px = qvtest::readPixels(kW, kH);
  s.showEraser = false;
  qvtest::saveScreenshot("world_env_eraser", px, kW, kH);
  int x = 0, y = 0;
  // The rim is pure red, blended over the sea floor; the inside keeps the water but warmer.
  ASSERT_TRUE(project(cam, {-45.0f + 2.9f, -45.0f, waveHeight(-42.1f, -45.0f, s.wavePhase)}, x, y));
  const qvtest::Rgb rim = qvtest::pixelAt(px, kW, x, y);
  EXPECT_GT(rim.r, rim.g + 60) << rim.r << "," << rim.g << "," << rim.b;
  ASSERT_TRUE(project(cam, {-45.0f, -45.0f, 0.0f}, x, y));
  const qvtest::Rgb inside = qvtest::pixelAt(px, kW, x, y);
  ASSERT_TRUE(project(cam, {-45.0f, -36.0f, 0.0f}, x, y));
  const qvtest::Rgb outside = qvtest::pixelAt(px, kW, x, y);
  EXPECT_GT(inside.r - inside.g, outside.r - outside.g + 20);
}

TEST(WorldEnvRender, BelowTheSurface) {
  QV_REQUIRE_GL_CONTEXT();
  if (!dataPresent()) GTEST_SKIP() << "no generated Data/Models";
  Scene& s = scene();
  // A swordfish turned three-quarters towards the eye.
  s.placed = {{model(s, "2 Finned Swordfish.obj"), {-43.6f, -43.4f, -2.3f}, -2.2f, 8.0f, lifted("Yellow"),
               lifted("Red"), false}};
  const Camera cam = lookingAt({-46.0f, -50.0f, -2.0f}, {-20.0f, -20.0f, -1.0f});
  ASSERT_TRUE(cam.underWater());
  render(s, cam);
  const std::vector<uint8_t> px = qvtest::readPixels(kW, kH);
  qvtest::saveScreenshot("world_env_underwater", px, kW, kH);
  // Far away everything melts into the dimmed water colour (teal: no red).
  int x = 0, y = 0;
  ASSERT_TRUE(project(cam, {0.0f, 4.0f, -3.5f}, x, y));
  const qvtest::Rgb far = qvtest::pixelAt(px, kW, x, y);
  EXPECT_LT(far.r, far.g - 60) << far.r << "," << far.g << "," << far.b;
  // The surface seen from below, above the eye, is water coloured too.
  ASSERT_TRUE(project(cam, {-30.0f, -32.0f, 0.0f}, x, y));
  const qvtest::Rgb surface = qvtest::pixelAt(px, kW, x, y);
  EXPECT_GT(surface.g, surface.r + 40) << surface.r << "," << surface.g << "," << surface.b;
  s.placed.clear();
}

TEST(WorldEnvRender, NightDimsEverything) {
  QV_REQUIRE_GL_CONTEXT();
  if (!dataPresent()) GTEST_SKIP() << "no generated Data/Models";
  Scene& s = scene();
  const Camera cam = lookingAt({-78.0f, -70.0f, 16.0f}, {0.0f, 0.0f, -4.0f});
  s.sun = {0.5f, 0.5f, 0.5f, 1.0f};
  render(s, cam);
  const std::vector<uint8_t> night = qvtest::readPixels(kW, kH);
  s.sun = {1.0f, 1.0f, 1.0f, 1.0f};
  qvtest::saveScreenshot("world_env_night", night, kW, kH);
  render(s, cam);
  const std::vector<uint8_t> day = qvtest::readPixels(kW, kH);
  long long sumNight = 0, sumDay = 0;
  for (size_t i = 0; i < day.size(); i += 4 * 97) {
    sumNight += night[i] + night[i + 1] + night[i + 2];
    sumDay += day[i] + day[i + 1] + day[i + 2];
  }
  EXPECT_LT(sumNight * 2, sumDay);
}

namespace {

struct Blob {
  double cx = 0, cy = 0;
  int count = 0;
  int whiteish = 0;  // eye whites and other bright, unsaturated pixels
};

// Draws one model on black and measures what covers the screen.
Blob drawAlone(Model3D& m, const Camera& cam, Vec3 at, float yaw, Vec2 hudOffset, bool fixedTakesPrimary,
               float alpha = 1.0f) {
  glViewport(0, 0, kW, kH);
  glClearColor(0, 0, 0, 1);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  const Colour red{0.9f, 0.1f, 0.1f, 1.0f};
  m.drawModel({cam.yaw, cam.pitch, cam.position}, kSun, {1, 1, 1, 1}, {1, 1, 1, 1}, at, yaw, 0.0f, 20.0f, red, red,
              false, hudOffset, alpha, fixedTakesPrimary, false);
  const std::vector<uint8_t> px = qvtest::readPixels(kW, kH);
  Blob b;
  for (int y = 0; y < kH; ++y)
    for (int x = 0; x < kW; ++x) {
      const qvtest::Rgb c = qvtest::pixelAt(px, kW, x, y);
      if (c.r + c.g + c.b < 30) continue;
      b.cx += x;
      b.cy += y;
      ++b.count;
      if (c.g > 150 && c.b > 150) ++b.whiteish;
    }
  if (b.count) {
    b.cx /= b.count;
    b.cy /= b.count;
  }
  return b;
}

}  // namespace

TEST(ModelDraw, HudOffsetShiftsByTheSameScreenAmountAtAnyDepth) {
  QV_REQUIRE_GL_CONTEXT();
  if (!dataPresent()) GTEST_SKIP() << "no generated Data/Models";
  setAspectRatio(static_cast<float>(kW) / kH);
  Model3D rock("Rock Round.obj");
  const Camera cam = lookingAt({0.0f, -12.0f, 1.5f}, {0.0f, 0.0f, 1.5f});
  for (float depth : {0.0f, 14.0f}) {
    SCOPED_TRACE(depth);
    const Blob plain = drawAlone(rock, cam, {0.0f, depth, 0.0f}, -kPi / 2, {0.0f, 0.0f}, false);
    const Blob moved = drawAlone(rock, cam, {0.0f, depth, 0.0f}, -kPi / 2, {0.3f, -0.2f}, false);
    ASSERT_GT(plain.count, 200);
    EXPECT_NEAR(moved.count, plain.count, plain.count / 50 + 5);
    // x: 0.3 / aspect of half the width; y: 0.2 of half the height, downwards on screen.
    EXPECT_NEAR(moved.cx - plain.cx, 0.3 / (static_cast<double>(kW) / kH) * kW / 2, 2.0);
    EXPECT_NEAR(moved.cy - plain.cy, 0.2 * kH / 2, 2.0);
  }
}

TEST(ModelDraw, FixedPartTakesThePrimaryColourOnlyWhenAsked) {
  QV_REQUIRE_GL_CONTEXT();
  if (!dataPresent()) GTEST_SKIP() << "no generated Data/Models";
  Model3D rock("Rock With Eyes.obj");
  ASSERT_GT(rock.meshes().indexCount[static_cast<int>(ModelPart::Fixed)], 0);
  // Seen from the front, where the eyes are.
  const Camera cam = lookingAt({12.0f, 0.0f, 2.5f}, {0.0f, 0.0f, 2.0f});
  const Blob own = drawAlone(rock, cam, {0.0f, 0.0f, 0.0f}, 0.0f, {0.0f, 0.0f}, false);
  const Blob forced = drawAlone(rock, cam, {0.0f, 0.0f, 0.0f}, 0.0f, {0.0f, 0.0f}, true);
  std::vector<uint8_t> px = qvtest::readPixels(kW, kH);
  qvtest::saveScreenshot("model_fixed_forced", px, kW, kH);
  EXPECT_GT(own.whiteish, 20);  // the eye whites keep their palette colour
  EXPECT_EQ(forced.whiteish, 0);
  EXPECT_EQ(forced.count, own.count);
  // Half transparent: still there, dimmer (only where faces overlap does a fading
  // model build up past half brightness).
  const Blob faded = drawAlone(rock, cam, {0.0f, 0.0f, 0.0f}, 0.0f, {0.0f, 0.0f}, false, 0.5f);
  EXPECT_LT(faded.whiteish * 5, own.whiteish);
  EXPECT_GT(faded.count, own.count / 2);
}
