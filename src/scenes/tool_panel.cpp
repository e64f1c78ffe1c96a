#include "scenes/tool_panel.hpp"

#include <cmath>
#include <string>
#include <vector>

#include "ui/hud.hpp"

namespace qv {

namespace {
// 200 steps between the ends; the value is shown by the knob alone.
std::shared_ptr<HudSlider> sizeStyleSlider(float x, float y, const char* label, int id, float labelShift) {
  std::vector<std::string> labels(201);
  std::vector<float> values(201);
  for (size_t i = 0; i < values.size(); ++i) values[i] = static_cast<float>(i) / 200.0f;
  return std::make_shared<HudSlider>(x, y, label, id, "", std::move(labels), std::move(values), true, 0, labelShift);
}
}  // namespace

std::shared_ptr<Hud> bottomPanel(float width, float height) {
  auto hud = std::make_shared<Hud>();
  auto image = std::make_shared<ImageHudBottom>(width, height);
  const float shownWidth = image->displayWidth > 0.0f ? image->displayWidth : width + 24.0f;
  const float shownHeight = image->displayHeight > 0.0f ? image->displayHeight : height;
  hud->background = image;
  hud->setPositionPx(-std::floor(shownWidth / 2.0f), shownHeight - 540.0f);
  return hud;
}

float sliderPosition(float value, float lo, float hi) { return (value - lo) / (hi - lo); }

std::shared_ptr<HudSlider> addStepperRow(Hud& panel, float x, float y, const char* label, int minusId, int plusId,
                                         int sliderId, const char* minusTip, const char* plusTip, float labelShift) {
  panel.addComponent(std::make_shared<HudButtonSmallVeryShort>("", "-", x, y, minusId, minusTip, kTooltipAbove), 0);
  panel.addComponent(std::make_shared<HudButtonSmallVeryShort>("", "+", x + 88.0f, y, plusId, plusTip, kTooltipAbove),
                     0);
  auto slider = sizeStyleSlider(x + 176.0f, y - 7.0f, label, sliderId, labelShift);
  panel.addComponent(slider, 0);
  return slider;
}

}  // namespace qv
