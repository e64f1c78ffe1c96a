// The save file: a world written and read back is the same world; old, newer,
// missing and damaged files give their result codes and keep what they can.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>
#include <set>
#include <sstream>
#include <tuple>

#include <signal.h>
#if !GTEST_OS_WINDOWS
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include "app/settings.hpp"
#include "core/log.hpp"
#include "core/random.hpp"
#include "persistence/save_game.hpp"
#include "platform/platform.hpp"
#include "render/palette.hpp"
#include "unit/units/units_fixture.hpp"
#include "world/clouds.hpp"

using namespace qv;
namespace fs = std::filesystem;

namespace {

// The shipped models when the Data folder was generated beside the tests,
// stand-ins under the same names otherwise. Decided once: models are shared by
// file name for the whole run.
void useDefaultModels() {
  static const bool real = [] {
    qvtest::useTestData();
    const fs::path models = fs::path(qvtest::realProgramFolder()) / "Data" / "Models";
    const fs::path mine = fs::path(qvtest::unitsTestFolder()) / "Data" / "Models";
    const bool all = std::ranges::all_of(defaultTemplateModelNames(), [&](const auto& n) { return fs::exists(models / n); });
    for (const auto& n : defaultTemplateModelNames())
      if (!all && !fs::exists(mine / n)) fs::copy_file(mine / "UnitsTest Flat.obj", mine / n);
    return all;
  }();
  platform::overrideProgramFolder(real ? qvtest::realProgramFolder() : qvtest::unitsTestFolder());
}

std::string userFolder() {
  static const fs::path p = fs::temp_directory_path() / ("qv_save_test_" + std::to_string(::getpid()));
  fs::create_directories(p);
  return p.string() + "/";
}

struct Island : HeightBrush {
  float newHeight(int, int, float x, float y, float, float) const override {
    return std::max(6.0f * (1.0f - (x * x + y * y) / 1600.0f), -5.0f) + 0.013f * x;
  }
};

std::unique_ptr<World> emptyWorld() {
  useDefaultModels();
  platform::overrideUserDataFolder(userFolder());
  World::Options o;
  o.water = o.sky = false;
  auto w = std::make_unique<World>(o);
  rng::seed(4242);
  createDefaultTemplates(w->templates);
  return w;
}

TemplatePtr byModel(World& w, const std::string& model) {
  for (const auto& t : w.templates.all)
    if (t->modelFileName() == model) return t;
  ADD_FAILURE() << "no template " << model;
  return nullptr;
}

std::vector<std::string> names(const std::vector<TemplatePtr>& list) {
  std::vector<std::string> out;
  for (const auto& t : list) out.push_back(t->modelFileName());
  return out;
}

Colour col(float r, float g, float b) { return {r, g, b, 1.0f}; }

// A world with something non-default in every saved field.
std::unique_ptr<World> richWorld() {
  auto w = emptyWorld();
  w->terrain->reshapeWith({0.0f, 0.0f}, 200.0f, Island{});
  // The saved order is the assigned order, whatever it is: move one to the front.
  w->templates.assign(byModel(*w, "Chickenlike.obj"), true);
  TemplatePtr cup = byModel(*w, "Cup Tree.obj"), bug = byModel(*w, "Little Bug.obj");
  TemplatePtr spider = byModel(*w, "3 Legged Spider Like.obj"), chicken = byModel(*w, "Chickenlike.obj");
  TemplatePtr rock = byModel(*w, "Rock Tall.obj");  // unassigned in the default set
  bug->eats = spider->likes = {cup};
  bug->likes = {cup, byModel(*w, "Berry.obj")};
  spider->eats = {bug, chicken, spider, rock};  // a cannibal; the unassigned rock cannot be named
  spider->primaryColourOptions = {col(0.1f, 0.2f, 0.3f), col(0.9f, 0.8f, 0.7f)};
  spider->coloursLikedForEating = {col(0.5f, 0.25f, 0.125f)};
  spider->groundColourOptions = {col(0.2f, 0.4f, 0.6f)}, spider->secondaryColourOptions = {};
  spider->size = 2.5f, spider->extraChoice = 3, spider->extraValue = 7;
  spider->colourGround = Unit3DTemplate::kGroundOther, spider->moveAnimation = Unit3DTemplate::kTwists;
  spider->lifespan = spider->health = spider->hunger = spider->breedAmount = 2;
  spider->damage = spider->breedFrequency = 0;
  spider->breeds = spider->startsAsBaby = spider->floatsInWater = false;
  spider->sleeps = Unit3DTemplate::kSleepsByDay, spider->habitat = Unit3DTemplate::kLand, spider->climbsSlopes = true;
  rock->size = 3.0f;  // an unassigned template's settings travel too

  auto put = [&](const TemplatePtr& t, float x, float y) {
    return w->placeUnitOf(t, {x, y, w->standingHeight(*t, x, y)}, 0.5f, false);
  };
  put(cup, 2.0f, 3.0f), put(cup, -9.0f, 14.0f), put(chicken, -20.0f, -20.0f);
  auto b = put(bug, 3.0f, 2.0f), s = put(spider, 5.0f, 1.0f);
  // Every saved field away from its default, each number a different one.
  float k = 0;
  for (float* f : {&s->momentum.x, &s->momentum.y, &s->destination.x, &s->destination.y, &s->destination.z, &s->yaw,
                   &s->animTime, &s->decisionTimer, &s->breedTimer, &s->age, &s->ageFraction, &s->health, &s->food,
                   &s->hitTimer, &s->hopTime, &s->fadeIn, &s->origin.x, &s->origin.y, &s->anchor.x, &s->anchor.y})
    *f = (++k - 2.5f) / 32;  // the first two negative
  s->pace = 0.953125f, s->growth = 0.828125f;  // inside their ranges (0.9 to 1.1, 0.5 to 1)
  s->turning = s->moving = s->animating = s->facingDestination = s->hit = s->hopping = true;
  s->spareFlag = false, s->activity = Unit3D::kHunting, s->prey = b;
  s->primaryColour = col(0.1f, 0.2f, 0.3f), s->secondaryColour = col(0.4f, 0.5f, 0.6f), s->groundColour = col(0.7f, 0.8f, 0.9f);
  w->newUnits.push_back(s);

  w->camera.yaw = 1.2345678, w->camera.pitch = -0.4567891;
  w->camera.position = {12.5f, -33.25f, 17.75f}, w->timeOfDay = 321.5f;
  const char* rows[4] = {"Magenta", "Orange", "Blue", "Grey"};
  for (int r = 0; r < 4; ++r) w->colours.checkedSwatch[r] = paletteIndex(rows[r]), w->colours.row[r] = *paletteColour(rows[r]);
  w->applyWorldColours();
  return w;
}

// An island with only the cup and the bug in use (in that order) and one bug at (1, 1).
std::unique_ptr<World> smallWorld() {
  auto w = emptyWorld();
  w->terrain->reshapeWith({0.0f, 0.0f}, 200.0f, Island{});
  w->templates.resetForNewWorld();
  TemplatePtr cup = byModel(*w, "Cup Tree.obj"), bug = byModel(*w, "Little Bug.obj");
  w->templates.assign(cup), w->templates.assign(bug), bug->eats = {cup};
  w->placeUnitOf(bug, {1.0f, 1.0f, w->standingHeight(*bug, 1.0f, 1.0f)}, 0.0f, true);
  return w;
}

int loadText(World& w, const std::string& text, int mode) {
  const std::string path = userFolder() + "case.sav";
  std::ofstream(path) << text;
  return loadGame(w, path, mode);
}

// Lines first..last (counted from 1) replaced by `with`, or dropped when it is empty.
std::string replaceLines(const std::string& text, int first, int last, const std::string& with) {
  std::istringstream in(text);
  std::string line, out;
  for (int n = 1; std::getline(in, line); ++n)
    if (n < first || n > last) out += line + "\n";
    else if (n == first && !with.empty()) out += with + "\n";
  return out;
}
std::string replaceLine(const std::string& text, int n, const std::string& with) { return replaceLines(text, n, n, with); }

int lineOf(const std::string& text, const std::string& marker) {
  std::istringstream in(text);
  std::string line;
  for (int n = 1; std::getline(in, line); ++n)
    if (line == marker) return n;
  return -1;
}
// Line of field f (counting from 1) of unit record k (counting from 0).
int unitLine(const std::string& text, int k, int f) { return lineOf(text, "*****Unit Instances Start*****") + 32 * k + f; }
std::set<std::pair<float, float>> unitSpots(World& w) {
  std::set<std::pair<float, float>> out;
  for (const auto& u : w.allUnits()) out.insert({u->position.x, u->position.y});
  return out;
}

}  // namespace

