#pragma once
#include <optional>
#include <string_view>

#include "ui/hud_component.hpp"

namespace qv {

// Checkboxes, colour swatches and the labelled checkbox of the settings screen.
class HudCheckbox : public HudComponent {
 public:
  HudCheckbox(float x, float y, int identifier, bool swatchStyle = false, std::string_view tooltip = "",
              bool clickWhenDisabled = false, Colour swatchColour = {1.0f, 1.0f, 1.0f, 1.0f});
  void draw(float x, float y, float alpha) override;
  int mouse(float x, float y, int action) override;
  int identifier() const override { return id; }
  void setSwatchColour(const Colour& c);

  float x = 0.0f, y = 0.0f;  // units
  HitShape hitShape;
  int id = 0;
  ImageRect plainPicture, highlightedPicture, centreMark;
  bool checked = false;
  bool swatchStyle = false;
  std::optional<ImageRect> swatch;
};

class HudCheckboxAndLabel : public HudCheckbox {
 public:
  HudCheckboxAndLabel(std::string_view label, float x, float y, int identifier);
  void draw(float x, float y, float alpha) override;
  void setHighlighted(bool on) override;

  ImageTextStatic labelText;
  // One plate picture serves both looks; the label colour shows the highlight.
  ImageRect plate, plateHighlighted;
  float baseX = 0.0f, baseY = 0.0f;  // units, the component's own corner
};

}  // namespace qv
