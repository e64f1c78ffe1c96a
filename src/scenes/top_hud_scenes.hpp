#pragma once
#include <memory>
#include <string>

#include "scenes/command_ids.hpp"
#include "scenes/scene_gameplay.hpp"

namespace qv {

class Hud;
class HudButton;

// 0 pauses; 1, 2, 3 run the world at x1, x5 and x20. The top bar's speed
// button of that index lights up.
void setGameSpeed(int index);
// kEraserTool, kTerrainTool or kWorldColoursTool: selects the tool and its scene,
// or, when that tool is already on, puts it away and returns to the plain top bar.
void toggleTool(int toolMode);

namespace tophud {
// Speed button index (0..3) that shows the world's clock state.
int speedIndexOf(bool paused, float timeScale);
}  // namespace tophud

// The world view with the bar across the top: game speed, menu, help and the
// four tools. One top Hud serves this scene and every tool scene. The scene
// answers the tool and speed buttons itself; Menu, Help and Units are navigation
// and go through the central command handler.
class SceneGameplayWithTopHud : public SceneGameplay {
 public:
  SceneGameplayWithTopHud();
  bool update(float dt) override;
  bool handleCommand(int id) override;

  // The Help button pulses until the player has opened help once.
  void stopHelpPulsing();
  void setHelpPulsing(bool on);
  bool helpPulsing() const;

  // The one top bar (built by the first scene of this family).
  static Hud& topHud();
  static bool topHudExists();

 protected:
  explicit SceneGameplayWithTopHud(std::string name);
  // Keeps the speed buttons in step with the world, however its speed changed.
  void syncSpeedButtons();
};

}  // namespace qv