// ---------------------------------------------------------------------------

TEST(SaveGame, RoundTripKeepsTheWholeWorldVersionsWarnAndMissingOrForeignFilesChangeNothing) {
  auto a = richWorld();
  LogCapture log;
  a->unsavedChanges = true;
  ASSERT_EQ(saveGame(*a, 1), 0);
  EXPECT_TRUE(log.contains("Game saved correctly.") && !a->unsavedChanges);
  EXPECT_EQ(saveSlotLabel(1), "Save 2 " + todaysSaveDate());

  auto b = emptyWorld();
  ASSERT_EQ(loadGame(*b, saveSlotPath(1), kLoadSlot), kLoadOk);
  // Every saved field at once: the loaded world writes the very same file (templates and their
  // settings, units in grid order, terrain, clouds, colours, clock and camera).
  EXPECT_EQ(saveGameText(*b, "d"), saveGameText(*a, "d"));

  // What the text alone does not show: relations point at the loaded templates (the unassigned
  // rock left out), a cannibal at itself, the hunter at the same bug, and derived state.
  TemplatePtr spider = byModel(*b, "3 Legged Spider Like.obj"), bug = byModel(*b, "Little Bug.obj");
  EXPECT_TRUE(spider->eats.size() == 3u && spider->eats[0] == bug && spider->eats[2] == spider);
  ASSERT_EQ(b->newUnits.size(), 1u);  // the spider is still fading in
  const auto s = b->newUnits[0];
  EXPECT_TRUE(s->unitTemplate == spider && s->prey.lock() && s->prey.lock()->unitTemplate == bug);
  EXPECT_TRUE(b->terrain->colorEmptyLand().sameAs(paletteColour("Orange")->lifted()) && b->camera.maxHeight == 17.75f);

  // A new game takes the colours and units but not the camera or the clock.
  auto n = emptyWorld();
  n->timeOfDay = 200.0f;
  EXPECT_EQ(loadText(*n, saveGameText(*a, "x"), kLoadNewGame), kLoadOk);
  EXPECT_EQ(std::tuple(n->camera.position.x, n->timeOfDay, n->colours.checkedSwatch[WorldColours::kWater], n->unitCount()),
            std::tuple(Camera{}.position.x, World::kStartTimeOfDay, paletteIndex("Blue"), a->unitCount()));

  // Slot files live in the user folder; saving to a slot that does not exist writes nothing.
  // (Slot labels as the save screen shows them: SlotFolder, scene tests.)
  EXPECT_EQ(saveSlotPath(2), userFolder() + "Saves" + platform::kSep + "Save 3.sav");
  EXPECT_TRUE(saveGame(*a, 5) == -1 && !fs::exists(userFolder() + "Saves/Save 6.sav"));

  // The file layout, the version codes, missing files and bad numbers.
  const std::string text = saveGameText(*a, "2024.5.7");
  // Angles keep six digits (the layout itself: the hand-written file).
  EXPECT_EQ(text.rfind("Quillon Vale Save File  Version 0.12.0.3\n2024.5.7\n1.23457\n", 0), 0u) << text.substr(0, 80);
  // The version codes warn, they do not stop the load; 0.11 files have no world colour lines (9 to 12)
  // and files before 0.12 keep the world's own colours.
  const struct { const char* version; int code; } cases[] = {
      {"0.10.9.9", kLoadOldVersion}, {"0.12.1.0", kLoadNewerVersion}, {"0.12.0.3", kLoadOk},
      {"0.12.0.2", kLoadOk}, {"0.12.0.4", kLoadNewerVersion}, {"0.11.2.0", kLoadOk}};
  for (const auto& c : cases) {
    std::string file = replaceLine(text, 1, std::string("Quillon Vale Save File  Version ") + c.version);
    if (std::string(c.version).starts_with("0.11")) file = replaceLines(file, 9, 12, "");
    auto b = emptyWorld();
    EXPECT_EQ(loadText(*b, file, kLoadSlot), c.code) << c.version;
    EXPECT_EQ(b->unitCount(), a->unitCount()) << c.version;
    EXPECT_EQ(b->colours.checkedSwatch[WorldColours::kLand] == a->colours.checkedSwatch[WorldColours::kLand],
              std::string(c.version) >= "0.12") << c.version;
  }

  // Missing and foreign files leave the world as it was.
  log.clear();
  const std::string nowhere = userFolder() + "no such file.sav";
  EXPECT_EQ(std::tuple(loadGame(*a, nowhere, kLoadSlot), loadGame(*a, nowhere, kLoadNewGame), loadGame(*a, nowhere, kLoadTemplatesOnly)),
            std::tuple(kLoadSaveMissing, kLoadDefaultWorldMissing, kLoadOk));
  EXPECT_EQ(log.count("ERROR: Couldn't load the game save file."), 3);
  EXPECT_TRUE(loadText(*a, "hello\nworld\n", kLoadSlot) == kLoadCorrupt && loadText(*a, "", kLoadNewGame) == kLoadCorrupt);
  // The shipped world is looked for beside the program.
  platform::overrideProgramFolder(userFolder());
  EXPECT_EQ(loadDefaultWorld(*a), kLoadDefaultWorldMissing);
  useDefaultModels();
  EXPECT_TRUE(a->unitCount() == 5u && a->colours.checkedSwatch[0] == paletteIndex("Magenta"));

  // A file that ends inside the templates.
  EXPECT_EQ(loadText(*emptyWorld(), text.substr(0, text.find("*****Terrain Start*****") - 200), kLoadSlot), kLoadCorrupt);
}

