// Units drawn in a live world: a grazed plant colony on land with its painted
// ground, creatures floating in the shallows, and a bitten unit flashing red.
#include <gtest/gtest.h>

#include <filesystem>

#include "core/log.hpp"
#include "core/random.hpp"
#include "platform/platform.hpp"
#include "render/palette.hpp"
#include "support/gl_world_helpers.hpp"
#include "units/unit.hpp"
#include "units/unit_drawing.hpp"
#include "units/world.hpp"
#include "world/clouds.hpp"
#include "world/sky.hpp"
#include "world/water.hpp"

using namespace qv;
using namespace qvtest;

namespace {

constexpr int kW = 1280, kH = 720;

#define REQUIRE_GL_AND_DATA()                                                              \
  QV_REQUIRE_GL_CONTEXT();                                                                 \
  if (!std::filesystem::exists(platform::dataPath("Models", "Little Bug.obj"))) GTEST_SKIP() << "no Data/Models"

Colour named(const char* n) { return *paletteColour(n); }

// The gameplay scene's world draw, in its order.
void render(World& w, const Camera& cam) {
  const bool under = cam.underWater();
  const Colour horizon = w.skyHorizonColour(), water = w.waterColour();
  w.skyHorizon->draw(cam, w.sunColour);
  w.terrain->draw(cam, World::kSunPosition, water, w.sunColour, horizon, {}, kToolCircleNone, 0.0f, under);
  w.clouds->drawClouds(cam, w.sunColour);
  drawUnits(w, cam, {World::kSunPosition, water, w.sunColour, under}, {}, unitBatch());
  w.waterSkyEdge->draw(cam, water, w.sunColour, horizon, under);
  w.water->draw(cam, World::kSunPosition, w.sunColour, horizon, w.wavePhase, false, {}, 0.0f, under);
}
std::vector<uint8_t> shoot(World& w, const Camera& cam, const char* name) {
  return capture(kW, kH, w.clearColour, [&] { render(w, cam); }, name);
}
bool project(const Camera& cam, Vec3 p, int& px, int& py) { return qvtest::project(cam, p, kW, kH, px, py); }

struct Shots {
  std::unique_ptr<World> world;
  std::shared_ptr<Unit3D> bitten;
};

Shots& shots() {
  static Shots s;
  if (s.world) return s;
  setAspectRatio(static_cast<float>(kW) / kH);
  s.world = std::make_unique<World>();
  World& w = *s.world;
  w.terrain->reshapeWith({0.0f, 0.0f}, 200.0f, DomeIsland(0, 0, 3.0f, 30.0f, -2.5f));
  const std::pair<int, const char*> colours[] = {
      {WorldColours::kLand, "DarkYellow"}, {WorldColours::kWater, "Teal"},
      {WorldColours::kSky, "Blue"}, {WorldColours::kCloud, "White"}};
  for (const auto& [row, name] : colours) w.colours.row[row] = named(name);
  w.applyWorldColours();
  rng::seed(1234);
  createDefaultTemplates(w.templates);
  auto mushroom = findTemplate(w, "Mushroom Tree.obj"), cup = findTemplate(w, "Cup Tree.obj");
  auto bug = findTemplate(w, "Little Bug.obj"), spider = findTemplate(w, "3 Legged Spider Like.obj");
  auto fish = findTemplate(w, "One Eyed Fishlike Creature.obj"), lily = findTemplate(w, "Lily Pineapple.obj");
  bug->eats = {mushroom, cup};
  spider->eats = {bug};
  fish->habitat = lily->habitat = Unit3DTemplate::kWater;
  fish->eats = {lily};
  auto place = [&](const TemplatePtr& t, float x, float y) {
    const float g = w.groundHeight(x, y);
    return w.placeUnitOf(t, {x, y, (g <= 0.0f && t->floatsInWater) ? 0.0f : g}, rand01() * 6.28f, false);
  };
  // A mushroom colony grown from one founder, with cup trees beside it.
  place(mushroom, 2.0f, 2.0f);
  place(cup, -4.0f, 3.5f);
  for (int i = 0; i < 240; ++i) w.step(0.05f, 1.0f);
  // Creatures among the plants, and a fish shoal with lilies in the shallows.
  for (int i = 0; i < 5; ++i) place(bug, 0.5f + 0.7f * i, 0.2f + 0.4f * (i % 2));
  place(spider, -1.0f, 0.0f);
  for (int i = 0; i < 4; ++i) place(fish, 33.5f + 0.8f * i, 0.5f * (i % 2));  // floaters in the shallows
  for (int i = 0; i < 3; ++i) place(lily, 34.0f + 1.2f * i, 2.0f);
  for (int i = 0; i < 40; ++i) w.step(0.05f, 0.25f);
  s.bitten = place(bug, 1.5f, -3.0f);
  s.bitten->yaw = 2.5f;
  s.bitten->primaryColour = named("Yellow");  // so any red on it is the flash
  s.bitten->secondaryColour = named("White");
  w.step(0.05f, 0.05f);
  // Mid-morning light for the pictures.
  w.timeOfDay = 120.0f;
  w.updateLight();
  w.terrain->fadeGroundColours(1000.0f);
  return s;
}

TEST(UnitsRender, PlantColonyPaintsTheGroundAndCreaturesStandOnIt) {
  REQUIRE_GL_AND_DATA();
  LogCapture log;
  Shots& s = shots();
  World& w = *s.world;
  EXPECT_GT(w.unitCount(), 15u);
  EXPECT_FALSE(log.contains("ERROR")) << log.text();
  shoot(w, lookingAt({-1.0f, -9.0f, 6.5f}, {0.5f, 1.5f, 2.0f}), "units_land");
  // From above, painted ground under the colony differs from bare land far from it.
  const Camera above = lookingAt({0.0f, -16.0f, 18.0f}, {0.0f, 1.0f, 1.5f});
  const auto px = shoot(w, above, "units_colony");
  int ax, ay, bx, by;
  ASSERT_TRUE(project(above, {2.0f, 2.0f, w.groundHeight(2.0f, 2.0f)}, ax, ay));
  ASSERT_TRUE(project(above, {12.0f, -8.0f, w.groundHeight(12.0f, -8.0f)}, bx, by));
  const auto painted = qvtest::pixelAt(px, kW, ax, ay), bare = qvtest::pixelAt(px, kW, bx, by);
  EXPECT_GT(diff(painted, bare), 30);
  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST(UnitsRender, ABittenUnitFlashesRed) {
  REQUIRE_GL_AND_DATA();
  Shots& s = shots();
  World& w = *s.world;
  auto& u = s.bitten;
  const Vec3 c = u->drawPosition() + Vec3{0.0f, 0.0f, 0.06f};
  const Camera cam = lookingAt(c + Vec3{-0.35f, -0.55f, 0.35f}, c);
  int x, y;
  ASSERT_TRUE(project(cam, c, x, y));
  u->hit = false;
  const auto calm = shoot(w, cam, "units_hit_before");
  std::make_shared<Unit3D>(findTemplate(w, "3 Legged Spider Like.obj"))->bite(*u);  // the flash and the little hop
  ASSERT_TRUE(u->hit);
  const auto red = shoot(w, cam, "units_hit");
  // Count clearly red pixels around the unit in both pictures.
  auto reds = [&](const std::vector<uint8_t>& p) {
    return countWhere(x - 60, y - 60, x + 61, y + 61, 1, [&](int px, int py) {
      const auto c = qvtest::pixelAt(p, kW, std::clamp(px, 0, kW - 1), std::clamp(py, 0, kH - 1));
      return c.r > 60 && c.r > 2 * c.g + 20 && c.r > 2 * c.b + 20;
    });
  };
  EXPECT_GT(reds(red), reds(calm) + 200);
  // The flash ends after a simulated second.
  for (int i = 0; i < 25; ++i) w.step(0.05f, 0.05f);
  EXPECT_FALSE(u->hit);
}

}  // namespace
