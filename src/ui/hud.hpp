#pragma once
#include <memory>
#include <vector>

#include "ui/hud_button.hpp"
#include "ui/hud_checkbox.hpp"
#include "ui/hud_component.hpp"
#include "ui/hud_slider.hpp"
#include "ui/hud_text.hpp"

namespace qv {

// A group of widgets in layers, placed and drawn together; the widget families
// come with this header.
struct HudLayer {
  std::vector<std::shared_ptr<HudComponent>> components;
  int selected = -1;
  bool visible = true;
};

class Hud {
 public:
  static constexpr int kNoPageLayers = 1 << 20;
  // Shared ownership, or a reference to a component the caller keeps alive.
  void addComponent(std::shared_ptr<HudComponent> component, int layer);
  void addComponent(HudComponent& component, int layer);
  // (x, y): design pixels relative to the Hud's corner. Returns the identifier of the
  // last component hit (0 for none); keeps radio highlights per layer, and with page
  // switching a press on a layer-1 button shows that page.
  int mouse(float x, float y, int action);
  void update(float dt);
  // Background, caption, components, then the tooltips of its components (unless
  // the owner draws them itself with drawTooltips after every Hud).
  void draw(float alpha);
  void drawTooltips(float alpha);
  void setSelected(int layer, int index);
  void showPage(int page);
  // Top-left corner in design pixels from the interface centre, y up.
  void setPositionPx(float x, float y) {
    posX = pxToUnits(x);
    posY = pxToUnits(y);
  }
  HudLayer& layer(int i) { return layers.at(static_cast<size_t>(i)); }

  std::vector<HudLayer> layers;
  std::shared_ptr<Image> background;
  std::vector<ImageRect> captionPictures;
  std::vector<ImageTextStatic> captionTexts;
  int captionIndex = -1;
  float posX = 0.0f, posY = 0.0f;  // units
  bool pageSwitching = false;
  int currentPage = -1;
  int firstPageLayer = kNoPageLayers;  // layers from here on are pages
  bool keepSelectionInPageLayers = false;
  bool isTitle = false;
  bool tooltipsDrawnByOwner = false;

 private:
  std::vector<int> results_;  // scratch, sized when components are added
};

}  // namespace qv
