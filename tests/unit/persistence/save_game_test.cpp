// The save file: a world written and read back is the same world; old, newer,
// missing and damaged files give their result codes and keep what they can.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

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
    bool all = true;
    for (const auto& n : defaultTemplateModelNames()) all = all && fs::exists(models / n);
    if (!all) {
      const fs::path mine = fs::path(qvtest::unitsTestFolder()) / "Data" / "Models";
      for (const auto& n : defaultTemplateModelNames())
        if (!fs::exists(mine / n)) fs::copy_file(mine / "UnitsTest Flat.obj", mine / n);
    }
    return all;
  }();
  platform::overrideProgramFolder(real ? qvtest::realProgramFolder() : qvtest::unitsTestFolder());
}

std::string userFolder() {
  static const std::string folder = [] {
    const fs::path p = fs::temp_directory_path() / ("qv_save_test_" + std::to_string(::getpid()));
    fs::create_directories(p);
    return p.string() + "/";
  }();
  return folder;
}

struct Island : HeightBrush {
  float newHeight(int, int, float x, float y, float, float) const override {
    const float d = std::sqrt(x * x + y * y);
    return std::max(6.0f * (1.0f - (d / 40.0f) * (d / 40.0f)), -5.0f) + 0.013f * x;
  }
};

std::unique_ptr<World> emptyWorld() {
  useDefaultModels();
  platform::overrideUserDataFolder(userFolder());
  World::Options o;
  o.water = false;
  o.sky = false;
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
  TemplateLists& lists = w->templates;
  // The saved order is the assigned order, whatever it is: move one to the front.
  lists.assign(byModel(*w, "Chickenlike.obj"), true);
  TemplatePtr cup = byModel(*w, "Cup Tree.obj"), bug = byModel(*w, "Little Bug.obj");
  TemplatePtr spider = byModel(*w, "3 Legged Spider Like.obj"), chicken = byModel(*w, "Chickenlike.obj");
  TemplatePtr rock = byModel(*w, "Rock Tall.obj");  // unassigned in the default set
  bug->eats = {cup};
  bug->likes = {cup, byModel(*w, "Berry.obj")};
  spider->eats = {bug, chicken, spider, rock};  // a cannibal; the unassigned rock cannot be named
  spider->likes = {cup};
  spider->size = 2.5f;
  spider->primaryColourOptions = {col(0.1f, 0.2f, 0.3f), col(0.9f, 0.8f, 0.7f)};
  spider->secondaryColourOptions = {};
  spider->coloursLikedForEating = {col(0.5f, 0.25f, 0.125f)};
  spider->groundColourOptions = {col(0.2f, 0.4f, 0.6f)};
  spider->extraChoice = 3;
  spider->colourGround = Unit3DTemplate::kGroundOther;
  spider->lifespan = 2;
  spider->breeds = false;
  spider->startsAsBaby = false;
  spider->moveAnimation = Unit3DTemplate::kTwists;
  spider->sleeps = Unit3DTemplate::kSleepsByDay;
  spider->habitat = Unit3DTemplate::kLand;
  spider->health = 2;
  spider->damage = 0;
  spider->hunger = 2;
  spider->breedFrequency = 0;
  spider->extraValue = 7;
  spider->breedAmount = 2;
  spider->floatsInWater = false;
  spider->climbsSlopes = true;
  rock->size = 3.0f;  // an unassigned template's settings travel too

  auto put = [&](const TemplatePtr& t, float x, float y) {
    auto u = w->placeUnitOf(t, {x, y, w->standingHeight(*t, x, y)}, 0.5f, false);
    EXPECT_TRUE(u);
    return u;
  };
  put(cup, 2.0f, 3.0f);
  put(cup, -9.0f, 14.0f);
  auto b = put(bug, 3.0f, 2.0f);
  auto s = put(spider, 5.0f, 1.0f);
  put(chicken, -20.0f, -20.0f);
  // Every saved field away from its default.
  s->yaw = 1.25f;
  s->destination = {6.5f, 1.5f, 2.25f};
  s->turning = true;
  s->moving = true;
  s->animating = true;
  s->animTime = 0.375f;
  s->origin = {4.0f, 0.5f};
  s->anchor = {4.5f, 0.75f};
  s->activity = Unit3D::kHunting;
  s->decisionTimer = 0.625f;
  s->breedTimer = 0.875f;
  s->age = 123.5f;
  s->ageFraction = 0.4375f;
  s->spareFlag = false;
  s->health = 0.8125f;
  s->food = 0.3125f;
  s->prey = b;
  s->facingDestination = true;
  s->primaryColour = col(0.1f, 0.2f, 0.3f);
  s->secondaryColour = col(0.4f, 0.5f, 0.6f);
  s->groundColour = col(0.7f, 0.8f, 0.9f);
  s->hitTimer = 0.1875f;
  s->hit = true;
  s->pace = 1.0625f;
  s->growth = 0.9375f;
  s->momentum = {0.25f, -0.5f};
  s->hopTime = 0.0625f;
  s->hopping = true;
  s->fadeIn = 0.5f;
  w->newUnits.push_back(s);

  w->camera.yaw = 1.2345678;
  w->camera.pitch = -0.4567891;
  w->camera.position = {12.5f, -33.25f, 17.75f};
  w->timeOfDay = 321.5f;
  const char* rows[4] = {"Magenta", "Orange", "Blue", "Grey"};
  for (int r = 0; r < 4; ++r) {
    w->colours.checkedSwatch[r] = paletteIndex(rows[r]);
    w->colours.row[r] = *paletteColour(rows[r]);
  }
  w->applyWorldColours();
  return w;
}

