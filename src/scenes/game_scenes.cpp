#include "scenes/game_scenes.hpp"

#include "scenes/scene_helpers.hpp"
#include "ui/hud.hpp"

namespace qv {

std::shared_ptr<Hud> centredPanelHud(std::shared_ptr<Image> panel, float width, float height) {
  auto hud = std::make_shared<Hud>();
  // A nine-slice panel is drawn larger than the size it is asked for (its
  // frame and shadow come on top), so the centre is taken from what is drawn;
  // without a picture nothing is drawn and the asked size stands in.
  const float shownW = panel && panel->displayWidth > 0.0f ? panel->displayWidth : width;
  const float shownH = panel && panel->displayHeight > 0.0f ? panel->displayHeight : height;
  hud->background = std::move(panel);
  hud->setPositionPx(-static_cast<float>(static_cast<int>(shownW / 2)), static_cast<float>(static_cast<int>(shownH / 2)));
  return hud;
}

void standardTransitions(Scene& s) {
  s.addTransitionIn(steps::FadeIn, 0);
  s.addTransitionOut(steps::FadeOut, 0);
  s.addTransitionOut(steps::Hidden, 0);
}

GameScenes& gameScenes() {
  static GameScenes g;
  return g;
}

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
