#include "scenes/top_hud_scenes.hpp"

#include "scenes/scene_helpers.hpp"

namespace qv {

SceneGameplayWithTopHud::SceneGameplayWithTopHud() : SceneGameplayWithTopHud("Gameplay With Top Hud") {
  logLoaded();
}

SceneGameplayWithTopHud::SceneGameplayWithTopHud(std::string name) : SceneGameplay(std::move(name), false) {
  addTransitionIn(steps::FadeIn, 0);
  addTransitionOut(steps::FadeOut, 0);
  addTransitionOut(steps::Hidden, 0);
  addTransitionIn(steps::FadeIn, 1);
  addTransitionOut(steps::Instant, 1);
  addTransitionIn(steps::Instant, 2);
  addTransitionOut(steps::FadeOut, 2);
}

SceneGameplayWithTopHudAndEraserHud::SceneGameplayWithTopHudAndEraserHud()
    : SceneGameplayWithTopHud("Gameplay With Top Hud And Eraser Hud") {
  logLoaded();
}

SceneGameplayWithTopHudAndTerrainHud::SceneGameplayWithTopHudAndTerrainHud()
    : SceneGameplayWithTopHud("Gameplay With Top Hud And Terrain Hud") {
  logLoaded();
}

SceneGameplayWithTopHudAndWorldColorsHud::SceneGameplayWithTopHudAndWorldColorsHud()
    : SceneGameplayWithTopHud("Gameplay With Top Hud And World Colors Hud") {
  logLoaded();
}

}  // namespace qv
