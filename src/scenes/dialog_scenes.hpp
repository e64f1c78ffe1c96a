#pragma once

#include "scenes/scene_gameplay.hpp"

namespace qv {

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

class SceneGameplayWithSettings : public SceneGameplay {
 public:
  SceneGameplayWithSettings();
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

class SceneGameplayWithErrorMessage : public SceneGameplay {
 public:
  SceneGameplayWithErrorMessage();
};

}  // namespace qv