// A file written by hand in the documented line order (not by our writer) loads, and our
// writer puts every line back where it was (the unassigned templates aside: the world
// holds more of them than the file).
TEST(SaveGame, AHandWrittenFileInTheDocumentedOrderLoadsIntoTheRightFields) {
  auto w = emptyWorld();
  LogCapture log;
  const std::string path = std::string(QV_SOURCE_DIR) + "/tests/data/hand_written.sav";
  ASSERT_EQ(loadGame(*w, path, kLoadSlot), kLoadOk);
  EXPECT_FALSE(log.contains("ERROR")) << log.text();
  const auto lines = [](std::istream&& in) {
    std::vector<std::string> out;
    bool skip = false;
    for (std::string l; std::getline(in, l);) {
      skip = (skip || l == "*****Unit Templates Unassigned Start*****") && l != "*****Terrain Start*****";
      if (!skip) out.push_back(l);
    }
    return out;
  };
  const auto file = lines(std::ifstream(path)), written = lines(std::istringstream(saveGameText(*w, "2026.12.6")));
  ASSERT_EQ(file.size(), written.size());
  for (size_t n = 0; n < file.size(); ++n)
    if (file[n] != written[n]) ADD_FAILURE() << "line " << n + 1 << ": \"" << file[n] << "\" written as \"" << written[n] << "\"";
  // And each line lands in its own field: a reader and writer changed together
  // would still agree with each other, but not with the documented order.
  EXPECT_EQ(std::tuple(w->camera.yaw, w->camera.pitch, w->timeOfDay), std::tuple(0.5, -0.25, 123.5f));
  EXPECT_EQ(std::tuple(w->camera.position.x, w->camera.position.y, w->camera.position.z), std::tuple(10.0f, -20.0f, 30.0f));
  const char* rows[4] = {"Magenta", "Orange", "Blue", "Grey"};
  for (int r = 0; r < 4; ++r) EXPECT_EQ(w->colours.checkedSwatch[r], paletteIndex(rows[r])) << rows[r];

  ASSERT_EQ(names(w->templates.assigned), (std::vector<std::string>{"Little Bug.obj", "Cup Tree.obj"}));
  const TemplatePtr bug = w->templates.assigned[0], cup = w->templates.assigned[1];
  EXPECT_FLOAT_EQ(bug->size, 1.5f);
  EXPECT_TRUE(bug->primaryColourOptions.size() == 1 && bug->primaryColourOptions[0].sameAs(col(0.1f, 0.2f, 0.3f)));
  EXPECT_TRUE(bug->secondaryColourOptions.size() == 1 && bug->secondaryColourOptions[0].sameAs(col(0.4f, 0.5f, 0.6f)));
  EXPECT_TRUE(bug->coloursLikedForEating.size() == 1 && bug->coloursLikedForEating[0].sameAs(col(0.7f, 0.8f, 0.9f)));
  EXPECT_TRUE(bug->groundColourOptions.size() == 1 && bug->groundColourOptions[0].sameAs(col(0.25f, 0.5f, 0.75f)));
  EXPECT_TRUE(bug->eats == std::vector<TemplatePtr>{cup} && bug->likes == std::vector<TemplatePtr>{cup});
  using T = std::tuple<int, int, int, int, bool, bool, int, int, int, int, int, int, int, int, int, bool, bool>;
  EXPECT_EQ(T(bug->moveSpeed, bug->extraChoice, bug->colourGround, bug->lifespan, bug->breeds, bug->startsAsBaby,
              bug->moveAnimation, bug->sleeps, bug->habitat, bug->health, bug->damage, bug->hunger, bug->breedFrequency,
              bug->extraValue, bug->breedAmount, bug->floatsInWater, bug->climbsSlopes),
            T(1, 2, 3, 0, true, false, 2, 1, 0, 2, 0, 1, 0, 9, 2, false, true));
  const TemplatePtr rock = byModel(*w, "Rock Tall.obj");
  EXPECT_TRUE(rock->size == 3.0f && rock->lifespan == 3) << "the unassigned section is read too";

  // Heights are written rows outer, columns inner: the raised one is column 3 of row 1.
  EXPECT_EQ(std::pair(w->terrain->height(3, 1), w->terrain->height(1, 3)), std::pair(4.5f, 2.0f));

  ASSERT_EQ(w->unitCount(), 2u);
  std::shared_ptr<Unit3D> b, c;
  for (const auto& u : w->allUnits()) (u->unitTemplate == bug ? b : c) = u;
  ASSERT_TRUE(b && c && c->unitTemplate == cup);
  EXPECT_EQ(std::tuple(b->position.x, b->position.y, b->position.z), std::tuple(1.0f, 1.0f, 2.0f));
  EXPECT_EQ(std::tuple(b->destination.x, b->destination.y, b->destination.z), std::tuple(3.0f, 4.0f, 2.5f));
  EXPECT_EQ(std::tuple(b->yaw, b->animTime, b->decisionTimer, b->breedTimer, b->age, b->ageFraction, b->health, b->food),
            std::tuple(0.75f, 0.125f, 0.375f, 0.875f, 12.0f, 0.03125f, 0.625f, 0.4375f));
  EXPECT_EQ(std::tuple(b->origin.x, b->origin.y, b->anchor.x, b->anchor.y, b->momentum.x, b->momentum.y),
            std::tuple(1.5f, 2.5f, -1.5f, -2.5f, 0.1875f, -0.3125f));
  EXPECT_EQ(std::tuple(b->turning, b->moving, b->animating, b->spareFlag, b->facingDestination, b->hit, b->hopping),
            std::tuple(true, false, true, true, false, true, false));
  EXPECT_EQ(std::tuple(b->activity, b->hitTimer, b->growth, b->hopTime, b->fadeIn),
            std::tuple(int(Unit3D::kHunting), 0.0625f, 0.75f, 0.15625f, 0.0f));
  EXPECT_NEAR(b->pace, 1.05f, 1e-6f);
  EXPECT_TRUE(b->primaryColour.sameAs(col(0.1f, 0.2f, 0.3f)) && b->secondaryColour.sameAs(col(0.4f, 0.5f, 0.6f)) &&
              b->groundColour.sameAs(col(0.7f, 0.8f, 0.9f)));
  EXPECT_EQ(b->prey.lock(), c) << "the hunted unit is the second record";

  ASSERT_EQ(w->clouds->clouds.size(), 1u);
  const Cloud& k = w->clouds->clouds[0];
  EXPECT_EQ(std::tuple(k.position.x, k.position.y, k.position.z, k.yaw, k.model, k.alpha, k.fadeTimer, k.state),
            std::tuple(5.0f, 6.0f, 40.0f, 0.5f, 2, 0.8f, 0.0f, 0));
}

