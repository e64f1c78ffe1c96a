#include "scenes/world_colours_panel.hpp"

#include "render/palette.hpp"
#include "ui/hud.hpp"
#include "units/world.hpp"

namespace qv {

// ---------------------------------------------------------------- world colours

SceneGameplayWithTopHudAndWorldColorsHud::SceneGameplayWithTopHudAndWorldColorsHud()
    : SceneGameplayWithTopHud("Gameplay With Top Hud And World Colors Hud"),
      panel_(bottomPanel(kPanelWidth, kPanelHeight)) {
  const char* titles[4] = {"Sky Color", "Land Color", "Water Color", "Cloud Color"};
  for (int row = 0; row < 4; ++row)
    panel_->addComponent(std::make_shared<HudTextStatic>(104.0f, -24.0f - 54.0f * static_cast<float>(row), titles[row], 33),
                         2);
  for (int row = 0; row < 4; ++row)
    for (int k = 0; k < kPaletteSize; ++k) {
      auto box = std::make_shared<HudCheckbox>(338.0f + 36.0f * static_cast<float>(k),
                                               -19.0f - 54.0f * static_cast<float>(row), kRowFirstId[row] + k, true, "",
                                               true, kPalette[static_cast<size_t>(k)].colour);
      panel_->addComponent(box, 3 + row);
    }
  panel_->addComponent(
      std::make_shared<HudPopupMessage>("World Options...\n-Change the colors for different parts of the world", 33.0f,
                                        -105.0f),
      7);
  addHud(panel_);
  logLoaded();
}

bool SceneGameplayWithTopHudAndWorldColorsHud::swatchOf(int id, int& row, int& index) {
  for (int r = 0; r < 4; ++r)
    if (id >= kRowFirstId[r] && id < kRowFirstId[r] + kPaletteSize) {
      row = r;
      index = id - kRowFirstId[r];
      return true;
    }
  return false;
}

HudCheckbox& SceneGameplayWithTopHudAndWorldColorsHud::swatch(int row, int index) {
  return static_cast<HudCheckbox&>(*panel_->layer(3 + row).components.at(static_cast<size_t>(index)));
}

void SceneGameplayWithTopHudAndWorldColorsHud::applyColours(int id, bool press) {
  World& w = World::shared();
  int hoverRow = -1, hoverIndex = -1;
  swatchOf(id, hoverRow, hoverIndex);
  for (int row = 0; row < 4; ++row) {
    int& checked = w.colours.checkedSwatch[row];
    // A save from elsewhere may name a swatch that does not exist: treat it as none.
    if (checked < -1 || checked >= kPaletteSize) checked = -1;
    if (row == hoverRow) {
      w.colours.row[row] = kPalette[static_cast<size_t>(hoverIndex)].colour;
      if (press) {
        if (checked != hoverIndex) w.unsavedChanges = true;
        checked = hoverIndex;
      }
    } else {
      w.colours.row[row] = checked >= 0 ? kPalette[static_cast<size_t>(checked)].colour : Colour{1, 1, 1, 1};
    }
    for (int k = 0; k < kPaletteSize; ++k) swatch(row, k).checked = k == checked;
    HudLayer& layer = panel_->layer(3 + row);
    if (layer.selected != checked) panel_->setSelected(3 + row, checked);
  }
  w.applyWorldColours();
}

int SceneGameplayWithTopHudAndWorldColorsHud::mouse(float x, float y, int action) {
  const int result = SceneGameplayWithTopHud::mouse(x, y, action);
  applyColours(result, action == kMousePress);
  int row = 0, index = 0;
  return swatchOf(result, row, index) ? 0 : result;
}

void SceneGameplayWithTopHudAndWorldColorsHud::onBecameCurrent() { applyColours(0, false); }

}  // namespace qv
