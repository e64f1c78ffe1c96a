#pragma once
#include <memory>
#include <string>
#include <vector>

#include "scenes/scene.hpp"

namespace qv {

class HudButton;

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

// The five save slots, for a new game (the main menu's "New Game") or for
// loading; the slot state itself is the save game code's (saveSlots()).
class SceneSaveSlots : public Scene {
 public:
  SceneSaveSlots();
  ~SceneSaveSlots() override;
  void onBecameCurrent() override;
  // Shows the slot's current label (used slots show their save date).
  void relabel(int slot);
  const std::vector<std::shared_ptr<HudButton>>& slotButtons() const { return slotButtons_; }
  HudButton& backButton() { return *back_; }

 private:
  std::vector<std::shared_ptr<HudButton>> slotButtons_;
  std::shared_ptr<HudButton> back_;
};

class SceneOverwriteSaveSlot : public Scene {
 public:
  SceneOverwriteSaveSlot();
};

}  // namespace qv