TEST(SaveGame, SettingsClampedWaterDwellersTemplatesOnlyAndDuplicateRecords) {
  auto a = smallWorld();  // its bug stands on land
  TemplatePtr cup = byModel(*a, "Cup Tree.obj"), fish = byModel(*a, "One Eyed Fishlike Creature.obj");
  a->templates.assign(fish);
  // A value outside a setting's options is damage: it counts as the plain choice ("Normal" where
  // there is one), never as the nearest extreme (a lifespan of 77 is not "Infinite").
  cup->size = 40.0f, cup->moveSpeed = 9, cup->habitat = -3, cup->sleeps = 5, cup->breedAmount = 0, cup->lifespan = 77;
  cup->hunger = 3, cup->health = -1, cup->damage = 12, cup->breedFrequency = 3, cup->colourGround = 4;
  TemplatePtr bug = byModel(*a, "Little Bug.obj");
  bug->lifespan = 3, bug->hunger = 2, bug->breedFrequency = 0, bug->breedAmount = 2;  // extremes that are options stay
  fish->habitat = Unit3DTemplate::kWater, fish->floatsInWater = false;
  ASSERT_LT(a->placeUnitOf(fish, {60.0f, 0.0f, a->standingHeight(*fish, 60.0f, 0.0f)}, 0.0f, true)->position.z, 0.0f);
  auto b = emptyWorld();
  EXPECT_EQ(loadText(*b, saveGameText(*a, "d"), kLoadSlot), kLoadOk);
  TemplatePtr got = byModel(*b, "Cup Tree.obj"), gotBug = byModel(*b, "Little Bug.obj");
  EXPECT_FLOAT_EQ(got->size, 3.0f);
  using T = Unit3DTemplate;
  using Settings9 = std::tuple<int32_t, int32_t, int32_t, int32_t, int32_t, int32_t, int32_t, int32_t, int32_t, int32_t>;
  const auto settings = [](const T& t) {
    return Settings9(t.moveSpeed, t.habitat, t.sleeps, t.breedAmount, t.lifespan, t.hunger, t.health, t.damage,
                     t.breedFrequency, t.colourGround);
  };
  EXPECT_EQ(settings(*got), Settings9(2, T::kBoth, 0, 1, 1, 1, 1, 1, 1, 0));
  EXPECT_EQ(settings(*gotBug), settings(*bug));
  ASSERT_EQ(b->unitCount(), 2u);
  for (const auto& u : b->allUnits()) EXPECT_EQ(u->inWater, u->unitTemplate->modelFileName() == fish->modelFileName());

  // Templates-only mode fills the unassigned templates and nothing else. A slot with only a few templates in use...
  auto slot = smallWorld();
  // The slot was saved before the chicken existed: its file has no record for it.
  const TemplatePtr chicken = byModel(*slot, "Chickenlike.obj");
  std::erase(slot->templates.all, chicken), std::erase(slot->templates.unassigned, chicken);
  slot->colours.checkedSwatch[0] = paletteIndex("Red");
  // ...and a "default world" in which every template has other settings.
  auto def = richWorld();
  for (const auto& t : def->templates.assigned) t->extraValue = 9;

  auto w = emptyWorld();
  ASSERT_EQ(loadText(*w, saveGameText(*slot, "s"), kLoadSlot), kLoadOk);
  const float h = w->terrain->height(30, 30);
  LogCapture log;
  EXPECT_EQ(loadText(*w, saveGameText(*def, "d"), kLoadTemplatesOnly), kLoadOk);
  EXPECT_FALSE(log.contains("ERROR: Problem loading unit template."));
  EXPECT_EQ(names(w->templates.assigned), (std::vector<std::string>{"Cup Tree.obj", "Little Bug.obj"}));
  EXPECT_EQ(names(byModel(*w, "Little Bug.obj")->eats), (std::vector<std::string>{"Cup Tree.obj"}));
  // The slot's own template keeps its settings, the one the slot lacked takes the default
  // world's, and the slot's unassigned records were read first.
  const auto extra = [&](const char* model) { return byModel(*w, model)->extraValue; };
  EXPECT_EQ(std::tuple(extra("Little Bug.obj"), extra("Chickenlike.obj"), extra("Ostrichlike.obj")), std::tuple(1, 9, 1));
  EXPECT_FALSE(w->templates.isAssigned(byModel(*w, "Chickenlike.obj").get()));
  EXPECT_TRUE(w->unitCount() == 1u && w->terrain->height(30, 30) == h && w->colours.checkedSwatch[0] == paletteIndex("Red"));

  // One template per model, and template references keep their positions.
  const std::string text = saveGameText(*smallWorld(), "d");
  const int start = lineOf(text, "*****Unit Templates Start*****"), end = lineOf(text, "**Current Unit Template End**");
  const int ref = lineOf(text, "*****Unit Instances Start*****") + 2;  // the unit's template reference
  // Write the cup record twice: the copy is refused but keeps its place, so the bug becomes reference 2.
  const std::string record = replaceLines(replaceLines(text, end + 1, 1 << 30, ""), 1, start, "");
  std::string doubled = replaceLine(text, end, "**Current Unit Template End**\n" + record.substr(0, record.size() - 1));
  doubled = replaceLine(doubled, lineOf(doubled, "*****Unit Instances Start*****") + 2, "2");
  auto d = emptyWorld();
  log.clear();
  EXPECT_EQ(loadText(*d, doubled, kLoadSlot), kLoadOk);
  EXPECT_EQ(log.count("ERROR: Problem loading unit template."), 1);
  EXPECT_EQ(names(d->templates.assigned), (std::vector<std::string>{"Cup Tree.obj", "Little Bug.obj"}));
  ASSERT_EQ(d->unitCount(), 1u);
  EXPECT_EQ(d->allUnits()[0]->unitTemplate->modelFileName(), "Little Bug.obj");
  // Units whose template reference names nothing are left out.
  for (const char* r : {"-1", "7", "1"}) {
    auto c = emptyWorld();
    EXPECT_EQ(loadText(*c, replaceLine(text, ref, r), kLoadSlot), kLoadOk);
    EXPECT_EQ(c->unitCount(), std::string(r) == "1" ? 1u : 0u) << r;
  }
}