int loadText(World& w, const std::string& text, int mode) {
  const std::string path = userFolder() + "case.sav";
  std::ofstream(path) << text;
  return loadGame(w, path, mode);
}

std::string replaceLine(const std::string& text, int lineNo, const std::string& with) {
  std::istringstream in(text);
  std::string line, out;
  for (int n = 1; std::getline(in, line); ++n) out += (n == lineNo ? with : line) + "\n";
  return out;
}

int lineOf(const std::string& text, const std::string& marker, int nth = 1) {
  std::istringstream in(text);
  std::string line;
  for (int n = 1; std::getline(in, line); ++n)
    if (line == marker && --nth == 0) return n;
  return -1;
}

bool allFinite(World& w) {
  for (const auto& u : w.allUnits()) {
    const float v[] = {u->position.x, u->position.y, u->position.z, u->yaw, u->health, u->food, u->age};
    for (float x : v)
      if (!std::isfinite(x)) return false;
  }
  return true;
}

}  // namespace

// ---------------------------------------------------------------------------

TEST(SaveGame, RoundTripKeepsTheWholeWorld) {
  auto a = richWorld();
  const auto unitsA = a->allUnits();
  LogCapture log;
  ASSERT_EQ(saveGame(*a, 1), 0);
  EXPECT_TRUE(log.contains("Game saved correctly."));
  EXPECT_FALSE(a->unsavedChanges);
  ASSERT_TRUE(fs::exists(saveSlotPath(1)));
  EXPECT_FALSE(saveSlots().empty[1]);
  EXPECT_EQ(saveSlotLabel(1), "Save 2 " + todaysSaveDate());

  auto b = emptyWorld();
  b->camera.position = {1, 1, 1};
  ASSERT_EQ(loadGame(*b, saveSlotPath(1), kLoadSlot), kLoadOk);
  EXPECT_TRUE(log.contains("Loaded the game save file correctly."));

  // Templates: same assigned order by model, same relations, same settings.
  EXPECT_EQ(names(b->templates.assigned), names(a->templates.assigned));
  EXPECT_EQ(b->templates.assigned.front()->modelFileName(), "Chickenlike.obj");
  TemplatePtr spider = byModel(*b, "3 Legged Spider Like.obj"), bug = byModel(*b, "Little Bug.obj");
  EXPECT_EQ(names(bug->eats), (std::vector<std::string>{"Cup Tree.obj"}));
  EXPECT_EQ(names(bug->likes), (std::vector<std::string>{"Cup Tree.obj", "Berry.obj"}));
  EXPECT_EQ(names(spider->eats),
            (std::vector<std::string>{"Little Bug.obj", "Chickenlike.obj", "3 Legged Spider Like.obj"}));
  EXPECT_EQ(spider->eats[2], spider);
  // Every other setting is compared through the rewritten file at the end.
  EXPECT_FLOAT_EQ(spider->size, 2.5f);
  EXPECT_TRUE(spider->climbsSlopes);
  EXPECT_FALSE(b->templates.isAssigned(byModel(*b, "Rock Tall.obj").get()));
  EXPECT_FLOAT_EQ(byModel(*b, "Rock Tall.obj")->size, 3.0f);

  // Units in grid order with every saved field; the hunter still hunts the same bug.
  const auto unitsB = b->allUnits();
  ASSERT_EQ(unitsB.size(), unitsA.size());
  for (size_t k = 0; k < unitsA.size(); ++k) {
    EXPECT_EQ(unitsB[k]->unitTemplate->modelFileName(), unitsA[k]->unitTemplate->modelFileName());
    EXPECT_NEAR(unitsB[k]->position.z, unitsA[k]->position.z, 1e-5f);
  }
  std::shared_ptr<Unit3D> s;
  for (const auto& u : unitsB)
    if (u->unitTemplate == spider) s = u;
  ASSERT_TRUE(s);
  EXPECT_FLOAT_EQ(s->age, 123.5f);
  EXPECT_TRUE(s->turning && s->moving && s->animating && s->facingDestination && s->hit && s->hopping);
  EXPECT_TRUE(s->groundColour.sameAs(col(0.7f, 0.8f, 0.9f)));
  EXPECT_EQ(s->inWater, 0);
  ASSERT_TRUE(s->prey.lock());
  EXPECT_EQ(s->prey.lock()->unitTemplate, bug);
  ASSERT_EQ(b->newUnits.size(), 1u);  // still fading in
  EXPECT_EQ(b->newUnits[0], s);

  // Ground, sky, clock and camera.
  for (int j = 0; j < Terrain::kVerticesPerSide; j += 3)
    for (int i = 0; i < Terrain::kVerticesPerSide; i += 3)
      ASSERT_NEAR(b->terrain->height(i, j), a->terrain->height(i, j), 1e-5f) << i << "," << j;
  ASSERT_EQ(b->clouds->clouds.size(), a->clouds->clouds.size());
  EXPECT_NEAR(b->clouds->clouds.back().position.x, a->clouds->clouds.back().position.x, 1e-4f);
  for (int r = 0; r < 4; ++r) {
    EXPECT_EQ(b->colours.checkedSwatch[r], a->colours.checkedSwatch[r]);
    EXPECT_TRUE(b->colours.row[r].sameAs(a->colours.row[r]));
  }
  EXPECT_TRUE(b->terrain->colorEmptyLand().sameAs(paletteColour("Orange")->lifted()));
  EXPECT_FLOAT_EQ(b->timeOfDay, 321.5f);
  EXPECT_NEAR(b->camera.yaw, 1.23457, 1e-9);
  EXPECT_NEAR(b->camera.pitch, -0.456789, 1e-9);
  EXPECT_FLOAT_EQ(b->camera.position.y, -33.25f);
  EXPECT_FLOAT_EQ(b->camera.maxHeight, 17.75f);

  // Every saved field at once: the loaded world writes the very same file.
  EXPECT_EQ(saveGameText(*b, "d"), saveGameText(*a, "d"));
}

