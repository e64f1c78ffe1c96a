#pragma once
#include <memory>

#include "scenes/tool_panel.hpp"
#include "scenes/top_hud_scenes.hpp"

namespace qv {

class Hud;
class HudCheckbox;

// The world options: sky, land, water and cloud colours from the palette.
class SceneGameplayWithTopHudAndWorldColorsHud : public SceneGameplayWithTopHud {
 public:
  // First identifier of each row (sky, land, water, cloud); + palette index.
  static constexpr int kRowFirstId[4] = {3510, 3530, 3550, 3570};
  static constexpr float kPanelWidth = 850.0f, kPanelHeight = 220.0f;

  SceneGameplayWithTopHudAndWorldColorsHud();
  int mouse(float x, float y, int action) override;
  // Shows the checked swatches of the world (a loaded game brings its own) and applies them.
  void onBecameCurrent() override;

  // Row and palette index of a swatch identifier; false for anything else.
  static bool swatchOf(int id, int& row, int& index);
  // Sets each row's colour from the hovered swatch (id) or the checked one and
  // gives the lifted colours to the world; a press checks the hovered swatch.
  void applyColours(int id, bool press);
  Hud& panel() { return *panel_; }
  HudCheckbox& swatch(int row, int index);

 private:
  std::shared_ptr<Hud> panel_;
};

}  // namespace qv