TEST(DefaultWorld, TheShippedIslandLivesForFiveMinutes) {
  const fs::path tool = fs::path(qvtest::realProgramFolder()) / "quillon-default-world";
  if (!fs::exists(tool) || !fs::exists(fs::path(qvtest::realProgramFolder()) / "Data" / "Models" / "Cup Tree.obj"))
    GTEST_SKIP() << "quillon-default-world or the Data folder is not beside the tests";
  const std::string out = userFolder() + "Default World.sav";
  ASSERT_EQ(std::system(("\"" + tool.string() + "\" \"" + out + "\" > /dev/null").c_str()), 0);

  auto w = emptyWorld();
  ASSERT_EQ(loadGame(*w, out, kLoadNewGame), kLoadOk);
  EXPECT_GE(w->unitCount(), 250u);
  std::set<std::string> kindsBefore, kindsAfter;
  for (const auto& u : w->allUnits()) kindsBefore.insert(u->unitTemplate->modelFileName());

  // Five simulated minutes at speed 5: hunters bite, plants spread, and no unit
  // turns to NaN, leaves the world or sinks into the ground.
  const World::Stats before = w->stats;
  for (int i = 0; i < 1200; ++i) {
    w->step(0.05f, 0.25f);
    if (i % 200) continue;
    for (const auto& u : w->allUnits()) {
      const Vec3 p = u->position;
      ASSERT_TRUE(std::isfinite(p.x + p.y + p.z + u->yaw + u->health + u->food + u->age + u->waterLift))
          << u->unitTemplate->modelFileName();
      ASSERT_TRUE(std::fabs(p.x) < 82.485f && std::fabs(p.y) < 82.485f && p.z >= w->groundHeight(p.x, p.y) - 1e-3f)
          << u->unitTemplate->modelFileName() << " at " << p.x << "," << p.y << "," << p.z;
    }
  }
  EXPECT_TRUE(w->stats.births > before.births && w->stats.bites > before.bites && w->stats.deaths > before.deaths)
      << w->stats.births << " births, " << w->stats.bites << " bites, " << w->stats.deaths << " deaths";
  for (const auto& u : w->allUnits()) kindsAfter.insert(u->unitTemplate->modelFileName());
  EXPECT_GE(w->unitCount(), 150u);
  // No kind dies out in the first minutes of a new game, hunters and hunted alike.
  EXPECT_EQ(kindsAfter, kindsBefore);
}

