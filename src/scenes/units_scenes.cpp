#include "scenes/units_scenes.hpp"

#include "scenes/scene_helpers.hpp"

namespace qv {

SceneGameplayWithTopHudAndUnitPlacementHud::SceneGameplayWithTopHudAndUnitPlacementHud()
    : SceneGameplayWithTopHud("Gameplay With Top Hud And Unit Placement Hud") {
  logLoaded();
}

#define QV_DIALOG_SCENE(Name, Label)          \
  Name::Name() : SceneGameplay(Label, true) { \
    standardTransitions(*this);               \
    logLoaded();                              \
  }
QV_DIALOG_SCENE(SceneGameplayWithUnitsHud, "Gameplay With Units Hud")
QV_DIALOG_SCENE(SceneGameplayWithEditUnitHud, "Gameplay With Edit Unit Hud")
QV_DIALOG_SCENE(SceneGameplayWithSelectModelHud, "Gameplay With Select Model Hud")
QV_DIALOG_SCENE(SceneGameplayWithDeleteUnit, "Gameplay With Delete Unit")
#undef QV_DIALOG_SCENE

}  // namespace qv
