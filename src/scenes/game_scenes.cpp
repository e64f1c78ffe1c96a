#include "scenes/game_scenes.hpp"

#include "scenes/app_config.hpp"
#include "scenes/scene_draw.hpp"
#include "ui/hud.hpp"

namespace qv {
namespace {
const Colour kMessageColour{0.61f, 0.99f, 0.78f, 1.0f};

// One panel centred on the interface: its top-left corner sits half its size up and left.
std::shared_ptr<Hud> centredPanelHud(std::shared_ptr<Image> panel, float width, float height) {
  auto hud = std::make_shared<Hud>();
  hud->background = std::move(panel);
  hud->setPositionPx(-static_cast<float>(static_cast<int>(width / 2)), static_cast<float>(static_cast<int>(height / 2)));
  return hud;
}

void standardTransitions(Scene& s) {
  s.addTransitionIn(steps::FadeIn, 0);
  s.addTransitionOut(steps::FadeOut, 0);
  s.addTransitionOut(steps::Hidden, 0);
}
}  // namespace

GameScenes& gameScenes() {
  static GameScenes g;
  return g;
}

SceneWithTitleLogoAndVersion::SceneWithTitleLogoAndVersion(std::string name) : Scene(std::move(name), 1) {
  addTitleHuds(*this);
}

SceneLoading::SceneLoading() : SceneWithTitleLogoAndVersion("Loading") {
  addLoadingHud(*this);
  addTransitionOut(steps::FadeOut, 0);
  addTransitionOut(steps::Hidden, 0);
  logLoaded();
}

SceneMainMenu::SceneMainMenu() : SceneWithTitleLogoAndVersion("Main Menu") {
  auto hud = centredPanelHud(std::make_shared<ImageHudMainMenu>(468.0f, 394.0f), 468.0f, 394.0f);
  const struct {
    const char* label;
    int id;
  } buttons[] = {{"New Game", 101}, {"Load Game", 107}, {"Settings", 102},
                 {"Send Feedback", 106}, {"Early Access", 105}, {"Quit", 103}};
  float y = -105.0f;
  for (const auto& b : buttons) {
    hud->addComponent(std::make_shared<HudButtonLargeLong>(b.label, 55.0f, y, b.id), 0);
    y -= 78.0f;
  }
  addHud(hud);
  addTransitionIn(steps::FadeIn, 0);
  addTransitionOut(steps::FadeOut, 0);
  addTransitionOut(steps::Hidden, 0);
  addTransitionOut(steps::FadeOut, 1);
  addTransitionOut(steps::Hidden, 1);
  addTransitionOut(steps::TitleFadeOut, 1);
  logLoaded();
}

SceneGameplayWithEarlyAccess::SceneGameplayWithEarlyAccess()
    : SceneWithTitleLogoAndVersion("Gameplay With Early Access") {
  auto hud = centredPanelHud(std::make_shared<ImageHudUnits>(832.0f, 130.0f), 832.0f, 130.0f);
  const std::string message = std::string(
                                  "-The game is currently in early access\n-There may be bugs\n"
                                  "-Signup to the mailing list to be notified of updates\n at ") +
                              kMailingListPage;
  hud->addComponent(std::make_shared<HudTextStatic>(50.0f, -111.0f, message, 26, kMessageColour), 0);
  hud->addComponent(std::make_shared<HudButtonLargeShort>("Ok", 55.0f, -235.0f, 1801), 0);
  hud->addComponent(std::make_shared<HudButtonLargeLong>("Join Mailing List", 419.0f, -235.0f, 1802), 0);
  addHud(hud);
  standardTransitions(*this);
  logLoaded();
}

SceneSaveSlots::SceneSaveSlots() : Scene("Save Slots", 1) {
  standardTransitions(*this);
  logLoaded();
}

SceneOverwriteSaveSlot::SceneOverwriteSaveSlot() : Scene("Overwrite Save Slot", 1) {
  standardTransitions(*this);
  logLoaded();
}

SceneGameplayWithTopHud::SceneGameplayWithTopHud() : SceneGameplayWithTopHud("Gameplay With Top Hud") {
  logLoaded();
}

SceneGameplayWithTopHud::SceneGameplayWithTopHud(std::string name) : SceneGameplay(std::move(name), false) {
  addTransitionIn(steps::FadeIn, 0);
  addTransitionOut(steps::FadeOut, 0);
  addTransitionOut(steps::Hidden, 0);
  addTransitionIn(steps::FadeIn, 1);
  addTransitionOut(steps::Instant, 1);
  addTransitionIn(steps::Instant, 2);
  addTransitionOut(steps::FadeOut, 2);
}

#define QV_TOOL_SCENE(Name, Label)                           \
  Name::Name() : SceneGameplayWithTopHud(Label) { logLoaded(); }
QV_TOOL_SCENE(SceneGameplayWithTopHudAndUnitPlacementHud, "Gameplay With Top Hud And Unit Placement Hud")
QV_TOOL_SCENE(SceneGameplayWithTopHudAndEraserHud, "Gameplay With Top Hud And Eraser Hud")
QV_TOOL_SCENE(SceneGameplayWithTopHudAndTerrainHud, "Gameplay With Top Hud And Terrain Hud")
QV_TOOL_SCENE(SceneGameplayWithTopHudAndWorldColorsHud, "Gameplay With Top Hud And World Colors Hud")
#undef QV_TOOL_SCENE

#define QV_DIALOG_SCENE(Name, Label)                         \
  Name::Name() : SceneGameplay(Label, true) {                \
    standardTransitions(*this);                              \
    logLoaded();                                             \
  }
QV_DIALOG_SCENE(SceneGameplayWithUnitsHud, "Gameplay With Units Hud")
QV_DIALOG_SCENE(SceneGameplayWithEditUnitHud, "Gameplay With Edit Unit Hud")
QV_DIALOG_SCENE(SceneGameplayWithSelectModelHud, "Gameplay With Select Model Hud")
QV_DIALOG_SCENE(SceneGameplayWithDeleteUnit, "Gameplay With Delete Unit")
QV_DIALOG_SCENE(SceneGameplayWithInGameMenu, "Gameplay With In Game Menu")
QV_DIALOG_SCENE(SceneGameplayWithHelp, "Gameplay With Help")
QV_DIALOG_SCENE(SceneGameplayWithQuit, "Gameplay With Quit")
QV_DIALOG_SCENE(SceneGameplayWithSettings, "Gameplay With Settings")
QV_DIALOG_SCENE(SceneGameplayWithGameSavedMenu, "Gameplay With Game Saved")
QV_DIALOG_SCENE(SceneGameplayWithAskSaveGameMenu, "Gameplay With Game Saved")
QV_DIALOG_SCENE(SceneGameplayWithSaveAndQuit, "Gameplay With Save and Quit")
QV_DIALOG_SCENE(SceneGameplayWithFeedback, "Gameplay With Feedback")
QV_DIALOG_SCENE(SceneGameplayWithErrorMessage, "Gameplay With Error Message")
#undef QV_DIALOG_SCENE

void GameScenes::createAllButLoading(void (*readDeveloperFile)()) {
  mainMenu = std::make_unique<SceneMainMenu>();
  if (readDeveloperFile) readDeveloperFile();
  topHud = std::make_unique<SceneGameplayWithTopHud>();
  unitPlacement = std::make_unique<SceneGameplayWithTopHudAndUnitPlacementHud>();
  eraser = std::make_unique<SceneGameplayWithTopHudAndEraserHud>();
  terrain = std::make_unique<SceneGameplayWithTopHudAndTerrainHud>();
  worldColors = std::make_unique<SceneGameplayWithTopHudAndWorldColorsHud>();
  units = std::make_unique<SceneGameplayWithUnitsHud>();
  editUnit = std::make_unique<SceneGameplayWithEditUnitHud>();
  selectModel = std::make_unique<SceneGameplayWithSelectModelHud>();
  deleteUnit = std::make_unique<SceneGameplayWithDeleteUnit>();
  inGameMenu = std::make_unique<SceneGameplayWithInGameMenu>();
  help = std::make_unique<SceneGameplayWithHelp>();
  quit = std::make_unique<SceneGameplayWithQuit>();
  settings = std::make_unique<SceneGameplayWithSettings>();
  gameSaved = std::make_unique<SceneGameplayWithGameSavedMenu>();
  askSave = std::make_unique<SceneGameplayWithAskSaveGameMenu>();
  saveAndQuit = std::make_unique<SceneGameplayWithSaveAndQuit>();
  feedback = std::make_unique<SceneGameplayWithFeedback>();
  earlyAccess = std::make_unique<SceneGameplayWithEarlyAccess>();
  saveSlots = std::make_unique<SceneSaveSlots>();
  overwriteSlot = std::make_unique<SceneOverwriteSaveSlot>();
  errorMessage = std::make_unique<SceneGameplayWithErrorMessage>();
}

void GameScenes::destroyAll() {
  switcher().clear();
  *this = GameScenes{};
}

}  // namespace qv