// ---------------------------------------------------------------------------
// Damaged and cut-short files: values come back inside their ranges, record
// boundaries hold, and a file that is not whole says so (code 4) but keeps what it had.

TEST(SaveGame, DamagedValuesComeBackInRangeBrokenRecordsAndCutFilesKeepWhatTheyHaveAndSaySo) {
  std::string text = saveGameText(*smallWorld(), "d");
  using U = const Unit3D&;
  const struct { int field; const char* value; bool (*holds)(U); } damaged[] = {
      {1, "500.0,-900.0,1.0", [](U u) { return u.position.x > 82.0f && u.position.x < 82.485f && u.position.y < -82.0f && u.position.y > -82.485f; }},
      {4, "-1000,1000,0", [](U u) { return std::fabs(u.destination.x) < 82.485f && std::fabs(u.destination.y) < 82.485f; }},
      {11, "9", [](U u) { return u.activity == Unit3D::kIdle; }},
      {15, "2.5", [](U u) { return u.ageFraction == 1.0f; }}, {15, "-0.5", [](U u) { return u.ageFraction == 0.0f; }},
      {17, "40", [](U u) { return u.health == 1.0f; }},       {18, "-2", [](U u) { return u.food == 0.0f; }},
      {26, "7", [](U u) { return u.pace == 1.1f; }},          {26, "-3", [](U u) { return u.pace == 0.9f; }},
      {27, "0.1", [](U u) { return u.growth == 0.5f; }},      {27, "9", [](U u) { return u.growth == 1.0f; }}};
  for (const auto& c : damaged) {
    auto w = emptyWorld();
    EXPECT_EQ(loadText(*w, replaceLine(text, unitLine(text, 0, c.field), c.value), kLoadSlot), kLoadOk) << c.value;
    ASSERT_EQ(w->unitCount(), 1u) << c.value;
    EXPECT_TRUE(c.holds(*w->allUnits()[0])) << "field " << c.field << " = " << c.value;
  }

  // Broken records and cut files keep what they have and say so.
  auto a = smallWorld();  // and a cup tree at (-3, 2)
  const TemplatePtr cup = byModel(*a, "Cup Tree.obj");
  a->placeUnitOf(cup, {-3.0f, 2.0f, a->standingHeight(*cup, -3.0f, 2.0f)}, 0.0f, true);
  text = saveGameText(*a, "d");
  const auto spots = unitSpots(*a);
  const int clouds = lineOf(text, "*****Cloud Instances Start*****");
  const std::string windows = std::regex_replace(text, std::regex("\n"), "\r\n");
  const struct { const char* name; std::string file; int code; size_t units; } cases[] = {
      {"whole", text, kLoadOk, 2}, {"Windows line ends", windows, kLoadOk, 2},
      // The first record without its end marker: both units still load, each in its own place.
      {"end marker missing", replaceLine(text, unitLine(text, 0, 32), ""), kLoadCorrupt, 2},
      // The first record one line short: that unit is dropped, the second is read from its own lines.
      {"record line missing", replaceLine(text, unitLine(text, 0, 20), ""), kLoadCorrupt, 1},
      {"cut inside the clouds", replaceLines(text, clouds + 4, 1 << 30, ""), kLoadCorrupt, 2},
      {"cut inside the units", replaceLines(text, unitLine(text, 1, 10), 1 << 30, ""), kLoadCorrupt, 1},
      {"last line break missing", text.substr(0, text.size() - 1), kLoadCorrupt, 2},
      // A bad number stops the load but keeps what came before it.
      {"bad health number", replaceLine(text, unitLine(text, 1, 17), "lots"), kLoadCorrupt, 1},
      {"bad terrain height", replaceLine(text, lineOf(text, "*****Terrain Start*****") + 102, "x"), kLoadCorrupt, 0},
  };
  for (const auto& c : cases) {
    auto w = emptyWorld();
    LogCapture log;
    EXPECT_EQ(loadText(*w, c.file, kLoadSlot), c.code) << c.name;
    ASSERT_EQ(w->unitCount(), c.units) << c.name;
    for (const auto& spot : unitSpots(*w)) EXPECT_TRUE(spots.count(spot)) << c.name << ": a unit moved";
    EXPECT_EQ(names(w->templates.assigned), names(a->templates.assigned)) << c.name;
    EXPECT_EQ(byModel(*w, "Little Bug.obj")->eats.size(), 1u) << c.name << ": relations resolved all the same";
    EXPECT_EQ(log.contains("Loaded the game save file correctly."), c.code == kLoadOk) << c.name;
  }
}

