#include "scenes/top_hud_scenes.hpp"

#include <cmath>
#include <vector>

#include "scenes/game_scenes.hpp"
#include "scenes/scene_helpers.hpp"
#include "ui/hud.hpp"
#include "units/world.hpp"

namespace qv {

namespace {

// The scenes own the top bar between them; it lives while any of them does.
std::weak_ptr<Hud>& topHudSlot() {
  static std::weak_ptr<Hud> hud;
  return hud;
}

// The Help button, kept so its pulse can be stopped without a search.
std::weak_ptr<HudButton>& helpButtonSlot() {
  static std::weak_ptr<HudButton> button;
  return button;
}

std::shared_ptr<Hud> buildTopHud() {
  auto hud = std::make_shared<Hud>();
  hud->background = std::make_shared<ImageHudTop>();
  hud->setPositionPx(-std::floor(1522.0f / 2.0f), 540.0f);
  using namespace tophud;
  hud->addComponent(std::make_shared<HudButtonSmall>("", "Menu", 25.0f, kMenu, "In Game Menu"), 0);
  auto help = std::make_shared<HudButtonSmall>("", "Help", 205.0f, kHelp, "Learn About the Game");
  // A new player is invited to read the help until they have opened it once.
  help->setPulsing(true);
  helpButtonSlot() = help;
  hud->addComponent(help, 0);
  hud->addComponent(std::make_shared<HudButtonSmall>("", "Units", 407.0f, kUnits, "Place/Modify Units (U)"), 0);
  hud->addComponent(std::make_shared<HudButtonSmall>("", "Erase", 587.0f, kErase, "Erase Units (E)"), 0);
  hud->addComponent(std::make_shared<HudButtonSmall>("", "Terrain", 767.0f, kTerrain, "Modify Terrain (T)"), 0);
  hud->addComponent(std::make_shared<HudButtonSmall>("", "World", 947.0f, kWorld, "World Options (O)"), 0);
  const struct {
    const char* icon;
    float x;
    int id;
    const char* tooltip;
  } speeds[] = {
      {"Symbol Button Small Very Short Pause.png", 1149.0f, kPause, "Pause Game (0 or P)"},
      {"Symbol Button Small Very Short Arrow 1.png", 1237.0f, kSpeed1, "Normal Speed (1)"},
      {"Symbol Button Small Very Short Arrow 2.png", 1325.0f, kSpeed2, "Faster Speed (2)"},
      {"Symbol Button Small Very Short Arrow 3.png", 1413.0f, kSpeed3, "Very Fast Speed (3)"},
  };
  for (const auto& s : speeds)
    hud->addComponent(std::make_shared<HudButtonSmallVeryShort>(s.icon, "", s.x, -3.0f, s.id, s.tooltip, kTooltipBelow),
                      1);
  return hud;
}

Scene* toolScene(int toolMode) {
  GameScenes& g = gameScenes();
  switch (toolMode) {
    case kEraserTool: return g.eraser.get();
    case kTerrainTool: return g.terrain.get();
    case kWorldColoursTool: return g.worldColors.get();
    default: return nullptr;
  }
}

}  // namespace

// ---------------------------------------------------------------- speed and tools

int tophud::speedIndexOf(bool paused, float timeScale) {
  if (paused) return 0;
  if (timeScale >= 20.0f) return 3;
  if (timeScale >= 5.0f) return 2;
  return 1;
}

void setGameSpeed(int index) {
  if (index < 0 || index > 3) return;
  World::shared().setGameSpeed(index);
  if (const auto hud = topHudSlot().lock()) hud->setSelected(1, index);
}

// Whether a switch to target is still needed: not when it is already on its
// way, nor when it is showing and staying. A scene that is showing while another
// one is asked for is asked for again, so a quick second key press wins.
static bool switchNeeded(Scene* target) {
  const SceneSwitcher& sw = switcher();
  if (!target || sw.requested() == target) return false;
  return sw.current() != target || sw.requested() != nullptr;
}

void toggleTool(int toolMode) {
  if (toolMode < kEraserTool || toolMode > kWorldColoursTool) return;
  World& w = World::shared();
  if (w.toolMode == toolMode) {
    w.toolMode = kNoTool;
    Scene* bar = gameScenes().topHud.get();
    if (switchNeeded(bar)) requestScene(bar, 2);
    return;
  }
  w.toolMode = toolMode;
  // A missing scene (a reduced set in tools and tests) leaves just the mode set.
  Scene* target = toolScene(toolMode);
  if (switchNeeded(target)) requestScene(target, 1);
}

// ---------------------------------------------------------------- top bar

SceneGameplayWithTopHud::SceneGameplayWithTopHud() : SceneGameplayWithTopHud("Gameplay With Top Hud") {
  logLoaded();
}

SceneGameplayWithTopHud::SceneGameplayWithTopHud(std::string name) : SceneGameplay(std::move(name), false) {
  std::shared_ptr<Hud> hud = topHudSlot().lock();
  if (!hud) {
    hud = buildTopHud();
    topHudSlot() = hud;
  }
  addHud(hud);
  World& w = World::shared();
  hud->setSelected(1, tophud::speedIndexOf(w.paused, w.timeScale));
  addTransitionIn(steps::FadeIn, 0);
  addTransitionOut(steps::FadeOut, 0);
  addTransitionOut(steps::Hidden, 0);
  addTransitionIn(steps::FadeIn, 1);
  addTransitionOut(steps::Instant, 1);
  addTransitionIn(steps::Instant, 2);
  addTransitionOut(steps::FadeOut, 2);
}

Hud& SceneGameplayWithTopHud::topHud() { return *topHudSlot().lock(); }
bool SceneGameplayWithTopHud::topHudExists() { return !topHudSlot().expired(); }

void SceneGameplayWithTopHud::syncSpeedButtons() {
  const auto hud = topHudSlot().lock();
  if (!hud) return;
  const World& w = World::shared();
  const int index = tophud::speedIndexOf(w.paused, w.timeScale);
  if (hud->layer(1).selected != index) hud->setSelected(1, index);
}

bool SceneGameplayWithTopHud::update(float dt) {
  syncSpeedButtons();
  return SceneGameplay::update(dt);
}

bool SceneGameplayWithTopHud::handleCommand(int id) {
  using namespace tophud;
  switch (id) {
    case kErase: toggleTool(kEraserTool); return true;
    case kTerrain: toggleTool(kTerrainTool); return true;
    case kWorld: toggleTool(kWorldColoursTool); return true;
    case kPause: case kSpeed1: case kSpeed2: case kSpeed3: setGameSpeed(id - kPause); return true;
    default: return false;
  }
}

void SceneGameplayWithTopHud::setHelpPulsing(bool on) {
  if (const auto help = helpButtonSlot().lock()) help->setPulsing(on);
}
void SceneGameplayWithTopHud::stopHelpPulsing() { setHelpPulsing(false); }
bool SceneGameplayWithTopHud::helpPulsing() const {
  const auto help = helpButtonSlot().lock();
  return help && help->pulsing;
}

}  // namespace qv