TEST(SaveGame, FileLayoutFollowsTheFixedLineOrder) {
  auto w = richWorld();
  const std::string text = saveGameText(*w, "2024.5.7");
  std::istringstream in(text);
  std::string l;
  std::getline(in, l);
  EXPECT_EQ(l, "Quillon Vale Save File  Version 0.12.0.3");
  std::getline(in, l);
  EXPECT_EQ(l, "2024.5.7");
  std::getline(in, l);
  EXPECT_EQ(l, "1.23457");  // camera numbers in the stream's short form
  for (int k = 0; k < 4; ++k) std::getline(in, l);
  EXPECT_EQ(l, "17.75");
  std::getline(in, l);
  EXPECT_EQ(l, "321.500000");
  std::getline(in, l);
  EXPECT_EQ(l, "1.000000,0.000000,1.000000");  // Magenta sky
  // Sections in order, each once; the unassigned section names only unassigned templates.
  const int t = lineOf(text, "*****Unit Templates Start*****"), un = lineOf(text, "*****Unit Templates Unassigned Start*****");
  const int te = lineOf(text, "*****Terrain Start*****"), ui = lineOf(text, "*****Unit Instances Start*****");
  const int cl = lineOf(text, "*****Cloud Instances Start*****");
  EXPECT_EQ(t, 13);
  EXPECT_TRUE(t < un && un < te && te < ui && ui < cl) << t << " " << un << " " << te << " " << ui << " " << cl;
  EXPECT_EQ(lineOf(text, "67"), te + 1);
  EXPECT_EQ(cl - ui - 1, 32 * static_cast<int>(w->unitCount()));
  // A record is 32 fixed lines plus one per list entry; references to unassigned templates are left out.
  const TemplatePtr cup = byModel(*w, "Cup Tree.obj"), spider = byModel(*w, "3 Legged Spider Like.obj");
  const std::string cupText = templateToText(*cup, *w), spiderText = templateToText(*spider, *w);
  EXPECT_EQ(std::count(cupText.begin(), cupText.end(), '\n'),
            32 + static_cast<long>(cup->primaryColourOptions.size() + cup->secondaryColourOptions.size()));
  EXPECT_EQ(std::count(spiderText.begin(), spiderText.end(), '\n'), 32 + 2 + 0 + 3 + 1 + 1 + 1);
}