TEST(SaveSlots, OnlyWholeSlotFilesCountAndLabelsStayShort) {
  emptyWorld();  // points the user folder at this test's own
  const fs::path saves = fs::path(saveSlotPath(0)).parent_path();
  fs::remove_all(saves);
  fs::create_directories(saves);
  SaveSlots& slots = saveSlots();
  for (bool& e : slots.empty) e = true;  // as the slot screen does before it scans
  // Slot 1: a damaged file whose date line is 10 MB long.
  std::ofstream(saveSlotPath(0), std::ios::binary)
      << "Quillon Vale Save File  Version 0.12.0.3\n" << std::string(10u << 20, '7') << "\nmore\n";
  // Slot 2: only the temporary file of an interrupted save. Slot 3: a folder of the slot's name.
  std::ofstream(platform::atomicTempPath(saveSlotPath(1))) << "Quillon Vale Save File  Version 0.12.0.3\n2025.1.1\n";
  fs::create_directories(saveSlotPath(2));
  std::ofstream(saveSlotPath(3)) << "Quillon Vale Save File  Version 0.12.0.3\n2025.1.9\r\n";
  scanSaveSlots();
  EXPECT_FALSE(slots.empty[0]);
  EXPECT_LE(saveSlotLabel(0).size(), std::string("Save 1 ").size() + 16) << saveSlotLabel(0).substr(0, 40);
  EXPECT_TRUE(slots.empty[1] && slots.empty[2]);
  EXPECT_EQ(saveSlotLabel(3), "Save 4 2025.1.9");
  auto w = emptyWorld();
  EXPECT_EQ(loadGame(*w, saveSlotPath(2), kLoadSlot), kLoadSaveMissing);
  fs::remove_all(saves);
}

