#pragma once
#include <memory>
#include <string>

#include "scenes/scene.hpp"

namespace qv {

// Menu screens that share the title, version plate and logo, with the backdrop always shown.
class SceneWithTitleLogoAndVersion : public Scene {
 public:
  explicit SceneWithTitleLogoAndVersion(std::string name);
};

class SceneLoading : public SceneWithTitleLogoAndVersion {
 public:
  SceneLoading();
};

class SceneMainMenu : public SceneWithTitleLogoAndVersion {
 public:
  SceneMainMenu();
};

class SceneGameplayWithEarlyAccess : public SceneWithTitleLogoAndVersion {
 public:
  SceneGameplayWithEarlyAccess();
};

class SceneSaveSlots : public Scene {
 public:
  SceneSaveSlots();
};

class SceneOverwriteSaveSlot : public Scene {
 public:
  SceneOverwriteSaveSlot();
};

// The world view. Every in-game screen derives from it so the world keeps
// being drawn behind panels and dialogs; dialog-like ones freeze it.
class SceneGameplay : public Scene {
 public:
  SceneGameplay(std::string name, bool freezesWorld);
  bool update(float dt) override;
  void draw() override;
  int mouse(float x, float y, int action) override;
  virtual void resetWorld();
  bool freezesWorld() const { return freezesWorld_; }

  // What the scene needs from the input layer each frame; kept here so the
  // scene runs (and is tested) without a window.
  struct InputView {
    bool leftHeld = false, rightHeld = false, middleHeld = false, shiftHeld = false;
    float mouseDeltaX = 0.0f, mouseDeltaY = 0.0f;
    bool underWaterInversion = false;
    bool scriptedCamera = false;
  };
  static InputView& inputView();
  // Timer of the developer's scripted camera move; advanced with simulated time.
  static float& scriptedCameraTimer();

 protected:
  bool eraserActive() const;

 private:
  bool freezesWorld_;
};

class SceneGameplayWithTopHud : public SceneGameplay {
 public:
  SceneGameplayWithTopHud();

 protected:
  explicit SceneGameplayWithTopHud(std::string name);
};

#define QV_DECLARE_SCENE(Name, Base) \
  class Name : public Base {         \
   public:                           \
    Name();                          \
  };
QV_DECLARE_SCENE(SceneGameplayWithTopHudAndUnitPlacementHud, SceneGameplayWithTopHud)
QV_DECLARE_SCENE(SceneGameplayWithTopHudAndEraserHud, SceneGameplayWithTopHud)
QV_DECLARE_SCENE(SceneGameplayWithTopHudAndTerrainHud, SceneGameplayWithTopHud)
QV_DECLARE_SCENE(SceneGameplayWithTopHudAndWorldColorsHud, SceneGameplayWithTopHud)
QV_DECLARE_SCENE(SceneGameplayWithUnitsHud, SceneGameplay)
QV_DECLARE_SCENE(SceneGameplayWithEditUnitHud, SceneGameplay)
QV_DECLARE_SCENE(SceneGameplayWithSelectModelHud, SceneGameplay)
QV_DECLARE_SCENE(SceneGameplayWithDeleteUnit, SceneGameplay)
QV_DECLARE_SCENE(SceneGameplayWithInGameMenu, SceneGameplay)
QV_DECLARE_SCENE(SceneGameplayWithHelp, SceneGameplay)
QV_DECLARE_SCENE(SceneGameplayWithQuit, SceneGameplay)
QV_DECLARE_SCENE(SceneGameplayWithSettings, SceneGameplay)
QV_DECLARE_SCENE(SceneGameplayWithGameSavedMenu, SceneGameplay)
QV_DECLARE_SCENE(SceneGameplayWithAskSaveGameMenu, SceneGameplay)
QV_DECLARE_SCENE(SceneGameplayWithSaveAndQuit, SceneGameplay)
QV_DECLARE_SCENE(SceneGameplayWithFeedback, SceneGameplay)
QV_DECLARE_SCENE(SceneGameplayWithErrorMessage, SceneGameplay)
#undef QV_DECLARE_SCENE

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
