#pragma once
#include <functional>
#include <memory>
#include <string>

#include "scenes/scene_gameplay.hpp"

namespace qv {

class HudButton;
class HudCheckboxAndLabel;
class HudSlider;
class HudTextDynamic;

class SceneGameplayWithInGameMenu : public SceneGameplay {
 public:
  SceneGameplayWithInGameMenu();
};

class SceneGameplayWithHelp : public SceneGameplay {
 public:
  SceneGameplayWithHelp();
};

class SceneGameplayWithQuit : public SceneGameplay {
 public:
  SceneGameplayWithQuit();
};

// The settings screen. While the game runs its two checkboxes are where the
// vertical-sync and frame-limit choices live; the sliders drive the volumes.
class SceneGameplayWithSettings : public SceneGameplay {
 public:
  SceneGameplayWithSettings();
  // Offers the other window mode before running the frame.
  bool update(float dt) override;

  // Asked every frame whether the window is full screen; unset means windowed.
  std::function<bool()> isFullScreen;
  std::shared_ptr<HudSlider> musicSlider, soundSlider;
  std::shared_ptr<HudCheckboxAndLabel> verticalSyncBox, frameLimitBox;
  std::shared_ptr<HudButton> fullScreenButton, windowedButton, backButton;
};

class SceneGameplayWithGameSavedMenu : public SceneGameplay {
 public:
  SceneGameplayWithGameSavedMenu();
};

class SceneGameplayWithAskSaveGameMenu : public SceneGameplay {
 public:
  SceneGameplayWithAskSaveGameMenu();
};

class SceneGameplayWithSaveAndQuit : public SceneGameplay {
 public:
  SceneGameplayWithSaveAndQuit();
};

class SceneGameplayWithFeedback : public SceneGameplay {
 public:
  SceneGameplayWithFeedback();
};

// Reports what went wrong when a save or the default world was read. Fatal
// problems offer only the way back; the others also let the player go on.
class SceneGameplayWithErrorMessage : public SceneGameplay {
 public:
  SceneGameplayWithErrorMessage();
  // Message for a load result code (empty for unknown codes) and whether it is fatal.
  static std::string messageFor(int result);
  static bool fatal(int result);
  void show(int result, Scene* back, Scene* onContinue);
  // Any message; a fatal one offers only "Back".
  void showMessage(const std::string& shown, bool isFatal, Scene* back, Scene* onContinue);
  static constexpr const char* kSaveFailedMessage =
      "Error: Couldn't save the game.\n        The previous save is unchanged.";

  std::shared_ptr<HudTextDynamic> text;
  std::shared_ptr<HudButton> backLeft, backCentred, continueAnyway;
  Scene* backScene = nullptr;
  Scene* continueScene = nullptr;
  std::string message;
};

// After a slot load or a new game: success enters the world, anything else
// shows the error dialog with backScene behind its "Back".
void showLoadResult(int result, Scene* backScene);
// A save that did not reach the disk: the error dialog over the world, with
// only "Back" (to backScene); the game goes on and nothing counts as saved.
void showSaveFailed(Scene* backScene);

}  // namespace qv