// A disk that fills up mid-save keeps the previous save (and settings) byte for byte.
#if !GTEST_OS_WINDOWS
TEST(SaveGame, AFullDiskKeepsTheOldSaveByteForByte) {
  const auto fileText = [](const std::string& path) {
    return std::string(std::istreambuf_iterator<char>(std::ifstream(path, std::ios::binary).rdbuf()), {});
  };
  auto w = smallWorld();
  ASSERT_EQ(saveGame(*w, 3), 0);
  const std::string old = fileText(saveSlotPath(3));
  const std::string settingsPath = userFolder() + "full-disk-settings.txt";
  ASSERT_TRUE(Settings{}.save(settingsPath, true, false));
  const std::string oldSettings = fileText(settingsPath);
  // The child may write only a few bytes per file, as on a full disk.
  const pid_t pid = fork();
  ASSERT_GE(pid, 0);
  if (pid == 0) {
    signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{16, 16};
    setrlimit(RLIMIT_FSIZE, &limit);
    w->placeUnitOf(byModel(*w, "Cup Tree.obj"), {-3.0f, 2.0f, 1.0f}, 0.0f, true);
    w->unsavedChanges = true;
    const bool refused = saveGame(*w, 3) == -1 && w->unsavedChanges;
    Settings changed;
    changed.musicVolume = 0.25f;
    const bool settingsRefused = !changed.save(settingsPath, false, true);
    _exit(refused && settingsRefused ? 0 : 1);
  }
  int status = 0;
  waitpid(pid, &status, 0);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0) << "a save that did not fit was reported as saved";
  EXPECT_EQ(fileText(saveSlotPath(3)), old);
  EXPECT_EQ(fileText(settingsPath), oldSettings);
  EXPECT_FALSE(fs::exists(platform::atomicTempPath(saveSlotPath(3))) || fs::exists(platform::atomicTempPath(settingsPath)));
}
#endif
