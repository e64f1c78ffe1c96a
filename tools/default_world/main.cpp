// Builds the world every new game starts from: an island with hills, a bay
// and an islet, plant colonies with their grazers, a few hunters, rocks, and
// lilies and fish in the shallows; then writes it as an ordinary save file.
//
//   quillon-default-world <output path> [seed]
//
// The models are read from the Data folder beside the program (they give the
// units their sizes, which decide how closely they may stand).
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "core/log.hpp"
#include "core/random.hpp"
#include "core/vecmath.hpp"
#include "persistence/save_game.hpp"
#include "render/palette.hpp"
#include "units/unit.hpp"
#include "units/unit_template.hpp"
#include "units/world.hpp"
#include "world/clouds.hpp"
#include "world/terrain.hpp"

using namespace qv;

namespace {

float gauss(float x, float y, float cx, float cy, float r) {
  const float dx = x - cx, dy = y - cy;
  return std::exp(-(dx * dx + dy * dy) / (r * r));
}

// The island: a wavy coastline around (0, 0), two hills, a shallow bay on the
// south-east side and a small islet in the north-west; the sea floor falls away
// gently so the shallows stay light and the lilies have room.
struct IslandShape : HeightBrush {
  float newHeight(int, int, float x, float y, float, float) const override {
    const float r = std::sqrt(x * x + y * y);
    const float a = std::atan2(y, x);
    const float coast = 50.0f + 6.0f * std::sin(3.0f * a + 0.5f) + 4.0f * std::sin(5.0f * a + 1.3f) +
                        2.0f * std::sin(9.0f * a + 2.1f);
    const float d = r / coast;
    float h = d <= 1.0f ? 6.5f * (1.0f - d * d) - 0.6f : -0.6f - 14.0f * (d - 1.0f);
    // Hills rise from the land only, never out of the sea.
    const float landWeight = std::clamp((1.0f - d) * 4.0f, 0.0f, 1.0f);
    h += landWeight * (9.0f * gauss(x, y, 14.0f, 18.0f, 13.0f) + 5.0f * gauss(x, y, -20.0f, -8.0f, 10.0f));
    // The bay: a shallow dip into the south-east coast.
    h -= 5.5f * gauss(x, y, 30.0f, -30.0f, 11.0f);
    // The islet.
    h = std::max(h, 3.2f - 0.045f * ((x + 62.0f) * (x + 62.0f) + (y - 56.0f) * (y - 56.0f)));
    return std::max(h, -8.0f);
  }
};

TemplatePtr byModel(World& w, const std::string& model) {
  for (const TemplatePtr& t : w.templates.all)
    if (t->modelFileName() == model) return t;
  std::fprintf(stderr, "quillon-default-world: no template for \"%s\"\n", model.c_str());
  std::exit(2);
}


float randIn(float lo, float hi) { return lo + (hi - lo) * rand01(); }

// Tries a few random spots within radius r of (cx, cy) that suit the template
// (its habitat and free space); true when one was placed.
bool scatter(World& w, const TemplatePtr& t, float cx, float cy, float r, float minGround = -100.0f,
             float maxGround = 100.0f) {
  for (int attempt = 0; attempt < 24; ++attempt) {
    const float a = randIn(0.0f, 2.0f * kPi), d = r * std::sqrt(rand01());
    const float x = cx + d * std::cos(a), y = cy + d * std::sin(a);
    if (std::fabs(x) > 80.0f || std::fabs(y) > 80.0f) continue;
    const float g = w.groundHeight(x, y);
    if (g < minGround || g > maxGround) continue;
    if (t->habitat == Unit3DTemplate::kLand && g < 0.35f) continue;
    if (t->habitat == Unit3DTemplate::kWater && g > -0.4f) continue;
    const Vec3 p{x, y, w.standingHeight(*t, x, y)};
    if (!w.placementValid(*t, p)) continue;
    if (w.placeUnitOf(t, p, randIn(0.0f, 2.0f * kPi), false)) return true;
  }
  return false;
}

// A land point of the island with ground between lo and hi, near (cx, cy).
bool findLand(World& w, float cx, float cy, float r, float lo, float hi, float& x, float& y) {
  for (int attempt = 0; attempt < 200; ++attempt) {
    const float a = randIn(0.0f, 2.0f * kPi), d = r * std::sqrt(rand01());
    x = cx + d * std::cos(a);
    y = cy + d * std::sin(a);
    const float g = w.groundHeight(x, y);
    if (g >= lo && g <= hi && w.slopeAt(x, y) < 0.6f) return true;
  }
  return false;
}

void setRelations(World& w) {
  auto t = [&](const char* m) { return byModel(w, m); };
  // Rocks and crystals stand for ever and keep the ground's own colour.
  for (const char* rock : {"Rock Square.obj", "Rock with Plates.obj", "Rock Tall Flat.obj", "Rock with Cutout.obj",
                           "Large Crystal with Base.obj", "3 Pentagonal Crystals.obj"}) {
    TemplatePtr r = t(rock);
    r->lifespan = 3;
    r->breeds = false;
    r->startsAsBaby = false;
    r->colourGround = Unit3DTemplate::kGroundNone;
    r->habitat = Unit3DTemplate::kLand;
  }
  // Every plant lives on land, except the floating lily. Plants tint the
  // ground around them in soft meadow colours rather than their own blossoms,
  // so colonies read as lusher patches of the island instead of a patchwork.
  const std::vector<Colour> meadow = {*paletteColour("Green"), *paletteColour("DarkYellow")};
  const std::vector<Colour> blossom = {*paletteColour("LightMagenta"), *paletteColour("Green")};
  for (const TemplatePtr& p : w.templates.assigned) {
    if (!p->stationary() || p->colourGround == Unit3DTemplate::kGroundNone) continue;
    p->habitat = Unit3DTemplate::kLand;
    p->colourGround = Unit3DTemplate::kGroundOther;
    const std::string& m = p->modelFileName();
    const bool flowering = m == "Double Tuliplike Plant.obj" || m == "Pointy Mushroom Like Tree.obj" ||
                           m == "Plant with Twisted Stem.obj";
    p->groundColourOptions = flowering ? blossom : meadow;
  }
  // Trees stand tall over the undergrowth; creatures stay small enough to wander between them.
  const std::pair<const char*, float> sizes[] = {
      {"Crystal Top Tree.obj", 2.5f},     {"Pointy Tree Trunk.obj", 2.5f},
      {"Cup Tree.obj", 2.0f},             {"Hook Shaped Tree.obj", 2.0f},
      {"Mushroom Tree.obj", 2.0f},        {"Egg Tree Large Base.obj", 2.0f},
      {"Pointy Mushroom Like Tree.obj", 2.0f},
      {"Tree with Sphere and Thick Branch Loop.obj", 2.5f},
      {"Pointy Tree with Plates.obj", 2.5f},
      {"Pointy Tree Trunk that Splits.obj", 2.5f},
      {"Tree with Large Base and Multiple Trunks.obj", 3.0f},
      {"Spike Plant With Eye.obj", 1.5f}, {"Tube Plant.obj", 1.5f},
      {"Pentagon Plant.obj", 1.5f},       {"Berry.obj", 1.5f},
      {"Double Tuliplike Plant.obj", 1.5f},
      {"Empty Lolypop Plant.obj", 1.5f},  {"2 Cylinder Alien Cactus with Spikes.obj", 1.5f},
      {"Plant with Twisted Stem.obj", 1.5f},
      {"Pear Shaped Rock Plant.obj", 1.5f},
      {"Lily Pineapple.obj", 2.0f},
      {"Rock Square.obj", 2.0f},          {"Rock with Plates.obj", 2.0f},
      {"Rock Tall Flat.obj", 2.5f},       {"Rock with Cutout.obj", 2.0f},
      {"Large Crystal with Base.obj", 2.5f},
      {"3 Pentagonal Crystals.obj", 2.0f},
      {"Ostrichlike.obj", 1.5f},          {"Ant Eater Elephant Like Creature.obj", 1.5f},
      {"2 Finned Swordfish.obj", 1.5f},   {"Turtlelike.obj", 1.5f},
  };
  for (const auto& [model, size] : sizes) t(model)->size = size;
  TemplatePtr lily = t("Lily Pineapple.obj");
  lily->habitat = Unit3DTemplate::kWater;
  lily->floatsInWater = true;
  // Lily rafts tint the sea floor beneath them only faintly.
  lily->groundColourOptions = {*paletteColour("Teal")};

  struct Diet {
    const char* eater;
    int habitat;
    int sleeps;
    std::vector<const char*> eats;
    std::vector<const char*> likes;
  };
  const std::vector<Diet> diets = {
      // Grazers: each likes and eats the plants of its own colonies.
      {"Little Bug.obj", Unit3DTemplate::kLand, Unit3DTemplate::kNeverSleeps,
       {"Mushroom Tree.obj", "Berry.obj", "Cup Tree.obj"}, {"Mushroom Tree.obj", "Berry.obj"}},
      {"Chickenlike.obj", Unit3DTemplate::kLand, Unit3DTemplate::kSleepsByNight,
       {"Berry.obj", "Double Tuliplike Plant.obj", "Egg Tree Large Base.obj"}, {"Egg Tree Large Base.obj"}},
      {"Snail Like Creature.obj", Unit3DTemplate::kLand, Unit3DTemplate::kSleepsByDay,
       {"Spike Plant With Eye.obj", "Tube Plant.obj", "Pentagon Plant.obj"}, {"Tube Plant.obj"}},
      {"Three Legged One Eyed Creature.obj", Unit3DTemplate::kLand, Unit3DTemplate::kNeverSleeps,
       {"Cup Tree.obj", "Hook Shaped Tree.obj"}, {"Hook Shaped Tree.obj", "Cup Tree.obj"}},
      {"Ostrichlike.obj", Unit3DTemplate::kLand, Unit3DTemplate::kSleepsByNight,
       {"Pointy Tree with Plates.obj", "Tree with Sphere and Thick Branch Loop.obj"},
       {"Tree with Sphere and Thick Branch Loop.obj"}},
      {"Box Head Creature.obj", Unit3DTemplate::kLand, Unit3DTemplate::kNeverSleeps,
       {"Plant with Twisted Stem.obj", "Pear Shaped Rock Plant.obj"}, {"Pear Shaped Rock Plant.obj"}},
      {"Rock With Eyes.obj", Unit3DTemplate::kLand, Unit3DTemplate::kSleepsByDay,
       {"Empty Lolypop Plant.obj", "2 Cylinder Alien Cactus with Spikes.obj"},
       {"3 Pentagonal Crystals.obj", "Empty Lolypop Plant.obj"}},
      {"Hovering Creature.obj", Unit3DTemplate::kLand, Unit3DTemplate::kNeverSleeps,
       {"Crystal Top Tree.obj", "Pointy Mushroom Like Tree.obj"}, {"Crystal Top Tree.obj"}},
      // Shore dwellers graze the lilies and the tulips by the water.
      {"Ducklike Creature.obj", Unit3DTemplate::kBoth, Unit3DTemplate::kSleepsByNight, {"Lily Pineapple.obj"},
       {"Lily Pineapple.obj"}},
      {"Turtlelike.obj", Unit3DTemplate::kBoth, Unit3DTemplate::kNeverSleeps,
       {"Lily Pineapple.obj", "Double Tuliplike Plant.obj"}, {"Lily Pineapple.obj"}},
      // Fish under the lilies.
      {"One Eyed Fishlike Creature.obj", Unit3DTemplate::kWater, Unit3DTemplate::kNeverSleeps,
       {"Lily Pineapple.obj"}, {"Lily Pineapple.obj"}},
      {"Fish Flat Triangular.obj", Unit3DTemplate::kWater, Unit3DTemplate::kSleepsByDay, {"Lily Pineapple.obj"},
       {"Lily Pineapple.obj"}},
      // Hunters follow their prey's plants.
      {"2 Finned Swordfish.obj", Unit3DTemplate::kWater, Unit3DTemplate::kNeverSleeps,
       {"One Eyed Fishlike Creature.obj", "Fish Flat Triangular.obj"}, {"Lily Pineapple.obj"}},
      {"3 Legged Spider Like.obj", Unit3DTemplate::kLand, Unit3DTemplate::kSleepsByDay,
       {"Little Bug.obj", "Snail Like Creature.obj"}, {"Mushroom Tree.obj", "Tube Plant.obj"}},
      {"Ant Eater Elephant Like Creature.obj", Unit3DTemplate::kLand, Unit3DTemplate::kNeverSleeps,
       {"Little Bug.obj", "Three Legged One Eyed Creature.obj"}, {"Cup Tree.obj"}},
  };
  for (const Diet& d : diets) {
    TemplatePtr e = t(d.eater);
    e->habitat = d.habitat;
    e->sleeps = d.sleeps;
    e->eats.clear();
    e->likes.clear();
    for (const char* m : d.eats) e->eats.push_back(t(m));
    for (const char* m : d.likes) e->likes.push_back(t(m));
  }
  // Hunters are few and breed slowly, so the grazers hold their own.
  for (const char* hunter : {"2 Finned Swordfish.obj", "3 Legged Spider Like.obj",
                             "Ant Eater Elephant Like Creature.obj"}) {
    TemplatePtr h = t(hunter);
    h->breedFrequency = 0;
    h->hunger = 0;
  }
}

struct Colony {
  std::vector<const char*> plants;
  const char* grazer;
  int grazers;
};

void populate(World& w) {
  // Land colonies: a few plant kinds each, with their grazers among them.
  const std::vector<Colony> colonies = {
      {{"Mushroom Tree.obj", "Berry.obj"}, "Little Bug.obj", 6},
      {{"Cup Tree.obj", "Hook Shaped Tree.obj"}, "Three Legged One Eyed Creature.obj", 4},
      {{"Egg Tree Large Base.obj", "Double Tuliplike Plant.obj", "Berry.obj"}, "Chickenlike.obj", 5},
      {{"Tube Plant.obj", "Spike Plant With Eye.obj", "Pentagon Plant.obj"}, "Snail Like Creature.obj", 5},
      {{"Tree with Sphere and Thick Branch Loop.obj", "Pointy Tree with Plates.obj"}, "Ostrichlike.obj", 3},
      {{"Pear Shaped Rock Plant.obj", "Plant with Twisted Stem.obj"}, "Box Head Creature.obj", 4},
      {{"Empty Lolypop Plant.obj", "2 Cylinder Alien Cactus with Spikes.obj"}, "Rock With Eyes.obj", 3},
      {{"Crystal Top Tree.obj", "Pointy Mushroom Like Tree.obj"}, "Hovering Creature.obj", 4},
      {{"Mushroom Tree.obj", "Cup Tree.obj", "Tube Plant.obj"}, "Little Bug.obj", 5},
      {{"Tree with Large Base and Multiple Trunks.obj", "Pointy Tree Trunk.obj",
        "Pointy Tree Trunk that Splits.obj"},
       "Chickenlike.obj", 3},
      {{"Double Tuliplike Plant.obj", "Egg Tree Large Base.obj"}, "Turtlelike.obj", 3},
      {{"Berry.obj", "Hook Shaped Tree.obj", "Cup Tree.obj"}, "Three Legged One Eyed Creature.obj", 4},
      {{"Crystal Top Tree.obj", "Tube Plant.obj", "Pentagon Plant.obj"}, "Snail Like Creature.obj", 3},
      {{"Pointy Mushroom Like Tree.obj", "Mushroom Tree.obj"}, "Hovering Creature.obj", 3},
  };
  // Colony centres around the island in a ring and on the hills, so the
  // corner view and the walk along the shore both meet life.
  const Vec2 centres[] = {{-30.0f, -28.0f}, {-8.0f, -32.0f}, {12.0f, -20.0f}, {-34.0f, 6.0f},  {-14.0f, 12.0f},
                          {4.0f, 2.0f},     {30.0f, 2.0f},   {22.0f, 28.0f},  {-4.0f, 34.0f},  {-28.0f, 28.0f},
                          {40.0f, -14.0f},  {-18.0f, -12.0f}, {8.0f, 20.0f},  {-40.0f, -12.0f}};
  int k = 0;
  for (const Colony& c : colonies) {
    float cx = 0, cy = 0;
    const Vec2 want = centres[k++ % 14];
    if (!findLand(w, want.x, want.y, 6.0f, 0.8f, 14.0f, cx, cy)) continue;
    const int plants = 18 + randInt() % 8;
    for (int i = 0; i < plants; ++i) scatter(w, byModel(w, c.plants[i % c.plants.size()]), cx, cy, 6.0f);
    for (int i = 0; i < c.grazers; ++i) scatter(w, byModel(w, c.grazer), cx, cy, 4.0f);
  }
  // A few hunters at the edges of the colonies of their prey.
  for (int i = 0; i < 3; ++i) scatter(w, byModel(w, "3 Legged Spider Like.obj"), centres[0].x, centres[0].y, 12.0f);
  for (int i = 0; i < 2; ++i) scatter(w, byModel(w, "3 Legged Spider Like.obj"), centres[8].x, centres[8].y, 12.0f);
  for (int i = 0; i < 2; ++i)
    scatter(w, byModel(w, "Ant Eater Elephant Like Creature.obj"), centres[1].x, centres[1].y, 12.0f);
  scatter(w, byModel(w, "Ant Eater Elephant Like Creature.obj"), centres[11].x, centres[11].y, 12.0f);

  // Rocks and crystals in small outcrops on the slopes.
  const std::vector<const char*> rocks = {"Rock Square.obj", "Rock with Plates.obj", "Rock Tall Flat.obj",
                                          "Rock with Cutout.obj", "Large Crystal with Base.obj",
                                          "3 Pentagonal Crystals.obj"};
  const Vec2 outcrops[] = {{14.0f, 18.0f}, {-20.0f, -8.0f}, {-44.0f, 18.0f}, {36.0f, 16.0f}, {-62.0f, 56.0f}};
  int kind = 0;
  for (const Vec2& o : outcrops)
    for (int i = 0; i < 5; ++i) scatter(w, byModel(w, rocks[kind++ % rocks.size()]), o.x, o.y, 5.0f, 0.4f);

  // The shallows: lily rafts off the coast and in the bay, fish beneath them,
  // ducks and turtles at the water's edge.
  TemplatePtr lily = byModel(w, "Lily Pineapple.obj");
  const Vec2 rafts[] = {{30.0f, -30.0f}, {-50.0f, -38.0f}, {-58.0f, 4.0f}, {48.0f, 32.0f}, {6.0f, -56.0f}};
  for (const Vec2& r : rafts) {
    for (int i = 0; i < 14; ++i) scatter(w, lily, r.x, r.y, 8.0f, -3.5f, -0.4f);
    for (int i = 0; i < 3; ++i) scatter(w, byModel(w, "One Eyed Fishlike Creature.obj"), r.x, r.y, 8.0f, -6.0f, -0.6f);
    for (int i = 0; i < 2; ++i) scatter(w, byModel(w, "Fish Flat Triangular.obj"), r.x, r.y, 8.0f, -6.0f, -0.6f);
    scatter(w, byModel(w, "Ducklike Creature.obj"), r.x, r.y, 12.0f, -1.5f, 1.5f);
  }
  for (int i = 0; i < 2; ++i) scatter(w, byModel(w, "2 Finned Swordfish.obj"), rafts[1].x, rafts[1].y, 12.0f, -7.0f, -1.0f);
  scatter(w, byModel(w, "2 Finned Swordfish.obj"), rafts[3].x, rafts[3].y, 12.0f, -7.0f, -1.0f);
  for (int i = 0; i < 3; ++i) scatter(w, byModel(w, "Turtlelike.obj"), rafts[0].x, rafts[0].y, 12.0f, -1.5f, 1.5f);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: quillon-default-world <output .sav> [seed]\n");
    return 1;
  }
  const std::string out = argv[1];
  const unsigned seed = argc > 2 ? static_cast<unsigned>(std::strtoul(argv[2], nullptr, 10)) : 20261206u;

