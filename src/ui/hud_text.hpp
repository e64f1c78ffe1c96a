#pragma once
#include <string_view>

#include "ui/hud_component.hpp"

namespace qv {

// Texts placed on a Hud: fixed, or changed while shown.
class HudTextStatic : public HudComponent {
 public:
  HudTextStatic(float x, float y, std::string_view text, int fontSize, Colour colour = {1.0f, 1.0f, 1.0f, 1.0f});
  void draw(float x, float y, float alpha) override;
  ImageTextStatic text;
};

class HudTextDynamic : public HudComponent {
 public:
  HudTextDynamic(float x, float y, std::string_view text, int fontSize, Colour colour = {1.0f, 1.0f, 1.0f, 1.0f});
  void draw(float x, float y, float alpha) override;
  void setText(std::string_view t) { text.setText(t); }
  TextDynamic text;
  float x = 0.0f, y = 0.0f;  // units
};

}  // namespace qv
