#pragma once
#include <string>
#include <string_view>
#include <vector>

#include "ui/hud_component.hpp"

namespace qv {

// A slider over a list of options (labels and values), dragged or clicked.
class HudSlider : public HudComponent {
 public:
  HudSlider(float x, float y, std::string_view label, int identifier, std::string_view tooltip,
            std::vector<std::string> optionLabels, std::vector<float> optionValues, bool labelLeft = false,
            int soundMode = 0, float labelShift = 0.0f, bool centreValueText = false,
            bool clickWhenDisabled = false);
  void draw(float x, float y, float alpha) override;
  int mouse(float x, float y, int action) override;
  int identifier() const override { return id; }

  void setValue(float t);
  float selectedOptionValue() const;
  int selectedIndex() const;
  void setVisibleOptions(unsigned mask);
  // Selects the visible option whose value is nearest to v.
  void selectValue(float v);

  int id = 0;
  ImageRect background, backgroundHighlighted, fill, fillHighlighted, knob, knobHighlighted;
  ImageTextStatic labelText;
  TextDynamic valueText;
  int hitMargin = 9;
  HitShape hitShape;
  float x = 0.0f, y = 0.0f;  // units
  float fillOffset = 0.0f, fillScale = 0.0f;
  float value = 0.0f;
  float lastSoundedValue = -1.0f;
  int trackWidth = 307;
  int knobWidth = 16;
  int soundMode = 0;  // 0 silent, 1 click at the new value's volume, 2 click at the normal volume
  bool dragging = false;
  std::vector<std::string> visibleLabels, allLabels;
  std::vector<float> visibleValues, allValues;
  int ownerInt1 = 0, ownerInt2 = 0;  // free for the owner
};

}  // namespace qv
