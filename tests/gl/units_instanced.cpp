// Units drawn in a few instanced draws must look exactly like units drawn one by
// one with the model's own draw (kept here only as the reference), whatever their
// state: on land, floating, bitten, fading in and out, asleep, under the eraser,
// half off screen, seen from above or from under water. Detail levels are then
// allowed to change only small distant units, and only slightly.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "core/random.hpp"
#include "platform/platform.hpp"
#include "render/model_batch.hpp"
#include "render/palette.hpp"
#include "support/gl_world_helpers.hpp"
#include "units/unit.hpp"
#include "units/unit_drawing.hpp"
#include "units/world.hpp"
#include "world/water.hpp"

using namespace qv;
using namespace qvtest;

namespace {

constexpr int kW = 1280, kH = 720;


// The one-by-one path: every unit in the game's order through Model3D::drawModel.
void drawOneByOne(World& w, const Camera& cam, const UnitDrawLight& l, const UnitDrawEraser& e) {
  auto one = [&](const Unit3D& u) {
    const bool lit = e.active && u.withinReach(e.groundPoint, e.size);
    u.unitTemplate->model->drawModel({cam.yaw, cam.pitch, cam.position}, l.sunPosition, l.waterColour, l.sunColour,
                                     u.drawPosition(), u.yaw + u.animYaw, u.animRoll, u.drawScale(), u.primaryColour,
                                     u.secondaryColour, u.hit || lit, {0.0f, 0.0f}, u.drawAlpha(), u.asleep,
                                     l.cameraUnderWater);
  };
  w.grid.forEachNear(0.0f, 0.0f, -1.0f, [&](const Unit3D& u) { if (u.fadeIn <= 0.0f) one(u); });
  for (const auto* list : {&w.dying, &w.newUnits})
    for (const auto& u : *list) one(*u);
}

enum class Path { OneByOne, Batched, BatchedWithLod };

struct Scene {
  std::unique_ptr<World> world;
  UnitDrawEraser eraser;
  std::shared_ptr<Unit3D> dying, fadingIn, bitten, sleeper;
};

Scene& scene() {
  static Scene s;
  if (s.world) return s;
  setAspectRatio(static_cast<float>(kW) / kH);
  World::Options o;
  o.sky = o.clouds = false;
  s.world = std::make_unique<World>(o);
  World& w = *s.world;
  w.terrain->reshapeWith({0.0f, 0.0f}, 200.0f, DomeIsland(0, 0, 3.0f, 30.0f, -2.5f));
  w.colours.row[WorldColours::kWater] = *paletteColour("Teal");
  w.applyWorldColours();
  rng::seed(77);
  createDefaultTemplates(w.templates);
  auto place = [&](const char* model, float x, float y) {
    auto t = findTemplate(w, model);
    const float g = w.groundHeight(x, y);
    return w.placeUnitOf(t, {x, y, (g <= 0.0f && t->floatsInWater) ? 0.0f : g}, rand01() * 6.28f, false);
  };
  auto dying = [&](std::shared_ptr<Unit3D> u, float deadTime) {
    w.grid.remove(*u);
    u->health = 0.0f;
    u->deadTime = deadTime;
    return w.dying.emplace_back(u);
  };
  // A field of mixed units on land, floaters in the shallows, a few far away.
  const char* land[] = {"Mushroom Tree.obj", "Cup Tree.obj", "Little Bug.obj", "3 Legged Spider Like.obj",
                        "Rock With Eyes.obj", "Chickenlike.obj", "Berry.obj", "Ostrichlike.obj"};
  for (int i = 0; i < 64; ++i) place(land[i % 8], -2.1f + 0.6f * static_cast<float>(i % 8), -7.4f + 0.45f * static_cast<float>(i / 8));
  for (int i = 0; i < 12; ++i) place(i % 2 ? "One Eyed Fishlike Creature.obj" : "Lily Pineapple.obj", 32.0f + 0.6f * static_cast<float>(i % 6), -0.5f + 0.8f * static_cast<float>(i / 6));
  for (int i = 0; i < 40; ++i) place(land[i % 8], -25.0f + 1.3f * static_cast<float>(i), 22.0f - 0.4f * static_cast<float>(i));
  s.bitten = place("Little Bug.obj", 0.3f, -8.2f);
  s.bitten->hit = true;
  s.bitten->primaryColour = *paletteColour("Yellow");  // so red on it is the flash
  s.bitten->secondaryColour = *paletteColour("White");
  s.sleeper = place("Chickenlike.obj", -0.6f, -8.3f);
  s.sleeper->asleep = true;
  place("Rock With Eyes.obj", 1.2f, -8.3f);
  s.eraser = {true, {1.2f, -8.3f}, 0.1f};
  s.fadingIn = place("Ostrichlike.obj", -1.5f, -8.2f);
  s.fadingIn->fadeIn = 0.55f;
  w.newUnits.push_back(s.fadingIn);
  s.dying = dying(place("Mushroom Tree.obj", -0.15f, -8.8f), 0.4f);
  dying(place("One Eyed Fishlike Creature.obj", 33.2f, -1.0f), 0.7f);  // a dying floater too, over the water
  w.timeOfDay = 120.0f;
  w.updateLight();
  return s;
}

std::vector<uint8_t> shoot(const Camera& cam, Path path, const char* name, ModelBatch::Stats* stats = nullptr) {
  Scene& s = scene();
  World& w = *s.world;
  const bool under = cam.underWater();
  const Colour water = w.waterColour(), horizon = w.skyHorizonColour();
  const UnitDrawLight light{World::kSunPosition, water, w.sunColour, under};
  const auto draw = [&] {
    glEnable(GL_DEPTH_TEST);
    w.terrain->draw(cam, World::kSunPosition, water, w.sunColour, horizon, {}, kToolCircleNone, 0.0f, under);
    if (path == Path::OneByOne) {
      drawOneByOne(w, cam, light, s.eraser);
    } else {
      drawUnits(w, cam, light, s.eraser, unitBatch(), path == Path::BatchedWithLod);
      if (stats) *stats = unitBatch().stats();
    }
    w.water->draw(cam, World::kSunPosition, w.sunColour, horizon, w.wavePhase, false, {}, 0.0f, under);
  };
  return capture(kW, kH, w.clearColour, draw, name);
}

// Pixels whose channels differ by more than `tolerance` in sum.
int differing(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b, int tolerance) {
  const auto differs = [&](int x, int y) { return diff(pixelAt(a, kW, x, y), pixelAt(b, kW, x, y)) > tolerance; };
  return countWhere(0, 0, kW, kH, 1, differs);
}

int reds(const std::vector<uint8_t>& a) {
  return countWhere(0, 0, kW, kH, 1, [&](int x, int y) {
    const Rgb c = pixelAt(a, kW, x, y);
    return c.r > 60 && c.r > 2 * c.g + 20 && c.r > 2 * c.b + 20;
  });
}

TEST(UnitsInstanced, BatchedUnitsMatchUnitsDrawnOneByOneAndDetailLevelsChangeOnlySmallDistantOnes) {
  QV_REQUIRE_GL_CONTEXT();
  if (!std::filesystem::exists(platform::dataPath("Models", "Little Bug.obj"))) GTEST_SKIP() << "no Data/Models";
  // Close over the field (units cut by every screen edge), over the shallows, from
  // under the water, and wide over the island.
  const struct { const char* name; Vec3 eye, target; } views[] = {
      {"field", {0.0f, -10.5f, 3.9f}, {0.0f, -6.5f, 2.9f}}, {"shallows", {33.5f, -3.5f, 1.0f}, {33.5f, 0.0f, 0.0f}},
      {"under_water", {33.0f, -2.5f, -0.3f}, {33.5f, 0.5f, -0.1f}}, {"island", {-30.0f, -45.0f, 30.0f}, {0.0f, 0.0f, 0.0f}}};
  for (const auto& v : views) {
    SCOPED_TRACE(v.name);
    const Camera cam = lookingAt(v.eye, v.target);
    const auto ref = shoot(cam, Path::OneByOne, (std::string("units_one_by_one_") + v.name).c_str());
    const auto got = shoot(cam, Path::Batched, (std::string("units_batched_") + v.name).c_str());
    EXPECT_LE(differing(ref, got, 6), 20) << "batched units differ from the one-by-one picture";
  }

  // Detail levels change only small distant units, and only slightly: from the default
  // pose (held to the world's limits as the game does) and not at all close up.
  Camera cam;
  cam.update(0.0f, scene().world->terrain.get());
  ModelBatch::Stats full, lod;
  const auto a = shoot(cam, Path::Batched, "units_lod_off", &full);
  const auto b = shoot(cam, Path::BatchedWithLod, "units_lod_on", &lod);
  EXPECT_LT(lod.triangles, full.triangles / 2) << "distant units keep their full meshes";
  EXPECT_LE(differing(a, b, 24), 150);
  const Camera near = lookingAt({0.0f, -9.0f, 5.5f}, {0.0f, -6.5f, 2.9f});
  EXPECT_LE(differing(shoot(near, Path::Batched, "units_near_lod_off"), shoot(near, Path::BatchedWithLod, "units_near_lod_on"), 6), 20);
}

TEST(UnitsInstanced, EveryStateShowsInTheBatchedPicture) {
  QV_REQUIRE_GL_CONTEXT();
  if (!std::filesystem::exists(platform::dataPath("Models", "Little Bug.obj"))) GTEST_SKIP() << "no Data/Models";
  Scene& s = scene();
  const Camera cam = lookingAt({0.0f, -10.5f, 3.9f}, {0.0f, -7.0f, 2.9f});
  // Clearing each state must change the picture where that unit stands: the batch
  // really carries the flash, the sleep colouring, the eraser and both fades.
  const auto before = shoot(cam, Path::Batched, nullptr);
  const struct { const char* what; std::function<void(bool)> set; } cases[] = {
      {"hit", [&](bool on) { s.bitten->hit = on; }}, {"asleep", [&](bool on) { s.sleeper->asleep = on; }},
      {"eraser", [&](bool on) { s.eraser.active = on; }}, {"fade in", [&](bool on) { s.fadingIn->fadeIn = on ? 0.55f : 0.0f; }},
      {"fade out", [&](bool on) { s.dying->deadTime = on ? 0.4f : 0.0f; }}};
  for (const auto& c : cases) {
    c.set(false);
    const auto after = shoot(cam, Path::Batched, nullptr);
    c.set(true);
    EXPECT_GT(differing(before, after, 30), 40) << c.what;
    if (c.what[0] == 'h') EXPECT_GT(reds(before), reds(after) + 40) << "a bitten unit flashes red";
  }
}

}  // namespace
