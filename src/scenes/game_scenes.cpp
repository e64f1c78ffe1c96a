#include "scenes/game_scenes.hpp"

namespace qv {

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