  World::Options options;
  options.water = false;
  options.sky = false;
  World w(options);
  // The terrain seeded the generator for its jitter; the rest is ours to fix,
  // so the shipped world is the same on every build.
  rng::seed(seed);
  w.terrain->reshapeWith({0.0f, 0.0f}, 200.0f, IslandShape{});

  const char* rows[4] = {"Blue", "Green", "Teal", "White"};
  for (int r = 0; r < 4; ++r) {
    w.colours.checkedSwatch[r] = paletteIndex(rows[r]);
    w.colours.row[r] = *paletteColour(rows[r]);
  }
  w.applyWorldColours();

  createDefaultTemplates(w.templates);
  // Without the models every unit would be a point and the colonies would be
  // packed far too densely: refuse rather than ship such a world.
  for (const TemplatePtr& t : w.templates.all)
    if (t->modelRadiusMax() <= 0.0f) {
      std::fprintf(stderr, "quillon-default-world: model \"%s\" could not be read (generate the Data folder first)\n",
                   t->modelFileName().c_str());
      return 3;
    }
  setRelations(w);
  populate(w);
  if (w.clouds && w.clouds->clouds.empty()) w.clouds->spawnClouds(false);

  if (!writeSaveFile(w, out, todaysSaveDate())) {
    std::fprintf(stderr, "quillon-default-world: cannot write \"%s\"\n", out.c_str());
    return 1;
  }
  std::printf("quillon-default-world: %zu units, %zu templates, %zu clouds -> %s\n", w.unitCount(),
              w.templates.assigned.size(), w.clouds ? w.clouds->clouds.size() : size_t{0}, out.c_str());
  return 0;
}