TEST(SaveGame, VersionsGiveTheirCodesAndStillLoad) {
  auto a = richWorld();
  const std::string text = saveGameText(*a, "2020.1.1");
  const struct {
    const char* header;
    int code;
  } cases[] = {
      {"Quillon Vale Save File  Version 0.10.9.9", kLoadOldVersion},
      {"Quillon Vale Save File  Version 0.12.1.0", kLoadNewerVersion},
      {"Quillon Vale Save File  Version 0.12.0.3", kLoadOk},
      {"Quillon Vale Save File  Version 0.12.0.2", kLoadOk},
      {"Quillon Vale Save File  Version 0.12.0.4", kLoadNewerVersion},
      {"Quillon Vale Save File  Version 0.13.0.0", kLoadNewerVersion},
      {"Quillon Vale Save File  Version 1.0.0.0", kLoadNewerVersion},
  };
  for (const auto& c : cases) {
    auto b = emptyWorld();
    EXPECT_EQ(loadText(*b, replaceLine(text, 1, c.header), kLoadSlot), c.code) << c.header;
    EXPECT_EQ(b->unitCount(), a->unitCount()) << c.header;  // the codes warn, they do not stop the load
  }
}

TEST(SaveGame, ElevenFilesHaveNoWorldColours) {
  auto a = richWorld();
  std::string text = saveGameText(*a, "2020.1.1");
  // Drop the four colour lines (9 to 12) and mark the file 0.11.
  std::istringstream in(text);
  std::string line, old;
  for (int n = 1; std::getline(in, line); ++n)
    if (n < 9 || n > 12) old += (n == 1 ? "Quillon Vale Save File  Version 0.11.2.0" : line) + "\n";
  auto b = emptyWorld();
  const WorldColours before = b->colours;
  EXPECT_EQ(loadText(*b, old, kLoadSlot), kLoadOk);
  EXPECT_EQ(b->unitCount(), a->unitCount());
  EXPECT_EQ(b->colours.checkedSwatch[WorldColours::kLand], before.checkedSwatch[WorldColours::kLand]);
}

