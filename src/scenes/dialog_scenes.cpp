#include "scenes/dialog_scenes.hpp"

#include "scenes/scene_helpers.hpp"

namespace qv {

#define QV_DIALOG_SCENE(Name, Label)          \
  Name::Name() : SceneGameplay(Label, true) { \
    standardTransitions(*this);               \
    logLoaded();                              \
  }
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

}  // namespace qv
