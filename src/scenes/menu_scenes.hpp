#pragma once
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

}  // namespace qv