TEST(SaveGame, MissingFilesReportWhatIsMissingAndLeaveTheWorld) {
  auto w = richWorld();
  const size_t units = w->unitCount();
  LogCapture log;
  const std::string nowhere = userFolder() + "no such file.sav";
  EXPECT_EQ(loadGame(*w, nowhere, kLoadSlot), kLoadSaveMissing);
  EXPECT_EQ(loadGame(*w, nowhere, kLoadNewGame), kLoadDefaultWorldMissing);
  EXPECT_EQ(loadGame(*w, nowhere, kLoadTemplatesOnly), kLoadOk);
  EXPECT_EQ(log.count("ERROR: Couldn't load the game save file."), 3);
  EXPECT_EQ(w->unitCount(), units);
  // The shipped world is looked for beside the program.
  platform::overrideProgramFolder(userFolder());
  EXPECT_EQ(loadDefaultWorld(*w, 0), kLoadDefaultWorldMissing);
  EXPECT_EQ(w->unitCount(), units);
  useDefaultModels();
}

TEST(SaveGame, ABadNumberStopsTheLoadButKeepsWhatCameBefore) {
  auto a = richWorld();
  const std::string text = saveGameText(*a, "2020.1.1");
  const int unitsAt = lineOf(text, "*****Unit Instances Start*****");
  // The health line (17) of the third unit record.
  const std::string broken = replaceLine(text, unitsAt + 2 * 32 + 17, "lots");
  auto b = emptyWorld();
  LogCapture log;
  EXPECT_EQ(loadText(*b, broken, kLoadSlot), kLoadCorrupt);
  EXPECT_TRUE(log.contains("ERROR: Exception thrown couldn't load the game save file."));
  EXPECT_EQ(b->unitCount(), 2u);
  EXPECT_EQ(names(b->templates.assigned), names(a->templates.assigned));
  EXPECT_EQ(byModel(*b, "Little Bug.obj")->eats.size(), 1u);  // relations resolved all the same
  EXPECT_NEAR(b->terrain->height(34, 34), a->terrain->height(34, 34), 1e-5f);

  // A broken terrain height keeps the heights before it and everything read earlier.
  // Heights run j outer, i inner: the 101st is (32, 1); (50, 0) came before it.
  const std::string badGround = replaceLine(text, lineOf(text, "*****Terrain Start*****") + 2 + 100, "x");
  auto c = emptyWorld();
  EXPECT_EQ(loadText(*c, badGround, kLoadSlot), kLoadCorrupt);
  EXPECT_EQ(c->unitCount(), 0u);
  EXPECT_EQ(c->templates.assigned.size(), a->templates.assigned.size());
  EXPECT_NEAR(c->terrain->height(50, 0), a->terrain->height(50, 0), 1e-5f);
  EXPECT_GT(std::fabs(c->terrain->height(34, 34) - a->terrain->height(34, 34)), 3.0f);

  // A record cut short, and a file that ends inside the templates.
  auto d = emptyWorld();
  EXPECT_EQ(loadText(*d, text.substr(0, text.find("*****Terrain Start*****") - 200), kLoadSlot), kLoadCorrupt);
}

TEST(SaveGame, SettingsOutsideTheirOptionsAreBroughtBack) {
  auto a = emptyWorld();
  TemplatePtr cup = byModel(*a, "Cup Tree.obj");
  a->templates.resetForNewWorld();
  a->templates.assign(cup);
  cup->size = 40.0f;
  cup->moveSpeed = 9;
  cup->habitat = -3;
  cup->sleeps = 5;
  cup->breedAmount = 0;
  cup->lifespan = 77;
  auto b = emptyWorld();
  EXPECT_EQ(loadText(*b, saveGameText(*a, "d"), kLoadSlot), kLoadOk);
  TemplatePtr got = byModel(*b, "Cup Tree.obj");
  EXPECT_FLOAT_EQ(got->size, 3.0f);
  EXPECT_EQ(got->moveSpeed, Unit3DTemplate::kFast);
  EXPECT_EQ(got->habitat, Unit3DTemplate::kLand);
  EXPECT_EQ(got->sleeps, Unit3DTemplate::kSleepsByNight);
  EXPECT_EQ(got->breedAmount, 1);
  EXPECT_EQ(got->lifespan, 3);
}

