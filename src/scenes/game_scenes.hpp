#pragma once
#include <memory>

#include "scenes/dialog_scenes.hpp"
#include "scenes/menu_scenes.hpp"
#include "scenes/scene_gameplay.hpp"
#include "scenes/eraser_panel.hpp"
#include "scenes/terrain_panel.hpp"
#include "scenes/top_hud_scenes.hpp"
#include "scenes/world_colours_panel.hpp"
#include "scenes/delete_question.hpp"
#include "scenes/model_chooser.hpp"
#include "scenes/placement.hpp"
#include "scenes/template_editor.hpp"
#include "scenes/units_screen.hpp"

namespace qv {

// Every scene object of the game, made once at start-up in a fixed order and
// destroyed at exit.
struct GameScenes {
  std::unique_ptr<SceneLoading> loading;
  std::unique_ptr<SceneMainMenu> mainMenu;
  std::unique_ptr<SceneGameplayWithTopHud> topHud;
  std::unique_ptr<SceneGameplayWithTopHudAndUnitPlacementHud> unitPlacement;
  std::unique_ptr<SceneGameplayWithTopHudAndEraserHud> eraser;
  std::unique_ptr<SceneGameplayWithTopHudAndTerrainHud> terrain;
  std::unique_ptr<SceneGameplayWithTopHudAndWorldColorsHud> worldColors;
  std::unique_ptr<SceneGameplayWithUnitsHud> units;
  std::unique_ptr<SceneGameplayWithEditUnitHud> editUnit;
  std::unique_ptr<SceneGameplayWithSelectModelHud> selectModel;
  std::unique_ptr<SceneGameplayWithDeleteUnit> deleteUnit;
  std::unique_ptr<SceneGameplayWithInGameMenu> inGameMenu;
  std::unique_ptr<SceneGameplayWithHelp> help;
  std::unique_ptr<SceneGameplayWithQuit> quit;
  std::unique_ptr<SceneGameplayWithSettings> settings;
  std::unique_ptr<SceneGameplayWithGameSavedMenu> gameSaved;
  std::unique_ptr<SceneGameplayWithAskSaveGameMenu> askSave;
  std::unique_ptr<SceneGameplayWithSaveAndQuit> saveAndQuit;
  std::unique_ptr<SceneGameplayWithFeedback> feedback;
  std::unique_ptr<SceneGameplayWithEarlyAccess> earlyAccess;
  std::unique_ptr<SceneSaveSlots> saveSlots;
  std::unique_ptr<SceneOverwriteSaveSlot> overwriteSlot;
  std::unique_ptr<SceneGameplayWithErrorMessage> errorMessage;

  // Creates every scene after the loading scene, in start-up order. readDeveloperFile
  // runs just before the first gameplay scene is made.
  void createAllButLoading(void (*readDeveloperFile)());
  void destroyAll();
};

GameScenes& gameScenes();

}  // namespace qv
