#pragma once
#include <array>
#include <memory>

#include "core/colour.hpp"
#include "core/vecmath.hpp"
#include "scenes/top_hud_scenes.hpp"
#include "scenes/units_screen.hpp"

namespace qv {

class Hud;
class HudButton;
class HudTextStatic;
class World;

// The unit about to be placed, as the world view shows it: where, whether it
// may stand there, and the ground colour it would paint.
struct PlacementPreview {
  bool shown = false;
  bool valid = false;
  Vec3 point{};
  bool groundPreview = false;
  Colour groundColour{1, 1, 1, 1};  // already lifted towards white
};
// Decides the preview for this frame and records the placement point and
// whether it is shown in the world (clicks place there). Needs no window.
PlacementPreview decidePlacementPreview(World& world, bool frozen);
// Gameplay draw, before the terrain: decides the preview, tells the terrain
// about the ground-colour ring and draws the template's model (red when the
// spot is not allowed).
void drawPlacementPreview(World& world, bool frozen);

// The panel under the world while placing: the next colours of the selected template.
class SceneGameplayWithTopHudAndUnitPlacementHud : public SceneGameplayWithTopHud {
 public:
  static constexpr int kFirstArrow = 3101;  // 3101..3106: primary -/+, secondary -/+, ground -/+
  SceneGameplayWithTopHudAndUnitPlacementHud();

  bool handleCommand(int id) override;
  void onBecameCurrent() override;
  // The colour keys C, V, B, N, M and comma (0..5), acting while this scene is current.
  void colourStep(int key);
  // The period key.
  void setKeepColour(bool held);
  // part 1 primary, 2 secondary, 3 ground; direction -1 or +1; on the selected template.
  void cycleNextColour(int part, int direction);
  // Which colour rows the selected template can change.
  void refreshPlacementPanel();

  Hud& panel() { return *panel_; }
  // Row r (0 primary, 1 secondary, 2 ground): its text and two arrows.
  HudTextStatic& rowText(int r) { return *rowTexts_[static_cast<size_t>(r)]; }
  HudButton& arrow(int i) { return *arrows_[static_cast<size_t>(i)]; }

 private:
  std::shared_ptr<Hud> panel_;
  std::array<std::shared_ptr<HudTextStatic>, 3> rowTexts_;
  std::array<std::shared_ptr<HudButton>, 6> arrows_;
};

}  // namespace qv