TEST(SaveGame, AFileThatIsNoSaveLeavesTheWorldAlone) {
  auto w = richWorld();
  const size_t units = w->unitCount();
  EXPECT_EQ(loadText(*w, "hello\nworld\n", kLoadSlot), kLoadCorrupt);
  EXPECT_EQ(loadText(*w, "", kLoadNewGame), kLoadCorrupt);
  EXPECT_EQ(w->unitCount(), units);
  EXPECT_EQ(w->colours.checkedSwatch[0], paletteIndex("Magenta"));
}

TEST(SaveGame, NewGameModeTakesColoursButNotCameraOrClock) {
  auto a = richWorld();
  auto b = emptyWorld();
  b->timeOfDay = 200.0f;
  EXPECT_EQ(loadText(*b, saveGameText(*a, "x"), kLoadNewGame), kLoadOk);
  EXPECT_EQ(b->camera.position.x, Camera{}.position.x);
  EXPECT_FLOAT_EQ(b->timeOfDay, World::kStartTimeOfDay);  // the new world's reset clock
  EXPECT_EQ(b->colours.checkedSwatch[WorldColours::kWater], paletteIndex("Blue"));
  EXPECT_EQ(b->unitCount(), a->unitCount());
}

TEST(SaveGame, TemplatesOnlyModeFillsUnassignedTemplatesAndNothingElse) {
  // A slot with only a few templates in use...
  auto slot = emptyWorld();
  slot->terrain->reshapeWith({0.0f, 0.0f}, 200.0f, Island{});
  TemplatePtr bug = byModel(*slot, "Little Bug.obj"), cup = byModel(*slot, "Cup Tree.obj");
  bug->eats = {cup};
  slot->templates.resetForNewWorld();
  slot->templates.assign(cup);
  slot->templates.assign(bug);
  bug->eats = {cup};
  slot->placeUnitOf(bug, {1.0f, 1.0f, slot->standingHeight(*bug, 1.0f, 1.0f)}, 0.0f, true);
  // The slot was saved before the chicken existed: its file has no record for it.
  const TemplatePtr chicken = byModel(*slot, "Chickenlike.obj");
  std::erase(slot->templates.all, chicken);
  std::erase(slot->templates.unassigned, chicken);
  slot->colours.checkedSwatch[0] = paletteIndex("Red");
  const std::string slotText = saveGameText(*slot, "s");
  // ...and a "default world" in which every template has other settings.
  auto def = richWorld();
  for (const auto& t : def->templates.assigned) t->extraValue = 9;
  const std::string defText = saveGameText(*def, "d");

  auto w = emptyWorld();
  ASSERT_EQ(loadText(*w, slotText, kLoadSlot), kLoadOk);
  const float h = w->terrain->height(30, 30);
  const WorldColours colours = w->colours;
  LogCapture log;
  EXPECT_EQ(loadText(*w, defText, kLoadTemplatesOnly), kLoadOk);
  EXPECT_FALSE(log.contains("ERROR: Problem loading unit template."));
  EXPECT_EQ(names(w->templates.assigned), (std::vector<std::string>{"Cup Tree.obj", "Little Bug.obj"}));
  EXPECT_EQ(names(byModel(*w, "Little Bug.obj")->eats), (std::vector<std::string>{"Cup Tree.obj"}));
  EXPECT_EQ(byModel(*w, "Little Bug.obj")->extraValue, 1);  // the slot's own template keeps its settings
  EXPECT_EQ(byModel(*w, "Chickenlike.obj")->extraValue, 9);  // the one the slot lacked takes the default world's
  EXPECT_EQ(byModel(*w, "Ostrichlike.obj")->extraValue, 1);  // the slot's unassigned records were read first
  EXPECT_FALSE(w->templates.isAssigned(byModel(*w, "Chickenlike.obj").get()));
  EXPECT_EQ(w->unitCount(), 1u);
  EXPECT_EQ(w->terrain->height(30, 30), h);
  EXPECT_EQ(w->colours.checkedSwatch[0], colours.checkedSwatch[0]);
  EXPECT_EQ(w->colours.checkedSwatch[0], paletteIndex("Red"));
}

