#include "scenes/delete_question.hpp"

#include "scenes/game_scenes.hpp"
#include "scenes/scene_helpers.hpp"
#include "ui/hud.hpp"
#include "units/world.hpp"

namespace qv {

SceneGameplayWithDeleteUnit::SceneGameplayWithDeleteUnit() : SceneGameplay("Gameplay With Delete Unit", true) {
  auto hud = centredUnitsPanel(732.0f, 48.0f);
  hud->addComponent(std::make_shared<HudTextStatic>(50.0f, -111.0f, "Delete unit template and all placed instances?",
                                                    26, kMessageColour),
                    0);
  hud->addComponent(std::make_shared<HudButtonLargeShort>("Cancel", 55.0f, -153.0f, kCancel), 0);
  hud->addComponent(std::make_shared<HudButtonLargeShort>("Delete", 498.0f, -153.0f, kDelete), 0);
  addHud(hud);
  standardTransitions(*this);
  logLoaded();
}

bool SceneGameplayWithDeleteUnit::deleteMarked() {
  World& w = World::shared();
  int& mark = unitsScreenState().templateToDelete;
  const auto& assigned = w.templates.assigned;
  const bool valid = mark >= 0 && static_cast<size_t>(mark) < assigned.size();
  if (valid) {
    // A copy: the list entry itself moves while the template leaves the list.
    const TemplatePtr doomed = assigned[static_cast<size_t>(mark)];
    w.deleteTemplate(doomed);
    w.unsavedChanges = true;
  }
  mark = -1;
  if (gameScenes().units) gameScenes().units->refreshTemplateButtons();
  return valid;
}

bool SceneGameplayWithDeleteUnit::handleCommand(int id) {
  if (id == kCancel) {
    unitsScreenState().templateToDelete = -1;
    requestScene(gameScenes().units.get(), 0);
    return true;
  }
  if (id == kDelete) {
    deleteMarked();
    requestScene(gameScenes().units.get(), 0);
    return true;
  }
  return false;
}

}  // namespace qv