TEST(SaveGame, OneTemplatePerModelAndReferencesKeepTheirPositions) {
  auto a = emptyWorld();
  a->terrain->reshapeWith({0.0f, 0.0f}, 200.0f, Island{});
  a->templates.resetForNewWorld();
  TemplatePtr cup = byModel(*a, "Cup Tree.obj"), bug = byModel(*a, "Little Bug.obj");
  a->templates.assign(cup);
  a->templates.assign(bug);
  bug->eats = {cup};
  a->placeUnitOf(bug, {2.0f, 2.0f, a->standingHeight(*bug, 2.0f, 2.0f)}, 0.0f, true);
  std::string text = saveGameText(*a, "d");
  // Write the cup record twice: the copy is refused, the bug stays reference 2.
  const int start = lineOf(text, "*****Unit Templates Start*****");
  const int end = lineOf(text, "**Current Unit Template End**");
  std::istringstream in(text);
  std::string line, record, doubled;
  for (int n = 1; std::getline(in, line); ++n) {
    if (n > start && n <= end) record += line + "\n";
    doubled += line + "\n";
    if (n == end) doubled += record;
  }
  doubled = replaceLine(doubled, lineOf(doubled, "*****Unit Instances Start*****") + 2, "2");
  auto b = emptyWorld();
  LogCapture log;
  EXPECT_EQ(loadText(*b, doubled, kLoadSlot), kLoadOk);
  EXPECT_EQ(log.count("ERROR: Problem loading unit template."), 1);
  EXPECT_EQ(names(b->templates.assigned), (std::vector<std::string>{"Cup Tree.obj", "Little Bug.obj"}));
  ASSERT_EQ(b->unitCount(), 1u);
  EXPECT_EQ(b->allUnits()[0]->unitTemplate->modelFileName(), "Little Bug.obj");

  // Units whose template reference names nothing are left out.
  for (const char* ref : {"-1", "7", "1"}) {
    auto c = emptyWorld();
    const std::string t = replaceLine(text, lineOf(text, "*****Unit Instances Start*****") + 2, ref);
    EXPECT_EQ(loadText(*c, t, kLoadSlot), kLoadOk);
    EXPECT_EQ(c->unitCount(), std::string(ref) == "1" ? 1u : 0u) << ref;
  }
}

TEST(SaveGame, WaterDwellersAreRestored) {
  auto a = emptyWorld();
  a->terrain->reshapeWith({0.0f, 0.0f}, 200.0f, Island{});
  TemplatePtr fish = byModel(*a, "One Eyed Fishlike Creature.obj");
  fish->habitat = Unit3DTemplate::kWater;
  fish->floatsInWater = false;
  auto f = a->placeUnitOf(fish, {60.0f, 0.0f, a->standingHeight(*fish, 60.0f, 0.0f)}, 0.0f, true);
  ASSERT_LT(f->position.z, 0.0f);
  auto b = emptyWorld();
  EXPECT_EQ(loadText(*b, saveGameText(*a, "d"), kLoadSlot), kLoadOk);
  ASSERT_EQ(b->unitCount(), 1u);
  EXPECT_EQ(b->allUnits()[0]->inWater, 1);
}

TEST(SaveSlots, PathsLabelsAndTheSavedHook) {
  platform::overrideUserDataFolder(userFolder());
  const std::string p = saveSlotPath(2);
  EXPECT_EQ(p, userFolder() + "Saves" + platform::kSep + "Save 3.sav");
  EXPECT_EQ(saveDateText(2024, 5, 7), "2024.5.7");
  EXPECT_EQ(saveDateText(2031, 12, 25), "2031.12.25");

  SaveSlots& s = saveSlots();
  for (bool& e : s.empty) e = true;
  EXPECT_EQ(saveSlotLabel(4), "Empty 5");
  int hookSlot = -1;
  std::string hookDate;
  s.onSlotSaved = [&](int slot, const std::string& date) {
    hookSlot = slot;
    hookDate = date;
  };
  markSlotSaved(2, "2024.5.7");
  EXPECT_EQ(saveSlotLabel(2), "Save 3 2024.5.7");
  EXPECT_EQ(hookSlot, 2);
  EXPECT_EQ(hookDate, "2024.5.7");
  markSlotSaved(5, "x");
  markSlotSaved(-1, "x");
  EXPECT_EQ(hookSlot, 2);
  markSlotSaved(0, "");
  EXPECT_EQ(saveSlotLabel(0), "Save 1 ");
  s.onSlotSaved = nullptr;

  // Saving to a slot that does not exist writes nothing.
  auto w = emptyWorld();
  LogCapture log;
  EXPECT_EQ(saveGame(*w, 5), -1);
  EXPECT_FALSE(fs::exists(userFolder() + "Saves/Save 6.sav"));

  // Start-up reads the date line of each file that is there.
  for (bool& e : s.empty) e = true;
  fs::create_directories(userFolder() + "Saves");
  std::ofstream(saveSlotPath(3)) << "Quillon Vale Save File  Version 0.12.0.3\n2025.1.9\n";
  fs::remove(saveSlotPath(1));
  scanSaveSlots();
  EXPECT_EQ(saveSlotLabel(3), "Save 4 2025.1.9");
  EXPECT_TRUE(s.empty[1]);
}

TEST(DefaultWorld, TheShippedIslandLivesForFiveMinutes) {
  const fs::path tool = fs::path(qvtest::realProgramFolder()) / "quillon-default-world";
  if (!fs::exists(tool)) GTEST_SKIP() << "quillon-default-world is not built beside the tests";
  if (!fs::exists(fs::path(qvtest::realProgramFolder()) / "Data" / "Models" / "Cup Tree.obj"))
    GTEST_SKIP() << "the Data folder was not generated beside the tests";
  const std::string out = userFolder() + "Default World.sav";
  const std::string cmd = "\"" + tool.string() + "\" \"" + out + "\" > /dev/null";
  ASSERT_EQ(std::system(cmd.c_str()), 0);

  auto w = emptyWorld();
  ASSERT_EQ(loadGame(*w, out, kLoadNewGame), kLoadOk);
  EXPECT_GE(w->unitCount(), 250u);
  EXPECT_EQ(w->colours.checkedSwatch[WorldColours::kSky], paletteIndex("Blue"));
  int inWater = 0, hunters = 0;
  for (const auto& u : w->allUnits()) {
    inWater += u->inWater == 1;
    hunters += !u->unitTemplate->stationary() && !u->unitTemplate->eats.empty() &&
               !u->unitTemplate->eats.front()->stationary();
  }
  EXPECT_GE(inWater, 30);
  EXPECT_GE(hunters, 5);
  // The island stands out of the sea and the sea surrounds it.
  EXPECT_GT(w->groundHeight(0.0f, 0.0f), 2.0f);
  EXPECT_LT(w->groundHeight(75.0f, 75.0f), -2.0f);

  auto kinds = [&] {
    std::map<std::string, int> n;
    for (const auto& u : w->allUnits()) ++n[u->unitTemplate->modelFileName()];
    return n;
  };
  const auto kindsBefore = kinds();

  // Five simulated minutes at speed 5.
  const World::Stats before = w->stats;
  for (int i = 0; i < 1200; ++i) w->step(0.05f, 0.25f);
  EXPECT_GT(w->stats.births, before.births);
  EXPECT_GT(w->stats.bites, before.bites);
  EXPECT_TRUE(allFinite(*w));
  EXPECT_GE(w->unitCount(), 150u);
  // No kind dies out in the first minutes of a new game, hunters and hunted alike.
  const auto kindsAfter = kinds();
  for (const auto& [model, n] : kindsBefore) EXPECT_TRUE(kindsAfter.count(model)) << model << " died out";
  RecordProperty("births", static_cast<int>(w->stats.births - before.births));
  RecordProperty("bites", static_cast<int>(w->stats.bites - before.bites));
  RecordProperty("deaths", static_cast<int>(w->stats.deaths - before.deaths));
  RecordProperty("units", static_cast<int>(w->unitCount()));
}
